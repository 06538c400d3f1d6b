#include "platform/display_list.h"

namespace TYX::Win {

void DisplayList::FillRect(const Rect& rc, COLORREF color) {
  DrawItem item;
  item.kind = DrawItem::Kind::FillRect;
  item.rect = rc;
  item.color = color;
  items_.push_back(std::move(item));
}

void DisplayList::Line(Point from, Point to, COLORREF color) {
  DrawItem item;
  item.kind = DrawItem::Kind::Line;
  item.from = from;
  item.to = to;
  item.color = color;
  items_.push_back(std::move(item));
}

void DisplayList::Text(const Rect& box, const std::string& text, const Font& font, COLORREF color) {
  DrawItem item;
  item.kind = DrawItem::Kind::Text;
  item.rect = box;
  item.text = text;
  item.font = font;
  item.color = color;
  items_.push_back(std::move(item));
}

void DisplayList::Image(UINT skinId, const Rect& box) {
  DrawItem item;
  item.kind = DrawItem::Kind::Image;
  item.rect = box;
  item.imageId = skinId;
  items_.push_back(std::move(item));
}

std::vector<std::string> DisplayList::Texts() const {
  std::vector<std::string> out;
  for (auto& i : items_)
    if (i.kind == DrawItem::Kind::Text) out.push_back(i.text);
  return out;
}

const DrawItem* DisplayList::FindText(const std::string& text) const {
  for (auto& i : items_)
    if (i.kind == DrawItem::Kind::Text && i.text == text) return &i;
  return nullptr;
}

bool DisplayList::HasImage(UINT skinId) const {
  for (auto& i : items_)
    if (i.kind == DrawItem::Kind::Image && i.imageId == skinId) return true;
  return false;
}

}  // namespace TYX::Win
