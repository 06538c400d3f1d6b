#include "toolkit/check_box.h"

namespace TYX::Controls {

using namespace Win;

namespace {
constexpr int kBoxSize = 13;
}

TYX_CheckBox::TYX_CheckBox() {
  OnMessage(BM_GETCHECK, [this](WPARAM, LPARAM) -> LRESULT { return checked_ ? BST_CHECKED : BST_UNCHECKED; });
  OnMessage(BM_SETCHECK, [this](WPARAM w, LPARAM) -> LRESULT {
    SetCheck(w == BST_CHECKED);
    return 0;
  });
  OnMessage(BM_CLICK, [this](WPARAM, LPARAM) -> LRESULT {
    Click();
    return 0;
  });
  OnMessage(WM_LBUTTONUP, [this](WPARAM, LPARAM) -> LRESULT {
    Click();
    return 0;
  });
}

bool TYX_CheckBox::CreateCheckBox(HWND parent, const Rect& rect, UINT id, const std::string& text, DWORD style) {
  return Create(parent, rect, style, id, text);
}

void TYX_CheckBox::SetCheck(bool checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  Invalidate();
}

void TYX_CheckBox::SetTextColors(COLORREF normal, COLORREF disabled) {
  textColor_ = normal;
  disabledColor_ = disabled;
  Invalidate();
}

void TYX_CheckBox::SetBackground(std::optional<COLORREF> color) {
  background_ = color;
  Invalidate();
}

void TYX_CheckBox::SetBoxImages(UINT unchecked, UINT checked) {
  uncheckedImage_ = unchecked;
  checkedImage_ = checked;
  Invalidate();
}

bool TYX_CheckBox::Click() {
  if (!IsAlive() || !IsWindowVisible() || !IsWindowEnabled()) return false;
  ApplyClick();
  HWND self = GetSafeHwnd();
  if (HWND parent = GetParent())
    TYX::Win::SendMessage(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), BN_CLICKED), reinterpret_cast<LPARAM>(self));
  return true;
}

void TYX_CheckBox::PaintContent(DisplayList& dc) {
  const Rect rc = GetClientRect();
  if (background_) dc.FillRect(rc, *background_);
  const int top = rc.top + (rc.Height() - kBoxSize) / 2;
  const Rect box{rc.left, top, rc.left + kBoxSize, top + kBoxSize};
  const UINT image = checked_ ? checkedImage_ : uncheckedImage_;
  if (image) {
    dc.Image(image, box);
  } else {
    dc.FillRect(box, 0xFFFFFF);
    if (checked_) dc.FillRect(Rect{box.left + 3, box.top + 3, box.right - 3, box.bottom - 3}, 0x4C4C4C);
  }
  const std::string text = GetWindowText();
  if (!text.empty())
    dc.Text(Rect{box.right + 4, rc.top, rc.right, rc.bottom}, text, DefaultFont(),
            IsWindowEnabled() ? textColor_ : disabledColor_);
}

}  // namespace TYX::Controls
