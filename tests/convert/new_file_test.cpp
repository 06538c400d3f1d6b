// Unique target names and the joining of a save folder with a file name, on a real folder.
#include <gtest/gtest.h>

#include "convert/new_file.h"
#include "helpers/temp_dir.h"

using TYX::Convert::FolderOf;
using TYX::Convert::JoinPath;
using TYX::Convert::NewFile;
using TYX::Convert::StemOf;

namespace {

TEST(NewFile, AFreeOrEmptyNameIsUsedAndATakenOneGetsTheFirstFreeNumber) {
  TYX::Test::TempDir dir;
  EXPECT_EQ(NewFile(dir.File("song.mp3")), dir.File("song.mp3"));
  // An empty file there is overwritten.
  dir.Write("song.mp3", "");
  EXPECT_EQ(NewFile(dir.File("song.mp3")), dir.File("song.mp3"));
  dir.Write("song.mp3", "x");
  EXPECT_EQ(NewFile(dir.File("song.mp3")), dir.File("song[1].mp3"));
  dir.Write("song[1].mp3", "x");
  EXPECT_EQ(NewFile(dir.File("song.mp3")), dir.File("song[2].mp3"));
  // An empty numbered file is free too, and a folder is never written over.
  dir.Write("tune.mp3", "x");
  dir.Write("tune[1].mp3/inside", "x");
  dir.Write("tune[2].mp3", "");
  EXPECT_EQ(NewFile(dir.File("tune.mp3")), dir.File("tune[2].mp3"));
}

TEST(NewFile, OnlyATrailingCopyNumberAfterAStemIsCut) {
  TYX::Test::TempDir dir;
  // song(1).mp3 taken, song.mp3 free: song.mp3.
  dir.Write("song(1).mp3", "x");
  EXPECT_EQ(NewFile(dir.File("song(1).mp3")), dir.File("song.mp3"));
  dir.Write("song.mp3", "x");
  EXPECT_EQ(NewFile(dir.File("song(1).mp3")), dir.File("song[1].mp3"));
  dir.Write("song(12).mp3", "x");
  EXPECT_EQ(NewFile(dir.File("song(12).mp3")), dir.File("song[1].mp3"));
  // Not a copy number: kept whole, numbered after it.
  for (const char* name : {"Hit (2U)", "(1)", "song(123)", "a(b)", "live (1) take"}) {
    SCOPED_TRACE(name);
    const std::string file = std::string(name) + ".mp3";
    dir.Write(file, "x");
    EXPECT_EQ(NewFile(dir.File(file)), dir.File(std::string(name) + "[1].mp3"));
  }
}

TEST(NewFile, PathsAreJoinedAsPathsAndSplitByTheirLastSeparator) {
  EXPECT_EQ(JoinPath("/home/a/Music", "song.mp3"), "/home/a/Music/song.mp3");
  EXPECT_EQ(JoinPath("/home/a/Music/", "song.mp3"), "/home/a/Music/song.mp3");
  EXPECT_EQ(JoinPath("/home/a/Music//", "/song.mp3"), "/home/a/Music/song.mp3");
  EXPECT_EQ(JoinPath("/", "song.mp3"), "/song.mp3");
  EXPECT_EQ(JoinPath("", "song.mp3"), "song.mp3");
  EXPECT_EQ(StemOf("/a/b.c.mp3"), "b.c");
  EXPECT_EQ(StemOf("/a/.hidden"), ".hidden");
  EXPECT_EQ(StemOf("noext"), "noext");
  EXPECT_EQ(FolderOf("/a/b.mp3"), "/a/");
  EXPECT_EQ(FolderOf("b.mp3"), "");
}

}  // namespace
