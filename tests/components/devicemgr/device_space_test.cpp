// Space on a device: a replaced file gives its space back, and a disk that fills up before or during a
// put ends it cleanly with 40040 and no partial file.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "devicemgr_fixture.h"
#include "helpers/small_file_system.h"

namespace TYX::Test {
namespace {

namespace fs = std::filesystem;
using DeviceMgr::DeviceProfile;
using DeviceSpace = DeviceTest;

std::vector<std::string> FilesUnder(const std::string& folder) {
  std::vector<std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    if (e.is_regular_file()) out.push_back(fs::relative(e.path(), folder).string());
  }
  std::sort(out.begin(), out.end());
  return out;
}

TEST_F(DeviceSpace, ReplacingAFileCountsTheSpaceItGivesBack) {
  DeviceProfile p = PhoneProfile();
  p.capacity = 40000;
  const unsigned id = Plug("phone", p);
  temp_.Write("phone/MUSIC/a.mp3", PatternBytes(30000, 1));
  const std::uint64_t freeBefore = dmGetDeviceFreeSpace(id, 0);
  ASSERT_LT(freeBefore, 10000u);
  const std::string bigger = temp_.Write("local/a.mp3", PatternBytes(30000 + freeBefore, 2));
  const std::string tooBig = temp_.Write("local/b.mp3", PatternBytes(30000 + freeBefore + 1, 3));
  NoticeWindow wnd;
  ASSERT_TRUE(dmRegisterNotify(wnd.Hwnd(), WM_DM_NOTIFY));

  // The new copy may use the old one's space and every free byte besides; one byte more is refused.
  ASSERT_EQ(dmPutFile(id, tooBig, "\\MUSIC\\a.mp3", nullptr, 0), 1);
  ASSERT_EQ(dmPutFile(id, bigger, "\\MUSIC\\a.mp3", nullptr, 0), 1);
  // Another name gives nothing back.
  ASSERT_EQ(dmPutFile(id, bigger, "\\MUSIC\\b.mp3", nullptr, 0), 1);
  ASSERT_TRUE(wnd.WaitForEnds(3));
  const auto ends = wnd.Of(dm_ts_end);
  EXPECT_EQ(ends[0].value, dm_tc_no_space);
  EXPECT_EQ(ends[1].value, dm_tc_success);
  EXPECT_EQ(ends[2].value, dm_tc_no_space);
  EXPECT_TRUE(ReadFileBytes(Root("phone") + "/MUSIC/a.mp3") == ReadFileBytes(bigger));
  EXPECT_FALSE(fs::exists(Root("phone") + "/MUSIC/b.mp3"));
  EXPECT_EQ(dmGetDeviceFreeSpace(id, 0), 0u);
  EXPECT_EQ(TemporaryFilesUnder(Root("phone")), 0);
}

// A device whose root is a small disk of its own, without a capacity of its own.
class DeviceOnSmallDisk : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    if (!disk_.Mounted()) GTEST_SKIP() << disk_.Error();
    DeviceProfile p = PhoneProfile();
    p.capacity = 0;
    ASSERT_EQ(DeviceMgr::WriteDeviceProfile(disk_.Path(), p), "");
    fs::create_directories(disk_.Path() + "/MUSIC");
    auto result = client_->Connect(disk_.Path());
    ASSERT_TRUE(result.ok()) << result.error;
    id_ = result.id;
    ASSERT_TRUE(dmRegisterNotify(wnd_.Hwnd(), WM_DM_NOTIFY));
  }
  // Puts and waits for the end notice; answers its outcome.
  int Put(const std::string& local, const std::string& devicePath) {
    const int ends = wnd_.Count(dm_ts_end);
    if (dmPutFile(id_, local, devicePath, nullptr, 0) != 1) return -1;
    if (!wnd_.WaitForEnds(ends + 1)) return -2;
    return static_cast<int>(wnd_.Of(dm_ts_end).back().value);
  }

  SmallFileSystem disk_{256 * 1024};
  unsigned id_ = 0;
  NoticeWindow wnd_;
};

TEST_F(DeviceOnSmallDisk, APutOntoAFullDiskFailsCleanly) {
  const std::string song = temp_.Write("local/song.mp3", PatternBytes(5 * kChunk));
  disk_.FillUp();
  EXPECT_EQ(Put(song, "\\MUSIC\\song.mp3"), dm_tc_no_space);
  EXPECT_EQ(dmGetLastError(), dm_tc_no_space);
  EXPECT_EQ(FilesUnder(disk_.Path()), (std::vector<std::string>{".filler", DeviceMgr::kProfileFileName}));

  // The disk fills up while the copy runs: the write fails, the unfinished copy goes.
  disk_.Release();
  std::atomic<bool> filled{false};
  client_->SetChunkHook([&](unsigned, std::uint64_t) {
    if (!filled.exchange(true)) disk_.FillUp();
  });
  EXPECT_EQ(Put(song, "\\MUSIC\\song.mp3"), dm_tc_no_space);
  EXPECT_TRUE(filled.load());
  EXPECT_EQ(FilesUnder(disk_.Path()), (std::vector<std::string>{".filler", DeviceMgr::kProfileFileName}));
  EXPECT_EQ(TemporaryFilesUnder(disk_.Path()), 0);
}

TEST_F(DeviceOnSmallDisk, ReplacingAFileOnAFullDiskUsesItsSpace) {
  disk_.Write("MUSIC/song.mp3", PatternBytes(6 * kChunk, 1));
  const std::string newer = temp_.Write("local/song.mp3", PatternBytes(6 * kChunk, 2));
  disk_.FillUp();
  EXPECT_EQ(Put(newer, "\\MUSIC\\song.mp3"), dm_tc_success);
  EXPECT_TRUE(ReadFileBytes(disk_.File("MUSIC/song.mp3")) == ReadFileBytes(newer));
  EXPECT_EQ(TemporaryFilesUnder(disk_.Path()), 0);
  // A file larger than the old one and the free space together is refused, and the old file stays.
  const std::string larger = temp_.Write("local/larger.mp3", PatternBytes(8 * kChunk, 3));
  EXPECT_EQ(Put(larger, "\\MUSIC\\song.mp3"), dm_tc_no_space);
  EXPECT_TRUE(ReadFileBytes(disk_.File("MUSIC/song.mp3")) == ReadFileBytes(newer));
}

}  // namespace
}  // namespace TYX::Test
