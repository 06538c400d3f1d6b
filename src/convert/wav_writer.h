#pragma once
// Writes a PCM WAV file: a 44-byte header whose two sizes are patched when the file is finished.
#include <cstdint>
#include <cstdio>
#include <string>

namespace TYX::Convert {

class WavWriter {
 public:
  WavWriter() = default;
  ~WavWriter();
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  // Creates the file and writes the header for 16-bit PCM at `rate` and `channels`. False when the
  // file cannot be created.
  bool Open(const std::string& path, unsigned rate, int channels);
  bool IsOpen() const { return file_ != nullptr; }
  bool Write(const void* data, std::size_t bytes);
  // Patches the RIFF size (file size - 8) and the data size (file size - 44) and closes the file.
  bool Finish();

 private:
  std::FILE* file_ = nullptr;  // owned by the job's thread
};

}  // namespace TYX::Convert
