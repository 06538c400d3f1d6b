#pragma once
// VIA encoder: averages groups of frames (the group size chosen from the bit rate asked for), codes the
// averages with IMA ADPCM and writes them in audio chunks.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "components/via/ima_adpcm.h"
#include "components/via/via_api.h"

namespace TYX::Via {

class ViaEncoder {
 public:
  static std::unique_ptr<ViaEncoder> Create(const std::string& path, int rate, int channels, double seconds,
                                            int bitrate);
  ~ViaEncoder();
  ViaEncoder(const ViaEncoder&) = delete;
  ViaEncoder& operator=(const ViaEncoder&) = delete;

  bool SetChunkMilliseconds(int ms);
  bool SetMetaData(const VIA_MetaData& meta);
  // Any number of bytes of interleaved 16-bit PCM; a frame split between calls is joined. 0 bytes
  // flushes the end of the stream (an incomplete last frame is dropped).
  bool Encode(const void* pcm, int bytes);
  long BytesWritten() const { return written_; }
  // Flushes if needed, completes the stream information and closes the file.
  bool Stop();

  // Frames averaged into one coded sample for a rate, channel count and bit rate.
  static int GroupFor(int rate, int channels, int bitrate);

 private:
  ViaEncoder() = default;
  bool AddSample(const int* values);
  bool AddFrame(const std::int16_t* frame);
  bool WriteAudioChunk(bool last);
  bool WriteBytes(const std::vector<std::uint8_t>& bytes);

  std::FILE* file_ = nullptr;
  int rate_ = 0;
  int channels_ = 0;
  int group_ = 1;
  int chunkSamples_ = 0;  // coded samples per channel per chunk
  std::uint32_t totalFrames_ = 0;
  long written_ = 0;
  // Bytes of a frame split between two calls, kept until the rest comes.
  std::uint8_t partial_[4] = {};
  int partialBytes_ = 0;
  // The group being averaged.
  std::int64_t groupSum_[2] = {0, 0};
  int groupFrames_ = 0;
  // The chunk being coded: its starting states and the codes per channel.
  ImaState state_[2];
  ImaState chunkStart_[2];
  std::vector<std::uint8_t> codes_[2];
  bool flushed_ = false;
  bool failed_ = false;
};

}  // namespace TYX::Via
