#pragma once
// Dialog templates: the controls a popup dialog of a given template ID is built with, at fixed
// coordinates. Whoever owns a dialog registers its template once; TYX_Skin_PopupDialog builds the
// controls when its window is initialised. The registry is process-wide and safe from any thread.
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"
#include "toolkit/toolkit_types.h"

namespace TYX::Controls {

struct TYX_ControlTemplate {
  enum class Kind { Static, Button, Progress, Edit, Combo, CheckBox, Radio };
  Kind kind = Kind::Static;
  UINT id = 0;
  Win::Rect rect;  // in the dialog's client coordinates
  std::string text;
  Win::DWORD style = Win::WS_CHILD | Win::WS_VISIBLE;
};

struct TYX_DialogTemplate {
  UINT id = 0;
  std::string title;
  Win::Size size{400, 300};
  std::vector<TYX_ControlTemplate> controls;
};

// A later registration of the same ID replaces the earlier one. ID 0 is refused (false).
bool RegisterDialogTemplate(const TYX_DialogTemplate& dialogTemplate);
std::optional<TYX_DialogTemplate> FindDialogTemplate(UINT id);

}  // namespace TYX::Controls
