// Bluetooth batches (dmPutFileList): status notices naming each file, sent in order with the start,
// progress and end notices, from a transfer worker's thread or the window's own.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "devicemgr_fixture.h"

namespace TYX::Test {
namespace {

namespace fs = std::filesystem;
using DeviceMgr::DeviceProfile;

class DeviceBatch : public DeviceTest {
 protected:
  unsigned PlugBluetoothPhone() {
    DeviceProfile p = PhoneProfile();
    p.bluetooth = true;
    return Plug("bt", p);
  }
  stTransferFileInfo Item(const std::string& local, const std::string& name) {
    stTransferFileInfo f;
    f.strFilePath = local;
    f.strDeviceFileName = name;
    f.strDeviceFolder = "\\MUSIC\\";
    return f;
  }
  // Runs the batch on a worker thread, as the transfer controller does, while this thread pumps.
  int RunOnWorker(unsigned id, std::vector<stTransferFileInfo>& files, Win::HWND hwnd) {
    std::atomic<bool> done{false};
    int result = -1;
    std::thread worker([&] {
      result = dmPutFileList(id, files, hwnd, WM_DM_PUT_NOTIFY);
      done = true;
    });
    const bool finished = Win::PumpUntil([&] { return done.load(); }, kWatchdogMs);
    worker.join();  // the batch cannot stay blocked: its sends are handled by the pump above
    EXPECT_TRUE(finished);
    return result;
  }
};

TEST_F(DeviceBatch, StatusNoticesNameEachFileAsItGoes) {
  const unsigned id = PlugBluetoothPhone();
  ASSERT_TRUE(dmIsBluetoothConnected(id));
  const std::string a = temp_.Write("local/a.mp3", PatternBytes(2 * kChunk + 5, 1));
  const std::string b = temp_.Write("local/b.mp3", PatternBytes(10, 2));
  const std::string copy = temp_.Write("local/c-copy.mp3", PatternBytes(kChunk, 3));
  std::vector<stTransferFileInfo> files{Item(a, "A.mp3"), Item(b, "B.mp3"), Item("http://store/c?id=1", "C.mp3")};
  files[2].strLocalPath = copy;  // the file actually read differs from the one named

  NoticeWindow wnd;
  ASSERT_TRUE(dmRegisterNotify(wnd.Hwnd(), WM_DM_NOTIFY));
  EXPECT_EQ(RunOnWorker(id, files, wnd.Hwnd()), 0);

  // Reduce the notices to (status, value or status code) and compare with the expected run.
  std::vector<std::pair<int, std::string>> got;
  for (const auto& n : wnd.notices) {
    EXPECT_EQ(n.message, WM_DM_NOTIFY);  // the registered message, not the call's 1228
    if (n.status == dm_ts_status) got.emplace_back(n.btCode, n.btText);
    else got.emplace_back(n.status, std::to_string(n.value));
  }
  const std::vector<std::pair<int, std::string>> expected{
      {DM_BT_BATCH_START, "3"},
      {DM_BT_SENDING, a}, {dm_ts_start, "0"}, {dm_ts_progress, std::to_string(kChunk)},
      {dm_ts_progress, std::to_string(2 * kChunk)}, {dm_ts_progress, std::to_string(2 * kChunk + 5)}, {dm_ts_end, "0"},
      {DM_BT_SENDING, b}, {dm_ts_start, "0"}, {dm_ts_progress, "10"}, {dm_ts_end, "0"},
      {DM_BT_SENDING, "http://store/c?id=1"}, {dm_ts_start, "0"}, {dm_ts_progress, std::to_string(kChunk)},
      {dm_ts_end, "0"},
      {DM_BT_BATCH_END, "0"},
  };
  EXPECT_EQ(got, expected);
  for (const auto& f : files) EXPECT_EQ(f.nResult, dm_tc_success);
  EXPECT_EQ(ReadFileBytes(Root("bt") + "/MUSIC/A.mp3"), PatternBytes(2 * kChunk + 5, 1));
  EXPECT_EQ(ReadFileBytes(Root("bt") + "/MUSIC/B.mp3"), PatternBytes(10, 2));
  EXPECT_EQ(ReadFileBytes(Root("bt") + "/MUSIC/C.mp3"), PatternBytes(kChunk, 3));
}

TEST_F(DeviceBatch, WithoutRegistrationTheCallersWindowGetsThemDirectly) {
  const unsigned id = PlugBluetoothPhone();
  const std::string a = temp_.Write("local/a.mp3", "abc");
  std::vector<stTransferFileInfo> files{Item(a, "a.mp3")};
  files[0].strDeviceFolder.clear();  // the current folder
  NoticeWindow wnd;
  // Called on the window's own thread: every notice has been handled when the call returns.
  EXPECT_EQ(dmPutFileList(id, files, wnd.Hwnd(), WM_DM_PUT_NOTIFY), 0);
  ASSERT_EQ(wnd.notices.size(), 6u);
  for (const auto& n : wnd.notices) EXPECT_EQ(n.message, WM_DM_PUT_NOTIFY);
  EXPECT_EQ(wnd.notices[1].btCode, DM_BT_SENDING);
  EXPECT_EQ(wnd.notices[1].btText, a);
  EXPECT_EQ(ReadFileBytes(Root("bt") + "/MUSIC/a.mp3"), "abc");
}

TEST_F(DeviceBatch, CancelEndsTheCurrentFileAndSkipsTheRest) {
  const unsigned id = PlugBluetoothPhone();
  const std::string a = temp_.Write("local/a.mp3", PatternBytes(5 * kChunk, 1));
  const std::string b = temp_.Write("local/b.mp3", PatternBytes(10, 2));
  std::vector<stTransferFileInfo> files{Item(a, "a.mp3"), Item(b, "b.mp3")};
  NoticeWindow wnd;
  dmRegisterNotify(wnd.Hwnd(), WM_DM_NOTIFY);
  // The user cancels while the first chunk is reported; sends make the batch wait for this handler.
  wnd.onNotice = [&](const Notice& n) {
    if (n.status == dm_ts_progress && wnd.Count(dm_ts_progress) == 1) dmIOCancel(id);
  };
  EXPECT_EQ(RunOnWorker(id, files, wnd.Hwnd()), dm_tc_cancelled);
  EXPECT_EQ(wnd.Count(dm_ts_progress), 1);
  const auto ends = wnd.Of(dm_ts_end);
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].value, dm_tc_cancelled);
  EXPECT_EQ(wnd.notices.back().btCode, DM_BT_BATCH_END);
  EXPECT_EQ(wnd.notices.back().btText, std::to_string(dm_tc_cancelled));
  EXPECT_EQ(files[0].nResult, dm_tc_cancelled);
  EXPECT_EQ(files[1].nResult, -1);  // never reached
  EXPECT_FALSE(fs::exists(Root("bt") + "/MUSIC/a.mp3"));
  EXPECT_FALSE(fs::exists(Root("bt") + "/MUSIC/b.mp3"));
  EXPECT_EQ(TemporaryFilesUnder(Root("bt")), 0);
}

TEST_F(DeviceBatch, ABadEntryFailsAloneAndTheBatchGoesOn) {
  const unsigned id = PlugBluetoothPhone();
  const std::string a = temp_.Write("local/a.mp3", "abc");
  std::vector<stTransferFileInfo> files{Item(a, "..\\..\\escape.mp3"), Item(temp_.File("local/missing.mp3"), "m.mp3"),
                                        Item(a, "")};
  files.push_back(Item(a, "good.mp3"));
  NoticeWindow wnd;
  EXPECT_EQ(dmPutFileList(id, files, wnd.Hwnd(), WM_DM_PUT_NOTIFY), 0);
  EXPECT_EQ(files[0].nResult, dm_tc_bad_path);
  EXPECT_EQ(files[1].nResult, dm_tc_source_error);
  EXPECT_EQ(files[2].nResult, dm_tc_bad_path);
  EXPECT_EQ(files[3].nResult, dm_tc_success);
  EXPECT_EQ(wnd.Count(dm_ts_end), 4);
  EXPECT_EQ(wnd.Count(dm_ts_start), 4);
  EXPECT_FALSE(fs::exists(temp_.File("escape.mp3")));
  EXPECT_EQ(ReadFileBytes(Root("bt") + "/MUSIC/good.mp3"), "abc");
}

TEST_F(DeviceBatch, DeviceRemovedMidBatchStopsIt) {
  const unsigned id = PlugBluetoothPhone();
  const std::string a = temp_.Write("local/a.mp3", PatternBytes(3 * kChunk, 1));
  std::vector<stTransferFileInfo> files{Item(a, "a.mp3"), Item(a, "b.mp3")};
  client_->SetChunkHook([&](unsigned, std::uint64_t) {
    std::error_code ec;
    fs::remove_all(Root("bt"), ec);
  });
  NoticeWindow wnd;
  EXPECT_EQ(dmPutFileList(id, files, wnd.Hwnd(), WM_DM_PUT_NOTIFY), dm_tc_device_gone);
  EXPECT_EQ(files[0].nResult, dm_tc_device_gone);
  EXPECT_EQ(files[1].nResult, -1);
  EXPECT_EQ(wnd.Count(dm_ts_end), 1);
  EXPECT_FALSE(fs::exists(Root("bt")));
}

TEST_F(DeviceBatch, UnknownDeviceSendsNothing) {
  std::vector<stTransferFileInfo> files{Item(temp_.Write("local/a.mp3", "a"), "a.mp3")};
  NoticeWindow wnd;
  EXPECT_EQ(dmPutFileList(12345, files, wnd.Hwnd(), WM_DM_PUT_NOTIFY), dm_tc_not_connected);
  EXPECT_TRUE(wnd.notices.empty());
  EXPECT_EQ(files[0].nResult, -1);
}

}  // namespace
}  // namespace TYX::Test
