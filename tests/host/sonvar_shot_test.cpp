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
