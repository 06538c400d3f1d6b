#pragma once
// The panel's side of sending music to the phone: the transfer commands and the sync list's controls.
#include "library/panel_part.h"

namespace TYX::Library {

class TYX_PanelTransfer : public TYX_PanelPart {
 public:
  using TYX_PanelPart::TYX_PanelPart;

  void RegisterMessages() override;
};

}  // namespace TYX::Library
