// `sonvar ls` on a large library, timed as a person feels it: the whole process, from exec to exit,
// with the library on disk (opening the store, creating the windows, filling the list, printing).
// Usage: sonvar_ls_bench [songs]   (default 100000)
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <vector>

#include "components/store/library_store.h"
#include "util/log.h"

namespace {

// Runs sonvar with stdout to /dev/null and returns the wall time in ms, or -1 when it failed.
double TimeRun(const std::vector<std::string>& args) {
  const auto t0 = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(SONVAR_PROGRAM));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(SONVAR_PROGRAM, argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  const auto t1 = std::chrono::steady_clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  TYX::Util::TYX_Log::Instance()->SetTarget("");
  const int songs = argc > 1 ? std::max(100, std::atoi(argv[1])) : 100000;
  std::string root = fs::temp_directory_path().string() + "/sonvar-ls-bench-XXXXXX";
  if (mkdtemp(root.data()) == nullptr) return 1;
  {
    auto opened = TYX::Store::TYX_LibraryStore::Open(root + "/data/music_library.db");
    if (!opened.store) {
      std::fprintf(stderr, "open failed: %s\n", opened.error.c_str());
      return 1;
    }
    auto& store = *opened.store;
    TYX::TYX_Library* lib = store.GetLibrary();
    TYX::TYX_Playlist* all = store.GetStockPlaylist(TYX::STOCK_PLAYLIST_LIBRARY);
    lib->BeginUpdate();
    for (int i = 0; i < songs; ++i) {
      const std::string dir = root + "/music/artist" + std::to_string(i / 1000) + "/album" + std::to_string(i / 12);
      if (i % 12 == 0 || i % 1000 == 0) fs::create_directories(dir);
      const std::string path = dir + "/" + std::to_string(i % 12 + 1) + " 노래 제목 " + std::to_string(i) + ".mp3";
      std::ofstream(path) << "x";
      const std::uint32_t index = lib->InsertItem(path, TYX::kItemKindFile);
      TYX::TYX_LibraryItem* item = store.GetLibraryItem(index);
      if (item == nullptr || all->InsertItem(index, 0) == TYX::kNoPosition) {
        std::fprintf(stderr, "cannot add %s\n", path.c_str());
        return 1;
      }
      TYX::TYX_LibraryItemData d = item->GetData();
      d.Text(TYX::ItemText::Title) = "노래 제목 " + std::to_string(i);
      d.Text(TYX::ItemText::Artist) = "가수 " + std::to_string(i / 1000);
      d.Text(TYX::ItemText::Album) = "앨범 " + std::to_string(i / 12);
      d.Text(TYX::ItemText::Format) = "MPEG Layer 3";
      d.Number(TYX::ItemNumber::SampleRate) = 44100;
      d.Number(TYX::ItemNumber::Duration) = 180 + i % 120;
      item->SetData(d);
    }
    if (!lib->EndUpdate()) std::fprintf(stderr, "commit failed\n");
  }
  const std::string data = root + "/data";
  struct Case {
    const char* what;
    std::vector<std::string> args;
  };
  const Case cases[] = {
      {"ls (library page, default columns)", {"--data", data, "-q", "ls"}},
      {"ls --format path,format", {"--data", data, "-q", "ls", "--format", "path,format"}},
      {"ls artist:'가수 7' (narrowed)", {"--data", data, "-q", "ls", "artist:가수 7"}},
      {"ls now-playing (empty page)", {"--data", data, "-q", "ls", "now-playing"}},
  };
  std::printf("sonvar ls, whole process, %d songs (target: 1000 ms or less)\n", songs);
  for (const Case& c : cases) {
    std::vector<double> times;
    for (int run = 0; run < 3; ++run) times.push_back(TimeRun(c.args));
    std::sort(times.begin(), times.end());
    if (times.front() < 0) {
      std::printf("  %-40s failed\n", c.what);
      continue;
    }
    std::printf("  %-40s best %6.0f ms, median %6.0f ms\n", c.what, times[0], times[1]);
  }
  // TYX_BENCH_KEEP=1 keeps the library for profiling a single run.
  if (const char* keep = std::getenv("TYX_BENCH_KEEP"); keep != nullptr && *keep == '1') {
    std::printf("library kept in %s\n", data.c_str());
    return 0;
  }
  std::error_code ec;
  fs::remove_all(root, ec);
  return 0;
}
