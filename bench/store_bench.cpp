// Library store figures: inserting 100 000 songs, opening a 100 000-song library, and reading every
// row the way the panel fills its list. Tag reading is left out (no media component is installed), so
// the figures are the store's own. Usage: store_bench [songs]
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "components/store/library_store.h"

namespace {

using Clock = std::chrono::steady_clock;
using TYX::Store::TYX_LibraryStore;

double Ms(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

// Heap bytes in use.
double HeapMb() { return static_cast<double>(mallinfo2().uordblks) / 1048576.0; }

std::unique_ptr<TYX_LibraryStore> Open(const std::string& path) {
  auto r = TYX_LibraryStore::Open(path);
  if (!r.store) {
    std::fprintf(stderr, "open failed: %s\n", r.error.c_str());
    std::exit(1);
  }
  return std::move(r.store);
}

}  // namespace

int main(int argc, char** argv) {
  const int songs = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 100000;
  namespace fs = std::filesystem;
  std::string root = fs::temp_directory_path().string() + "/tyx-store-bench-XXXXXX";
  if (!mkdtemp(root.data())) return 1;
  std::vector<std::string> paths;
  paths.reserve(static_cast<std::size_t>(songs));
  for (int i = 0; i < songs; ++i) {
    std::string dir = root + "/music/artist" + std::to_string(i / 1000) + "/album" + std::to_string(i / 12);
    if (i % 12 == 0 || i % 1000 == 0) fs::create_directories(dir);
    paths.push_back(dir + "/" + std::to_string(i % 12 + 1) + " 노래 제목 " + std::to_string(i) + ".mp3");
    std::ofstream(paths.back()) << "x";
  }
  const std::string db = root + "/music.db";
  std::printf("songs: %d\n", songs);

  {
    auto store = Open(db);
    TYX::TYX_Library* lib = store->GetLibrary();
    TYX::TYX_Playlist* all = store->GetStockPlaylist(TYX::STOCK_PLAYLIST_LIBRARY);
    auto t0 = Clock::now();
    lib->BeginUpdate();
    for (const std::string& p : paths) all->InsertItem(lib->InsertItem(p, TYX::kItemKindFile), 0);
    bool ok = lib->EndUpdate();
    auto t1 = Clock::now();
    std::printf("insert %d songs into the library and playlist 2, one batch: %.0f ms (%.0f songs/s)%s\n", songs,
                Ms(t0, t1), songs / (Ms(t0, t1) / 1000.0), ok ? "" : " COMMIT FAILED");
    // Without a batch every insert commits on its own.
    const int single = std::min(songs, 5000);
    TYX::TYX_Playlist* sync = store->GetStockPlaylist(TYX::STOCK_PLAYLIST_SYNC);
    t0 = Clock::now();
    for (int i = 0; i < single; ++i) sync->InsertItem(static_cast<std::uint32_t>(i), 0);
    t1 = Clock::now();
    std::printf("append %d songs to playlist 6, one commit each: %.0f ms (%.1f us each)\n", single, Ms(t0, t1),
                Ms(t0, t1) * 1000.0 / single);
    t0 = Clock::now();
    for (int i = 0; i < single; ++i) store->GetLibraryItem(static_cast<std::uint32_t>(i))->SetTransferState(5);
    t1 = Clock::now();
    std::printf("change one field of %d songs, one commit each: %.0f ms (%.1f us each)\n", single, Ms(t0, t1),
                Ms(t0, t1) * 1000.0 / single);
  }
  std::printf("library file: %.1f MB\n", static_cast<double>(fs::file_size(db)) / 1048576.0);

  std::vector<double> opens;
  double heapBefore = HeapMb(), heapAfter = 0;
  for (int run = 0; run < 3; ++run) {
    auto t0 = Clock::now();
    auto store = Open(db);
    auto t1 = Clock::now();
    opens.push_back(Ms(t0, t1));
    if (run == 0) heapAfter = HeapMb();
    if (run == 2) {
      // The panel's fill: every row of playlist 2 by position, with the cells it shows.
      TYX::TYX_Playlist* all = store->GetStockPlaylist(TYX::STOCK_PLAYLIST_LIBRARY);
      std::size_t chars = 0;
      t0 = Clock::now();
      const std::uint32_t n = all->CountItem();
      for (std::uint32_t i = 0; i < n; ++i) {
        TYX::TYX_LibraryItem* item = all->GetItem_LibraryItem(i);
        chars += item->GetSmartTitle(2).size() + item->GetArtist().size() + item->GetAlbum().size() +
                 item->GetPath().size() + item->GetDuration() + (item->IsFileExist() ? 1 : 0);
      }
      t1 = Clock::now();
      std::printf("read %u rows by position (title, artist, album, path, duration, presence): %.0f ms (%zu chars)\n",
                  n, Ms(t0, t1), chars);
    }
  }
  {
    // Deleting selected rows the way the panel does: from the highest position down, then pack.
    auto store = Open(db);
    TYX::TYX_Playlist* all = store->GetStockPlaylist(TYX::STOCK_PLAYLIST_LIBRARY);
    const std::uint32_t n = all->CountItem();
    auto t0 = Clock::now();
    for (std::uint32_t k = 0; k < 1000 && k * 97 < n; ++k) all->RemoveItem(n - 1 - k * 97);
    store->PackLibrary();
    auto t1 = Clock::now();
    std::printf("remove 1000 songs from the library and pack: %.0f ms\n", Ms(t0, t1));
  }
  std::sort(opens.begin(), opens.end());
  std::printf("open the %d-song library: best %.0f ms, median %.0f ms, worst %.0f ms\n", songs, opens[0], opens[1],
              opens[2]);
  std::printf("heap held by the open library: %.0f MB\n", heapAfter - heapBefore);
  std::error_code ec;
  fs::remove_all(root, ec);
  return 0;
}
