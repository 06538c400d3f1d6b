#pragma once
// Shared by the conversion dialog tests: a real store and registry file in a temporary folder, songs
// the tests synthesise and put into the store, a watchdog for modal loops, and the shared worker ended
// after each test.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "components/audio/audio_synth.h"
#include "components/media/taglib_media_factory.h"
#include "components/store/library_store.h"
#include "contracts/library_manager.h"
#include "contracts/media.h"
#include "convert/extractor_slot.h"
#include "convert/media_converting.h"
#include "convert/media_converting_option_dlg.h"
#include "convert/media_converting_progress_dlg.h"
#include "helpers/modal_watchdog.h"
#include "helpers/scripted_user_agent.h"
#include "helpers/temp_dir.h"
#include "platform/event.h"
#include "platform/messaging.h"
#include "util/reg.h"

namespace TYX::Dialog::Test {

constexpr Win::DWORD kWatchdogMs = 120000;
namespace Synth = TYX::Test::Synth;
using FileEntry = TYX_MediaConverting_OptionDlg::_Media_FileList;

// Ends a modal loop that hangs: posts WM_QUIT to the test's thread when the time is up.
// The shared watchdog, with this folder's time-out unless a test gives its own.
class ModalWatchdog : public TYX::Test::ModalWatchdog {
 public:
  explicit ModalWatchdog(Win::DWORD timeoutMs = kWatchdogMs) : TYX::Test::ModalWatchdog(timeoutMs) {}
};

class ConvertingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Media::InstallTagLibMediaFactory();
    previousRegistry_ = TYX_Reg::GetStoreFile();
    TYX_Reg::SetStoreFile(dir_.File("registry.ini"));
    auto opened = Store::TYX_LibraryStore::Open(dir_.File("lib/music.db"));
    ASSERT_TRUE(opened.store) << opened.error;
    store_ = std::move(opened.store);
  }
  void TearDown() override {
    Convert::EndExtractorThread();
    Win::SetUserAgent(nullptr);
    TYX_Reg::SetStoreFile(previousRegistry_);
  }

  // A WAV tone at dir/name.
  std::string Wav(const std::string& name, double seconds = 0.4, int channels = 2, int rate = 44100) {
    const std::string path = dir_.File(name);
    EXPECT_TRUE(Synth::WriteWav(path, Synth::Tone(rate, channels, seconds)));
    return path;
  }
  // A file of another format made with FFmpeg's encoders ("libmp3lame", "libvorbis", "wmav2").
  std::string Encoded(const std::string& name, const char* encoder, double seconds = 0.4, int channels = 2) {
    const std::string path = dir_.File(name);
    EXPECT_TRUE(Synth::EncodeFile(path, Synth::Tone(44100, channels, seconds), encoder, 128000));
    return path;
  }
  // Tags written with the media component.
  void Tag(const std::string& path, const std::string& title, const std::string& artist) {
    TYX_MediaPtr m = TYX_Media::Instance(path);
    ASSERT_TRUE(m && m->IsValid()) << path;
    m->SetTitle(title);
    m->SetArtist(artist);
    ASSERT_EQ(m->Save(), 0) << m->GetLastError();
  }
  // Puts the file into the library and returns its index.
  std::uint32_t Add(const std::string& path) {
    const std::uint32_t index = store_->GetLibrary()->InsertItem(path, 1);
    EXPECT_NE(index, kNoLibraryIndex) << path;
    return index;
  }
  // The record the panel would make of a file.
  FileEntry Entry(const std::string& path) {
    auto list = BuildMediaFileList(*store_, {Add(path)});
    EXPECT_EQ(list.size(), 1u);
    return list.empty() ? FileEntry{} : list[0];
  }
  std::uint32_t LiveSongs() { return store_->GetLibrary()->CountLiveItem(); }

  TYX::Test::TempDir dir_;
  std::unique_ptr<Store::TYX_LibraryStore> store_;
  std::string previousRegistry_;
};

}  // namespace TYX::Dialog::Test
