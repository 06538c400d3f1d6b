// The ring-tone header reader: any bytes as a MIDI or SMAF file give one of the polyphony classes or 0.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "util/file_type.h"
#include "util/melody.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const TYX::TYX_FILETYPE types[] = {TYX::FileType::MIDI, TYX::FileType::MMF, TYX::FileType::MA3, TYX::FileType::MP3};
  const TYX::TYX_FILETYPE type = types[data[0] % 4];
  const std::vector<std::uint8_t> bytes(data + 1, data + size);
  const int poly = TYX::Util::GetPolyCountOfBytes(type, bytes);
  if (poly != 0 && poly != 4 && poly != 16 && poly != 40 && poly != 64 && poly != 128) abort();
  if (type == TYX::FileType::MP3 && poly != 0) abort();
  return 0;
}
