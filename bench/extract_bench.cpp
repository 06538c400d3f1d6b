// The extraction worker against the command-line encoders on the same five-minute WAV (not a test).
// Prints seconds, the worker's time as a ratio of the command-line encoder's, and the worker's peak
// memory. Run scripts/bench-extract.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "convert/extractor_thread.h"
#include "platform/messaging.h"
#include "platform/window.h"

using namespace TYX::Convert;
using namespace TYX::Win;

namespace {

bool WriteSweepWav(const std::string& path, int seconds) {
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
      const double music = 0.3 * std::sin(2 * M_PI * (220 + 30 * std::sin(t)) * t) + 0.2 * std::sin(2 * M_PI * 1234.5 * t);
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

double RunCommand(const std::string& cmd) {
  const double t0 = Now();
  const int rc = std::system((cmd + " >/dev/null 2>&1").c_str());
  const double t = Now() - t0;
  if (rc != 0) std::printf("  (command failed: %s)\n", cmd.c_str());
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 300;
  char tmpl[] = "/tmp/extract_bench_XXXXXX";
  const std::string dir = mkdtemp(tmpl);
  const std::string wav = dir + "/source.wav";
  if (!WriteSweepWav(wav, seconds)) return 1;

  class Owner : public Window {
   public:
    int done = 0;
    long result = -1;
    Owner() {
      OnMessage(WM_EXTRACTOR_PROGRESS, [this](WPARAM w, LPARAM l) {
        if (w == EXTRACTOR_DONE) {
          ++done;
          result = static_cast<long>(l);
        }
        return LRESULT{0};
      });
      Create(nullptr, Rect{0, 0, 10, 10}, WS_POPUP);
    }
  } owner;
  CExtractorThread worker;
  worker.CreateThread(true);
  worker.SetOwner(owner.GetSafeHwnd());
  worker.ResumeThread();

  struct Case {
    const char* name;
    int format;
    int bitrate;
    const char* ext;
    std::string cli;
    double limit;
    // The same encoder settings the worker uses, where they differ from the plain command line: the
    // worker's MP3 VBR is LAME's older VBR routine and its Ogg at a nominal rate runs libvorbis's
    // bit-rate management, which the plain commands do not use.
    std::string cliSameSettings = {};
  };
  const std::vector<Case> cases = {
      {"MP3 128 kbps CBR", EXTRACT_FORMAT_MP3, 128, "mp3", "lame -b 128 " + wav + " " + dir + "/cli.mp3", 1.05},
      {"MP3 VBR 5", EXTRACT_FORMAT_MP3, 1005, "mp3", "lame -V 5 " + wav + " " + dir + "/cli.mp3", 1.05,
       "lame --vbr-old -V 5 " + wav + " " + dir + "/cli.mp3"},
      {"Ogg 128 kbps", EXTRACT_FORMAT_OGG, 128, "ogg", "oggenc -Q -b 128 -o " + dir + "/cli.ogg " + wav, 1.05,
       "oggenc -Q --managed -b 128 -o " + dir + "/cli.ogg " + wav},
      {"WMA 128 kbps", EXTRACT_FORMAT_WMA, 128, "wma",
       "ffmpeg -y -i " + wav + " -c:a wmav2 -b:a 128k " + dir + "/cli.wma", 1.10},
  };
  std::printf("%d s of 44100 Hz stereo WAV\n", seconds);
  std::printf("%-18s %10s %10s %8s %8s\n", "job", "worker s", "cli s", "ratio", "target");
  for (const Case& c : cases) {
    const std::string out = dir + "/worker." + c.ext;
    worker.SetJob(0, 0, wav, 0, out, c.format, c.bitrate, seconds, 44100, 2, 2);
    const int before = owner.done;
    const double t0 = Now();
    worker.PostThreadMessage(WM_EXTRACTOR_START, 1);
    PumpUntil([&] { return owner.done > before; }, 600000);
    const double tw = Now() - t0;
    const double tc = RunCommand(c.cli);
    std::printf("%-18s %10.2f %10.2f %8.3f %8.2f%s\n", c.name, tw, tc, tw / tc, c.limit,
                owner.result == 0 ? "" : "  (job failed)");
    if (!c.cliSameSettings.empty()) {
      const double ts = RunCommand(c.cliSameSettings);
      std::printf("%-18s %10s %10.2f %8.3f   (command line with the worker's settings)\n", "", "", ts, tw / ts);
    }
  }
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  std::printf("worker process peak memory: %.1f MiB\n", ru.ru_maxrss / 1024.0);
  std::system(("rm -rf " + dir).c_str());
  return 0;
}
