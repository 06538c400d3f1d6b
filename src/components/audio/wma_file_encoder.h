#pragma once
// Writes WMA (FFmpeg's wmav2 encoder) into an ASF file from interleaved signed 16-bit PCM.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVCodecContext;
struct AVStream;
struct AVFrame;
struct AVPacket;
struct SwrContext;

namespace TYX::Audio {

class WmaFileEncoder {
 public:
  // `bitrate` in bits per second. With `deferHeader`, tags are taken until CloseTags (or the first
  // write). On failure returns nullptr with `errorCode` and `errorText` set.
  static std::unique_ptr<WmaFileEncoder> Open(int rate, int channels, int bitrate, bool deferHeader,
                                              const std::string& path, int* errorCode, std::string* errorText);
  ~WmaFileEncoder();
  WmaFileEncoder(const WmaFileEncoder&) = delete;
  WmaFileEncoder& operator=(const WmaFileEncoder&) = delete;

  // Adds a tag (before the header is written). False once the header is out.
  bool SetTag(const std::string& tag, const std::string& value);
  // Writes the header with the tags so far.
  bool CloseTags();
  // Whole frames of interleaved PCM at the rate and channel count given to Open.
  bool Write(const void* pcm, std::size_t bytes);
  // Encodes what is left, writes the trailer and closes the file.
  bool Close();

 private:
  WmaFileEncoder() = default;
  bool EncodeFrame(bool last);
  bool Drain(bool flush);

  AVFormatContext* oc_ = nullptr;
  AVCodecContext* enc_ = nullptr;
  AVStream* st_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* pkt_ = nullptr;
  int channels_ = 0;
  int frameSize_ = 0;
  std::int64_t pts_ = 0;
  std::vector<float> planar_[2];  // samples waiting for a full encoder frame, per channel
  bool headerWritten_ = false;
  bool closed_ = false;
  bool failed_ = false;
};

}  // namespace TYX::Audio
