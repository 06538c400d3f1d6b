// The exported C functions of the VIA codec library.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "components/via/via_api.h"
#include "components/via/via_chunks.h"
#include "components/via/via_decoder.h"
#include "components/via/via_encoder.h"

using TYX::Via::ViaDecoder;
using TYX::Via::ViaEncoder;

namespace {

void CopyField(char* dst, const char* src) {
  std::strncpy(dst, src != nullptr ? src : "", 255);
  dst[255] = '\0';
}

bool FindMeta(const std::uint8_t* data, std::size_t size, VIA_MetaData* out) {
  bool found = false;
  TYX::Via::WalkChunks(data, size, [&](const std::uint8_t* chunk, std::size_t len) {
    if (chunk[6] == TYX::Via::kKindMeta) found = TYX::Via::ParseMetaChunk(chunk, len, out);
    return !found;
  });
  return found;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) VIA_HANDLE VIA_encode_init(const char* path, int sampleRate,
                                                                   int channels, double seconds, int bitrate) {
  if (path == nullptr) return nullptr;
  return ViaEncoder::Create(path, sampleRate, channels, seconds, bitrate).release();
}

__attribute__((visibility("default"))) int VIA_encode_setopt(VIA_HANDLE encoder, int option, int value) {
  if (encoder == nullptr || option != 1) return -1;
  return static_cast<ViaEncoder*>(encoder)->SetChunkMilliseconds(value) ? 0 : -1;
}

__attribute__((visibility("default"))) int VIA_encode_SetMetaData(VIA_HANDLE encoder, const char* title,
                                                                  const char* artist, const char* album,
                                                                  const char* genre, const char* year,
                                                                  const char* track, const char* comment) {
  if (encoder == nullptr) return -1;
  VIA_MetaData meta{};
  CopyField(meta.title, title);
  CopyField(meta.artist, artist);
  CopyField(meta.album, album);
  CopyField(meta.genre, genre);
  CopyField(meta.year, year);
  CopyField(meta.track, track);
  CopyField(meta.comment, comment);
  return static_cast<ViaEncoder*>(encoder)->SetMetaData(meta) ? 0 : -1;
}

__attribute__((visibility("default"))) int VIA_encode(VIA_HANDLE encoder, const void* pcm, int bytes,
                                                      int* outputState) {
  if (encoder == nullptr) return -1;
  auto* e = static_cast<ViaEncoder*>(encoder);
  const bool ok = e->Encode(pcm, bytes);
  if (outputState != nullptr) *outputState = static_cast<int>(e->BytesWritten());
  return ok ? 0 : -1;
}

__attribute__((visibility("default"))) int VIA_encode_stop(VIA_HANDLE encoder) {
  if (encoder == nullptr) return -1;
  auto* e = static_cast<ViaEncoder*>(encoder);
  const bool ok = e->Stop();
  delete e;
  return ok ? 0 : -1;
}

__attribute__((visibility("default"))) VIA_HANDLE VIA_decode_init(const void* infoChunk) {
  return ViaDecoder::Create(static_cast<const std::uint8_t*>(infoChunk)).release();
}

__attribute__((visibility("default"))) int VIA_decode(VIA_HANDLE decoder, void* output, int outputSize,
                                                      const void* input, int inputSize, int, int) {
  if (decoder == nullptr || output == nullptr) return -1;
  return static_cast<ViaDecoder*>(decoder)->Decode(static_cast<std::uint8_t*>(output), outputSize,
                                                   static_cast<const std::uint8_t*>(input), inputSize);
}

__attribute__((visibility("default"))) void VIA_decode_stop(VIA_HANDLE decoder) {
  delete static_cast<ViaDecoder*>(decoder);
}

__attribute__((visibility("default"))) int VIA_metadata_loadbuffer(const void* data, int size,
                                                                   VIA_MetaData* out) {
  if (data == nullptr || size <= 0 || out == nullptr) return -1;
  return FindMeta(static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size), out) ? 0 : -1;
}

__attribute__((visibility("default"))) int VIA_metadata_load(const char* path, VIA_MetaData* out) {
  std::vector<std::uint8_t> image;
  if (path == nullptr || out == nullptr || !TYX::Via::ReadWholeFile(path, &image)) return -1;
  return FindMeta(image.data(), image.size(), out) ? 0 : -1;
}

__attribute__((visibility("default"))) int VIA_metadata_update(const char* path, const VIA_MetaData* in) {
  std::vector<std::uint8_t> image;
  if (path == nullptr || in == nullptr || !TYX::Via::ReadWholeFile(path, &image)) return -1;
  // The new image: every chunk except old metadata, with the new metadata after the stream information.
  std::vector<std::uint8_t> out;
  const auto meta = TYX::Via::MetaChunk(*in);
  std::size_t consumed = 0;
  bool placed = false;
  const bool valid = TYX::Via::WalkChunks(image.data(), image.size(), [&](const std::uint8_t* c, std::size_t n) {
    consumed += n;
    if (c[6] == TYX::Via::kKindMeta) return true;
    out.insert(out.end(), c, c + n);
    if (!placed) {
      out.insert(out.end(), meta.begin(), meta.end());
      placed = true;
    }
    return true;
  });
  if (!valid) return -1;
  // Bytes after the last whole chunk are kept as they are.
  out.insert(out.end(), image.begin() + static_cast<std::ptrdiff_t>(consumed), image.end());
  // Written beside the file and renamed over it, so a failure leaves the old file whole.
  const std::string temp = std::string(path) + ".tmp";
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (f == nullptr) return -1;
  bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  ok = (std::fclose(f) == 0) && ok;
  if (!ok || std::rename(temp.c_str(), path) != 0) {
    std::remove(temp.c_str());
    return -1;
  }
  return 0;
}

}  // extern "C"
