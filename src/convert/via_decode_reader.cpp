#include "convert/via_decode_reader.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "components/via/via_api.h"
#include "components/via/via_chunks.h"
#include "convert/via_codec.h"
#include "platform/os_services.h"
#include "platform/thread.h"
#include "platform/user_agent.h"
#include "platform/window.h"

namespace TYX::Convert {

namespace {


}  // namespace

ViaDecodeReader::ViaDecodeReader() { codecOk_ = ViaCodec::Acquire(); }

ViaDecodeReader::~ViaDecodeReader() {
  Stop();
  ViaCodec::Release();
}

std::string ViaDecodeReader::TempPath() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return tempPath_;
}

bool ViaDecodeReader::Open(const std::string& path) {
  Stop();
  if (!codecOk_ || ViaCodec::Get() == nullptr) return false;
  if (!Via::ReadWholeFile(path, &image_) || image_.size() < static_cast<std::size_t>(Via::kInfoChunkBytes)) {
    image_.clear();
    return false;
  }
  const std::uint8_t* info = image_.data();
  const std::uint32_t len = Via::Get32(info);
  if (len < static_cast<std::uint32_t>(Via::kInfoChunkBytes) || len > Via::kMaxChunkBytes || info[6] != Via::kKindInfo) {
    image_.clear();
    return false;
  }
  const unsigned channels = Via::Get16(info + 36);
  const unsigned rate = Via::Get16(info + 38);
  const unsigned seconds = Via::Get16(info + 60);
  if (channels < 1 || channels > 2 || rate == 0) {
    image_.clear();
    return false;
  }
  rate_ = rate;
  channels_ = static_cast<int>(channels);
  // The frame count the encoder completes when it stops is exact; whole seconds are the fallback for a
  // file that lacks it (0 for anything under a second, and the dialogs divide by the total).
  const std::uint32_t frames = Via::Get32(info + Via::kInfoTotalFrames);
  total_ = frames > 0 ? static_cast<std::int64_t>(frames) * channels * 2
                      : static_cast<std::int64_t>(seconds) * rate * channels * 2;
  std::string tmpl = Win::Os::GetTempFolder() + "/AM_XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) {
    image_.clear();
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    temp_ = fdopen(fd, "a+b");
    if (temp_ == nullptr) {
      ::close(fd);
      std::remove(name.data());
      image_.clear();
      return false;
    }
    tempPath_ = name.data();
    decoded_ = 0;
    readPos_ = 0;
    ended_ = false;
  }
  stop_ = false;
  thread_ = Win::Thread::Create([this] {
    ReaderMain();
    return Win::DWORD{0};
  }, false);
  if (!thread_) {
    Stop();
    return false;
  }
  return true;
}

void ViaDecodeReader::ReaderMain() {
  const ViaCodec::Functions* f = ViaCodec::Get();
  VIA_HANDLE decoder = nullptr;
  std::vector<std::uint8_t> out(4096);
  std::size_t off = 0;
  int count = 0;
  while (f != nullptr && off + Via::kHeaderBytes <= image_.size()) {
    const std::uint8_t* chunk = image_.data() + off;
    const std::uint32_t len = Via::Get32(chunk);
    // A chunk longer than 8192 bytes, or one cut short, ends the file.
    if (len < static_cast<std::uint32_t>(Via::kHeaderBytes) || len > Via::kMaxChunkBytes || off + len > image_.size()) break;
    const std::uint8_t kind = chunk[6];
    if (kind == Via::kKindInfo) {
      if (decoder != nullptr) f->decode_stop(decoder);
      decoder = f->decode_init(chunk);
    } else if (kind == Via::kKindAudio && decoder != nullptr && len > static_cast<std::uint32_t>(Via::kAudioDataOffset)) {
      int n;
      while ((n = f->decode(decoder, out.data(), 4096, chunk + Via::kAudioDataOffset,
                            static_cast<int>(len) - Via::kAudioDataOffset, 0, 0)) > 0) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (temp_ == nullptr) break;
        std::fseek(temp_, 0, SEEK_END);
        if (std::fwrite(out.data(), 1, static_cast<std::size_t>(n), temp_) != static_cast<std::size_t>(n)) break;
        decoded_ += n;
        cv_.notify_all();
      }
    }
    off += len;
    if (++count % 5 == 0 && stop_) break;
  }
  if (decoder != nullptr) f->decode_stop(decoder);
  std::lock_guard<std::mutex> lock(mutex_);
  ended_ = true;
  cv_.notify_all();
}

Audio::DWORD ViaDecodeReader::ReadPcm(void* buffer, Audio::DWORD length) {
  std::unique_lock<std::mutex> lock(mutex_);
  // Waits for the reader rather than reporting an end that has not come.
  cv_.wait(lock, [&] { return ended_ || decoded_ > readPos_ || stop_; });
  if (temp_ == nullptr) return Audio::BASS_STREAMPROC_END;
  std::size_t n = 0;
  if (std::fseek(temp_, static_cast<long>(readPos_), SEEK_SET) == 0) {
    n = std::fread(buffer, 1, length, temp_);
  }
  readPos_ += static_cast<std::int64_t>(n);
  const bool done = (ended_ && readPos_ >= decoded_) || n == 0;
  return static_cast<Audio::DWORD>(n) | (done ? Audio::BASS_STREAMPROC_END : 0);
}

Audio::DWORD ViaDecodeReader::CALLBACK_StreamProc(Audio::HSTREAM, void* buffer, Audio::DWORD length, void* user) {
  auto* reader = static_cast<ViaDecodeReader*>(user);
  try {
    return reader->ReadPcm(buffer, length);
  } catch (const std::exception& e) {
    Win::MessageBox(Win::GetMainWindow(), "에러2", "", Win::MB_OK);
    std::fprintf(stderr, "ViaDecodeReader: %s\n", e.what());
    return Audio::BASS_STREAMPROC_END;
  }
}

void ViaDecodeReader::Stop() {
  stop_ = true;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    cv_.notify_all();
  }
  if (thread_) {
    thread_->Wait();
    thread_.reset();
  }
  image_.clear();
  image_.shrink_to_fit();
  std::lock_guard<std::mutex> lock(mutex_);
  if (temp_ != nullptr) {
    std::fclose(temp_);
    temp_ = nullptr;
  }
  if (!tempPath_.empty()) {
    std::remove(tempPath_.c_str());
    tempPath_.clear();
  }
  decoded_ = 0;
  readPos_ = 0;
  ended_ = false;
  rate_ = 44100;
  channels_ = 2;
  total_ = 0;
}

}  // namespace TYX::Convert
