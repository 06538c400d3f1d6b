#pragma once
// Pure helpers of the extraction worker: sample-rate, channel and MP3 bit-rate rules and the in-place
// channel conversion of 16-bit PCM.
#include <cstdint>
#include <string>

namespace TYX::Convert {

// Below 1: 44100; else the first of 8000 ... 44100 not below the rate; 44101-48000: 48000; above: 44100.
unsigned NormalizeSampleRate(unsigned rate);
// 1 and 2 stay; anything else gives 2.
int NormalizeChannels(int channels);
// Bits per second of the smallest standard MP3 bit rate not below `b` (up to 448 taken as kbps, above
// as bits per second); -1 for a negative value, 0 above 448000 bits per second.
int RoundMp3Bitrate(int b);
// True when `bitsPerSecond` is a Layer III bit rate for the sample rate: ISO/IEC 11172-3 for 32000,
// 44100 and 48000 Hz, ISO/IEC 13818-3 for every other rate.
bool IsLayer3Bitrate(unsigned sampleRate, int bitsPerSecond);
// The MP3 output rate for a job: its normalised rate when the rounded bit rate is allowed there,
// else 44100.
unsigned Mp3OutputRate(unsigned sampleRate, int bitrate);
// Converts 16-bit little-endian PCM in place from `from` to `to` channels (1 or 2) and returns the new
// byte count. Mono to stereo doubles the bytes (the buffer must hold twice `bytes`); stereo to mono keeps
// the left sample. Equal counts, other counts and non-positive byte counts leave the data as it is.
int ConvertChannels(std::uint8_t* buffer, int bytes, int from, int to);
// True when both paths name one existing file, however spelt: "./", "..", symbolic and hard links.
bool IsSameFile(const std::string& a, const std::string& b);

}  // namespace TYX::Convert
