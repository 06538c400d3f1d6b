#include "render/screen_renderer.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>

#include "platform/os_services.h"
#include "util/log.h"
#include "util/skin.h"

namespace TYX::Render {

namespace {

void SetColor(cairo_t* cr, Win::COLORREF c) {
  cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0);
}

void SelectFont(cairo_t* cr, const Win::Font& font) {
  cairo_select_font_face(cr, TYX_ScreenRenderer::kFontFamily, CAIRO_FONT_SLANT_NORMAL,
                         font.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  // Font heights are cell heights in pixels, as the controls give them; negative means the same.
  cairo_set_font_size(cr, std::max(6, std::abs(font.height)));
}

// Draws text into box, left-aligned and centred vertically; returns how many characters had no glyph.
int DrawText(cairo_t* cr, const Win::Rect& box, const std::string& text, const Win::Font& font, Win::COLORREF color) {
  SelectFont(cr, font);
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  const double x = box.left + 4;
  const double y = box.top + (box.Height() - (fe.ascent + fe.descent)) / 2.0 + fe.ascent;
  cairo_glyph_t* glyphs = nullptr;
  int count = 0;
  cairo_scaled_font_t* sf = cairo_get_scaled_font(cr);
  if (cairo_scaled_font_text_to_glyphs(sf, x, y, text.data(), static_cast<int>(text.size()), &glyphs, &count, nullptr,
                                       nullptr, nullptr) != CAIRO_STATUS_SUCCESS)
    return static_cast<int>(text.size());
  int missing = 0;
  for (int i = 0; i < count; ++i)
    if (glyphs[i].index == 0) ++missing;
  SetColor(cr, color);
  cairo_show_glyphs(cr, glyphs, count);
  cairo_glyph_free(glyphs);
  return missing;
}

// Skin images that are pictures of a thing rather than surfaces, by the skin table's label.
bool IsIcon(const std::string& label) {
  for (const char* word : {"icon", "title cell", "tree nodes", "check box"})
    if (label.find(word) != std::string::npos) return true;
  return false;
}

}  // namespace

struct TYX_ScreenRenderer::Images {
  std::map<Win::UINT, cairo_surface_t*> loaded;  // null: no file
  ~Images() {
    for (auto& [id, s] : loaded)
      if (s) cairo_surface_destroy(s);
  }
};

TYX_ScreenRenderer::TYX_ScreenRenderer(std::string skinFolder)
    : skinFolder_(std::move(skinFolder)), images_(std::make_unique<Images>()) {}

TYX_ScreenRenderer::~TYX_ScreenRenderer() = default;

std::string TYX_ScreenRenderer::DefaultSkinFolder() { return Win::Os::GetModuleFolder() + "/../share/sonvar/skin"; }

std::string TYX_ScreenRenderer::CheckFont() {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 4, 4);
  cairo_t* cr = cairo_create(s);
  SelectFont(cr, Win::Font{});
  cairo_glyph_t* glyphs = nullptr;
  int count = 0;
  const std::string probe = "가나";
  bool ok = cairo_scaled_font_text_to_glyphs(cairo_get_scaled_font(cr), 0, 0, probe.data(), static_cast<int>(probe.size()),
                                             &glyphs, &count, nullptr, nullptr, nullptr) == CAIRO_STATUS_SUCCESS;
  ok = ok && count == 2 && glyphs[0].index != 0 && glyphs[1].index != 0;
  if (glyphs) cairo_glyph_free(glyphs);
  cairo_destroy(cr);
  cairo_surface_destroy(s);
  return ok ? std::string() : std::string("the Korean font ") + kFontFamily + " is missing (install fonts-nanum)";
}

void TYX_ScreenRenderer::ReleaseFontCaches() {
  cairo_debug_reset_static_data();
  FcFini();
}

RenderResult TYX_ScreenRenderer::RenderWindowToPng(Win::Window& root, const std::string& pngPath) {
  return RenderToPng(TYX_WindowSnapshot::Take(root), pngPath);
}

RenderResult TYX_ScreenRenderer::RenderToPng(const TYX_WindowSnapshot& snapshot, const std::string& pngPath) {
  RenderResult r;
  r.size = snapshot.GetSize();
  if (r.size.cx <= 0 || r.size.cy <= 0) {
    r.error = "the window has no size";
    return r;
  }
  if (std::string e = CheckFont(); !e.empty()) {
    r.error = e;
    return r;
  }
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, r.size.cx, r.size.cy);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  TYX_Skin* skin = TYX_Skin::Instance();

  for (const PlacedItem& p : snapshot.Items()) {
    const Win::DrawItem& d = p.item;
    cairo_save(cr);
    cairo_rectangle(cr, p.clip.left, p.clip.top, p.clip.Width(), p.clip.Height());
    cairo_clip(cr);
    switch (d.kind) {
      case Win::DrawItem::Kind::FillRect:
        SetColor(cr, d.color);
        cairo_rectangle(cr, d.rect.left, d.rect.top, d.rect.Width(), d.rect.Height());
        cairo_fill(cr);
        break;
      case Win::DrawItem::Kind::Line:
        SetColor(cr, d.color);
        cairo_set_line_width(cr, 1.0);
        cairo_move_to(cr, d.from.x + 0.5, d.from.y + 0.5);
        cairo_line_to(cr, d.to.x + 0.5, d.to.y + 0.5);
        cairo_stroke(cr);
        break;
      case Win::DrawItem::Kind::Text:
        if (d.rect.IsEmpty() || d.text.empty()) break;
        cairo_rectangle(cr, d.rect.left, d.rect.top, d.rect.Width(), d.rect.Height());
        cairo_clip(cr);
        r.missingGlyphs += DrawText(cr, d.rect, d.text, d.font, d.color);
        ++r.texts;
        break;
      case Win::DrawItem::Kind::Image: {
        if (d.rect.IsEmpty()) break;
        auto it = images_->loaded.find(d.imageId);
        if (it == images_->loaded.end()) {
          const std::string file = skinFolder_ + "/" + std::to_string(d.imageId) + ".png";
          cairo_surface_t* img = cairo_image_surface_create_from_png(file.c_str());
          if (cairo_surface_status(img) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(img);
            img = nullptr;
            TYX_Log::Instance()->Add("screen renderer: no skin image %s", file.c_str());
          }
          it = images_->loaded.emplace(d.imageId, img).first;
        }
        if (!it->second) {
          ++r.missingImages;
          cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
          cairo_rectangle(cr, d.rect.left, d.rect.top, d.rect.Width(), d.rect.Height());
          cairo_fill(cr);
          break;
        }
        int states = 1;
        bool icon = false;
        if (skin) {
          if (auto info = skin->GetImage(d.imageId)) {
            states = std::max(1, info->states);
            icon = IsIcon(info->label);
          }
        }
        const int w = cairo_image_surface_get_width(it->second), h = std::max(1, cairo_image_surface_get_height(it->second));
        const int frameW = std::max(1, w / states);
        cairo_rectangle(cr, d.rect.left, d.rect.top, d.rect.Width(), d.rect.Height());
        cairo_clip(cr);
        if (icon) {
          // Icons keep their shape: as large as they are (smaller when the box is), centred.
          const double k = std::min(1.0, std::min(static_cast<double>(d.rect.Width()) / frameW,
                                                  static_cast<double>(d.rect.Height()) / h));
          cairo_translate(cr, d.rect.left + (d.rect.Width() - frameW * k) / 2, d.rect.top + (d.rect.Height() - h * k) / 2);
          cairo_scale(cr, k, k);
        } else {
          // Backgrounds, bars and buttons stretch over their box.
          cairo_translate(cr, d.rect.left, d.rect.top);
          cairo_scale(cr, static_cast<double>(d.rect.Width()) / frameW, static_cast<double>(d.rect.Height()) / h);
        }
        cairo_set_source_surface(cr, it->second, 0, 0);
        cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
        cairo_rectangle(cr, 0, 0, frameW, h);
        cairo_fill(cr);
        break;
      }
    }
    cairo_restore(cr);
  }
  cairo_destroy(cr);
  const cairo_status_t st = cairo_surface_write_to_png(surface, pngPath.c_str());
  cairo_surface_destroy(surface);
  if (st != CAIRO_STATUS_SUCCESS) r.error = "cannot write " + pngPath + ": " + cairo_status_to_string(st);
  return r;
}

}  // namespace TYX::Render
