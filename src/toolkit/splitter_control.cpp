#include "toolkit/splitter_control.h"

#include <algorithm>

namespace TYX::Controls {

using namespace Win;

TYX_SplitterControl::TYX_SplitterControl() {
  OnMessage(WM_LBUTTONDOWN, [this](WPARAM, LPARAM l) -> LRESULT {
    if (!IsWindowEnabled()) return 0;
    dragging_ = true;
    dragStart_ = Coordinate(PointFromLParam(l));
    Invalidate();
    return 0;
  });
  OnMessage(WM_LBUTTONUP, [this](WPARAM, LPARAM l) -> LRESULT {
    if (!dragging_) return 0;
    dragging_ = false;
    DragBy(Coordinate(PointFromLParam(l)) - dragStart_);
    Invalidate();
    return 0;
  });
}

bool TYX_SplitterControl::CreateSplitter(HWND parent, const Rect& rect, UINT id, Orientation orientation,
                                         DWORD style) {
  orientation_ = orientation;
  return Create(parent, rect, style, id);
}

bool TYX_SplitterControl::SetRange(int minPos, int maxPos) {
  if (maxPos < minPos) return false;
  hasRange_ = true;
  min_ = minPos;
  max_ = maxPos;
  return true;
}

int TYX_SplitterControl::GetPosition() const {
  const Rect rc = GetRectInParent();
  return orientation_ == Orientation::Horizontal ? rc.top : rc.left;
}

void TYX_SplitterControl::SetBarImages(UINT normal, UINT hover, UINT pressed, UINT disabled) {
  images_[0] = normal;
  images_[1] = hover;
  images_[2] = pressed;
  images_[3] = disabled;
  Invalidate();
}

int TYX_SplitterControl::DragTo(int position) { return DragBy(position - GetPosition()); }

int TYX_SplitterControl::DragBy(int delta) {
  if (!IsAlive() || !IsWindowVisible() || !IsWindowEnabled()) return 0;
  const int from = GetPosition();
  long long to = static_cast<long long>(from) + delta;
  if (hasRange_) to = std::clamp<long long>(to, min_, max_);
  const int moved = static_cast<int>(to - from);
  if (moved == 0) return 0;
  Rect rc = GetRectInParent();
  if (orientation_ == Orientation::Horizontal)
    rc.Offset(0, moved);
  else
    rc.Offset(moved, 0);
  MoveWindow(rc);
  SPC_NMHDR nm;
  nm.hdr.hwndFrom = GetSafeHwnd();
  nm.hdr.idFrom = GetDlgCtrlID();
  nm.hdr.code = SPN_SIZED;
  nm.delta = moved;
  if (HWND parent = GetParent()) TYX::Win::SendMessage(parent, WM_NOTIFY, GetDlgCtrlID(), reinterpret_cast<LPARAM>(&nm));
  return moved;
}

void TYX_SplitterControl::PaintContent(DisplayList& dc) {
  const Rect rc = GetClientRect();
  const int state = !IsWindowEnabled() ? 3 : dragging_ ? 2 : 0;
  const UINT image = images_[state] ? images_[state] : images_[0];
  if (image)
    dc.Image(image, rc);
  else
    dc.FillRect(rc, 0xD5D5D5);
}

}  // namespace TYX::Controls
