#pragma once
// The panel's command and event side: list-control notifications, toolbar and menu commands, store
// notifications folded into one-shot timers, the song actions (remove, play, tag and lyrics dialogs,
// conversion, ripping, the CD tray, help) and the requests passed on to the host.
//
// Threads: everything runs on the panel's window thread; store notifications arrive as posted
// messages and are handled there.
#include <cstdint>
#include <string>
#include <vector>

#include "contracts/media.h"
#include "library/panel_part.h"
#include "platform/window.h"

namespace TYX::Contents {
class TYX_ContentsFooter;
}

namespace TYX::Library {

// Messages the panel sends or posts to its parent (the host).
constexpr Win::UINT WM_LIBRARY_PLAY_ONE_SONG = 0x8934;  // sent: wParam a TYX_MediaPtr*, valid during the send
constexpr Win::UINT WM_LIBRARY_PLAY_SELECTION = 0x9489; // sent: play the current selection
constexpr Win::UINT WM_LIBRARY_HAS_SELECTION = 0x9492;  // sent: lParam 1 when something is selected
constexpr Win::UINT WM_LIBRARY_TRACK_POPUP = 0x94A6;    // posted: the host's menu for a list without one
constexpr Win::UINT WM_LIBRARY_FILE_DRAG = 0x94B1;      // sent: rows dragged out, as the list sent it
constexpr Win::UINT WM_LIBRARY_SHOW_LYRICS = 0xA05E;    // posted: wParam 3, lParam the store's song number
// Messages of the panel itself.
constexpr Win::UINT WM_LIBRARY_MEDIA_CONVERTING = 0x948E;  // wParam output type, lParam non-zero presets it
constexpr Win::UINT WM_LIBRARY_CD_RIPPING = 0x948F;        // wParam 1 rips every row
constexpr Win::UINT WM_LIBRARY_CDROM_INOUT = 0x8A62;
constexpr Win::UINT WM_LIBRARY_RINGTONE_TRANSFER = 0xAC64;
constexpr Win::UINT WM_LIBRARY_LOGIN_STATE = 0xA04B;
constexpr Win::UINT WM_LIBRARY_SYNC_SET_INDEX = 0x8A63;
constexpr Win::UINT WM_LIBRARY_SYNC_MODEL_CHANGE = 0x9550;

// Commands of the toolbar, the menus and the host.
constexpr Win::UINT kCmdTransferDevice = 1014;
constexpr Win::UINT kCmdToNowPlaying = 1017;
constexpr Win::UINT kCmdCDRipping = 1018;
constexpr Win::UINT kCmdCDEject = 1019;
constexpr Win::UINT kCmdSyncGuide = 1020;
constexpr Win::UINT kCmdSyncGuide2 = 1023;
constexpr Win::UINT kCmdFileDelete = 1024;
constexpr Win::UINT kCmdFileListen = 1025;
constexpr Win::UINT kCmdFileCopy = 1026;
constexpr Win::UINT kCmdAddMenu = 1027;
constexpr Win::UINT kCmdMenuAddFiles = 1028;
constexpr Win::UINT kCmdMenuAddFolder = 1029;
constexpr Win::UINT kCmdFileCopyMenu = 1035;
constexpr Win::UINT kCmdDeleteButton = 1036;
// To the application's main window.
constexpr Win::UINT kCmdMainAddFiles = 44002;
constexpr Win::UINT kCmdMainAddFolder = 44003;

// Timers that fold bursts of store notifications into one refresh.
constexpr Win::UINT_PTR kTimerLibraryRefresh = 1000;
constexpr Win::UINT_PTR kTimerNowPlaying = 44150;
constexpr Win::UINT_PTR kTimerOldNowPlaying = 44151;
constexpr Win::UINT kLibraryRefreshDelayMs = 400;
constexpr Win::UINT kNowPlayingRefreshDelayMs = 100;

// The lyrics column's type and the help file beside the program.
constexpr int kColTypeLyrics = 19;
inline constexpr char kSyncGuideHelpFile[] = "syncguide.chm";

// One item of a context menu as the panel builds it.
struct TYX_PanelMenuItem {
  Win::UINT command = 0;
  std::string text;
  bool grayed = false;
};

class TYX_PanelCommands : public TYX_PanelPart {
 public:
  using TYX_PanelPart::TYX_PanelPart;

  void RegisterMessages() override;

  // The host's footer (may be absent); kept while set.
  void SetFooter(Contents::TYX_ContentsFooter* footer) { footer_ = footer; }
  Contents::TYX_ContentsFooter* GetFooter() const { return footer_; }
  // Registers the panel's window for the store's change notices. False without window or store.
  bool ListenToStore();
  // The id of the pending library refresh timer, 0 when none.
  Win::UINT_PTR GetRefreshTimerId() const { return refreshTimer_; }

  // ---- Requests to the host (0x80004005 without a window or a parent) ------------------------------
  long SendMessageToParent(Win::UINT msg, Win::WPARAM wParam, Win::LPARAM lParam);
  long PostMessageToParent(Win::UINT msg, Win::WPARAM wParam, Win::LPARAM lParam);

  // ---- Song actions (panel_commands_songs.cpp) ------------------------------------------------------
  long RemoveSelectedMedia();
  long PlayOneSong(std::uint32_t libraryIndex);
  long ShowFilePropertyDlg();
  long ShowFileID3EditDlg();
  long ShowLyricsPopupDlg();
  long ShowLyricsPopupDlg(int row);
  // 1 when the device manager lists at least one device, else 0.
  int IsDeviceConnected() const;

  // ---- Menus (panel_menus.cpp) ----------------------------------------------------------------------
  // The current type's context menu; false when the type has none.
  bool PopMenu();
  bool PopMenu_NowPlaying();
  bool PopMenu_OldNowPlaying();
  bool PopMenu_Synclist();
  bool PopMenu_WebDownload();
  // The add menu of command 1027.
  void PopMenu_Add();
  // The items of the current type's menu as they would be shown (empty for none or an empty menu).
  std::vector<TYX_PanelMenuItem> MenuItemsOf(int type) const;

  // ---- Handlers ---------------------------------------------------------------------------------------
  // False for a timer that is not one of the three above.
  bool OnTimer(Win::UINT_PTR id);
  Win::LRESULT OnListBtnDblClick(Win::WPARAM wParam, Win::LPARAM lParam);
  Win::LRESULT OnListImgClick(Win::WPARAM row, Win::LPARAM column);
  Win::LRESULT OnListRowClick(Win::WPARAM row, Win::LPARAM column);
  Win::LRESULT OnListTrackPopup(Win::WPARAM wParam, Win::LPARAM lParam);
  Win::LRESULT OnListFileDrag(Win::WPARAM wParam, Win::LPARAM lParam);
  Win::LRESULT OnMediaConverting(Win::WPARAM wParam, Win::LPARAM lParam);
  Win::LRESULT OnCDRipping(Win::WPARAM wParam, Win::LPARAM lParam);
  void OnFileDelete();
  void OnFileListen();
  void OnCDRecject();
  void OnBtnSyncGuide();
  Win::LRESULT OnCDRomInOut();
  // Store notifications: event codes 3 and 4 restart the timer of their kind.
  Win::LRESULT OnMusicLibraryNotifyEvent(Win::WPARAM event, Win::LPARAM index);
  Win::LRESULT OnSyncLibraryNotifyEvent(Win::WPARAM event, Win::LPARAM index);
  Win::LRESULT OnLibraryNotifyEvent_NowPlaying(Win::WPARAM event, Win::LPARAM index);
  Win::LRESULT OnLibraryNotifyEvent_OldNowPlay(Win::WPARAM event, Win::LPARAM index);

 private:
  void RegisterListMessages();
  void RegisterCommands();
  void RegisterMenuMessages();
  void RestartRefreshTimer();
  // Shows a menu of items at the current list and carries out the chosen command.
  void TrackAndDispatch(const std::vector<TYX_PanelMenuItem>& items, Win::Point screenPoint);
  void DispatchMenuCommand(Win::UINT command);
  Win::Point MenuPoint() const;
  void ShowUserMessage(const char* text);

  Contents::TYX_ContentsFooter* footer_ = nullptr;  // owned by the host; panel thread, like every field below
  Win::UINT_PTR refreshTimer_ = 0;
  int popupRow_ = -1;  // the row of the last context-menu request
};

}  // namespace TYX::Library
