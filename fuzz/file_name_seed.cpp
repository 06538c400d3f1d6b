// Seeds for the phone-name target: a mode, a limit and a variant byte, then a name.
#include <fstream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::vector<std::string> names = {
      "Concert.mp3", "ab.mp3", "CON.txt.mp3", "노래 제목.mp3", "a<b>c|d?.ogg", " lead.wma.", "COM1", ".profile",
      "very long name with many characters and a tail (1).mp3", "Auxiliary.mp3", "nul.tar.gz", "song.mp3 ",
      "a. b.mp3", ". a.mp3", "Printer .wma"};
  int n = 0;
  for (const auto& name : names) {
    for (const char limit : {char(0), char(7), char(3), char(20)}) {
      std::ofstream out(std::string(argv[1]) + "/seed" + std::to_string(n++), std::ios::binary);
      out << char(1) << limit << char(n % 3) << name;
    }
  }
  return 0;
}
