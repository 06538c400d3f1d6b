// Helpers of the media tests (kept in a _test.cpp file so that they belong to this program only).
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>

#include "media_test_support.h"

namespace TYX::Test {

const std::string& PristineFile(SynthFormat format) {
  static std::mutex lock;
  static std::unique_ptr<TempDir> dir;
  static std::map<SynthFormat, std::string> files;
  std::lock_guard<std::mutex> guard(lock);
  if (!dir) dir = std::make_unique<TempDir>();
  auto it = files.find(format);
  if (it == files.end()) {
    const std::string path = dir->File(std::string("pristine.") + SynthExtension(format));
    const std::string error = SynthesizeAudio(path, format);
    if (!error.empty()) ADD_FAILURE() << "cannot synthesise " << SynthExtension(format) << ": " << error;
    it = files.emplace(format, path).first;
  }
  return it->second;
}

std::string CopyPristine(const TempDir& dir, SynthFormat format, const std::string& name) {
  const std::string path = dir.File(name);
  std::filesystem::copy_file(PristineFile(format), path, std::filesystem::copy_options::overwrite_existing);
  return path;
}

ChildOutcome RunInChild(const std::function<std::pair<int, std::string>()>& step, int timeoutMs) {
  ChildOutcome outcome;
  int fds[2];
  if (pipe(fds) != 0) {
    ADD_FAILURE() << "pipe failed";
    return outcome;
  }
  const pid_t pid = fork();
  if (pid < 0) {
    ADD_FAILURE() << "fork failed";
    close(fds[0]);
    close(fds[1]);
    return outcome;
  }
  if (pid == 0) {
    close(fds[0]);
    const std::pair<int, std::string> result = step();
    const std::string report = std::to_string(result.first) + "\n" + result.second;
    std::size_t sent = 0;
    while (sent < report.size()) {
      const ssize_t n = write(fds[1], report.data() + sent, report.size() - sent);
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
    }
    close(fds[1]);
    _exit(0);  // no test framework clean-up in the child
  }
  close(fds[1]);
  std::string report;
  bool ended = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!ended) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) break;
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
    char buffer[4096];
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n > 0) {
      report.append(buffer, static_cast<std::size_t>(n));
    } else {
      ended = true;
    }
  }
  close(fds[0]);
  if (!ended) kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  const std::size_t newline = report.find('\n');
  if (ended && newline != std::string::npos && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
    outcome.finished = true;
    outcome.code = std::stoi(report.substr(0, newline));
    outcome.text = report.substr(newline + 1);
  }
  return outcome;
}

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(MediaFixtures, SynthesisedFilesAreRealAudioOfEachFormat) {
  // Signatures of the containers the encoders wrote.
  const std::vector<std::uint8_t> mp3 = ReadBytes(PristineFile(SynthFormat::MP3));
  const std::vector<std::uint8_t> ogg = ReadBytes(PristineFile(SynthFormat::OGG));
  const std::vector<std::uint8_t> wma = ReadBytes(PristineFile(SynthFormat::WMA));
  const std::vector<std::uint8_t> wav = ReadBytes(PristineFile(SynthFormat::WAV));
  ASSERT_GT(mp3.size(), 10000u);
  ASSERT_GT(ogg.size(), 4000u);
  ASSERT_GT(wma.size(), 10000u);
  // Two seconds of 16-bit stereo PCM, plus the RIFF headers.
  ASSERT_GE(wav.size(), 44u + 2u * 44100u * 2u * 2u);
  ASSERT_LT(wav.size(), 44u + 2u * 44100u * 2u * 2u + 1024u);
  EXPECT_TRUE((mp3[0] == 'I' && mp3[1] == 'D' && mp3[2] == '3') || (mp3[0] == 0xFF && (mp3[1] & 0xE0) == 0xE0));
  EXPECT_EQ(std::string(ogg.begin(), ogg.begin() + 4), "OggS");
  EXPECT_EQ(wma[0], 0x30);  // the ASF header object's GUID starts 30 26 B2 75
  EXPECT_EQ(wma[1], 0x26);
  EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
  EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 12), "WAVE");
}

TEST(MediaFixtures, ImagesCarryTheirFormatSignatures) {
  const auto png = MakeImage("png", 16, 8);
  const auto jpg = MakeImage("jpg", 16, 8);
  const auto bmp = MakeImage("bmp", 16, 8);
  ASSERT_GE(png.size(), 8u);
  ASSERT_GE(jpg.size(), 3u);
  ASSERT_GE(bmp.size(), 54u);
  EXPECT_EQ(png[1], 'P');
  EXPECT_EQ(jpg[0], 0xFF);
  EXPECT_EQ(jpg[1], 0xD8);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_TRUE(MakeImage("tiff", 4, 4).empty());
}

}  // namespace TYX::Test
