// The folder walk on real trees: links, cycles, pseudo file systems, vanished folders, ordering.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "helpers/temp_dir.h"
#include "import/audio_formats.h"
#include "import/folder_walker.h"
#include <gtest/gtest.h>

namespace TYX::Library {
namespace {

namespace fs = std::filesystem;
using Walker = TYX_FolderWalker;

struct Seen {
  std::vector<std::string> files;
  std::vector<std::string> folders;
  std::vector<std::string> failures;
  Walker::Callbacks Callbacks() {
    Walker::Callbacks cb;
    cb.onFolder = [this](const std::string& f) {
      folders.push_back(f);
      return Walker::Visit::Continue;
    };
    cb.onFile = [this](const std::string& f, Walker::EntryKind) {
      files.push_back(f);
      return Walker::Visit::Continue;
    };
    cb.onFailure = [this](const std::string& f, const std::string&) {
      failures.push_back(f);
      return Walker::Visit::Continue;
    };
    return cb;
  }
};

TEST(FolderWalkerTest, LinkCyclesAndLinksToFoldersAreNotFollowedAndEachFolderIsEnteredOnce) {
  TYX::Test::TempDir dir;
  dir.Write("root/a/b/c/song.mp3", "x");
  dir.Write("other/outside.mp3", "x");
  const std::string root = dir.File("root");
  ASSERT_EQ(::symlink(root.c_str(), dir.File("root/a/b/c/up").c_str()), 0);
  ASSERT_EQ(::symlink(dir.File("other").c_str(), dir.File("root/a/side").c_str()), 0);
  Seen seen;
  Walker walker(true, false);
  EXPECT_TRUE(walker.Walk(root, seen.Callbacks()));
  std::sort(seen.folders.begin(), seen.folders.end());
  EXPECT_EQ(seen.folders, (std::vector<std::string>{root, root + "/a", root + "/a/b", root + "/a/b/c"}));
  // The links show up as entries that are not regular files, never as folders to enter.
  EXPECT_EQ(std::count(seen.files.begin(), seen.files.end(), root + "/a/b/c/song.mp3"), 1);
  EXPECT_EQ(std::count(seen.files.begin(), seen.files.end(), dir.File("other/outside.mp3")), 0);
  // Walking the same tree again with the same walker enters nothing: the run remembers it.
  Seen again;
  EXPECT_TRUE(walker.Walk(root + "/a", again.Callbacks()));
  EXPECT_TRUE(again.folders.empty());
}

TEST(FolderWalkerTest, PseudoFileSystemsAreNotEntered) {
  if (!fs::exists("/proc/self")) GTEST_SKIP() << "no /proc here";
  Seen seen;
  Walker walker(true, false);
  EXPECT_TRUE(walker.Walk("/proc", seen.Callbacks()));
  EXPECT_TRUE(seen.folders.empty());
  EXPECT_TRUE(seen.files.empty());
  Seen sys;
  Walker sysWalker(true, false);
  if (fs::exists("/sys/kernel")) {
    EXPECT_TRUE(sysWalker.Walk("/sys", sys.Callbacks()));
    EXPECT_TRUE(sys.folders.empty());
  }
}

TEST(FolderWalkerTest, FilesComeBeforeSubfoldersAndAVanishedFolderIsReportedWhileTheWalkGoesOn) {
  TYX::Test::TempDir dir;
  dir.Write("r/z1.mp3", "x");
  dir.Write("r/gone/g.mp3", "x");
  dir.Write("r/kept/k.mp3", "x");
  dir.Write("r/z2.mp3", "x");
  const std::string root = dir.File("r");
  Seen seen;
  Walker::Callbacks cb = seen.Callbacks();
  cb.onFile = [&](const std::string& f, Walker::EntryKind) {
    seen.files.push_back(f);
    if (seen.files.size() == 1) fs::remove_all(root + "/gone");
    return Walker::Visit::Continue;
  };
  Walker walker(true, false);
  EXPECT_TRUE(walker.Walk(root, cb));
  ASSERT_GE(seen.files.size(), 3u);
  // Both files of the top folder before anything below it.
  std::vector<std::string> top(seen.files.begin(), seen.files.begin() + 2);
  std::sort(top.begin(), top.end());
  EXPECT_EQ(top, (std::vector<std::string>{root + "/z1.mp3", root + "/z2.mp3"}));
  EXPECT_EQ(seen.failures, (std::vector<std::string>{root + "/gone"}));
  EXPECT_EQ(seen.files.back(), root + "/kept/k.mp3");
}

TEST(FolderWalkerTest, EntryKindsTellRegularFilesFromFifosAndDanglingLinks) {
  TYX::Test::TempDir dir;
  dir.Write("k/real.mp3", "x");
  const std::string k = dir.File("k");
  ASSERT_EQ(::symlink((k + "/real.mp3").c_str(), (k + "/alias.mp3").c_str()), 0);
  ASSERT_EQ(::symlink((k + "/none").c_str(), (k + "/dangling.mp3").c_str()), 0);
  ASSERT_EQ(::mkfifo((k + "/pipe.mp3").c_str(), 0644), 0);
  std::map<std::string, Walker::EntryKind> kinds;
  Walker::Callbacks cb;
  cb.onFile = [&](const std::string& f, Walker::EntryKind kind) {
    kinds[FileNamePart(f)] = kind;
    return Walker::Visit::Continue;
  };
  Walker walker(false, false);
  EXPECT_TRUE(walker.Walk(k + "/", cb));
  EXPECT_EQ(kinds.at("real.mp3"), Walker::EntryKind::Regular);
  EXPECT_EQ(kinds.at("alias.mp3"), Walker::EntryKind::Regular);
  EXPECT_EQ(kinds.at("dangling.mp3"), Walker::EntryKind::Broken);
  EXPECT_EQ(kinds.at("pipe.mp3"), Walker::EntryKind::Other);
}

TEST(FolderWalkerTest, AStopFromACallbackEndsTheWholeWalk) {
  TYX::Test::TempDir dir;
  for (int i = 0; i < 5; ++i) dir.Write("s/d" + std::to_string(i) + "/f.mp3", "x");
  int files = 0;
  Walker::Callbacks cb;
  cb.onFile = [&](const std::string&, Walker::EntryKind) {
    ++files;
    return files == 2 ? Walker::Visit::Stop : Walker::Visit::Continue;
  };
  Walker walker(true, false);
  EXPECT_FALSE(walker.Walk(dir.File("s"), cb));
  EXPECT_EQ(files, 2);
}

TEST(FolderWalkerTest, AStopOnEnteringAFolderEndsTheWholeWalkAndSkipsItsSiblings) {
  TYX::Test::TempDir dir;
  for (int i = 0; i < 4; ++i) dir.Write("s/d" + std::to_string(i) + "/f.mp3", "x");
  int entered = 0;
  int files = 0;
  Walker::Callbacks cb;
  // The root is the first folder entered; the stop comes on entering the first subfolder.
  cb.onFolder = [&](const std::string&) { return ++entered == 2 ? Walker::Visit::Stop : Walker::Visit::Continue; };
  cb.onFile = [&](const std::string&, Walker::EntryKind) {
    ++files;
    return Walker::Visit::Continue;
  };
  Walker walker(true, false);
  EXPECT_FALSE(walker.Walk(dir.File("s"), cb));
  EXPECT_EQ(entered, 2);
  EXPECT_EQ(files, 0);
}

TEST(AudioFormatsTest, PatternsMatchExtensionsWithoutRegardToCase) {
  const auto patterns = SplitPatterns(" *.mp3; *.OGG ;;");
  ASSERT_EQ(patterns, (std::vector<std::string>{"*.mp3", "*.OGG"}));
  EXPECT_TRUE(MatchesPatterns("b.MP3", patterns));
  EXPECT_TRUE(MatchesPatterns("c.ogg", patterns));
  EXPECT_FALSE(MatchesPatterns("c.txt", patterns));
  EXPECT_FALSE(MatchesPatterns("mp3", patterns));
  EXPECT_TRUE(MatchesPatterns("c.txt", SplitPatterns("*.*;*.mp3")));
  EXPECT_FALSE(MatchesPatterns("a.mp3", {}));
  for (const char* name : {"x.flac", "x.M4A", "x.Opus", "x.mma2", "x.ma3", "x.AMF", "x.mid", "x.MIDI"}) {
    EXPECT_EQ(IsAudioFileName(name), std::string(name) != "x.mma2") << name;
  }
  EXPECT_FALSE(IsAudioFileName("dir.mp3/readme"));
}

}  // namespace
}  // namespace TYX::Library
