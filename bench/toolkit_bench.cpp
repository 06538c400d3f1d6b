// List control figures: filling a library list with 250 000 rows of 7 cells as the panel does, key
// lookups, selecting everything and reading the keys back, and a paint of one page; with peak RSS.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "platform/window.h"
#include "toolkit/list_ctrl_ex.h"

using namespace TYX::Win;
using namespace TYX::Controls;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) {
  return static_cast<double>(std::chrono::duration_cast<std::chrono::microseconds>(d).count()) / 1000.0;
}

long PeakRssKiB() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss;
}

std::vector<TYX_ListColumn> LibraryColumns() {
  std::vector<TYX_ListColumnImage> icons;
  for (UINT i = 0; i < 20; ++i) icons.push_back({20141 + i, 5});
  return {
      {1, 1, 49, 49, 8, "", {{20140, 2}}},
      {38, 1, 28, 26, 16, "정렬", {{20180, 20}}},
      {5, 0, 280, 26, 14, "곡명", {{20168, 3}, {20176, 5}, {20177, 5}}},
      {7, 0, 112, 52, 1, "아티스트", {}},
      {14, 0, 95, 26, 1, "앨범", {}},
      {14, 1, 55, 26, 1, "시간", {}},
      {3, 1, 62, 26, 15, "종류", icons},
  };
}

}  // namespace

int main() {
  const long rssBefore = PeakRssKiB();
  Window panel;
  panel.Create(nullptr, Rect{0, 0, 900, 700}, WS_POPUP | WS_VISIBLE);
  TYX_ListCtrlEx list;
  list.CreateListCtrl(panel.GetSafeHwnd(), Rect{20, 20, 880, 680}, 34020, 0x50001C01);
  list.InitListExControl(LibraryColumns(), 28);

  constexpr int kRows = 250'000;
  char title[96], artist[64], album[64], time[16];
  auto t0 = Clock::now();
  list.SetRedraw(false);
  for (int i = 0; i < kRows; ++i) {
    const int row = list.InsertField(-1, 0, 0);
    list.SetFieldKey(row, static_cast<UINT>(i), 0);
    const int check = 0, icon = 1 + i % 20;
    std::snprintf(title, sizeof title, "노래 제목 번호 %d (Remastered)", i);
    std::snprintf(artist, sizeof artist, "아티스트 %d", i % 5000);
    std::snprintf(album, sizeof album, "앨범 %d", i % 20000);
    std::snprintf(time, sizeof time, "%d:%02d", 2 + i % 5, i % 60);
    list.SetCell(row, 0, &check, 0, 0);
    list.SetCell(row, 1, &row, 0, 0);
    list.SetCell(row, 2, title, 2, 0);
    list.SetCell(row, 3, artist, 0, 0);
    list.SetCell(row, 4, album, 0, 0);
    list.SetCell(row, 5, time, 0, 0);
    list.SetCell(row, 6, &icon, 0, 0);
    list.SetFieldStatus(row, 1);
  }
  list.SetRedraw(true);
  auto t1 = Clock::now();
  std::printf("fill 250000 rows x 7 cells: %.1f ms (%.2f us per row), text store %zu KiB\n", Ms(t1 - t0),
              Ms(t1 - t0) * 1000.0 / kRows, list.GetTextStoreSize() / 1024);

  t0 = Clock::now();
  long found = 0;
  for (UINT k = 0; k < static_cast<UINT>(kRows); k += 7) found += list.FindRowFromFieldKey(k) >= 0;
  t1 = Clock::now();
  std::printf("key lookups (first builds the index): %.1f ms for %ld keys\n", Ms(t1 - t0), found);

  t0 = Clock::now();
  list.SetSelectedItem(-1, TRUE);
  std::vector<UINT> keys;
  list.GetSelectedFieldKeys(keys, FALSE);
  t1 = Clock::now();
  std::printf("select all and read %zu keys: %.1f ms\n", keys.size(), Ms(t1 - t0));

  list.EnsureVisible(200'000);
  t0 = Clock::now();
  list.UpdateWindow();
  t1 = Clock::now();
  std::printf("paint one page: %.3f ms (%zu drawn items)\n", Ms(t1 - t0), list.GetLastPaint().Items().size());

  t0 = Clock::now();
  list.DeleteAllItem();
  t1 = Clock::now();
  std::printf("delete all rows: %.1f ms\n", Ms(t1 - t0));
  std::printf("peak RSS: %ld KiB (before the list: %ld KiB)\n", PeakRssKiB(), rssBefore);
  return 0;
}
