#pragma once
// A skinned radio button: like the check box, but a click checks it and clears every other radio
// button of the same group under the same parent; a click on a checked button keeps it checked.
#include "toolkit/check_box.h"

namespace TYX::Controls {

class TYX_RadioButton : public TYX_CheckBox {
 public:
  bool CreateRadio(HWND parent, const Win::Rect& rect, UINT id, const std::string& text, int group = 0,
                   Win::DWORD style = Win::WS_CHILD | Win::WS_VISIBLE);
  void SetGroup(int group) { group_ = group; }
  int GetGroup() const { return group_; }

 protected:
  void ApplyClick() override;

 private:
  int group_ = 0;  // owner thread
};

}  // namespace TYX::Controls
