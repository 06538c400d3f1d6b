#pragma once
// Page IDs and list types: the one table the panel asks what a list type means (its list control, the
// stock playlists its rows and helpers use, how Refresh fills it, whether the power search filters it,
// its toolbar, its location kind and caption). Adding a list type means adding a row here.
//
// A page ID is six characters naming a sidebar node; GetLibraryType maps it to a LibraryType.
// Constant data; usable from any thread.
#include <cstdint>
#include <string>

#include "contracts/stock_playlist.h"

namespace TYX::Library {

// The category of a page ID.
enum LibraryType : int {
  kNone = 0,
  kLibrary = 1,         // "0"
  kSavedList = 2,       // "1"
  kNowPlaying = 3,      // "2"
  kRecentlyPlayed = 4,  // "8"
  kAudioCd = 5,         // "3"
  kSearchResult = 6,    // "5"
  kRingtone = 7,        // "6"
  kHostPage = 8,        // "A48700", any letter case
  kSyncList = 9,        // "7"
  kTransferred = 10,    // "9"
};
constexpr int kLibraryTypeCount = 11;

// The type of a page ID: only the first character counts, except for the whole code "A48700". Any
// text that is not exactly six characters long is kNone.
LibraryType GetLibraryType(const std::string& pageId);

// The panel's seven list controls, in creation order.
enum PanelList : int {
  LIST_LIBRARY = 0,
  LIST_NOWPLAYING,
  LIST_OLDNOWPLAYING,
  LIST_CD,
  LIST_MYMELODY,
  LIST_SYNC,
  LIST_WEBDOWNLOAD,
  LIST_COUNT
};

// How Refresh fills a type's list.
enum class ListFill : std::uint8_t {
  Nothing,   // the list stays empty
  Filtered,  // the positions of the playlist the search window lets through
  All,       // every position of the playlist, then the playing mark is restored
  CdDrive,   // the tracks of the drive the page ID names
};

// Which remembered power-search flag the strip follows while the type is shown.
enum class PowerSearchFlag : std::uint8_t { Hidden, Library, Sync };

// Toolbar buttons 0 to 6 as bits.
constexpr std::uint8_t ToolbarBit(int button) { return static_cast<std::uint8_t>(1u << button); }

struct ListTypeInfo {
  LibraryType type;
  PanelList list;                  // the list control that shows the type
  std::uint32_t keyPlaylist;       // stock playlist the row keys index; 0 when the type has no rows
  ENUM_STOCK_PLAYLIST playlist;    // GetCurrentPlaylist (the CD list answers with the library)
  ListFill fill;
  bool songRows;                   // rows are songs the now-playing and size helpers take
  bool rowsUpdatable;              // RefreshAllMedia rewrites the rows
  PowerSearchFlag powerSearch;
  std::uint8_t toolbar;            // buttons enabled and shown by RefreshShowListCtrl
  bool hidesListenButton;          // ButtonShow hides button 0 again
  bool showsSyncCheck;             // the sync-area check box is shown
  bool tallTopBand;                // the top band is 80 pixels high instead of 30
  int barParam;                    // lParam of WM_LIBRARY_SHOW_BAR (5 show, 0 hide)
  LibraryType barSilentAfter;      // the bar message is not sent when coming from this type (kNone: always)
  int locationKind;                // history kind of a visit; 0 is not recorded
  const char* caption;             // location caption; nullptr leaves the caption empty
  const char* captionPart;         // fixed second part of the caption, or nullptr
};

// The row of a type; a value outside 0 to 10 gets the row of kNone.
const ListTypeInfo& ListType(LibraryType type);
inline const ListTypeInfo& ListType(int type) { return ListType(static_cast<LibraryType>(type)); }

// Page IDs the panel itself names.
inline constexpr char kPageLibrary[] = "000000";
inline constexpr char kPageNowPlaying[] = "200000";
inline constexpr char kPageRecentlyPlayed[] = "800000";
inline constexpr char kPageSearch[] = "500000";
inline constexpr char kPageSyncList[] = "700000";

}  // namespace TYX::Library
