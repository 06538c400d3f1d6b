#pragma once
// The worker's VIA output through the VIA codec library (ViaCodec).
#include "convert/audio_encoder.h"

namespace TYX::Convert {

class ViaEncoder : public AudioEncoder {
 public:
  ViaEncoder() = default;
  ~ViaEncoder() override;
  ViaEncoder(const ViaEncoder&) = delete;
  ViaEncoder& operator=(const ViaEncoder&) = delete;

  // Only at a job rate of 44100, with the codec loaded: VIA_encode_init (path, rate, target channels,
  // length, the rounded MP3 bit rate in bits per second), the option (1, 1000) and seven empty metadata
  // texts. 99 when the codec refuses or is missing.
  int Open(const EncoderJob& job) override;
  bool Write(const std::uint8_t* pcm, int bytes) override;
  // One empty block flushes the encoder, then it is stopped.
  bool Finish() override;

 private:
  void* handle_ = nullptr;  // VIA_HANDLE; owned by the job's thread
  int state_ = 0;           // the encoder's output state between calls
};

}  // namespace TYX::Convert
