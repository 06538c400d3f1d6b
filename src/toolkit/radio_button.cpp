#include "toolkit/radio_button.h"

namespace TYX::Controls {

using namespace Win;

bool TYX_RadioButton::CreateRadio(HWND parent, const Rect& rect, UINT id, const std::string& text, int group,
                                  DWORD style) {
  group_ = group;
  return CreateCheckBox(parent, rect, id, text, style);
}

void TYX_RadioButton::ApplyClick() {
  if (Window* parent = Window::FromHandle(GetParent())) {
    for (HWND h : parent->GetChildren()) {
      if (h == GetSafeHwnd()) continue;
      auto* other = dynamic_cast<TYX_RadioButton*>(Window::FromHandle(h));
      if (other && other->group_ == group_) other->SetCheck(false);
    }
  }
  SetCheck(true);
}

}  // namespace TYX::Controls
