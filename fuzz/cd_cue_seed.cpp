// Seeds for the CD-image target: a two-byte cue length, cue lines after the FILE line, then the bin:
// one, two and three audio tracks of a tone, a data track, and pregaps.
#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string Sectors(int count, double freq) {
  std::string bin;
  for (int i = 0; i < count * 588; ++i) {
    const auto v = static_cast<std::int16_t>(9000 * std::sin(2 * M_PI * freq * i / 44100));
    for (int c = 0; c < 2; ++c) {
      bin.push_back(static_cast<char>(v & 0xFF));
      bin.push_back(static_cast<char>((v >> 8) & 0xFF));
    }
  }
  return bin;
}

void Seed(const std::string& path, const std::string& cue, const std::string& bin) {
  std::ofstream out(path, std::ios::binary);
  out << static_cast<char>(cue.size() & 0xFF) << static_cast<char>(cue.size() >> 8) << cue << bin;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string dir = argv[1];
  Seed(dir + "/one", "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n", Sectors(6, 440));
  Seed(dir + "/two",
       "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 00 00:00:04\n    INDEX 01 00:00:05\n",
       Sectors(5, 440) + Sectors(4, 660));
  Seed(dir + "/three",
       "REM GENRE Pop\nTITLE \"disc\"\n  TRACK 01 AUDIO\n    TITLE \"a\"\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n"
       "    PREGAP 00:00:02\n    INDEX 01 00:00:03\n  TRACK 03 AUDIO\n    INDEX 01 00:00:07\n",
       Sectors(9, 330));
  Seed(dir + "/data", "  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 01 00:00:02\n",
       Sectors(2, 0) + Sectors(3, 440));
  Seed(dir + "/empty", "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n", "");
  return 0;
}
