// `sonvar shot`: a PNG of the window's size, with something drawn in it, for every page and the
// sidebar; a folder that is not there is an error, not an empty file.
#include <filesystem>
#include <fstream>

#include "host/sonvar_fixture.h"

namespace TYX::Test {
namespace {

using ::testing::HasSubstr;

struct PngHeader {
  bool valid = false;
  std::uint32_t width = 0, height = 0;
};

PngHeader ReadPngHeader(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char b[24] = {};
  in.read(reinterpret_cast<char*>(b), sizeof b);
  PngHeader h;
  const unsigned char sig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  h.valid = in.gcount() == 24 && std::equal(sig, sig + 8, b) && std::string(reinterpret_cast<char*>(b + 12), 4) == "IHDR";
  h.width = (b[16] << 24) | (b[17] << 16) | (b[18] << 8) | b[19];
  h.height = (b[20] << 24) | (b[21] << 16) | (b[22] << 8) | b[23];
  return h;
}

TEST_F(SonvarTest, ShotWritesAPngOfTheWindowForEachScreen) {
  SeedLibrary({MakeSong({"봄날.mp3", "봄날", "하늘빛", "사계절", "Ballad"})});
  for (const char* screen : {"library", "now-playing", "ringtones", "sidebar"}) {
    const std::string png = Root() + "/" + screen + ".png";
    const ProgramRun run = SonvarData({"shot", screen, "--png", png});
    ASSERT_EQ(run.exitCode, 0) << screen << ": " << run.err;
    EXPECT_THAT(run.err, HasSubstr("wrote " + png));
    // Every skin image and every character was there.
    EXPECT_THAT(run.err, ::testing::Not(HasSubstr("missing")));
    EXPECT_THAT(run.err, ::testing::Not(HasSubstr("without a glyph")));
    const PngHeader h = ReadPngHeader(png);
    ASSERT_TRUE(h.valid) << screen;
    if (std::string(screen) == "sidebar") {
      EXPECT_EQ(h.width, 240u);
    } else {
      EXPECT_EQ(h.width, 1280u);
    }
    EXPECT_EQ(h.height, 860u);
    // A picture of a program, not an empty canvas.
    EXPECT_GT(std::filesystem::file_size(png), 4000u) << screen;
  }
  const ProgramRun nowhere = SonvarData({"shot", "library", "--png", Root() + "/no/such/folder/x.png"});
  EXPECT_EQ(nowhere.exitCode, 1);
  EXPECT_THAT(nowhere.err, HasSubstr("cannot write " + Root() + "/no/such/folder/x.png"));
}

}  // namespace
}  // namespace TYX::Test

namespace TYX::Test {
namespace {

// The dialogs are opened the way the panel opens them on the songs picked, drawn at their own size,
// and closed unused: nothing is converted or written.
TEST_F(SonvarTest, ShotDrawsEachDialogAtItsOwnSizeAndClosesItUnused) {
  const std::string mp3 = MakeSong({"봄날.mp3", "봄날", "하늘빛", "사계절", "발라드"});
  const std::string ogg = MakeSong({"night.ogg", "Night Drive", "Neon Coast", "Midnight", "Pop"});
  SeedLibrary({mp3, ogg});
  std::ifstream mp3In(mp3, std::ios::binary);
  const std::string before((std::istreambuf_iterator<char>(mp3In)), {});
  struct Case {
    std::vector<std::string> screen;
    std::uint32_t width;
  };
  const Case cases[] = {{{"tag-editor", "봄날"}, 494},
                        {{"batch-editor"}, 494},
                        {{"song-info", "night"}, 384},
                        {{"convert-dialog", "artist:neon"}, 494}};
  for (const Case& c : cases) {
    const std::string png = Root() + "/" + c.screen.front() + ".png";
    std::vector<std::string> args = {"shot"};
    args.insert(args.end(), c.screen.begin(), c.screen.end());
    args.insert(args.end(), {"--png", png});
    const ProgramRun run = SonvarData(args);
    ASSERT_EQ(run.exitCode, 0) << c.screen.front() << ": " << run.err;
    // Every character of the dialog's texts had a glyph, and the frame, its close box and its buttons
    // their skin images.
    EXPECT_THAT(run.err, ::testing::Not(HasSubstr("without a glyph"))) << c.screen.front();
    EXPECT_THAT(run.err, ::testing::Not(HasSubstr("missing"))) << c.screen.front();
    const PngHeader h = ReadPngHeader(png);
    ASSERT_TRUE(h.valid) << c.screen.front();
    EXPECT_EQ(h.width, c.width) << c.screen.front();
    EXPECT_GT(std::filesystem::file_size(png), 4000u) << c.screen.front();
  }
  std::ifstream after(mp3, std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), {}), before);
  EXPECT_EQ(CountPlaylist(2), 2u);  // nothing was converted into the library

  const ProgramRun one = SonvarData({"shot", "batch-editor", "봄날", "--png", Root() + "/b.png"});
  EXPECT_EQ(one.exitCode, 1);
  EXPECT_THAT(one.err, HasSubstr("two songs or more"));
  const ProgramRun noDisc = SonvarData({"shot", "rip-dialog", "--png", Root() + "/r.png"});
  EXPECT_EQ(noDisc.exitCode, 1);
  const ProgramRun unknown = SonvarData({"shot", "mixer", "--png", Root() + "/m.png"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_THAT(unknown.err, HasSubstr("tag-editor"));
}

TEST_F(SonvarTest, ShotDrawsTheRippingDialogOfACdImage) {
  std::ofstream data(Root() + "/disc.bin", std::ios::binary);
  for (int i = 0; i < 588 * 75 * 3; ++i) {
    const auto s = static_cast<std::int16_t>((i % 200) * 50 - 5000);
    for (int ch = 0; ch < 2; ++ch) data.write(reinterpret_cast<const char*>(&s), 2);
  }
  data.close();
  std::ofstream(Root() + "/disc.cue") << "FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";
  SeedLibrary({MakeSong({"봄날.mp3", "봄날", "하늘빛", "사계절", "발라드"})});
  const std::string png = Root() + "/rip.png";
  const ProgramRun run = SonvarData({"shot", "rip-dialog", "--cd-image", Root() + "/disc.cue", "--png", png});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_THAT(run.err, ::testing::Not(HasSubstr("missing")));
  const PngHeader h = ReadPngHeader(png);
  ASSERT_TRUE(h.valid);
  EXPECT_EQ(h.width, 400u);
  // Nothing was ripped.
  EXPECT_EQ(CountPlaylist(2), 1u);
}

}  // namespace
}  // namespace TYX::Test
