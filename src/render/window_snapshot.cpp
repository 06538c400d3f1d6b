#include "render/window_snapshot.h"

#include <algorithm>

namespace TYX::Render {

namespace {

Win::Rect Intersect(const Win::Rect& a, const Win::Rect& b) {
  Win::Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

}  // namespace

TYX_WindowSnapshot TYX_WindowSnapshot::Take(Win::Window& root) {
  TYX_WindowSnapshot snap;
  const Win::Rect rootRect = root.GetWindowRect();
  snap.size_ = Win::Size{rootRect.Width(), rootRect.Height()};
  snap.Add(root, rootRect, Win::Rect{0, 0, rootRect.Width(), rootRect.Height()});
  return snap;
}

void TYX_WindowSnapshot::Add(Win::Window& window, const Win::Rect& rootRect, const Win::Rect& parentClip) {
  if (!window.IsAlive() || !window.IsVisibleFlag()) return;
  Win::Rect place = window.GetWindowRect();
  place.Offset(-rootRect.left, -rootRect.top);
  const Win::Rect clip = Intersect(place, parentClip);
  if (clip.IsEmpty()) return;
  // A fresh paint: what the window shows now, not what it showed when it last painted.
  window.Invalidate();
  window.UpdateWindow();
  for (const Win::DrawItem& d : window.GetLastPaint().Items()) {
    PlacedItem p{d, clip};
    p.item.rect.Offset(place.left, place.top);
    p.item.from.x += place.left;
    p.item.from.y += place.top;
    p.item.to.x += place.left;
    p.item.to.y += place.top;
    items_.push_back(std::move(p));
  }
  const std::vector<Win::HWND> children = window.GetChildren();
  for (Win::HWND child : children)
    if (Win::Window* w = Win::Window::FromHandle(child)) Add(*w, rootRect, clip);
}

const PlacedItem* TYX_WindowSnapshot::FindText(const std::string& text) const {
  for (const PlacedItem& p : items_)
    if (p.item.kind == Win::DrawItem::Kind::Text && p.item.text == text) return &p;
  return nullptr;
}

}  // namespace TYX::Render
