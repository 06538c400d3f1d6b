#include "convert/mp3_encoder.h"

#include <lame/lame.h>

#include "convert/extractor_helpers.h"

namespace TYX::Convert {

Mp3Encoder::Mp3Encoder() : out_(10240, 0) {}

Mp3Encoder::~Mp3Encoder() {
  if (lame_ != nullptr || file_ != nullptr) Finish();
}

int Mp3Encoder::Open(const std::string& path, int bitrate, int targetChannels, unsigned inRate,
                     unsigned jobRate) {
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) return 2;
  lame_ = lame_init();
  if (lame_ == nullptr) return 2;
  id3tag_init(lame_);
  // LAME's own setter takes any quality and clamps it; a quality outside 0 to 9 is refused here, so the
  // encoder keeps its default.
  const int quality = bitrate - 1000;
  if (bitrate > 1000) {
    if (lame_get_VBR(lame_) == vbr_off) lame_set_VBR(lame_, vbr_rh);
    if (quality >= 0 && quality <= 9) lame_set_VBR_q(lame_, quality);
    if (lame_get_VBR_q(lame_) < 0) lame_set_VBR_q(lame_, 0);
    if (lame_get_VBR_q(lame_) > 9) lame_set_VBR_q(lame_, 9);
  } else {
    lame_set_brate(lame_, bitrate);
    lame_set_VBR(lame_, vbr_off);
  }
  if (targetChannels == 1) {
    lame_set_mode(lame_, MONO);
    lame_set_num_channels(lame_, 1);
  } else {
    lame_set_mode(lame_, JOINT_STEREO);
    lame_set_num_channels(lame_, 2);
  }
  lame_set_in_samplerate(lame_, static_cast<int>(inRate));
  lame_set_out_samplerate(lame_, static_cast<int>(Mp3OutputRate(jobRate, bitrate)));
  lame_set_bWriteVbrTag(lame_, 0);
  id3tag_set_artist(lame_, "");
  id3tag_set_album(lame_, "");
  id3tag_set_title(lame_, "");
  id3tag_set_track(lame_, "");
  id3tag_set_year(lame_, "");
  id3tag_set_comment(lame_, "");
  id3tag_set_genre(lame_, "");
  if (lame_init_params(lame_) < 0) return 2;
  return 0;
}

int Mp3Encoder::Open(const EncoderJob& job) {
  return Open(job.path, job.bitrate, job.targetChannels, job.pcmRate, job.jobRate);
}

bool Mp3Encoder::Write(const std::uint8_t* pcm, int bytes) {
  return Encode(reinterpret_cast<const std::int16_t*>(pcm), bytes / 4);
}

bool Mp3Encoder::Encode(const std::int16_t* pcm, int frames) {
  if (lame_ == nullptr || file_ == nullptr) return false;
  if (frames <= 0) return true;
  const std::size_t needed = static_cast<std::size_t>(frames * 1.25) + 7200;
  if (needed > out_.size()) out_.assign(needed, 0);
  // LAME reads the buffer as stereo frames; with one output channel it takes the left samples.
  const int r = lame_encode_buffer_interleaved(lame_, const_cast<short*>(pcm), frames, out_.data(),
                                               static_cast<int>(needed));
  if (r <= 0) return true;
  return std::fwrite(out_.data(), 1, static_cast<std::size_t>(r), file_) == static_cast<std::size_t>(r);
}

bool Mp3Encoder::Finish() {
  bool ok = true;
  if (lame_ != nullptr) {
    if (file_ != nullptr) {
      const int r = lame_encode_flush(lame_, out_.data(), 7200);
      if (r > 0) ok = std::fwrite(out_.data(), 1, static_cast<std::size_t>(r), file_) == static_cast<std::size_t>(r);
      lame_mp3_tags_fid(lame_, file_);
    }
    lame_close(lame_);
    lame_ = nullptr;
  }
  if (file_ != nullptr) {
    ok = std::fflush(file_) == 0 && ok;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
  }
  return ok;
}

int Mp3Encoder::VbrQuality() const { return lame_ ? lame_get_VBR_q(lame_) : -1; }
bool Mp3Encoder::IsVbr() const { return lame_ && lame_get_VBR(lame_) != vbr_off; }
int Mp3Encoder::Bitrate() const { return lame_ ? lame_get_brate(lame_) : -1; }
int Mp3Encoder::OutSampleRate() const { return lame_ ? lame_get_out_samplerate(lame_) : -1; }
int Mp3Encoder::Mode() const { return lame_ ? static_cast<int>(lame_get_mode(lame_)) : -1; }

}  // namespace TYX::Convert
