#pragma once
// The worker's WMA output through the audio component's WMA encoder calls.
#include "convert/audio_encoder.h"

namespace TYX::Convert {

class WmaEncoder : public AudioEncoder {
 public:
  WmaEncoder() = default;
  ~WmaEncoder() override;
  WmaEncoder(const WmaEncoder&) = delete;
  WmaEncoder& operator=(const WmaEncoder&) = delete;

  // Opens the encoder on the target with tags allowed at bitrate x 1000 and closes the (empty) tag
  // list; 2 when the encoder cannot be opened.
  int Open(const EncoderJob& job) override;
  bool Write(const std::uint8_t* pcm, int bytes) override;
  bool Finish() override;

 private:
  std::uint32_t encoder_ = 0;  // HWMENCODE; owned by the job's thread
};

}  // namespace TYX::Convert
