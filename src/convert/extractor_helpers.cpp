#include "convert/extractor_helpers.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace TYX::Convert {

unsigned NormalizeSampleRate(unsigned rate) {
  static constexpr unsigned kRates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100};
  if (rate < 1) return 44100;
  for (unsigned r : kRates) {
    if (r >= rate) return r;
  }
  if (rate <= 48000) return 48000;
  return 44100;
}

int NormalizeChannels(int channels) { return channels == 1 || channels == 2 ? channels : 2; }

int RoundMp3Bitrate(int b) {
  static constexpr int kRates[] = {8000,   16000,  24000,  32000,  40000,  48000,  56000,  64000,
                                   80000,  96000,  112000, 128000, 144000, 160000, 176000, 192000,
                                   224000, 256000, 288000, 320000, 352000, 384000, 416000, 448000};
  if (b < 0) return -1;
  const long long bps = b <= 448 ? static_cast<long long>(b) * 1000 : b;
  for (int r : kRates) {
    if (r >= bps) return r;
  }
  return 0;
}

bool IsLayer3Bitrate(unsigned sampleRate, int bitsPerSecond) {
  static constexpr int kMpeg1[] = {32000,  40000,  48000,  56000,  64000,  80000,  96000,
                                   112000, 128000, 160000, 192000, 224000, 256000, 320000};
  static constexpr int kMpeg2[] = {8000,  16000, 24000, 32000,  40000,  48000,  56000,
                                   64000, 80000, 96000, 112000, 128000, 144000, 160000};
  const bool mpeg1 = sampleRate == 32000 || sampleRate == 44100 || sampleRate == 48000;
  if (mpeg1) return std::find(std::begin(kMpeg1), std::end(kMpeg1), bitsPerSecond) != std::end(kMpeg1);
  return std::find(std::begin(kMpeg2), std::end(kMpeg2), bitsPerSecond) != std::end(kMpeg2);
}

unsigned Mp3OutputRate(unsigned sampleRate, int bitrate) {
  const unsigned r = NormalizeSampleRate(sampleRate);
  return IsLayer3Bitrate(r, RoundMp3Bitrate(bitrate)) ? r : 44100;
}

int ConvertChannels(std::uint8_t* buffer, int bytes, int from, int to) {
  if (bytes <= 0 || from == to) return bytes;
  auto* s = reinterpret_cast<std::int16_t*>(buffer);
  if (from == 1 && to == 2) {
    const int samples = bytes / 2;
    // Back to front, so no sample is overwritten before it is copied.
    for (int i = samples - 1; i >= 0; --i) {
      const std::int16_t v = s[i];
      s[2 * i] = v;
      s[2 * i + 1] = v;
    }
    return samples * 4;
  }
  if (from == 2 && to == 1) {
    const int frames = bytes / 4;
    for (int i = 0; i < frames; ++i) s[i] = s[2 * i];
    return frames * 2;
  }
  return bytes;
}

bool IsSameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  // The file's identity, not its spelling: stat follows links and resolves every "." and "..".
  struct stat sa {};
  struct stat sb {};
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace TYX::Convert
