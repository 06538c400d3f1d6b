#include "toolkit/skin_button.h"

#include <algorithm>

namespace TYX::Controls {

using namespace Win;

TYX_SkinButton::TYX_SkinButton() {
  OnMessage(BM_CLICK, [this](WPARAM, LPARAM) -> LRESULT {
    Click();
    return 0;
  });
  OnMessage(WM_LBUTTONDOWN, [this](WPARAM, LPARAM) -> LRESULT {
    if (IsWindowEnabled()) SetMouseState(State::Pressed);
    return 0;
  });
  OnMessage(WM_LBUTTONUP, [this](WPARAM, LPARAM) -> LRESULT {
    // A release over the button that was pressed on it is a click.
    if (mouseState_ == State::Pressed) {
      SetMouseState(State::Hover);
      Click();
    }
    return 0;
  });
  OnMessage(WM_MOUSEMOVE, [this](WPARAM, LPARAM) -> LRESULT {
    if (mouseState_ == State::Normal) SetMouseState(State::Hover);
    return 0;
  });
}

bool TYX_SkinButton::CreateSkinButton(HWND parent, const Rect& rect, UINT id, const std::string& caption,
                                      DWORD style) {
  return Create(parent, rect, style, id, caption);
}

void TYX_SkinButton::SetCaptionMargin(int left, int right) {
  marginLeft_ = std::max(0, left);
  marginRight_ = std::max(0, right);
  Invalidate();
}

void TYX_SkinButton::SetBitmaps(UINT normal, UINT hover, UINT pressed, UINT disabled) {
  images_[0] = normal;
  images_[1] = hover;
  images_[2] = pressed;
  images_[3] = disabled;
  Invalidate();
}

void TYX_SkinButton::SetCaptionColor(COLORREF normal, COLORREF disabled) {
  captionColor_ = normal;
  disabledColor_ = disabled;
  Invalidate();
}

void TYX_SkinButton::SetCaptionFont(const Font& font) {
  font_ = font;
  Invalidate();
}

TYX_SkinButton::State TYX_SkinButton::GetState() const {
  return IsWindowEnabled() ? mouseState_ : State::Disabled;
}

void TYX_SkinButton::SetMouseState(State s) {
  if (mouseState_ == s) return;
  mouseState_ = s;
  Invalidate();
}

void TYX_SkinButton::MouseEnter() { SetMouseState(State::Hover); }
void TYX_SkinButton::MouseLeave() { SetMouseState(State::Normal); }

bool TYX_SkinButton::Click() {
  if (!IsAlive() || !IsWindowVisible() || !IsWindowEnabled()) return false;
  ++clicks_;
  HWND self = GetSafeHwnd();
  HWND parent = GetParent();
  if (parent)
    TYX::Win::SendMessage(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), BN_CLICKED), reinterpret_cast<LPARAM>(self));
  return true;
}

void TYX_SkinButton::PaintContent(DisplayList& dc) {
  const Rect rc = GetClientRect();
  const State s = GetState();
  const UINT image = images_[static_cast<int>(s)] ? images_[static_cast<int>(s)] : images_[0];
  if (image)
    dc.Image(image, rc);
  else
    dc.FillRect(rc, s == State::Disabled ? 0xE0E0E0 : fillColor_);
  Rect text = rc;
  text.left += marginLeft_;
  text.right -= marginRight_;
  if (text.right < text.left) text.right = text.left;
  const std::string caption = GetWindowText();
  if (!caption.empty()) dc.Text(text, caption, font_, s == State::Disabled ? disabledColor_ : captionColor_);
}

}  // namespace TYX::Controls
