#include "library/library_quick_link_wnd.h"

#include <gtest/gtest.h>

#include <memory>

#include "components/devicemgr/device_profile.h"
#include "components/devicemgr/folder_device_client.h"
#include "contracts/device_mgr_client.h"
#include "helpers/temp_dir.h"
#include "platform/window.h"

namespace TYX::Library {
namespace {

class QuickLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    client_ = std::make_shared<DeviceMgr::TYX_FolderDeviceClient>();
    previous_ = InstallDeviceMgrClient(client_);
    ASSERT_TRUE(parent_.Create(nullptr, Win::Rect{0, 0, 400, 100}, Win::WS_POPUP | Win::WS_VISIBLE));
    ASSERT_TRUE(strip_.CreateQuickLinkWnd(parent_.GetSafeHwnd(), Win::Rect{0, 0, 300, 45}, 500));
  }
  void TearDown() override { InstallDeviceMgrClient(previous_); }

  void ConnectPhone() {
    dir_.Write(std::string("phone/") + DeviceMgr::kProfileFileName, "Model=SPH-M4650\nKind=2\nType=1\n");
    const auto result = client_->Connect(dir_.File("phone"));
    ASSERT_TRUE(result.ok()) << result.error;
  }

  ::TYX::Test::TempDir dir_;
  std::shared_ptr<DeviceMgr::TYX_FolderDeviceClient> client_;
  std::shared_ptr<TYX_DeviceMgrClient> previous_;
  Win::Window parent_;
  TYX_Library_QuickLinkWnd strip_;
};

TEST_F(QuickLinkTest, NineButtonsFromX29WithTheirWidthsImagesAndTips) {
  const int widths[9] = {20, 20, 20, 20, 23, 23, 23, 23, 20};
  int x = 9;
  for (int i = 0; i < 9; ++i) {
    x += widths[i];
    auto* button = strip_.GetButton(i);
    ASSERT_NE(button, nullptr) << i;
    EXPECT_EQ(button->GetDlgCtrlID(), 2000u + static_cast<unsigned>(i));
    EXPECT_EQ(button->GetRectInParent(), (Win::Rect{x, 10, x + widths[i], 35})) << i;
    EXPECT_EQ(button->GetStyle(), 0x5001400Bu);
    EXPECT_EQ(button->GetBitmap(Controls::TYX_SkinButton::State::Normal), 20109u + static_cast<unsigned>(i));
  }
  EXPECT_EQ(strip_.GetButton(0)->GetRectInParent().left, 29);  // not 9
  EXPECT_EQ(TYX_Library_QuickLinkWnd::GetToolTip(0), "카메라");
  EXPECT_EQ(TYX_Library_QuickLinkWnd::GetToolTip(1), "소바르 뮤직");
  EXPECT_EQ(TYX_Library_QuickLinkWnd::GetToolTip(8), "소바르랜드");
  EXPECT_EQ(TYX_Library_QuickLinkWnd::GetToolTip(9), "");
  EXPECT_EQ(strip_.GetButton(9), nullptr);
  strip_.UpdateWindow();
  EXPECT_TRUE(strip_.GetLastPaint().HasImage(20110));
  // A second InitControl makes no second set of buttons.
  EXPECT_TRUE(strip_.InitControl());
  EXPECT_EQ(strip_.GetChildren().size(), 9u);
}

TEST_F(QuickLinkTest, AClickAsksThePhoneToOpenThatFunction) {
  ConnectPhone();
  ASSERT_TRUE(strip_.GetButton(0)->Click());
  ASSERT_TRUE(strip_.GetButton(5)->Click());
  ASSERT_TRUE(strip_.GetButton(8)->Click());
  const auto links = client_->QuickLinks();
  ASSERT_EQ(links.size(), 3u);
  EXPECT_EQ(links[0].second, 0);
  EXPECT_EQ(links[1].second, 5);
  EXPECT_EQ(links[2].second, 8);
}

TEST_F(QuickLinkTest, WithoutAPhoneTheClickIsRefusedAndNothingIsRecorded) {
  EXPECT_FALSE(strip_.OnQuickLink(3));
  EXPECT_FALSE(strip_.OnQuickLink(9));
  EXPECT_FALSE(strip_.OnQuickLink(-1));
  EXPECT_TRUE(client_->QuickLinks().empty());
}

}  // namespace
}  // namespace TYX::Library
