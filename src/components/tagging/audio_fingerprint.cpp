#include "components/tagging/audio_fingerprint.h"

#include <chromaprint.h>

#include <algorithm>
#include <bit>
#include <memory>

#include "components/audio/ffmpeg_file_source.h"
#include "components/audio/pcm_resampler.h"

namespace TYX::Tagging {
namespace {

struct ContextDeleter {
  void operator()(ChromaprintContext* c) const { chromaprint_free(c); }
};
using Context = std::unique_ptr<ChromaprintContext, ContextDeleter>;

// Feeds PCM to a started context; finish and read out with Finish.
class Fingerprinter {
 public:
  // The sound is brought to mono at Chromaprint's own rate here, with the audio layer's resampler, so
  // Chromaprint does no conversion of its own (and a two-minute song costs a quarter of the work).
  bool Start(int rate, int channels, std::string& error) {
    channels_ = channels;
    ctx_.reset(chromaprint_new(CHROMAPRINT_ALGORITHM_DEFAULT));
    if (!ctx_) {
      error = "the fingerprinter could not be made";
      return false;
    }
    if (rate != kPrintRate) {
      resampler_ = std::make_unique<Audio::PcmResampler>(rate, kPrintRate, 1);
      if (!resampler_->ok()) {
        error = "the sound cannot be resampled from " + std::to_string(rate) + " Hz";
        return false;
      }
    }
    if (chromaprint_start(ctx_.get(), kPrintRate, 1) != 1) {
      error = "the fingerprinter could not be started";
      return false;
    }
    return true;
  }
  // Interleaved samples of all channels; count is the number of samples (frames x channels).
  bool Feed(const std::int16_t* samples, int count) {
    const int frames = count / channels_;
    mono_.resize(static_cast<std::size_t>(frames));
    for (int f = 0; f < frames; ++f) {
      int sum = 0;
      for (int c = 0; c < channels_; ++c) sum += samples[f * channels_ + c];
      mono_[static_cast<std::size_t>(f)] = static_cast<std::int16_t>(sum / channels_);
    }
    if (!resampler_) return chromaprint_feed(ctx_.get(), mono_.data(), frames) == 1;
    resampled_.clear();
    if (!resampler_->Process(mono_.data(), frames, &resampled_)) return false;
    return resampled_.empty() || chromaprint_feed(ctx_.get(), resampled_.data(), static_cast<int>(resampled_.size())) == 1;
  }
  bool Finish(AudioFingerprint& out, std::string& error) {
    if (resampler_) {
      resampled_.clear();
      if (resampler_->Flush(&resampled_) && !resampled_.empty()) {
        chromaprint_feed(ctx_.get(), resampled_.data(), static_cast<int>(resampled_.size()));
      }
    }
    if (chromaprint_finish(ctx_.get()) != 1) {
      error = "the fingerprint could not be finished";
      return false;
    }
    std::uint32_t* raw = nullptr;
    int size = 0;
    if (chromaprint_get_raw_fingerprint(ctx_.get(), &raw, &size) != 1 || raw == nullptr || size <= 0) {
      if (raw != nullptr) chromaprint_dealloc(raw);
      error = "the sound is too short to be recognised";
      return false;
    }
    out.raw.assign(raw, raw + size);
    chromaprint_dealloc(raw);
    char* encoded = nullptr;
    if (chromaprint_get_fingerprint(ctx_.get(), &encoded) == 1 && encoded != nullptr) {
      out.encoded = encoded;
      chromaprint_dealloc(encoded);
    }
    return true;
  }

 private:
  static constexpr int kPrintRate = 11025;
  Context ctx_;
  int channels_ = 1;
  std::unique_ptr<Audio::PcmResampler> resampler_;
  std::vector<std::int16_t> mono_;
  std::vector<std::int16_t> resampled_;
};

}  // namespace

FingerprintResult FingerprintFile(const std::string& path) {
  FingerprintResult result;
  int code = 0;
  std::string text;
  auto source = Audio::FfmpegFileSource::Open(path, false, &code, &text);
  if (!source) {
    result.error = "the file cannot be decoded: " + (text.empty() ? path : text);
    return result;
  }
  const int rate = source->SampleRate();
  const int channels = source->Channels();
  if (rate <= 0 || channels <= 0) {
    result.error = "the file has no usable audio stream: " + path;
    return result;
  }
  Fingerprinter fp;
  if (!fp.Start(rate, channels, result.error)) return result;
  const std::int64_t frameBytes = static_cast<std::int64_t>(channels) * 2;
  const std::int64_t wanted = static_cast<std::int64_t>(rate) * kFingerprintSeconds * frameBytes;
  std::vector<std::int16_t> buffer(static_cast<std::size_t>(channels) * 16384);
  std::int64_t fed = 0;
  while (fed < wanted) {
    const int want = static_cast<int>(std::min<std::int64_t>(static_cast<std::int64_t>(buffer.size()) * 2, wanted - fed));
    const int got = source->Read(buffer.data(), want);
    if (got < 0) {
      result.error = "the file could not be decoded to its end: " + path;
      return result;
    }
    if (got == 0) break;
    if (!fp.Feed(buffer.data(), got / 2)) {
      result.error = "the fingerprinter refused the sound of " + path;
      return result;
    }
    fed += got;
  }
  if (!fp.Finish(result.fingerprint, result.error)) return result;
  // The duration of the whole file: its announced length, else what was decoded when it ended early.
  std::int64_t lengthBytes = source->LengthBytes();
  if (lengthBytes < 0 && source->Ended()) lengthBytes = fed;
  if (lengthBytes < 0) {
    // Unknown length and more to come: decode on only to count.
    lengthBytes = fed;
    for (int got; (got = source->Read(buffer.data(), static_cast<int>(buffer.size() * 2))) > 0;) lengthBytes += got;
  }
  result.fingerprint.durationMs = static_cast<std::uint32_t>(lengthBytes * 1000 / (frameBytes * rate));
  result.ok = true;
  return result;
}

FingerprintResult FingerprintPcm(const std::int16_t* samples, std::size_t frames, int sampleRate, int channels) {
  FingerprintResult result;
  if (sampleRate <= 0 || channels <= 0) {
    result.error = "no sample rate or channel count";
    return result;
  }
  Fingerprinter fp;
  if (!fp.Start(sampleRate, channels, result.error)) return result;
  const std::size_t limit = std::min<std::size_t>(frames, static_cast<std::size_t>(sampleRate) * kFingerprintSeconds);
  std::size_t done = 0;
  while (done < limit) {
    const std::size_t n = std::min<std::size_t>(limit - done, 65536);
    if (!fp.Feed(samples + done * static_cast<std::size_t>(channels), static_cast<int>(n * static_cast<std::size_t>(channels)))) {
      result.error = "the fingerprinter refused the sound";
      return result;
    }
    done += n;
  }
  if (!fp.Finish(result.fingerprint, result.error)) return result;
  result.fingerprint.durationMs = static_cast<std::uint32_t>(frames * 1000 / static_cast<std::size_t>(sampleRate));
  result.ok = true;
  return result;
}

double BitErrorRate(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b, int offset,
                    std::size_t minOverlap) {
  const std::int64_t aStart = std::max<std::int64_t>(0, offset);
  const std::int64_t bStart = std::max<std::int64_t>(0, -static_cast<std::int64_t>(offset));
  const std::int64_t n = std::min<std::int64_t>(static_cast<std::int64_t>(a.size()) - aStart,
                                                static_cast<std::int64_t>(b.size()) - bStart);
  if (n <= 0 || static_cast<std::size_t>(n) < std::max<std::size_t>(1, minOverlap)) return 1.0;
  std::uint64_t errors = 0;
  for (std::int64_t i = 0; i < n; ++i) errors += static_cast<std::uint64_t>(std::popcount(a[static_cast<std::size_t>(aStart + i)] ^ b[static_cast<std::size_t>(bStart + i)]));
  return static_cast<double>(errors) / (static_cast<double>(n) * 32.0);
}

double BestBitErrorRate(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b, int maxShift,
                        std::size_t minOverlap) {
  double best = 1.0;
  for (int offset = -maxShift; offset <= maxShift; ++offset) best = std::min(best, BitErrorRate(a, b, offset, minOverlap));
  return best;
}

}  // namespace TYX::Tagging
