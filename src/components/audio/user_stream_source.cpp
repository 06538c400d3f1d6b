#include "components/audio/user_stream_source.h"

#include <cstring>

namespace TYX::Audio {

int UserStreamSource::Read(void* buffer, int bytes) {
  const int frameBytes = channels_ * 2;
  bytes -= bytes % frameBytes;
  if (ended_ || bytes <= 0) return 0;
  auto* out = static_cast<std::uint8_t*>(buffer);
  // What the callback gave of a frame last time goes first; the callback fills the rest.
  const int carried = carryBytes_;
  std::memcpy(out, carry_, static_cast<std::size_t>(carried));
  carryBytes_ = 0;
  const DWORD asked = static_cast<DWORD>(bytes - carried);
  DWORD r = proc_(handle_, out + carried, asked, user_);
  if (r & BASS_STREAMPROC_END) ended_ = true;
  DWORD count = r & ~BASS_STREAMPROC_END;
  // A callback that claims more than it was asked for is held to the request.
  if (count > asked) count = asked;
  const int have = carried + static_cast<int>(count);
  const int whole = have - have % frameBytes;
  // The split frame's bytes are kept for the next read; at the end they cannot become a frame.
  if (!ended_) {
    carryBytes_ = have - whole;
    std::memcpy(carry_, out + whole, static_cast<std::size_t>(carryBytes_));
  }
  position_ += whole;
  return whole;
}

}  // namespace TYX::Audio
