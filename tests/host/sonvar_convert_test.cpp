// `sonvar convert`: the songs a query picks go through the conversion dialogs; the new files join the
// library and are listed; usage problems are refused before anything is opened; a song already in the
// target format is not converted again.
#include <filesystem>

#include "contracts/stock_playlist.h"
#include "host/sonvar_fixture.h"

namespace TYX::Test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class SonvarConvertTest : public SonvarTest {
 protected:
  void SetUp() override {
    wav_ = MakeSong({"b/morning.wav", "Morning", "Neon Coast", "Midnight", "Electronic"});
    ogg_ = MakeSong({"a/night.ogg", "Night Drive", "Neon Coast", "Midnight", "Electronic"});
    mp3_ = MakeSong({"a/봄날.mp3", "봄날", "하늘빛", "사계절", "Ballad"});
    SeedLibrary({wav_, ogg_, mp3_});
  }
  std::string wav_, ogg_, mp3_;
};

TEST_F(SonvarConvertTest, PickedSongsBecomeMp3FilesInTheChosenFolderAndJoinTheLibrary) {
  const std::string out = Root() + "/out";
  std::filesystem::create_directories(out);
  const ProgramRun run = SonvarData({"-q", "convert", "artist:neon", "--to", "mp3", "--bitrate", "192", "--folder", out});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("converted: " + out + "/morning.mp3"));
  EXPECT_THAT(run.out, HasSubstr("converted: " + out + "/night.mp3"));
  EXPECT_THAT(run.out, HasSubstr("2 converted, 0 failed"));
  EXPECT_GT(std::filesystem::file_size(out + "/morning.mp3"), 1000u);
  EXPECT_EQ(CountPlaylist(STOCK_PLAYLIST_LIBRARY), 5u);
  // The song of the other artist was not picked.
  EXPECT_FALSE(std::filesystem::exists(out + "/봄날.mp3"));

  const ProgramRun ls = SonvarData({"-q", "ls", "--format", "title,format,path", "path:" + out});
  ASSERT_EQ(ls.exitCode, 0) << ls.err;
  EXPECT_THAT(ls.out, HasSubstr("Morning"));
  EXPECT_THAT(ls.out, HasSubstr("MP3"));
}

TEST_F(SonvarConvertTest, ASongAlreadyInTheFormatIsNotConvertedAndTheRunFails) {
  const ProgramRun run = SonvarData({"-q", "convert", "봄날", "--to", "mp3"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.out, HasSubstr("0 converted"));
  EXPECT_THAT(run.err, HasSubstr("nothing was converted"));
  EXPECT_EQ(CountPlaylist(STOCK_PLAYLIST_LIBRARY), 3u);
}

TEST_F(SonvarConvertTest, UsageProblemsAreRefusedBeforeAnythingIsOpened) {
  const ProgramRun noFormat = SonvarData({"convert", "Morning"});
  EXPECT_EQ(noFormat.exitCode, 2);
  EXPECT_THAT(noFormat.err, HasSubstr("--to mp3|via"));
  const ProgramRun badFormat = SonvarData({"convert", "Morning", "--to", "flac"});
  EXPECT_EQ(badFormat.exitCode, 2);
  EXPECT_THAT(badFormat.err, HasSubstr("unknown format 'flac'"));
  const ProgramRun badRate = SonvarData({"convert", "Morning", "--to", "mp3", "--bitrate", "96"});
  EXPECT_EQ(badRate.exitCode, 2);
  EXPECT_THAT(badRate.err, HasSubstr("no bit rate of 96 kbps"));
  const ProgramRun noQuery = SonvarData({"convert", "--to", "mp3"});
  EXPECT_EQ(noQuery.exitCode, 2);
  const ProgramRun noMatch = SonvarData({"convert", "nothing-like-this", "--to", "mp3"});
  EXPECT_EQ(noMatch.exitCode, 1);
  EXPECT_THAT(noMatch.err, HasSubstr("no song matches 'nothing-like-this'"));
  const ProgramRun noFolder = SonvarData({"convert", "Morning", "--to", "mp3", "--folder", Root() + "/nothere"});
  EXPECT_EQ(noFolder.exitCode, 1);
  EXPECT_THAT(noFolder.err, HasSubstr("no such folder"));
  EXPECT_EQ(CountPlaylist(STOCK_PLAYLIST_LIBRARY), 3u);
}

}  // namespace
}  // namespace TYX::Test
