#pragma once
// One band of the sidebar: its header button, the window it hosts below the button (usually a band
// tree window), and its texts. The band window owns the item; the item owns its button and window.
#include <memory>
#include <string>

#include "library/band_button.h"
#include "platform/window.h"

namespace TYX::Library {

// Every field belongs to the UI thread that owns the band window.
class TYX_BandItem {
 public:
  TYX_BandItem(Win::UINT id, const std::string& title, const std::string& pageId, const std::string& extra);
  // Destroys the hosted window first, then the button.
  ~TYX_BandItem();
  TYX_BandItem(const TYX_BandItem&) = delete;
  TYX_BandItem& operator=(const TYX_BandItem&) = delete;

  Win::UINT id = 0;                        // the button's command ID, 256 + position
  std::unique_ptr<TYX_BandButton> button;  // made with the item
  std::unique_ptr<Win::Window> window;     // hosted window, or none
  bool shown = true;                       // the hosted window is laid out only while set
  bool used = true;                        // a band not used is hidden with its window
  std::string title;
  std::string pageId;
  std::string extra;  // kept for the host; never read here
};

}  // namespace TYX::Library
