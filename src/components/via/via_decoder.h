#pragma once
// VIA decoder: decodes the IMA ADPCM samples of each audio chunk and spreads them back over their
// groups of frames by linear interpolation between group centres.
#include <cstdint>
#include <memory>
#include <vector>

namespace TYX::Via {

class ViaDecoder {
 public:
  // Null when the chunk is not a stream-information chunk this decoder knows.
  static std::unique_ptr<ViaDecoder> Create(const std::uint8_t* infoChunk);

  // See VIA_decode: up to `outBytes` bytes of the chunk's PCM per call, 0 once it is used up, -1 on bad
  // data.
  int Decode(std::uint8_t* out, int outBytes, const std::uint8_t* data, int dataBytes);

 private:
  ViaDecoder() = default;
  bool Expand(const std::uint8_t* data, int dataBytes);
  void EmitUpTo(std::int64_t endFrame, bool hold);
  void Emit(std::int64_t frame, const int* values);

  int channels_ = 0;
  int group_ = 1;
  std::int64_t samples_ = 0;     // coded samples decoded so far (per channel)
  int prev_[2] = {0, 0};         // last decoded sample
  int cur_[2] = {0, 0};          // the one before it, while interpolating
  std::int64_t nextFrame_ = 0;   // next frame to produce
  std::int64_t limit_ = -1;      // frames of the stream once the last chunk said so
  std::vector<std::int16_t> pcm_;  // produced frames of the current chunk not yet handed out
  std::size_t pcmOff_ = 0;
  bool inChunk_ = false;         // the current chunk is expanded and being handed out
};

}  // namespace TYX::Via
