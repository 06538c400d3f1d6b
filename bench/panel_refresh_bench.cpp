// Library panel figures: Refresh of the library page with 100 000 and 250 000 songs and of the
// now-playing page with 10 000 entries, over the real store and the real list controls. Reports the
// time of each Refresh, the heap the filled list keeps per row, and the peak resident size.
// Usage: panel_refresh_bench [songs...]   (default 100000 250000)
#include <malloc.h>
#include <sys/resource.h>
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
#include "library/library_panel.h"
#include "platform/window.h"
#include "util/log.h"

namespace {

using Clock = std::chrono::steady_clock;
using TYX::Library::TYX_LibraryPanel;

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }
double HeapBytes() {
  const auto m = mallinfo2();
  return static_cast<double>(m.uordblks + m.hblkhd);  // small blocks and mapped large ones
}
double PeakRssMb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1024.0;
}

struct Figures {
  double bestMs = 0;
  double medianMs = 0;
  double heapPerRow = 0;
  int rows = 0;
};

// Refresh calls of the page (3, or TYX_PANEL_BENCH_RUNS for profiling); the heap kept is measured after
// the first (the list starts empty).
Figures Measure(TYX_LibraryPanel& panel, const std::string& page) {
  Figures f;
  std::vector<double> times;
  const char* env = std::getenv("TYX_PANEL_BENCH_RUNS");
  const int runs = env != nullptr ? std::max(3, std::atoi(env)) : 3;
  for (int run = 0; run < runs; ++run) {
    panel.Refresh("A48700");  // the lists are emptied
    malloc_trim(0);
    const double heapBefore = HeapBytes();
    const auto t0 = Clock::now();
    panel.Refresh(page, TYX_LibraryPanel::REFRESH_LEVEL_NONE, 1);
    const auto t1 = Clock::now();
    times.push_back(Ms(t0, t1));
    f.rows = panel.GetCurrentListCtrl()->GetItemCount();
    if (run == 0 && f.rows > 0) f.heapPerRow = (HeapBytes() - heapBefore) / f.rows;
  }
  std::sort(times.begin(), times.end());
  f.bestMs = times[0];
  f.medianMs = times[times.size() / 2];
  return f;
}

void Run(int songs, bool nowPlaying) {
  namespace fs = std::filesystem;
  std::string root = fs::temp_directory_path().string() + "/tyx-panel-bench-XXXXXX";
  if (mkdtemp(root.data()) == nullptr) std::exit(1);
  std::vector<std::string> paths;
  paths.reserve(static_cast<std::size_t>(songs));
  for (int i = 0; i < songs; ++i) {
    const std::string dir = root + "/music/artist" + std::to_string(i / 1000) + "/album" + std::to_string(i / 12);
    if (i % 12 == 0 || i % 1000 == 0) fs::create_directories(dir);
    paths.push_back(dir + "/" + std::to_string(i % 12 + 1) + " 노래 제목 " + std::to_string(i) + ".mp3");
    std::ofstream(paths.back()) << "x";
  }
  auto opened = TYX::Store::TYX_LibraryStore::Open(root + "/music.db");
  if (!opened.store) {
    std::fprintf(stderr, "open failed: %s\n", opened.error.c_str());
    std::exit(1);
  }
  auto& store = *opened.store;
  TYX::TYX_Library* lib = store.GetLibrary();
  TYX::TYX_Playlist* all = store.GetStockPlaylist(TYX::STOCK_PLAYLIST_LIBRARY);
  TYX::TYX_Playlist* np = store.GetStockPlaylist(TYX::STOCK_PLAYLIST_NOWPLAYING);
  lib->BeginUpdate();
  for (int i = 0; i < songs; ++i) {
    const std::uint32_t index = lib->InsertItem(paths[static_cast<std::size_t>(i)], TYX::kItemKindFile);
    all->InsertItem(index, 0);
    TYX::TYX_LibraryItem* item = store.GetLibraryItem(index);
    TYX::TYX_LibraryItemData d = item->GetData();
    d.Text(TYX::ItemText::Title) = "노래 제목 " + std::to_string(i);
    d.Text(TYX::ItemText::Artist) = "가수 " + std::to_string(i / 1000);
    d.Text(TYX::ItemText::Album) = "앨범 " + std::to_string(i / 12);
    d.Number(TYX::ItemNumber::Duration) = 180 + i % 120;
    item->SetData(d);
    if (nowPlaying) np->InsertItem(index, 0);
  }
  if (!lib->EndUpdate()) std::fprintf(stderr, "commit failed\n");

  TYX::Win::Window host;
  host.Create(nullptr, TYX::Win::Rect{0, 0, 1000, 700}, TYX::Win::WS_POPUP | TYX::Win::WS_VISIBLE);
  TYX_LibraryPanel panel;
  panel.SetLibraryManager(&store);
  panel.CreatePanel(host.GetSafeHwnd(), TYX::Win::Rect{0, 0, 960, 660}, 100);

  const Figures f = Measure(panel, nowPlaying ? "200000" : "000000");
  std::printf("%-12s %7d rows: best %6.0f ms, median %6.0f ms, list heap %5.0f bytes/row, peak RSS %5.0f MB\n",
              nowPlaying ? "now playing" : "library", f.rows, f.bestMs, f.medianMs, f.heapPerRow, PeakRssMb());
  std::fflush(stdout);
  panel.DestroyWindow();
  std::error_code ec;
  fs::remove_all(root, ec);
}

}  // namespace

int main(int argc, char** argv) {
  TYX::Util::TYX_Log::Instance()->SetTarget("");  // the figures are the panel's, not the log file's
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::max(1000, std::atoi(argv[i])));
  if (sizes.empty()) sizes = {100000, 250000};
  for (int n : sizes) Run(n, false);
  Run(10000, true);
  return 0;
}
