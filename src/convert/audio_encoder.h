#pragma once
// One target format as the extraction worker drives it: open the target, take blocks of interleaved
// 16-bit PCM, finish. The worker knows nothing else of a format; its reading policy (block size, whether
// empty reads are waited out) comes from FormatTraits.
#include <cstdint>
#include <memory>
#include <string>

namespace TYX::Convert {

// What an encoder is told about the job it writes.
struct EncoderJob {
  std::string path;           // the target file
  int bitrate = 0;            // kbps; above 1000 variable bit rate with quality bitrate - 1000
  int channels = 2;           // channel count of the PCM handed to Write
  unsigned pcmRate = 44100;   // sample rate of the PCM handed to Write
  unsigned jobRate = 44100;   // the job's normalised sample rate (MP3 output rate, VIA's check)
  int targetChannels = 2;     // the job's target channel count
  int lengthSeconds = 0;      // the source's length, which the VIA encoder is told
};

class AudioEncoder {
 public:
  virtual ~AudioEncoder() = default;
  // 0, or the job's result code: 2 when the target or the encoder cannot be opened, 99 when the VIA
  // encoder refuses the job.
  virtual int Open(const EncoderJob& job) = 0;
  // `bytes` of interleaved PCM as opened. False when the target did not take it; a block the codec
  // itself refuses is skipped and is no failure.
  virtual bool Write(const std::uint8_t* pcm, int bytes) = 0;
  // Writes what the codec still holds and closes the target; false when that could not be written.
  // Called once for every encoder that opened, also after a cancel or a failed write.
  virtual bool Finish() = 0;
};

// How the worker reads for a target format.
struct FormatTraits {
  int readBytes = 0;               // PCM block size
  bool waitsOutEmptyReads = false;  // an empty read is retried after 30 ms; the fourth in a row stalls
  bool at44100 = false;            // the target is written at 44100 Hz, so other rates are resampled
  bool alwaysStereo = false;       // the PCM is made stereo whatever the target channel count
};

// The traits of EXTRACT_FORMAT 0-4; readBytes 0 for any other value.
FormatTraits TraitsOfFormat(int format);
// The encoder of EXTRACT_FORMAT 0-4, null for any other value.
std::unique_ptr<AudioEncoder> MakeEncoder(int format);

}  // namespace TYX::Convert
