// VIA file images of any content: the chunk walk, the metadata reader and the decoder as the worker's
// reader drives them. Every call returns, nothing is read or written out of bounds, and the decoder
// never hands out more than it was asked for or a partial frame.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "components/via/via_api.h"
#include "components/via/via_chunks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  VIA_MetaData meta;
  if (VIA_metadata_loadbuffer(data, static_cast<int>(size), &meta) == 0) {
    const char* fields[7] = {meta.title, meta.artist, meta.album, meta.genre, meta.year, meta.track, meta.comment};
    for (const char* f : fields)
      if (strnlen(f, sizeof(meta.title)) >= sizeof(meta.title)) abort();  // every field is terminated
  }
  // The chunk walk of the worker's reader: a chunk longer than 8192 bytes or cut short ends the file.
  std::vector<std::uint8_t> out(4096);
  VIA_HANDLE decoder = nullptr;
  int channels = 0;
  std::size_t off = 0;
  while (off + TYX::Via::kHeaderBytes <= size) {
    const std::uint8_t* chunk = data + off;
    const std::uint32_t len = TYX::Via::Get32(chunk);
    if (len < static_cast<std::uint32_t>(TYX::Via::kHeaderBytes) || len > TYX::Via::kMaxChunkBytes || off + len > size)
      break;
    if (chunk[6] == TYX::Via::kKindInfo) {
      if (decoder != nullptr) VIA_decode_stop(decoder);
      // A copy of exactly the chunk, so a read past its end is caught.
      std::vector<std::uint8_t> info(chunk, chunk + len);
      decoder = VIA_decode_init(info.data());
      channels = decoder != nullptr ? static_cast<int>(TYX::Via::Get16(info.data() + 36)) : 0;
    } else if (chunk[6] == TYX::Via::kKindAudio && decoder != nullptr && len > 16) {
      // Each piece is a copy of exactly the chunk's data, so a read past it is caught.
      std::vector<std::uint8_t> audio(chunk + 16, chunk + len);
      int n;
      for (int i = 0; i < (1 << 16) && (n = VIA_decode(decoder, out.data(), static_cast<int>(out.size()), audio.data(),
                                                        static_cast<int>(audio.size()), 0, 0)) > 0;
           ++i) {
        if (n > static_cast<int>(out.size()) || n % (2 * channels) != 0) abort();
      }
    }
    off += len;
  }
  if (decoder != nullptr) VIA_decode_stop(decoder);
  return 0;
}
