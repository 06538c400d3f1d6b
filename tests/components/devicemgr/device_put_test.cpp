// Puts onto folder devices: the notices and their order, cancel, no space, a low battery, a device
// that goes away in the middle, and the ring-tone put that reports to its own window.
#include <gtest/gtest.h>

#include <filesystem>

#include "devicemgr_fixture.h"
#include "platform/event.h"

namespace TYX::Test {
namespace {

namespace fs = std::filesystem;
using DeviceMgr::DeviceProfile;
using DevicePut = DeviceTest;

TEST_F(DevicePut, ArrivesWithNoticesInOrder) {
  const unsigned id = Plug("phone", PhoneProfile());
  const std::string content = PatternBytes(3 * kChunk + 123);
  const std::string local = temp_.Write("local/song.mp3", content);
  NoticeWindow wnd;
  ASSERT_TRUE(dmRegisterNotify(wnd.Hwnd(), WM_DM_NOTIFY));

  ASSERT_EQ(dmPutFile(id, local, "\\MUSIC\\Song One.mp3", nullptr, 0), 1);
  ASSERT_TRUE(wnd.WaitForEnds(1));

  // start (0), a progress notice per chunk with the bytes so far, end (0) last.
  ASSERT_EQ(wnd.notices.size(), 6u);
  EXPECT_EQ(wnd.notices.front().status, dm_ts_start);
  EXPECT_EQ(wnd.notices.front().value, 0);
  const std::vector<Win::LPARAM> expected{kChunk, 2 * kChunk, 3 * kChunk, 3 * kChunk + 123};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(wnd.notices[i + 1].status, dm_ts_progress);
    EXPECT_EQ(wnd.notices[i + 1].value, expected[i]);
  }
  EXPECT_EQ(wnd.notices.back().status, dm_ts_end);
  EXPECT_EQ(wnd.notices.back().value, 0);
  for (const auto& n : wnd.notices) EXPECT_EQ(n.message, WM_DM_NOTIFY);

  EXPECT_EQ(ReadFileBytes(Root("phone") + "/MUSIC/Song One.mp3"), content);
  EXPECT_EQ(TemporaryFilesUnder(Root("phone")), 0);
  EXPECT_EQ(dmGetLastError(), dm_tc_success);
  FileInfo list;
  ASSERT_TRUE(dmGetFileList(id, list, 0));
  ASSERT_EQ(list.Find("song one.mp3"), 0);
  EXPECT_EQ(list[0].nSize, content.size());
  EXPECT_TRUE(dmRegisterNotify(wnd.Hwnd(), 0));
}

TEST_F(DevicePut, PutsRunInOrderAndReplaceAnOldFile) {
  DeviceProfile p = PhoneProfile();
  p.folder = "\\";
  const unsigned id = Plug("player", p);
  temp_.Write("player/Music/a.mp3", "old content");
  const std::string a = temp_.Write("local/a.mp3", PatternBytes(5000, 1));
  const std::string b = temp_.Write("local/b.mp3", PatternBytes(100, 2));
  NoticeWindow wnd;
  dmRegisterNotify(wnd.Hwnd(), WM_DM_NOTIFY);
  // Relative device paths are taken from the current folder; missing folders are made.
  ASSERT_EQ(dmPutFile(id, a, "Music\\a.mp3", nullptr, 0), 1);
  ASSERT_EQ(dmPutFile(id, b, "\\New\\Deep\\b.mp3", nullptr, 0), 1);
  ASSERT_TRUE(wnd.WaitForEnds(2));
  std::vector<int> order;
  for (const auto& n : wnd.notices) {
    if (n.status == dm_ts_start || n.status == dm_ts_end) order.push_back(n.status);
  }
  EXPECT_EQ(order, (std::vector<int>{dm_ts_start, dm_ts_end, dm_ts_start, dm_ts_end}));
  EXPECT_EQ(ReadFileBytes(Root("player") + "/Music/a.mp3"), PatternBytes(5000, 1));
  EXPECT_EQ(ReadFileBytes(Root("player") + "/New/Deep/b.mp3"), PatternBytes(100, 2));
}

TEST_F(DevicePut, RefusedPutsStartNothing) {
  const unsigned id = Plug("phone", PhoneProfile());
  const std::string local = temp_.Write("local/song.mp3", "abc");
  NoticeWindow wnd;
  dmRegisterNotify(wnd.Hwnd(), WM_DM_NOTIFY);
  EXPECT_EQ(dmPutFile(id, temp_.File("local/missing.mp3"), "\\MUSIC\\x.mp3", nullptr, 0), 0);
  EXPECT_EQ(dmGetLastError(), dm_tc_source_error);
  EXPECT_EQ(dmPutFile(id, temp_.File("local"), "\\MUSIC\\x.mp3", nullptr, 0), 0);  // a folder
  EXPECT_EQ(dmPutFile(id, local, "\\..\\escape.mp3", nullptr, 0), 0);
  EXPECT_EQ(dmGetLastError(), dm_tc_bad_path);
  EXPECT_EQ(dmPutFile(id, local, std::string("\\") + DeviceMgr::kProfileFileName, nullptr, 0), 0);
  EXPECT_EQ(dmPutFile(id, local, "\\", nullptr, 0), 0);
  EXPECT_EQ(dmPutFile(id + 100, local, "\\MUSIC\\x.mp3", nullptr, 0), 0);
  EXPECT_EQ(dmGetLastError(), dm_tc_not_connected);
  Win::PumpMessages();
  EXPECT_TRUE(wnd.notices.empty());
  EXPECT_FALSE(fs::exists(temp_.File("escape.mp3")));
  EXPECT_NE(ReadFileBytes(fs::path(Root("phone")) / DeviceMgr::kProfileFileName).find("Model=SPH-M4650"),
            std::string::npos);
}

TEST_F(DevicePut, CancelStopsWithinOneChunkAndLeavesNoFile) {
  const unsigned id = Plug("phone", PhoneProfile());
  const std::string local = temp_.Write("local/song.mp3", PatternBytes(10 * kChunk));
  NoticeWindow wnd;
  dmRegisterNotify(wnd.Hwnd(), WM_DM_NOTIFY);
  // The copy waits after its first chunk until the window has handled that chunk's notice.
  Win::Event firstChunkSeen(true, false);
  std::atomic<bool> hookTimedOut{false};
  client_->SetChunkHook([&](unsigned, std::uint64_t sent) {
    if (sent == kChunk && firstChunkSeen.Wait(kWatchdogMs) != Win::WAIT_OBJECT_0) hookTimedOut = true;
  });
  wnd.onNotice = [&](const Notice& n) {
    if (n.status == dm_ts_progress && !firstChunkSeen.IsSet()) {
      EXPECT_TRUE(dmIOCancel(id));
      firstChunkSeen.Set();
    }
  };
  ASSERT_EQ(dmPutFile(id, local, "\\MUSIC\\song.mp3", nullptr, 0), 1);
  ASSERT_TRUE(wnd.WaitForEnds(1));
  EXPECT_FALSE(hookTimedOut);
  EXPECT_EQ(wnd.Count(dm_ts_progress), 1);
  EXPECT_EQ(wnd.notices.back().status, dm_ts_end);
  EXPECT_EQ(wnd.notices.back().value, dm_tc_cancelled);
  EXPECT_EQ(dmGetLastError(), dm_tc_cancelled);
  EXPECT_FALSE(fs::exists(Root("phone") + "/MUSIC/song.mp3"));
  EXPECT_EQ(TemporaryFilesUnder(Root("phone")), 0);

  // The cancel was for that put only: the next one goes through.
  client_->SetChunkHook({});
  ASSERT_EQ(dmPutFile(id, local, "\\MUSIC\\song.mp3", nullptr, 0), 1);
  ASSERT_TRUE(wnd.WaitForEnds(2));
  EXPECT_EQ(wnd.notices.back().value, dm_tc_success);
  EXPECT_TRUE(fs::exists(Root("phone") + "/MUSIC/song.mp3"));
}

TEST_F(DevicePut, CancelAlsoEndsPutsStillWaiting) {
  const unsigned id = Plug("phone", PhoneProfile());
  const std::string local = temp_.Write("local/song.mp3", PatternBytes(4 * kChunk));
  NoticeWindow wnd;
  dmRegisterNotify(wnd.Hwnd(), WM_DM_NOTIFY);
  Win::Event release(true, false);
  std::atomic<bool> hookTimedOut{false};
  client_->SetChunkHook([&](unsigned, std::uint64_t) {
    if (release.Wait(kWatchdogMs) != Win::WAIT_OBJECT_0) hookTimedOut = true;
  });
  ASSERT_EQ(dmPutFile(id, local, "\\MUSIC\\first.mp3", nullptr, 0), 1);
  ASSERT_EQ(dmPutFile(id, local, "\\MUSIC\\second.mp3", nullptr, 0), 1);
  // The first put is held after its first chunk; the second has not begun.
  ASSERT_TRUE(Win::PumpUntil([&] { return wnd.Count(dm_ts_progress) >= 1; }, kWatchdogMs));
  EXPECT_TRUE(dmIOCancel(id));
  release.Set();
  ASSERT_TRUE(wnd.WaitForEnds(2));
  EXPECT_FALSE(hookTimedOut);
  const auto ends = wnd.Of(dm_ts_end);
  EXPECT_EQ(ends[0].value, dm_tc_cancelled);
  EXPECT_EQ(ends[1].value, dm_tc_cancelled);
  EXPECT_EQ(wnd.Count(dm_ts_start), 2);
  EXPECT_EQ(wnd.Count(dm_ts_progress), 1);
  FileInfo list;
  ASSERT_TRUE(dmGetFileList(id, list, 0));
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(TemporaryFilesUnder(Root("phone")), 0);
}

TEST_F(DevicePut, NoSpaceEndsWith40040AndWritesNothing) {
  DeviceProfile p = PhoneProfile();
  p.capacity = 8000;
  const unsigned id = Plug("phone", p);
  const std::uint64_t freeBefore = dmGetDeviceFreeSpace(id, 0);
  ASSERT_GT(freeBefore, 0u);
  const std::string big = temp_.Write("local/big.mp3", PatternBytes(freeBefore + 1));
  const std::string fits = temp_.Write("local/fits.mp3", PatternBytes(freeBefore));
  NoticeWindow wnd;
  dmRegisterNotify(wnd.Hwnd(), WM_DM_NOTIFY);
  ASSERT_EQ(dmPutFile(id, big, "\\MUSIC\\big.mp3", nullptr, 0), 1);
  ASSERT_TRUE(wnd.WaitForEnds(1));
  ASSERT_EQ(wnd.notices.size(), 2u);
  EXPECT_EQ(wnd.notices[0].status, dm_ts_start);
  EXPECT_EQ(wnd.notices[1].status, dm_ts_end);
  EXPECT_EQ(wnd.notices[1].value, dm_tc_no_space);
  EXPECT_EQ(dmGetLastError(), dm_tc_no_space);
  EXPECT_EQ(dmGetErrorString(dm_tc_no_space), dmDefaultErrorString(dm_tc_no_space));
  EXPECT_FALSE(fs::exists(Root("phone") + "/MUSIC/big.mp3"));
  EXPECT_EQ(dmGetDeviceFreeSpace(id, 0), freeBefore);
  // A file of exactly the free space still fits, and then nothing is left.
  ASSERT_EQ(dmPutFile(id, fits, "\\MUSIC\\fits.mp3", nullptr, 0), 1);
  ASSERT_TRUE(wnd.WaitForEnds(2));
  EXPECT_EQ(wnd.notices.back().value, dm_tc_success);
  EXPECT_EQ(dmGetDeviceFreeSpace(id, 0), 0u);
}

TEST_F(DevicePut, LowBatteryRefusesTheWrite) {
  DeviceProfile p = PhoneProfile();
  p.batteryLow = true;
  const unsigned id = Plug("phone", p);
  const std::string local = temp_.Write("local/song.mp3", "abc");
  NoticeWindow wnd;
  dmRegisterNotify(wnd.Hwnd(), WM_DM_NOTIFY);
  ASSERT_EQ(dmPutFile(id, local, "\\MUSIC\\song.mp3", nullptr, 0), 1);
  ASSERT_TRUE(wnd.WaitForEnds(1));
  EXPECT_EQ(wnd.notices.back().value, dm_tc_battery_low);
  EXPECT_EQ(dmGetLastError(), dm_tc_battery_low);
  EXPECT_FALSE(fs::exists(Root("phone") + "/MUSIC/song.mp3"));
}

TEST_F(DevicePut, DeviceFolderRemovedDuringAPutEndsWithAnError) {
  const unsigned id = Plug("phone", PhoneProfile());
  const std::string local = temp_.Write("local/song.mp3", PatternBytes(6 * kChunk));
  NoticeWindow wnd;
  dmRegisterNotify(wnd.Hwnd(), WM_DM_NOTIFY);
  // The player is pulled out right after the first chunk.
  client_->SetChunkHook([&](unsigned, std::uint64_t sent) {
    if (sent == kChunk) {
      std::error_code ec;
      fs::remove_all(Root("phone"), ec);
    }
  });
  ASSERT_EQ(dmPutFile(id, local, "\\MUSIC\\song.mp3", nullptr, 0), 1);
  ASSERT_TRUE(wnd.WaitForEnds(1));
  EXPECT_EQ(wnd.notices.back().value, dm_tc_device_gone);
  EXPECT_EQ(wnd.Count(dm_ts_progress), 1);
  // Nothing brought the folder back.
  EXPECT_FALSE(fs::exists(Root("phone")));
  // Later calls on the vanished device fail cleanly.
  EXPECT_EQ(dmPutFile(id, local, "\\MUSIC\\song.mp3", nullptr, 0), 0);
  EXPECT_EQ(dmGetLastError(), dm_tc_device_gone);
  EXPECT_EQ(dmGetDeviceFreeSpace(id, 0), 0u);
  EXPECT_EQ(dmDeleteFile(id, "\\MUSIC\\song.mp3"), 0);
}

TEST_F(DevicePut, DisconnectDuringAPutEndsWithAnError) {
  const unsigned id = Plug("phone", PhoneProfile());
  const std::string local = temp_.Write("local/song.mp3", PatternBytes(6 * kChunk));
  NoticeWindow wnd;
  dmRegisterNotify(wnd.Hwnd(), WM_DM_NOTIFY);
  client_->SetChunkHook([&](unsigned device, std::uint64_t sent) {
    if (sent == 2 * kChunk) client_->Disconnect(device);
  });
  ASSERT_EQ(dmPutFile(id, local, "\\MUSIC\\song.mp3", nullptr, 0), 1);
  ASSERT_TRUE(wnd.WaitForEnds(1));
  EXPECT_EQ(wnd.notices.back().value, dm_tc_device_gone);
  EXPECT_EQ(wnd.Count(dm_ts_progress), 2);
  EXPECT_FALSE(fs::exists(Root("phone") + "/MUSIC/song.mp3"));
  EXPECT_EQ(TemporaryFilesUnder(Root("phone")), 0);
}

TEST_F(DevicePut, RingToneGoesToTheCallersWindow) {
  DeviceProfile p = PhoneProfile();
  p.type = DEVICETYPE_RINGTONE;
  p.folder = "\\BELL";
  const unsigned id = Plug("phone", p);
  const std::string melody = temp_.Write("local/melody.mmf", PatternBytes(900));
  NoticeWindow registered;  // a store page that registered earlier and never stopped
  NoticeWindow dialog;
  dmRegisterNotify(registered.Hwnd(), WM_DM_NOTIFY);
  int lastErrorAtEnd = -1;
  dialog.onNotice = [&](const Notice& n) {
    if (n.status == dm_ts_end) lastErrorAtEnd = dmGetLastError();
  };
  const int previous = dmPutFileMode(1);
  ASSERT_EQ(dmPutFile(id, melody, "0", dialog.Hwnd(), WM_DM_PUT_NOTIFY), 1);
  dmPutFileMode(previous);
  ASSERT_TRUE(dialog.WaitForEnds(1));
  EXPECT_EQ(dialog.notices.front().status, dm_ts_start);
  for (const auto& n : dialog.notices) EXPECT_EQ(n.message, WM_DM_PUT_NOTIFY);
  EXPECT_EQ(dialog.notices.back().value, dm_tc_success);
  EXPECT_EQ(lastErrorAtEnd, dm_tc_success);
  EXPECT_TRUE(registered.notices.empty());
  EXPECT_EQ(ReadFileBytes(Root("phone") + "/BELL/melody.mmf"), PatternBytes(900));
}

TEST_F(DevicePut, AHalfGivenTargetLeavesTheNoticesWithTheRegisteredWindow) {
  const unsigned id = Plug("phone", PhoneProfile());
  const std::string local = temp_.Write("local/song.mp3", PatternBytes(100));
  NoticeWindow registered;
  NoticeWindow other;
  dmRegisterNotify(registered.Hwnd(), WM_DM_NOTIFY);
  // A window without a message, or a message without a window, names no target.
  ASSERT_EQ(dmPutFile(id, local, "\\MUSIC\\a.mp3", other.Hwnd(), 0), 1);
  ASSERT_EQ(dmPutFile(id, local, "\\MUSIC\\b.mp3", nullptr, WM_DM_PUT_NOTIFY), 1);
  ASSERT_TRUE(registered.WaitForEnds(2));
  for (const auto& n : registered.notices) EXPECT_EQ(n.message, WM_DM_NOTIFY);
  for (const auto& end : registered.Of(dm_ts_end)) EXPECT_EQ(end.value, dm_tc_success);
  EXPECT_TRUE(other.notices.empty());
}

TEST_F(DevicePut, NoticesToAWindowThatIsGoneAreDropped) {
  const unsigned id = Plug("phone", PhoneProfile());
  const std::string local = temp_.Write("local/song.mp3", PatternBytes(3 * kChunk));
  NoticeWindow gone;
  dmRegisterNotify(gone.Hwnd(), WM_DM_NOTIFY);
  gone.Destroy();
  NoticeWindow witness;
  ASSERT_EQ(dmPutFile(id, local, "\\MUSIC\\a.mp3", nullptr, 0), 1);
  // A second put reporting to a live window shows when the first has ended.
  dmPutFileMode(1);
  ASSERT_EQ(dmPutFile(id, local, "\\MUSIC\\b.mp3", witness.Hwnd(), WM_DM_PUT_NOTIFY), 1);
  dmPutFileMode(0);
  ASSERT_TRUE(witness.WaitForEnds(1));
  EXPECT_TRUE(gone.notices.empty());
  EXPECT_EQ(ReadFileBytes(Root("phone") + "/MUSIC/a.mp3"), PatternBytes(3 * kChunk));
}

TEST_F(DevicePut, StoppingNoticesIsForTheRegisteredWindowOnly) {
  NoticeWindow a;
  NoticeWindow b;
  const unsigned id = Plug("phone", PhoneProfile());
  const std::string local = temp_.Write("local/song.mp3", "abc");
  ASSERT_TRUE(dmRegisterNotify(a.Hwnd(), WM_DM_NOTIFY));
  EXPECT_TRUE(dmRegisterNotify(b.Hwnd(), 0));  // b was not registered: a keeps its notices
  ASSERT_EQ(dmPutFile(id, local, "\\MUSIC\\x.mp3", nullptr, 0), 1);
  ASSERT_TRUE(a.WaitForEnds(1));
  EXPECT_TRUE(dmRegisterNotify(a.Hwnd(), 0));
  // With nobody registered the put still happens, silently. A later put that reports to b shows when
  // it has ended, since puts run in order.
  ASSERT_EQ(dmPutFile(id, local, "\\MUSIC\\y.mp3", nullptr, 0), 1);
  ASSERT_EQ(dmPutFile(id, local, "\\MUSIC\\z.mp3", b.Hwnd(), WM_DM_PUT_NOTIFY), 1);
  ASSERT_TRUE(b.WaitForEnds(1));
  Win::PumpMessages();
  EXPECT_TRUE(fs::exists(Root("phone") + "/MUSIC/y.mp3"));
  EXPECT_EQ(a.Count(dm_ts_end), 1);
  EXPECT_EQ(b.Count(dm_ts_end), 1);
}

TEST_F(DevicePut, DestroyingTheClientEndsEveryPutWithItsNotices) {
  const unsigned id = Plug("phone", PhoneProfile());
  const std::string content = PatternBytes(40 * kChunk);
  const std::string local = temp_.Write("local/song.mp3", content);
  NoticeWindow wnd;
  dmRegisterNotify(wnd.Hwnd(), WM_DM_NOTIFY);
  for (const char* name : {"\\MUSIC\\1.mp3", "\\MUSIC\\2.mp3", "\\MUSIC\\3.mp3"}) {
    ASSERT_EQ(dmPutFile(id, local, name, nullptr, 0), 1);
  }
  // Whatever each put had done by then, it ends: completed, or cancelled without a trace.
  InstallDeviceMgrClient(nullptr);
  client_.reset();
  ASSERT_TRUE(wnd.WaitForEnds(3));
  EXPECT_EQ(wnd.Count(dm_ts_start), 3);
  for (const auto& end : wnd.Of(dm_ts_end)) {
    EXPECT_TRUE(end.value == dm_tc_success || end.value == dm_tc_cancelled) << end.value;
  }
  for (const char* name : {"1.mp3", "2.mp3", "3.mp3"}) {
    const std::string path = Root("phone") + "/MUSIC/" + name;
    if (fs::exists(path)) {
      EXPECT_EQ(ReadFileBytes(path), content) << name;
    }
  }
  EXPECT_EQ(TemporaryFilesUnder(Root("phone")), 0);
}

}  // namespace
}  // namespace TYX::Test
