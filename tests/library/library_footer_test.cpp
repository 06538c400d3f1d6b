#include "library/library_footer.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/window.h"

namespace TYX::Library {
namespace {

class FooterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (Win::UINT message : {WM_FOOTER_BASKET, WM_FOOTER_PC, WM_FOOTER_DEVICE}) {
      parent_.OnMessage(message, [this, message](Win::WPARAM w, Win::LPARAM l) {
        received_.push_back({message, w, l});
        return Win::LRESULT{7};
      });
    }
    ASSERT_TRUE(parent_.Create(nullptr, Win::Rect{0, 0, 400, 300}, Win::WS_POPUP | Win::WS_VISIBLE));
  }
  struct Received {
    Win::UINT message;
    Win::WPARAM w;
    Win::LPARAM l;
  };
  Win::Window parent_;
  std::vector<Received> received_;
};

TEST_F(FooterTest, CreatedHiddenAndItsButtonsTellTheParent) {
  TYX_LibraryFooter footer;
  ASSERT_EQ(footer.CreateFooter(parent_.GetSafeHwnd(), Win::Rect{0, 270, 400, 300}, 77), Win::S_OK);
  EXPECT_FALSE(footer.IsVisibleFlag());
  EXPECT_EQ(footer.GetDlgCtrlID(), 77u);
  footer.ShowWindow(Win::SW_SHOW);
  // A person clicks basket, PC and device in turn.
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(footer.GetButton(i)->Click()) << i;
  ASSERT_EQ(received_.size(), 3u);
  EXPECT_EQ(received_[0].message, 35224u);
  EXPECT_EQ(received_[1].message, 35225u);
  EXPECT_EQ(received_[2].message, 35226u);
  for (const auto& r : received_) {
    EXPECT_EQ(r.w, 0u);
    EXPECT_EQ(r.l, 0);
  }
  EXPECT_EQ(footer.GetButton(0)->GetDlgCtrlID(), 34011u);
  EXPECT_EQ(footer.GetButton(2)->GetDlgCtrlID(), 34013u);
  EXPECT_EQ(footer.GetButton(3), nullptr);
}

TEST_F(FooterTest, WithoutAParentNothingIsMadeOrSent) {
  TYX_LibraryFooter orphan;
  EXPECT_EQ(orphan.CreateFooter(nullptr, Win::Rect{0, 0, 10, 10}, 1), Win::E_INVALIDARG);
  EXPECT_FALSE(orphan.IsAlive());
  EXPECT_EQ(orphan.OnBasketBtn(), Win::E_FAIL);
  EXPECT_EQ(orphan.OnDeviceBtn(), Win::E_FAIL);
  EXPECT_TRUE(received_.empty());
}

TEST_F(FooterTest, EnableSwitchesLeaveTheButtonsAndTheDeviceFlag) {
  TYX_LibraryFooter footer;
  ASSERT_EQ(footer.CreateFooter(parent_.GetSafeHwnd(), Win::Rect{0, 0, 400, 30}, 1), Win::S_OK);
  EXPECT_EQ(footer.SetEnableDeviceBtn(Win::FALSE), Win::S_OK);
  EXPECT_EQ(footer.SetEnablePCBtn(Win::FALSE), Win::S_OK);
  EXPECT_EQ(footer.SetEnableBasketBtn(Win::FALSE), Win::S_OK);
  EXPECT_EQ(footer.IsEnableDevice(), Win::FALSE);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(footer.GetButton(i)->IsWindowEnabled());
  // The background is filled white over the whole client area.
  footer.ShowWindow(Win::SW_SHOW);
  footer.UpdateWindow();
  const auto& items = footer.GetLastPaint().Items();
  ASSERT_FALSE(items.empty());
  EXPECT_EQ(items[0].rect, footer.GetClientRect());
  EXPECT_EQ(items[0].color, 0xFFFFFFu);
}

}  // namespace
}  // namespace TYX::Library
