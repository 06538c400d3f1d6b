#pragma once
// The library panel: one list view at a time over the library store. The sidebar names a page; the
// panel maps it to a list type (library/page_id.h), shows that type's list control and fills it from
// the type's stock playlist.
//
// The host drives the panel as one class; its concerns are parts with their own state and their own
// message-table entries: the list model (this class: library_panel.cpp with Refresh and the shown
// list, library_panel_lists.cpp list set-up and columns, library_panel_fill.cpp row fills and updates,
// library_panel_select.cpp selection helpers, library_panel_now_playing.cpp the now-playing list),
// commands (panel_commands), navigation (panel_navigation: search and location), layout and assembly
// (panel_layout) and transfer (panel_transfer). The panel's public operations of a part forward to it.
//
// Threads: everything runs on the panel's window thread.
#include <array>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "contracts/library_manager.h"
#include "contracts/media.h"
#include "contracts/now_playing_list.h"
#include "library/page_id.h"
#include "library/panel_commands.h"
#include "library/panel_layout.h"
#include "library/panel_navigation.h"
#include "library/panel_transfer.h"
#include "platform/window.h"
#include "toolkit/list_ctrl_ex.h"
#include "util/file_type.h"

namespace TYX::Library {

class TYX_BandWnd;
class TYX_Library_SearchWnd;

// Messages of the panel for this list model.
constexpr Win::UINT WM_LIBRARY_SHOW_BAR = 0x9491;     // to the parent: wParam 0, lParam 5 show or 0 hide
constexpr Win::UINT WM_LIBRARY_FOOTER_COUNT = 0x948C; // to itself after the toolbar changed
// Control IDs.
constexpr Win::UINT kListCtrlId = 34020;
constexpr Win::DWORD kListCtrlStyle = 0x50001C01;

class TYX_LibraryPanel : public Win::Window {
 public:
  using LibraryType = ::TYX::Library::LibraryType;
  using ListCtrl = Controls::TYX_ListCtrlEx;
  using ListIndex = PanelList;
  using enum PanelList;

  // What a fill or update does to the item before the row is written.
  enum RefreshLevel : int {
    REFRESH_LEVEL_NONE = 0,        // use the item unchanged
    REFRESH_LEVEL_CHECKEXIST = 1,  // re-test the file on disk first
    REFRESH_LEVEL_UPDATE = 2,      // re-read the file's tags first
  };

  // Row status values.
  static constexpr int kRowStatusNone = 0;
  static constexpr int kRowStatusPresent = 1;
  static constexpr int kRowStatusMissing = 2;
  // The file size a CD track row counts with.
  static constexpr std::uint64_t kCdTrackFileSize = 44;
  // How long the CD fill waits for a drive to answer, by the tick counter.
  static constexpr std::uint32_t kCdWaitMs = 2000;
  static constexpr int kListRowHeight = 28;
  static constexpr std::uint32_t kSkinColorList = 27003;

  TYX_LibraryPanel();
  ~TYX_LibraryPanel() override;

  // ---- Window and collaborators (library_panel.cpp) ----------------------------------------------
  // Creates the panel window with its seven list controls and the search window. False on failure.
  bool CreatePanel(Win::HWND parent, const Win::Rect& rect, Win::UINT id);
  void SetLibraryManager(TYX_LibraryManager* manager);
  TYX_LibraryManager* GetLibraryManager() const { return manager_; }
  void SetLibraryTreeCtrl(TYX_BandWnd* band) { band_ = band; }
  TYX_BandWnd* GetLibraryTreeCtrl() const { return band_; }
  void SetMainWnd(Win::HWND hwnd) { mainWnd_ = hwnd; }
  Win::HWND GetMainWnd() const { return mainWnd_; }
  // The host's contents window and store window; kept for the host, the panel sends them nothing.
  void SetContentsWindow(Win::HWND hwnd) { contentsWnd_ = hwnd; }
  Win::HWND GetContentsWindow() const { return contentsWnd_; }
  void SetStoreManagerWindow(Win::HWND hwnd) { storeWnd_ = hwnd; }
  Win::HWND GetStoreManagerWindow() const { return storeWnd_; }
  // The window the library list's rows are dropped on; kept and handed to the library list control
  // whenever it exists (set before or after creation).
  void SetDropTargetWnd(Win::HWND hwnd);
  Win::HWND GetDropTargetWnd() const { return dropTargetWnd_; }
  // The path of the song being synchronised, kept by the transfer part.
  void SetCurrentSyncFile(const std::string& path) { transfer_->SetCurrentSyncFile(path); }
  // 1 from the end of the window's creation until Final, else 0.
  int IsStarted() const { return layout_->IsStarted() ? 1 : 0; }
  // Every list control takes the skin again and the list colour 27003 is read again. 0, or 0x80004005
  // without a loaded skin.
  long Reload();

  // The panel's parts.
  TYX_PanelCommands& Commands() { return *commands_; }
  TYX_PanelNavigation& Navigation() { return *navigation_; }
  const TYX_PanelNavigation& Navigation() const { return *navigation_; }
  TYX_PanelLayout& Layout() { return *layout_; }
  const TYX_PanelLayout& Layout() const { return *layout_; }
  TYX_PanelTransfer& Transfer() { return *transfer_; }

  // ---- Commands and events (panel_commands) -------------------------------------------------------
  void SetFooter(Contents::TYX_ContentsFooter* footer) { commands_->SetFooter(footer); }
  long SetTransferTargetFolder(const std::string& folder) { return transfer_->SetTransferTargetFolder(folder); }
  long RemoveSelectedMedia() { return commands_->RemoveSelectedMedia(); }
  long PlayOneSong(std::uint32_t libraryIndex) { return commands_->PlayOneSong(libraryIndex); }
  long ShowFilePropertyDlg() { return commands_->ShowFilePropertyDlg(); }
  long ShowFileID3EditDlg() { return commands_->ShowFileID3EditDlg(); }
  long ShowLyricsPopupDlg() { return commands_->ShowLyricsPopupDlg(); }
  long ShowLyricsPopupDlg(int row) { return commands_->ShowLyricsPopupDlg(row); }
  bool PopMenu() { return commands_->PopMenu(); }
  int IsDeviceConnected() const { return commands_->IsDeviceConnected(); }
  long SendMessageToParent(Win::UINT msg, Win::WPARAM w, Win::LPARAM l) { return commands_->SendMessageToParent(msg, w, l); }
  long PostMessageToParent(Win::UINT msg, Win::WPARAM w, Win::LPARAM l) { return commands_->PostMessageToParent(msg, w, l); }

  // Switches to the list of the page and fills it. Status 0, or 0x80004005 without store, list or
  // search window.
  long Refresh(const std::string& pageId, RefreshLevel level = REFRESH_LEVEL_NONE, int show = 1);
  // Shows the current type's list control, hides the six others and sets the toolbar.
  void RefreshShowListCtrl();
  long RefreshSelectedMedia();
  long RefreshAllMedia();
  long RefreshWebDownload() { return 0; }
  long UpdateListItem(int row, RefreshLevel level);
  long UpdateListItem(const std::string& path, std::uint32_t unused = 0);

  LibraryType GetCurrentListType() const { return listType_; }
  LibraryType GetPreviousListType() const { return prevListType_; }
  ListCtrl* GetCurrentListCtrl() const;
  ListCtrl* GetListCtrl(ListIndex which) const { return lists_[which].get(); }
  TYX_Playlist* GetCurrentPlaylist() const;
  TYX_Library_SearchWnd* GetSearchWnd() const { return navigation_->GetSearchWnd(); }
  // The size total of the rows listed by the last Refresh.
  std::uint64_t GetTotalFileSize() const { return totalFileSize_; }
  Win::COLORREF GetListSkinColor() const { return skinColor_; }
  // The power-search visibility of the library list (type 1) and the sync list (type 9).
  int GetPowerSearchFlag(LibraryType type) const { return navigation_->GetPowerSearchFlag(type); }
  void SetPowerSearchFlag(LibraryType type, int flag) { navigation_->SetPowerSearchFlag(type, flag); }
  // The location bar (owned by the host; kept alive while set) and navigation to an address.
  void SetLocationManager(Location::TYX_LocationWnd* bar) { navigation_->SetLocationManager(bar); }
  Location::TYX_LocationWnd* GetLocationManager() const { return navigation_->GetLocationManager(); }
  long Navigate(const std::string& address, int level) { return navigation_->Navigate(address, level); }
  void UpdateLocationWnd(const std::string& address) { navigation_->UpdateLocationWnd(address); }

  // Layout rectangles (top band, list area) as last computed, and the toolbar.
  Win::Rect GetListAreaRect() const { return layout_->GetListAreaRect(); }
  Win::Rect GetTopBandRect() const { return layout_->GetTopBandRect(); }
  Win::Window* GetToolbarButton(int i) const { return layout_->GetToolbarButton(i); }
  Win::Window* GetSyncAutoCheck() const { return layout_->GetSyncAutoCheck(); }
  TYX_HTMLView* GetHtmlView() const { return layout_->GetHtmlView(); }
  void Final() { layout_->Final(); }

  // ---- List set-up (library_panel_lists.cpp) ------------------------------------------------------
  // Creates the seven list controls (each only once), all with the same rectangle.
  void InitListCtrl(const Win::Rect& rect);
  void ClearListCtrl();
  static int GetMediaType(TYX_FILETYPE type);
  static int GetLyricIconIndex(std::uint32_t lyricFlags);

  // ---- Row fills (library_panel_fill.cpp) ---------------------------------------------------------
  long AddListItemLIB(std::uint32_t position, RefreshLevel level);
  long AddListItemNP(std::uint32_t position);
  long AddListItemOldNP(std::uint32_t position);
  long AddListItemCD(int drive);
  long AddListItemMyMelody(std::uint32_t position, RefreshLevel level);
  long AddListItemWebDownload(std::uint32_t position, RefreshLevel level);
  long AddListItemSync(std::uint32_t position);

  // ---- Selection helpers (library_panel_select.cpp) -----------------------------------------------
  std::uint32_t GetRowMediaLibIndex(int row, std::uint32_t unused = 0) const;
  long GetSelectedMediaLibIndex(std::vector<std::uint32_t>& out, std::uint64_t* total, int all) const;
  long GetAllMedia(std::vector<std::uint32_t>& out, std::uint64_t* total) const;
  long GetAllMedia(std::list<TYX_MediaPtr>& media, TYX_MediaPtr& current);
  long GetSelectedMedia(std::list<TYX_MediaPtr>& media, TYX_MediaPtr& current, int add, bool unused = false);
  void SetSelectAllMedia(bool select);
  int GetSelectedMediaCount() const;
  bool IsAllDimmedSelectedItems() const;
  std::uint32_t GetLibraryIndexFromMedia(TYX_Media* media) const;
  std::vector<std::uint32_t> GetLibraryIndexFromMedia(const std::list<TYX_MediaPtr>& media) const;
  void EnsureVisible(int row);
  static int ElementInArray(const std::string& list, const std::string& delimiter, const std::string& element);

  // ---- Now-playing list (library_panel_now_playing.cpp) -------------------------------------------
  std::uint32_t SetNowPlayList(bool clear, bool all, bool unused = false);
  std::uint32_t NPL_AddLibraryIndex(const std::vector<std::uint32_t>& indexes);
  TYX_MediaPtr NPL_GetMedia(std::uint32_t position);
  std::list<TYX_MediaPtr> NPL_GetMedia();
  long NPL_RemoveItem(std::uint32_t position);
  long NPL_RemoveItemAll();
  long RemoveItemOldPlayList(int unused = 0);
  long SetNowPlayingMedia(TYX_MediaPtr media, std::uint32_t playState);
  void DisplayCurrentPlayItem();
  std::uint32_t GetPlayListCount() const;
  std::uint32_t GetPlayListCurIndex() const;
  std::string GetPlayListTitle(std::uint32_t position) const;
  std::string GetNextPlayTitle() const;
  TYX_NowPlayingList* GetNowPlayList() const { return nowPlaying_.get(); }
  // Creates the now-playing state object and loads it from "sonvarmusic.imx" in the module folder;
  // saving writes it back there (at window creation and end).
  void LoadNowPlayingState();
  void SaveNowPlayingState();

 protected:
  void PaintContent(Win::DisplayList& dc) override { layout_->Paint(dc); }

 private:
  friend class TYX_PanelLayout;  // Final ends the now-playing state and the list controls
  // Set-ups of the list controls (library_panel_lists.cpp).
  void InitListCtrlLIB(const Win::Rect& rect);
  void InitListCtrlNP(const Win::Rect& rect);
  void InitListCtrlOldNP(const Win::Rect& rect);
  void InitListCtrlCD(const Win::Rect& rect);
  void InitListCtrlMyMelody(const Win::Rect& rect);
  void InitListCtrlSync(const Win::Rect& rect);
  void InitListCtrlWebDownload(const Win::Rect& rect);
  // Creates one list control with the common window, header and colours; false when it exists.
  bool CreateListCtrl(ListIndex which, const Win::Rect& rect);

  // Fills (library_panel_fill.cpp).
  long AddLibraryRow(ListCtrl* list, TYX_Playlist* playlist, std::uint32_t position, RefreshLevel level);
  long AddNowPlayingRow(ListCtrl* list, TYX_Playlist* playlist, std::uint32_t position, bool oldList);
  void WriteLibraryRow(ListCtrl* list, int row, TYX_LibraryItem* item, const std::string& path);
  // Fills the current list from the type's playlist, through the search filter when it filters the type.
  void FillFromPlaylist(const ListTypeInfo& info, bool typeChanged, RefreshLevel level);
  long AddRowOfList(PanelList list, std::uint32_t position, RefreshLevel level);
  // Lists whose rows take a refresh level (a presence test or a re-read of the file).
  static bool TestsFilesOfRows(PanelList list);
  void CheckFilesOfRows(PanelList list, TYX_Playlist* playlist, const std::vector<std::uint32_t>& positions);
  // Pumps the panel's messages while the drive does not answer; false when the list type changed.
  bool WaitForCdTracks(int drive, int& tracks);
  static void ApplyLevel(TYX_LibraryItem* item, RefreshLevel level);

  std::uint32_t CurrentIndexOf(TYX_Playlist* nowPlaying) const;

  // Everything below: panel thread.
  TYX_LibraryManager* manager_ = nullptr;  // owned by the host
  TYX_BandWnd* band_ = nullptr;            // owned by the host
  Win::HWND mainWnd_ = nullptr;
  Win::HWND contentsWnd_ = nullptr;
  Win::HWND storeWnd_ = nullptr;
  Win::HWND dropTargetWnd_ = nullptr;
  std::unique_ptr<TYX_NowPlayingList> nowPlaying_;
  std::array<std::unique_ptr<ListCtrl>, LIST_COUNT> lists_;
  LibraryType listType_;
  LibraryType prevListType_;
  std::uint64_t totalFileSize_ = 0;
  std::uint64_t refreshGeneration_ = 0;  // counts Refresh calls; a CD wait notices a newer one
  Win::COLORREF skinColor_ = 0;
  // The parts; created before any message can reach the panel, destroyed after its window.
  std::unique_ptr<TYX_PanelCommands> commands_;
  std::unique_ptr<TYX_PanelNavigation> navigation_;
  std::unique_ptr<TYX_PanelLayout> layout_;
  std::unique_ptr<TYX_PanelTransfer> transfer_;
};

}  // namespace TYX::Library
