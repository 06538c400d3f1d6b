#include "library/page_id.h"

#include <strings.h>

namespace TYX::Library {

namespace {

constexpr std::uint8_t kLibraryToolbar = ToolbarBit(0) | ToolbarBit(1) | ToolbarBit(2) | ToolbarBit(3) |
                                         ToolbarBit(4) | ToolbarBit(5);

// One row per LibraryType, in value order.
constexpr ListTypeInfo kListTypes[kLibraryTypeCount] = {
    // Unknown pages show the empty library list with the library's toolbar.
    {kNone, LIST_LIBRARY, 0, STOCK_PLAYLIST_LIBRARY, ListFill::Nothing, false, false, PowerSearchFlag::Library,
     kLibraryToolbar, false, false, false, 5, kRingtone, 0, nullptr, nullptr},
    {kLibrary, LIST_LIBRARY, STOCK_PLAYLIST_LIBRARY, STOCK_PLAYLIST_LIBRARY, ListFill::Filtered, true, true,
     PowerSearchFlag::Library, kLibraryToolbar, false, false, false, 5, kRingtone, 1, "보관함 > 음악", nullptr},
    {kSavedList, LIST_LIBRARY, STOCK_PLAYLIST_LIBRARY, STOCK_PLAYLIST_LIBRARY, ListFill::Nothing, true, true,
     PowerSearchFlag::Library, kLibraryToolbar, false, false, false, 5, kRingtone, 4, "저장목록", "처리안됨"},
    {kNowPlaying, LIST_NOWPLAYING, STOCK_PLAYLIST_NOWPLAYING, STOCK_PLAYLIST_NOWPLAYING, ListFill::All, true, false,
     PowerSearchFlag::Hidden, ToolbarBit(4), false, false, false, 0, kRecentlyPlayed, 2, "현재재생목록", nullptr},
    {kRecentlyPlayed, LIST_OLDNOWPLAYING, STOCK_PLAYLIST_OLDNOWPLAYING, STOCK_PLAYLIST_OLDNOWPLAYING, ListFill::All,
     true, true, PowerSearchFlag::Hidden, 0, false, false, false, 0, kNone, 2, "최근들은 100곡", nullptr},
    // CD rows are keyed by the CD-track playlist; as the current playlist the CD list answers with the
    // library, whose songs the tracks become.
    {kAudioCd, LIST_CD, STOCK_PLAYLIST_CDTRACK, STOCK_PLAYLIST_LIBRARY, ListFill::CdDrive, true, false,
     PowerSearchFlag::Hidden, 0, false, false, false, 5, kNone, 5, "CD", nullptr},
    // The second part of a search caption is built from the address.
    {kSearchResult, LIST_LIBRARY, 0, STOCK_PLAYLIST_LIBRARY, ListFill::Nothing, false, false, PowerSearchFlag::Library,
     kLibraryToolbar, false, false, false, 5, kRingtone, 1, "보관함", nullptr},
    {kRingtone, LIST_MYMELODY, STOCK_PLAYLIST_LIBRARY, STOCK_PLAYLIST_LIBRARY, ListFill::All, false, false,
     PowerSearchFlag::Hidden, ToolbarBit(0) | ToolbarBit(1) | ToolbarBit(6), true, false, false, 5, kLibrary, 6,
     "보관함 > 벨소리", nullptr},
    {kHostPage, LIST_LIBRARY, 0, STOCK_PLAYLIST_LIBRARY, ListFill::Nothing, false, false, PowerSearchFlag::Library,
     kLibraryToolbar, false, false, false, 5, kRingtone, 0, nullptr, nullptr},
    {kSyncList, LIST_SYNC, STOCK_PLAYLIST_SYNC, STOCK_PLAYLIST_SYNC, ListFill::Filtered, true, true,
     PowerSearchFlag::Sync, ToolbarBit(0) | ToolbarBit(1) | ToolbarBit(2) | ToolbarBit(4) | ToolbarBit(5), false, true,
     true, 5, kNone, 7, "내 기기에 담을 곡 목록", nullptr},
    {kTransferred, LIST_WEBDOWNLOAD, STOCK_PLAYLIST_TRANSFERRED, STOCK_PLAYLIST_TRANSFERRED, ListFill::Filtered, true,
     true, PowerSearchFlag::Hidden, ToolbarBit(0) | ToolbarBit(1), false, false, false, 5, kNone, 0, "전송 곡 목록",
     nullptr},
};

constexpr bool RowsInValueOrder() {
  for (int i = 0; i < kLibraryTypeCount; ++i) {
    if (kListTypes[i].type != i) return false;
  }
  return true;
}
static_assert(RowsInValueOrder(), "the list-type table is indexed by the type's value");

}  // namespace

LibraryType GetLibraryType(const std::string& pageId) {
  if (pageId.size() != 6) return kNone;
  switch (pageId[0]) {
    case '0': return kLibrary;
    case '1': return kSavedList;
    case '2': return kNowPlaying;
    case '8': return kRecentlyPlayed;
    case '3': return kAudioCd;
    case '5': return kSearchResult;
    case '6': return kRingtone;
    default: break;
  }
  if (strcasecmp(pageId.c_str(), "A48700") == 0) return kHostPage;
  if (pageId[0] == '7') return kSyncList;
  if (pageId[0] == '9') return kTransferred;
  return kNone;
}

const ListTypeInfo& ListType(LibraryType type) {
  const int value = static_cast<int>(type);
  return kListTypes[value >= 0 && value < kLibraryTypeCount ? value : 0];
}

}  // namespace TYX::Library
