#pragma once
// Audio files and images made by the tests themselves: a sine tone encoded with the real encoders
// (LAME, libvorbis, the WMA encoder of FFmpeg, PCM), and small images in real image formats.
#include <cstdint>
#include <string>
#include <vector>

namespace TYX::Test {

// FLAC, M4A (AAC in an MP4 container) and Opus (in Ogg; always 48 kHz, the rates Opus takes) come after
// the four formats the system converts between.
enum class SynthFormat { MP3, OGG, WMA, WAV, FLAC, M4A, OPUS };

struct SynthOptions {
  double seconds = 2.0;
  int sampleRate = 44100;
  int channels = 2;
  int bitRateKbps = 128;  // ignored for WAV
  double toneHz = 440.0;
};

// Writes the file; returns an empty text on success, else the reason.
std::string SynthesizeAudio(const std::string& path, SynthFormat format, const SynthOptions& options = {});
// The extension that goes with the format ("mp3", "ogg", "wma", "wav", "flac", "m4a", "opus").
const char* SynthExtension(SynthFormat format);

// A small picture with a colour gradient, encoded as "png", "jpg" or "bmp"; empty on failure.
std::vector<std::uint8_t> MakeImage(const std::string& kind, int width, int height);

void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadBytes(const std::string& path);

}  // namespace TYX::Test
