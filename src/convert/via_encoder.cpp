#include "convert/via_encoder.h"

#include "convert/extractor_helpers.h"
#include "convert/via_codec.h"

namespace TYX::Convert {

ViaEncoder::~ViaEncoder() {
  if (handle_ != nullptr) Finish();
}

int ViaEncoder::Open(const EncoderJob& job) {
  const ViaCodec::Functions* f = ViaCodec::Get();
  if (job.jobRate != 44100 || f == nullptr) return 99;
  handle_ = f->encode_init(job.path.c_str(), static_cast<int>(job.jobRate), job.targetChannels,
                           static_cast<double>(job.lengthSeconds), RoundMp3Bitrate(job.bitrate * 1000));
  if (handle_ == nullptr) return 99;
  f->encode_setopt(handle_, 1, 1000);
  f->encode_SetMetaData(handle_, "", "", "", "", "", "", "");
  state_ = 0;
  return 0;
}

bool ViaEncoder::Write(const std::uint8_t* pcm, int bytes) {
  const ViaCodec::Functions* f = ViaCodec::Get();
  if (f == nullptr || handle_ == nullptr) return false;
  if (bytes <= 0) return true;
  return f->encode(handle_, pcm, bytes, &state_) == 0;
}

bool ViaEncoder::Finish() {
  const ViaCodec::Functions* f = ViaCodec::Get();
  if (f == nullptr || handle_ == nullptr) return false;
  static const std::uint8_t kNothing[4] = {};
  bool ok = f->encode(handle_, kNothing, 0, &state_) == 0;
  ok = f->encode_stop(handle_) == 0 && ok;
  handle_ = nullptr;
  return ok;
}

}  // namespace TYX::Convert
