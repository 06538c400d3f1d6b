#pragma once
// Songs the tests can tell apart by ear: a seeded sequence of notes with overtones, written as a
// 16-bit PCM WAV file. Different seeds give different melodies; the same seed gives the same samples.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace TYX::Test {

inline std::vector<std::int16_t> MelodyPcm(std::uint32_t seed, double seconds, int rate = 44100, int channels = 2) {
  const std::size_t frames = static_cast<std::size_t>(seconds * rate);
  std::vector<std::int16_t> pcm(frames * static_cast<std::size_t>(channels));
  std::uint64_t state = seed * 0x9E3779B97F4A7C15ull + 1;
  auto next = [&] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  const double kPi = 3.14159265358979323846;
  const std::size_t noteFrames = static_cast<std::size_t>(rate / 4);  // four notes a second
  double f1 = 0;
  double f2 = 0;
  for (std::size_t i = 0; i < frames; ++i) {
    const std::size_t inNote = i % noteFrames;
    if (inNote == 0) {
      f1 = 110.0 * std::pow(2.0, static_cast<double>(next() % 36) / 12.0);
      f2 = 110.0 * std::pow(2.0, static_cast<double>(next() % 36) / 12.0);
    }
    const double t = static_cast<double>(i) / rate;
    const double env = std::min(1.0, static_cast<double>(noteFrames - inNote) / (rate * 0.02)) *
                       std::min(1.0, static_cast<double>(inNote) / (rate * 0.01));
    double s = 0.35 * std::sin(2 * kPi * f1 * t) + 0.15 * std::sin(4 * kPi * f1 * t) + 0.25 * std::sin(2 * kPi * f2 * t) +
               0.08 * std::sin(6 * kPi * f2 * t);
    s *= env;
    for (int c = 0; c < channels; ++c) pcm[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] = static_cast<std::int16_t>(s * 30000);
  }
  return pcm;
}

// Writes a WAV file of the melody; false when it cannot be written.
inline bool WriteMelodyWav(const std::string& path, std::uint32_t seed, double seconds, int rate = 44100,
                           int channels = 2) {
  const std::vector<std::int16_t> pcm = MelodyPcm(seed, seconds, rate, channels);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  const std::uint32_t data = static_cast<std::uint32_t>(pcm.size() * 2);
  out.write("RIFF", 4);
  u32(36 + data);
  out.write("WAVEfmt ", 8);
  u32(16);
  u16(1);
  u16(static_cast<std::uint16_t>(channels));
  u32(static_cast<std::uint32_t>(rate));
  u32(static_cast<std::uint32_t>(rate * channels * 2));
  u16(static_cast<std::uint16_t>(channels * 2));
  u16(16);
  out.write("data", 4);
  u32(data);
  out.write(reinterpret_cast<const char*>(pcm.data()), static_cast<std::streamsize>(data));
  return static_cast<bool>(out);
}

}  // namespace TYX::Test
