#pragma once
// The sound of a file as Chromaprint sees it: the raw fingerprint of its first two minutes (about eight
// 32-bit values a second), the same in Chromaprint's compressed text form for web services, and the
// file's duration.
#include <cstdint>
#include <string>
#include <vector>

namespace TYX::Tagging {

constexpr int kFingerprintSeconds = 120;

struct AudioFingerprint {
  std::vector<std::uint32_t> raw;
  std::string encoded;              // compressed, base64 (URL-safe), as web services take it
  std::uint32_t durationMs = 0;     // of the whole file
};

struct FingerprintResult {
  bool ok = false;
  AudioFingerprint fingerprint;
  std::string error;  // why, unless ok
};

// Decodes the file through the audio layer and fingerprints its first kFingerprintSeconds. Fails for a
// file that cannot be decoded and for one too short to give a fingerprint.
FingerprintResult FingerprintFile(const std::string& path);
// The same for PCM already in memory (interleaved signed 16-bit); durationMs is taken from its length.
FingerprintResult FingerprintPcm(const std::int16_t* samples, std::size_t frames, int sampleRate, int channels);

// Bit error rate of b against a over their overlap when b is shifted by offset items (b[i] against
// a[i + offset]); 1.0 when they do not overlap by at least minOverlap items.
double BitErrorRate(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b, int offset,
                    std::size_t minOverlap);
// The best (lowest) bit error rate over offsets -maxShift..maxShift.
double BestBitErrorRate(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b, int maxShift,
                        std::size_t minOverlap);

}  // namespace TYX::Tagging
