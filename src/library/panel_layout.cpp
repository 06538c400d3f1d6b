// Creation order, layout rectangles, the toolbar and the end of the panel's window.
#include "library/panel_layout.h"

#include "library/library_panel.h"
#include "library/library_search_wnd.h"
#include "library/panel_navigation.h"
#include "toolkit/skin_button.h"
#include "util/log.h"
#include "util/skin.h"

namespace TYX::Library {

namespace {

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
constexpr int kTopBandHeight = 30;
constexpr int kTallTopBandHeight = 80;
constexpr int kSearchStripHeight = 21;

}  // namespace

TYX_PanelLayout::~TYX_PanelLayout() = default;

void TYX_PanelLayout::RegisterMessages() {
  TYX_LibraryPanel& panel = Panel();
  panel.OnMessage(Win::WM_CREATE, [this](Win::WPARAM, Win::LPARAM) { return OnCreate(); });
  panel.OnMessage(Win::WM_DESTROY, [this](Win::WPARAM, Win::LPARAM) {
    OnDestroy();
    return Win::LRESULT{0};
  });
  panel.OnMessage(Win::WM_SIZE, [this](Win::WPARAM, Win::LPARAM) {
    OnSize();
    return Win::LRESULT{0};
  });
}

Win::LRESULT TYX_PanelLayout::OnCreate() {
  TYX_LibraryPanel& panel = Panel();
  Util::TYX_Log::Instance()->Add("TYX_LibraryPanel::OnCreate()");
  panel.LoadNowPlayingState();
  UpdateRect();

  Win::Rect listRect = panel.GetClientRect();
  listRect.Deflate(20);
  panel.InitListCtrl(listRect);

  if (!panel.Navigation().CreateSearchWnd(rectSearch_)) return -1;

  syncCheck_ = std::make_unique<Win::Window>();
  if (!syncCheck_->Create(panel.GetSafeHwnd(), Win::Rect{17, 33, 417, 49}, Win::WS_CHILD, kSyncAutoCheckId)) return -1;
  const Util::TYX_Skin* skin = Util::TYX_Skin::Instance();
  for (int i = 0; i < kToolbarButtonCount; ++i) {
    // A button is as large as one state frame of its skin image.
    Win::Size size{kToolbarButtonWidth, kToolbarButtonHeight};
    if (skin != nullptr) {
      if (auto image = skin->GetImage(kToolbar[i].image)) size = image->FrameSize();
    }
    auto button = std::make_unique<Controls::TYX_SkinButton>();
    if (!button->CreateSkinButton(panel.GetSafeHwnd(), Win::Rect{0, 0, size.cx, size.cy}, kToolbar[i].command, {},
                                  Win::WS_CHILD | Win::WS_DISABLED)) {
      return -1;
    }
    button->SetBitmaps(kToolbar[i].image, kToolbar[i].image, kToolbar[i].image, kToolbar[i].image);
    buttons_[i] = std::move(button);
  }
  ButtonShow();
  if (panel.GetMainWnd() != nullptr) Win::PostMessage(panel.GetMainWnd(), WM_LIBRARY_PANEL_CREATED, 0, 0);
  Util::TYX_Log::Instance()->Add("TYX_LibraryPanel::OnCreate() End");
  return 0;
}

void TYX_PanelLayout::OnDestroy() { Panel().SaveNowPlayingState(); }

void TYX_PanelLayout::OnSize() {
  UpdateRect();
  for (int i = 0; i < LIST_COUNT; ++i) {
    TYX_LibraryPanel::ListCtrl* list = Panel().GetListCtrl(static_cast<PanelList>(i));
    if (list != nullptr && list->IsAlive()) list->MoveWindow(rectList_, false);
  }
}

Win::Window* TYX_PanelLayout::GetToolbarButton(int i) const {
  if (i < 0 || i >= kToolbarButtonCount) return nullptr;
  return buttons_[i].get();
}

void TYX_PanelLayout::UpdateRect() {
  const Win::Rect client = Panel().GetClientRect();
  const int w = client.Width();
  const int b = client.bottom;
  const int h = ListType(Panel().GetCurrentListType()).tallTopBand ? kTallTopBandHeight : kTopBandHeight;
  rectTop_ = Win::Rect{0, 0, w, h};
  if (searchShown_) {
    rectSearch_ = Win::Rect{0, h, w, h + kSearchStripHeight};
    rectSplitter_ = Win::Rect{0, h + kSearchStripHeight, w, h + kSearchStripHeight};
    rectList_ = Win::Rect{0, h + kSearchStripHeight, w, b};
  } else {
    rectSearch_ = Win::Rect{0, h, w, h};
    rectSplitter_ = Win::Rect{0, h, w, h};
    rectList_ = Win::Rect{0, h, w, b};
  }
}

void TYX_PanelLayout::ButtonShow() {
  const int w = Panel().GetClientRect().Width();
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
  if (ListType(Panel().GetCurrentListType()).hidesListenButton && buttons_[0]) buttons_[0]->ShowWindow(Win::SW_HIDE);
  Panel().PostMessage(WM_LIBRARY_FOOTER_COUNT, 0, 0);
}

void TYX_PanelLayout::ApplyToolbar(std::uint8_t enabled) {
  for (int i = 0; i < kToolbarButtonCount; ++i) {
    if (!buttons_[i]) continue;
    const bool on = (enabled & ToolbarBit(i)) != 0;
    buttons_[i]->EnableWindow(on);
    buttons_[i]->ShowWindow(on ? Win::SW_SHOW : Win::SW_HIDE);
  }
}

void TYX_PanelLayout::ShowSyncCheck(bool show) {
  if (syncCheck_ && syncCheck_->IsAlive()) syncCheck_->ShowWindow(show ? Win::SW_SHOW : Win::SW_HIDE);
}

void TYX_PanelLayout::ShowSearchStrip(bool show) {
  searchShown_ = show;
  Win::Window* search = Panel().GetSearchWnd();
  if (search != nullptr && search->IsAlive()) search->ShowWindow(show ? Win::SW_SHOW : Win::SW_HIDE);
  UpdateRect();
  if (search != nullptr && search->IsAlive()) search->MoveWindow(rectSearch_, false);
  MoveCurrentList();
  Panel().Invalidate();
}

void TYX_PanelLayout::MoveCurrentList() {
  TYX_LibraryPanel::ListCtrl* list = Panel().GetCurrentListCtrl();
  if (list != nullptr && list->IsAlive()) list->MoveWindow(rectList_, false);
}

}  // namespace TYX::Library
