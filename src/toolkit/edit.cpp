#include "toolkit/edit.h"

namespace TYX::Controls {

using namespace Win;

TYX_Edit::TYX_Edit() {
  OnMessage(WM_SETTEXT, [this](WPARAM w, LPARAM l) -> LRESULT {
    const std::string wanted = l ? reinterpret_cast<const char*>(l) : "";
    const std::string text = Limited(wanted);
    if (text == GetWindowText()) return TRUE;
    DefWindowProc(WM_SETTEXT, w, reinterpret_cast<LPARAM>(text.c_str()));
    ++changes_;
    HWND self = GetSafeHwnd();
    if (HWND parent = GetParent())
      TYX::Win::SendMessage(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), EN_CHANGE), reinterpret_cast<LPARAM>(self));
    return TRUE;
  });
  OnMessage(EM_LIMITTEXT, [this](WPARAM w, LPARAM) -> LRESULT {
    SetLimitText(static_cast<std::size_t>(w));
    return 0;
  });
}

bool TYX_Edit::CreateEdit(HWND parent, const Rect& rect, UINT id, const std::string& text, DWORD style) {
  // The initial text is part of creation and notifies nobody.
  return Create(parent, rect, style, id, Limited(text));
}

std::string TYX_Edit::Limited(const std::string& text) const {
  if (limit_ == 0 || text.size() <= limit_) return text;
  std::size_t cut = limit_;
  // Step back over continuation bytes so no character is split.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return text.substr(0, cut);
}

void TYX_Edit::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  Invalidate();
}

void TYX_Edit::SetTextColor(COLORREF color) {
  color_ = color;
  Invalidate();
}

bool TYX_Edit::PersonMayType() const {
  return IsAlive() && IsWindowVisible() && IsWindowEnabled() && !readOnly_;
}

bool TYX_Edit::TypeText(const std::string& text) {
  if (!PersonMayType()) return false;
  SetWindowText(text);
  return true;
}

bool TYX_Edit::AppendText(const std::string& text) {
  if (!PersonMayType()) return false;
  SetWindowText(GetWindowText() + text);
  return true;
}

void TYX_Edit::PaintContent(DisplayList& dc) {
  const Rect rc = GetClientRect();
  dc.FillRect(rc, readOnly_ || !IsWindowEnabled() ? 0xF0F0F0 : 0xFFFFFF);
  dc.Line(Point{rc.left, rc.top}, Point{rc.right - 1, rc.top}, 0xCECAC8);
  dc.Line(Point{rc.left, rc.bottom - 1}, Point{rc.right - 1, rc.bottom - 1}, 0xCECAC8);
  const std::string text = GetWindowText();
  Rect inner = rc;
  inner.left += 3;
  if (!text.empty()) dc.Text(inner, text, DefaultFont(), IsWindowEnabled() ? color_ : 0xADADAD);
}

}  // namespace TYX::Controls
