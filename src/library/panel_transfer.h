#pragma once
// The panel's side of sending music to the phone: the transfer commands, the report shown after a
// transfer, and the sync list's commands and switches.
//
// The commands part calls in here for every send (command 1014, a double click on a ringtone, message
// 0xAC64). A send of selected rows checks the selection and the phone, opens the modal transfer dialog
// over the rows, then shows the report of what failed; a transfer that never started shows no report.
#include <cstdint>
#include <string>
#include <vector>

#include "library/device_trans_dlg.h"
#include "library/panel_part.h"

namespace TYX {
class TYX_LibraryItem;
}

namespace TYX::Library {

// Messages of the transfer and the sync list.
constexpr Win::UINT WM_LIBRARY_ASK_AUTO_TRANSFER = 0xAC75;  // sent to the parent: 0 idle, -1 no phone, else busy
constexpr Win::UINT WM_LIBRARY_TRANSFER_DONE = 0xAC52;      // posted to the parent after a transfer
constexpr Win::UINT WM_LIBRARY_SONG_INFO_MISSING = 0x8A67;  // sent to the parent: wParam the library index
constexpr Win::UINT WM_LIBRARY_SYNC_ADDED = 0xB7BD;         // posted to the parent: the sync list grew
constexpr Win::UINT WM_LIBRARY_SYNC_AUTO_CHANGED = 0x8A68;  // posted to the parent: "SyncAutoStart" changed
constexpr Win::UINT WM_STORE_TRANSFER_REFUSED = 0xA23E;  // posted to the download page: wParam 1 for a "cdc" file
constexpr Win::UINT WM_STORE_TRANSFER_NOTICE = 0xA240;   // the put's notices, to the download page
constexpr Win::UINT kCmdPlaylistToSyncList = 0xACBD;        // sent to the parent as a command
// Sent to the panel: wParam a transfer report code, lParam the song's path (a const std::string* valid
// during the send, as the transfer controller's reports carry it).
constexpr Win::UINT WM_LIBRARY_SYNC_TRANSFER_STATE = 0xAC62;

class TYX_PanelTransfer : public TYX_PanelPart {
 public:
  using TYX_PanelPart::TYX_PanelPart;

  void RegisterMessages() override;

  // Command 1014: the now-playing list on type 3, else the selected rows.
  long OnTransferDevice();
  // The selected rows of the current list (types 1, 9, 10; type 7 sends a ringtone).
  long FileTransferToDevice();
  // On type 3 with a phone present only asks the phone whether its Bluetooth link sleeps.
  long FileTransferToDeivceWithNowplayingList();
  // One file from the store download page onto the phone (storage player for WMA). Refusals post
  // 0xA23E to `window`; the put's notices reach `window` as 0xA240. 0 when the put started, else an error.
  long FileTransferToDeviceMS(const std::string& path, Win::HWND window);
  // The selected ringtone.
  long FileTransferToDevice_Melody(int flag);
  // 1 when files are to be tagged before a transfer; asks the person when neither switch decides.
  int CheckAutoTaggingTrans();

  // The sync list ("내 기기에 담을 곡 목록", stock playlist 6): adds the selected songs that are not in
  // it yet; 1 when the selection was taken, 0 when there was none.
  int DoSyncListCopy(int unused = 0);
  // Flips "SyncAutoStart" between "1" and "0"; the On/Off forms set it.
  void OnChkAutoTrans();
  void OnChkAutoTransOn();
  void OnChkAutoTransOff();
  // Stores the auto-start check box's state and tells the parent.
  void OnAutoSyncClicked();
  void OnBtnPlaylistToSyncList();
  void SetCurrentSyncFile(const std::string& path) { currentSyncFile_ = path; }
  const std::string& GetCurrentSyncFile() const { return currentSyncFile_; }

  bool IsBusy() const { return busy_; }
  // Stores the folder text; 0.
  long SetTransferTargetFolder(const std::string& folder) {
    targetFolder_ = folder;
    return 0;
  }
  const std::string& GetTransferTargetFolder() const { return targetFolder_; }

  // 0xAC62: a transfer report of a song on the sync list. When the song is in the library and on the
  // list and its stored state is not code + 3 yet, stores it and shows the code in the row's
  // "진행상태" cell (its flag word), redrawn at once. 1 when the state changed, else 0.
  Win::LRESULT OnListCtrlSyncMessage(Win::WPARAM wParam, Win::LPARAM lParam);
  // 0x8A63 and 0x9550: nothing to do; 0.
  Win::LRESULT OnSyncSetIndex(Win::WPARAM wParam, Win::LPARAM lParam);
  Win::LRESULT OnSyncModelChange(Win::WPARAM wParam, Win::LPARAM lParam);

  // The rows the transfer dialog gets for these songs, in order; songs gone from the store are left out.
  // With tag set, each song that may be tagged and was never identified is tagged first (one pass of
  // the tagging worker over that song) and takes what was found.
  std::vector<TYX_DeviceTransDlg::Row> BuildTransferRows(const std::vector<std::uint32_t>& indexes, int tag = 0);
  // File types 10 to 14 and 24 to 26 are never tagged before a transfer.
  static bool IsNeverTagged(int fileType);

 private:
  // The sync list's messages (panel_transfer_sync.cpp).
  void RegisterSyncMessages();
  enum class TaggingOutcome { Tagged, NothingFound, NotRun };
  // One pass of the tagging worker over the item's song; a song it identified gives the item its texts.
  TaggingOutcome TagBeforeTransfer(TYX_LibraryItem& item);
  void ShowTransferReport(const std::vector<TYX_DeviceTransDlg::FailedFile>& failed, int total);

  bool busy_ = false;  // panel thread, like every field below
  std::string targetFolder_;
  std::string currentSyncFile_;
};

}  // namespace TYX::Library
