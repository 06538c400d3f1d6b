#pragma once
// The header button of a sidebar band: an owner-drawn skinned button whose face is cut from three skin
// images (left, middle, right) of five state frames each. Its drawing state follows the mouse, the
// selected flag and, during a drag over the sidebar, the drop highlight. A click sends WM_COMMAND
// (control ID, BN_CLICKED) to the parent; files dropped on it are posted to the parent as
// WM_BAND_BUTTON_DROPFILES, and the parent releases the list.
#include <string>
#include <vector>

#include "library/band_wnd_messages.h"
#include "platform/window.h"

namespace TYX::Library {

class TYX_BandButton : public Win::Window {
 public:
  enum DrawState { kNormal = 0, kHover = 1, kPressed = 2, kSelected = 3, kDisabled = 4 };

  // What the button-state query reports.
  static constexpr Win::UINT BST_PUSHED = 0x0004;
  static constexpr Win::UINT BST_FOCUS = 0x0008;
  static constexpr Win::UINT BST_HOT = 0x0200;
  static constexpr Win::COLORREF kNoShadow = 0x010101;
  static constexpr Win::COLORREF kDefaultTitleColor = 0x393939;
  static constexpr Win::UINT kCursorImage = 20443;
  // Style bits of a band button besides child and visible: tab stop, notify, owner-drawn.
  static constexpr Win::DWORD WS_TABSTOP = 0x00010000;
  static constexpr Win::DWORD BS_NOTIFY = 0x00004000;
  static constexpr Win::DWORD BS_OWNERDRAW = 0x0000000B;

  TYX_BandButton();
  ~TYX_BandButton() override;

  bool CreateSkinButton(const std::string& title, Win::DWORD style, const Win::Rect& rect, Win::HWND parent,
                        Win::UINT id);

  // Skin images by ID: left, middle and right parts of the face.
  void SetBitmap_DLL(Win::UINT left, Win::UINT middle, Win::UINT right, int style = 0);
  void SetBitmap(Win::UINT middle) { SetBitmap_DLL(leftImage_, middle, rightImage_, 0); }
  void SetBitmap(const std::string& left, const std::string& middle, const std::string& right);
  Win::UINT GetLeftImage() const { return leftImage_; }
  Win::UINT GetMiddleImage() const { return middleImage_; }
  Win::UINT GetRightImage() const { return rightImage_; }
  const std::vector<std::string>& GetBitmapFiles() const { return bitmapFiles_; }
  void SetTrans(Win::COLORREF color) { transColor_ = color; }
  Win::COLORREF GetTrans() const { return transColor_; }
  void SetAutoCalcRect(bool on) { autoCalcRect_ = on; }
  bool GetAutoCalcRect() const { return autoCalcRect_; }

  void SetTitle(const std::string& title) { SetWindowText(title); }
  std::string GetTitle() const { return GetWindowText(); }
  void SetTitleColor(Win::COLORREF color, Win::COLORREF shadow = kNoShadow);
  void SetTitleBold(bool bold);
  void SetTitleUnderline(bool underline) { titleUnderline_ = underline; }
  void SetTitleFontFaceName(const std::string& face);
  void SetTitleHeightPixel(int height);

  void SetSelected(bool selected);
  bool GetSelected() const { return selected_; }
  void SetDrawFocus(bool on) { drawFocus_ = on; }
  bool IsFocused() const { return HasFocus(); }
  void SetDropMode(bool on);
  bool GetDropMode() const { return dropMode_; }
  void SetDropSelected(bool on);
  bool GetDropSelected() const { return dropSelected_; }
  void SetButtonCursor(Win::UINT cursorId) { cursor_ = cursorId; }
  Win::UINT GetButtonCursor() const { return cursor_; }
  void SetTooltipText(const std::string& text) { tooltip_ = text; }
  void ActivateTooltip(bool on) { tooltipActive_ = on; }
  std::string GetTooltipText() const { return tooltip_; }

  Win::Rect GetButtonRect() const { return GetRectInParent(); }
  int GetWidth() const { return GetRectInParent().Width(); }
  int GetHeight() const { return GetRectInParent().Height(); }

  // Reloads the skin images; false when the skin lacks one of them.
  virtual bool Reload();

  // The platform's button-state query: BST_PUSHED, BST_FOCUS, BST_HOT.
  Win::UINT GetButtonState() const;
  bool IsPushed() const { return pushed_; }
  bool IsHovering() const { return hover_; }
  // The state the next paint draws, and the one the last paint drew.
  DrawState ComputeDrawState() const;
  DrawState GetLastDrawState() const { return lastDrawState_; }
  static DrawState ComputeDrawState(bool pushed, bool hover, bool selected, bool disabled, bool dropMode,
                                    bool dropSelected, Win::UINT stateQuery);

  // Person entry points: the messages a mouse would cause. Click returns false when the button cannot
  // be clicked (dead, hidden or disabled); DropFiles when it is dead or hidden.
  void MouseEnter();
  void MouseLeave();
  bool MouseDown();
  bool MouseUp();
  bool Click();
  bool DropFiles(const std::vector<std::string>& files);

 protected:
  void PaintContent(Win::DisplayList& dc) override;

 private:
  bool CanBeClicked() const;
  Win::Point Centre() const;

  // All members: owner thread of the window.
  Win::UINT leftImage_ = 0;
  Win::UINT middleImage_ = 0;
  Win::UINT rightImage_ = 0;
  std::vector<std::string> bitmapFiles_;
  Win::COLORREF transColor_ = 0xFF00FF;
  bool autoCalcRect_ = true;
  Win::COLORREF titleColor_ = kDefaultTitleColor;
  Win::COLORREF shadowColor_ = kNoShadow;
  Win::Font font_{"돋움", 12, false};
  bool titleUnderline_ = false;
  bool selected_ = false;
  bool drawFocus_ = false;
  bool dropMode_ = false;
  bool dropSelected_ = false;
  Win::UINT cursor_ = kCursorImage;
  std::string tooltip_;
  bool tooltipActive_ = false;
  bool pushed_ = false;
  bool hover_ = false;
  DrawState lastDrawState_ = kNormal;
};

}  // namespace TYX::Library
