#pragma once
// Writes a PCM WAV file: a 44-byte header whose two sizes are patched when the file is finished.
#include <cstdint>
#include <cstdio>
#include <string>

#include "convert/audio_encoder.h"

namespace TYX::Convert {

class WavWriter : public AudioEncoder {
 public:
  WavWriter() = default;
  ~WavWriter() override;
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  // Creates the file and writes the header for 16-bit PCM at `rate` and `channels`. False when the
  // file cannot be created.
  bool Open(const std::string& path, unsigned rate, int channels);
  // The worker's open: a target that cannot be created shows "Can't create file" over the main window
  // and gives 2.
  int Open(const EncoderJob& job) override;
  bool Write(const std::uint8_t* pcm, int bytes) override {
    return bytes <= 0 || Write(static_cast<const void*>(pcm), static_cast<std::size_t>(bytes));
  }
  bool IsOpen() const { return file_ != nullptr; }
  bool Write(const void* data, std::size_t bytes);
  // Patches the RIFF size (file size - 8) and the data size (file size - 44) and closes the file.
  bool Finish() override;

 private:
  std::FILE* file_ = nullptr;  // owned by the job's thread
};

}  // namespace TYX::Convert
