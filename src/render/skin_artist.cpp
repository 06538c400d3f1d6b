#include "render/skin_artist.h"

#include <cairo.h>

#include <cmath>
#include <filesystem>
#include <map>

#include "render/screen_renderer.h"

namespace TYX::Render {

namespace {

struct Rgb {
  double r, g, b;
};

constexpr Rgb Hex(unsigned v) { return {((v >> 16) & 0xFF) / 255.0, ((v >> 8) & 0xFF) / 255.0, (v & 0xFF) / 255.0}; }

void Set(cairo_t* cr, Rgb c) { cairo_set_source_rgb(cr, c.r, c.g, c.b); }

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  r = std::min(r, std::min(w, h) / 2);
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

void FillGradient(cairo_t* cr, double x, double y, double w, double h, Rgb top, Rgb bottom) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y + h);
  cairo_pattern_add_color_stop_rgb(p, 0, top.r, top.g, top.b);
  cairo_pattern_add_color_stop_rgb(p, 1, bottom.r, bottom.g, bottom.b);
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
}

void Label(cairo_t* cr, const std::string& text, double x, double y, double w, double h, double size, Rgb color,
           bool bold = false) {
  cairo_select_font_face(cr, TYX_ScreenRenderer::kFontFamily, CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
  cairo_text_extents_t te;
  cairo_text_extents(cr, text.c_str(), &te);
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  Set(cr, color);
  cairo_move_to(cr, x + (w - te.x_advance) / 2, y + (h - (fe.ascent + fe.descent)) / 2 + fe.ascent);
  cairo_show_text(cr, text.c_str());
}

// Button looks by state: normal, hover, pressed, selected (five-state images) or disabled.
struct Look {
  Rgb top, bottom, border, text;
};

Look ButtonLook(int frame, int frames) {
  const bool fiveStates = frames >= 5;
  switch (frame) {
    case 0: return {Hex(0xF7F5FA), Hex(0xDDD6E8), Hex(0xA99CBE), Hex(0x3B3150)};
    case 1: return {Hex(0xFFFFFF), Hex(0xE9E3F3), Hex(0x8E7CB0), Hex(0x3B3150)};
    case 2: return {Hex(0xCFC4E1), Hex(0xE7E1EF), Hex(0x6E5A96), Hex(0x2A2040)};
    case 3:
      if (fiveStates) return {Hex(0x9C70C8), Hex(0x6B419E), Hex(0x573489), Hex(0xFFFFFF)};
      [[fallthrough]];
    default: return {Hex(0xF0F0F0), Hex(0xE4E4E4), Hex(0xC4C4C4), Hex(0xA0A0A0)};
  }
}

void Button(cairo_t* cr, double x, double w, double h, const Look& look, double radius) {
  RoundedRect(cr, x + 0.5, 0.5, w - 1, h - 1, radius);
  FillGradient(cr, x, 0, w, h, look.top, look.bottom);
  Set(cr, look.border);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

// A band button end: the rounded half of a button, the other half open towards the middle image.
void BandEnd(cairo_t* cr, double x, double w, double h, const Look& look, bool left) {
  cairo_save(cr);
  cairo_rectangle(cr, x, 0, w, h);
  cairo_clip(cr);
  Button(cr, left ? x : x - w, 2 * w, h, look, 5);
  cairo_restore(cr);
}

void BandMiddle(cairo_t* cr, double x, double w, double h, const Look& look) {
  cairo_rectangle(cr, x, 0, w, h);
  FillGradient(cr, x, 0, w, h, look.top, look.bottom);
  cairo_new_path(cr);
  Set(cr, look.border);
  cairo_set_line_width(cr, 1);
  cairo_move_to(cr, x, 0.5);
  cairo_line_to(cr, x + w, 0.5);
  cairo_move_to(cr, x, h - 0.5);
  cairo_line_to(cr, x + w, h - 0.5);
  cairo_stroke(cr);
}

void Triangle(cairo_t* cr, double cx, double cy, double s, int dir, Rgb c) {
  // dir: 0 up, 1 down, 2 left, 3 right
  Set(cr, c);
  if (dir == 0) { cairo_move_to(cr, cx - s, cy + s / 2); cairo_line_to(cr, cx + s, cy + s / 2); cairo_line_to(cr, cx, cy - s / 2); }
  if (dir == 1) { cairo_move_to(cr, cx - s, cy - s / 2); cairo_line_to(cr, cx + s, cy - s / 2); cairo_line_to(cr, cx, cy + s / 2); }
  if (dir == 2) { cairo_move_to(cr, cx + s / 2, cy - s); cairo_line_to(cr, cx + s / 2, cy + s); cairo_line_to(cr, cx - s / 2, cy); }
  if (dir == 3) { cairo_move_to(cr, cx - s / 2, cy - s); cairo_line_to(cr, cx - s / 2, cy + s); cairo_line_to(cr, cx + s / 2, cy); }
  cairo_close_path(cr);
  cairo_fill(cr);
}

void Note(cairo_t* cr, double x, double y, double s, Rgb c) {
  Set(cr, c);
  cairo_arc(cr, x + s * 0.3, y + s * 0.75, s * 0.18, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_set_line_width(cr, std::max(1.0, s * 0.1));
  cairo_move_to(cr, x + s * 0.46, y + s * 0.75);
  cairo_line_to(cr, x + s * 0.46, y + s * 0.15);
  cairo_line_to(cr, x + s * 0.8, y + s * 0.3);
  cairo_stroke(cr);
}

// Type icons by icon index: a short format name on a coloured badge.
void TypeBadge(cairo_t* cr, int icon, double w, double h) {
  static const std::map<int, std::pair<const char*, unsigned>> badges = {
      {1, {"", 0x3F6FC6}},  {2, {"WMA", 0x1F8A8A}},  {3, {"OGG", 0x3C9A4A}},  {4, {"WAV", 0xD9822B}},
      {5, {"ASF", 0x1F8A8A}},  {6, {"AAC", 0x8A5AC6}},  {7, {"M4A", 0x8A5AC6}},  {8, {"AMR", 0x7A7A7A}},
      {9, {"AUD", 0x7A7A7A}},  {10, {"VIA", 0xA6447E}}, {11, {"MA2", 0xC6508A}}, {12, {"MMF", 0xC6508A}},
      {13, {"MA3", 0xC6508A}}, {14, {"AMF", 0xC6508A}}, {15, {"AUD", 0x7A7A7A}}, {16, {"DRM", 0x555555}},
      {17, {"AUD", 0x7A7A7A}}, {18, {"AUD", 0x7A7A7A}}, {19, {"MID", 0xC6508A}}, {20, {"DCF", 0x555555}}};
  auto it = badges.find(icon);
  const auto [text, color] = it != badges.end() ? it->second : std::make_pair("?", 0x7A7A7Au);
  const Rgb c = Hex(color);
  RoundedRect(cr, 1, 1, w - 2, h - 2, 3);
  FillGradient(cr, 0, 0, w, h, Rgb{std::min(1.0, c.r + 0.15), std::min(1.0, c.g + 0.15), std::min(1.0, c.b + 0.15)}, c);
  cairo_new_path(cr);
  // Icon 1 stands for every kind without its own icon (MP3, CD tracks, ...): a note, not a name.
  if (*text == '\0') {
    Note(cr, w / 2 - h / 2 + 1, 1, h - 2, Hex(0xFFFFFF));
    return;
  }
  Label(cr, text, 0, 0, w, h, 9, Hex(0xFFFFFF), true);
}

void Disc(cairo_t* cr, double x, double y, double s, Rgb c) {
  cairo_arc(cr, x + s / 2, y + s / 2, s / 2 - 1, 0, 2 * M_PI);
  FillGradient(cr, x, y, s, s, Hex(0xE8E8F0), c);
  cairo_new_path(cr);
  Set(cr, Hex(0xFFFFFF));
  cairo_arc(cr, x + s / 2, y + s / 2, s / 6, 0, 2 * M_PI);
  cairo_fill(cr);
}

const std::map<unsigned, const char*>& ToolbarLabels() {
  static const std::map<unsigned, const char*> labels = {
      {20509, "듣기"}, {20510, "전송"}, {20511, "삭제"}, {20512, "담기"},
      {20513, "추가"}, {20514, "상세 검색"}, {20515, "추가"}};
  return labels;
}

void DrawFrames(cairo_t* cr, const TYX_SkinImage& image) {
  const double W = image.size.cx, H = image.size.cy;
  const int frames = std::max(1, image.states);
  const double fw = W / frames;
  const unsigned id = image.id;
  for (int f = 0; f < frames; ++f) {
    const double x = f * fw;
    const Look look = ButtonLook(f, frames);
    cairo_save(cr);
    cairo_rectangle(cr, x, 0, fw, H);
    cairo_clip(cr);
    if (id == 20103 || id == 20104) {
      BandEnd(cr, x, fw, H, look, id == 20103);
    } else if (id >= 20105 && id <= 20108) {
      BandMiddle(cr, x, fw, H, look);
    } else if (id >= 20109 && id <= 20117) {
      Button(cr, x, fw, H, look, 3);
      if (id == 20115) Triangle(cr, x + fw / 2, H / 2, 4, 0, look.text);
      if (id == 20116) Triangle(cr, x + fw / 2, H / 2, 4, 1, look.text);
    } else if (id >= 20118 && id <= 20122) {
      Button(cr, x, fw, H, ButtonLook(f == 3 ? 4 : f, 4), 2);
      if (id == 20121) Triangle(cr, x + fw / 2, H / 2, 3.5, 2, look.text);
      if (id == 20122) Triangle(cr, x + fw / 2, H / 2, 3.5, 3, look.text);
    } else if (id >= 20124 && id <= 20127) {
      if (id == 20124) Disc(cr, x, 0, fw, Hex(0x9C86C0));
      else Note(cr, x + 1, 1, fw - 2, Hex(0x6B419E));
    } else if (id == 20130) {
      Button(cr, x, fw, H, look, 3);
      Triangle(cr, x + fw / 2, H / 2, 3.5, 1, look.text);
    } else if (id == 20140) {
      cairo_rectangle(cr, x + 0.5, 0.5, fw - 1, H - 1);
      Set(cr, Hex(0xFFFFFF));
      cairo_fill_preserve(cr);
      Set(cr, Hex(0x9A8FB0));
      cairo_set_line_width(cr, 1);
      cairo_stroke(cr);
      if (f == 1) {
        Set(cr, Hex(0x6B419E));
        cairo_set_line_width(cr, 2);
        cairo_move_to(cr, x + 3, H / 2);
        cairo_line_to(cr, x + fw / 2 - 1, H - 3);
        cairo_line_to(cr, x + fw - 3, 3);
        cairo_stroke(cr);
      }
    } else if (image.label.rfind("type icon ", 0) == 0) {
      TypeBadge(cr, std::atoi(image.label.c_str() + 10), fw, H);
    } else if (id >= 20163 && id <= 20167) {
      RoundedRect(cr, 3.5, 1.5, fw - 7, H - 3, 1.5);
      Set(cr, Hex(0xFFFFFF));
      cairo_fill_preserve(cr);
      Set(cr, Hex(id == 20165 ? 0xA6447E : 0x7A6A98));
      cairo_set_line_width(cr, 1);
      cairo_stroke(cr);
      for (int l = 0; l < 3; ++l) {
        cairo_move_to(cr, 6, 5.5 + 3 * l);
        cairo_line_to(cr, fw - 6, 5.5 + 3 * l);
      }
      cairo_stroke(cr);
    } else if (id == 20168) {
      Note(cr, x + 2, 2, 12, Hex(0xA99CBE));
    } else if (id == 20176) {
      Triangle(cr, x + fw / 2, H / 2, 5, 3, Hex(0xA6447E));
    } else if (id == 20177) {
      Set(cr, Hex(0xA6447E));
      cairo_rectangle(cr, x + 4, 3, 3, H - 6);
      cairo_rectangle(cr, x + fw - 7, 3, 3, H - 6);
      cairo_fill(cr);
    } else if (id == 20178 || id == 20179 || id == 20189 || id == 20519) {
      cairo_rectangle(cr, x, 0, fw, H);
      FillGradient(cr, x, 0, fw, H, Hex(0xFBFAFD), Hex(0xE3DEEA));
      cairo_new_path(cr);
      Set(cr, Hex(0xBDB3CC));
      cairo_rectangle(cr, x, H - 1, fw, 1);
      cairo_fill(cr);
    } else if (id == 20190) {
      Set(cr, Hex(0xCFC8DA));
      cairo_rectangle(cr, x + fw / 2 - 0.5, 4, 1, H - 8);
      cairo_fill(cr);
    } else if (id == 20180) {
      Set(cr, Hex(0xF3F0F7));
      cairo_paint(cr);
    } else if (id == 20253) {
      Set(cr, Hex(0x3C9A4A));
      cairo_rectangle(cr, 7, 3, 2, 10);
      cairo_rectangle(cr, 3, 7, 10, 2);
      cairo_fill(cr);
    } else if (id == 20282) {
      RoundedRect(cr, 28.5, 8.5, 40, 80, 8);
      FillGradient(cr, 28, 8, 40, 80, Hex(0x5A5A6E), Hex(0x2E2E3A));
      cairo_new_path(cr);
      RoundedRect(cr, 33, 18, 31, 46, 2);
      FillGradient(cr, 33, 18, 31, 46, Hex(0xCFE3FF), Hex(0x8DB3E8));
      cairo_new_path(cr);
      Note(cr, 38, 28, 20, Hex(0x3B3150));
    } else if (id == 20347) {
      RoundedRect(cr, 0.5, 0.5, W - 1, H - 1, H / 2);
      FillGradient(cr, 0, 0, W, H, Hex(0xB48ADB), Hex(0x7446A8));
      cairo_new_path(cr);
    } else if (id == 20427) {
      RoundedRect(cr, 0.5, 0.5, W - 1, H - 1, H / 2);
      FillGradient(cr, 0, 0, W, H, Hex(0xE2DDE8), Hex(0xF4F2F7));
      Set(cr, Hex(0xB9AFC8));
      cairo_set_line_width(cr, 1);
      cairo_stroke(cr);
    } else if (id >= 20437 && id <= 20440) {
      Set(cr, Hex(0xE6E1EC));
      cairo_paint(cr);
      if (id == 20440) {
        Set(cr, Hex(0x9A8FB0));
        for (int d = 0; d < 4; ++d) cairo_rectangle(cr, 8 + d * 5, 2, 2, 1);
        cairo_fill(cr);
      }
    } else if (id >= 20509 && id <= 20515) {
      Button(cr, x, fw, H, look, 4);
      auto label = ToolbarLabels().find(id);
      const bool menu = id == 20513 || id == 20515;
      if (label != ToolbarLabels().end()) Label(cr, label->second, x - (menu ? 5 : 0), 0, fw, H, 11, look.text, f == 2);
      if (menu) Triangle(cr, x + fw - 11, H / 2 + 1, 3, 1, look.text);
    } else if (id == 20520) {
      cairo_rectangle(cr, 0, 0, W, H);
      FillGradient(cr, 0, 0, W, H, Hex(0xF6F3FA), Hex(0xE6DFF0));
      cairo_new_path(cr);
    } else if (id == 1 || id == 2 || (id >= 8007 && id <= 8011)) {
      // Popup buttons carry white captions, so their face is the dark selected look.
      Button(cr, x, fw, H, ButtonLook(3, 5), 3);
    } else if (id == 20250) {
      // The popup's title bar: the title is written on it in white.
      cairo_rectangle(cr, 0, 0, W, H);
      FillGradient(cr, 0, 0, W, H, Hex(0x8A62B8), Hex(0x5B3690));
      cairo_new_path(cr);
      Set(cr, Hex(0x472A74));
      cairo_rectangle(cr, 0, H - 1, W, 1);
      cairo_fill(cr);
    } else if (id == 20251) {
      RoundedRect(cr, 0.5, 0.5, W - 1, H - 1, 3);
      FillGradient(cr, 0, 0, W, H, Hex(0xA27CCB), Hex(0x6F4AA0));
      Set(cr, Hex(0xD9CCEA));
      cairo_set_line_width(cr, 1);
      cairo_stroke(cr);
      Set(cr, Hex(0xFFFFFF));
      cairo_set_line_width(cr, 1.6);
      cairo_move_to(cr, 5, 5);
      cairo_line_to(cr, W - 5, H - 5);
      cairo_move_to(cr, W - 5, 5);
      cairo_line_to(cr, 5, H - 5);
      cairo_stroke(cr);
    } else if (id == 20530) {
      Set(cr, Hex(0x6B419E));
      cairo_set_line_width(cr, 2);
      cairo_move_to(cr, 3, H / 2);
      cairo_line_to(cr, W / 2 - 1, H - 4);
      cairo_line_to(cr, W - 3, 3);
      cairo_stroke(cr);
    } else if (id == 20443) {
      Triangle(cr, W / 2, H / 2, 8, 0, Hex(0x3B3150));
    } else {
      Button(cr, x, fw, H, look, 3);
    }
    cairo_restore(cr);
  }
}

}  // namespace

std::string TYX_SkinArtist::DrawImage(const TYX_SkinImage& image, const std::string& pngPath) {
  if (image.size.cx <= 0 || image.size.cy <= 0) return "skin image " + std::to_string(image.id) + " has no size";
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.size.cx, image.size.cy);
  cairo_t* cr = cairo_create(s);
  DrawFrames(cr, image);
  cairo_destroy(cr);
  const cairo_status_t st = cairo_surface_write_to_png(s, pngPath.c_str());
  cairo_surface_destroy(s);
  return st == CAIRO_STATUS_SUCCESS ? std::string() : "cannot write " + pngPath + ": " + cairo_status_to_string(st);
}

std::string TYX_SkinArtist::DrawDefaultSkin(const std::string& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) return "cannot make " + folder + ": " + ec.message();
  for (const TYX_SkinImage& image : TYX_Skin::DefaultImages()) {
    std::string e = DrawImage(image, folder + "/" + std::to_string(image.id) + ".png");
    if (!e.empty()) return e;
  }
  return {};
}

}  // namespace TYX::Render
