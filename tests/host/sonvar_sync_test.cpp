// `sonvar sync`: songs go into the sync list through the panel's copy button and out of it through the
// sync page's delete button, the list is listed like a page, and its songs are sent to the phone.
#include <filesystem>
#include <fstream>

#include "contracts/stock_playlist.h"
#include "host/sonvar_fixture.h"

namespace TYX::Test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class SonvarSyncTest : public SonvarTest {
 protected:
  void SetUp() override {
    mp3_ = MakeSong({"neon/morning.mp3", "Morning", "Neon Coast", "Midnight", "Electronic"});
    ballad_ = MakeSong({"sky/봄날.mp3", "봄날", "하늘빛", "사계절", "Ballad"});
    wav_ = MakeSong({"sky/rain.wav", "Rain", "하늘빛", "사계절", "Ballad"});
    SeedLibrary({mp3_, ballad_, wav_});
  }
  std::string mp3_, ballad_, wav_;
};

TEST_F(SonvarSyncTest, AddPutsEachPickedSongInOnceAndLsListsThem) {
  const ProgramRun add = SonvarData({"sync", "add", "artist:하늘빛"});
  ASSERT_EQ(add.exitCode, 0) << add.err;
  EXPECT_THAT(add.out, HasSubstr("added 2 songs to the sync list; it holds 2 songs"));
  // The panel's own notice, as the person sees it.
  EXPECT_THAT(add.err, HasSubstr("\"내 기기에 담을 곡 목록\"에 추가되었습니다."));
  EXPECT_EQ(CountPlaylist(STOCK_PLAYLIST_SYNC), 2u);

  const ProgramRun again = SonvarData({"sync", "add", "path:" + Music()});
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_THAT(again.out, HasSubstr("added 1 song to the sync list (2 in it already); it holds 3 songs"));
  EXPECT_EQ(CountPlaylist(STOCK_PLAYLIST_SYNC), 3u);

  const ProgramRun ls = SonvarData({"-q", "sync", "ls", "--format", "title", "artist:하늘빛"});
  ASSERT_EQ(ls.exitCode, 0) << ls.err;
  EXPECT_THAT(ls.out, HasSubstr("봄날"));
  EXPECT_THAT(ls.out, HasSubstr("Rain"));
  EXPECT_EQ(ls.out.find("Morning"), std::string::npos);
}

TEST_F(SonvarSyncTest, RmTakesSongsOutOfTheListButKeepsTheirFilesAndTheLibrary) {
  ASSERT_EQ(SonvarData({"sync", "add", "path:" + Music()}).exitCode, 0);
  const ProgramRun rm = SonvarData({"sync", "rm", "Morning"});
  ASSERT_EQ(rm.exitCode, 0) << rm.err;
  EXPECT_THAT(rm.out, HasSubstr("took 1 song out of the sync list; it holds 2 songs"));
  EXPECT_EQ(CountPlaylist(STOCK_PLAYLIST_SYNC), 2u);
  EXPECT_EQ(CountPlaylist(STOCK_PLAYLIST_LIBRARY), 3u);
  EXPECT_TRUE(fs::exists(mp3_));
  const ProgramRun gone = SonvarData({"sync", "rm", "Morning"});
  EXPECT_EQ(gone.exitCode, 1);
  EXPECT_THAT(gone.err, HasSubstr("no song matches 'Morning' in the sync list"));
}

TEST_F(SonvarSyncTest, SendSendsTheSyncListToThePhone) {
  const std::string phone = Root() + "/phone";
  fs::create_directories(phone + "/MUSIC");
  std::ofstream(phone + "/tyx_device.ini") << "Model=SPH-M4650\nKind=2\nType=1\nFolder=\\MUSIC\n";

  const ProgramRun empty = SonvarData({"sync", "send", "--phone", phone});
  EXPECT_EQ(empty.exitCode, 1);
  EXPECT_THAT(empty.err, HasSubstr("the sync list is empty"));

  ASSERT_EQ(SonvarData({"sync", "add", "artist:하늘빛"}).exitCode, 0);
  const ProgramRun plan = SonvarData({"sync", "send", "--plan", "--phone", phone});
  ASSERT_EQ(plan.exitCode, 0) << plan.err;
  EXPECT_THAT(plan.out, HasSubstr("send: " + ballad_));
  EXPECT_THAT(plan.out, HasSubstr("refused (format): " + wav_));

  const ProgramRun send = SonvarData({"-q", "sync", "send", "--phone", phone});
  EXPECT_EQ(send.exitCode, 1);  // the phone takes no WAV
  EXPECT_THAT(send.out, HasSubstr("sent: " + ballad_));
  EXPECT_THAT(send.out, HasSubstr("failed: " + wav_));
  EXPECT_THAT(send.out, HasSubstr("1 sent, 1 failed"));
  EXPECT_TRUE(fs::exists(phone + "/MUSIC/봄날.mp3"));
  // The song not in the sync list stays home.
  EXPECT_FALSE(fs::exists(phone + "/MUSIC/morning.mp3"));
}

TEST_F(SonvarSyncTest, UsageProblemsAreRefused) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"sync"},
           {"sync", "frob"},
           {"sync", "add"},
           {"sync", "rm"},
           {"sync", "ls", "--plan"},
           {"sync", "add", "Morning", "--format", "title"},
           {"sync", "send", "--format", "title"},
           {"sync", "add", "Morning", "--phone", "x"}}) {
    const ProgramRun run = SonvarData(args);
    EXPECT_EQ(run.exitCode, 2) << args.back() << ": " << run.err;
  }
  EXPECT_EQ(CountPlaylist(STOCK_PLAYLIST_SYNC), 0u);
}

}  // namespace
}  // namespace TYX::Test
