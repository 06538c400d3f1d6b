#pragma once
// A source of interleaved signed 16-bit little-endian PCM that a decode-only channel pulls from.
#include <cstdint>

namespace TYX::Audio {

class TYX_PcmSource {
 public:
  virtual ~TYX_PcmSource() = default;
  virtual int SampleRate() const = 0;
  virtual int Channels() const = 0;
  // Total length in bytes, or -1 when the source does not know it.
  virtual std::int64_t LengthBytes() const = 0;
  // Reads up to `bytes` bytes, whole frames only. Returns the count read; 0 when nothing is there (at the
  // end, or for a live source not yet); -1 on a read error. Ended() tells the two kinds of 0 apart.
  virtual int Read(void* buffer, int bytes) = 0;
  // True once the source has delivered its last byte or failed.
  virtual bool Ended() const = 0;
  // Bytes delivered so far.
  virtual std::int64_t PositionBytes() const = 0;
};

}  // namespace TYX::Audio
