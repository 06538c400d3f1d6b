// Seeds for the ring-tone header reader: a type byte, then a small MIDI or SMAF file.
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace {

void Put32(std::string& s, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>((v >> shift) & 0xFF);
}

std::string Midi(const std::vector<std::string>& tracks) {
  std::string s = "MThd";
  Put32(s, 6);
  s += std::string("\x00\x01", 2);
  s += static_cast<char>(0);
  s += static_cast<char>(tracks.size());
  s += std::string("\x01\xE0", 2);
  for (const std::string& t : tracks) {
    s += "MTrk";
    const std::string body = t + std::string("\x00\xFF\x2F\x00", 4);
    Put32(s, static_cast<std::uint32_t>(body.size()));
    s += body;
  }
  return s;
}

// n keys struck together, the later ones with the running status, released after 96 ticks.
std::string Chord(int n) {
  std::string t;
  for (int i = 0; i < n; ++i) {
    t += '\x00';
    if (i == 0) t += '\x90';
    t += static_cast<char>(40 + i);
    t += '\x64';
  }
  for (int i = 0; i < n; ++i) {
    t += i == 0 ? std::string("\x60", 1) : std::string("\x00", 1);
    if (i == 0) t += '\x80';
    t += static_cast<char>(40 + i);
    t += '\x00';
  }
  return t;
}

std::string Smaf(const std::vector<std::uint8_t>& formats) {
  std::string chunks = "CNTI";
  Put32(chunks, 5);
  chunks += std::string("\x00\x01\x02\x03\x04", 5);
  for (const std::uint8_t f : formats) {
    chunks += "MTR";
    chunks += '\x01';
    Put32(chunks, 4);
    chunks += static_cast<char>(f);
    chunks += std::string("\x00\x00\x00", 3);
  }
  std::string s = "MMMD";
  Put32(s, static_cast<std::uint32_t>(chunks.size()));
  return s + chunks;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  // Type byte: 0 MIDI, 1 MMF, 2 MA3.
  const std::vector<std::string> files = {
      std::string(1, '\0') + Midi({Chord(3)}),
      std::string(1, '\0') + Midi({Chord(20), Chord(30)}),
      std::string(1, '\0') + Midi({std::string("\x00\xF0\x03\x7E\x7F\xF7\x00\xC0\x05", 9)}),
      std::string(1, '\1') + Smaf({0}),
      std::string(1, '\2') + Smaf({1, 3}),
  };
  int n = 0;
  for (const auto& f : files) {
    std::ofstream out(std::string(argv[1]) + "/seed" + std::to_string(n++), std::ios::binary);
    out << f;
  }
  return 0;
}
