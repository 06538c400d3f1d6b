#pragma once
// Shared pieces of the tag dialog tests: a real store in a temporary folder, songs made from audio the
// tests synthesise once per process, tags written through the real media component, and a watchdog
// that ends a modal loop that hangs.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "components/media/taglib_media_factory.h"
#include "components/store/library_store.h"
#include "contracts/media.h"
#include "helpers/modal_watchdog.h"
#include "helpers/media_fixtures.h"
#include "helpers/temp_dir.h"
#include "platform/event.h"
#include "platform/messaging.h"
#include "util/init.h"
#include "util/skin.h"

namespace TYX::Tags::Test {

constexpr Win::DWORD kWatchdogMs = 30000;

// The bytes of a synthesised song of each format and length, made once per process.
inline const std::string& SongBytes(TYX::Test::SynthFormat format, double seconds = 1.0) {
  static std::mutex mutex;
  static std::map<std::pair<TYX::Test::SynthFormat, int>, std::string> made;
  std::lock_guard lock(mutex);
  const auto key = std::make_pair(format, static_cast<int>(seconds * 1000));
  auto it = made.find(key);
  if (it != made.end()) return it->second;
  TYX::Test::TempDir dir;
  const std::string path = dir.File(std::string("song.") + TYX::Test::SynthExtension(format));
  TYX::Test::SynthOptions options;
  options.seconds = seconds;
  const std::string error = TYX::Test::SynthesizeAudio(path, format, options);
  EXPECT_EQ(error, "");
  return made[key] = TYX::Test::ReadFileBytes(path);
}

// Ends a modal loop that hangs: after the time-out it posts WM_QUIT to the test's thread; the test then
// fails on Fired().
// The shared watchdog, with this folder's time-out unless a test gives its own.
class ModalWatchdog : public TYX::Test::ModalWatchdog {
 public:
  explicit ModalWatchdog(Win::DWORD timeoutMs = kWatchdogMs) : TYX::Test::ModalWatchdog(timeoutMs) {}
};

// Store, settings and song files in a temporary folder.
class TagsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Media::InstallTagLibMediaFactory();
    TYX_Skin::LoadDefault();
    TYX_INIT::Instance()->SetStoreFile(dir_.File("settings.ini"));
    auto opened = Store::TYX_LibraryStore::Open(dir_.File("lib/music.db"));
    ASSERT_TRUE(opened.store) << opened.error;
    store_ = std::move(opened.store);
  }

  // A real song of the format at dir/name (folders made as needed).
  std::string Song(const std::string& name, TYX::Test::SynthFormat format = TYX::Test::SynthFormat::MP3,
                   double seconds = 1.0) {
    return dir_.Write(name, SongBytes(format, seconds));
  }
  // Writes tags through the media component; fails the test when the save fails.
  template <class Fn>
  void Tag(const std::string& path, Fn&& fill) {
    TYX_MediaPtr media = TYX_Media::Instance(path);
    ASSERT_TRUE(media) << path;
    fill(*media);
    ASSERT_EQ(media->Save(), 0) << media->GetLastError();
  }
  TYX_MediaPtr Read(const std::string& path) {
    TYX_MediaPtr media = TYX_Media::Instance(path);
    EXPECT_TRUE(media) << path;
    return media;
  }
  std::uint32_t Insert(const std::string& path) {
    const std::uint32_t index = store_->GetLibrary()->InsertItem(path, kItemKindFile);
    EXPECT_NE(index, 0xFFFFFFFFu) << path;
    return index;
  }
  TYX_LibraryItem* Item(std::uint32_t index) { return store_->GetLibraryItem(index); }

  TYX::Test::TempDir dir_;
  std::unique_ptr<Store::TYX_LibraryStore> store_;
};

}  // namespace TYX::Tags::Test
