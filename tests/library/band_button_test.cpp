#include <gtest/gtest.h>

#include "library/band_button.h"
#include "library/band_test_host.h"
#include "util/skin.h"

using namespace TYX::Library;
using namespace TYX::Test::Band;

TEST(BandButtonState, FollowsPushHoverSelectionAndDisabling) {
  using B = TYX_BandButton;
  // pushed, hover, selected, disabled, dropMode, dropSelected, query
  EXPECT_EQ(B::ComputeDrawState(false, false, false, false, false, false, 0), B::kNormal);
  EXPECT_EQ(B::ComputeDrawState(false, false, true, false, false, false, 0), B::kSelected);
  EXPECT_EQ(B::ComputeDrawState(false, true, false, false, false, false, 0), B::kHover);
  EXPECT_EQ(B::ComputeDrawState(false, true, false, false, false, false, 0x68), B::kNormal);
  EXPECT_EQ(B::ComputeDrawState(false, true, true, false, false, false, 0x68), B::kSelected);
  // A selected button never draws as hover.
  EXPECT_EQ(B::ComputeDrawState(false, true, true, false, false, false, 0), B::kSelected);
  EXPECT_EQ(B::ComputeDrawState(true, true, false, false, false, false, 0), B::kPressed);
  EXPECT_EQ(B::ComputeDrawState(true, false, true, false, false, false, 0), B::kSelected);
  EXPECT_EQ(B::ComputeDrawState(true, false, false, false, false, false, 0), B::kNormal);
  EXPECT_EQ(B::ComputeDrawState(true, true, true, true, false, false, 0), B::kDisabled);
  EXPECT_EQ(B::ComputeDrawState(false, true, false, true, false, false, 0), B::kDisabled);
  // In drop mode only the drop highlight counts.
  EXPECT_EQ(B::ComputeDrawState(false, true, true, false, true, false, 0), B::kNormal);
  EXPECT_EQ(B::ComputeDrawState(false, false, false, false, true, true, 0), B::kSelected);
}

namespace {

class BandButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TYX::TYX_Log::Instance()->SetTarget("");
    ASSERT_NE(TYX::TYX_Skin::LoadDefault(), nullptr);
    ASSERT_TRUE(host.Create(nullptr, Rect{0, 0, 300, 200}, WS_VISIBLE));
    ASSERT_TRUE(button.CreateSkinButton("보관함", WS_CHILD | WS_VISIBLE, Rect{2, 8, 240, 26}, host.GetSafeHwnd(), 256));
    button.SetBitmap_DLL(20103, 20105, 20104);
    host.OnCommand(256, [this] { ++clicks; });
  }
  void TearDown() override { PumpMessages(); }
  HostWindow host;
  TYX_BandButton button;
  int clicks = 0;
};

}  // namespace

TEST_F(BandButtonTest, MouseDrivesTheDrawnStateAndAClickCommandsTheParent) {
  button.UpdateWindow();
  EXPECT_EQ(button.GetLastDrawState(), TYX_BandButton::kNormal);
  button.MouseEnter();
  button.UpdateWindow();
  EXPECT_EQ(button.GetLastDrawState(), TYX_BandButton::kHover);
  ASSERT_TRUE(button.MouseDown());
  button.UpdateWindow();
  EXPECT_EQ(button.GetLastDrawState(), TYX_BandButton::kPressed);
  ASSERT_TRUE(button.MouseUp());
  EXPECT_EQ(clicks, 1);
  button.SetSelected(true);
  button.UpdateWindow();
  EXPECT_EQ(button.GetLastDrawState(), TYX_BandButton::kSelected);
  button.EnableWindow(false);
  button.UpdateWindow();
  EXPECT_EQ(button.GetLastDrawState(), TYX_BandButton::kDisabled);
  EXPECT_FALSE(button.Click());
  // Pressing a disabled or hidden button is refused and leaves it unpressed.
  EXPECT_FALSE(button.MouseDown());
  button.EnableWindow(true);
  button.ShowWindow(SW_HIDE);
  EXPECT_FALSE(button.MouseDown());
  EXPECT_FALSE(button.Click());
  button.ShowWindow(SW_SHOW);
  button.UpdateWindow();
  EXPECT_NE(button.GetLastDrawState(), TYX_BandButton::kPressed);
  EXPECT_EQ(clicks, 1);
}

TEST_F(BandButtonTest, FaceIsCutFromThreeImagesWithTheTitleCentred) {
  button.UpdateWindow();
  const auto& dl = button.GetLastPaint();
  ASSERT_EQ(dl.Items().size(), 4u);
  // The ends keep one state frame of their image (30 px wide, 5 frames).
  EXPECT_EQ(dl.Items()[0].imageId, 20103u);
  EXPECT_EQ(dl.Items()[0].rect, (Rect{0, 0, 6, 18}));
  EXPECT_EQ(dl.Items()[1].imageId, 20105u);
  EXPECT_EQ(dl.Items()[1].rect, (Rect{6, 0, 232, 18}));
  EXPECT_EQ(dl.Items()[2].imageId, 20104u);
  EXPECT_EQ(dl.Items()[2].rect, (Rect{232, 0, 238, 18}));
  const auto* title = dl.FindText("보관함");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->color, 0x393939u);
  EXPECT_EQ(title->font, (TYX::Win::Font{"돋움", 12, false}));
  EXPECT_EQ(title->rect, (Rect{0, 0, 238, 18}));
}

TEST_F(BandButtonTest, PressedTitleMovesAndAShadowIsDrawnFirst) {
  button.SetTitleColor(0xFFFFFF, 0x202020);
  button.SetTitleBold(true);
  button.MouseEnter();
  button.MouseDown();
  button.UpdateWindow();
  const auto texts = button.GetLastPaint().Items();
  std::vector<TYX::Win::DrawItem> drawn;
  for (const auto& i : texts)
    if (i.kind == TYX::Win::DrawItem::Kind::Text) drawn.push_back(i);
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(drawn[0].color, 0x202020u);
  EXPECT_EQ(drawn[0].rect, (Rect{2, 2, 240, 20}));
  EXPECT_EQ(drawn[1].color, 0xFFFFFFu);
  EXPECT_EQ(drawn[1].rect, (Rect{1, 1, 239, 19}));
  EXPECT_TRUE(drawn[1].font.bold);
  button.MouseUp();
}

TEST_F(BandButtonTest, DroppedFilesArePostedToTheParentWhichReleasesThem) {
  ASSERT_TRUE(button.DropFiles({"/m/a.mp3"}));
  std::vector<HostWindow::Notice> seen;
  host.OnMessage(WM_BAND_BUTTON_DROPFILES, [&](WPARAM w, LPARAM l) -> LRESULT {
    seen.push_back({WM_BAND_BUTTON_DROPFILES, w, l});
    auto drop = reinterpret_cast<TYX::Controls::HDROP>(l);
    EXPECT_EQ(TYX::Controls::DragQueryFile(drop, 0), "/m/a.mp3");
    TYX::Controls::DragFinish(drop);
    return 0;
  });
  ASSERT_TRUE(PumpUntil([&] { return !seen.empty(); }, 2000));
  EXPECT_EQ(seen[0].w, 256u);
}
