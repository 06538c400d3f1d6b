// The renderer draws what windows recorded where they recorded it: children moved by their place and
// clipped to it, texts in a font that has Hangul, skin images from the skin folder.
#include "render/screen_renderer.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <fstream>

#include "helpers/temp_dir.h"
#include "render/skin_artist.h"
#include "util/skin.h"

namespace TYX::Render {
namespace {

class Canvas : public Win::Window {
 public:
  std::function<void(Win::DisplayList&)> paint;

 protected:
  void PaintContent(Win::DisplayList& dc) override {
    if (paint) paint(dc);
  }
};

struct Pixels {
  cairo_surface_t* s = nullptr;
  explicit Pixels(const std::string& png) : s(cairo_image_surface_create_from_png(png.c_str())) {}
  ~Pixels() { cairo_surface_destroy(s); }
  bool Ok() const { return cairo_surface_status(s) == CAIRO_STATUS_SUCCESS; }
  int Width() const { return cairo_image_surface_get_width(s); }
  int Height() const { return cairo_image_surface_get_height(s); }
  // 0xRRGGBB
  std::uint32_t At(int x, int y) const {
    cairo_surface_flush(s);
    const unsigned char* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
    return reinterpret_cast<const std::uint32_t*>(row)[x] & 0xFFFFFF;
  }
  // Pixels in the rectangle that differ from colour.
  int CountNot(const Win::Rect& r, std::uint32_t colour) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (At(x, y) != colour) ++n;
    return n;
  }
};

class ScreenRendererTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(TYX_Skin::LoadDefault());
    ASSERT_TRUE(root_.Create(nullptr, Win::Rect{0, 0, 400, 200}, Win::WS_VISIBLE, 0, "root"));
    root_.paint = [](Win::DisplayList& dc) { dc.FillRect(Win::Rect{0, 0, 400, 200}, 0xFFFFFF); };
  }
  void TearDown() override {
    child_.DestroyWindow();
    root_.DestroyWindow();
    TYX_ScreenRenderer::ReleaseFontCaches();
  }
  RenderResult Render(const std::string& skinFolder = "") {
    TYX_ScreenRenderer renderer(skinFolder.empty() ? dir_.Path() + "/no-skin" : skinFolder);
    return renderer.RenderWindowToPng(root_, png_);
  }

  TYX::Test::TempDir dir_;
  std::string png_ = dir_.File("shot.png");
  Canvas root_, child_;
};

TEST_F(ScreenRendererTest, ChildrenAreDrawnAtTheirPlaceAndClippedToIt) {
  ASSERT_TRUE(child_.Create(root_.GetSafeHwnd(), Win::Rect{100, 50, 150, 80}, Win::WS_CHILD | Win::WS_VISIBLE));
  // Red over the whole child and far beyond it: only the child's rectangle may turn red.
  child_.paint = [](Win::DisplayList& dc) { dc.FillRect(Win::Rect{-100, -100, 300, 300}, 0x0000FF); };
  const RenderResult r = Render();
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.size, (Win::Size{400, 200}));
  Pixels px(png_);
  ASSERT_TRUE(px.Ok());
  EXPECT_EQ(px.Width(), 400);
  EXPECT_EQ(px.Height(), 200);
  EXPECT_EQ(px.At(100, 50), 0xFF0000u);
  EXPECT_EQ(px.At(149, 79), 0xFF0000u);
  EXPECT_EQ(px.At(150, 79), 0xFFFFFFu);
  EXPECT_EQ(px.At(99, 50), 0xFFFFFFu);
  EXPECT_EQ(px.At(120, 80), 0xFFFFFFu);

  // A hidden child draws nothing.
  child_.ShowWindow(Win::SW_HIDE);
  ASSERT_EQ(Render().error, "");
  Pixels hidden(png_);
  EXPECT_EQ(hidden.At(120, 60), 0xFFFFFFu);
}

TEST_F(ScreenRendererTest, HangulTextIsDrawnWithGlyphsInsideItsBox) {
  const Win::Rect box{40, 60, 240, 90};
  root_.paint = [&](Win::DisplayList& dc) {
    dc.FillRect(Win::Rect{0, 0, 400, 200}, 0xFFFFFF);
    dc.Text(box, "보관함 > 음악 봄날", Win::Font{"돋움", 14, false}, 0x000000);
  };
  const RenderResult r = Render();
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.texts, 1);
  EXPECT_EQ(r.missingGlyphs, 0);
  Pixels px(png_);
  ASSERT_TRUE(px.Ok());
  // Ink inside the box, none outside it.
  EXPECT_GT(px.CountNot(box, 0xFFFFFF), 100);
  EXPECT_EQ(px.CountNot(Win::Rect{0, 0, 400, box.top}, 0xFFFFFF), 0);
  EXPECT_EQ(px.CountNot(Win::Rect{0, box.bottom, 400, 200}, 0xFFFFFF), 0);
  EXPECT_EQ(px.CountNot(Win::Rect{0, 0, box.left, 200}, 0xFFFFFF), 0);

  // A text in a box too small for it is cut at the box's edge.
  const Win::Rect narrow{40, 120, 60, 150};
  root_.paint = [&](Win::DisplayList& dc) {
    dc.FillRect(Win::Rect{0, 0, 400, 200}, 0xFFFFFF);
    dc.Text(narrow, "아주 긴 곡명입니다", Win::Font{"돋움", 14, false}, 0x000000);
  };
  ASSERT_EQ(Render().error, "");
  Pixels cut(png_);
  EXPECT_GT(cut.CountNot(narrow, 0xFFFFFF), 0);
  EXPECT_EQ(cut.CountNot(Win::Rect{narrow.right, 0, 400, 200}, 0xFFFFFF), 0);
}

TEST_F(ScreenRendererTest, CharactersWithoutGlyphAreCounted) {
  // Private-use code points have no glyph in any font we ship.
  root_.paint = [](Win::DisplayList& dc) { dc.Text(Win::Rect{0, 0, 200, 30}, "\xEE\x80\x80\xEE\x80\x81", Win::Font{}, 0); };
  const RenderResult r = Render();
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.missingGlyphs, 2);
}

TEST_F(ScreenRendererTest, SkinImagesComeFromTheDrawnSkinAndMissingOnesAreCounted) {
  const std::string skin = dir_.Path() + "/skin";
  ASSERT_EQ(TYX_SkinArtist::DrawDefaultSkin(skin), "");
  for (const TYX_SkinImage& image : TYX_Skin::DefaultImages()) {
    Pixels px(skin + "/" + std::to_string(image.id) + ".png");
    ASSERT_TRUE(px.Ok()) << image.id;
    EXPECT_EQ(px.Width(), image.size.cx) << image.id;
    EXPECT_EQ(px.Height(), image.size.cy) << image.id;
  }
  // A type icon (32 x 14) keeps its size, centred in a larger cell; a header part (8 x 22) stretches
  // over the whole header.
  root_.paint = [](Win::DisplayList& dc) {
    dc.FillRect(Win::Rect{0, 0, 400, 200}, 0xFFFFFF);
    dc.Image(20141, Win::Rect{10, 10, 74, 38});
    dc.Image(29999, Win::Rect{100, 10, 120, 30});
    dc.Image(20178, Win::Rect{0, 100, 400, 122});
  };
  const RenderResult r = Render(skin);
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.missingImages, 1);
  Pixels px(png_);
  EXPECT_GT(px.CountNot(Win::Rect{26, 17, 58, 31}, 0xFFFFFF), 32 * 14 / 2);
  EXPECT_EQ(px.CountNot(Win::Rect{10, 10, 74, 16}, 0xFFFFFF), 0);
  EXPECT_EQ(px.CountNot(Win::Rect{10, 10, 24, 38}, 0xFFFFFF), 0);
  EXPECT_EQ(px.CountNot(Win::Rect{80, 0, 100, 90}, 0xFFFFFF), 0);
  EXPECT_GT(px.CountNot(Win::Rect{0, 100, 400, 122}, 0xFFFFFF), 400 * 22 / 2);
}

TEST_F(ScreenRendererTest, UnwritablePathIsAnError) {
  TYX_ScreenRenderer renderer(dir_.Path());
  const RenderResult r = renderer.RenderWindowToPng(root_, dir_.Path() + "/missing/folder/x.png");
  EXPECT_NE(r.error, "");
}

}  // namespace
}  // namespace TYX::Render
