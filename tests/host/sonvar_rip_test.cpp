// `sonvar rip`: tracks of a cue/bin image go through the ripping dialog into ARTIST/ALBUM under the
// chosen folder and join the library, with a rip log; a second rip of a changed disc names the track
// whose checksums differ; bad options are refused before anything is opened.
#include <filesystem>
#include <fstream>

#include "contracts/stock_playlist.h"
#include "host/sonvar_fixture.h"

namespace TYX::Test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class SonvarRipTest : public SonvarTest {
 protected:
  void SetUp() override {
    // Two tracks of 2 and 1 seconds of a quiet saw wave.
    std::ofstream data(Root() + "/disc.bin", std::ios::binary);
    for (int i = 0; i < 588 * 75 * 3; ++i) {
      const auto s = static_cast<std::int16_t>((i % 200) * 50 - 5000);
      for (int ch = 0; ch < 2; ++ch) data.write(reinterpret_cast<const char*>(&s), 2);
    }
    std::ofstream(Root() + "/disc.cue") << "FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                                           "  TRACK 02 AUDIO\n    INDEX 01 00:02:00\n";
    std::filesystem::create_directories(Root() + "/rips");
  }
  ProgramRun Rip(std::vector<std::string> extra) const {
    std::vector<std::string> args = {"-q", "rip", "--cd-image", Root() + "/disc.cue", "--folder", Root() + "/rips",
                                     "--artist", "Test Band", "--album", "Live"};
    args.insert(args.end(), extra.begin(), extra.end());
    return SonvarData(args);
  }
  // Flips one sample of the second track.
  void ChangeTrackTwo() const {
    std::fstream data(Root() + "/disc.bin", std::ios::binary | std::ios::in | std::ios::out);
    data.seekp(2352 * 75 * 2 + 4000);
    data.put('\x7f');
  }
};

TEST_F(SonvarRipTest, EveryTrackIsRippedIntoArtistAndAlbumFoldersWithALog) {
  const ProgramRun run = Rip({"--to", "wav"});
  ASSERT_EQ(run.exitCode, 0) << run.err << run.out;
  const std::string folder = Root() + "/rips/test band/live/";
  EXPECT_THAT(run.out, HasSubstr("ripped: " + folder + "Track01.wav"));
  EXPECT_THAT(run.out, HasSubstr("ripped: " + folder + "Track02.wav"));
  EXPECT_THAT(run.out, HasSubstr("rip log: " + folder + "rip.log"));
  EXPECT_THAT(run.out, HasSubstr("2 tracks ripped"));
  EXPECT_TRUE(std::filesystem::exists(folder + "rip.cue"));
  EXPECT_EQ(CountPlaylist(STOCK_PLAYLIST_LIBRARY), 2u);
}

TEST_F(SonvarRipTest, ASecondRipOfAChangedDiscNamesTheTrackThatDiffers) {
  ASSERT_EQ(Rip({"--to", "ogg", "--quality", "3"}).exitCode, 0);
  ChangeTrackTwo();
  const ProgramRun again = Rip({"--to", "ogg", "--quality", "3"});
  EXPECT_EQ(again.exitCode, 1) << again.err;
  EXPECT_THAT(again.out, HasSubstr("Track02[1].ogg"));
  EXPECT_THAT(again.out, HasSubstr("differs from the earlier rip: Track02"));
  EXPECT_THAT(again.out, Not(HasSubstr("differs from the earlier rip: Track01")));
}

TEST_F(SonvarRipTest, OneTrackByNumberAndBadChoicesRefused) {
  const ProgramRun one = Rip({"2", "--to", "mp3", "--bitrate", "192"});
  ASSERT_EQ(one.exitCode, 0) << one.err;
  EXPECT_THAT(one.out, HasSubstr("Track02.mp3"));
  EXPECT_THAT(one.out, Not(HasSubstr("Track01")));

  EXPECT_EQ(Rip({"--to", "flac"}).exitCode, 2);
  EXPECT_EQ(Rip({"--to", "mp3", "--bitrate", "100"}).exitCode, 2);
  EXPECT_EQ(Rip({"--to", "mp3", "--quality", "5"}).exitCode, 2);
  EXPECT_EQ(Rip({"x"}).exitCode, 2);
  const ProgramRun tooFar = Rip({"7"});
  EXPECT_EQ(tooFar.exitCode, 1);
  EXPECT_THAT(tooFar.err, HasSubstr("there is no track 7"));
  const ProgramRun noDisc = SonvarData({"rip", "--to", "wav"});
  EXPECT_EQ(noDisc.exitCode, 1);
  EXPECT_THAT(noDisc.err, HasSubstr("--cd-image FILE.cue"));
}

}  // namespace
}  // namespace TYX::Test
