#pragma once
// A skinned check box: a box image for each state and a text beside it. A click on an enabled,
// visible box flips its state and then sends the parent WM_COMMAND with BN_CLICKED; SetCheck changes
// the state without notifying anyone, as on the desktop.
#include <optional>
#include <string>

#include "platform/window.h"
#include "toolkit/toolkit_types.h"

namespace TYX::Controls {

class TYX_CheckBox : public Win::Window {
 public:
  TYX_CheckBox();

  bool CreateCheckBox(HWND parent, const Win::Rect& rect, UINT id, const std::string& text,
                      Win::DWORD style = Win::WS_CHILD | Win::WS_VISIBLE);

  void SetCheck(bool checked);
  bool GetCheck() const { return checked_; }
  // Text colours when enabled and disabled, and the background (none: the parent shows through).
  void SetTextColors(COLORREF normal, COLORREF disabled);
  COLORREF GetTextColor() const { return textColor_; }
  COLORREF GetDisabledTextColor() const { return disabledColor_; }
  void SetBackground(std::optional<COLORREF> color);
  // Skin images of the box: unchecked, checked.
  void SetBoxImages(UINT unchecked, UINT checked);

  // Person entry point: returns false when the box is dead, hidden or disabled.
  bool Click();

 protected:
  // What a click does to the state before the parent hears of it.
  virtual void ApplyClick() { SetCheck(!checked_); }
  void PaintContent(Win::DisplayList& dc) override;

 private:
  bool checked_ = false;  // owner thread, like every field below
  COLORREF textColor_ = 0x6B6056;
  COLORREF disabledColor_ = 0xADADAD;
  std::optional<COLORREF> background_;
  UINT uncheckedImage_ = 0;
  UINT checkedImage_ = 0;
};

}  // namespace TYX::Controls
