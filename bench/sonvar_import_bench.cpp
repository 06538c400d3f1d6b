// `sonvar import` of a folder of tagged files (MP3, Ogg, WAV mixed), timed as a whole process, beside
// a loop in this process that only reads the same files' tags with TagLib.
// Usage: sonvar_import_bench [files]   (default 10000)
#include <fcntl.h>
#include <sys/wait.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "components/media/taglib_media_factory.h"
#include "contracts/media.h"
#include "helpers/media_fixtures.h"

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  const int count = argc > 1 ? std::max(3, std::atoi(argv[1])) : 10000;
  TYX::Media::InstallTagLibMediaFactory();
  std::string base = fs::temp_directory_path().string() + "/sonvar-import-bench-XXXXXX";
  if (!mkdtemp(base.data())) return 1;
  const TYX::Test::SynthFormat formats[] = {TYX::Test::SynthFormat::MP3, TYX::Test::SynthFormat::OGG,
                                            TYX::Test::SynthFormat::WAV};
  std::vector<std::string> sources;
  for (auto format : formats) {
    const std::string path = base + "/source." + TYX::Test::SynthExtension(format);
    TYX::Test::SynthOptions options;
    options.seconds = 1.0;
    if (auto error = TYX::Test::SynthesizeAudio(path, format, options); !error.empty()) return 1;
    TYX::TYX_MediaPtr m = TYX::TYX_Media::Instance(path);
    if (!m) return 1;
    m->SetTitle("벤치마크 제목");
    m->SetArtist("Artist");
    m->SetAlbum("Album");
    if (m->Save() != 0) return 1;
    sources.push_back(path);
  }
  std::vector<std::string> files;
  for (int i = 0; i < count; ++i) {
    const std::string dir = base + "/music/" + std::to_string(i % 100);
    fs::create_directories(dir);
    const std::string& src = sources[static_cast<std::size_t>(i) % sources.size()];
    files.push_back(dir + "/song" + std::to_string(i) + fs::path(src).extension().string());
    fs::copy_file(src, files.back());
  }

  auto t0 = std::chrono::steady_clock::now();
  int failed = 0;
  for (const std::string& f : files) {
    TagLib::FileRef ref(f.c_str());
    if (ref.isNull() || !ref.tag() || ref.tag()->title().isEmpty()) ++failed;
  }
  const double tagSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

  fs::create_directories(base + "/data");
  t0 = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    const std::string data = base + "/data", music = base + "/music";
    execl(SONVAR_PROGRAM, SONVAR_PROGRAM, "--data", data.c_str(), "-q", "import", music.c_str(), nullptr);
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  const double importSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  const double tagRate = files.size() / tagSeconds, importRate = files.size() / importSeconds;
  std::printf("files                    %zu (mp3, ogg, wav; 1 s each, tagged)\n", files.size());
  std::printf("TagLib tag reads         %.0f files/s (%d failed)\n", tagRate, failed);
  std::printf("sonvar import, process   %.0f files/s (exit status %d)\n", importRate,
              WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  std::printf("ratio import / TagLib    %.2f (target >= 0.7)\n", importRate / tagRate);
  // TYX_BENCH_KEEP=1 keeps the folder (music/ and the library in data/) for profiling a single run.
  if (const char* keep = std::getenv("TYX_BENCH_KEEP"); keep != nullptr && *keep == '1') {
    std::printf("kept in %s\n", base.c_str());
    return 0;
  }
  std::error_code ec;
  fs::remove_all(base, ec);
  return 0;
}
