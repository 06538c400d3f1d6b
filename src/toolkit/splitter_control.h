#pragma once
// A splitter bar. A horizontal splitter is a horizontal bar that the person drags up and down; a vertical
// one is dragged left and right. Its position (top, respectively left edge, in the parent's client
// coordinates) stays inside its movement range. After a drag it moves itself and sends the parent
// WM_NOTIFY with the code SPN_SIZED (0x401) and the distance moved; a drag that moves nothing sends
// nothing.
#include "platform/window.h"
#include "toolkit/toolkit_types.h"

namespace TYX::Controls {

constexpr UINT SPN_SIZED = 0x401;

// The WM_NOTIFY record of SPN_SIZED; it belongs to the splitter and lives until the send returns.
struct SPC_NMHDR {
  Win::NMHDR hdr;
  int delta = 0;
};

class TYX_SplitterControl : public Win::Window {
 public:
  enum class Orientation { Horizontal, Vertical };

  TYX_SplitterControl();

  bool CreateSplitter(HWND parent, const Win::Rect& rect, UINT id, Orientation orientation,
                      Win::DWORD style = Win::WS_CHILD | Win::WS_VISIBLE);
  Orientation GetOrientation() const { return orientation_; }

  // Allowed positions, inclusive; an inverted range is refused (false). Without a range any position goes.
  bool SetRange(int minPos, int maxPos);
  bool HasRange() const { return hasRange_; }
  int GetMinPos() const { return min_; }
  int GetMaxPos() const { return max_; }
  int GetPosition() const;

  // Bar images: normal, hover, pressed, disabled.
  void SetBarImages(UINT normal, UINT hover, UINT pressed, UINT disabled);

  // Person entry points: a drag by a distance or to a position. Return the distance actually moved
  // (0 for a dead, hidden or disabled splitter).
  int DragBy(int delta);
  int DragTo(int position);

 protected:
  void PaintContent(Win::DisplayList& dc) override;

 private:
  int Coordinate(Win::Point p) const { return orientation_ == Orientation::Horizontal ? p.y : p.x; }

  Orientation orientation_ = Orientation::Horizontal;  // owner thread, like every field below
  bool hasRange_ = false;
  int min_ = 0;
  int max_ = 0;
  UINT images_[4] = {0, 0, 0, 0};
  bool dragging_ = false;
  int dragStart_ = 0;  // mouse coordinate in the bar's client area where the drag began
};

}  // namespace TYX::Controls
