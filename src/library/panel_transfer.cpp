#include "library/panel_transfer.h"

#include "library/library_panel.h"

namespace TYX::Library {

void TYX_PanelTransfer::RegisterMessages() {}

}  // namespace TYX::Library
