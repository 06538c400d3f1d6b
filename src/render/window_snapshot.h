#pragma once
// What a window and its visible descendants show, as one display list in the root window's
// coordinates: each window is painted afresh and its items are moved by the window's place and
// clipped to its rectangle (and its ancestors'). Children come after their parent, so they cover it.
#include <vector>

#include "platform/display_list.h"
#include "platform/window.h"

namespace TYX::Render {

struct PlacedItem {
  Win::DrawItem item;  // in root coordinates
  Win::Rect clip;      // the window's visible rectangle, in root coordinates
};

class TYX_WindowSnapshot {
 public:
  // Paints every visible window under root (root included) on the calling thread, which must own them.
  static TYX_WindowSnapshot Take(Win::Window& root);

  Win::Size GetSize() const { return size_; }
  const std::vector<PlacedItem>& Items() const { return items_; }
  // The first text item with exactly this text, or null.
  const PlacedItem* FindText(const std::string& text) const;

 private:
  void Add(Win::Window& window, const Win::Rect& rootRect, const Win::Rect& parentClip);

  Win::Size size_;
  std::vector<PlacedItem> items_;
};

}  // namespace TYX::Render
