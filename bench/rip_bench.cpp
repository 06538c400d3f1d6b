// Ripping a ten-track CD image to Ogg Vorbis Q5 through the ripping dialog (worker, tags, library,
// checksum read, log and cue sheet) beside `oggenc -q 5` on the same PCM, track by track (not a test).
// Prints seconds and the ratio; the target is 1.10. Arguments: seconds per track (default 30), rounds
// (default 3; the best round of each side counts).
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "components/audio/cd_drive.h"
#include "components/media/taglib_media_factory.h"
#include "components/store/library_store.h"
#include "convert/extractor_slot.h"
#include "convert/ripping_dialog.h"
#include "platform/user_agent.h"
#include "toolkit/check_box.h"
#include "toolkit/edit.h"
#include "util/reg.h"

using namespace TYX;
using namespace TYX::Win;
using Dlg = TYX::Dialog::TYX_Dialog_Ripping;

namespace {

double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

void Put32(std::FILE* f, std::uint32_t v) { std::fwrite(&v, 4, 1, f); }
void Put16(std::FILE* f, std::uint16_t v) { std::fwrite(&v, 2, 1, f); }

// Music-like PCM of one track: two gliding tones and a little noise, whole sectors.
std::vector<std::int16_t> TrackPcm(int track, int seconds) {
  const std::size_t frames = (static_cast<std::size_t>(seconds) * 44100 + 587) / 588 * 588;
  std::vector<std::int16_t> pcm(frames * 2);
  std::uint32_t seed = 777u + static_cast<std::uint32_t>(track);
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / 44100.0;
    seed = seed * 1664525u + 1013904223u;
    const double noise = (static_cast<int>(seed >> 16) % 2000 - 1000) / 1000.0 * 0.04;
    const double base = 180.0 + 40.0 * track;
    const double music = 0.3 * std::sin(2 * M_PI * (base + 25 * std::sin(t)) * t) + 0.2 * std::sin(2 * M_PI * 1234.5 * t);
    pcm[2 * i] = static_cast<std::int16_t>((music + noise) * 32767);
    pcm[2 * i + 1] = static_cast<std::int16_t>((0.8 * music - noise) * 32767);
  }
  return pcm;
}

bool WriteWav(const std::string& path, const std::vector<std::int16_t>& pcm) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const auto data = static_cast<std::uint32_t>(pcm.size() * 2);
  std::fwrite("RIFF", 1, 4, f);
  Put32(f, 36 + data);
  std::fwrite("WAVEfmt ", 1, 8, f);
  Put32(f, 16);
  Put16(f, 1);
  Put16(f, 2);
  Put32(f, 44100);
  Put32(f, 176400);
  Put16(f, 4);
  Put16(f, 16);
  std::fwrite("data", 1, 4, f);
  Put32(f, data);
  std::fwrite(pcm.data(), 2, pcm.size(), f);
  return std::fclose(f) == 0;
}

// Types the album, ticks variable bit rate (Q5 is the default quality) and presses OK; every
// question gets its default answer.
class BenchAgent : public HeadlessUserAgent {
 public:
  void OnModalOpened(Window& w) override {
    auto* d = dynamic_cast<Dlg*>(&w);
    if (d == nullptr) return;
    d->ArtistEdit()->TypeText("Bench");
    d->AlbumEdit()->TypeText("Round");
    if (!d->VbrCheck()->GetCheck()) d->VbrCheck()->Click();
    d->ClickButton(IDOK);
  }
};

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  const int tracks = 10;
  char tmpl[] = "/tmp/rip_bench_XXXXXX";
  const std::string dir = mkdtemp(tmpl);
  ::setenv("XDG_MUSIC_DIR", (dir + "/music").c_str(), 1);
  ::setenv("XDG_STATE_HOME", (dir + "/state").c_str(), 1);
  Util::TYX_Reg::SetStoreFile(dir + "/registry.ini");
  Media::InstallTagLibMediaFactory();
  auto opened = Store::TYX_LibraryStore::Open(dir + "/library.db");
  if (!opened.store) {
    std::printf("no library: %s\n", opened.error.c_str());
    return 1;
  }

  // The image and the same PCM as one WAV per track.
  std::FILE* bin = std::fopen((dir + "/disc.bin").c_str(), "wb");
  std::string cue = "FILE \"disc.bin\" BINARY\n";
  std::size_t sectors = 0;
  std::vector<Dlg::TYX_Rip_Info> list;
  for (int t = 0; t < tracks; ++t) {
    const auto pcm = TrackPcm(t, seconds);
    char line[96];
    std::snprintf(line, sizeof line, "  TRACK %02d AUDIO\n    INDEX 01 %02zu:%02zu:%02zu\n", t + 1, sectors / 4500,
                  (sectors / 75) % 60, sectors % 75);
    cue += line;
    std::fwrite(pcm.data(), 2, pcm.size(), bin);
    sectors += pcm.size() * 2 / 2352;
    WriteWav(dir + "/t" + std::to_string(t) + ".wav", pcm);
    list.push_back({0, t, seconds});
  }
  std::fclose(bin);
  if (std::FILE* f = std::fopen((dir + "/disc.cue").c_str(), "wb")) {
    std::fputs(cue.c_str(), f);
    std::fclose(f);
  }
  Audio::SetAudioCD(Audio::CreateCdioAudioCD({dir + "/disc.cue"}, false));
  auto agent = std::make_shared<BenchAgent>();
  agent->SetQuiet(true);
  SetUserAgent(agent);

  double bestDialog = 1e9;
  double bestCli = 1e9;
  for (int r = 0; r < rounds; ++r) {
    double t0 = Now();
    Dlg dlg;
    dlg.SetFileList(list);
    dlg.SetLibrary(opened.store.get());
    dlg.SetRipHistoryFolder(dir + "/history");
    const int result = dlg.DoModal();
    const double td = Now() - t0;
    if (result != IDOK || dlg.ProblemCount() != 0) std::printf("  (rip round %d: result %d, problems %d)\n", r, result, dlg.ProblemCount());
    t0 = Now();
    for (int t = 0; t < tracks; ++t) {
      const std::string cmd = "oggenc -Q -q 5 -o " + dir + "/cli" + std::to_string(t) + ".ogg " + dir + "/t" +
                              std::to_string(t) + ".wav >/dev/null 2>&1";
      if (std::system(cmd.c_str()) != 0) std::printf("  (oggenc failed)\n");
    }
    const double tc = Now() - t0;
    std::printf("round %d: dialog %.2f s, oggenc %.2f s, ratio %.3f\n", r + 1, td, tc, td / tc);
    bestDialog = std::min(bestDialog, td);
    bestCli = std::min(bestCli, tc);
  }
  std::printf("%d tracks x %d s, Ogg Q5: dialog %.2f s, oggenc -q 5 %.2f s, ratio %.3f (target 1.10)\n", tracks,
              seconds, bestDialog, bestCli, bestDialog / bestCli);
  SetUserAgent(nullptr);
  Convert::EndExtractorThread();
  Audio::SetAudioCD(nullptr);
  opened.store.reset();
  std::system(("rm -rf " + dir).c_str());
  return 0;
}
