#pragma once
// A skinned push button: a caption drawn between two caption margins over the skin image of its state.
// A click (by the person entry Click, BM_CLICK or the mouse) on an enabled, visible button sends the
// parent WM_COMMAND with the control ID and BN_CLICKED, and the button's handle in lParam.
#include <string>

#include "platform/window.h"
#include "toolkit/toolkit_types.h"

namespace TYX::Controls {

class TYX_SkinButton : public Win::Window {
 public:
  enum class State { Normal = 0, Hover = 1, Pressed = 2, Disabled = 3 };

  TYX_SkinButton();

  // Creates the button as a child of parent.
  bool CreateSkinButton(HWND parent, const Win::Rect& rect, UINT id, const std::string& caption,
                        Win::DWORD style = Win::WS_CHILD | Win::WS_VISIBLE);

  void SetCaption(const std::string& caption) { SetWindowText(caption); }
  std::string GetCaption() const { return GetWindowText(); }
  // Space kept free left and right of the caption, in pixels; negative values count as 0.
  void SetCaptionMargin(int left, int right);
  int GetCaptionMarginLeft() const { return marginLeft_; }
  int GetCaptionMarginRight() const { return marginRight_; }
  // Skin images of the four states; 0 leaves a state without image (a plain fill is drawn).
  void SetBitmaps(UINT normal, UINT hover, UINT pressed, UINT disabled);
  UINT GetBitmap(State s) const { return images_[static_cast<int>(s)]; }
  void SetCaptionColor(COLORREF normal, COLORREF disabled);
  void SetCaptionFont(const Win::Font& font);
  const Win::Font& GetCaptionFont() const { return font_; }

  // The state the button shows now: disabled wins over the mouse states.
  State GetState() const;

  // Person entry points.
  // A full click; returns false (and notifies nobody) when the button is dead, hidden or disabled.
  bool Click();
  void MouseEnter();
  void MouseLeave();

  int ClickCount() const { return clicks_; }

 protected:
  void PaintContent(Win::DisplayList& dc) override;

 private:
  void SetMouseState(State s);

  int marginLeft_ = 0;   // owner thread, like every field below
  int marginRight_ = 0;
  UINT images_[4] = {0, 0, 0, 0};
  COLORREF captionColor_ = 0xFFFFFF;
  COLORREF disabledColor_ = 0xADADAD;
  COLORREF fillColor_ = 0x7E44A6;
  Win::Font font_ = DefaultFont(12, true);
  State mouseState_ = State::Normal;
  int clicks_ = 0;
};

}  // namespace TYX::Controls
