#pragma once
// The skinned message box. It asks the installed user agent, so a test's scripted agent or a host's own
// agent answers it; the answer is always one of the buttons the type offers.
#include <string>

#include "platform/user_agent.h"
#include "toolkit/toolkit_types.h"

namespace TYX::Controls {

class TYX_MessageBox {
 public:
  // Returns the pressed button (IDOK, IDCANCEL, IDYES, IDNO, ...).
  static int Show(HWND owner, const std::string& text, const std::string& caption = {}, UINT type = Win::MB_OK);
  // With a check box under the text: checked holds its initial state and receives the final one.
  static int Show(HWND owner, const std::string& text, const std::string& caption, UINT type,
                  const std::string& checkBoxText, bool& checked);
};

}  // namespace TYX::Controls
