#pragma once
// Reading and writing the chunk layout of VIA files.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "components/via/via_api.h"

namespace TYX::Via {

// Stream-information fields (byte offsets in the chunk).
constexpr int kInfoMagic = 12;       // "VIA1"
constexpr int kInfoCodec = 16;       // 16-bit: 1 = IMA ADPCM after averaging groups of frames
constexpr int kInfoGroup = 18;       // 16-bit: frames averaged into one coded sample
constexpr int kInfoTotalFrames = 24; // 32-bit: frames of the stream (completed when the encoder stops)
constexpr int kInfoChannels = 36;    // 16-bit
constexpr int kInfoRate = 38;        // 16-bit
constexpr int kInfoBitrateAsked = 40;
constexpr int kInfoBitrate = 44;     // bits per second actually used
constexpr int kInfoSeconds = 60;     // 16-bit

// Audio data fields (byte offsets from the start of the audio data, chunk byte 16).
constexpr int kAudioSamples = 0;     // 32-bit: coded samples per channel in the chunk
constexpr int kAudioFlags = 4;       // bit 0: last chunk of the stream
constexpr int kAudioTotal = 8;       // 32-bit: frames of the stream, in the last chunk
constexpr int kAudioStates = 12;     // per channel: 16-bit predictor, 8-bit step index, 8-bit 0
constexpr std::uint8_t kFlagLast = 1;

inline void Put16(std::uint8_t* p, unsigned v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline unsigned Get16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
inline std::uint32_t Get32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// A chunk of `kind` with `bytes` total length, header filled, rest zero.
std::vector<std::uint8_t> NewChunk(std::uint8_t kind, std::size_t bytes);
// Metadata chunk of the seven strings (each cut to 255 bytes).
std::vector<std::uint8_t> MetaChunk(const VIA_MetaData& meta);
// Parses a metadata chunk; false when it is malformed.
bool ParseMetaChunk(const std::uint8_t* chunk, std::size_t bytes, VIA_MetaData* out);
// Walks the chunks of a file image; calls `visit` (chunk, length) for each until it returns false.
// Returns false when the image does not start with a stream-information chunk.
template <class Visit>
bool WalkChunks(const std::uint8_t* data, std::size_t size, Visit visit) {
  std::size_t off = 0;
  bool first = true;
  while (off + kHeaderBytes <= size) {
    const std::uint32_t len = Get32(data + off);
    if (len < kHeaderBytes || len > kMaxChunkBytes || off + len > size) break;
    if (first && (data[off + 6] != kKindInfo || data[off + 4] != 'V' || data[off + 5] != 'C')) return false;
    first = false;
    if (!visit(data + off, static_cast<std::size_t>(len))) break;
    off += len;
  }
  return !first;
}
// Whole file into memory; false when it cannot be read. Inline, because the codec module and the
// worker's reader both use it and share no library.
inline bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>* out) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  out->clear();
  std::uint8_t buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0) out->insert(out->end(), buf, buf + n);
  const bool ok = std::ferror(f) == 0;
  std::fclose(f);
  return ok;
}

}  // namespace TYX::Via
