#pragma once
// Decodes an audio file with FFmpeg into interleaved signed 16-bit PCM at the file's own sample rate.
// Mono and stereo stay as they are; more channels are mixed down to stereo.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "components/audio/pcm_source.h"

struct AVFormatContext;
struct AVCodecContext;
struct SwrContext;
struct AVPacket;
struct AVFrame;

namespace TYX::Audio {

class FfmpegFileSource final : public TYX_PcmSource {
 public:
  // Opens the file's best audio stream. With `asfOnly`, only ASF (WMA) files are taken. On failure
  // returns nullptr and sets `errorCode` (audio_error.h numbering) and `errorText`.
  static std::unique_ptr<FfmpegFileSource> Open(const std::string& path, bool asfOnly, int* errorCode,
                                                std::string* errorText);
  ~FfmpegFileSource() override;
  FfmpegFileSource(const FfmpegFileSource&) = delete;
  FfmpegFileSource& operator=(const FfmpegFileSource&) = delete;

  int SampleRate() const override { return rate_; }
  int Channels() const override { return channels_; }
  std::int64_t LengthBytes() const override { return lengthBytes_; }
  int Read(void* buffer, int bytes) override;
  bool Ended() const override { return ended_; }
  std::int64_t PositionBytes() const override { return position_; }

 private:
  FfmpegFileSource() = default;
  // Decodes until more PCM is pending; false at the end of the file or on an error.
  bool DecodeMore();
  bool ConvertFrame();
  bool DrainResampler();

  AVFormatContext* fmt_ = nullptr;
  AVCodecContext* dec_ = nullptr;
  SwrContext* swr_ = nullptr;
  AVPacket* pkt_ = nullptr;
  AVFrame* frame_ = nullptr;
  int stream_ = -1;
  int rate_ = 0;
  int channels_ = 0;
  // Input layout the resampler was made for; it is made again when a frame differs.
  int swrInFormat_ = -1;
  int swrInRate_ = 0;
  int swrInChannels_ = 0;
  std::int64_t lengthBytes_ = -1;
  std::int64_t position_ = 0;
  std::vector<std::uint8_t> pending_;  // decoded bytes not yet read
  std::size_t pendingOff_ = 0;
  bool draining_ = false;  // the demuxer has ended; the decoder gives what it holds
  bool eof_ = false;       // nothing more will be decoded
  bool failed_ = false;
  bool ended_ = false;
};

}  // namespace TYX::Audio
