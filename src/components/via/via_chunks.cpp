#include "components/via/via_chunks.h"

#include <cstring>

namespace TYX::Via {

std::vector<std::uint8_t> NewChunk(std::uint8_t kind, std::size_t bytes) {
  std::vector<std::uint8_t> c(bytes, 0);
  Put32(c.data(), static_cast<std::uint32_t>(bytes));
  c[4] = 'V';
  c[5] = 'C';
  c[6] = kind;
  return c;
}

std::vector<std::uint8_t> MetaChunk(const VIA_MetaData& meta) {
  const char* fields[7] = {meta.title, meta.artist, meta.album, meta.genre, meta.year, meta.track, meta.comment};
  std::size_t total = kHeaderBytes;
  std::size_t lens[7];
  for (int i = 0; i < 7; ++i) {
    lens[i] = strnlen(fields[i], 255);
    total += 2 + lens[i];
  }
  auto c = NewChunk(kKindMeta, total);
  std::size_t off = kHeaderBytes;
  for (int i = 0; i < 7; ++i) {
    Put16(c.data() + off, static_cast<unsigned>(lens[i]));
    std::memcpy(c.data() + off + 2, fields[i], lens[i]);
    off += 2 + lens[i];
  }
  return c;
}

bool ParseMetaChunk(const std::uint8_t* chunk, std::size_t bytes, VIA_MetaData* out) {
  VIA_MetaData meta{};
  char* fields[7] = {meta.title, meta.artist, meta.album, meta.genre, meta.year, meta.track, meta.comment};
  std::size_t off = kHeaderBytes;
  for (int i = 0; i < 7; ++i) {
    if (off + 2 > bytes) return false;
    const std::size_t len = Get16(chunk + off);
    if (len > 255 || off + 2 + len > bytes) return false;
    std::memcpy(fields[i], chunk + off + 2, len);
    off += 2 + len;
  }
  *out = meta;
  return true;
}


}  // namespace TYX::Via
