#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "helpers/small_file_system.h"
#include "helpers/temp_dir.h"
#include "util/reg.h"
#include "util/settings_store.h"

using namespace TYX::Util;
using TYX::Test::ReadFileBytes;
using TYX::Test::ReadOnlyView;
using TYX::Test::SmallFileSystem;
using TYX::Test::TempDir;

namespace {

const std::string kRoot = TYX_Reg::kMusicSettingsRoot;

class RegTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.File("config/registry.ini");
    TYX_Reg::SetStoreFile(path_);
  }
  // Makes the registry read its file again, as a new start of the program would.
  void Restart() { TYX_Reg::SetStoreFile(path_); }
  std::vector<std::string> FilesInFolder() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_.File("config")))
      names.push_back(e.path().filename().string());
    return names;
  }

  TempDir dir_;
  std::string path_;
};

TEST_F(RegTest, FirstStartEveryReadGivesTheCallersDefault) {
  char buf[1024] = "junk";
  EXPECT_EQ(TYX_Reg::SHRegReadString(HKEY_LOCAL_MACHINE, kRoot + "\\MediaConverting", "SavePath", "", buf, sizeof buf),
            ERROR_FILE_NOT_FOUND);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, kRoot + "\\MediaConverting", "Bitrate", 7), 7u);
  EXPECT_EQ(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, kRoot + "\\MediaConverting", "Format", 1), 1u);
  EXPECT_EQ(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "Format", 1), 1u);
  EXPECT_EQ(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "Bitrate", 5), 5u);
  EXPECT_EQ(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "VBRYN", 0), 0u);
  EXPECT_EQ(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "VBR_Quality", 4), 4u);
  TYX_Reg::SHRegReadString(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "SavePath", "/home/u/Music/CD", buf, sizeof buf);
  EXPECT_STREQ(buf, "/home/u/Music/CD");
  TYX_Reg::SHRegReadString(HKEY_LOCAL_MACHINE, kRoot + "\\Phone", "DeviceName", "", buf, sizeof buf);
  EXPECT_STREQ(buf, "");
  // Reading never creates the file.
  EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(RegTest, AFolderWrittenByOneOpeningIsReadBackUnchangedAfterARestart) {
  const std::string folder = "/home/사용자/음악/변환 결과\\with\ttab";
  EXPECT_EQ(TYX_Reg::SHRegWriteString(HKEY_LOCAL_MACHINE, kRoot + "\\MediaConverting", "SavePath", folder),
            ERROR_SUCCESS);
  EXPECT_EQ(TYX_Reg::SHRegWriteInt(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "Bitrate", 9), ERROR_SUCCESS);
  EXPECT_EQ(TYX_Reg::SHRegWriteInt(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "VBR_Quality", 0xFFFFFFFFu),
            ERROR_SUCCESS);
  Restart();
  char buf[1024];
  EXPECT_EQ(TYX_Reg::SHRegReadString(HKEY_LOCAL_MACHINE, kRoot + "\\MediaConverting", "SavePath", "", buf, sizeof buf),
            ERROR_SUCCESS);
  EXPECT_EQ(std::string(buf), folder);
  EXPECT_EQ(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "Bitrate", 5), 9u);
  EXPECT_EQ(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "VBR_Quality", 4), 0xFFFFFFFFu);
  // The same value name in another section is a different value.
  EXPECT_EQ(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, kRoot + "\\MediaConverting", "Bitrate", 7), 7u);
  // So is the same path under another root.
  EXPECT_EQ(TYX_Reg::SHRegReadInt(HKEY_CURRENT_USER, kRoot + "\\Ripping", "Bitrate", 5), 5u);
  // Overwriting replaces the value.
  TYX_Reg::SHRegWriteInt(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "Bitrate", 2);
  Restart();
  EXPECT_EQ(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "Bitrate", 5), 2u);
}

TEST_F(RegTest, AnUnknownRootKeyReadsTheDefaultAndStoresNothing) {
  const HKEY unknown = 0x80000009u;
  EXPECT_EQ(TYX_Reg::SHRegWriteInt(unknown, kRoot + "\\Ripping", "Format", 3), ERROR_INVALID_HANDLE);
  EXPECT_EQ(TYX_Reg::SHRegWriteString(unknown, kRoot + "\\Ripping", "SavePath", "/x"), ERROR_INVALID_HANDLE);
  EXPECT_EQ(TYX_Reg::SHRegReadInt(unknown, kRoot + "\\Ripping", "Format", 1), 1u);
  EXPECT_EQ(TYX_Reg::ReadString(unknown, kRoot + "\\Ripping", "SavePath", "/기본"), "/기본");
  char buf[16] = "junk";
  EXPECT_EQ(TYX_Reg::SHRegReadString(unknown, kRoot + "\\Ripping", "SavePath", "/d", buf, sizeof buf),
            ERROR_INVALID_HANDLE);
  EXPECT_STREQ(buf, "/d");
  EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(RegTest, KeyPathsAndNamesIgnoreCaseAndExtraBackslashes) {
  TYX_Reg::SHRegWriteInt(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "Format", 3);
  EXPECT_EQ(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, "software\\meridal\\SONVARMANAGER\\music\\\\ripping\\",
                                  "FORMAT", 1),
            3u);
  EXPECT_EQ(TYX_Reg::SectionName(HKEY_LOCAL_MACHINE, "\\A\\\\B\\"), "HKEY_LOCAL_MACHINE\\A\\B");
  EXPECT_EQ(TYX_Reg::SectionName(0x1234, "A"), "");
  EXPECT_EQ(TYX_Reg::SHRegWriteInt(0x1234, "A", "B", 1), ERROR_INVALID_HANDLE);
  EXPECT_EQ(TYX_Reg::SHRegReadInt(0x1234, "A", "B", 42), 42u);
}

TEST_F(RegTest, ReadStringCopiesAtMostTheBufferSizeIncludingTheTerminator) {
  TYX_Reg::SHRegWriteString(HKEY_LOCAL_MACHINE, kRoot + "\\Phone", "DeviceName", "SPH-W2700");
  char buf[6];
  std::memset(buf, 'X', sizeof buf);
  char guard[4] = {'G', 'G', 'G', 'G'};
  EXPECT_EQ(TYX_Reg::SHRegReadString(HKEY_LOCAL_MACHINE, kRoot + "\\Phone", "DeviceName", "", buf, 5), ERROR_MORE_DATA);
  EXPECT_STREQ(buf, "SPH-");
  EXPECT_EQ(buf[5], 'X');  // the byte past the given size is untouched
  EXPECT_EQ(guard[0], 'G');
  // A cut never splits a character: "가나" is 6 bytes; 5 bytes of room hold only "가".
  TYX_Reg::SHRegWriteString(HKEY_LOCAL_MACHINE, kRoot + "\\Phone", "DeviceName", "가나");
  EXPECT_EQ(TYX_Reg::SHRegReadString(HKEY_LOCAL_MACHINE, kRoot + "\\Phone", "DeviceName", "", buf, 6), ERROR_MORE_DATA);
  EXPECT_STREQ(buf, "가");
  // The default is cut the same way.
  TYX_Reg::SHRegReadString(HKEY_LOCAL_MACHINE, kRoot + "\\Phone", "Missing", "abcdefgh", buf, 4);
  EXPECT_STREQ(buf, "abc");
  // Exactly fitting text is not cut.
  TYX_Reg::SHRegWriteString(HKEY_LOCAL_MACHINE, kRoot + "\\Phone", "DeviceName", "abcde");
  EXPECT_EQ(TYX_Reg::SHRegReadString(HKEY_LOCAL_MACHINE, kRoot + "\\Phone", "DeviceName", "", buf, 6), ERROR_SUCCESS);
  EXPECT_STREQ(buf, "abcde");
  EXPECT_EQ(TYX_Reg::SHRegReadString(HKEY_LOCAL_MACHINE, kRoot, "x", "", nullptr, 10), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(TYX_Reg::SHRegReadString(HKEY_LOCAL_MACHINE, kRoot, "x", "", buf, 0), ERROR_INVALID_PARAMETER);
}

TEST_F(RegTest, AValueOfTheOtherTypeReadsAsTheDefault) {
  TYX_Reg::SHRegWriteString(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "Bitrate", "9");
  EXPECT_EQ(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "Bitrate", 5), 5u);
  TYX_Reg::SHRegWriteInt(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "SavePath", 1);
  char buf[32];
  EXPECT_EQ(TYX_Reg::SHRegReadString(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "SavePath", "dflt", buf, sizeof buf),
            ERROR_DATATYPE_MISMATCH);
  EXPECT_STREQ(buf, "dflt");
  EXPECT_EQ(TYX_Reg::DeleteValue(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "SavePath"), ERROR_SUCCESS);
  EXPECT_EQ(TYX_Reg::ReadString(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "SavePath", "gone"), "gone");
}

TEST_F(RegTest, ADamagedStoreIsKeptAsideReadAsEmptyAndNeverOverwritten) {
  TempDir other;
  const std::string damaged = "# TYX settings 1\nHKEY_LOCAL_MACHINE\\X\tY\ti\t12\n# end 1\n";
  const std::string cases[] = {
      "this is not a settings file\n",
      damaged.substr(0, damaged.size() - 10),                                   // cut short
      "# TYX settings 1\nHKEY_LOCAL_MACHINE\\X\tY\ti\tseven\n# end 1\n",       // bad number
      "# TYX settings 1\nHKEY_LOCAL_MACHINE\\X\tY\ti\t1\n# end 2\n",           // wrong count
      "# TYX settings 1\nA\tB\ts\tx\\q\n# end 1\n",                           // bad escape
      "# TYX settings 1\nA\tB\ts\tx\nA\tb\ts\ty\n# end 2\n",                  // value twice
  };
  int n = 0;
  for (const std::string& content : cases) {
    SCOPED_TRACE(n);
    const std::string path = other.Write("case" + std::to_string(n++) + "/registry.ini", content);
    TYX_Reg::SetStoreFile(path);
    EXPECT_EQ(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, "X", "Y", 77), 77u);
    const std::string aside = TYX_Reg::Store().DamagedCopyPath();
    ASSERT_FALSE(aside.empty());
    EXPECT_NE(aside.find("registry.ini.damaged-"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(aside), content);
    EXPECT_FALSE(std::filesystem::exists(path));
    // A new value starts a fresh file; the damaged copy stays as it was.
    EXPECT_EQ(TYX_Reg::SHRegWriteInt(HKEY_LOCAL_MACHINE, "X", "Z", 1), ERROR_SUCCESS);
    EXPECT_EQ(ReadFileBytes(aside), content);
    std::vector<TYX_SettingsStore::Entry> entries;
    std::string error;
    EXPECT_TRUE(TYX_SettingsStore::Parse(ReadFileBytes(path), entries, error)) << error;
    EXPECT_EQ(entries.size(), 1u);
  }
}

TEST_F(RegTest, AStoreThatCannotBeReadIsNeitherTrustedNorReplaced) {
  // A folder where the file should be: it cannot be read, so writes are refused.
  std::filesystem::create_directories(path_);
  dir_.Write("config/registry.ini/keep.txt", "mine");
  Restart();
  EXPECT_EQ(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, "X", "Y", 3), 3u);
  EXPECT_EQ(TYX_Reg::SHRegWriteInt(HKEY_LOCAL_MACHINE, "X", "Y", 4), ERROR_WRITE_FAULT);
  EXPECT_FALSE(TYX_Reg::Store().IsWritable());
  EXPECT_EQ(ReadFileBytes(dir_.File("config/registry.ini/keep.txt")), "mine");
}

TEST_F(RegTest, AFailedWriteKeepsThePreviousValue) {
  ASSERT_EQ(TYX_Reg::SHRegWriteInt(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "Format", 2), ERROR_SUCCESS);
  // Something else puts a folder where the file was; the rename over it must fail.
  std::filesystem::remove(path_);
  dir_.Write("config/registry.ini/blocker", "x");
  EXPECT_EQ(TYX_Reg::SHRegWriteInt(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "Format", 3), ERROR_WRITE_FAULT);
  EXPECT_EQ(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "Format", 1), 2u);
  // No temporary file is left behind.
  for (const auto& name : FilesInFolder()) EXPECT_EQ(name, "registry.ini");
}

TEST_F(RegTest, AWriteOntoAFullDiskFailsAndKeepsTheOldFile) {
  SmallFileSystem small(64 * 1024);
  if (!small.Mounted()) GTEST_SKIP() << small.Error();
  const std::string file = small.File("registry.ini");
  TYX_Reg::SetStoreFile(file);
  const std::string section = kRoot + "\\MediaConverting";
  ASSERT_EQ(TYX_Reg::SHRegWriteString(HKEY_LOCAL_MACHINE, section, "SavePath", "/old"), ERROR_SUCCESS);
  const std::string before = ReadFileBytes(file);
  small.FillUp();

  EXPECT_EQ(TYX_Reg::SHRegWriteString(HKEY_LOCAL_MACHINE, section, "SavePath", std::string(9000, 'n')),
            ERROR_WRITE_FAULT);
  EXPECT_EQ(TYX_Reg::SHRegWriteInt(HKEY_LOCAL_MACHINE, section, "Bitrate", 3), ERROR_WRITE_FAULT);
  EXPECT_EQ(TYX_Reg::ReadString(HKEY_LOCAL_MACHINE, section, "SavePath", ""), "/old");
  EXPECT_EQ(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, section, "Bitrate", 7), 7u);
  EXPECT_EQ(ReadFileBytes(file), before);
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(small.Path())) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".filler", "registry.ini"}));  // no temporary left

  // A new start reads the old file whole; once there is room again, writes land.
  TYX_Reg::SetStoreFile(file);
  EXPECT_EQ(TYX_Reg::ReadString(HKEY_LOCAL_MACHINE, section, "SavePath", ""), "/old");
  small.Release();
  EXPECT_EQ(TYX_Reg::SHRegWriteInt(HKEY_LOCAL_MACHINE, section, "Bitrate", 3), ERROR_SUCCESS);
  TYX_Reg::SetStoreFile(file);
  EXPECT_EQ(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, section, "Bitrate", 7), 3u);
  EXPECT_EQ(TYX_Reg::ReadString(HKEY_LOCAL_MACHINE, section, "SavePath", ""), "/old");
  TYX_Reg::SetStoreFile(path_);
}

TEST_F(RegTest, AReadOnlyStoreIsReadButNotWritten) {
  ASSERT_EQ(TYX_Reg::SHRegWriteInt(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "Format", 2), ERROR_SUCCESS);
  ReadOnlyView view(dir_.File("config"));
  if (!view.Mounted()) GTEST_SKIP() << view.Error();
  TYX_Reg::SetStoreFile(view.File("registry.ini"));
  EXPECT_EQ(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "Format", 1), 2u);
  EXPECT_EQ(TYX_Reg::SHRegWriteInt(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "Format", 3), ERROR_WRITE_FAULT);
  EXPECT_EQ(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, kRoot + "\\Ripping", "Format", 1), 2u);
  TYX_Reg::SetStoreFile(path_);
  EXPECT_EQ(FilesInFolder(), std::vector<std::string>{"registry.ini"});
}

TEST_F(RegTest, WritesAreAtomicAndNoValueIsLostBetweenThreads) {
  constexpr int kThreads = 4;
  constexpr int kPerThread = 25;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kPerThread; ++i)
        TYX_Reg::SHRegWriteInt(HKEY_LOCAL_MACHINE, kRoot + "\\T" + std::to_string(t), "V" + std::to_string(i),
                               static_cast<unsigned>(t * 1000 + i));
    });
  }
  // Meanwhile every read of the file sees a whole store.
  for (int i = 0; i < 50; ++i) {
    const std::string content = ReadFileBytes(path_);
    if (content.empty()) continue;
    std::vector<TYX_SettingsStore::Entry> entries;
    std::string error;
    EXPECT_TRUE(TYX_SettingsStore::Parse(content, entries, error)) << error;
  }
  for (auto& th : threads) th.join();
  Restart();
  for (int t = 0; t < kThreads; ++t)
    for (int i = 0; i < kPerThread; ++i)
      EXPECT_EQ(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, kRoot + "\\T" + std::to_string(t), "V" + std::to_string(i), 0),
                static_cast<unsigned>(t * 1000 + i));
  EXPECT_EQ(FilesInFolder(), std::vector<std::string>{"registry.ini"});
}

TEST(SettingsStoreTest, TextFormRoundTripsEveryCharacter) {
  std::vector<TYX_SettingsStore::Entry> in = {
      {"S\\1", "tab\there", {TYX_SettingsStore::Type::Text, 0, "line1\r\nline2\\end\t"}},
      {"S2", "", {TYX_SettingsStore::Type::Int, 4294967295u, ""}},
      {"한글", "값", {TYX_SettingsStore::Type::Text, 0, ""}},
  };
  const std::string text = TYX_SettingsStore::Serialize(in);
  std::vector<TYX_SettingsStore::Entry> out;
  std::string error;
  ASSERT_TRUE(TYX_SettingsStore::Parse(text, out, error)) << error;
  ASSERT_EQ(out.size(), in.size());
  for (std::size_t i = 0; i < in.size(); ++i) {
    EXPECT_EQ(out[i].section, in[i].section);
    EXPECT_EQ(out[i].name, in[i].name);
    EXPECT_EQ(out[i].value, in[i].value);
  }
  // A store without values is a header and an end line.
  ASSERT_TRUE(TYX_SettingsStore::Parse(TYX_SettingsStore::Serialize({}), out, error)) << error;
  EXPECT_TRUE(out.empty());
  // A store without a file keeps nothing and says so.
  TYX_SettingsStore nowhere("");
  EXPECT_FALSE(nowhere.IsWritable());
  EXPECT_FALSE(nowhere.Set("S", "N", {TYX_SettingsStore::Type::Int, 1, ""}));
  EXPECT_FALSE(TYX_SettingsStore::Parse(text + "extra\n", out, error));
  EXPECT_FALSE(TYX_SettingsStore::Parse("", out, error));
  EXPECT_FALSE(TYX_SettingsStore::Parse("# TYX settings 1\nA\tB\ti\t99999999999\n# end 1\n", out, error));
  EXPECT_NE(error.find("line 2"), std::string::npos);
}

}  // namespace
