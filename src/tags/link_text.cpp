#include "tags/link_text.h"

#include "platform/messaging.h"

namespace TYX::Dialog {

using namespace TYX::Win;

TYX_LinkText::TYX_LinkText() {
  SetTextColor(0xB25A1E);
  OnMessage(WM_LBUTTONUP, [this](WPARAM, LPARAM) -> LRESULT {
    Click();
    return 0;
  });
}

bool TYX_LinkText::Click() {
  if (!IsAlive() || !IsWindowVisible() || !IsWindowEnabled()) return false;
  const HWND self = GetSafeHwnd();
  if (Window* parent = Window::FromHandle(GetParent()))
    parent->SendMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), BN_CLICKED), reinterpret_cast<LPARAM>(self));
  return true;
}

void TYX_LinkText::PaintContent(DisplayList& dc) {
  TYX_StaticText::PaintContent(dc);
  const Rect rc = GetClientRect();
  dc.Line(Point{0, rc.bottom - 1}, Point{rc.right - 1, rc.bottom - 1}, GetTextColor());
}

}  // namespace TYX::Dialog
