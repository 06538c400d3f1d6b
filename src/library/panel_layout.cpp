// Creation order, layout rectangles, fonts, splitter, HTML view, toolbar, painting and the panel's end.
#include "library/panel_layout.h"

#include <cctype>
#include <cstdlib>

#include "library/html_view.h"
#include "library/library_panel.h"
#include "library/library_search_wnd.h"
#include "library/panel_navigation.h"
#include "toolkit/check_box.h"
#include "toolkit/menu_xp.h"
#include "toolkit/skin_button.h"
#include "toolkit/splitter_control.h"
#include "toolkit/static_text.h"
#include "util/init.h"
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
// The splitter moves between 250 and 153 pixels above the client bottom.
constexpr int kSplitterTopFromBottom = 250;
constexpr int kSplitterBottomFromBottom = 153;
constexpr char kFontFace[] = "돋움";
constexpr char kSyncAutoStart[] = "SyncAutoStart";

void Log(const char* text) { Util::TYX_Log::Instance()->Add("%s", text); }

// A configuration text read as a boolean: a non-zero number, or true, yes or on in any letter case.
bool TextIsTrue(const std::string& text) {
  std::string t;
  for (char c : text) {
    if (!std::isspace(static_cast<unsigned char>(c))) t += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  if (t == "true" || t == "yes" || t == "on") return true;
  if (t.empty()) return false;
  char* end = nullptr;
  const long value = std::strtol(t.c_str(), &end, 10);
  return end != nullptr && *end == '\0' && value != 0;
}

}  // namespace

TYX_PanelLayout::TYX_PanelLayout(TYX_LibraryPanel& panel) : TYX_PanelPart(panel) {}

TYX_PanelLayout::~TYX_PanelLayout() = default;

void TYX_PanelLayout::RegisterMessages() {
  TYX_LibraryPanel& panel = Panel();
  panel.OnMessage(Win::WM_CREATE, [this](Win::WPARAM, Win::LPARAM) { return OnCreate(); });
  panel.OnMessage(Win::WM_DESTROY, [this](Win::WPARAM, Win::LPARAM) {
    OnDestroy();
    return Win::LRESULT{0};
  });
  panel.OnMessage(Win::WM_SIZE, [this](Win::WPARAM, Win::LPARAM l) {
    OnSize(static_cast<int>(Win::LOWORD(static_cast<std::uintptr_t>(l))),
           static_cast<int>(Win::HIWORD(static_cast<std::uintptr_t>(l))));
    return Win::LRESULT{0};
  });
  panel.OnNotify(kSplitterId, Controls::SPN_SIZED, [this](Win::NMHDR* hdr) {
    OnSplitterMoved(reinterpret_cast<Controls::SPC_NMHDR*>(hdr)->delta);
    return Win::LRESULT{0};
  });
}

Win::LRESULT TYX_PanelLayout::OnCreate() {
  TYX_LibraryPanel& panel = Panel();
  Log("TYX_LibraryPanel::OnCreate()");
  const Win::Rect client = panel.GetClientRect();
  clientWidth_ = client.Width();
  clientHeight_ = client.Height();
  Controls::TYX_MenuXP::SetXPLookNFeel(panel.GetSafeHwnd(), true);

  Log("TYX_NowPlayingList 생성");
  panel.LoadNowPlayingState();

  Log("TYX_OldPlayingList 생성");
  InitFont();

  Log("TYX_LibraryPanel::OnCreate, InitSplitterBar");
  if (!InitSplitterBar()) return -1;

  Log("TYX_LibraryPanel::OnCreate, LoadBGBmp");
  backgroundImage_ = kSyncBackgroundImage;
  UpdateRect();

  Log("TYX_LibraryPanel::OnCreate, 버튼초기화");
  if (!ButtonInit()) return -1;

  Log("TYX_LibraryPanel::OnCreate, 버튼");
  ButtonShow();

  Log("TYX_LibraryPanel::OnCreate, 리스트초기화");
  Win::Rect listRect = client;
  listRect.Deflate(20);
  panel.InitListCtrl(listRect);

  Log("TYX_LibraryPanel::OnCreate, 검색창 생성");
  if (!panel.Navigation().CreateSearchWnd(rectSearch_)) return -1;

  if (!CreateToolbar()) return -1;
  if (!CreateSyncArea()) return -1;

  if (panel.GetMainWnd() != nullptr) Win::PostMessage(panel.GetMainWnd(), WM_LIBRARY_PANEL_CREATED, 0, 0);
  Log("TYX_LibraryPanel::OnCreate() End");
  started_ = true;
  return 0;
}

void TYX_PanelLayout::InitFont() {
  fonts_[FONT_12_BOLD] = Win::Font{kFontFace, 12, true};
  fonts_[FONT_12] = Win::Font{kFontFace, 12, false};
  fonts_[FONT_11] = Win::Font{kFontFace, 11, false};
  fonts_[FONT_14] = Win::Font{kFontFace, 14, false};
}

bool TYX_PanelLayout::InitSplitterBar() {
  TYX_LibraryPanel& panel = Panel();
  UpdateRect();
  auto splitter = std::make_unique<Controls::TYX_SplitterControl>();
  if (!splitter->CreateSplitter(panel.GetSafeHwnd(), rectSplitter_, kSplitterId,
                                Controls::TYX_SplitterControl::Orientation::Horizontal, Win::WS_CHILD)) {
    return false;
  }
  splitter->SetBarImages(20437, 20439, 20438, 20440);
  const int bottom = panel.GetClientRect().bottom;
  // A panel too small for the range leaves the splitter without one rather than inverted.
  splitter->SetRange(bottom - kSplitterTopFromBottom, bottom - kSplitterBottomFromBottom);
  splitter_ = std::move(splitter);
  return true;
}

bool TYX_PanelLayout::ButtonInit() {
  Log("TYX_LibraryPanel::CreateHtmlButton");
  auto view = std::make_unique<TYX_HTMLView>();
  if (!view->CreateView(Panel().GetSafeHwnd(), rectTop_, kHtmlViewId)) return false;
  view->SetMessageTarget(Panel().GetSafeHwnd());
  htmlView_ = std::move(view);
  Log("TYX_LibraryPanel::CreateHtmlButton End");
  return true;
}

bool TYX_PanelLayout::CreateToolbar() {
  TYX_LibraryPanel& panel = Panel();
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
      return false;
    }
    button->SetBitmaps(kToolbar[i].image, kToolbar[i].image, kToolbar[i].image, kToolbar[i].image);
    buttons_[i] = std::move(button);
  }
  return true;
}

bool TYX_PanelLayout::CreateSyncArea() {
  const Win::HWND panel = Panel().GetSafeHwnd();
  auto hint = std::make_unique<Controls::TYX_StaticText>();
  if (!hint->CreateStatic(panel, Win::Rect{17, 12, 617, 28}, kSyncHintId, kSyncHintText, Win::WS_CHILD)) return false;
  hint->SetTextColor(0x6B6056);
  syncHint_ = std::move(hint);

  auto check = std::make_unique<Controls::TYX_CheckBox>();
  if (!check->CreateCheckBox(panel, Win::Rect{17, 33, 417, 49}, kSyncAutoCheckId, kSyncCheckText, Win::WS_CHILD)) {
    return false;
  }
  check->SetTextColors(0x6B6056, 0xADADAD);
  check->SetBackground(0xFFFFFF);
  check->SetCheck(false);
  if (Util::TYX_INIT::Instance()->GetAttributeInt(kSyncAutoStart, 0) != 0) check->SetCheck(true);
  syncCheck_ = std::move(check);
  return true;
}

void TYX_PanelLayout::OnDestroy() { Panel().SaveNowPlayingState(); }

void TYX_PanelLayout::OnSize(int width, int height) {
  clientWidth_ = width;
  clientHeight_ = height;
  UpdateRect();
  if (htmlView_ && htmlView_->IsAlive()) htmlView_->MoveWindow(rectTop_, false);
  if (splitter_ && splitter_->IsAlive()) splitter_->MoveWindow(rectSplitter_, false);
  Win::Window* search = Panel().GetSearchWnd();
  if (search != nullptr && search->IsAlive()) search->MoveWindow(rectSearch_, false);
  for (int i = 0; i < LIST_COUNT; ++i) {
    TYX_LibraryPanel::ListCtrl* list = Panel().GetListCtrl(static_cast<PanelList>(i));
    if (list != nullptr && list->IsAlive()) list->MoveWindow(rectList_, false);
  }
}

void TYX_PanelLayout::OnSplitterMoved(int delta) {
  rectSearch_.bottom += delta;
  // The strip itself grows with its rectangle, so no gap opens above the lists.
  Win::Window* search = Panel().GetSearchWnd();
  if (search != nullptr && search->IsAlive()) search->MoveWindow(rectSearch_, false);
  for (int i = 0; i < LIST_COUNT; ++i) {
    TYX_LibraryPanel::ListCtrl* list = Panel().GetListCtrl(static_cast<PanelList>(i));
    if (list == nullptr || !list->IsAlive()) continue;
    Win::Rect r = list->GetRectInParent();
    r.top += delta;
    list->MoveWindow(r, false);
  }
  rectSplitter_.Offset(0, delta);
  Panel().Invalidate();
}

Win::Window* TYX_PanelLayout::GetToolbarButton(int i) const {
  if (i < 0 || i >= kToolbarButtonCount) return nullptr;
  return buttons_[i].get();
}

Win::Window* TYX_PanelLayout::GetSyncAutoCheck() const { return syncCheck_.get(); }

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

int TYX_PanelLayout::GetToolbarTop() const { return rectList_.top - (searchShown_ ? 45 : 24); }

void TYX_PanelLayout::ButtonShow() {
  const int w = Panel().GetClientRect().Width();
  const int y = GetToolbarTop();
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
  const LibraryType type = Panel().GetCurrentListType();
  if (ListType(type).hidesListenButton && buttons_[0]) buttons_[0]->ShowWindow(Win::SW_HIDE);
  if (type == kSyncList && htmlView_) {
    const bool autoStart = TextIsTrue(Util::TYX_INIT::Instance()->GetAttributeStr(kSyncAutoStart));
    htmlView_->SetLoadScriptFunction(autoStart ? kLoadFunctionSync : "");
  }
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
  if (syncHint_ && syncHint_->IsAlive()) syncHint_->ShowWindow(show ? Win::SW_SHOW : Win::SW_HIDE);
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

void TYX_PanelLayout::Final() {
  TYX_LibraryPanel& panel = Panel();
  started_ = false;
  panel.SaveNowPlayingState();
  panel.nowPlaying_.reset();
  htmlView_.reset();
  // Library, now playing, previous now playing, CD, ringtone, sync, transferred songs.
  for (int i = 0; i < LIST_COUNT; ++i) panel.lists_[static_cast<std::size_t>(i)].reset();
}

void TYX_PanelLayout::Paint(Win::DisplayList& dc) const {
  const Win::Rect client = Panel().GetClientRect();
  dc.FillRect(client, kBackColor);
  if (Panel().GetCurrentListType() == kSyncList && backgroundImage_ != 0) dc.Image(backgroundImage_, rectTop_);
  const int y = GetToolbarTop() - 6;
  dc.Line(Win::Point{0, y}, Win::Point{client.Width(), y}, kToolbarLineColor);
}

}  // namespace TYX::Library
