#pragma once
// One concern of the library panel (commands, navigation, layout and assembly, transfer) with the state
// it owns. A part adds its own entries to the panel's message table once, from the panel's constructor,
// and reaches the panel's shared state (store, sidebar, list type, list controls, the other parts)
// through the panel's public operations.
//
// Threads: a part lives and runs on the panel's window thread.
namespace TYX::Library {

class TYX_LibraryPanel;

class TYX_PanelPart {
 public:
  explicit TYX_PanelPart(TYX_LibraryPanel& panel) : panel_(panel) {}
  virtual ~TYX_PanelPart() = default;
  TYX_PanelPart(const TYX_PanelPart&) = delete;
  TYX_PanelPart& operator=(const TYX_PanelPart&) = delete;

  // Adds the part's message, command and notification entries to the panel's message table.
  virtual void RegisterMessages() = 0;

 protected:
  TYX_LibraryPanel& Panel() const { return panel_; }

 private:
  TYX_LibraryPanel& panel_;
};

}  // namespace TYX::Library
