// Conversion through the progress dialog against the extraction worker alone, on the same 20 WAV files
// of 30 s each to MP3 at 128 kbps (not a test). The dialog adds, per file, the target name, the tags
// copied onto the new file and its entry in a SQLite library. Rounds alternate; the best of each is
// compared. Usage: convert_dialog_bench [files] [seconds] [rounds].
#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "components/media/taglib_media_factory.h"
#include "components/store/library_store.h"
#include "convert/extractor_slot.h"
#include "convert/extractor_thread.h"
#include "convert/media_converting.h"
#include "convert/media_converting_progress_dlg.h"
#include "platform/messaging.h"
#include "platform/user_agent.h"
#include "platform/window.h"
#include "util/reg.h"

using namespace TYX::Convert;
using namespace TYX::Win;

namespace {

bool WriteMusicWav(const std::string& path, int seconds, double pitch) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const std::uint32_t rate = 44100, frames = rate * static_cast<std::uint32_t>(seconds), data = frames * 4;
  auto put32 = [&](std::uint32_t v) { std::fwrite(&v, 4, 1, f); };
  auto put16 = [&](std::uint16_t v) { std::fwrite(&v, 2, 1, f); };
  std::fwrite("RIFF", 1, 4, f);
  put32(36 + data);
  std::fwrite("WAVEfmt ", 1, 8, f);
  put32(16);
  put16(1);
  put16(2);
  put32(rate);
  put32(rate * 4);
  put16(4);
  put16(16);
  std::fwrite("data", 1, 4, f);
  put32(data);
  std::vector<std::int16_t> block(2 * 4410);
  std::uint32_t seed = 12345;
  for (std::uint32_t i = 0; i < frames; i += 4410) {
    for (std::uint32_t j = 0; j < 4410; ++j) {
      const double t = static_cast<double>(i + j) / rate;
      seed = seed * 1664525u + 1013904223u;
      const double noise = (static_cast<int>(seed >> 16) % 2000 - 1000) / 1000.0 * 0.05;
      const double music =
          0.3 * std::sin(2 * M_PI * (pitch + 30 * std::sin(t)) * t) + 0.2 * std::sin(2 * M_PI * 1234.5 * t);
      block[2 * j] = static_cast<std::int16_t>((music + noise) * 32767);
      block[2 * j + 1] = static_cast<std::int16_t>((0.8 * music - noise) * 32767);
    }
    std::fwrite(block.data(), 2, block.size(), f);
  }
  return std::fclose(f) == 0;
}

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void FreshFolder(const std::string& path) {
  std::system(("rm -rf '" + path + "'").c_str());
  ::mkdir(path.c_str(), 0755);
}

class Owner : public Window {
 public:
  int done = 0;
  int failed = 0;
  Owner() {
    OnMessage(WM_EXTRACTOR_PROGRESS, [this](WPARAM w, LPARAM l) {
      if (w == EXTRACTOR_DONE) {
        ++done;
        if (l != 0) ++failed;
      }
      return LRESULT{0};
    });
    Create(nullptr, Rect{0, 0, 10, 10}, WS_POPUP);
  }
};

}  // namespace

int main(int argc, char** argv) {
  const int files = argc > 1 ? std::atoi(argv[1]) : 20;
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 30;
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
  char tmpl[] = "/tmp/convert_dialog_bench_XXXXXX";
  const std::string dir = mkdtemp(tmpl);
  TYX::Util::TYX_Reg::SetStoreFile(dir + "/registry.ini");
  TYX::Media::InstallTagLibMediaFactory();
  auto quiet = std::make_shared<HeadlessUserAgent>();
  quiet->SetQuiet(true);
  SetUserAgent(quiet);
  auto opened = TYX::Store::TYX_LibraryStore::Open(dir + "/lib/music.db");
  if (!opened.store) {
    std::fprintf(stderr, "no store: %s\n", opened.error.c_str());
    return 1;
  }
  std::vector<std::uint32_t> songs;
  for (int i = 0; i < files; ++i) {
    const std::string path = dir + "/song" + std::to_string(i) + ".wav";
    if (!WriteMusicWav(path, seconds, 200 + 7 * i)) return 1;
    songs.push_back(opened.store->GetLibrary()->InsertItem(path, 1));
  }
  const auto list = TYX::Dialog::BuildMediaFileList(*opened.store, songs);

  Owner owner;
  CExtractorThread* worker = AcquireExtractorThread(owner.GetSafeHwnd());
  worker->ResumeThread();
  double bestWorker = 1e9, bestDialog = 1e9;
  int dialogProblems = 0, workerFailures = 0;
  std::printf("%d files of %d s, 44100 Hz stereo WAV to MP3 128 kbps\n", files, seconds);
  std::printf("%-6s %12s %12s\n", "round", "worker s", "dialog s");
  for (int r = 0; r < rounds; ++r) {
    // The worker alone: one job after the other, each started when the last one reported.
    FreshFolder(dir + "/w");
    worker->SetOwner(owner.GetSafeHwnd());
    const int before = owner.done;
    const double t0 = Now();
    for (std::size_t i = 0; i < list.size(); ++i) {
      worker->SetJob(0, 0, list[i].path, 3, dir + "/w/song" + std::to_string(i) + ".mp3", EXTRACT_FORMAT_MP3, 128,
                     list[i].duration, static_cast<unsigned>(list[i].sampleRate), list[i].channels, list[i].channels);
      worker->PostThreadMessage(WM_EXTRACTOR_START, 1);
      PumpUntil([&] { return owner.done > before + static_cast<int>(i); }, 600000);
    }
    const double tw = Now() - t0;
    workerFailures = owner.failed;

    // The same files through the progress dialog, which closes itself at the end.
    FreshFolder(dir + "/d");
    TYX::Dialog::TYX_MediaConverting_ProgressDlg dlg;
    dlg.SetFileList(list);
    dlg.SetLibrary(opened.store.get());
    TYX::Dialog::TYX_MediaConverting_ProgressDlg::Options o;
    o.bitrate = 128;
    o.saveToSource = false;
    o.userFolder = dir + "/d";
    dlg.SetOptions(o);
    const double t1 = Now();
    dlg.DoModal();
    const double td = Now() - t1;
    dialogProblems = dlg.ProblemCount();
    std::printf("%-6d %12.2f %12.2f\n", r + 1, tw, td);
    bestWorker = std::min(bestWorker, tw);
    bestDialog = std::min(bestDialog, td);
  }
  std::printf("best: worker %.2f s, dialog %.2f s, ratio %.3f (target <= 1.03)%s%s\n", bestWorker, bestDialog,
              bestDialog / bestWorker, workerFailures ? "  (worker jobs failed)" : "",
              dialogProblems ? "  (dialog files failed)" : "");
  EndExtractorThread();
  std::system(("rm -rf '" + dir + "'").c_str());
  return 0;
}
