// Draws the default skin's images into a folder; the build runs it so that the program finds them.
//   sonvar_draw_skin FOLDER
#include <cstdio>

#include "render/screen_renderer.h"
#include "render/skin_artist.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: sonvar_draw_skin FOLDER\n");
    return 2;
  }
  const std::string e = TYX::Render::TYX_SkinArtist::DrawDefaultSkin(argv[1]);
  TYX::Render::TYX_ScreenRenderer::ReleaseFontCaches();
  if (!e.empty()) {
    std::fprintf(stderr, "sonvar_draw_skin: %s\n", e.c_str());
    return 1;
  }
  return 0;
}
