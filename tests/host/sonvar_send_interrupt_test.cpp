// Ctrl-C during `sonvar send` cancels the transfer through its dialog: the songs not sent are reported
// cancelled and kept for --retry-failed, and no unfinished copy is left on the phone.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "components/devicemgr/device_path.h"
#include "helpers/media_fixtures.h"
#include "host/sonvar_fixture.h"

namespace TYX::Test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using Clock = std::chrono::steady_clock;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool HasUnfinishedPut(const std::string& folder) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    if (it->path().filename().string().rfind(DeviceMgr::kPutTempPrefix, 0) == 0) return true;
  return false;
}

class SonvarSendInterruptTest : public SonvarTest {};

TEST_F(SonvarSendInterruptTest, CtrlCCancelsTheTransferAndKeepsTheCancelledSongsForARetry) {
  // Three large songs, so that the interrupt comes while songs are still to be copied.
  const std::string seed = Root() + "/seed.mp3";
  SynthOptions options;
  options.seconds = 20.0;
  ASSERT_EQ(SynthesizeAudio(seed, SynthFormat::MP3, options), "");
  const std::string frames = ReadAll(seed);
  std::vector<std::string> songs;
  for (int i = 0; i < 3; ++i) {
    songs.push_back(Music() + "/long" + std::to_string(i) + ".mp3");
    std::ofstream out(songs.back(), std::ios::binary);
    for (int k = 0; k < 120; ++k) out << frames;
  }
  SeedLibrary(songs);
  const std::string phone = Root() + "/phone";
  fs::create_directories(phone + "/MUSIC");
  std::ofstream(phone + "/tyx_device.ini") << "Model=YP-T9\nKind=7\nType=2\nFolder=\\MUSIC\n";

  const std::string out = Root() + "/out.txt", err = Root() + "/err.txt";
  const pid_t pid = fork();
  if (pid == 0) {
    const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(o, 1);
    dup2(e, 2);
    setenv("XDG_DATA_HOME", XdgData().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (Root() + "/xdg-config").c_str(), 1);
    setenv("XDG_STATE_HOME", (Root() + "/xdg-state").c_str(), 1);
    setenv("HOME", (Root() + "/home").c_str(), 1);
    setenv("TYX_LOG_FILE", "", 1);
    const std::string data = Data(), query = "path:/long";
    execl(SONVAR_PROGRAM, SONVAR_PROGRAM, "--data", data.c_str(), "send", query.c_str(), "--phone", phone.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_GT(pid, 0);
  // The interrupt comes once the first copy is under way.
  const auto deadline = Clock::now() + std::chrono::seconds(120);
  bool copying = false;
  int status = 0;
  bool ended = false;
  while (Clock::now() < deadline && !copying && !ended) {
    copying = HasUnfinishedPut(phone + "/MUSIC");
    ended = waitpid(pid, &status, WNOHANG) == pid;
    if (!copying && !ended) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (copying) kill(pid, SIGINT);
  while (!ended && Clock::now() < deadline) {
    ended = waitpid(pid, &status, WNOHANG) == pid;
    if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (!ended) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    FAIL() << "sonvar did not end after the interrupt";
  }
  const std::string stdoutText = ReadAll(out), stderrText = ReadAll(err);
  ASSERT_TRUE(copying) << "the transfer ended before its first copy was seen\n" << stdoutText << stderrText;
  ASSERT_TRUE(WIFEXITED(status)) << "sonvar died of a signal\n" << stderrText;
  if (stdoutText.find("cancelled: ") == std::string::npos) {
    GTEST_SKIP() << "every copy ended before the interrupt was handled:\n" << stdoutText;
  }
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_THAT(stderrText, HasSubstr("interrupted: the transfer was cancelled"));
  EXPECT_FALSE(HasUnfinishedPut(phone + "/MUSIC"));
  // The cancelled songs wait in the last report for a retry.
  EXPECT_THAT(ReadAll(Data() + "/last_transfer.csv"), HasSubstr("long"));
  const ProgramRun retry = SonvarData({"-q", "send", "--retry-failed", "--phone", phone});
  EXPECT_EQ(retry.exitCode, 0) << retry.err;
  for (const std::string& song : songs) {
    EXPECT_EQ(fs::file_size(phone + "/MUSIC/" + fs::path(song).filename().string()), fs::file_size(song)) << song;
  }
}

}  // namespace
}  // namespace TYX::Test
