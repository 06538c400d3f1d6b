#pragma once
// The program's main window: the category sidebar on the left, the library panel on the right. It
// does what the manager's main application does with the sidebar's reports: a selection makes the panel
// show that page.
#include <memory>
#include <string>
#include <vector>

#include "contracts/library_manager.h"
#include "library/band_wnd.h"
#include "library/library_panel.h"
#include "platform/window.h"

namespace TYX::Host {

struct BandLayout {
  std::string title;
  std::string pageId;
  Win::UINT treeImage = 0;  // 0: a band without nodes
  std::vector<std::pair<std::string, std::string>> nodes;  // title, page ID
};

class HostFrame : public Win::Window {
 public:
  explicit HostFrame(TYX_LibraryManager* store);
  ~HostFrame() override;

  // Creates the frame, the sidebar with the bands and the panel. False when a window cannot be made.
  bool CreateFrame(const std::vector<BandLayout>& bands);

  Library::TYX_BandWnd& Band() { return *band_; }
  Library::TYX_LibraryPanel& Panel() { return *panel_; }
  // Page IDs the sidebar reported, in order.
  const std::vector<std::string>& Selections() const { return selections_; }

 private:
  void OnBandSelChanged();

  TYX_LibraryManager* store_;  // owned by main; outlives the frame
  std::unique_ptr<Library::TYX_BandWnd> band_;
  std::unique_ptr<Library::TYX_LibraryPanel> panel_;
  std::vector<std::string> selections_;
};

}  // namespace TYX::Host
