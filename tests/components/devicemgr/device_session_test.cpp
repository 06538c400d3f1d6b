// A transfer session (a window registered for notices): listings and used bytes follow the client's own
// puts and deletions and any entry someone else adds or removes; a new session, and any look outside a
// session, reads the device afresh. Copies from another file system arrive whole; a replacement that
// does not finish keeps the old copy; a disk that refuses writes is not taken for a full phone.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "devicemgr_fixture.h"
#include "helpers/small_file_system.h"

namespace TYX::Test {
namespace {

namespace fs = std::filesystem;
using DeviceMgr::DeviceProfile;

class DeviceSession : public DeviceTest {
 protected:
  // Puts and waits for the end notice; answers its outcome.
  int Put(unsigned id, const std::string& local, const std::string& devicePath) {
    const int ends = wnd_.Count(dm_ts_end);
    if (dmPutFile(id, local, devicePath, nullptr, 0) != 1) return -1;
    if (!wnd_.WaitForEnds(ends + 1)) return -2;
    return static_cast<int>(wnd_.Of(dm_ts_end).back().value);
  }
  // The current folder as "name:size" entries.
  static std::vector<std::string> Listing(unsigned id) {
    FileInfo list;
    EXPECT_TRUE(dmGetFileList(id, list, 0));
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list[i].strName + ":" + std::to_string(list[i].nSize));
    return out;
  }
  // Rewrites a file in place: its folder's entries do not change.
  static void Rewrite(const std::string& path, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << std::string(size, 'r');
  }

  NoticeWindow wnd_;
};

TEST_F(DeviceSession, ListingsFollowOwnChangesAndEntriesOthersMake) {
  const unsigned id = Plug("phone", PhoneProfile());
  temp_.Write("phone/MUSIC/x.mp3", std::string(10, 'x'));
  const std::string a = temp_.Write("local/a.mp3", PatternBytes(3 * kChunk + 5));
  ASSERT_TRUE(dmRegisterNotify(wnd_.Hwnd(), WM_DM_NOTIFY));
  EXPECT_EQ(Listing(id), (std::vector<std::string>{"x.mp3:10"}));

  ASSERT_EQ(Put(id, a, "\\MUSIC\\a.mp3"), dm_tc_success);
  EXPECT_EQ(Listing(id), (std::vector<std::string>{"a.mp3:" + std::to_string(3 * kChunk + 5), "x.mp3:10"}));
  ASSERT_EQ(Put(id, temp_.Write("local/small.mp3", "abc"), "\\MUSIC\\a.mp3"), dm_tc_success);
  EXPECT_EQ(Listing(id), (std::vector<std::string>{"a.mp3:3", "x.mp3:10"})) << "a replaced file has its new size";
  EXPECT_EQ(dmDeleteFile(id, "\\MUSIC\\x.mp3"), 1);
  EXPECT_EQ(Listing(id), (std::vector<std::string>{"a.mp3:3"}));
  // A put that fails changes nothing.
  EXPECT_EQ(dmPutFile(id, temp_.File("local/missing.mp3"), "\\MUSIC\\m.mp3", nullptr, 0), 0);
  EXPECT_EQ(Listing(id), (std::vector<std::string>{"a.mp3:3"}));

  // Someone else adds and removes entries meanwhile.
  temp_.Write("phone/MUSIC/y.mp3", std::string(7, 'y'));
  EXPECT_EQ(Listing(id), (std::vector<std::string>{"a.mp3:3", "y.mp3:7"}));
  fs::remove(Root("phone") + "/MUSIC/a.mp3");
  EXPECT_EQ(Listing(id), (std::vector<std::string>{"y.mp3:7"}));
  fs::create_directories(Root("phone") + "/MUSIC/Sub");
  FileInfo files;
  ASSERT_TRUE(dmGetFileList(id, files, 1));
  EXPECT_EQ(files.Count(), 1) << "flag 1 lists files only, from the kept listing too";
  EXPECT_EQ(Listing(id), (std::vector<std::string>{"Sub:0", "y.mp3:7"}));
  EXPECT_TRUE(dmRegisterNotify(wnd_.Hwnd(), 0));
}

TEST_F(DeviceSession, EverySessionAndEveryLookOutsideOneReadsTheDevice) {
  const unsigned id = Plug("phone", PhoneProfile());
  const std::string song = temp_.Write("phone/MUSIC/song.mp3", std::string(10, 's'));
  // Outside a session every look is fresh.
  EXPECT_EQ(Listing(id), (std::vector<std::string>{"song.mp3:10"}));
  Rewrite(song, 20);
  EXPECT_EQ(Listing(id), (std::vector<std::string>{"song.mp3:20"}));

  ASSERT_TRUE(dmRegisterNotify(wnd_.Hwnd(), WM_DM_NOTIFY));
  EXPECT_EQ(Listing(id), (std::vector<std::string>{"song.mp3:20"})) << "a session's first look is fresh";
  Rewrite(song, 30);
  // Inside the session the listing is kept: a rewrite in place does not touch the folder's entries.
  EXPECT_EQ(Listing(id), (std::vector<std::string>{"song.mp3:20"}));
  // Registering again starts a new session.
  ASSERT_TRUE(dmRegisterNotify(wnd_.Hwnd(), WM_DM_NOTIFY));
  EXPECT_EQ(Listing(id), (std::vector<std::string>{"song.mp3:30"}));
  // The session's end forgets it all.
  ASSERT_TRUE(dmRegisterNotify(wnd_.Hwnd(), 0));
  Rewrite(song, 40);
  EXPECT_EQ(Listing(id), (std::vector<std::string>{"song.mp3:40"}));
}

TEST_F(DeviceSession, UsedBytesFollowOwnPutsAndDeletes) {
  DeviceProfile p = PhoneProfile();
  p.capacity = 100000;
  const unsigned id = Plug("phone", p);
  temp_.Write("phone/MUSIC/old.mp3", PatternBytes(10000, 1));
  ASSERT_TRUE(dmRegisterNotify(wnd_.Hwnd(), WM_DM_NOTIFY));
  const std::uint64_t free0 = dmGetDeviceFreeSpace(id, 0);
  EXPECT_EQ(dmGetDeviceTotalSpace(id), 100000u);

  ASSERT_EQ(Put(id, temp_.Write("local/a.mp3", PatternBytes(30000, 2)), "\\MUSIC\\a.mp3"), dm_tc_success);
  EXPECT_EQ(dmGetDeviceFreeSpace(id, 0), free0 - 30000);
  // Replacing gives the old copy's bytes back.
  ASSERT_EQ(Put(id, temp_.Write("local/a2.mp3", PatternBytes(20000, 3)), "\\MUSIC\\a.mp3"), dm_tc_success);
  EXPECT_EQ(dmGetDeviceFreeSpace(id, 0), free0 - 20000);
  EXPECT_EQ(dmDeleteFile(id, "\\MUSIC\\old.mp3"), 1);
  const std::uint64_t free1 = free0 - 20000 + 10000;
  EXPECT_EQ(dmGetDeviceFreeSpace(id, 0), free1);

  // The kept figure decides the next put: one byte more than is free is refused, exactly as much goes.
  EXPECT_EQ(Put(id, temp_.Write("local/big.mp3", PatternBytes(free1 + 1, 4)), "\\MUSIC\\big.mp3"), dm_tc_no_space);
  EXPECT_EQ(Put(id, temp_.Write("local/fits.mp3", PatternBytes(free1, 5)), "\\MUSIC\\fits.mp3"), dm_tc_success);
  EXPECT_EQ(dmGetDeviceFreeSpace(id, 0), 0u);
  ASSERT_TRUE(dmRegisterNotify(wnd_.Hwnd(), 0));
  // Measured afresh after the session, the figures agree.
  EXPECT_EQ(dmGetDeviceFreeSpace(id, 0), 0u);
  EXPECT_EQ(dmGetDeviceTotalSpace(id), 100000u);
}

TEST_F(DeviceSession, ACopyFromAnotherFileSystemArrivesWhole) {
  SmallFileSystem other(1024 * 1024);
  if (!other.Mounted()) GTEST_SKIP() << other.Error();
  const std::string content = PatternBytes(7 * kChunk + 99, 9);
  const std::string local = other.Write("song.mp3", content);
  const unsigned id = Plug("phone", PhoneProfile());
  temp_.Write("phone/MUSIC/song.mp3", "the old copy");
  ASSERT_TRUE(dmRegisterNotify(wnd_.Hwnd(), WM_DM_NOTIFY));
  ASSERT_EQ(Put(id, local, "\\MUSIC\\song.mp3"), dm_tc_success);
  EXPECT_TRUE(ReadFileBytes(Root("phone") + "/MUSIC/song.mp3") == content);
  EXPECT_EQ(wnd_.Count(dm_ts_progress), 8) << "a notice per chunk";
  EXPECT_EQ(wnd_.Of(dm_ts_progress).back().value, static_cast<Win::LPARAM>(content.size()));
  EXPECT_EQ(TemporaryFilesUnder(Root("phone")), 0);
  EXPECT_TRUE(dmRegisterNotify(wnd_.Hwnd(), 0));
}

TEST_F(DeviceSession, AReplacementThatDoesNotFinishKeepsTheOldCopy) {
  const unsigned id = Plug("phone", PhoneProfile());
  const std::string old = temp_.Write("phone/MUSIC/song.mp3", "the old copy");
  const std::string newer = temp_.Write("local/song.mp3", PatternBytes(6 * kChunk, 4));
  ASSERT_TRUE(dmRegisterNotify(wnd_.Hwnd(), WM_DM_NOTIFY));
  // The person cancels while the new copy is half written.
  client_->SetChunkHook([&](unsigned device, std::uint64_t sent) {
    if (sent == 2 * kChunk) dmIOCancel(device);
  });
  EXPECT_EQ(Put(id, newer, "\\MUSIC\\song.mp3"), dm_tc_cancelled);
  EXPECT_EQ(ReadFileBytes(old), "the old copy");
  EXPECT_EQ(TemporaryFilesUnder(Root("phone")), 0);
  client_->SetChunkHook({});
  EXPECT_EQ(Put(id, newer, "\\MUSIC\\song.mp3"), dm_tc_success);
  EXPECT_TRUE(ReadFileBytes(old) == PatternBytes(6 * kChunk, 4));
}

TEST_F(DeviceSession, AWriteTheDiskRefusesIsAWriteErrorNotAFullPhone) {
  Plug("phone", PhoneProfile());
  temp_.Write("phone/MUSIC/keep.mp3", "kept");
  ReadOnlyView view(Root("phone"));
  if (!view.Mounted()) GTEST_SKIP() << view.Error();
  auto connected = client_->Connect(view.Path());
  ASSERT_TRUE(connected.ok()) << connected.error;
  ASSERT_TRUE(dmRegisterNotify(wnd_.Hwnd(), WM_DM_NOTIFY));
  EXPECT_EQ(Put(connected.id, temp_.Write("local/a.mp3", "abc"), "\\MUSIC\\a.mp3"), dm_tc_write_error);
  EXPECT_FALSE(fs::exists(Root("phone") + "/MUSIC/a.mp3"));
  EXPECT_EQ(Listing(connected.id), (std::vector<std::string>{"keep.mp3:4"}));
}

}  // namespace
}  // namespace TYX::Test
