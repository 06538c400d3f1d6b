#include <gtest/gtest.h>

#include <filesystem>

#include "helpers/temp_dir.h"
#include "util/init.h"
#include "util/settings_store.h"

using namespace TYX::Util;
using TYX::Test::ReadFileBytes;
using TYX::Test::TempDir;

namespace {

class InitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.File("settings.ini");
    TYX_INIT::Instance()->SetStoreFile(path_);
  }
  TempDir dir_;
  std::string path_;
};

TEST_F(InitTest, AttributesAreTextsThatSurviveARestart) {
  TYX_INIT* init = TYX_INIT::Instance();
  ASSERT_NE(init, nullptr);
  EXPECT_EQ(init, TYX_INIT::Instance());
  EXPECT_EQ(init->GetAttributeStr("SyncAutoStart"), "");
  EXPECT_EQ(init->GetAttributeStr("SearchPath", "전체검색"), "전체검색");
  EXPECT_FALSE(init->HasAttribute("AddMP3"));

  EXPECT_TRUE(init->SetAttribute("AddMP3", "TRUE"));
  EXPECT_TRUE(init->SetAttribute("SearchPath", "/media/내 음악"));
  EXPECT_TRUE(init->SetAttributeInt("SyncAutoStart", 1));
  init->SetStoreFile(path_);  // read the file again
  EXPECT_EQ(init->GetAttributeStr("AddMP3"), "TRUE");
  EXPECT_EQ(init->GetAttributeStr("addmp3"), "TRUE");  // names ignore case
  EXPECT_EQ(init->GetAttributeStr("SearchPath"), "/media/내 음악");
  EXPECT_EQ(init->GetAttributeStr("SyncAutoStart"), "1");
  EXPECT_EQ(init->GetAttributeInt("SyncAutoStart"), 1);

  EXPECT_TRUE(init->SetAttribute("SyncAutoStart", "0"));
  EXPECT_EQ(init->GetAttributeInt("SyncAutoStart", 5), 0);
  EXPECT_EQ(init->GetAttributeInt("SearchPath", 5), 5);  // not a number
  EXPECT_EQ(init->GetAttributeInt("Missing", -2), -2);
  EXPECT_TRUE(init->RemoveAttribute("AddMP3"));
  EXPECT_FALSE(init->HasAttribute("AddMP3"));
}

TEST_F(InitTest, ADamagedFileIsKeptAsideLikeTheRegistrys) {
  dir_.Write("settings.ini", "AddMP3=TRUE\n");
  TYX_INIT* init = TYX_INIT::Instance();
  init->SetStoreFile(path_);
  EXPECT_EQ(init->GetAttributeStr("AddMP3", "none"), "none");
  const std::string aside = init->Store().DamagedCopyPath();
  ASSERT_FALSE(aside.empty());
  EXPECT_EQ(ReadFileBytes(aside), "AddMP3=TRUE\n");
  EXPECT_TRUE(init->SetAttribute("AddMP3", "FALSE"));
  EXPECT_EQ(ReadFileBytes(aside), "AddMP3=TRUE\n");
  init->SetStoreFile(path_);
  EXPECT_EQ(init->GetAttributeStr("AddMP3"), "FALSE");
}

TEST(ToBoolTest, TrueWordsAndNonZeroNumbersAreTrue) {
  for (const char* yes : {"TRUE", "true", "True", " TRUE ", "YES", "yes", "On", "1", "-1", "42", "+3"})
    EXPECT_EQ(ToBOOL(yes), TYX::Win::TRUE) << yes;
  for (const char* no : {"", "FALSE", "false", "0", "00", "NO", "off", "UPDATE", "TRUEX", "1x", "전체검색"})
    EXPECT_EQ(ToBOOL(no), TYX::Win::FALSE) << no;
}

}  // namespace
