// Adding a folder of 10 000 tagged files (MP3, Ogg, WAV mixed) through the function set, its worker and
// its popup, beside a loop that only reads the same files' tags with TagLib, in the same run.
//
// Figures: files per second of both and their ratio; the longest time the window thread took to answer
// while the run went on (a probe thread sends it an empty message every 2 ms, so that is the longest
// time the thread spent in one message, within the probe's period); the peak resident memory.
// Usage: import_bench [files] [rounds]
#include <sys/resource.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "components/media/taglib_media_factory.h"
#include "components/store/library_store.h"
#include "contracts/media.h"
#include "helpers/media_fixtures.h"
#include "library/libarary_func_set.h"
#include "platform/messaging.h"
#include "platform/user_agent.h"
#include "platform/window.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace TYX::Win;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

long PeakKiB() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

bool ReadWithTagLib(const std::string& path, std::size_t& sink) {
  TagLib::FileRef f(path.c_str(), true, TagLib::AudioProperties::Average);
  if (f.isNull() || !f.tag()) return false;
  sink += f.tag()->title().size() + f.tag()->artist().size() + f.tag()->album().size() + f.tag()->genre().size();
  sink += f.tag()->year() + f.tag()->track();
  if (f.audioProperties()) sink += static_cast<std::size_t>(f.audioProperties()->lengthInMilliseconds() & 1);
  return true;
}

// Answers the folder chooser with the bench folder and watches the popup's window thread.
class BenchAgent : public HeadlessUserAgent {
 public:
  explicit BenchAgent(std::string folder) : folder_(std::move(folder)) { SetQuiet(true); }
  std::optional<std::string> ChooseFolder(const FolderRequest&) override { return folder_; }
  void OnModalOpened(Window& dialog) override { popup = dialog.GetSafeHwnd(); }
  std::atomic<HWND> popup{nullptr};

 private:
  std::string folder_;
};

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::max(3, std::atoi(argv[1])) : 10000;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  TYX::Media::InstallTagLibMediaFactory();
  std::string base = std::filesystem::temp_directory_path().string() + "/tyx-import-bench-XXXXXX";
  if (!mkdtemp(base.data())) return 1;
  const std::string music = base + "/music";

  // Three tagged sources, copied into a tree of 100 folders.
  const TYX::Test::SynthFormat formats[] = {TYX::Test::SynthFormat::MP3, TYX::Test::SynthFormat::OGG,
                                            TYX::Test::SynthFormat::WAV};
  std::vector<std::string> sources;
  for (auto format : formats) {
    const std::string path = base + "/source." + TYX::Test::SynthExtension(format);
    TYX::Test::SynthOptions options;
    options.seconds = 1.0;
    if (auto error = TYX::Test::SynthesizeAudio(path, format, options); !error.empty()) {
      std::fprintf(stderr, "cannot synthesise %s: %s\n", path.c_str(), error.c_str());
      return 1;
    }
    TYX::TYX_MediaPtr m = TYX::TYX_Media::Instance(path);
    if (!m) return 1;
    m->SetTitle("벤치마크 제목");
    m->SetArtist("Artist");
    m->SetAlbum("Album");
    m->SetGenre("Pop");
    m->SetYear("2005");
    m->SetTrack(3);
    if (m->Save() != 0) return 1;
    sources.push_back(path);
  }
  std::vector<std::string> files;
  for (int i = 0; i < count; ++i) {
    const std::string& src = sources[static_cast<std::size_t>(i) % sources.size()];
    const std::string folder = music + "/a" + std::to_string(i % 10) + "/b" + std::to_string((i / 10) % 10);
    std::filesystem::create_directories(folder);
    files.push_back(folder + "/song" + std::to_string(i) + std::filesystem::path(src).extension().string());
    std::filesystem::copy_file(src, files.back());
  }
  const long baseKiB = PeakKiB();

  // Rounds alternate the two readers, so both see the same page cache and the same load on the machine;
  // the best round of each counts.
  std::size_t sink = 0;
  for (const auto& f : files) ReadWithTagLib(f, sink);  // warm-up
  int tagFailures = 0;
  double tagSeconds = 1e9;
  double importSeconds = 1e9;
  double storeSeconds = 1e9;
  std::atomic<long long> longestUs{0};
  std::atomic<long> probes{0};
  std::uint32_t result = 0;
  TYX::Library::TYX_ImportSummary summary;
  auto agent = std::make_shared<BenchAgent>(music);
  SetUserAgent(agent);
  for (int round = 0; round < rounds; ++round) {
    auto t0 = Clock::now();
    for (const auto& f : files) tagFailures += ReadWithTagLib(f, sink) ? 0 : 1;
    tagSeconds = std::min(tagSeconds, Seconds(t0));

    // The import: a new store, the function set's folder dialog, the worker and the popup.
    const std::string lib = base + "/lib" + std::to_string(round);
    auto opened = TYX::Store::TYX_LibraryStore::Open(lib + "/music.db");
    if (!opened.store) {
      std::fprintf(stderr, "store: %s\n", opened.error.c_str());
      return 1;
    }
    agent->popup = nullptr;
    std::atomic<bool> done{false};
    std::thread probe([&] {
      while (!done.load()) {
        HWND h = agent->popup.load();
        if (h != nullptr && IsWindow(h)) {
          const auto s = Clock::now();
          LRESULT r = 0;
          if (SendMessageTimeout(h, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &r)) {
            const long long us = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - s).count();
            if (us > longestUs.load()) longestUs = us;
            ++probes;
          }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    });
    TYX::Library::TYX_Libarary_FuncSet funcSet(opened.store.get());
    t0 = Clock::now();
    result = funcSet.ShowAddFolderDialog(nullptr, false, 9);
    importSeconds = std::min(importSeconds, Seconds(t0));
    done = true;
    probe.join();
    summary = funcSet.GetLastSummary();

    // The store alone on the same files: what the insert itself costs, without walk, worker or popup.
    auto second = TYX::Store::TYX_LibraryStore::Open(lib + "/alone.db");
    if (!second.store) return 1;
    TYX::TYX_Library* library = second.store->GetLibrary();
    t0 = Clock::now();
    for (std::size_t i = 0; i < files.size(); ++i) {
      if (i % 50 == 0) library->BeginUpdate();
      library->InsertItem(files[i], TYX::kItemKindFile);
      if (i % 50 == 49 || i + 1 == files.size()) library->EndUpdate();
    }
    storeSeconds = std::min(storeSeconds, Seconds(t0));
  }
  SetUserAgent(nullptr);

  const double tagRate = files.size() / tagSeconds;
  const double importRate = files.size() / importSeconds;
  std::printf("files                    %zu (mp3, ogg, wav; 1 s each, tagged)\n", files.size());
  std::printf("TagLib tag reads         %.0f files/s (%d failed)\n", tagRate, tagFailures);
  std::printf("import (function set)    %.0f files/s (result %u, %s)\n", importRate, result, summary.Text().c_str());
  std::printf("ratio import / TagLib    %.2f (target >= 0.8)\n", importRate / tagRate);
  std::printf("store inserts alone      %.0f files/s (import / store %.2f)\n", files.size() / storeSeconds,
              importRate / (files.size() / storeSeconds));
  std::printf("longest window answer    %.1f ms over %ld probes in %d rounds (target <= 50 ms)\n",
              longestUs.load() / 1000.0, probes.load(), rounds);
  std::printf("peak memory              %ld KiB (%ld KiB before the runs)\n", PeakKiB(), baseKiB);
  std::filesystem::remove_all(base);
  return summary.added == count ? 0 : 1;
}
