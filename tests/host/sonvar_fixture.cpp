#include "host/sonvar_fixture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "components/store/library_store.h"
#include "contracts/media.h"
#include "helpers/media_fixtures.h"

namespace TYX::Test {

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::map<std::string, std::string>& env, int timeoutSeconds, int uid) {
  ProgramRun run;
  int outPipe[2], errPipe[2];
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return run;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    close(outPipe[0]);
    close(errPipe[0]);
    for (const auto& [k, v] : env) setenv(k.c_str(), v.c_str(), 1);
    if (uid >= 0 && (setgid(static_cast<gid_t>(uid)) != 0 || setuid(static_cast<uid_t>(uid)) != 0)) _exit(126);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&run.out, &run.err};
  int open = 2;
  bool killed = false;
  while (open > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      kill(pid, SIGKILL);
      killed = true;
      break;
    }
    if (poll(fds, 2, static_cast<int>(left.count())) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buf[65536];
      const ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        sinks[i]->append(buf, static_cast<std::size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  for (pollfd& f : fds)
    if (f.fd >= 0) close(f.fd);
  int status = 0;
  waitpid(pid, &status, 0);
  run.exitCode = !killed && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

SonvarTest::SonvarTest() { std::filesystem::create_directories(Music()); }

ProgramRun SonvarTest::Sonvar(const std::vector<std::string>& args, int uid) const {
  const std::map<std::string, std::string> env = {{"XDG_DATA_HOME", XdgData()},
                                                  {"XDG_CONFIG_HOME", Root() + "/xdg-config"},
                                                  {"XDG_STATE_HOME", Root() + "/xdg-state"},
                                                  {"HOME", Root() + "/home"},
                                                  {"TYX_LOG_FILE", ""},
                                                  {"TYX_CD_IMAGES", ""}};
  return RunProgram(SONVAR_PROGRAM, args, env, 120, uid);
}

ProgramRun SonvarTest::SonvarAsNobody(const std::vector<std::string>& args) const { return Sonvar(args, 65534); }

ProgramRun SonvarTest::SonvarData(const std::vector<std::string>& args) const {
  std::vector<std::string> all = {"--data", Data()};
  all.insert(all.end(), args.begin(), args.end());
  return Sonvar(all);
}

std::string SonvarTest::MakeSong(const SongSpec& song) const {
  const std::string path = Music() + "/" + song.file;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  const std::string ext = std::filesystem::path(path).extension().string();
  const SynthFormat format = ext == ".mp3" ? SynthFormat::MP3 : ext == ".ogg" ? SynthFormat::OGG : SynthFormat::WAV;
  SynthOptions options;
  options.seconds = 3.0;
  const std::string e = SynthesizeAudio(path, format, options);
  EXPECT_EQ(e, "") << path;
  std::string error;
  TYX_MediaPtr media = TYX_Media::Instance(path, 0, &error);
  EXPECT_TRUE(media) << error;
  if (media) {
    media->SetTitle(song.title);
    media->SetArtist(song.artist);
    media->SetAlbum(song.album);
    media->SetGenre(song.genre);
    EXPECT_EQ(media->Save(), 0) << path;
  }
  return path;
}

std::string SonvarTest::MakeDamaged(const std::string& file) const {
  const std::string path = Music() + "/" + file;
  std::ofstream out(path, std::ios::binary);
  for (int i = 0; i < 4096; ++i) out.put(static_cast<char>((i * 7919) & 0x7F));
  return path;
}

std::string SonvarTest::MakeMidi(const std::string& file) const {
  const std::string path = Music() + "/" + file;
  const unsigned char bytes[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 0x60, 'M', 'T', 'r', 'k', 0, 0, 0, 12,
                                 0, 0x90, 60, 100, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00};
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
  return path;
}

void SonvarTest::SeedLibrary(const std::vector<std::string>& paths) const {
  auto opened = Store::TYX_LibraryStore::Open(Data() + "/music_library.db");
  ASSERT_TRUE(opened.store) << opened.error;
  TYX_Playlist* library = opened.store->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY);
  for (const std::string& p : paths) ASSERT_NE(library->InsertItem(p, 0, kItemKindFile), kNoPosition) << p;
}

std::uint32_t SonvarTest::CountPlaylist(std::uint32_t stockId) const {
  auto opened = Store::TYX_LibraryStore::Open(Data() + "/music_library.db");
  EXPECT_TRUE(opened.store) << opened.error;
  if (!opened.store) return 0;
  return opened.store->GetStockPlaylist(static_cast<ENUM_STOCK_PLAYLIST>(stockId))->CountItem();
}

}  // namespace TYX::Test
