// Power-search figures over the real store: the rebuild of the genre, artist and album lists of the
// search strip, and a Refresh of the library page with an artist chosen beside the same Refresh with no
// filter. Songs carry 40 genres, an artist per 1000 songs and an album per 12.
// Usage: panel_search_bench [songs]   (default 250000)
#include <time.h>

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
#include "library/library_search_wnd.h"
#include "platform/window.h"
#include "toolkit/combo_box.h"
#include "util/log.h"

namespace {

using Clock = std::chrono::steady_clock;
using TYX::Library::TYX_Library_SearchWnd;
using TYX::Library::TYX_LibraryPanel;

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

// CPU time of this thread in ms: on a busy machine the wall time also counts the waits for a core.
double ThreadCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
}

struct Times {
  double best = 0;
  double median = 0;
  double cpuBest = 0;
};

template <typename F>
Times Time(int runs, F&& body) {
  std::vector<double> t, cpu;
  for (int i = 0; i < runs; ++i) {
    const auto t0 = Clock::now();
    const double c0 = ThreadCpuMs();
    body();
    cpu.push_back(ThreadCpuMs() - c0);
    t.push_back(Ms(t0, Clock::now()));
  }
  std::sort(t.begin(), t.end());
  std::sort(cpu.begin(), cpu.end());
  return Times{t.front(), t[t.size() / 2], cpu.front()};
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  TYX::Util::TYX_Log::Instance()->SetTarget("");
  const int songs = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 250000;
  std::string root = fs::temp_directory_path().string() + "/tyx-search-bench-XXXXXX";
  if (mkdtemp(root.data()) == nullptr) return 1;
  std::vector<std::string> paths;
  paths.reserve(static_cast<std::size_t>(songs));
  for (int i = 0; i < songs; ++i) {
    const std::string dir = root + "/music/artist" + std::to_string(i / 1000);
    if (i % 1000 == 0) fs::create_directories(dir);
    paths.push_back(dir + "/" + std::to_string(i) + " 노래.mp3");
    std::ofstream(paths.back()) << "x";
  }
  auto opened = TYX::Store::TYX_LibraryStore::Open(root + "/music.db");
  if (!opened.store) {
    std::fprintf(stderr, "open failed: %s\n", opened.error.c_str());
    return 1;
  }
  auto& store = *opened.store;
  TYX::TYX_Library* lib = store.GetLibrary();
  TYX::TYX_Playlist* all = store.GetStockPlaylist(TYX::STOCK_PLAYLIST_LIBRARY);
  lib->BeginUpdate();
  for (int i = 0; i < songs; ++i) {
    const std::uint32_t index = lib->InsertItem(paths[static_cast<std::size_t>(i)], TYX::kItemKindFile);
    all->InsertItem(index, 0);
    TYX::TYX_LibraryItem* item = store.GetLibraryItem(index);
    TYX::TYX_LibraryItemData d = item->GetData();
    d.Text(TYX::ItemText::Title) = "노래 제목 " + std::to_string(i);
    d.Text(TYX::ItemText::Artist) = "가수 " + std::to_string(i / 1000);
    d.Text(TYX::ItemText::Album) = "앨범 " + std::to_string(i / 12);
    d.Text(TYX::ItemText::Genre) = "장르 " + std::to_string(i % 40);
    d.Number(TYX::ItemNumber::Duration) = 180 + i % 120;
    item->SetData(d);
  }
  if (!lib->EndUpdate()) std::fprintf(stderr, "commit failed\n");

  TYX::Win::Window host;
  host.Create(nullptr, TYX::Win::Rect{0, 0, 1000, 700}, TYX::Win::WS_POPUP | TYX::Win::WS_VISIBLE);
  TYX_LibraryPanel panel;
  panel.SetLibraryManager(&store);
  panel.CreatePanel(host.GetSafeHwnd(), TYX::Win::Rect{0, 0, 960, 660}, 100);
  panel.Refresh("000000");
  TYX_Library_SearchWnd* search = panel.GetSearchWnd();

  const Times rebuild = Time(5, [&] { search->SendMessage(TYX::Library::WM_SEARCH_COMBO_SELCHANGE, 0, 0); });
  TYX::Controls::TYX_ComboBox* artists = search->GetList(TYX_Library_SearchWnd::LIST_ARTIST);
  std::printf("%d songs: rebuild of the three lists (%d genres, %d artists, %d albums): best %.0f ms, median %.0f ms, "
              "CPU %.0f ms\n",
              songs, search->GetList(TYX_Library_SearchWnd::LIST_GENRE)->GetCount() - 1, artists->GetCount() - 1,
              search->GetList(TYX_Library_SearchWnd::LIST_ALBUM)->GetCount() - 1, rebuild.best, rebuild.median,
              rebuild.cpuBest);

  int rows = 0;
  const Times plain = Time(5, [&] {
    panel.Refresh("000000");
    rows = panel.GetCurrentListCtrl()->GetItemCount();
  });
  std::printf("library Refresh, no filter: %d rows, best %.0f ms, median %.0f ms, CPU %.0f ms\n", rows, plain.best,
              plain.median, plain.cpuBest);
  // An artist chosen in the strip (quietly: the timed Refresh is the one the choice would cause).
  artists->SetCurSel(artists->GetCount() / 2);
  const Times filtered = Time(5, [&] {
    panel.Refresh("000000");
    rows = panel.GetCurrentListCtrl()->GetItemCount();
  });
  std::printf("library Refresh, artist \"%s\": %d rows, best %.0f ms, median %.0f ms, CPU %.0f ms (%.2fx the unfiltered "
              "one)\n",
              artists->GetSelectedText().c_str(), rows, filtered.best, filtered.median, filtered.cpuBest,
              filtered.median / plain.median);
  panel.DestroyWindow();
  std::error_code ec;
  fs::remove_all(root, ec);
  return 0;
}
