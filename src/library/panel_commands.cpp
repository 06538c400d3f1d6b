// The panel's message table for commands and events: list notifications, toolbar commands, store
// notifications and their timers, conversion and ripping, the CD tray, help and the host requests.
#include "library/panel_commands.h"

#include <cstdlib>

#include "components/audio/bass_api.h"
#include "contracts/device_mgr_client.h"
#include "contracts/library_manager.h"
#include "convert/media_converting.h"
#include "convert/ripping_request.h"
#include "library/band_wnd.h"
#include "library/library_panel.h"
#include "library/panel_navigation.h"
#include "library/panel_transfer.h"
#include "platform/os_services.h"
#include "toolkit/contents_footer.h"
#include "toolkit/list_types.h"
#include "toolkit/menu_xp.h"
#include "toolkit/message_box.h"
#include "util/log.h"

namespace TYX::Library {

namespace {

using Win::LPARAM;
using Win::LRESULT;
using Win::WPARAM;

// Device kind of a phone in ring-tone connection mode: there, any selection may be sent.
constexpr int kDeviceKindRingtone = 4;
constexpr int kFooterShowModePlayLists = 2;

// The drive index a CD page ID names: the number after its first character, minus 1; -1 when none.
int DriveOfPage(const std::string& pageId) {
  if (pageId.size() < 2) return -1;
  const std::string digits = pageId.substr(1);
  char* end = nullptr;
  const long number = std::strtol(digits.c_str(), &end, 10);
  if (end == digits.c_str() || *end != '\0' || number < 1) return -1;
  return static_cast<int>(number) - 1;
}

}  // namespace

void TYX_PanelCommands::RegisterMessages() {
  RegisterListMessages();
  RegisterCommands();
  RegisterMenuMessages();
  TYX_LibraryPanel& panel = Panel();
  panel.OnMessage(Win::WM_TIMER, [this](WPARAM id, LPARAM l) {
    if (OnTimer(id)) return LRESULT{0};
    return Panel().DefWindowProc(Win::WM_TIMER, id, l);
  });
  panel.OnMessage(WM_LIBRARY_MEDIA_CONVERTING, [this](WPARAM w, LPARAM l) { return OnMediaConverting(w, l); });
  panel.OnMessage(WM_LIBRARY_CD_RIPPING, [this](WPARAM w, LPARAM l) { return OnCDRipping(w, l); });
  panel.OnMessage(WM_LIBRARY_CDROM_INOUT, [this](WPARAM, LPARAM) { return OnCDRomInOut(); });
  panel.OnMessage(WM_LIBRARY_NOTIFY_LIBRARY, [this](WPARAM w, LPARAM l) { return OnMusicLibraryNotifyEvent(w, l); });
  panel.OnMessage(WM_LIBRARY_NOTIFY_SYNC, [this](WPARAM w, LPARAM l) { return OnSyncLibraryNotifyEvent(w, l); });
  panel.OnMessage(WM_LIBRARY_NOTIFY_NOWPLAYING,
                  [this](WPARAM w, LPARAM l) { return OnLibraryNotifyEvent_NowPlaying(w, l); });
  panel.OnMessage(WM_LIBRARY_NOTIFY_OLDNOWPLAYING,
                  [this](WPARAM w, LPARAM l) { return OnLibraryNotifyEvent_OldNowPlay(w, l); });
  panel.OnMessage(WM_LIBRARY_RINGTONE_TRANSFER,
                  [this](WPARAM, LPARAM) { return LRESULT{Panel().Transfer().FileTransferToDevice_Melody(0)}; });
  for (Win::UINT msg : {WM_LIBRARY_LOGIN_STATE, WM_LIBRARY_SYNC_SET_INDEX, WM_LIBRARY_SYNC_MODEL_CHANGE}) {
    panel.OnMessage(msg, [](WPARAM, LPARAM) { return LRESULT{0}; });
  }
}

void TYX_PanelCommands::RegisterListMessages() {
  TYX_LibraryPanel& panel = Panel();
  const auto nothing = [](WPARAM, LPARAM) { return LRESULT{0}; };
  panel.OnMessage(Controls::WM_LISTEX_BTNCLICK, nothing);
  panel.OnMessage(Controls::WM_LISTEX_BTNDBLCLK, [this](WPARAM w, LPARAM l) { return OnListBtnDblClick(w, l); });
  panel.OnMessage(Controls::WM_LISTEX_CHKBOXCLICK, nothing);
  panel.OnMessage(Controls::WM_LISTEX_IMGCLICK, [this](WPARAM w, LPARAM l) { return OnListImgClick(w, l); });
  // The row click also comes from the panel itself after the toolbar changed (footer counts).
  panel.OnMessage(Controls::WM_LISTEX_ROWCLICK, [this](WPARAM w, LPARAM l) { return OnListRowClick(w, l); });
  panel.OnMessage(Controls::WM_LISTEX_COLCLICK, [this](WPARAM, LPARAM) { return OnListRowClick(0, 0); });
  panel.OnMessage(Controls::WM_LISTEX_ITEMDEL, [this](WPARAM, LPARAM) { return LRESULT{RemoveSelectedMedia()}; });
  panel.OnMessage(Controls::WM_LISTEX_TRACKPOPUP, [this](WPARAM w, LPARAM l) { return OnListTrackPopup(w, l); });
  panel.OnMessage(Controls::WM_LISTEX_REDRAWVISIBLE, nothing);
  panel.OnMessage(Controls::WM_LISTEX_FILEDRAG, [this](WPARAM w, LPARAM l) { return OnListFileDrag(w, l); });
  panel.OnMessage(Controls::WM_LISTEX_DROPLIST, nothing);
  panel.OnMessage(Controls::WM_LISTEX_DROPTREE, nothing);
  panel.OnMessage(Controls::WM_LISTEX_DROPDEVICE, nothing);
}

void TYX_PanelCommands::RegisterCommands() {
  TYX_LibraryPanel& panel = Panel();
  panel.OnCommand(kCmdFileDelete, [this] { OnFileDelete(); });
  panel.OnCommand(kCmdFileListen, [this] { OnFileListen(); });
  panel.OnCommand(kCmdTransferDevice, [this] { Panel().Transfer().OnTransferDevice(); });
  panel.OnCommand(kCmdToNowPlaying, [this] { Panel().SetNowPlayList(false, false, false); });
  panel.OnCommand(kCmdCDRipping, [this] { Panel().SendMessage(WM_LIBRARY_CD_RIPPING, 0, 0); });
  panel.OnCommand(kCmdCDEject, [this] { OnCDRecject(); });
  panel.OnCommand(kCmdAddMenu, [this] { PopMenu_Add(); });
  panel.OnCommand(kCmdFileCopyMenu, [this] { Panel().PostMessage(Win::WM_COMMAND, Win::MAKEWPARAM(kCmdFileCopy, 0), 0); });
  panel.OnCommand(kCmdDeleteButton,
                  [this] { Panel().PostMessage(Win::WM_COMMAND, Win::MAKEWPARAM(kCmdFileDelete, 0), 0); });
  panel.OnCommand(kCmdSyncGuide, [this] { OnBtnSyncGuide(); });
  panel.OnCommand(kCmdSyncGuide2, [this] { OnBtnSyncGuide(); });
}

void TYX_PanelCommands::RegisterMenuMessages() {
  TYX_LibraryPanel& panel = Panel();
  // Menus get the owner-drawn look; anything that is no menu item goes to the default handling.
  panel.OnMessage(Win::WM_INITMENUPOPUP, [this](WPARAM w, LPARAM l) {
    if (Controls::TYX_MenuXP::OnInitMenuPopup(Panel().GetSafeHwnd(), Win::RecordFromWParam<Controls::TYX_Menu>(w))) {
      return LRESULT{0};
    }
    return Panel().DefWindowProc(Win::WM_INITMENUPOPUP, w, l);
  });
  panel.OnMessage(Win::WM_MEASUREITEM, [this](WPARAM w, LPARAM l) {
    if (Controls::TYX_MenuXP::OnMeasureItem(Win::RecordFromLParam<Controls::MEASUREITEMSTRUCT>(l))) return LRESULT{1};
    return Panel().DefWindowProc(Win::WM_MEASUREITEM, w, l);
  });
  panel.OnMessage(Win::WM_DRAWITEM, [this](WPARAM w, LPARAM l) {
    if (Controls::TYX_MenuXP::OnDrawItem(Win::RecordFromLParam<Controls::DRAWITEMSTRUCT>(l))) return LRESULT{1};
    return Panel().DefWindowProc(Win::WM_DRAWITEM, w, l);
  });
  panel.OnMessage(Win::WM_MENUCHAR, [this](WPARAM w, LPARAM l) {
    const LRESULT answer = Controls::TYX_MenuXP::OnMenuChar(Win::LOWORD(w), Win::HIWORD(w),
                                                            Win::RecordFromLParam<Controls::TYX_Menu>(l));
    return answer != 0 ? answer : Panel().DefWindowProc(Win::WM_MENUCHAR, w, l);
  });
}

bool TYX_PanelCommands::ListenToStore() {
  TYX_LibraryManager* store = Panel().GetLibraryManager();
  if (store == nullptr || !Panel().IsAlive()) return false;
  store->RegisterNotify(Panel().GetSafeHwnd());
  return true;
}

// ---- Requests to the host ---------------------------------------------------------------------------

long TYX_PanelCommands::SendMessageToParent(Win::UINT msg, WPARAM wParam, LPARAM lParam) {
  const Win::HWND parent = Panel().IsAlive() ? Panel().GetParent() : nullptr;
  if (parent == nullptr) return Win::E_FAIL;
  return static_cast<long>(Win::SendMessage(parent, msg, wParam, lParam));
}

long TYX_PanelCommands::PostMessageToParent(Win::UINT msg, WPARAM wParam, LPARAM lParam) {
  const Win::HWND parent = Panel().IsAlive() ? Panel().GetParent() : nullptr;
  if (parent == nullptr) return Win::E_FAIL;
  return Win::PostMessage(parent, msg, wParam, lParam);
}

// ---- Store notifications and timers -----------------------------------------------------------------

namespace {
bool IsListChange(WPARAM event) { return event == LIBRARY_EVENT_ADDED || event == LIBRARY_EVENT_REMOVED; }
}  // namespace

void TYX_PanelCommands::RestartRefreshTimer() {
  if (refreshTimer_ != 0) Panel().KillTimer(refreshTimer_);
  refreshTimer_ = Panel().SetTimer(kTimerLibraryRefresh, kLibraryRefreshDelayMs);
}

LRESULT TYX_PanelCommands::OnMusicLibraryNotifyEvent(WPARAM event, LPARAM index) {
  (void)index;
  if (IsListChange(event)) RestartRefreshTimer();
  return 0;
}

LRESULT TYX_PanelCommands::OnSyncLibraryNotifyEvent(WPARAM event, LPARAM index) {
  (void)index;
  if (IsListChange(event)) RestartRefreshTimer();
  return 0;
}

LRESULT TYX_PanelCommands::OnLibraryNotifyEvent_NowPlaying(WPARAM event, LPARAM index) {
  (void)index;
  if (!IsListChange(event)) return 0;
  Panel().KillTimer(kTimerNowPlaying);
  Panel().SetTimer(kTimerNowPlaying, kNowPlayingRefreshDelayMs);
  return 0;
}

LRESULT TYX_PanelCommands::OnLibraryNotifyEvent_OldNowPlay(WPARAM event, LPARAM index) {
  (void)index;
  if (!IsListChange(event)) return 0;
  Panel().KillTimer(kTimerOldNowPlaying);
  Panel().SetTimer(kTimerOldNowPlaying, kNowPlayingRefreshDelayMs);
  return 0;
}

bool TYX_PanelCommands::OnTimer(Win::UINT_PTR id) {
  TYX_LibraryPanel& panel = Panel();
  if (refreshTimer_ != 0 && id == refreshTimer_) {
    panel.KillTimer(id);
    refreshTimer_ = 0;
    panel.SendMessage(WM_SPEEDSEARCH_FILLDATA, 0, 0);
  } else if (id == kTimerNowPlaying) {
    panel.KillTimer(id);
    if (panel.GetCurrentListType() == kNowPlaying) panel.Refresh(kPageNowPlaying, TYX_LibraryPanel::REFRESH_LEVEL_NONE, 1);
  } else if (id == kTimerOldNowPlaying) {
    panel.KillTimer(id);
    if (panel.GetCurrentListType() == kRecentlyPlayed) {
      panel.Refresh(kPageRecentlyPlayed, TYX_LibraryPanel::REFRESH_LEVEL_NONE, 1);
    }
  } else {
    return false;
  }
  return true;
}

// ---- List notifications -----------------------------------------------------------------------------

LRESULT TYX_PanelCommands::OnListBtnDblClick(WPARAM wParam, LPARAM lParam) {
  (void)wParam;
  (void)lParam;
  if (Panel().GetCurrentListType() == kRingtone) return Panel().Transfer().FileTransferToDevice_Melody(1);
  return SendMessageToParent(WM_LIBRARY_PLAY_SELECTION, 0, 0);
}

LRESULT TYX_PanelCommands::OnListImgClick(WPARAM row, LPARAM column) {
  TYX_LibraryPanel::ListCtrl* list = Panel().GetCurrentListCtrl();
  if (list == nullptr) return 0;
  if (list->GetColTypeFromColIndex(static_cast<int>(column)) == kColTypeLyrics) {
    return ShowLyricsPopupDlg(static_cast<int>(row));
  }
  return 0;
}

LRESULT TYX_PanelCommands::OnListRowClick(WPARAM row, LPARAM column) {
  (void)row;
  (void)column;
  TYX_LibraryPanel& panel = Panel();
  TYX_LibraryPanel::ListCtrl* list = panel.GetCurrentListCtrl();
  if (list == nullptr || footer_ == nullptr) return 0;
  std::vector<std::uint32_t> selected;
  std::uint64_t selectedBytes = 0;
  panel.GetSelectedMediaLibIndex(selected, &selectedBytes, 0);
  const int selectedCount = panel.GetSelectedMediaCount();
  footer_->SetMusicPageInfo(selectedCount, list->GetItemCount(), selectedBytes, panel.GetTotalFileSize());

  stDeviceInfo info;
  const unsigned device = dmGetCurrentDevice(1);
  const bool known = device != DM_NO_DEVICE && dmGetDeviceInfo(device, info, 0) != Win::FALSE;
  const bool something = known && info.nDeviceKind == kDeviceKindRingtone ? selectedCount > 0 : selectedBytes > 0;
  SendMessageToParent(WM_LIBRARY_HAS_SELECTION, 0, something ? 1 : 0);

  const LibraryType type = panel.GetCurrentListType();
  if (type == kNowPlaying || type == kRecentlyPlayed) footer_->SetShowMode(kFooterShowModePlayLists);
  return 0;
}

LRESULT TYX_PanelCommands::OnListTrackPopup(WPARAM wParam, LPARAM lParam) {
  popupRow_ = static_cast<int>(static_cast<Win::LPARAM>(wParam));
  if (PopMenu()) return 0;
  PostMessageToParent(WM_LIBRARY_TRACK_POPUP, wParam, lParam);
  return 0;
}

LRESULT TYX_PanelCommands::OnListFileDrag(WPARAM wParam, LPARAM lParam) {
  return SendMessageToParent(WM_LIBRARY_FILE_DRAG, wParam, lParam);
}

// ---- Commands ---------------------------------------------------------------------------------------

void TYX_PanelCommands::ShowUserMessage(const char* text) {
  Controls::TYX_MessageBox::Show(Panel().GetTopLevelParent(), text);
}

void TYX_PanelCommands::OnFileDelete() {
  if (Panel().GetSelectedMediaCount() > 0) {
    RemoveSelectedMedia();
  } else {
    ShowUserMessage("선택한 곡이 없습니다.");
  }
  if (TYX_LibraryManager* store = Panel().GetLibraryManager()) {
    if (store->PackLibrary() != 0) Util::TYX_Log::Instance()->Add("TYX_LibraryPanel::OnFileDelete PackLibrary failed");
  }
}

void TYX_PanelCommands::OnFileListen() {
  if (Panel().GetSelectedMediaCount() == 0) {
    ShowUserMessage("선택한 곡이 없습니다.");
    return;
  }
  if (Panel().IsAllDimmedSelectedItems()) {
    ShowUserMessage("재생할 곡이 삭제되었거나 파일이 손상되었습니다.");
    return;
  }
  OnListBtnDblClick(0, 0);
}

void TYX_PanelCommands::OnCDRecject() {
  TYX_BandWnd* band = Panel().GetLibraryTreeCtrl();
  if (band == nullptr) return;
  const int drive = DriveOfPage(band->GetSelectedPageID());
  if (drive < 0) return;
  const auto d = static_cast<Audio::DWORD>(drive);
  const bool open = Audio::BASS_CD_DoorIsOpen(d) != 0;
  if (!Audio::BASS_CD_Door(d, open ? Audio::BASS_CD_DOOR_CLOSE : Audio::BASS_CD_DOOR_OPEN)) {
    Util::TYX_Log::Instance()->Add("TYX_LibraryPanel::OnCDRecject drive : %d failed", drive);
  }
}

void TYX_PanelCommands::OnBtnSyncGuide() {
  std::string folder = Win::Os::GetModuleFolder();
  if (!folder.empty() && folder.back() != '/') folder += '/';
  Win::Os::OpenHelpFile(folder + kSyncGuideHelpFile);
}

LRESULT TYX_PanelCommands::OnCDRomInOut() {
  TYX_LibraryPanel& panel = Panel();
  TYX_BandWnd* band = panel.GetLibraryTreeCtrl();
  if (panel.GetCurrentListType() != kAudioCd || band == nullptr) return 0;
  panel.Refresh(band->GetSelectedPageID(), TYX_LibraryPanel::REFRESH_LEVEL_NONE, 1);
  return 0;
}

// ---- Conversion and ripping -------------------------------------------------------------------------

LRESULT TYX_PanelCommands::OnMediaConverting(WPARAM wParam, LPARAM lParam) {
  TYX_LibraryPanel& panel = Panel();
  const LibraryType type = panel.GetCurrentListType();
  if (type == kNowPlaying || type == kRecentlyPlayed || type == kAudioCd) return 0;
  std::vector<std::uint32_t> indexes;
  if (panel.GetSelectedMediaLibIndex(indexes, nullptr, 0) != Win::S_OK || indexes.empty()) return 0;
  TYX_LibraryPanel::ListCtrl* list = panel.GetCurrentListCtrl();
  const int oldRows = list != nullptr ? list->GetItemCount() : 0;

  const Dialog::TYX_MediaConvertingOutcome outcome =
      Dialog::RunMediaConverting(panel.GetSafeHwnd(), panel.GetLibraryManager(), indexes, wParam, lParam);
  if (!outcome.converted) return 0;

  // New songs join the library list: show it again and scroll to where they begin.
  TYX_BandWnd* band = panel.GetLibraryTreeCtrl();
  if (band != nullptr && panel.IsAlive()) {
    const std::string page = band->GetSelectedPageID();
    if (GetLibraryType(page) == kLibrary) {
      panel.Refresh(page, TYX_LibraryPanel::REFRESH_LEVEL_NONE, 1);
      panel.EnsureVisible(oldRows);
    }
  }
  // Asked for in the option dialog: the rows that came with the conversion go to the phone.
  list = panel.GetCurrentListCtrl();
  if (outcome.transferAfter && list != nullptr && panel.IsAlive() && list->GetItemCount() > oldRows) {
    std::vector<int> selected;
    list->GetSelectedRows(selected);
    for (int row : selected) list->SetSelectedItem(row, Win::FALSE);
    for (int row = oldRows; row < list->GetItemCount(); ++row) list->SetSelectedItem(row, Win::TRUE);
    panel.Transfer().FileTransferToDevice();
  }
  return 0;
}

LRESULT TYX_PanelCommands::OnCDRipping(WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  TYX_LibraryPanel& panel = Panel();
  if (panel.GetCurrentListType() != kAudioCd) return 0;
  TYX_LibraryPanel::ListCtrl* list = panel.GetCurrentListCtrl();
  if (list == nullptr || list->GetItemCount() == 0) return 0;
  const bool all = wParam == 1;
  if (!all && list->GetSelectedCount() == 0) return 0;
  std::vector<Win::UINT> keys;
  list->GetSelectedFieldKeys(keys, all ? Win::TRUE : Win::FALSE);
  const std::vector<std::uint32_t> positions(keys.begin(), keys.end());
  return Dialog::RipCDTracks(panel.GetSafeHwnd(), panel.GetLibraryManager(), positions);
}

}  // namespace TYX::Library
