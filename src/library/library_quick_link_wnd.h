#pragma once
// The quick-link strip: nine skin buttons that each open one function of the connected phone through
// the device manager client.
//
// Threads: the window thread of its parent.
#include <array>
#include <memory>
#include <string>

#include "platform/window.h"
#include "toolkit/skin_button.h"

namespace TYX::Library {

class TYX_Library_QuickLinkWnd : public Win::Window {
 public:
  static constexpr int kButtonCount = 9;
  static constexpr Win::UINT kFirstButtonId = 2000;
  static constexpr Win::UINT kBackgroundImage = 20110;
  static constexpr Win::UINT kFirstButtonImage = 20109;  // button i uses 20109 + i
  static constexpr Win::COLORREF kTransparentColor = 0xFF00FF;
  static constexpr Win::DWORD kButtonStyle = 0x5001400B;
  static constexpr int kButtonTop = 10;
  static constexpr int kButtonHeight = 25;
  static constexpr std::array<int, kButtonCount> kButtonWidths = {20, 20, 20, 20, 23, 23, 23, 23, 20};

  TYX_Library_QuickLinkWnd();
  ~TYX_Library_QuickLinkWnd() override;

  // Creates the strip as a child of the parent and its buttons (InitControl). False on failure.
  bool CreateQuickLinkWnd(Win::HWND parent, const Win::Rect& rect, Win::UINT id,
                          Win::DWORD style = Win::WS_CHILD | Win::WS_VISIBLE);
  // The strip's background and its nine buttons. False when a button cannot be made.
  bool InitControl();
  // Asks the device manager client to open phone function i; false for a bad number or a refusal.
  bool OnQuickLink(int i);

  Controls::TYX_SkinButton* GetButton(int i) const;
  // The tooltip of button i; empty out of range.
  static std::string GetToolTip(int i);
  // Where button i lies: x is 9 plus the widths of buttons 0 to i.
  static Win::Rect ButtonRect(int i);

 protected:
  void PaintContent(Win::DisplayList& dc) override;

 private:
  std::array<std::unique_ptr<Controls::TYX_SkinButton>, kButtonCount> buttons_;  // panel thread
};

}  // namespace TYX::Library
