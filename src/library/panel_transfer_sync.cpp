// The sync list's side of a running transfer: a song's transfer report moves its state in the store
// and the picture of its row; and the two sync messages the panel answers without doing anything.
#include <cstdint>
#include <string>

#include "contracts/library.h"
#include "contracts/library_item.h"
#include "contracts/library_manager.h"
#include "contracts/playlist.h"
#include "contracts/stock_playlist.h"
#include "device/device_trans_control.h"
#include "library/library_panel.h"
#include "library/panel_columns.h"
#include "library/panel_commands.h"
#include "library/panel_transfer.h"
#include "util/log_scope.h"

namespace TYX::Library {

void TYX_PanelTransfer::RegisterSyncMessages() {
  TYX_LibraryPanel& panel = Panel();
  panel.OnMessage(WM_LIBRARY_SYNC_TRANSFER_STATE,
                  [this](Win::WPARAM w, Win::LPARAM l) { return OnListCtrlSyncMessage(w, l); });
  panel.OnMessage(WM_LIBRARY_SYNC_SET_INDEX, [this](Win::WPARAM w, Win::LPARAM l) { return OnSyncSetIndex(w, l); });
  panel.OnMessage(WM_LIBRARY_SYNC_MODEL_CHANGE,
                  [this](Win::WPARAM w, Win::LPARAM l) { return OnSyncModelChange(w, l); });
}

Win::LRESULT TYX_PanelTransfer::OnListCtrlSyncMessage(Win::WPARAM wParam, Win::LPARAM lParam) {
  TYX_LogScope scope("TYX::Library::TYX_LibraryPanel::OnListCtrlSyncMessage");
  TYX_LibraryPanel& panel = Panel();
  const std::string* path = Device::TransferReportPath(lParam);
  TYX_LibraryManager* manager = panel.GetLibraryManager();
  if (path == nullptr || path->empty() || manager == nullptr || manager->GetLibrary() == nullptr) return 0;
  const std::uint32_t index = manager->GetLibrary()->FindItem(*path);
  TYX_Playlist* sync = manager->GetStockPlaylist(STOCK_PLAYLIST_SYNC);
  if (index == kNoLibraryIndex || sync == nullptr) return 0;
  const std::uint32_t position = sync->FindItem(index);
  TYX_LibraryItem* item = manager->GetLibraryItem(index);
  if (position == kNoPosition || item == nullptr) return 0;

  // The state is the report code + 3 in the item's 32-bit field (0: never sent), so a cancelled file
  // (-10) keeps -7 there as its two's complement, read back as the same code.
  const int code = static_cast<int>(static_cast<std::intptr_t>(wParam));
  const auto state = static_cast<std::uint32_t>(code + 3);
  if (item->GetTransferState() == state) return 0;
  if (!item->SetNumber(ItemNumber::TransferState, state)) return 0;

  Controls::TYX_ListCtrlEx* list = panel.GetListCtrl(LIST_SYNC);
  if (list == nullptr) return 1;
  // Rows of the sync list are keyed by their position in the playlist.
  const int row = list->FindRowFromFieldKey(position);
  if (row < 0) return 1;
  // The list draws the state's picture from the cell's flag word: the code as 16 bits.
  list->SetCell(row, SyncColumn::kProgress, std::string(), static_cast<std::uint16_t>(static_cast<std::int16_t>(code)));
  list->UpdateWindow();
  return 1;
}

Win::LRESULT TYX_PanelTransfer::OnSyncSetIndex(Win::WPARAM, Win::LPARAM) { return 0; }

Win::LRESULT TYX_PanelTransfer::OnSyncModelChange(Win::WPARAM, Win::LPARAM) { return 0; }

}  // namespace TYX::Library
