#include "shot_command.h"

#include <filesystem>

#include "render/screen_renderer.h"

namespace TYX::Host {

ShotCommand::Result ShotCommand::Run(HostSession& session, const std::string& screen, const std::string& pngPath) {
  Result r;
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path parent = fs::absolute(pngPath, ec).parent_path();
  if (!fs::is_directory(parent, ec)) {
    r.error = "cannot write " + pngPath + ": no folder " + parent.string();
    return r;
  }
  const bool sidebar = screen == "sidebar";
  const std::optional<PageEntry> page = PageDirectory::Find(sidebar ? "library" : screen);
  if (!page) {
    r.error = "no screen named '" + screen + "'";
    return r;
  }
  if (std::string e = session.ShowPage(*page); !e.empty()) {
    r.error = e;
    return r;
  }
  Win::Window& root = sidebar ? static_cast<Win::Window&>(session.Frame().Band()) : session.Frame();
  Render::RenderResult out;
  {
    Render::TYX_ScreenRenderer renderer(Render::TYX_ScreenRenderer::DefaultSkinFolder());
    out = renderer.RenderWindowToPng(root, pngPath);
  }
  Render::TYX_ScreenRenderer::ReleaseFontCaches();
  if (!out.error.empty()) {
    r.error = out.error;
    return r;
  }
  r.summary = "wrote " + pngPath + " (" + std::to_string(out.size.cx) + " x " + std::to_string(out.size.cy) + ")";
  if (out.missingImages) r.summary += "; " + std::to_string(out.missingImages) + " skin images missing";
  if (out.missingGlyphs) r.summary += "; " + std::to_string(out.missingGlyphs) + " characters without a glyph";
  return r;
}

}  // namespace TYX::Host
