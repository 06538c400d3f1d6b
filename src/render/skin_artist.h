#pragma once
// Draws the default skin: one PNG file "<skin ID>.png" per image of the built-in skin table, of the
// table's size, with its state frames side by side (normal, hover, pressed, then selected or
// disabled). The build runs it once, so pictures of the screens look like the finished program.
#include <string>

#include "util/skin.h"

namespace TYX::Render {

class TYX_SkinArtist {
 public:
  // Draws every image of the default skin into folder (created when missing). Empty on success, else
  // the reason.
  static std::string DrawDefaultSkin(const std::string& folder);
  // Draws one image. Empty on success, else the reason.
  static std::string DrawImage(const TYX_SkinImage& image, const std::string& pngPath);
};

}  // namespace TYX::Render
