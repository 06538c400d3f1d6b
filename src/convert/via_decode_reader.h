#pragma once
// Decodes a VIA file for the worker: a reader thread decodes the chunks of the file (held in memory)
// into a temporary "AM_" file, and a user stream's callback hands that PCM out as it comes.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "components/audio/bass_api.h"

namespace TYX::Win {
class Thread;
}

namespace TYX::Convert {

class ViaDecodeReader {
 public:
  ViaDecodeReader();  // takes a use of the VIA codec
  ~ViaDecodeReader();  // stops and gives the use back
  ViaDecodeReader(const ViaDecodeReader&) = delete;
  ViaDecodeReader& operator=(const ViaDecodeReader&) = delete;

  // Reads the file, makes the temporary file and starts the reader thread. False when the file cannot
  // be read, does not start with stream information, or the codec is missing.
  bool Open(const std::string& path);
  // Ends the reader thread, frees the file image, closes and deletes the temporary file, and goes back
  // to 44100 Hz stereo.
  void Stop();

  unsigned SampleRate() const { return rate_; }
  int Channels() const { return channels_; }
  // PCM bytes the stream information announces: its frame count, else its whole seconds, in bytes.
  std::int64_t TotalBytes() const { return total_; }
  std::string TempPath() const;

  // The user stream's callback; `user` is the reader.
  static Audio::DWORD CALLBACK_StreamProc(Audio::HSTREAM handle, void* buffer, Audio::DWORD length, void* user);

 private:
  void ReaderMain();
  Audio::DWORD ReadPcm(void* buffer, Audio::DWORD length);

  bool codecOk_ = false;
  unsigned rate_ = 44100;  // set by Open, before the reader thread starts
  int channels_ = 2;
  std::int64_t total_ = 0;
  std::vector<std::uint8_t> image_;  // the file; read by the reader thread only while it runs
  std::unique_ptr<Win::Thread> thread_;
  std::atomic<bool> stop_{false};  // set by Stop (worker thread), read by the reader thread

  mutable std::mutex mutex_;     // serialises the temporary file between the reader and the callback
  std::condition_variable cv_;   // the reader appended data or ended
  std::FILE* temp_ = nullptr;    // guarded by mutex_
  std::string tempPath_;         // guarded by mutex_
  std::int64_t decoded_ = 0;     // guarded by mutex_: bytes appended so far
  std::int64_t readPos_ = 0;     // guarded by mutex_: bytes handed out so far
  bool ended_ = false;           // guarded by mutex_: the reader thread is done
};

}  // namespace TYX::Convert
