#include "convert/wav_writer.h"

#include <cstring>

#include "platform/user_agent.h"
#include "platform/window.h"

namespace TYX::Convert {

namespace {

void Put16(std::uint8_t* p, unsigned v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

WavWriter::~WavWriter() {
  if (file_ != nullptr) Finish();
}

bool WavWriter::Open(const std::string& path, unsigned rate, int channels) {
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) return false;
  std::uint8_t h[44] = {};
  std::memcpy(h, "RIFF", 4);
  std::memcpy(h + 8, "WAVE", 4);
  std::memcpy(h + 12, "fmt ", 4);
  Put32(h + 16, 16);
  Put16(h + 20, 1);
  Put16(h + 22, static_cast<unsigned>(channels));
  Put32(h + 24, rate);
  Put32(h + 28, rate * static_cast<unsigned>(channels) * 2);
  Put16(h + 32, static_cast<unsigned>(channels) * 2);
  Put16(h + 34, 16);
  std::memcpy(h + 36, "data", 4);
  return std::fwrite(h, 1, sizeof(h), file_) == sizeof(h);
}

int WavWriter::Open(const EncoderJob& job) {
  if (Open(job.path, job.pcmRate, job.channels)) return 0;
  Win::MessageBox(Win::GetMainWindow(), "Can't create file", "", Win::MB_OK);
  return 2;
}

bool WavWriter::Write(const void* data, std::size_t bytes) {
  return file_ != nullptr && std::fwrite(data, 1, bytes, file_) == bytes;
}

bool WavWriter::Finish() {
  if (file_ == nullptr) return false;
  bool ok = std::fflush(file_) == 0;
  const long size = std::ftell(file_);
  ok = ok && size >= 44;
  if (ok) {
    std::uint8_t v[4];
    Put32(v, static_cast<std::uint32_t>(size - 8));
    ok = std::fseek(file_, 4, SEEK_SET) == 0 && std::fwrite(v, 1, 4, file_) == 4;
    Put32(v, static_cast<std::uint32_t>(size - 44));
    ok = ok && std::fseek(file_, 40, SEEK_SET) == 0 && std::fwrite(v, 1, 4, file_) == 4;
    ok = ok && std::fflush(file_) == 0;
  }
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  return ok;
}

}  // namespace TYX::Convert
