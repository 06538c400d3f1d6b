#include "toolkit/static_text.h"

namespace TYX::Controls {

using namespace Win;

bool TYX_StaticText::CreateStatic(HWND parent, const Rect& rect, UINT id, const std::string& text, DWORD style) {
  return Create(parent, rect, style, id, text);
}

void TYX_StaticText::SetTextColor(COLORREF color, COLORREF disabled) {
  color_ = color;
  disabledColor_ = disabled;
  Invalidate();
}

void TYX_StaticText::SetTextFont(const Font& font) {
  font_ = font;
  Invalidate();
}

void TYX_StaticText::SetAlign(Align align) {
  align_ = align;
  Invalidate();
}

void TYX_StaticText::SetBackground(std::optional<COLORREF> color) {
  background_ = color;
  Invalidate();
}

void TYX_StaticText::PaintContent(DisplayList& dc) {
  const Rect rc = GetClientRect();
  if (background_) dc.FillRect(rc, *background_);
  const std::string text = GetWindowText();
  if (!text.empty()) dc.Text(rc, text, font_, IsWindowEnabled() ? color_ : disabledColor_);
}

}  // namespace TYX::Controls
