// `sonvar import` and `sonvar scan` through the function set: a summary of what was added, what was
// there already and what failed (with path and reason), exit 1 when something failed, nothing added
// twice, and a folder that cannot be read skipped while the rest is imported.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "contracts/stock_playlist.h"
#include "host/sonvar_fixture.h"

namespace TYX::Test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class SonvarImportTest : public SonvarTest {
 protected:
  void SetUp() override {
    MakeSong({"a/봄날.mp3", "봄날", "하늘빛", "사계절", "Ballad"});
    MakeSong({"a/night.ogg", "Night Drive", "Neon Coast", "Midnight", "Electronic"});
    MakeSong({"b/morning.wav", "Morning", "Neon Coast", "Midnight", "Electronic"});
    broken_ = MakeDamaged("b/broken.mp3");
  }
  std::string broken_;
};

TEST_F(SonvarImportTest, FolderImportReportsTheDamagedFileAndASecondRunAddsNothing) {
  const ProgramRun first = SonvarData({"import", Music()});
  EXPECT_EQ(first.exitCode, 1) << first.err;
  EXPECT_THAT(first.out, HasSubstr("added 3, already there 0, failed 1"));
  EXPECT_THAT(first.out, HasSubstr("failed: " + broken_ + ": damaged"));

  const ProgramRun ls = SonvarData({"-q", "ls", "--format", "title"});
  ASSERT_EQ(ls.exitCode, 0) << ls.err;
  EXPECT_THAT(ls.out, HasSubstr("봄날"));
  EXPECT_THAT(ls.out, HasSubstr("Night Drive"));
  EXPECT_THAT(ls.out, HasSubstr("Morning"));
  EXPECT_THAT(ls.out, Not(HasSubstr("broken")));

  const ProgramRun second = SonvarData({"import", Music()});
  EXPECT_THAT(second.out, HasSubstr("added 0, already there 3, failed 1"));
  EXPECT_EQ(CountPlaylist(STOCK_PLAYLIST_LIBRARY), 3u);
  // Importing filled no other list.
  EXPECT_EQ(CountPlaylist(STOCK_PLAYLIST_NOWPLAYING), 0u);
  EXPECT_EQ(CountPlaylist(STOCK_PLAYLIST_OLDNOWPLAYING), 0u);
  EXPECT_EQ(CountPlaylist(STOCK_PLAYLIST_SYNC), 0u);
  EXPECT_EQ(CountPlaylist(STOCK_PLAYLIST_TRANSFERRED), 0u);
}

TEST_F(SonvarImportTest, MidiRingtonesJoinTheRingtonePageAndAFakeOneIsNamed) {
  std::filesystem::create_directories(Music() + "/ringtones");
  const std::string chime = MakeMidi("ringtones/chime.mid");
  const std::string fake = MakeDamaged("ringtones/fake.mid");
  const ProgramRun run = SonvarData({"import", Music() + "/ringtones"});
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_THAT(run.out, HasSubstr("added 1, already there 0, failed 1"));
  EXPECT_THAT(run.out, HasSubstr("failed: " + fake + ": damaged"));
  const ProgramRun ls = SonvarData({"-q", "ls", "ringtones", "--format", "title,format"});
  ASSERT_EQ(ls.exitCode, 0) << ls.err;
  EXPECT_THAT(ls.out, HasSubstr("chime"));
  EXPECT_THAT(ls.out, Not(HasSubstr("fake")));
}

TEST_F(SonvarImportTest, FilesImportCleanlyAndMissingPathsAreRefusedBeforeAnything) {
  const ProgramRun good = SonvarData({"import", Music() + "/a/봄날.mp3", Music() + "/b/morning.wav"});
  EXPECT_EQ(good.exitCode, 0) << good.err;
  EXPECT_THAT(good.out, HasSubstr("added 2, already there 0, failed 0"));

  const ProgramRun missing = Sonvar({"--data", Root() + "/other", "import", Music() + "/a", Root() + "/nothere"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_THAT(missing.err, HasSubstr("no such file or folder: " + Root() + "/nothere"));
  EXPECT_FALSE(std::filesystem::exists(Root() + "/other"));
}

TEST_F(SonvarImportTest, UnreadableFolderIsSkippedAndReportedWhileTheRestIsImported) {
  // Permission bits do not stop root, so the program runs as nobody.
  if (geteuid() != 0) GTEST_SKIP() << "needs root to run the program as another user";
  std::filesystem::create_directories(Data());
  for (const std::string& dir : {Root(), Music(), Music() + "/a", Music() + "/b", Data()})
    ASSERT_EQ(chmod(dir.c_str(), 0777), 0) << dir;
  for (const auto& e : std::filesystem::recursive_directory_iterator(Music()))
    if (e.is_regular_file()) chmod(e.path().c_str(), 0644);
  ASSERT_EQ(chmod((Music() + "/b").c_str(), 0), 0);
  const ProgramRun run = SonvarAsNobody({"--data", Data(), "import", Music()});
  chmod((Music() + "/b").c_str(), 0777);
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_THAT(run.out, HasSubstr("added 2, already there 0, failed 1"));
  EXPECT_THAT(run.out, HasSubstr("failed: " + Music() + "/b: unreadable"));
}

TEST_F(SonvarImportTest, ScanAddsWhatIsNewInTheMusicFolder) {
  ASSERT_EQ(SonvarData({"import", Music() + "/a"}).exitCode, 0);
  const ProgramRun scan = SonvarData({"scan", Music()});
  EXPECT_THAT(scan.out, HasSubstr("added 1, already there 2, failed 1"));
}

}  // namespace
}  // namespace TYX::Test
