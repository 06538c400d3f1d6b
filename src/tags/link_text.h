#pragma once
// A text link: an underlined label that a click turns into WM_COMMAND (its ID, BN_CLICKED) to its parent,
// like a button without a face.
#include <string>

#include "toolkit/static_text.h"

namespace TYX::Dialog {

class TYX_LinkText : public Controls::TYX_StaticText {
 public:
  TYX_LinkText();
  // Person entry point: false when the link is dead, hidden or disabled.
  bool Click();

 protected:
  void PaintContent(Win::DisplayList& dc) override;
};

}  // namespace TYX::Dialog
