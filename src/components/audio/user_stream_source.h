#pragma once
// A PCM source fed by a caller's callback (a user stream).
#include <cstdint>

#include "components/audio/bass_api.h"
#include "components/audio/pcm_source.h"

namespace TYX::Audio {

class UserStreamSource final : public TYX_PcmSource {
 public:
  UserStreamSource(int rate, int channels, STREAMPROC proc, void* user)
      : rate_(rate), channels_(channels), proc_(proc), user_(user) {}
  // The handle handed to the callback; set once the stream has its handle.
  void SetHandle(HSTREAM handle) { handle_ = handle; }

  int SampleRate() const override { return rate_; }
  int Channels() const override { return channels_; }
  std::int64_t LengthBytes() const override { return -1; }
  int Read(void* buffer, int bytes) override;
  bool Ended() const override { return ended_; }
  std::int64_t PositionBytes() const override { return position_; }

 private:
  int rate_;
  int channels_;
  STREAMPROC proc_;
  void* user_;
  HSTREAM handle_ = 0;
  std::int64_t position_ = 0;
  bool ended_ = false;
  std::uint8_t carry_[4] = {};  // start of a frame the callback split; completed by the next read
  int carryBytes_ = 0;
};

}  // namespace TYX::Audio
