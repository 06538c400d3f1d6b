#pragma once
// The panel's command and event side: list-control notifications, toolbar and menu commands, store
// notifications folded into one-shot timers, and the requests passed on to the host.
#include "library/panel_part.h"

namespace TYX::Library {

class TYX_PanelCommands : public TYX_PanelPart {
 public:
  using TYX_PanelPart::TYX_PanelPart;

  void RegisterMessages() override;
};

}  // namespace TYX::Library
