// The panel's song actions: removal of the selected rows, playing one song, the tag, property and
// lyrics dialogs of the function set, and whether a device is there.
#include <algorithm>
#include <charconv>
#include <functional>

#include "contracts/device_mgr_client.h"
#include "contracts/library_manager.h"
#include "library/band_wnd.h"
#include "library/libarary_func_set.h"
#include "library/library_panel.h"
#include "library/panel_commands.h"
#include "util/log.h"

namespace TYX::Library {

namespace {

// The store's song number of a song ID text; false when the text is no decimal number.
bool SongNumber(const std::string& songId, std::uint64_t& number) {
  const char* first = songId.data();
  const char* last = first + songId.size();
  const auto [end, error] = std::from_chars(first, last, number);
  return error == std::errc() && end == last && first != last;
}

}  // namespace

long TYX_PanelCommands::RemoveSelectedMedia() {
  TYX_LibraryPanel& panel = Panel();
  TYX_LibraryManager* store = panel.GetLibraryManager();
  TYX_BandWnd* band = panel.GetLibraryTreeCtrl();
  if (store == nullptr || band == nullptr) return Win::E_INVALIDARG;
  const std::string page = band->GetSelectedPageID();
  const LibraryType type = GetLibraryType(page);
  switch (type) {
    case kNone:
    case kAudioCd:
      return Win::E_FAIL;
    case kSavedList:
    case kSearchResult:
    case kHostPage:
      panel.Refresh(page, TYX_LibraryPanel::REFRESH_LEVEL_NONE, 1);
      return Win::S_OK;
    default:
      break;
  }
  TYX_LibraryPanel::ListCtrl* list = panel.GetCurrentListCtrl();
  TYX_Playlist* playlist = panel.GetCurrentPlaylist();
  if (list == nullptr || playlist == nullptr) return Win::E_FAIL;

  // Keys are positions in the playlist: removing from the highest down keeps the others valid.
  std::vector<Win::UINT> keys;
  list->GetSelectedFieldKeys(keys, Win::FALSE);
  std::sort(keys.begin(), keys.end(), std::greater<>());
  bool failed = false;
  for (Win::UINT key : keys) {
    if (key == kNoPosition) continue;
    if (TYX_LibraryItem* item = playlist->GetItem_LibraryItem(key)) item->SetNumber(ItemNumber::Mark, 0);
    const std::int32_t removed = playlist->RemoveItem(key);
    if (removed != 0) {
      failed = true;
      Util::TYX_Log::Instance()->Add("TYX_LibraryPanel::RemoveSelectedMedia position : %u status : 0x%08X", key,
                                     static_cast<unsigned>(removed));
    }
  }

  if (type == kLibrary) {
    // The phone's view of the PC's files is told that the library changed.
    const unsigned device = dmGetCurrentDevice(0);
    if (device != DM_NO_DEVICE && dmBluetoothWaitTime(device, 100, 10) != 0) dmBluetoothUpdatePCFileList(device);
  }

  const int top = list->GetTopIndex();
  panel.Refresh(page, TYX_LibraryPanel::REFRESH_LEVEL_NONE, 0);
  panel.EnsureVisible(top);
  // A removal the store refused is not reported as done; the rows removed before it stay removed.
  return failed ? Win::E_FAIL : Win::S_OK;
}

long TYX_PanelCommands::PlayOneSong(std::uint32_t libraryIndex) {
  TYX_LibraryPanel& panel = Panel();
  TYX_LibraryManager* store = panel.GetLibraryManager();
  TYX_LibraryPanel::ListCtrl* list = panel.GetListCtrl(LIST_LIBRARY);
  if (list == nullptr || !list->IsAlive() || store == nullptr) return Win::E_FAIL;
  if (libraryIndex == kNoLibraryIndex) return Win::E_INVALIDARG;
  const int rows = list->GetItemCount();
  if (rows == 0) return Win::E_FAIL;
  TYX_Playlist* library = store->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY);
  if (library == nullptr) return Win::E_FAIL;
  for (int row = 0; row < rows; ++row) {
    const Win::UINT key = list->GetFieldKey(row);
    if (key == kNoPosition || library->GetItem(key) != libraryIndex) continue;
    const TYX_LibraryItem* item = store->GetLibraryItem(libraryIndex);
    if (item == nullptr) continue;
    std::string error;
    TYX_MediaPtr media = TYX_Media::Instance(item->GetPath(), kMediaOpenPlay, &error);
    if (!media) continue;
    media->SetLibraryIndex(libraryIndex);
    // The host copies the pointer during the send if it keeps the song.
    return SendMessageToParent(WM_LIBRARY_PLAY_ONE_SONG, Win::RecordToWParam(&media), 0);
  }
  return Win::E_FAIL;
}

long TYX_PanelCommands::ShowFilePropertyDlg() {
  TYX_LibraryPanel& panel = Panel();
  TYX_LibraryPanel::ListCtrl* list = panel.GetCurrentListCtrl();
  if (list == nullptr || list != panel.GetListCtrl(LIST_LIBRARY) || list->GetSelectedCount() != 1) return Win::E_FAIL;
  std::vector<std::uint32_t> indexes;
  if (panel.GetSelectedMediaLibIndex(indexes, nullptr, 0) != Win::S_OK || indexes.size() != 1) return Win::E_FAIL;
  TYX_Libarary_FuncSet functions(panel.GetLibraryManager());
  functions.ShowPropertyDialog(panel.GetSafeHwnd(), indexes.front());
  return Win::S_OK;
}

long TYX_PanelCommands::ShowFileID3EditDlg() {
  TYX_LibraryPanel& panel = Panel();
  TYX_LibraryPanel::ListCtrl* list = panel.GetCurrentListCtrl();
  if (list == nullptr || list != panel.GetListCtrl(LIST_LIBRARY)) return Win::E_FAIL;
  std::vector<std::uint32_t> indexes;
  if (panel.GetSelectedMediaLibIndex(indexes, nullptr, 0) != Win::S_OK || indexes.empty()) return Win::E_FAIL;
  TYX_Libarary_FuncSet functions(panel.GetLibraryManager());
  const int changed = indexes.size() == 1 ? functions.ShowID3EditDialog(panel.GetSafeHwnd(), indexes.front())
                                          : functions.ShowID3EditDialog2(panel.GetSafeHwnd(), indexes);
  if (changed != 0) panel.RefreshSelectedMedia();
  return Win::S_OK;
}

long TYX_PanelCommands::ShowLyricsPopupDlg() {
  TYX_LibraryPanel& panel = Panel();
  TYX_LibraryPanel::ListCtrl* list = panel.GetListCtrl(LIST_LIBRARY);
  if (panel.GetLibraryManager() == nullptr || list == nullptr || !list->IsAlive() || list->GetSelectedCount() != 1) {
    return Win::E_FAIL;
  }
  std::vector<int> rows;
  list->GetSelectedRows(rows, 0);
  if (rows.size() != 1) return Win::E_FAIL;
  return ShowLyricsPopupDlg(rows.front());
}

long TYX_PanelCommands::ShowLyricsPopupDlg(int row) {
  TYX_LibraryPanel& panel = Panel();
  TYX_LibraryManager* store = panel.GetLibraryManager();
  TYX_LibraryPanel::ListCtrl* list = panel.GetCurrentListCtrl();
  if (store == nullptr || list == nullptr || row < 0 || row >= list->GetItemCount()) return Win::E_FAIL;
  const std::uint32_t index = panel.GetRowMediaLibIndex(row);
  if (index == kNoLibraryIndex) return Win::S_OK;
  const TYX_LibraryItem* item = store->GetLibraryItem(index);
  if (item == nullptr) return Win::S_OK;
  if (item->GetSourceCode() == kSourceCodeStore) {
    // A store song's lyrics are the host's to show; it is named by its song number, since a text
    // cannot travel in a posted message.
    std::uint64_t number = 0;
    if (!SongNumber(item->GetSmartSongID(), number)) return Win::E_INVALIDARG;
    return PostMessageToParent(WM_LIBRARY_SHOW_LYRICS, 3, static_cast<Win::LPARAM>(number));
  }
  TYX_Libarary_FuncSet functions(store);
  functions.ShowLyricDialog(panel.GetSafeHwnd(), index);
  return Win::S_OK;
}

int TYX_PanelCommands::IsDeviceConnected() const {
  int count = 0;
  std::vector<DeviceInfo> devices;
  dmEnumDevice(count, devices, 0);
  return count >= 1 ? 1 : 0;
}

}  // namespace TYX::Library
