#pragma once
// Turns what windows show into a PNG picture: filled rectangles, lines, texts in a Korean font
// (NanumGothic of fonts-nanum) and skin images read from a folder of PNG files named "<skin ID>.png".
// A multi-state skin image shows its first state frame. Icons keep their size and shape, centred
// in their box; every other image stretches over its box.
//
// Not thread-safe; one renderer per thread.
#include <map>
#include <memory>
#include <string>

#include "render/window_snapshot.h"

namespace TYX::Render {

struct RenderResult {
  std::string error;        // empty on success
  Win::Size size;           // of the picture
  int texts = 0;            // text items drawn
  int missingGlyphs = 0;    // characters the font has no glyph for (drawn as empty boxes)
  int missingImages = 0;    // skin images without a file (drawn as grey boxes)
};

class TYX_ScreenRenderer {
 public:
  // skinFolder: where the skin's PNG files are; DefaultSkinFolder() for the one the build draws.
  explicit TYX_ScreenRenderer(std::string skinFolder);
  ~TYX_ScreenRenderer();
  TYX_ScreenRenderer(const TYX_ScreenRenderer&) = delete;
  TYX_ScreenRenderer& operator=(const TYX_ScreenRenderer&) = delete;

  // Empty when the Korean font is there, else the reason.
  static std::string CheckFont();
  // <program folder>/../share/sonvar/skin, where the build puts the drawn skin.
  static std::string DefaultSkinFolder();
  static constexpr const char* kFontFamily = "NanumGothic";

  // Frees the font caches Cairo and fontconfig keep for the process. Call once at exit, after the
  // last picture, so leak checkers see a clean process.
  static void ReleaseFontCaches();

  RenderResult RenderToPng(const TYX_WindowSnapshot& snapshot, const std::string& pngPath);
  RenderResult RenderWindowToPng(Win::Window& root, const std::string& pngPath);

 private:
  struct Images;
  std::string skinFolder_;
  std::unique_ptr<Images> images_;
};

}  // namespace TYX::Render
