#include "components/audio/user_stream_source.h"

namespace TYX::Audio {

int UserStreamSource::Read(void* buffer, int bytes) {
  const int frameBytes = channels_ * 2;
  bytes -= bytes % frameBytes;
  if (ended_ || bytes <= 0) return 0;
  DWORD r = proc_(handle_, buffer, static_cast<DWORD>(bytes), user_);
  if (r & BASS_STREAMPROC_END) ended_ = true;
  DWORD count = r & ~BASS_STREAMPROC_END;
  // A callback that claims more than it was asked for is held to the request.
  if (count > static_cast<DWORD>(bytes)) count = static_cast<DWORD>(bytes);
  count -= count % static_cast<DWORD>(frameBytes);
  position_ += count;
  return static_cast<int>(count);
}

}  // namespace TYX::Audio
