#include "library/panel_commands.h"

#include "library/library_panel.h"

namespace TYX::Library {

void TYX_PanelCommands::RegisterMessages() {
  // The row-click notice also comes from the panel itself after the toolbar changed (footer counts).
  Panel().OnMessage(WM_LIBRARY_FOOTER_COUNT, [](Win::WPARAM, Win::LPARAM) { return Win::LRESULT{0}; });
}

}  // namespace TYX::Library
