#include "convert/wma_encoder.h"

#include <cstdio>

#include "components/audio/bass_api.h"

namespace TYX::Convert {

using namespace TYX::Audio;

WmaEncoder::~WmaEncoder() {
  if (encoder_ != 0) Finish();
}

int WmaEncoder::Open(const EncoderJob& job) {
  encoder_ = BASS_WMA_EncodeOpenFile(job.pcmRate, static_cast<DWORD>(job.channels), BASS_WMA_ENCODE_TAGS,
                                     static_cast<DWORD>(job.bitrate * 1000), job.path.c_str());
  if (encoder_ == 0) {
    const int code = BASS_ErrorGetCode();
    std::fprintf(stderr, "WmaEncoder: WMA encoder not opened (%d)\n", code);
    return 2;
  }
  BASS_WMA_EncodeSetTag(encoder_, nullptr, nullptr);
  return 0;
}

bool WmaEncoder::Write(const std::uint8_t* pcm, int bytes) {
  if (bytes <= 0) return true;
  return BASS_WMA_EncodeWrite(encoder_, pcm, static_cast<DWORD>(bytes)) != 0;
}

bool WmaEncoder::Finish() {
  if (encoder_ == 0) return false;
  const bool ok = BASS_WMA_EncodeClose(encoder_) != 0;
  encoder_ = 0;
  return ok;
}

}  // namespace TYX::Convert
