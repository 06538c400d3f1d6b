// `sonvar ls` on libraries prepared on disk: the pages a person opens, the columns asked for, songs
// narrowed by field and by word, files that are gone or damaged marked, and no list filled that the
// user did not fill.
#include <filesystem>
#include <fstream>

#include "contracts/stock_playlist.h"
#include "host/sonvar_fixture.h"

namespace TYX::Test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class SonvarLsTest : public SonvarTest {
 protected:
  void SetUp() override {
    spring_ = MakeSong({"봄날.mp3", "봄날", "하늘빛", "사계절", "Ballad"});
    night_ = MakeSong({"night.ogg", "Night Drive", "Neon Coast", "Midnight", "Electronic"});
    morning_ = MakeSong({"morning.wav", "Morning", "Neon Coast", "Midnight", "Electronic"});
    broken_ = MakeDamaged("broken.mp3");
    chime_ = MakeMidi("chime.mid");
    SeedLibrary({spring_, night_, morning_, broken_, chime_});
  }

  // The lines of stdout that contain text.
  static std::vector<std::string> LinesWith(const std::string& out, const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < out.size()) {
      const std::size_t end = out.find('\n', start);
      const std::string line = out.substr(start, end - start);
      if (line.find(text) != std::string::npos) lines.push_back(line);
      if (end == std::string::npos) break;
      start = end + 1;
    }
    return lines;
  }

  std::string spring_, night_, morning_, broken_, chime_;
};

TEST_F(SonvarLsTest, LibraryPageListsSongsWithFormatNamesAndMarksDamagedAndMissingFiles) {
  std::filesystem::remove(morning_);
  const ProgramRun run = SonvarData({"ls"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("TITLE"));
  const auto spring = LinesWith(run.out, "봄날");
  ASSERT_EQ(spring.size(), 1u) << run.out;
  EXPECT_THAT(spring[0], HasSubstr("하늘빛"));
  EXPECT_THAT(spring[0], HasSubstr("00:03"));
  EXPECT_THAT(spring[0], HasSubstr("MP3"));
  EXPECT_THAT(spring[0], Not(HasSubstr("damaged")));
  EXPECT_THAT(spring[0], Not(HasSubstr("icon")));
  const auto night = LinesWith(run.out, "Night Drive");
  ASSERT_EQ(night.size(), 1u);
  EXPECT_THAT(night[0], HasSubstr("Ogg Vorbis"));
  const auto broken = LinesWith(run.out, "broken");
  ASSERT_EQ(broken.size(), 1u) << run.out;
  EXPECT_THAT(broken[0], HasSubstr("damaged"));
  const auto morning = LinesWith(run.out, "Morning");
  ASSERT_EQ(morning.size(), 1u);
  EXPECT_THAT(morning[0], HasSubstr("missing"));
  // Ringtones have their own page.
  EXPECT_THAT(run.out, Not(HasSubstr("chime")));
  EXPECT_THAT(run.err, HasSubstr("4 songs, 1 missing, 1 damaged"));

  const ProgramRun rings = SonvarData({"ls", "ringtones"});
  ASSERT_EQ(rings.exitCode, 0) << rings.err;
  const auto chime = LinesWith(rings.out, "chime");
  ASSERT_EQ(chime.size(), 1u) << rings.out;
  EXPECT_THAT(chime[0], HasSubstr("MIDI"));
  EXPECT_THAT(rings.out, Not(HasSubstr("봄날")));
}

TEST_F(SonvarLsTest, FormatPicksColumnsIncludingPath) {
  const ProgramRun run = SonvarData({"-q", "ls", "--format", "path,format,genre"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  // -q leaves out the header and the count line.
  EXPECT_THAT(run.out, Not(HasSubstr("PATH")));
  EXPECT_EQ(run.err, "");
  const auto spring = LinesWith(run.out, spring_);
  ASSERT_EQ(spring.size(), 1u) << run.out;
  EXPECT_THAT(spring[0], HasSubstr("MP3"));
  EXPECT_THAT(spring[0], HasSubstr("Ballad"));
  EXPECT_EQ(LinesWith(run.out, night_).size(), 1u);

  const ProgramRun bad = SonvarData({"ls", "--format", "title,colour"});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_THAT(bad.err, HasSubstr("unknown column 'colour'"));
}

TEST_F(SonvarLsTest, QueryNarrowsByFieldAndByWord) {
  const ProgramRun artist = SonvarData({"ls", "artist:neon"});
  ASSERT_EQ(artist.exitCode, 0) << artist.err;
  EXPECT_EQ(LinesWith(artist.out, "Neon Coast").size(), 2u) << artist.out;
  EXPECT_THAT(artist.out, Not(HasSubstr("봄날")));

  const ProgramRun genre = SonvarData({"ls", "library", "genre:Ballad"});
  ASSERT_EQ(genre.exitCode, 0) << genre.err;
  EXPECT_THAT(genre.out, HasSubstr("봄날"));
  EXPECT_THAT(genre.out, Not(HasSubstr("Night Drive")));

  // Terms must all match; a bare word looks at every field.
  const ProgramRun both = SonvarData({"ls", "midnight", "title:night"});
  ASSERT_EQ(both.exitCode, 0) << both.err;
  EXPECT_THAT(both.out, HasSubstr("Night Drive"));
  EXPECT_THAT(both.out, Not(HasSubstr("Morning")));

  const ProgramRun none = SonvarData({"ls", "album:nothing-like-this"});
  EXPECT_EQ(none.exitCode, 0);
  EXPECT_EQ(none.out, "");
  EXPECT_THAT(none.err, HasSubstr("nothing on the page 'library' matches 'album:nothing-like-this'"));

  const ProgramRun field = SonvarData({"ls", "colour:red"});
  EXPECT_EQ(field.exitCode, 2);
  EXPECT_THAT(field.err, HasSubstr("unknown field 'colour'"));
}

TEST_F(SonvarLsTest, ListsOfAFreshLibraryStayEmpty) {
  for (const char* page : {"now-playing", "recent", "sync", "sent", "library", "ringtones"}) {
    const ProgramRun run = SonvarData({"ls", page});
    EXPECT_EQ(run.exitCode, 0) << page << ": " << run.err;
  }
  for (const char* page : {"now-playing", "recent", "sync", "sent"}) {
    const ProgramRun run = SonvarData({"ls", page});
    EXPECT_EQ(run.out, "") << page;
    EXPECT_THAT(run.err, HasSubstr(std::string("the page '") + page + "' is empty"));
  }
  // Looking at pages wrote nothing into the user's lists.
  EXPECT_EQ(CountPlaylist(STOCK_PLAYLIST_NOWPLAYING), 0u);
  EXPECT_EQ(CountPlaylist(STOCK_PLAYLIST_OLDNOWPLAYING), 0u);
  EXPECT_EQ(CountPlaylist(STOCK_PLAYLIST_SYNC), 0u);
  EXPECT_EQ(CountPlaylist(STOCK_PLAYLIST_TRANSFERRED), 0u);
  EXPECT_EQ(CountPlaylist(STOCK_PLAYLIST_LIBRARY), 5u);
}

TEST_F(SonvarLsTest, CdPageListsTheTracksOfACdImage) {
  // A cue/bin image of two tracks of 4 and 2 seconds.
  const std::string bin = Root() + "/disc.bin";
  {
    std::ofstream data(bin, std::ios::binary);
    const std::string sectors(2352 * 75 * 6, '\0');
    data.write(sectors.data(), static_cast<std::streamsize>(sectors.size()));
  }
  std::ofstream(Root() + "/disc.cue") << "FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                                         "  TRACK 02 AUDIO\n    INDEX 01 00:04:00\n";
  const ProgramRun run = SonvarData({"ls", "cd", "--cd-image", Root() + "/disc.cue"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("Track01.cda"));
  EXPECT_THAT(run.out, HasSubstr("Track02.cda"));
  EXPECT_THAT(run.out, HasSubstr("0:04"));
  EXPECT_THAT(run.out, HasSubstr("CD audio"));
  EXPECT_THAT(run.err, HasSubstr("2 tracks"));

  const ProgramRun missing = SonvarData({"ls", "cd", "--cd-image", Root() + "/no.cue"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_THAT(missing.err, HasSubstr("no such CD image: " + Root() + "/no.cue"));
}

}  // namespace
}  // namespace TYX::Test
