#include "components/audio/pcm_resampler.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

namespace TYX::Audio {

PcmResampler::PcmResampler(int inRate, int outRate, int channels)
    : inRate_(inRate), outRate_(outRate), channels_(channels) {
  if (inRate <= 0 || outRate <= 0 || channels <= 0) return;
  AVChannelLayout layout;
  av_channel_layout_default(&layout, channels);
  int r = swr_alloc_set_opts2(&swr_, &layout, AV_SAMPLE_FMT_S16, outRate, &layout, AV_SAMPLE_FMT_S16, inRate,
                              0, nullptr);
  av_channel_layout_uninit(&layout);
  if (r < 0 || swr_init(swr_) < 0) swr_free(&swr_);
}

PcmResampler::~PcmResampler() { swr_free(&swr_); }

bool PcmResampler::Process(const std::int16_t* in, int frames, std::vector<std::int16_t>* out) {
  if (swr_ == nullptr || frames < 0) return false;
  if (frames == 0) return true;
  const int room = swr_get_out_samples(swr_, frames);
  if (room < 0) return false;
  const std::size_t old = out->size();
  out->resize(old + static_cast<std::size_t>(room) * channels_);
  auto* dst = reinterpret_cast<std::uint8_t*>(out->data() + old);
  auto* src = reinterpret_cast<const std::uint8_t*>(in);
  int got = swr_convert(swr_, &dst, room, &src, frames);
  if (got < 0) {
    out->resize(old);
    return false;
  }
  out->resize(old + static_cast<std::size_t>(got) * channels_);
  return true;
}

bool PcmResampler::Flush(std::vector<std::int16_t>* out) {
  if (swr_ == nullptr) return false;
  for (;;) {
    const int room = 4096;
    const std::size_t old = out->size();
    out->resize(old + static_cast<std::size_t>(room) * channels_);
    auto* dst = reinterpret_cast<std::uint8_t*>(out->data() + old);
    int got = swr_convert(swr_, &dst, room, nullptr, 0);
    if (got <= 0) {
      out->resize(old);
      return got == 0;
    }
    out->resize(old + static_cast<std::size_t>(got) * channels_);
  }
}

}  // namespace TYX::Audio
