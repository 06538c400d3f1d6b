// Library panel figures for store notifications: a burst of change notices from the real store (a
// cleared sync list of N songs posts one notice per entry) must cause exactly one search refill, 400 ms
// after the last notice. Reports the notices, the time the panel took to take them in, the delay from
// the last notice to the refill and the number of refills.
// The library holds a quarter of a million songs, as a large collection does.
// Usage: panel_notify_bench [entries] [songs]   (defaults 1000 and 250000)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "components/store/library_store.h"
#include "library/library_panel.h"
#include "library/library_search_wnd.h"
#include "platform/messaging.h"
#include "platform/window.h"

namespace {

using Clock = std::chrono::steady_clock;
using TYX::Library::TYX_LibraryPanel;

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

}  // namespace

int main(int argc, char** argv) {
  namespace Win = TYX::Win;
  const int entries = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
  const int songs = std::max(entries, argc > 2 ? std::atoi(argv[2]) : 250000);
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("panel_notify_bench." + std::to_string(getpid()));
  std::filesystem::create_directories(dir / "music");
  int status = 0;
  {
    auto opened = TYX::Store::TYX_LibraryStore::Open((dir / "music.db").string());
    if (!opened.store) {
      std::fprintf(stderr, "store: %s\n", opened.error.c_str());
      return 1;
    }
    auto& store = *opened.store;
    TYX::TYX_Playlist* library = store.GetStockPlaylist(TYX::STOCK_PLAYLIST_LIBRARY);
    TYX::TYX_Playlist* sync = store.GetStockPlaylist(TYX::STOCK_PLAYLIST_SYNC);
    store.GetLibrary()->BeginUpdate();
    for (int i = 0; i < songs; ++i) {
      const std::string folder = "a" + std::to_string(i / 1000);
      if (i % 1000 == 0) std::filesystem::create_directories(dir / "music" / folder);
      const std::string path = (dir / "music" / folder / ("song" + std::to_string(i) + ".mp3")).string();
      std::FILE* f = std::fopen(path.c_str(), "wb");
      if (f != nullptr) std::fclose(f);
      const std::uint32_t position = library->InsertItem(path, 0, TYX::kItemKindFile);
      if (i < entries) sync->InsertItem(library->GetItem(position), 0);
    }
    if (!store.GetLibrary()->EndUpdate()) std::fprintf(stderr, "commit failed\n");

    Win::Window host;
    int noticesSeen = 0;
    Clock::time_point lastNotice;
    host.OnMessage(TYX::WM_LIBRARY_NOTIFY_SYNC, [&](Win::WPARAM, Win::LPARAM) {
      ++noticesSeen;
      lastNotice = Clock::now();
      return Win::LRESULT{0};
    });
    host.Create(nullptr, Win::Rect{0, 0, 840, 640}, Win::WS_POPUP | Win::WS_VISIBLE);
    TYX_LibraryPanel panel;
    panel.SetLibraryManager(&store);
    panel.CreatePanel(host.GetSafeHwnd(), Win::Rect{0, 0, 800, 600}, 100);
    panel.Refresh("700000");
    Win::PumpMessages();
    TYX::Library::TYX_Library_SearchWnd* search = panel.GetSearchWnd();
    const int before = search->RebuildCount();
    panel.Commands().ListenToStore();
    store.RegisterNotify(host.GetSafeHwnd());

    const auto t0 = Clock::now();
    // One removal notice per entry, posted to the panel as each removal is stored.
    for (std::uint32_t n = sync->CountItem(); n > 0; --n) sync->RemoveItem(n - 1);
    Win::PumpMessages();
    const auto t1 = Clock::now();
    Win::PumpUntil([&] { return search->RebuildCount() != before; }, 5000);
    const auto t2 = Clock::now();
    // Anything more would come within the next period.
    Win::PumpUntil([] { return false; }, 1000);
    const int refreshes = search->RebuildCount() - before;

    std::printf("library of %d songs\n", songs);
    std::printf("notices %d (entries %d) in %.1f ms, taken in by the panel %.1f ms after the first removal\n", noticesSeen, entries,
                Ms(t0, lastNotice), Ms(t0, t1));
    std::printf("refresh %.1f ms after the last notice; refreshes: %d\n", Ms(lastNotice, t2), refreshes);
    status = refreshes == 1 ? 0 : 1;
  }
  std::filesystem::remove_all(dir);
  return status;
}
