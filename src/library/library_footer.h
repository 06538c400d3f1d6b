#pragma once
// The panel's footer window: three buttons (basket, PC, device) that tell the parent which place the
// person picked. Created hidden; the parent shows it when its page wants it.
//
// Threads: the window thread of its parent.
#include <array>
#include <memory>

#include "platform/window.h"
#include "toolkit/skin_button.h"

namespace TYX::Library {

// The footer's buttons and what each sends to the parent (wParam and lParam 0).
constexpr Win::UINT kFooterBasketBtnId = 34011;
constexpr Win::UINT kFooterPCBtnId = 34012;
constexpr Win::UINT kFooterDeviceBtnId = 34013;
constexpr Win::UINT WM_FOOTER_BASKET = 0x8998;  // 35224
constexpr Win::UINT WM_FOOTER_PC = 0x8999;      // 35225
constexpr Win::UINT WM_FOOTER_DEVICE = 0x899A;  // 35226

class TYX_LibraryFooter : public Win::Window {
 public:
  static constexpr char kClassName[] = "TYX Footer Class";
  static constexpr Win::COLORREF kBackColor = 0xFFFFFF;

  TYX_LibraryFooter();
  ~TYX_LibraryFooter() override;

  // Creates the footer hidden as a child of the parent with its three buttons. 0x80070057 without a
  // parent, 0x80004005 when a window cannot be made.
  Win::HRESULT CreateFooter(Win::HWND parent, const Win::Rect& rect, Win::UINT id);

  // The buttons' messages to the parent: 0 once sent (the parent's answer is not read), 0x80004005
  // without a parent window.
  Win::HRESULT OnBasketBtn();
  Win::HRESULT OnPCBtn();
  Win::HRESULT OnDeviceBtn();

  Win::BOOL IsEnableDevice() const { return enableDevice_ ? Win::TRUE : Win::FALSE; }
  // Kept for the host's calls; the buttons stay as they are.
  Win::HRESULT SetEnablePCBtn(Win::BOOL) { return Win::S_OK; }
  Win::HRESULT SetEnableDeviceBtn(Win::BOOL) { return Win::S_OK; }
  Win::HRESULT SetEnableBasketBtn(Win::BOOL) { return Win::S_OK; }

  Controls::TYX_SkinButton* GetButton(int i) const;

 protected:
  // The background goes through a memory context: one fill of the whole client area, then the
  // buttons draw themselves.
  void PaintContent(Win::DisplayList& dc) override;

 private:
  Win::HRESULT SendToParent(Win::UINT message);

  // Panel thread.
  std::array<std::unique_ptr<Controls::TYX_SkinButton>, 3> buttons_;
  bool enableDevice_ = false;
};

}  // namespace TYX::Library
