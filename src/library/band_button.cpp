#include "library/band_button.h"

#include "toolkit/toolkit_types.h"
#include "util/skin.h"

namespace TYX::Library {

TYX_BandButton::TYX_BandButton() {
  OnMessage(Win::WM_MOUSEMOVE, [this](Win::WPARAM, Win::LPARAM) -> Win::LRESULT {
    if (!hover_) {
      hover_ = true;
      Invalidate();
    }
    return 0;
  });
  OnMessage(Win::WM_LBUTTONDOWN, [this](Win::WPARAM, Win::LPARAM) -> Win::LRESULT {
    pushed_ = true;
    SetFocus();
    Invalidate();
    return 0;
  });
  OnMessage(Win::WM_LBUTTONUP, [this](Win::WPARAM, Win::LPARAM l) -> Win::LRESULT {
    const bool wasPushed = pushed_;
    pushed_ = false;
    Invalidate();
    // A click is a press and a release over the button.
    if (wasPushed && GetClientRect().Contains(Controls::PointFromLParam(l)) && GetParent())
      Win::SendMessage(GetParent(), Win::WM_COMMAND, Win::MAKEWPARAM(GetDlgCtrlID(), Win::BN_CLICKED),
                       reinterpret_cast<Win::LPARAM>(GetSafeHwnd()));
    return 0;
  });
  OnMessage(Win::WM_DROPFILES, [this](Win::WPARAM w, Win::LPARAM) -> Win::LRESULT {
    auto drop = reinterpret_cast<Controls::HDROP>(w);
    // The band window takes the list over; without one nobody would release it.
    if (!GetParent() || !Win::PostMessage(GetParent(), WM_BAND_BUTTON_DROPFILES, GetDlgCtrlID(),
                                          reinterpret_cast<Win::LPARAM>(drop)))
      Controls::DragFinish(drop);
    return 0;
  });
}

TYX_BandButton::~TYX_BandButton() = default;

bool TYX_BandButton::CreateSkinButton(const std::string& title, Win::DWORD style, const Win::Rect& rect,
                                      Win::HWND parent, Win::UINT id) {
  if (!Create(parent, rect, style, id, title)) return false;
  SetButtonCursor(kCursorImage);
  return true;
}

void TYX_BandButton::SetBitmap_DLL(Win::UINT left, Win::UINT middle, Win::UINT right, int) {
  leftImage_ = left;
  middleImage_ = middle;
  rightImage_ = right;
  bitmapFiles_.clear();
  Invalidate();
}

void TYX_BandButton::SetBitmap(const std::string& left, const std::string& middle, const std::string& right) {
  bitmapFiles_ = {left, middle, right};
  Invalidate();
}

void TYX_BandButton::SetTitleColor(Win::COLORREF color, Win::COLORREF shadow) {
  titleColor_ = color;
  shadowColor_ = shadow;
  Invalidate();
}

void TYX_BandButton::SetTitleBold(bool bold) {
  font_.bold = bold;
  Invalidate();
}

void TYX_BandButton::SetTitleFontFaceName(const std::string& face) {
  font_.face = face;
  Invalidate();
}

void TYX_BandButton::SetTitleHeightPixel(int height) {
  font_.height = height;
  Invalidate();
}

void TYX_BandButton::SetSelected(bool selected) {
  if (selected_ == selected) return;
  selected_ = selected;
  Invalidate();
}

void TYX_BandButton::SetDropMode(bool on) {
  if (dropMode_ == on) return;
  dropMode_ = on;
  Invalidate();
}

void TYX_BandButton::SetDropSelected(bool on) {
  if (dropSelected_ == on) return;
  dropSelected_ = on;
  Invalidate();
}

bool TYX_BandButton::Reload() {
  TYX_Skin* skin = TYX_Skin::Instance();
  Invalidate();
  return skin && skin->HasImage(leftImage_) && skin->HasImage(middleImage_) && skin->HasImage(rightImage_);
}

Win::UINT TYX_BandButton::GetButtonState() const {
  Win::UINT state = 0;
  if (pushed_) state |= BST_PUSHED;
  if (HasFocus()) state |= BST_FOCUS;
  if (hover_) state |= BST_HOT;
  return state;
}

TYX_BandButton::DrawState TYX_BandButton::ComputeDrawState(bool pushed, bool hover, bool selected, bool disabled,
                                                           bool dropMode, bool dropSelected,
                                                           Win::UINT stateQuery) {
  DrawState state;
  if (pushed) {
    state = hover ? kPressed : (selected ? kSelected : kNormal);
  } else if (!hover || stateQuery == 0x68) {
    state = selected ? kSelected : kNormal;
  } else {
    state = kHover;
  }
  if (disabled) state = kDisabled;
  if (selected && state == kHover) state = kSelected;
  if (dropMode) state = dropSelected ? kSelected : kNormal;
  return state;
}

TYX_BandButton::DrawState TYX_BandButton::ComputeDrawState() const {
  return ComputeDrawState(pushed_, hover_, selected_, !IsWindowEnabled(), dropMode_, dropSelected_,
                          GetButtonState());
}

void TYX_BandButton::PaintContent(Win::DisplayList& dc) {
  lastDrawState_ = ComputeDrawState();
  const Win::Rect client = GetClientRect();
  // Each image holds five state frames side by side; the ends keep their frame width.
  int leftWidth = 0, rightWidth = 0;
  if (TYX_Skin* skin = TYX_Skin::Instance()) {
    if (auto img = skin->GetImage(leftImage_)) leftWidth = img->FrameSize().cx;
    if (auto img = skin->GetImage(rightImage_)) rightWidth = img->FrameSize().cx;
  }
  if (leftImage_) dc.Image(leftImage_, Win::Rect{0, 0, leftWidth, client.bottom});
  if (middleImage_) dc.Image(middleImage_, Win::Rect{leftWidth, 0, client.right - rightWidth, client.bottom});
  if (rightImage_) dc.Image(rightImage_, Win::Rect{client.right - rightWidth, 0, client.right, client.bottom});
  const std::string title = GetWindowText();
  if (title.empty()) return;
  Win::Rect box = client;
  if (lastDrawState_ == kPressed) box.Offset(1, 1);
  if (shadowColor_ != kNoShadow) {
    Win::Rect shadow = box;
    shadow.Offset(1, 1);
    dc.Text(shadow, title, font_, shadowColor_);
  }
  dc.Text(box, title, font_, titleColor_);
}

bool TYX_BandButton::CanBeClicked() const { return IsAlive() && IsWindowVisible() && IsWindowEnabled(); }

Win::Point TYX_BandButton::Centre() const {
  const Win::Rect r = GetClientRect();
  return Win::Point{r.Width() / 2, r.Height() / 2};
}

void TYX_BandButton::MouseEnter() {
  if (IsAlive()) SendMessage(Win::WM_MOUSEMOVE, 0, Controls::PointToLParam(Centre()));
}

void TYX_BandButton::MouseLeave() {
  if (!hover_) return;
  hover_ = false;
  Invalidate();
}

bool TYX_BandButton::MouseDown() {
  if (!CanBeClicked()) return false;
  SendMessage(Win::WM_LBUTTONDOWN, Controls::MK_LBUTTON, Controls::PointToLParam(Centre()));
  return true;
}

bool TYX_BandButton::MouseUp() {
  if (!IsAlive()) return false;
  SendMessage(Win::WM_LBUTTONUP, 0, Controls::PointToLParam(Centre()));
  return true;
}

bool TYX_BandButton::Click() {
  if (!CanBeClicked()) return false;
  MouseEnter();
  MouseDown();
  MouseUp();
  return true;
}

bool TYX_BandButton::DropFiles(const std::vector<std::string>& files) {
  if (!IsAlive() || !IsWindowVisible()) return false;
  Win::Point p = Centre();
  ClientToScreen(p);
  SendMessage(Win::WM_DROPFILES, reinterpret_cast<Win::WPARAM>(Controls::DragCreateList(files, p)), 0);
  return true;
}

}  // namespace TYX::Library
