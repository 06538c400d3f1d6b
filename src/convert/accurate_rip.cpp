#include "convert/accurate_rip.h"

#include <array>
#include <cstring>

namespace TYX::Convert {

namespace {

// Slicing-by-4 tables of the reflected polynomial 0xEDB88320.
struct CrcTables {
  std::array<std::array<std::uint32_t, 256>, 4> t{};
  CrcTables() {
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[0][i] = c;
    }
    for (std::uint32_t i = 0; i < 256; ++i) {
      for (int s = 1; s < 4; ++s) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
    }
  }
};

const CrcTables& Tables() {
  static const CrcTables tables;
  return tables;
}

}  // namespace

std::uint32_t TYX_AccurateRip::Crc32(std::uint32_t crc, const void* data, std::size_t bytes) {
  const auto& t = Tables().t;
  const auto* p = static_cast<const std::uint8_t*>(data);
  std::uint32_t c = ~crc;
  while (bytes >= 4) {
    c ^= static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    c = t[3][c & 0xFF] ^ t[2][(c >> 8) & 0xFF] ^ t[1][(c >> 16) & 0xFF] ^ t[0][c >> 24];
    p += 4;
    bytes -= 4;
  }
  while (bytes-- > 0) c = t[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
  return ~c;
}

TYX_AccurateRip::TYX_AccurateRip(std::uint64_t totalFrames, bool firstTrack, bool lastTrack)
    : first_(firstTrack ? kFirstTrackSkip + 1 : 1),
      last_(lastTrack ? (totalFrames > kLastTrackSkip ? totalFrames - kLastTrackSkip : 0) : UINT64_MAX) {}

void TYX_AccurateRip::AddFrame(std::uint32_t frame) {
  const std::uint64_t index = ++sums_.frames;
  if (index < first_ || index > last_) return;
  // Only the low 32 bits of the index take part, as in the 32-bit original.
  const std::uint64_t product = static_cast<std::uint64_t>(frame) * static_cast<std::uint32_t>(index);
  sums_.accurateRipV1 += static_cast<std::uint32_t>(product);
  sums_.accurateRipV2 += static_cast<std::uint32_t>(product) + static_cast<std::uint32_t>(product >> 32);
}

void TYX_AccurateRip::Update(const void* data, std::size_t bytes) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  sums_.crc32 = Crc32(sums_.crc32, p, bytes);
  // A frame split across calls is gathered little-endian into partial_.
  while (partialBytes_ > 0 && bytes > 0) {
    partial_ |= static_cast<std::uint32_t>(*p++) << (8 * partialBytes_);
    --bytes;
    if (++partialBytes_ == 4) {
      AddFrame(partial_);
      partial_ = 0;
      partialBytes_ = 0;
    }
  }
  for (; bytes >= 4; bytes -= 4, p += 4) {
    AddFrame(static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
             (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
  }
  for (; bytes > 0; --bytes) partial_ |= static_cast<std::uint32_t>(*p++) << (8 * partialBytes_++);
}

}  // namespace TYX::Convert
