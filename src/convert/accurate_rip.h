#pragma once
// Checksums of one ripped CD track, taken over its 16-bit stereo PCM as the disc holds it: the CRC32 of
// the bytes (the common "copy CRC") and the AccurateRip v1 and v2 track checksums.
//
// AccurateRip numbers the frames (one left and one right sample, read as one little-endian 32-bit
// word) of a track from 1. v1 sums frame x index modulo 2^32; v2 sums the high and the low 32 bits of
// each 64-bit product. The disc's first track leaves out its first 5 x 588 - 1 frames and the last
// track its last 5 x 588 frames, so that read offsets of the drive do not reach into lead-in or
// lead-out.
#include <cstddef>
#include <cstdint>

namespace TYX::Convert {

struct TYX_TrackChecksums {
  std::uint32_t crc32 = 0;
  std::uint32_t accurateRipV1 = 0;
  std::uint32_t accurateRipV2 = 0;
  std::uint64_t frames = 0;  // frames taken in (the whole track, skipped frames included)
};

class TYX_AccurateRip {
 public:
  static constexpr std::uint64_t kFramesPerSector = 588;
  static constexpr std::uint64_t kFirstTrackSkip = 5 * kFramesPerSector - 1;
  static constexpr std::uint64_t kLastTrackSkip = 5 * kFramesPerSector;

  // totalFrames: the track's length in frames (the last track's skip is counted back from it).
  TYX_AccurateRip(std::uint64_t totalFrames, bool firstTrack, bool lastTrack);

  // Takes the next bytes of the track in order; a frame split across calls is joined.
  void Update(const void* data, std::size_t bytes);
  // The checksums of everything taken so far (an unfinished frame is left out of the AccurateRip sums).
  TYX_TrackChecksums Result() const { return sums_; }

  // CRC32 (the zlib polynomial) continued from `crc` over the bytes.
  static std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t bytes);

 private:
  void AddFrame(std::uint32_t frame);

  std::uint64_t first_;  // lowest index summed
  std::uint64_t last_;   // highest index summed
  TYX_TrackChecksums sums_;
  std::uint32_t partial_ = 0;  // bytes of an unfinished frame
  std::size_t partialBytes_ = 0;
};

}  // namespace TYX::Convert
