// The panel window, its collaborators, Refresh and which list is shown.
#include "library/library_panel.h"

#include <cstdlib>

#include "platform/os_services.h"
#include "toolkit/skin_button.h"
#include "util/log.h"
#include "util/skin.h"

namespace TYX::Library {

namespace {

constexpr char kNowPlayingStateFile[] = "sonvarmusic.imx";

// Toolbar buttons 0 to 6: skin image, command, and x (negative: placed from the right edge).
struct ToolbarButtonDef {
  Win::UINT image;
  Win::UINT command;
  int x;
};
constexpr ToolbarButtonDef kToolbar[kToolbarButtonCount] = {
    {20509, 1025, 5}, {20510, 1014, 60}, {20511, 1036, 115}, {20512, 1035, 170},
    {20513, 1027, -1}, {20514, 1032, -1}, {20515, 1027, -1},
};
constexpr int kToolbarButtonWidth = 50;
constexpr int kToolbarButtonHeight = 18;

std::string NowPlayingStatePath() {
  std::string folder = Win::Os::GetModuleFolder();
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder + kNowPlayingStateFile;
}

}  // namespace

TYX_LibraryPanel::TYX_LibraryPanel()
    : listType_(static_cast<LibraryType>(1)), prevListType_(static_cast<LibraryType>(1)) {
  OnMessage(Win::WM_CREATE, [this](Win::WPARAM, Win::LPARAM) { return OnCreate(); });
  OnMessage(Win::WM_DESTROY, [this](Win::WPARAM, Win::LPARAM) {
    OnDestroyPanel();
    return Win::LRESULT{0};
  });
  OnMessage(Win::WM_SIZE, [this](Win::WPARAM, Win::LPARAM) {
    UpdateRect();
    for (auto& list : lists_) {
      if (list && list->IsAlive()) list->MoveWindow(rectList_, false);
    }
    return Win::LRESULT{0};
  });
  OnMessage(WM_POWERSEARCH_SHOW, [this](Win::WPARAM w, Win::LPARAM l) { return OnPowerSearchShow(w, l); });
  OnMessage(WM_LIBRARY_FOOTER_COUNT, [](Win::WPARAM, Win::LPARAM) { return Win::LRESULT{0}; });
}

TYX_LibraryPanel::~TYX_LibraryPanel() {
  // The window goes first, while the child objects still live.
  DestroyWindow();
}

bool TYX_LibraryPanel::CreatePanel(Win::HWND parent, const Win::Rect& rect, Win::UINT id) {
  return Create(parent, rect, Win::WS_CHILD | Win::WS_VISIBLE, id);
}

void TYX_LibraryPanel::SetLibraryManager(TYX_LibraryManager* manager) {
  manager_ = manager;
  if (searchWnd_) searchWnd_->SetLibManager(manager);
}

Win::LRESULT TYX_LibraryPanel::OnCreate() {
  Util::TYX_Log::Instance()->Add("TYX_LibraryPanel::OnCreate()");
  nowPlaying_ = std::make_unique<TYX_NowPlayingList>();
  nowPlaying_->Load(NowPlayingStatePath());
  UpdateRect();

  Win::Rect listRect = GetClientRect();
  listRect.Deflate(20);
  InitListCtrl(listRect);

  searchWnd_ = std::make_unique<TYX_Library_SearchWnd>();
  if (!searchWnd_->CreateSearchWnd(GetSafeHwnd(), rectSearch_)) return -1;
  searchWnd_->SetLibManager(manager_);

  syncCheck_ = std::make_unique<Win::Window>();
  if (!syncCheck_->Create(GetSafeHwnd(), Win::Rect{17, 33, 417, 49}, Win::WS_CHILD, kSyncAutoCheckId)) return -1;
  const Util::TYX_Skin* skin = Util::TYX_Skin::Instance();
  for (int i = 0; i < kToolbarButtonCount; ++i) {
    // A button is as large as one state frame of its skin image.
    Win::Size size{kToolbarButtonWidth, kToolbarButtonHeight};
    if (skin != nullptr) {
      if (auto image = skin->GetImage(kToolbar[i].image)) size = image->FrameSize();
    }
    auto button = std::make_unique<Controls::TYX_SkinButton>();
    if (!button->CreateSkinButton(GetSafeHwnd(), Win::Rect{0, 0, size.cx, size.cy},
                                  kToolbar[i].command, {}, Win::WS_CHILD | Win::WS_DISABLED)) {
      return -1;
    }
    button->SetBitmaps(kToolbar[i].image, kToolbar[i].image, kToolbar[i].image, kToolbar[i].image);
    buttons_[i] = std::move(button);
  }
  ButtonShow();
  if (mainWnd_ != nullptr) Win::PostMessage(mainWnd_, 0x8A68, 0, 0);
  Util::TYX_Log::Instance()->Add("TYX_LibraryPanel::OnCreate() End");
  return 0;
}

void TYX_LibraryPanel::OnDestroyPanel() {
  if (nowPlaying_) nowPlaying_->Save(NowPlayingStatePath());
}

Win::Window* TYX_LibraryPanel::GetToolbarButton(int i) const {
  if (i < 0 || i >= kToolbarButtonCount) return nullptr;
  return buttons_[i].get();
}

int TYX_LibraryPanel::GetPowerSearchFlag(LibraryType type) const {
  if (static_cast<int>(type) == 9) return powerSearchSync_;
  return powerSearchLib_;
}

void TYX_LibraryPanel::SetPowerSearchFlag(LibraryType type, int flag) {
  if (static_cast<int>(type) == 9) {
    powerSearchSync_ = flag;
  } else if (static_cast<int>(type) == 1) {
    powerSearchLib_ = flag;
  }
}

TYX_LibraryPanel::ListIndex TYX_LibraryPanel::ListIndexOfType(LibraryType type) const {
  switch (static_cast<int>(type)) {
    case 3: return LIST_NOWPLAYING;
    case 4: return LIST_OLDNOWPLAYING;
    case 5: return LIST_CD;
    case 7: return LIST_MYMELODY;
    case 9: return LIST_SYNC;
    case 10: return LIST_WEBDOWNLOAD;
    default: return LIST_LIBRARY;
  }
}

TYX_LibraryPanel::ListCtrl* TYX_LibraryPanel::GetCurrentListCtrl() const {
  if (!IsAlive()) return nullptr;
  return lists_[ListIndexOfType(listType_)].get();
}

TYX_Playlist* TYX_LibraryPanel::GetCurrentPlaylist() const {
  if (manager_ == nullptr) return nullptr;
  std::uint32_t id = 0;
  switch (static_cast<int>(listType_)) {
    case 3: id = STOCK_PLAYLIST_NOWPLAYING; break;
    case 4: id = STOCK_PLAYLIST_OLDNOWPLAYING; break;
    case 9: id = STOCK_PLAYLIST_SYNC; break;
    case 10: id = STOCK_PLAYLIST_TRANSFERRED; break;
    default: id = STOCK_PLAYLIST_LIBRARY; break;  // 5 included: CD rows are library songs
  }
  return manager_->GetStockPlaylist(static_cast<ENUM_STOCK_PLAYLIST>(id));
}

long TYX_LibraryPanel::Refresh(const std::string& pageId, RefreshLevel level, int show) {
  Util::TYX_Log::Instance()->Add("TYX::Library::TYX_LibraryPanel::Refresh before");
  if (manager_ == nullptr || GetCurrentListCtrl() == nullptr || !searchWnd_) return Win::E_FAIL;

  const std::string id = pageId.substr(0, 6);
  const LibraryType type = TYX_BandWnd::GetLibraryType(id);
  const bool changed = type != listType_;
  ++refreshGeneration_;
  prevListType_ = listType_;
  listType_ = type;

  ClearListCtrl();
  Util::TYX_Log::Instance()->Add("TYX::Library::TYX_LibraryPanel::Refresh bRefresh : %d", show);
  if (show != 0) RefreshShowListCtrl();

  switch (static_cast<int>(type)) {
    case 1:
      FillFromPlaylist(STOCK_PLAYLIST_LIBRARY, true, changed, level);
      break;
    case 3:
    case 4:
    case 7:
      FillFromPlaylist(static_cast<int>(type) == 3   ? STOCK_PLAYLIST_NOWPLAYING
                       : static_cast<int>(type) == 4 ? STOCK_PLAYLIST_OLDNOWPLAYING
                                                     : STOCK_PLAYLIST_LIBRARY,
                       false, changed, level);
      // Puts the playing mark back from the stored play state.
      SetNowPlayingMedia(nullptr, kNoPosition);
      break;
    case 5: {
      // "3" followed by the 1-based drive number in five digits.
      const std::string digits = id.size() > 1 ? id.substr(1) : std::string();
      char* end = nullptr;
      const long number = std::strtol(digits.c_str(), &end, 10);
      const bool numeric = !digits.empty() && end != nullptr && *end == '\0';
      AddListItemCD(numeric ? static_cast<int>(number) - 1 : -1);
      break;
    }
    case 9:
      FillFromPlaylist(STOCK_PLAYLIST_SYNC, true, changed, level);
      break;
    case 10:
      FillFromPlaylist(STOCK_PLAYLIST_TRANSFERRED, true, changed, level);
      break;
    default:
      // Saved lists, search results, the host's page and unknown pages list nothing.
      totalFileSize_ = 0;
      return Win::S_OK;
  }

  std::vector<std::uint32_t> indexes;
  totalFileSize_ = 0;
  GetAllMedia(indexes, &totalFileSize_);
  ButtonShow();
  return Win::S_OK;
}

void TYX_LibraryPanel::FillFromPlaylist(ENUM_STOCK_PLAYLIST id, bool filtered, bool typeChanged, RefreshLevel level) {
  TYX_Playlist* playlist = manager_->GetStockPlaylist(id);
  if (playlist == nullptr) return;
  if (filtered) searchWnd_->SetStockPlaylistType(id, typeChanged ? 1 : 0);
  ListCtrl* list = GetCurrentListCtrl();
  const std::uint32_t count = playlist->CountItem();
  if (list != nullptr) {
    list->SetRedraw(false);
    list->ReserveRows(static_cast<int>(count));
  }
  for (std::uint32_t pos = 0; pos < count; ++pos) {
    if (filtered && searchWnd_->IsVisibleItem(pos) == 0) continue;
    switch (id) {
      case STOCK_PLAYLIST_LIBRARY:
        if (static_cast<int>(listType_) == 7) {
          AddListItemMyMelody(pos, level);
        } else {
          AddListItemLIB(pos, level);
        }
        break;
      case STOCK_PLAYLIST_NOWPLAYING: AddListItemNP(pos); break;
      case STOCK_PLAYLIST_OLDNOWPLAYING: AddListItemOldNP(pos); break;
      case STOCK_PLAYLIST_SYNC: AddListItemSync(pos); break;
      case STOCK_PLAYLIST_TRANSFERRED: AddListItemWebDownload(pos, level); break;
      default: break;
    }
  }
  if (list != nullptr) list->SetRedraw(true);
}

void TYX_LibraryPanel::RefreshShowListCtrl() {
  UpdateRect();
  if (syncCheck_) syncCheck_->ShowWindow(Win::SW_HIDE);
  const ListIndex shown = ListIndexOfType(listType_);
  for (int i = 0; i < LIST_COUNT; ++i) {
    if (lists_[i] && lists_[i]->IsAlive()) lists_[i]->ShowWindow(i == shown ? Win::SW_SHOW : Win::SW_HIDE);
  }

  const int type = static_cast<int>(listType_);
  const int prev = static_cast<int>(prevListType_);
  Win::WPARAM powerSearch = 0;
  std::vector<int> enabled;
  int barParam = 5;
  bool sendBar = true;
  switch (type) {
    case 3:
      enabled = {4};
      barParam = 0;
      sendBar = prev != 4;
      break;
    case 4:
      barParam = 0;
      break;
    case 5:
      break;
    case 7:
      enabled = {0, 1, 6};
      sendBar = prev != 1;
      break;
    case 9:
      powerSearch = static_cast<Win::WPARAM>(powerSearchSync_);
      enabled = {0, 1, 2, 4, 5};
      if (syncCheck_) syncCheck_->ShowWindow(Win::SW_SHOW);
      break;
    case 10:
      enabled = {0, 1};
      break;
    default:
      powerSearch = static_cast<Win::WPARAM>(powerSearchLib_);
      enabled = {0, 1, 2, 3, 4, 5};
      sendBar = prev != 7;
      break;
  }
  SendMessage(WM_POWERSEARCH_SHOW, powerSearch, 0);
  for (int i = 0; i < kToolbarButtonCount; ++i) {
    if (!buttons_[i]) continue;
    bool on = false;
    for (int e : enabled) on = on || e == i;
    buttons_[i]->EnableWindow(on);
    buttons_[i]->ShowWindow(on ? Win::SW_SHOW : Win::SW_HIDE);
  }
  if (sendBar) SendMessageToParentWindow(WM_LIBRARY_SHOW_BAR, 0, barParam);

  if (ListCtrl* list = GetCurrentListCtrl(); list != nullptr && list->IsAlive()) list->MoveWindow(rectList_, false);
  Invalidate();
}

void TYX_LibraryPanel::UpdateRect() {
  const Win::Rect client = GetClientRect();
  const int w = client.Width();
  const int b = client.bottom;
  const int h = static_cast<int>(listType_) == 9 ? 80 : 30;
  rectTop_ = Win::Rect{0, 0, w, h};
  if (searchShown_) {
    rectSearch_ = Win::Rect{0, h, w, h + 21};
    rectSplitter_ = Win::Rect{0, h + 21, w, h + 21};
    rectList_ = Win::Rect{0, h + 21, w, b};
  } else {
    rectSearch_ = Win::Rect{0, h, w, h};
    rectSplitter_ = Win::Rect{0, h, w, h};
    rectList_ = Win::Rect{0, h, w, b};
  }
}

void TYX_LibraryPanel::ButtonShow() {
  const int w = GetClientRect().Width();
  const int y = rectList_.top - (searchShown_ ? 45 : 24);
  for (int i = 0; i < kToolbarButtonCount; ++i) {
    if (!buttons_[i]) continue;
    const int width = buttons_[i]->GetRectInParent().Width();
    int x = kToolbar[i].x;
    if (i == 5 || i == 6) x = w - width - 6;
    if (i == 4) {
      const int width5 = buttons_[5] ? buttons_[5]->GetRectInParent().Width() : 0;
      x = w - width - width5 - 12;
    }
    buttons_[i]->MoveWindow(Win::Rect{x, y, x + width, y + buttons_[i]->GetRectInParent().Height()}, false);
  }
  if (static_cast<int>(listType_) == 7 && buttons_[0]) buttons_[0]->ShowWindow(Win::SW_HIDE);
  PostMessage(WM_LIBRARY_FOOTER_COUNT, 0, 0);
}

Win::LRESULT TYX_LibraryPanel::OnPowerSearchShow(Win::WPARAM show, Win::LPARAM update) {
  (void)update;
  searchShown_ = show == 1;
  if (searchWnd_ && searchWnd_->IsAlive()) searchWnd_->ShowWindow(searchShown_ ? Win::SW_SHOW : Win::SW_HIDE);
  UpdateRect();
  if (searchWnd_ && searchWnd_->IsAlive()) searchWnd_->MoveWindow(rectSearch_, false);
  if (ListCtrl* list = GetCurrentListCtrl(); list != nullptr && list->IsAlive()) list->MoveWindow(rectList_, false);
  Invalidate();
  return 0;
}

}  // namespace TYX::Library
