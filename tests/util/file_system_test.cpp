// Sizes, folders, temporary files and unique target names on a real folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "helpers/temp_dir.h"
#include "util/file_system.h"

namespace TYX::Util {
namespace {

using Test::TempDir;

TEST(FileSystem, SizesOfFilesAndOfWhatIsNotAFile) {
  TempDir dir;
  EXPECT_EQ(GetFileSize(dir.Write("a.bin", std::string(1234, 'z'))), 1234u);
  EXPECT_EQ(GetFileSize(dir.Write("empty.bin", "")), 0u);
  EXPECT_EQ(GetFileSize(dir.File("missing")), 0u);
  EXPECT_EQ(GetFileSize(dir.Path()), 0u);
  EXPECT_TRUE(FileExists(dir.File("a.bin")));
  EXPECT_FALSE(FileExists(dir.Path()));
}

TEST(FileSystem, CreateAllFolderMakesEveryMissingParent) {
  TempDir dir;
  const std::string deep = dir.File("a/b/c/d");
  EXPECT_TRUE(CreateAllFolder(deep));
  EXPECT_TRUE(std::filesystem::is_directory(deep));
  EXPECT_TRUE(CreateAllFolder(deep));  // already there
  EXPECT_TRUE(CreateAllFolder(dir.File("x/y/")));
  const std::string file = dir.Write("file", "x");
  EXPECT_FALSE(CreateAllFolder(file + "/sub"));
  EXPECT_FALSE(CreateAllFolder(""));
}

TEST(FileSystem, TemporaryFilesAreReservedAndDistinct) {
  const std::string a = GetTempFileName("tyxtest");
  const std::string b = GetTempFileName("tyxtest");
  ASSERT_FALSE(a.empty());
  ASSERT_FALSE(b.empty());
  EXPECT_NE(a, b);
  EXPECT_TRUE(std::filesystem::exists(a));
  EXPECT_EQ(a.rfind(GetTempFolder(), 0), 0u);
  EXPECT_EQ(GetTempFolder().back(), '/');
  std::filesystem::remove(a);
  std::filesystem::remove(b);
}

TEST(NewFile, AFreeNameIsUsedAsItIs) {
  TempDir dir;
  EXPECT_EQ(NewFile(dir.File("song.mp3")), dir.File("song.mp3"));
  // An empty file counts as free: it is overwritten.
  dir.Write("empty.mp3", "");
  EXPECT_EQ(NewFile(dir.File("empty.mp3")), dir.File("empty.mp3"));
}

TEST(NewFile, TakenNamesGetNumbersBeforeTheExtension) {
  TempDir dir;
  dir.Write("Track01.ogg", "x");
  EXPECT_EQ(NewFile(dir.File("Track01.ogg")), dir.File("Track01[1].ogg"));
  dir.Write("Track01[1].ogg", "x");
  dir.Write("Track01[2].ogg", "");  // empty: free
  EXPECT_EQ(NewFile(dir.File("Track01.ogg")), dir.File("Track01[2].ogg"));
  dir.Write("noext", "x");
  EXPECT_EQ(NewFile(dir.File("noext")), dir.File("noext[1]"));
}

TEST(NewFile, ABracketedNumberIsCutBeforeNumbering) {
  TempDir dir;
  dir.Write("a(1).mp3", "x");
  // "a(1)" restarts from "a", which is free.
  EXPECT_EQ(NewFile(dir.File("a(1).mp3")), dir.File("a.mp3"));
  dir.Write("a.mp3", "x");
  EXPECT_EQ(NewFile(dir.File("a(1).mp3")), dir.File("a[1].mp3"));
  dir.Write("b(12).mp3", "x");
  EXPECT_EQ(NewFile(dir.File("b(12).mp3")), dir.File("b.mp3"));
  // Longer bracketed texts stay part of the name.
  dir.Write("c(live).mp3", "x");
  EXPECT_EQ(NewFile(dir.File("c(live).mp3")), dir.File("c(live)[1].mp3"));
  // One or two characters counted as characters, not bytes.
  dir.Write("d(가).mp3", "x");
  EXPECT_EQ(NewFile(dir.File("d(가).mp3")), dir.File("d.mp3"));
}

}  // namespace
}  // namespace TYX::Util
