// Folder names made from what the user typed stay inside the save folder, keep their multi-byte text,
// and the folders made are the ones the tracks go to.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "convert/ripping_folders.h"
#include "helpers/temp_dir.h"
#include "platform/os_services.h"

namespace TYX::Convert {
namespace {

using F = TYX_RippingFolders;

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

TEST(RippingFoldersTest, NamesCannotLeaveTheSaveFolderOrBreakIt) {
  EXPECT_EQ(F::CleanName(".."), "_");
  EXPECT_EQ(F::CleanName("."), "_");
  EXPECT_EQ(F::CleanName("../../etc"), ".._.._etc");
  EXPECT_EQ(F::CleanName("/"), "_");
  EXPECT_EQ(F::CleanName("AC/DC"), "AC_DC");
  EXPECT_EQ(F::CleanName("a\\b:c*d?e\"f<g>h|i"), "a_b_c_d_e_f_g_h_i");
  EXPECT_EQ(F::CleanName(std::string("x\ny\0z", 5)), "x_y_z");
  EXPECT_EQ(F::CleanName("  Album.  "), "Album");
  EXPECT_EQ(F::CleanName(""), "_");
  EXPECT_EQ(F::CleanName("   "), "_");
  EXPECT_EQ(F::CleanName("하늘빛 Band"), "하늘빛 Band");
  // Over 255 bytes: cut at a character boundary (한 is three bytes).
  std::string longName;
  for (int i = 0; i < 100; ++i) longName += "한";
  const std::string cut = F::CleanName(longName);
  EXPECT_EQ(cut.size(), 255u);
  EXPECT_EQ(cut, longName.substr(0, 255));
  const std::string odd = "a" + longName;
  EXPECT_EQ(F::CleanName(odd).size(), 253u);
  EXPECT_EQ(F::CleanName(odd), odd.substr(0, 253));
}

TEST(RippingFoldersTest, LowerCaseTouchesAsciiLettersOnly) {
  EXPECT_EQ(F::LowerAscii("ABC xyz 123"), "abc xyz 123");
  // UTF-8 bytes of Ä (C3 84) and 하 are left as they are.
  EXPECT_EQ(F::LowerAscii("ÄBC 하늘Z"), "Äbc 하늘z");
  EXPECT_EQ(F::NormalizeFolder("/a//b"), "/a/b/");
  EXPECT_EQ(F::NormalizeFolder("/a/b/"), "/a/b/");
  EXPECT_EQ(F::TargetFolder("/Save/Here", "The ARTIST", "Best/Of"), "/Save/Here/the artist/best_of/");
}

TEST(RippingFoldersTest, PrepareMakesExactlyTheTargetAndReportsAFolderItCannotMake) {
  TYX::Test::TempDir dir;
  // The save folder keeps its case; below it the folders are made as the target names them.
  const auto p = F::Prepare(dir.File("Rips/New"), "ÄRTIST", "..");
  ASSERT_EQ(p.failedFolder, "");
  EXPECT_EQ(p.target, dir.File("Rips/New/Ärtist/_/"));
  EXPECT_TRUE(IsFolder(p.target));
  EXPECT_FALSE(IsFolder(dir.File("Rips/New/ÄRTIST")));
  // Existing folders are fine.
  EXPECT_EQ(F::Prepare(dir.File("Rips/New"), "ÄRTIST", "..").target, p.target);
  // A file where the artist folder should be: that folder is named.
  dir.Write("Rips/Blocked/artist", "not a folder");
  const auto blocked = F::Prepare(dir.File("Rips/Blocked"), "Artist", "Album");
  EXPECT_EQ(blocked.target, "");
  EXPECT_EQ(blocked.failedFolder, dir.File("Rips/Blocked/artist/"));
  // A file where the album folder should be.
  dir.Write("Rips/Blocked2/a/b", "x");
  EXPECT_EQ(F::Prepare(dir.File("Rips/Blocked2"), "A", "B").failedFolder, dir.File("Rips/Blocked2/a/b/"));
  // A save folder that is a file.
  dir.Write("Rips/file", "x");
  EXPECT_EQ(F::Prepare(dir.File("Rips/file"), "A", "B").failedFolder, dir.File("Rips/file/"));
}

TEST(RippingFoldersTest, ADriveRootIsNotMadeOnlyTheFoldersBelowIt) {
  TYX::Test::TempDir dir;
  const std::string root = dir.File("mnt");  // a mount point that is not there (its medium is gone)
  Win::Os::SetDrivesForTesting({{root, Win::DRIVE_REMOVABLE, "vfat"}});
  EXPECT_TRUE(F::IsDriveRoot(root + "/"));
  EXPECT_FALSE(F::IsDriveRoot(root + "/sub/"));
  const auto p = F::Prepare(root + "/", "A", "B");
  EXPECT_EQ(p.failedFolder, root + "/a/");
  EXPECT_FALSE(IsFolder(root));
  // The same folder when it is no drive root is made with everything below.
  Win::Os::SetDrivesForTesting({});
  EXPECT_EQ(F::Prepare(root + "/", "A", "B").target, root + "/a/b/");
  Win::Os::ClearDrivesForTesting();
}

}  // namespace
}  // namespace TYX::Convert
