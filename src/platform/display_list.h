#pragma once
// What a paint recorded: filled rectangles, lines, texts with font, colour and position, and skin
// images by ID. Tests read it; a renderer can later turn it into a picture.
#include <string>
#include <vector>

#include "platform/types.h"

namespace TYX::Win {

struct Font {
  std::string face = "Dotum";
  int height = 12;
  bool bold = false;
  bool operator==(const Font&) const = default;
};

struct DrawItem {
  enum class Kind { FillRect, Line, Text, Image };
  Kind kind = Kind::FillRect;
  Rect rect;           // fill, text box or image box
  Point from, to;      // line ends
  COLORREF color = 0;  // fill, line or text colour
  std::string text;
  Font font;
  UINT imageId = 0;  // skin image ID
};

class DisplayList {
 public:
  void FillRect(const Rect& rc, COLORREF color);
  void Line(Point from, Point to, COLORREF color);
  void Text(const Rect& box, const std::string& text, const Font& font, COLORREF color);
  void Image(UINT skinId, const Rect& box);
  void Clear() { items_.clear(); }

  const std::vector<DrawItem>& Items() const { return items_; }
  bool Empty() const { return items_.empty(); }
  // Every text drawn, in drawing order.
  std::vector<std::string> Texts() const;
  const DrawItem* FindText(const std::string& text) const;
  bool HasImage(UINT skinId) const;

 private:
  std::vector<DrawItem> items_;
};

}  // namespace TYX::Win
