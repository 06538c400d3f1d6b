#include <gtest/gtest.h>

#include <set>

#include "helpers/temp_dir.h"
#include "util/skin.h"

using namespace TYX::Util;
using TYX::Test::TempDir;
using TYX::Win::Size;

namespace {

// Each test starts with no skin service and leaves none behind.
class SkinTest : public ::testing::Test {
 protected:
  void SetUp() override { TYX_Skin::Unload(); }
  void TearDown() override { TYX_Skin::Unload(); }
};

TEST_F(SkinTest, TheServiceIsMissingUntilASkinIsLoaded) {
  EXPECT_EQ(TYX_Skin::Instance(), nullptr);
  EXPECT_FALSE(TYX_Skin::IsLoaded());
  TYX_Skin* skin = TYX_Skin::LoadDefault();
  ASSERT_NE(skin, nullptr);
  EXPECT_EQ(TYX_Skin::Instance(), skin);
  EXPECT_EQ(skin->Name(), "default");
  TYX_Skin::Unload();
  EXPECT_EQ(TYX_Skin::Instance(), nullptr);
  // A pointer taken before still answers, with an empty table.
  EXPECT_FALSE(skin->HasImage(20141));
}

TEST_F(SkinTest, TheDefaultSkinKnowsEveryImageAndColourTheFrontEndNames) {
  TYX_Skin* skin = TYX_Skin::LoadDefault();
  const std::set<unsigned> named = {
      20103, 20104, 20109, 20110, 20111, 20112, 20113, 20114, 20115, 20116, 20117, 20118, 20119, 20120, 20121,
      20122, 20123, 20130, 20140, 20141, 20142, 20143, 20144, 20145, 20146, 20147, 20148, 20149, 20150, 20151,
      20152, 20153, 20154, 20155, 20156, 20157, 20158, 20159, 20160, 20163, 20164, 20165, 20166, 20167, 20168,
      20176, 20177, 20178, 20179, 20180, 20189, 20190, 20519, 20253, 20282, 20347, 20427, 20437, 20438, 20439,
      20440, 20443, 20509, 20510, 20511, 20512, 20513, 20514, 20515};
  for (unsigned id : named) EXPECT_TRUE(skin->HasImage(id)) << id;
  EXPECT_FALSE(skin->HasImage(12345));
  EXPECT_EQ(skin->GetImageSize(12345), (Size{0, 0}));
  ASSERT_TRUE(skin->FindColor(27003).has_value());
  EXPECT_EQ(skin->GetColor(27003), 0x00FBF7F5u);
  EXPECT_EQ(skin->GetColor(27999, 0x123456), 0x123456u);
  EXPECT_FALSE(skin->HasColor(27999));

  // Sizes the layouts read: band buttons are 18 high with 5 frames, header images 22 high, the
  // toolbar buttons as wide as one frame and narrow enough for their 55-pixel spacing.
  auto left = skin->GetImage(20103);
  ASSERT_TRUE(left);
  EXPECT_EQ(left->states, 5);
  EXPECT_EQ(left->size.cy, 18);
  for (unsigned id : {20178u, 20179u, 20189u, 20190u, 20519u}) EXPECT_EQ(skin->GetImageSize(id).cy, 22) << id;
  for (unsigned id = 20509; id <= 20512; ++id) {
    auto button = skin->GetImage(id);
    ASSERT_TRUE(button);
    EXPECT_GT(button->FrameSize().cx, 0);
    EXPECT_LE(button->FrameSize().cx, 55);
    EXPECT_EQ(button->FrameSize().cx * button->states, button->size.cx);
  }
  // Tree node strips hold 16 x 16 images.
  auto nodes = skin->GetImage(20124);
  ASSERT_TRUE(nodes);
  EXPECT_EQ(nodes->FrameSize(), (Size{16, 16}));
}

TEST_F(SkinTest, ASkinDescriptionReplacesTheTableAndABadOneKeepsThePrevious) {
  TempDir dir;
  const std::string good = dir.Write("blue.skin",
                                     "# a blue skin\n"
                                     "name blue\n"
                                     "image 20509 240 24 4 toolbar listen\n"
                                     "image 20282 100 90\n"
                                     "color 27003 0x00FF0000 list background\r\n");
  TYX_Skin* skin = TYX_Skin::LoadDefault();
  const unsigned before = skin->Generation();
  std::string error;
  ASSERT_EQ(TYX_Skin::LoadFromFile(good, &error), skin) << error;
  EXPECT_GT(skin->Generation(), before);
  EXPECT_EQ(skin->Name(), "blue");
  EXPECT_EQ(skin->ImageCount(), 2u);
  EXPECT_EQ(skin->ColorCount(), 1u);
  EXPECT_EQ(skin->GetColor(27003), 0x00FF0000u);
  auto listen = skin->GetImage(20509);
  ASSERT_TRUE(listen);
  EXPECT_EQ(listen->label, "toolbar listen");
  EXPECT_EQ(listen->FrameSize(), (Size{60, 24}));
  EXPECT_EQ(skin->GetImage(20282)->states, 1);
  EXPECT_FALSE(skin->HasImage(20141));  // the default table is gone

  struct Bad {
    const char* text;
    const char* error;
  };
  const Bad bad[] = {
      {"name x\nimage 20100 10\n", "line 2"},
      {"imag 20100 10 10\n", "unknown entry"},
      {"color 27003 0x01000000\n", "0x00BBGGRR"},
      {"image 20100 10 10\nimage 20100 5 5\n", "given twice"},
      {"image 20100 10 10 0\n", "state count"},
  };
  for (const Bad& b : bad) {
    const std::string path = dir.Write("bad.skin", b.text);
    error.clear();
    EXPECT_EQ(TYX_Skin::LoadFromFile(path, &error), nullptr) << b.text;
    EXPECT_NE(error.find(b.error), std::string::npos) << error;
    EXPECT_EQ(skin->Name(), "blue");
    EXPECT_EQ(TYX_Skin::Instance(), skin);
  }
  EXPECT_EQ(TYX_Skin::LoadFromFile(dir.File("missing.skin"), &error), nullptr);
  EXPECT_NE(error.find("cannot read"), std::string::npos);
  // A missing service stays missing when the first load fails.
  TYX_Skin::Unload();
  EXPECT_EQ(TYX_Skin::LoadFromFile(dir.File("missing.skin")), nullptr);
  EXPECT_EQ(TYX_Skin::Instance(), nullptr);
}

}  // namespace
