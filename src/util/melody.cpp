#include "util/melody.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "util/file_type.h"

namespace TYX::Util {
namespace {

constexpr std::size_t kMaxMelodyBytes = 8u << 20;  // melodies are small; anything larger is refused

bool ReadSmallFile(const std::string& path, std::vector<std::uint8_t>& data) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size <= 0 || static_cast<std::uint64_t>(size) > kMaxMelodyBytes) return false;
  in.seekg(0, std::ios::beg);
  data.resize(static_cast<std::size_t>(size));
  return static_cast<bool>(in.read(reinterpret_cast<char*>(data.data()), size));
}

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

int ClassOf(int voices) {
  for (int c : {4, 16, 40, 64}) {
    if (voices <= c) return c;
  }
  return 128;
}

// A reader over one byte range that stops (ok = false) instead of running past its end.
struct Cursor {
  const std::uint8_t* p;
  const std::uint8_t* end;
  bool ok = true;
  std::uint8_t Byte() {
    if (p >= end) {
      ok = false;
      return 0;
    }
    return *p++;
  }
  std::uint32_t VarLen() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      const std::uint8_t b = Byte();
      v = (v << 7) | (b & 0x7F);
      if (!(b & 0x80)) return v;
    }
    ok = false;
    return 0;
  }
  void Skip(std::uint32_t n) {
    if (static_cast<std::size_t>(end - p) < n) {
      ok = false;
      p = end;
    } else {
      p += n;
    }
  }
};

struct NoteEvent {
  std::uint64_t tick;
  int delta;  // +1 key down, -1 key up
  std::uint8_t channel;
  std::uint8_t key;
};

bool ParseMidiTrack(Cursor c, std::vector<NoteEvent>& events) {
  std::uint64_t tick = 0;
  std::uint8_t status = 0;
  while (c.p < c.end) {
    tick += c.VarLen();
    std::uint8_t b = c.Byte();
    if (!c.ok) return false;
    if (b == 0xFF) {  // meta event
      const std::uint8_t type = c.Byte();
      c.Skip(c.VarLen());
      if (!c.ok) return false;
      if (type == 0x2F) return true;  // end of track
      continue;
    }
    if (b == 0xF0 || b == 0xF7) {  // system exclusive
      c.Skip(c.VarLen());
      if (!c.ok) return false;
      continue;
    }
    std::uint8_t first;
    if (b & 0x80) {
      status = b;
      first = c.Byte();
    } else {
      if (status == 0) return false;  // data byte without a running status
      first = b;
    }
    const std::uint8_t kind = status & 0xF0;
    const std::uint8_t channel = status & 0x0F;
    if (kind == 0xC0 || kind == 0xD0) {
      // one data byte: already read
    } else if (kind >= 0x80 && kind <= 0xE0) {
      const std::uint8_t second = c.Byte();
      if (kind == 0x90 && second > 0) events.push_back({tick, +1, channel, first});
      if (kind == 0x80 || (kind == 0x90 && second == 0)) events.push_back({tick, -1, channel, first});
    } else {
      return false;  // system common messages do not belong in a file
    }
    if (!c.ok) return false;
    if (events.size() > 4'000'000) return false;
  }
  return true;
}

int MidiPolyphony(const std::vector<std::uint8_t>& data) {
  if (data.size() < 14 || BigEndian32(data.data()) != 0x4D546864 /* MThd */) return 0;
  const std::uint32_t headerLength = BigEndian32(data.data() + 4);
  if (headerLength < 6 || headerLength > data.size() - 8) return 0;
  const int tracks = (data[10] << 8) | data[11];
  std::vector<NoteEvent> events;
  std::size_t at = 8 + headerLength;
  int found = 0;
  while (found < tracks && at + 8 <= data.size()) {
    const std::uint32_t id = BigEndian32(data.data() + at);
    const std::uint32_t length = BigEndian32(data.data() + at + 4);
    at += 8;
    if (length > data.size() - at) return 0;
    if (id == 0x4D54726B /* MTrk */) {
      if (!ParseMidiTrack(Cursor{data.data() + at, data.data() + at + length}, events)) return 0;
      ++found;
    }
    at += length;
  }
  if (found == 0) return 0;
  // Keys up before keys down at the same tick.
  std::stable_sort(events.begin(), events.end(), [](const NoteEvent& a, const NoteEvent& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.delta < b.delta;
  });
  std::array<std::uint16_t, 16 * 128> down{};
  int sounding = 0;
  int most = 0;
  for (const NoteEvent& e : events) {
    std::uint16_t& k = down[e.channel * 128u + (e.key & 0x7F)];
    if (e.delta > 0) {
      if (k++ == 0) ++sounding;
    } else if (k > 0) {
      if (--k == 0) --sounding;
    }
    most = std::max(most, sounding);
  }
  return ClassOf(most);
}

int SmafPolyphony(const std::vector<std::uint8_t>& data) {
  if (data.size() < 8 || BigEndian32(data.data()) != 0x4D4D4D44 /* MMMD */) return 0;
  const std::size_t end = std::min<std::size_t>(data.size(), std::size_t{8} + BigEndian32(data.data() + 4));
  std::size_t at = 8;
  int best = 0;
  while (at + 8 <= end) {
    const std::uint8_t* chunk = data.data() + at;
    const std::uint32_t length = BigEndian32(chunk + 4);
    if (length > end - at - 8) break;
    if (chunk[0] == 'M' && chunk[1] == 'T' && chunk[2] == 'R' && length >= 1) {
      const std::uint8_t format = chunk[8];
      int poly = 0;
      if (format == 0) poly = 16;
      if (format == 1 || format == 2) poly = 40;
      if (format == 3) poly = 64;
      best = std::max(best, poly);
    }
    at += 8 + length;
  }
  return best;
}

}  // namespace

bool IsMelody(const std::string& path) { return IsMelodyFileType(GetFileTypeByName(path)); }

int GetPolyCount(const std::string& path) {
  const TYX_FILETYPE type = GetFileTypeByName(path);
  if (!IsMelodyFileType(type)) return 0;
  std::vector<std::uint8_t> data;
  if (!ReadSmallFile(path, data)) return 0;
  return GetPolyCountOfBytes(type, data);
}

int GetPolyCountOfBytes(TYX_FILETYPE type, const std::vector<std::uint8_t>& data) {
  if (!IsMelodyFileType(type) || data.size() > kMaxMelodyBytes) return 0;
  if (type == FileType::MIDI) return MidiPolyphony(data);
  return SmafPolyphony(data);
}

}  // namespace TYX::Util
