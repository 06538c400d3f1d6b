// Symbolic links inside a device folder: no put, delete or listing may pass through one to reach a file
// outside the device's root folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "devicemgr_fixture.h"

namespace TYX::Test {
namespace {

namespace fs = std::filesystem;
using DeviceMgr::DeviceProfile;
using DeviceConfinement = DeviceTest;

// Every file under a folder, as paths relative to it.
std::vector<std::string> FilesUnder(const std::string& folder) {
  std::vector<std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(folder)) out.push_back(fs::relative(e.path(), folder).string());
  std::sort(out.begin(), out.end());
  return out;
}

TEST_F(DeviceConfinement, ALinkedFolderIsNeverPassedThrough) {
  const unsigned id = Plug("phone", PhoneProfile());  // current folder \MUSIC
  const std::string victim = temp_.Write("outside/victim.mp3", "precious");
  fs::create_directory_symlink(temp_.File("outside"), Root("phone") + "/MUSIC");
  fs::create_directories(Root("phone") + "/real");
  fs::create_directory_symlink(temp_.File("outside"), Root("phone") + "/real/sub");
  const std::string local = temp_.Write("local/new.mp3", PatternBytes(3 * kChunk));
  NoticeWindow wnd;
  ASSERT_TRUE(dmRegisterNotify(wnd.Hwnd(), WM_DM_NOTIFY));

  const char* targets[] = {"\\MUSIC\\new.mp3", "\\MUSIC\\victim.mp3", "\\real\\sub\\new.mp3",
                           "\\real\\sub\\deeper\\new.mp3", "new.mp3"};
  int started = 0;
  for (const char* target : targets) {
    if (dmPutFile(id, local, target, nullptr, 0) == 1) ++started;
  }
  ASSERT_TRUE(wnd.WaitForEnds(started));
  for (const auto& end : wnd.Of(dm_ts_end)) EXPECT_EQ(end.value, dm_tc_bad_path);
  EXPECT_EQ(FilesUnder(temp_.File("outside")), std::vector<std::string>{"victim.mp3"});
  EXPECT_EQ(ReadFileBytes(victim), "precious");

  EXPECT_EQ(dmDeleteFile(id, "\\MUSIC\\victim.mp3"), 0);
  EXPECT_EQ(dmDeleteFile(id, "victim.mp3"), 0);
  EXPECT_EQ(dmDeleteFile(id, "\\real\\sub\\victim.mp3"), 0);
  EXPECT_EQ(dmDeleteFiles(id, "\\real\\sub", {"victim.mp3"}), 0);
  EXPECT_TRUE(fs::exists(victim));

  // The current folder is a link: it is not listed as if it were the device's.
  FileInfo list;
  EXPECT_FALSE(dmGetFileList(id, list, 0));
  EXPECT_EQ(list.Count(), 0);

  // The link itself is an entry of the device and may be removed; what it points to stays.
  EXPECT_EQ(dmDeleteFile(id, "\\MUSIC"), 1);
  EXPECT_FALSE(fs::exists(fs::symlink_status(Root("phone") + "/MUSIC")));
  EXPECT_TRUE(fs::exists(victim));
}

TEST_F(DeviceConfinement, ALinkedFileIsReplacedOrRemovedItselfNeverItsTarget) {
  const unsigned id = Plug("phone", PhoneProfile());
  const std::string victim = temp_.Write("outside/victim.mp3", "precious");
  temp_.Write("phone/MUSIC/real.mp3", "mine");
  fs::create_symlink(victim, Root("phone") + "/MUSIC/link.mp3");
  fs::create_symlink(victim, Root("phone") + "/MUSIC/other.mp3");

  // The listing shows the device's own files, not what a link points to.
  FileInfo list;
  ASSERT_TRUE(dmGetFileList(id, list, 0));
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list[0].strName, "real.mp3");

  const std::string content = PatternBytes(2 * kChunk + 5);
  const std::string local = temp_.Write("local/new.mp3", content);
  NoticeWindow wnd;
  ASSERT_TRUE(dmRegisterNotify(wnd.Hwnd(), WM_DM_NOTIFY));
  ASSERT_EQ(dmPutFile(id, local, "\\MUSIC\\link.mp3", nullptr, 0), 1);
  ASSERT_TRUE(wnd.WaitForEnds(1));
  EXPECT_EQ(wnd.notices.back().value, dm_tc_success);
  EXPECT_FALSE(fs::is_symlink(Root("phone") + "/MUSIC/link.mp3"));
  EXPECT_TRUE(ReadFileBytes(Root("phone") + "/MUSIC/link.mp3") == content);
  EXPECT_EQ(ReadFileBytes(victim), "precious");

  EXPECT_EQ(dmDeleteFile(id, "\\MUSIC\\other.mp3"), 1);
  EXPECT_FALSE(fs::exists(fs::symlink_status(Root("phone") + "/MUSIC/other.mp3")));
  EXPECT_EQ(ReadFileBytes(victim), "precious");
}

TEST_F(DeviceConfinement, AProfileThatIsALinkIsNotRead) {
  const std::string elsewhere = Root("elsewhere");
  fs::create_directories(elsewhere);
  ASSERT_EQ(DeviceMgr::WriteDeviceProfile(elsewhere, PhoneProfile()), "");
  fs::create_directories(Root("linked"));
  fs::create_symlink(fs::path(elsewhere) / DeviceMgr::kProfileFileName,
                     fs::path(Root("linked")) / DeviceMgr::kProfileFileName);
  const auto result = client_->Connect(Root("linked"));
  EXPECT_FALSE(result.ok());
  EXPECT_NE(result.error.find("link"), std::string::npos) << result.error;

  // A connected device whose profile becomes a link keeps what it had and refuses a fresh read.
  const unsigned id = Plug("phone", PhoneProfile());
  fs::remove(fs::path(Root("phone")) / DeviceMgr::kProfileFileName);
  fs::create_symlink(fs::path(elsewhere) / DeviceMgr::kProfileFileName,
                     fs::path(Root("phone")) / DeviceMgr::kProfileFileName);
  stDeviceInfo info;
  EXPECT_FALSE(dmGetDeviceInfo(id, info, 1));
  ASSERT_TRUE(dmGetDeviceInfo(id, info, 0));
  EXPECT_EQ(info.strModelName, "SPH-M4650");
}

}  // namespace
}  // namespace TYX::Test
