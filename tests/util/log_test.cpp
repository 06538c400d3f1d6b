#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/messaging.h"
#include "helpers/small_file_system.h"
#include "helpers/temp_dir.h"
#include "util/log.h"
#include "util/log_scope.h"

using namespace TYX::Util;
using TYX::Test::ReadFileBytes;
using TYX::Test::SmallFileSystem;
using TYX::Test::TempDir;

namespace {

const std::regex kLine(R"((\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3}) \[(\d+)\] (.*))");

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

// Points the process log at a temporary file for one test and back afterwards.
class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = TYX_Log::Instance()->GetTarget();
    path_ = dir_.File("state/sonvar.log");
    TYX_Log::Instance()->SetTarget(path_);
  }
  void TearDown() override {
    TYX_Log::Instance()->SetMaxFileSize(TYX_Log::kDefaultMaxFileSize);
    TYX_Log::Instance()->SetEnabled(true);
    TYX_Log::Instance()->SetTarget(saved_);
  }
  TempDir dir_;
  std::string path_;
  std::string saved_;
};

TEST_F(LogTest, EntriesArePrintfFormattedAndPrefixedWithTimeAndThread) {
  TYX_Log* log = TYX_Log::Instance();
  ASSERT_EQ(log, TYX_Log::Instance());
  EXPECT_EQ(log->Add("TYX_DeviceTransControl::ProcessFile strLocal : %s", "/음악/노래.mp3"), 0);
  EXPECT_EQ(log->Add("TYX_BandWnd::DeleteBandItem(int iBandIndex, int iData) %d 0x%x", 3, 255u), 0);
  log->Add("with its own line break\n");
  const auto lines = Lines(ReadFileBytes(path_));
  ASSERT_EQ(lines.size(), 3u);
  std::smatch m;
  ASSERT_TRUE(std::regex_match(lines[0], m, kLine)) << lines[0];
  EXPECT_EQ(m[2].str(), std::to_string(TYX::Win::GetCurrentThreadId()));
  EXPECT_EQ(m[3].str(), "TYX_DeviceTransControl::ProcessFile strLocal : /음악/노래.mp3");
  ASSERT_TRUE(std::regex_match(lines[1], m, kLine));
  EXPECT_EQ(m[3].str(), "TYX_BandWnd::DeleteBandItem(int iBandIndex, int iData) 3 0xff");
  ASSERT_TRUE(std::regex_match(lines[2], m, kLine));
  EXPECT_EQ(m[3].str(), "with its own line break");
  // Long entries are not cut.
  const std::string longText(5000, 'x');
  log->Add("%s", longText.c_str());
  const auto after = Lines(ReadFileBytes(path_));
  ASSERT_EQ(after.size(), 4u);
  EXPECT_NE(after[3].find(longText), std::string::npos);
  EXPECT_EQ(log->RecentEntries().back(), after[3]);
}

TEST_F(LogTest, AppendsFromManyThreadsAreNeitherTornNorLost) {
  constexpr int kThreads = 8;
  constexpr int kPerThread = 400;
  const std::string payload(300, 'p');
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &payload] {
      for (int i = 0; i < kPerThread; ++i) TYX_Log::Instance()->Add("worker %d line %d %s", t, i, payload.c_str());
    });
  }
  for (auto& th : threads) th.join();
  const auto lines = Lines(ReadFileBytes(path_));
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kPerThread));
  const std::regex body(R"(worker (\d+) line (\d+) (p+))");
  std::map<int, int> nextPerWorker;
  std::map<int, std::string> threadOfWorker;
  for (const auto& line : lines) {
    std::smatch m, b;
    ASSERT_TRUE(std::regex_match(line, m, kLine)) << line.substr(0, 80);
    const std::string text = m[3].str();
    ASSERT_TRUE(std::regex_match(text, b, body)) << text.substr(0, 80);
    const int worker = std::stoi(b[1].str());
    EXPECT_EQ(b[3].str().size(), payload.size());
    // Each thread's lines arrive whole and in its own order.
    EXPECT_EQ(std::stoi(b[2].str()), nextPerWorker[worker]++);
    auto [it, fresh] = threadOfWorker.emplace(worker, m[2].str());
    if (!fresh) {
      EXPECT_EQ(it->second, m[2].str());
    }
  }
  EXPECT_EQ(nextPerWorker.size(), static_cast<std::size_t>(kThreads));
  for (const auto& [worker, count] : nextPerWorker) EXPECT_EQ(count, kPerThread);
  // Different threads carry different ids.
  std::set<std::string> ids;
  for (const auto& [worker, id] : threadOfWorker) ids.insert(id);
  EXPECT_EQ(ids.size(), static_cast<std::size_t>(kThreads));
}

TEST_F(LogTest, ScopeWritesTheEntryAndEndPairHoweverItIsLeft) {
  {
    TYX_LogScope scope("TYX_DeviceTransControl::Start");
    TYX_Log::Instance()->Add("TYX_DeviceTransControl::Start - 1");
  }
  try {
    TYX_LogScope scope("TYX_LibraryPanel::Refresh(LPCTSTR lpszPageID)");
    throw std::runtime_error("boom");
  } catch (const std::runtime_error&) {
  }
  const auto lines = Lines(ReadFileBytes(path_));
  ASSERT_EQ(lines.size(), 5u);
  std::vector<std::string> texts;
  for (const auto& line : lines) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(line, m, kLine));
    texts.push_back(m[3].str());
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"TYX_DeviceTransControl::Start", "TYX_DeviceTransControl::Start - 1",
                                             "TYX_DeviceTransControl::Start End",
                                             "TYX_LibraryPanel::Refresh(LPCTSTR lpszPageID)",
                                             "TYX_LibraryPanel::Refresh(LPCTSTR lpszPageID) End"}));
}

TEST_F(LogTest, CopiesTakeTheTargetAndTheKeptEntries) {
  TYX_Log original(dir_.File("copy/a.log"));
  original.Add("first");
  TYX_Log copy(original);
  EXPECT_EQ(copy.GetTarget(), original.GetTarget());
  EXPECT_EQ(copy.RecentEntries(), original.RecentEntries());
  copy.Add("second");
  EXPECT_EQ(Lines(ReadFileBytes(dir_.File("copy/a.log"))).size(), 2u);
  EXPECT_EQ(original.RecentEntries().size(), 1u);

  TYX_Log assigned(dir_.File("copy/b.log"));
  assigned.Add("to be replaced");
  assigned = copy;
  EXPECT_EQ(assigned.GetTarget(), dir_.File("copy/a.log"));
  EXPECT_EQ(assigned.RecentEntries(), copy.RecentEntries());
  assigned.Add("third");
  EXPECT_EQ(Lines(ReadFileBytes(dir_.File("copy/a.log"))).size(), 3u);
  EXPECT_EQ(Lines(ReadFileBytes(dir_.File("copy/b.log"))).size(), 1u);
}

TEST_F(LogTest, CopiesKeepTheSizeLimit) {
  TYX_Log original(dir_.File("limit/a.log"));
  original.SetMaxFileSize(400);
  TYX_Log copy(original);
  copy.SetTarget(dir_.File("limit/copy.log"));
  TYX_Log assigned(dir_.File("limit/assigned.log"));
  assigned = original;
  assigned.SetTarget(dir_.File("limit/assigned.log"));
  for (int i = 0; i < 20; ++i) {
    copy.Add("entry %02d ..........................................", i);
    assigned.Add("entry %02d ..........................................", i);
  }
  for (const char* name : {"limit/copy.log", "limit/assigned.log"}) {
    EXPECT_LE(std::filesystem::file_size(dir_.File(name)), 400u) << name;
    EXPECT_TRUE(std::filesystem::exists(dir_.File(name) + ".1")) << name;
  }
}

TEST_F(LogTest, AnEntryCutByAFullDiskNeverGluesOntoTheNext) {
  SmallFileSystem small(64 * 1024);
  if (!small.Mounted()) GTEST_SKIP() << small.Error();
  TYX_Log log(small.File("sonvar.log"));
  ASSERT_EQ(log.Add("before"), 0);
  small.FillUp();
  // The log file's last block still has room for part of this entry, then the disk is full.
  const std::string big(10000, 'x');
  EXPECT_NE(log.Add("cut %s", big.c_str()), 0);
  EXPECT_NE(log.Add("lost"), 0);
  ASSERT_NE(ReadFileBytes(small.File("sonvar.log")).find("cut xxx"), std::string::npos)
      << "the disk took none of the cut entry, so this test proves nothing";
  small.Release();
  ASSERT_EQ(log.Add("after"), 0);
  ASSERT_EQ(log.Add("and after"), 0);

  const auto lines = Lines(ReadFileBytes(small.File("sonvar.log")));
  ASSERT_GE(lines.size(), 4u);
  std::vector<std::string> texts;
  for (const auto& line : lines) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(line, m, kLine)) << line.substr(0, 80);
    texts.push_back(m[3]);
  }
  EXPECT_EQ(texts.front(), "before");
  EXPECT_EQ(texts[1].rfind("cut xxx", 0), 0u);
  EXPECT_EQ(texts[texts.size() - 2], "after");
  EXPECT_EQ(texts.back(), "and after");
  // The entries that did not land are still kept in memory.
  bool keptLost = false;
  for (const auto& e : log.RecentEntries()) keptLost = keptLost || e.find("] lost") != std::string::npos;
  EXPECT_TRUE(keptLost);
}

TEST_F(LogTest, AFullFileIsMovedAsideAndAnUnwritableTargetFailsSoftly) {
  TYX_Log* log = TYX_Log::Instance();
  log->SetMaxFileSize(1000);
  for (int i = 0; i < 30; ++i) log->Add("entry %02d ..........................................", i);
  EXPECT_LE(std::filesystem::file_size(path_), 1000u);
  ASSERT_TRUE(std::filesystem::exists(path_ + ".1"));
  // The newest entries are in the file, the ones just before them in the moved copy, nothing between.
  const auto entryNumber = [](const std::string& line) {
    const auto at = line.find("entry ");
    return at == std::string::npos ? -1 : std::stoi(line.substr(at + 6, 2));
  };
  const auto current = Lines(ReadFileBytes(path_));
  ASSERT_FALSE(current.empty());
  EXPECT_EQ(entryNumber(current.back()), 29);
  const auto previous = Lines(ReadFileBytes(path_ + ".1"));
  ASSERT_FALSE(previous.empty());
  EXPECT_EQ(entryNumber(previous.back()) + 1, entryNumber(current.front()));

  // A folder in place of the log file: the entry is refused but kept in memory.
  std::filesystem::create_directories(dir_.File("blocked.log"));
  log->SetTarget(dir_.File("blocked.log"));
  EXPECT_EQ(log->Add("cannot land"), static_cast<long>(static_cast<int32_t>(0x80004005u)));
  EXPECT_NE(log->RecentEntries().back().find("cannot land"), std::string::npos);

  log->SetTarget(path_);
  log->SetEnabled(false);
  log->Add("switched off");
  log->SetEnabled(true);
  EXPECT_EQ(ReadFileBytes(path_).find("switched off"), std::string::npos);
}

}  // namespace
