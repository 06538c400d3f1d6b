// A CD image of any content opened as a drive: a cue sheet (the input's first part, after a FILE line
// naming the bin) and a bin (the rest), written to a private folder. Every call returns, track lengths
// are whole sectors, and reads give whole frames within what was asked.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "components/audio/cd_drive.h"

namespace {

const std::string& Folder() {
  static const std::string folder = [] {
    char name[] = "/tmp/cd_cue_fuzz_XXXXXX";
    if (mkdtemp(name) == nullptr) abort();
    return std::string(name);
  }();
  return folder;
}

void Write(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) abort();
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

// The input's own lines, minus any that would name another file: only the bin written here is read.
std::string CueLines(const std::string& text) {
  std::string out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    std::string upper;
    for (char c : line) upper.push_back(static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c));
    if (upper.find("FILE") == std::string::npos) out += line + "\n";
    start = end + 1;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::size_t cueBytes = std::min<std::size_t>(data[0] | (data[1] << 8), size - 2);
  const std::string text(reinterpret_cast<const char*>(data + 2), cueBytes);
  const std::string bin(reinterpret_cast<const char*>(data + 2 + cueBytes), size - 2 - cueBytes);
  const std::string cue = Folder() + "/d.cue";
  Write(Folder() + "/d.bin", bin);
  Write(cue, "FILE \"d.bin\" BINARY\n" + CueLines(text));
  auto cd = TYX::Audio::CreateCdioAudioCD({cue}, false);
  const int tracks = cd->TrackCount(0);
  if (tracks < -1) abort();
  std::vector<std::uint8_t> buf(16 * 2352 + 4);
  for (int t = -1; t <= std::min(tracks, 8); ++t) {
    const std::int64_t length = cd->TrackLength(0, t);
    if (length != -1 && (length < 0 || length % TYX::Audio::kCdSectorBytes != 0)) abort();
    auto src = cd->OpenTrack(0, t);
    if (!src) continue;
    if (src->Channels() != 2 || src->SampleRate() != 44100) abort();
    std::int64_t got = 0;
    for (int i = 0; i < 64 && !src->Ended(); ++i) {
      const int ask = 4099 + i * 37;
      const int n = src->Read(buf.data(), ask);
      if (n > ask || (n > 0 && n % 4 != 0)) abort();
      if (n < 0) break;
      got += n;
    }
    if (got != src->PositionBytes()) abort();
  }
  cd->Door(0, TYX::Audio::BASS_CD_DOOR_LOCK);
  cd->Door(0, TYX::Audio::BASS_CD_DOOR_OPEN);
  cd->Door(0, TYX::Audio::BASS_CD_DOOR_UNLOCK);
  return 0;
}
