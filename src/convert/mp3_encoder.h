#pragma once
// The worker's MP3 output with LAME: the set-up in its fixed order, block encoding from stereo
// interleaved PCM, and the closing flush.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "convert/audio_encoder.h"

struct lame_global_struct;

namespace TYX::Convert {

class Mp3Encoder : public AudioEncoder {
 public:
  Mp3Encoder();
  ~Mp3Encoder() override;
  Mp3Encoder(const Mp3Encoder&) = delete;
  Mp3Encoder& operator=(const Mp3Encoder&) = delete;

  // Creates the target and sets LAME up. `bitrate` in kbps, above 1000 variable with quality
  // bitrate - 1000. `inRate` is the rate of the PCM that will come; `jobRate` the job's sample rate,
  // from which the output rate is chosen. Returns 0, or 2 when the file or the encoder cannot be opened.
  int Open(const std::string& path, int bitrate, int targetChannels, unsigned inRate, unsigned jobRate);
  // The worker's open: the PCM is always stereo; the job's target channels choose the mode.
  int Open(const EncoderJob& job) override;
  // Stereo blocks: `bytes` / 4 frames.
  bool Write(const std::uint8_t* pcm, int bytes) override;
  // `frames` stereo frames of interleaved 16-bit PCM. False when the file did not take the output; a
  // block LAME refuses is skipped and is no failure.
  bool Encode(const std::int16_t* pcm, int frames);
  // Flushes LAME, writes its tags, closes the encoder and the file.
  bool Finish() override;

  // For checks of the set-up.
  int VbrQuality() const;
  bool IsVbr() const;
  int Bitrate() const;
  int OutSampleRate() const;
  int Mode() const;

 private:
  std::FILE* file_ = nullptr;            // owned by the job's thread
  lame_global_struct* lame_ = nullptr;   // owned by the job's thread
  std::vector<std::uint8_t> out_;        // grows when a block needs more than it holds
};

}  // namespace TYX::Convert
