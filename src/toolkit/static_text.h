#pragma once
// A skinned label: its window text drawn with a font, a colour and an alignment, over an optional
// background fill.
#include <optional>
#include <string>

#include "platform/window.h"
#include "toolkit/toolkit_types.h"

namespace TYX::Controls {

class TYX_StaticText : public Win::Window {
 public:
  bool CreateStatic(HWND parent, const Win::Rect& rect, UINT id, const std::string& text,
                    Win::DWORD style = Win::WS_CHILD | Win::WS_VISIBLE);

  void SetText(const std::string& text) { SetWindowText(text); }
  std::string GetText() const { return GetWindowText(); }
  void SetTextColor(COLORREF color, COLORREF disabled = 0xADADAD);
  COLORREF GetTextColor() const { return color_; }
  void SetTextFont(const Win::Font& font);
  const Win::Font& GetTextFont() const { return font_; }
  void SetAlign(Align align);
  Align GetAlign() const { return align_; }
  // No background: the parent shows through.
  void SetBackground(std::optional<COLORREF> color);

 protected:
  void PaintContent(Win::DisplayList& dc) override;

 private:
  COLORREF color_ = 0x6B6056;  // owner thread, like every field below
  COLORREF disabledColor_ = 0xADADAD;
  Win::Font font_ = DefaultFont();
  Align align_ = Align::Left;
  std::optional<COLORREF> background_;
};

}  // namespace TYX::Controls
