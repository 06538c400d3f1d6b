#pragma once
// Shared pieces of the import tests: a real store in a temporary folder, song files made from audio the
// tests synthesise once per process, a library manager that passes everything to the store but can hold
// or fail an insert, a watchdog for modal loops, and a window that records the worker's messages.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "components/media/taglib_media_factory.h"
#include "components/store/library_store.h"
#include "contracts/library_manager.h"
#include "helpers/modal_watchdog.h"
#include "helpers/media_fixtures.h"
#include "helpers/temp_dir.h"
#include "import/add_files_impl.h"
#include "import/add_files_messages.h"
#include "platform/event.h"
#include "platform/messaging.h"
#include "platform/window.h"

namespace TYX::Library::Test {

constexpr Win::DWORD kWatchdogMs = 20000;

// The bytes of a short synthesised song of each format, made once per process.
inline const std::string& SongBytes(TYX::Test::SynthFormat format) {
  static std::mutex mutex;
  static std::map<TYX::Test::SynthFormat, std::string> made;
  std::lock_guard lock(mutex);
  auto it = made.find(format);
  if (it != made.end()) return it->second;
  TYX::Test::TempDir dir;
  const std::string path = dir.File(std::string("song.") + TYX::Test::SynthExtension(format));
  TYX::Test::SynthOptions options;
  options.seconds = 0.3;
  const std::string error = TYX::Test::SynthesizeAudio(path, format, options);
  EXPECT_EQ(error, "");
  return made[format] = TYX::Test::ReadFileBytes(path);
}

// A library manager over a real store whose song-table inserts can be held at one call, or made to
// throw at one call.
class GatedManager : public TYX_LibraryManager, private TYX_Library {
 public:
  explicit GatedManager(TYX_LibraryManager& store) : store_(store) {}

  // The insert with this 1-based number waits until Release (it signals Reached first).
  void HoldAt(int call) { holdAt_ = call; }
  void ThrowAt(int call) { throwAt_ = call; }
  // The next group of inserts is lost as a failed commit loses it: its songs are gone afterwards and
  // EndUpdate says so.
  void LoseNextGroup() { loseGroup_ = true; }
  // Called on the inserting thread before each insert, with its 1-based number; set before the run.
  void OnInsert(std::function<void(int call)> hook) { onInsert_ = std::move(hook); }
  void Release() { release_.Set(); }
  // The thread woken (by an empty thread message) when the held insert is reached, so a modal loop
  // that went to sleep looks again.
  void WakeOnReach(Win::DWORD threadId) { wakeThread_ = threadId; }
  Win::Event& Reached() { return reached_; }
  int Inserts() const { return inserts_.load(); }

  TYX_Library* GetLibrary() override { return this; }
  TYX_Playlist* GetStockPlaylist(ENUM_STOCK_PLAYLIST id) override { return store_.GetStockPlaylist(id); }
  TYX_LibraryItem* GetLibraryItem(std::uint32_t index) override { return store_.GetLibraryItem(index); }
  std::int32_t PackLibrary() override { return store_.PackLibrary(); }
  std::string ExtractFullLyrics(const std::string& path) override { return store_.ExtractFullLyrics(path); }
  void RegisterNotify(Win::HWND hwnd) override { store_.RegisterNotify(hwnd); }
  void UnregisterNotify(Win::HWND hwnd) override { store_.UnregisterNotify(hwnd); }

 private:
  std::uint32_t InsertItem(const std::string& path, std::uint32_t kind) override {
    const int call = ++inserts_;
    if (onInsert_) onInsert_(call);
    if (call == throwAt_.load()) throw std::runtime_error("store exploded at " + path);
    if (call == holdAt_.load()) {
      reached_.Set();
      if (wakeThread_ != 0) Win::PostThreadMessage(wakeThread_, Win::WM_NULL, 0, 0);
      release_.Wait(kWatchdogMs);
    }
    const std::uint32_t index = Lib()->InsertItem(path, kind);
    if (grouping_) groupPaths_.push_back(path);
    return index;
  }
  std::uint32_t InsertItem(const std::string& path, TYX_Media* media) override { return Lib()->InsertItem(path, media); }
  std::uint32_t InsertItem(TYX_Media* media) override { return Lib()->InsertItem(media); }
  std::uint32_t FindItem(const std::string& path) const override { return Lib()->FindItem(path); }
  std::int32_t RemoveItem(std::uint32_t index) override { return Lib()->RemoveItem(index); }
  std::uint32_t CountItem() const override { return Lib()->CountItem(); }
  std::uint32_t CountLiveItem() const override { return Lib()->CountLiveItem(); }
  std::int32_t ClearItem() override { return Lib()->ClearItem(); }
  void BeginUpdate() override {
    grouping_ = true;
    groupPaths_.clear();
    Lib()->BeginUpdate();
  }
  bool EndUpdate() override {
    grouping_ = false;
    const bool ok = Lib()->EndUpdate();
    if (!loseGroup_.exchange(false)) return ok;
    for (const std::string& path : groupPaths_) Lib()->RemoveItem(Lib()->FindItem(path));
    ++lostGroups_;
    return false;
  }

 public:
  int LostGroups() const { return lostGroups_.load(); }

 private:
  TYX_Library* Lib() const { return store_.GetLibrary(); }

  TYX_LibraryManager& store_;
  std::atomic<int> inserts_{0};
  std::atomic<int> holdAt_{0};
  std::atomic<int> throwAt_{0};
  Win::Event reached_{true, false};
  Win::Event release_{true, false};
  std::function<void(int)> onInsert_;
  std::atomic<Win::DWORD> wakeThread_{0};
  std::atomic<bool> loseGroup_{false};
  std::atomic<int> lostGroups_{0};
  bool grouping_ = false;  // the inserting thread
  std::vector<std::string> groupPaths_;
};

// Store and song files in a temporary folder.
class ImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Media::InstallTagLibMediaFactory();
    auto opened = Store::TYX_LibraryStore::Open(dir_.File("lib/music.db"));
    ASSERT_TRUE(opened.store) << opened.error;
    store_ = std::move(opened.store);
  }

  // A real song of the format at dir/name (folders made as needed).
  std::string Song(const std::string& name, TYX::Test::SynthFormat format = TYX::Test::SynthFormat::MP3) {
    return dir_.Write(name, SongBytes(format));
  }
  std::string Path(const std::string& name) const { return dir_.File(name); }
  TYX_Library* Library() { return store_->GetLibrary(); }
  std::uint32_t LiveSongs() { return Library()->CountLiveItem(); }

  TYX::Test::TempDir dir_;
  std::unique_ptr<Store::TYX_LibraryStore> store_;
};

// Ends a modal loop that hangs: after the time-out it posts WM_QUIT to the test's thread; the test then
// fails on Fired().
// The shared watchdog, with this folder's time-out unless a test gives its own.
class ModalWatchdog : public TYX::Test::ModalWatchdog {
 public:
  explicit ModalWatchdog(Win::DWORD timeoutMs = kWatchdogMs) : TYX::Test::ModalWatchdog(timeoutMs) {}
};

// A window that records every worker message with the copies it carried (taken from the worker).
class RecordingWindow : public Win::Window {
 public:
  struct Record {
    Win::UINT msg = 0;
    std::optional<TYX_AddFilesNotice> notice;
  };

  explicit RecordingWindow(TYX_Library_AddFilesImpl& worker) : worker_(worker) {
    for (Win::UINT m = WM_ADDFILES_FIRST; m <= WM_ADDFILES_LAST; ++m) {
      OnMessage(m, [this, m](Win::WPARAM w, Win::LPARAM l) -> Win::LRESULT {
        Record r;
        r.msg = m;
        if (w != 0) r.notice = worker_.TakeNotice(w);
        if (l != 0 && static_cast<Win::WPARAM>(l) != w) {
          if (auto n = worker_.TakeNotice(static_cast<std::uint64_t>(l))) r.notice = n;
        }
        records.push_back(r);
        if (onMessage) onMessage(r);
        return 0;
      });
    }
    EXPECT_TRUE(Create(nullptr, Win::Rect{0, 0, 10, 10}, Win::WS_POPUP));
  }
  int Count(Win::UINT msg) const {
    int n = 0;
    for (const Record& r : records) n += r.msg == msg ? 1 : 0;
    return n;
  }
  bool Has(Win::UINT msg) const { return Count(msg) > 0; }

  std::vector<Record> records;  // window thread
  std::function<void(const Record&)> onMessage;

 private:
  TYX_Library_AddFilesImpl& worker_;
};

}  // namespace TYX::Library::Test
