#pragma once
// Converts interleaved signed 16-bit PCM from one sample rate to another (libswresample), keeping the
// channel count. Streaming: Process any number of times, then Flush once for the resampler's tail.
#include <cstdint>
#include <vector>

struct SwrContext;

namespace TYX::Audio {

class PcmResampler {
 public:
  PcmResampler(int inRate, int outRate, int channels);
  ~PcmResampler();
  PcmResampler(const PcmResampler&) = delete;
  PcmResampler& operator=(const PcmResampler&) = delete;

  bool ok() const { return swr_ != nullptr; }
  int inRate() const { return inRate_; }
  int outRate() const { return outRate_; }
  // Appends the converted frames of `frames` input frames to `out`. False on failure.
  bool Process(const std::int16_t* in, int frames, std::vector<std::int16_t>* out);
  // Appends what the resampler still holds.
  bool Flush(std::vector<std::int16_t>* out);

 private:
  SwrContext* swr_ = nullptr;
  int inRate_;
  int outRate_;
  int channels_;
};

}  // namespace TYX::Audio
