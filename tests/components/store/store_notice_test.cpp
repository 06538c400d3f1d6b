// Change notices to registered windows, and a worker inserting while the user-interface thread reads.
#include <atomic>
#include <future>
#include <thread>
#include <vector>

#include "components/store/store_fixture.h"
#include "platform/messaging.h"
#include "platform/window.h"

namespace TYX::Store::Test {
namespace {

using namespace TYX::Win;

struct Received {
  UINT message;
  WPARAM code;
  LPARAM param;
  bool operator==(const Received&) const = default;
};

// A window of the framework that records the store's notices.
class NoticeWindow {
 public:
  NoticeWindow() {
    window_.Create(nullptr, Rect{0, 0, 10, 10}, 0);
    for (UINT msg : {0xAC72u, 0xAC73u, 0xAC76u, 0xAC77u}) {
      window_.OnMessage(msg, [this, msg](WPARAM w, LPARAM l) {
        got_.push_back({msg, w, l});
        return LRESULT{0};
      });
    }
  }
  HWND Handle() const { return window_.GetSafeHwnd(); }
  // Pumps until n notices arrived (watchdog 10 s).
  bool WaitFor(std::size_t n) {
    return PumpUntil([&] { return got_.size() >= n; }, 10000);
  }
  std::vector<Received>& Got() { return got_; }
  void Destroy() { window_.DestroyWindow(); }

 private:
  Window window_;
  std::vector<Received> got_;  // test thread
};

constexpr LPARAM kNone = static_cast<LPARAM>(0xFFFFFFFFu);

TEST_F(StoreTest, ChangesPostNoticesWithTheirEventCodes) {
  auto store = OpenStore();
  ASSERT_TRUE(store);
  NoticeWindow w;
  store->RegisterNotify(w.Handle());
  TYX_Library* lib = store->GetLibrary();
  std::uint32_t a = lib->InsertItem(MakeSong("a.mp3"), kItemKindFile);
  std::uint32_t b = lib->InsertItem(MakeSong("b.mp3"), kItemKindFile);
  TYX_Playlist* all = store->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY);
  TYX_Playlist* sync = store->GetStockPlaylist(STOCK_PLAYLIST_SYNC);
  TYX_Playlist* now = store->GetStockPlaylist(STOCK_PLAYLIST_NOWPLAYING);
  TYX_Playlist* old = store->GetStockPlaylist(STOCK_PLAYLIST_OLDNOWPLAYING);
  all->InsertItem(a, 0);
  all->InsertItem(b, 0);
  sync->InsertItem(a, 0);
  now->InsertItem(b, 0);
  old->InsertItem(a, 0);
  store->GetStockPlaylist(STOCK_PLAYLIST_CDTRACK)->InsertItem(b, 0);  // no notices for the CD list
  sync->RemoveItem(0);
  store->GetLibraryItem(a)->SetTitle("t");
  now->SetUserData(0);
  all->RemoveItem(1);  // b leaves the library and the now-playing list
  store->PackLibrary();

  std::vector<Received> want = {
      {0xAC72, 1, a},     {0xAC72, 1, b},     {0xAC72, 3, a},     {0xAC72, 3, b},
      {0xAC73, 3, a},     {0xAC76, 3, b},     {0xAC77, 3, a},     {0xAC73, 4, a},
      {0xAC72, 5, a},     {0xAC76, 6, kNone}, {0xAC72, 4, b},     {0xAC76, 4, b},
      {0xAC72, 2, b},     {0xAC72, 7, kNone},
  };
  ASSERT_TRUE(w.WaitFor(want.size()));
  PumpMessages();
  EXPECT_EQ(w.Got(), want);

  // Emptying a list sends one notice; an unregistered window gets nothing more.
  w.Got().clear();
  now->InsertItem(a, 0);
  now->InsertItem(a, 0);
  now->ClearItem();
  ASSERT_TRUE(w.WaitFor(4));
  PumpMessages();
  std::vector<Received> cleared = {{0xAC76, 3, a}, {0xAC76, 3, a}, {0xAC76, 6, kNone}, {0xAC76, 4, kNone}};
  EXPECT_EQ(w.Got(), cleared);
  store->UnregisterNotify(w.Handle());
  w.Got().clear();
  now->InsertItem(a, 0);
  PumpMessages();
  EXPECT_TRUE(w.Got().empty());
}

TEST_F(StoreTest, NoticesFromAWorkerReachTheWindowAndDeadWindowsAreDropped) {
  auto store = OpenStore();
  ASSERT_TRUE(store);
  NoticeWindow w, gone;
  store->RegisterNotify(w.Handle());
  store->RegisterNotify(gone.Handle());
  gone.Destroy();
  std::string path = MakeSong("w.mp3");
  std::uint32_t index = kNoLibraryIndex;
  std::thread worker([&] { index = store->GetLibrary()->InsertItem(path, kItemKindFile); });
  worker.join();
  ASSERT_TRUE(w.WaitFor(1));
  EXPECT_EQ(w.Got()[0], (Received{0xAC72, 1, static_cast<LPARAM>(index)}));
  EXPECT_TRUE(gone.Got().empty());
}

TEST_F(StoreTest, LostBatchTellsEveryListToRefresh) {
  std::uint32_t a;
  {
    auto store = OpenStore();
    ASSERT_TRUE(store);
    a = store->GetLibrary()->InsertItem(MakeSong("a.mp3"), kItemKindFile);
  }
  // The file rolls the whole batch back when a song is titled "boom".
  RawSql(DbPath(), "CREATE TRIGGER lose_batch BEFORE UPDATE OF title ON songs WHEN NEW.title = 'boom' "
                   "BEGIN SELECT RAISE(ROLLBACK, 'batch lost'); END;");
  auto store = OpenStore();
  ASSERT_TRUE(store);
  NoticeWindow w;
  store->RegisterNotify(w.Handle());
  TYX_Library* lib = store->GetLibrary();
  lib->BeginUpdate();
  std::uint32_t b = lib->InsertItem(MakeSong("b.mp3"), kItemKindFile);
  EXPECT_FALSE(store->GetLibraryItem(a)->SetTitle("boom"));
  EXPECT_FALSE(lib->EndUpdate());
  // b entered, then the reload: every kind of change of every list, for all songs.
  std::vector<Received> want = {{0xAC72, 1, static_cast<LPARAM>(b)}, {0xAC72, 1, kNone}, {0xAC72, 2, kNone},
                                {0xAC72, 5, kNone}};
  for (UINT msg : {0xAC72u, 0xAC73u, 0xAC76u, 0xAC77u}) {
    for (WPARAM code : {3u, 4u, 6u}) want.push_back({msg, code, kNone});
  }
  ASSERT_TRUE(w.WaitFor(want.size()));
  PumpMessages();
  EXPECT_EQ(w.Got(), want);
  EXPECT_EQ(store->GetLibraryItem(b), nullptr);
}

TEST_F(StoreTest, WorkerInsertsWhileTheInterfaceThreadReads) {
  auto store = OpenStore();
  ASSERT_TRUE(store);
  constexpr int kSongs = 1500;
  std::vector<std::string> paths;
  for (int i = 0; i < kSongs; ++i) paths.push_back(MakeSong("t/" + std::to_string(i) + ".mp3", std::string(i % 50 + 1, 'a')));
  TYX_Library* lib = store->GetLibrary();
  TYX_Playlist* all = store->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY);
  // Some songs are already there: the worker must find them below the count it took.
  for (int i = 0; i < kSongs; i += 10) all->InsertItem(lib->InsertItem(paths[static_cast<std::size_t>(i)], kItemKindFile), 0);

  std::atomic<bool> done{false};
  std::atomic<int> added{0}, found{0}, wrong{0};
  auto worker = std::async(std::launch::async, [&] {
    for (int i = 0; i < kSongs; ++i) {
      std::uint32_t count = lib->CountItem();
      std::uint32_t idx = lib->InsertItem(paths[static_cast<std::size_t>(i)], kItemKindFile);
      if (idx == kNoLibraryIndex) {
        ++wrong;
      } else if (idx < count) {
        ++found;
        if (i % 10 != 0) ++wrong;  // only the songs put in before count as found
      } else {
        ++added;
      }
    }
    done = true;
  });
  // The user-interface thread keeps reading and changing what it sees.
  std::uint64_t reads = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);  // watchdog
  while (!done && std::chrono::steady_clock::now() < deadline) {
    std::uint32_t n = lib->CountItem();
    for (std::uint32_t i = 0; i < n; i += 7) {
      TYX_LibraryItem* item = store->GetLibraryItem(i);
      ASSERT_NE(item, nullptr);
      EXPECT_EQ(item->GetReference(), i);
      EXPECT_FALSE(item->GetSmartTitle().empty());
      reads += item->GetFileSize();
    }
    std::uint32_t last = n - 1;
    all->InsertItem(last, 0);
    store->GetLibraryItem(last)->SetTransferState(3);
  }
  ASSERT_EQ(worker.wait_for(std::chrono::seconds(60)), std::future_status::ready);
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(found.load(), kSongs / 10);
  EXPECT_EQ(added.load(), kSongs - kSongs / 10);
  EXPECT_EQ(lib->CountLiveItem(), static_cast<std::uint32_t>(kSongs));
  EXPECT_GT(reads, 0u);
  // Every song has its own index and file.
  for (int i = 0; i < kSongs; ++i) {
    std::uint32_t idx = lib->FindItem(paths[static_cast<std::size_t>(i)]);
    ASSERT_NE(idx, kNoLibraryIndex);
    EXPECT_EQ(store->GetLibraryItem(idx)->GetFileSize(), static_cast<std::uint64_t>(i % 50 + 1));
  }
  store.reset();
  store = OpenStore();
  ASSERT_TRUE(store);
  EXPECT_EQ(store->GetLibrary()->CountLiveItem(), static_cast<std::uint32_t>(kSongs));
}

}  // namespace
}  // namespace TYX::Store::Test
