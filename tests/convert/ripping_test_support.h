#pragma once
// Shared by the ripping tests: a world of real parts in a temporary folder (registry file, music and
// state folders, a SQLite library, TagLib tags, the shared extraction worker) and audio-CD images
// (cue/bin) the tests synthesise, a drive whose track can be held at a point, and a watchdog for
// modal loops.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "components/audio/audio_synth.h"
#include "components/audio/cd_drive.h"
#include "components/media/taglib_media_factory.h"
#include "components/store/library_store.h"
#include "convert/extractor_slot.h"
#include "convert/extractor_thread.h"
#include "helpers/modal_watchdog.h"
#include "helpers/scripted_user_agent.h"
#include "helpers/temp_dir.h"
#include "platform/event.h"
#include "platform/messaging.h"
#include "util/reg.h"

namespace TYX::Convert::Test {

namespace Synth = TYX::Test::Synth;
constexpr Win::DWORD kWatchdogMs = 120000;

// Ends a modal loop that hangs by posting WM_QUIT to the user-interface thread.
// The shared watchdog, with this folder's time-out unless a test gives its own.
class ModalWatchdog : public TYX::Test::ModalWatchdog {
 public:
  explicit ModalWatchdog(Win::DWORD timeoutMs = kWatchdogMs) : TYX::Test::ModalWatchdog(timeoutMs) {}
};

inline void SetEnv(const char* name, const std::string& value, std::string& old, bool& had) {
  const char* v = ::getenv(name);
  had = v != nullptr;
  old = had ? v : "";
  ::setenv(name, value.c_str(), 1);
}
inline void RestoreEnv(const char* name, const std::string& old, bool had) {
  if (had) {
    ::setenv(name, old.c_str(), 1);
  } else {
    ::unsetenv(name);
  }
}

// CRC32 bit by bit, written from its definition (reflected 0xEDB88320, inverted in and out).
inline std::uint32_t BitwiseCrc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ ((crc & 1u) ? 0xEDB88320u : 0u);
  }
  return ~crc;
}

// A disc image: tones of different pitch per track, each padded to whole sectors.
struct Disc {
  std::string cue;
  std::string bin;
  std::vector<Synth::Pcm> tracks;
  std::vector<std::size_t> trackBytes;
  // The PCM of a track as the disc holds it (padding included).
  std::string TrackPcm(std::size_t t) const {
    const std::string all = TYX::Test::ReadFileBytes(bin);
    std::size_t off = 0;
    for (std::size_t i = 0; i < t; ++i) off += trackBytes[i];
    return all.substr(off, trackBytes[t]);
  }
};

inline Disc MakeDisc(const TYX::Test::TempDir& dir, const std::string& name, int count, double seconds,
                     int flipTrack = -1, std::size_t flipSample = 0) {
  Disc d;
  d.cue = dir.File(name + ".cue");
  d.bin = dir.File(name + ".bin");
  for (int t = 0; t < count; ++t) d.tracks.push_back(Synth::Tone(44100, 2, seconds + 0.1 * t, 330.0 + 110.0 * t));
  if (flipTrack >= 0) d.tracks[static_cast<std::size_t>(flipTrack)].samples[flipSample] ^= 0x0001;
  EXPECT_TRUE(Synth::WriteCueBin(d.cue, d.bin, d.tracks, &d.trackBytes));
  return d;
}

// The world of a rip: everything the dialog touches lives in one temporary folder.
class RipWorld {
 public:
  RipWorld() {
    SetEnv("XDG_MUSIC_DIR", dir.File("music"), oldMusic_, hadMusic_);
    SetEnv("XDG_STATE_HOME", dir.File("state"), oldState_, hadState_);
    oldReg_ = Util::TYX_Reg::GetStoreFile();
    Util::TYX_Reg::SetStoreFile(dir.File("registry.ini"));
    Media::InstallTagLibMediaFactory();
    auto opened = Store::TYX_LibraryStore::Open(dir.File("library/music.db"));
    EXPECT_TRUE(opened.store) << opened.error;
    store = std::move(opened.store);
  }
  ~RipWorld() {
    EndExtractorThread();
    Audio::SetAudioCD(nullptr);
    store.reset();
    Util::TYX_Reg::SetStoreFile(oldReg_);
    RestoreEnv("XDG_MUSIC_DIR", oldMusic_, hadMusic_);
    RestoreEnv("XDG_STATE_HOME", oldState_, hadState_);
  }
  void InsertDisc(const Disc& d) { Audio::SetAudioCD(Audio::CreateCdioAudioCD({d.cue}, false)); }
  std::string SaveRoot() const { return dir.File("music") + "/SonvarMusic/"; }
  std::string History() const { return dir.File("history"); }
  std::vector<std::string> LibraryPaths() const {
    std::vector<std::string> out;
    TYX_Playlist* lib = store->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY);
    for (std::uint32_t i = 0; i < lib->CountItem(); ++i) out.push_back(lib->GetItem_LibraryItem(i)->GetPath());
    return out;
  }

  TYX::Test::TempDir dir;
  std::unique_ptr<Store::TYX_LibraryStore> store;

 private:
  std::string oldMusic_, oldState_, oldReg_;
  bool hadMusic_ = false, hadState_ = false;
};

// A drive over an image whose one track, on its first opening, stops after some bytes until it is
// released or the worker is asked to stop (as a slow drive would be met by a cancel).
class HeldDrive : public Audio::TYX_AudioCD {
 public:
  HeldDrive(std::shared_ptr<Audio::TYX_AudioCD> inner, int track, std::int64_t afterBytes, Win::DWORD uiThread)
      : inner_(std::move(inner)), track_(track), after_(afterBytes), ui_(uiThread) {}

  std::atomic<bool> reached{false};
  std::atomic<bool> released{false};

  int DriveCount() override { return inner_->DriveCount(); }
  std::string DriveName(int d) override { return inner_->DriveName(d); }
  int TrackCount(int d) override { return inner_->TrackCount(d); }
  std::int64_t TrackLength(int d, int t) override { return inner_->TrackLength(d, t); }
  bool Door(int d, int a) override { return inner_->Door(d, a); }
  bool DoorIsOpen(int d) override { return inner_->DoorIsOpen(d); }
  bool DoorIsLocked(int d) override { return inner_->DoorIsLocked(d); }
  int LastError() override { return inner_->LastError(); }
  std::unique_ptr<Audio::TYX_PcmSource> OpenTrack(int d, int t) override {
    auto source = inner_->OpenTrack(d, t);
    if (!source || t != track_ || opened_.exchange(true)) return source;
    return std::make_unique<Held>(std::move(source), *this);
  }

 private:
  class Held : public Audio::TYX_PcmSource {
   public:
    Held(std::unique_ptr<Audio::TYX_PcmSource> inner, HeldDrive& drive) : inner_(std::move(inner)), drive_(drive) {}
    int SampleRate() const override { return inner_->SampleRate(); }
    int Channels() const override { return inner_->Channels(); }
    std::int64_t LengthBytes() const override { return inner_->LengthBytes(); }
    bool Ended() const override { return inner_->Ended(); }
    std::int64_t PositionBytes() const override { return inner_->PositionBytes(); }
    int Read(void* buffer, int bytes) override {
      if (!passed_ && inner_->PositionBytes() >= drive_.after_) {
        passed_ = true;
        drive_.reached = true;
        Win::PostThreadMessage(drive_.ui_, Win::WM_NULL, 0, 0);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWatchdogMs);
        for (;;) {
          CExtractorThread* worker = GetExtractorThread();
          if (drive_.released || (worker != nullptr && worker->IsCancelRequested())) break;
          if (std::chrono::steady_clock::now() > deadline) break;
          std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
      }
      return inner_->Read(buffer, bytes);
    }

   private:
    std::unique_ptr<Audio::TYX_PcmSource> inner_;
    HeldDrive& drive_;
    bool passed_ = false;
  };

  std::shared_ptr<Audio::TYX_AudioCD> inner_;
  int track_;
  std::int64_t after_;
  Win::DWORD ui_;
  std::atomic<bool> opened_{false};
};

}  // namespace TYX::Convert::Test
