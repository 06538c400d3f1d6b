// A person's interruptions and the phone's failures during a cable job: cancels at several points, a
// phone folder removed or a phone pulled out mid-put, notices that never come, a disk that fills, a
// controller destroyed mid-job, and the notice values that must not be confused.
#include <filesystem>
#include <functional>

#include "device/device_fixture.h"
#include "device/device_texts.h"
#include "helpers/cancel_releasing_client.h"
#include "helpers/small_file_system.h"

namespace TYX::Test {
namespace {

namespace fs = std::filesystem;
using Device::TYX_DeviceTransControl;

// A controller that never cancels the put leaves the copy held until the gate's watchdog, and the file
// then arrives.
using TYX::Test::CancelReleasingClient;

class TransferFaults : public TransferTest {
 protected:
  void SetUp() override {
    TransferTest::SetUp();
    DeviceMgr::TYX_FolderDeviceClient::Options options;
    options.chunkSize = kChunk;
    auto client = std::make_shared<CancelReleasingClient>(options);
    client->onCancel = [this] { gate_.Release(); };
    client_ = client;
    client_->SetChunkHook([this](unsigned, std::uint64_t sent) { gate_.OnChunk(sent); });
    InstallDeviceMgrClient(client_);
  }
};

TEST_F(TransferFaults, CancelDuringAPutEndsItAndMarksTheRestCancelled) {
  const unsigned phone = Plug("phone", PhoneProfile());
  const std::string there = Song("there.mp3");
  WriteAt(PhoneFile("phone", "there.mp3"), ReadFileBytes(there));
  const std::vector<std::string> files{Song("a.mp3"), there, Song("b.mp3"), Song("c.mp3")};
  gate_.Arm(kChunk);
  auto& c = Controller();
  ASSERT_EQ(c.Start(phone, files, 0, 0), 1);
  ASSERT_TRUE(WaitHeld());
  c.Cancel();
  ASSERT_TRUE(WaitEnd(1));

  EXPECT_FALSE(fs::exists(PhoneFile("phone", "a.mp3")));
  EXPECT_EQ(UnfinishedPutsUnder(Root("phone")), 0);
  EXPECT_EQ(c.GetRecord(files[0]).state, TYX_DeviceTransControl::ess_cancelled);
  EXPECT_EQ(parent_.Outcomes(files[0]), (std::vector<int>{-1, -10}));
  // A file already on the phone stays complete; the others are cancelled once each.
  EXPECT_EQ(c.GetRecord(there).state, TYX_DeviceTransControl::ess_complete);
  EXPECT_EQ(parent_.Outcomes(there), (std::vector<int>{-1, 101}));
  for (const auto& f : {files[2], files[3]}) {
    EXPECT_EQ(c.GetRecord(f).state, TYX_DeviceTransControl::ess_cancelled) << f;
    EXPECT_EQ(c.GetRecord(f).message, Device::Texts::kCancelled);
    EXPECT_EQ(parent_.Outcomes(f), (std::vector<int>{-1, -10})) << f;
    EXPECT_FALSE(fs::exists(PhoneFile("phone", fs::path(f).filename().string())));
  }
  EXPECT_EQ(c.GetErrorReport().size(), 3u);
  EXPECT_TRUE(parent_.reports.back().end);
}

TEST_F(TransferFaults, ACancelledReplacementKeepsThePhonesOldCopy) {
  const unsigned phone = Plug("phone", PhoneProfile());
  // Far from the old copy's size, so the phone's file is not taken for this song.
  const std::string song = Song("a.mp3", 128, 12.0);
  const std::string old = "the phone's older copy of a.mp3";
  WriteAt(PhoneFile("phone", "a.mp3"), old);
  gate_.Arm(kChunk);
  auto& c = Controller();
  ASSERT_EQ(c.Start(phone, {song}, 0, 0), 1);
  ASSERT_TRUE(WaitHeld());
  c.Cancel();
  ASSERT_TRUE(WaitEnd(1));
  EXPECT_EQ(c.GetRecord(song).state, TYX_DeviceTransControl::ess_cancelled);
  EXPECT_EQ(ReadFileBytes(PhoneFile("phone", "a.mp3")), old);
  EXPECT_EQ(UnfinishedPutsUnder(Root("phone")), 0);

  // Sent again to the end, the new copy replaces the old one.
  c.IsStarted();
  ASSERT_EQ(c.Start(phone, {song}, 0, 0), 1);
  ASSERT_TRUE(WaitEnd(2));
  EXPECT_EQ(c.GetRecord(song).state, TYX_DeviceTransControl::ess_complete);
  EXPECT_EQ(ReadFileBytes(PhoneFile("phone", "a.mp3")), ReadFileBytes(song));
}

TEST_F(TransferFaults, CancelBetweenFilesKeepsWhatArrived) {
  const unsigned phone = Plug("phone", PhoneProfile());
  const std::vector<std::string> files{Song("a.mp3"), Song("b.mp3"), Song("c.mp3")};
  auto& c = Controller();
  parent_.onReport = [&](const Report& r) {
    if (r.code == 101 && r.path == files[0]) c.Cancel();
  };
  ASSERT_EQ(c.Start(phone, files, 0, 0), 1);
  ASSERT_TRUE(WaitEnd(1));
  EXPECT_TRUE(fs::exists(PhoneFile("phone", "a.mp3")));
  EXPECT_EQ(c.GetRecord(files[0]).state, TYX_DeviceTransControl::ess_complete);
  EXPECT_FALSE(fs::exists(PhoneFile("phone", "b.mp3")));
  EXPECT_EQ(c.GetRecord(files[1]).state, TYX_DeviceTransControl::ess_cancelled);
  EXPECT_EQ(c.GetRecord(files[2]).state, TYX_DeviceTransControl::ess_cancelled);
}

TEST_F(TransferFaults, CancelBeforeTheFirstFileSendsNothing) {
  const unsigned phone = Plug("phone", PhoneProfile());
  const std::vector<std::string> files{Song("a.mp3"), Song("b.mp3")};
  auto& c = Controller();
  // The person cancels as soon as the list is shown.
  parent_.onReport = [&](const Report& r) {
    if (r.code == -1) c.Cancel();
  };
  ASSERT_EQ(c.Start(phone, files, 0, 0), 1);
  ASSERT_TRUE(WaitEnd(1));
  for (const auto& f : files) {
    EXPECT_EQ(c.GetRecord(f).state, TYX_DeviceTransControl::ess_cancelled);
    EXPECT_EQ(parent_.Outcomes(f), (std::vector<int>{-1, -10}));
  }
  EXPECT_EQ(fs::directory_iterator(Root("phone") + "/MUSIC") == fs::directory_iterator(), true);
}

TEST_F(TransferFaults, PhoneFolderRemovedMidPutFailsEveryFileAndEndsTheJob) {
  const unsigned phone = Plug("phone", PhoneProfile());
  const std::vector<std::string> files{Song("a.mp3"), Song("b.mp3")};
  gate_.Arm(kChunk);
  auto& c = Controller();
  ASSERT_EQ(c.Start(phone, files, 0, 0), 1);
  ASSERT_TRUE(WaitHeld());
  fs::remove_all(Root("phone"));
  gate_.Release();
  ASSERT_TRUE(WaitEnd(1));
  for (const auto& f : files) {
    EXPECT_EQ(c.GetRecord(f).state, TYX_DeviceTransControl::ess_failed) << f;
    EXPECT_FALSE(c.GetRecord(f).message.empty());
    EXPECT_EQ(parent_.Outcomes(f).back(), -2);
  }
  EXPECT_NE(c.GetRecord(files[0]).message.find(dmGetErrorString(dm_tc_device_gone)), std::string::npos)
      << c.GetRecord(files[0]).message;
}

// A client whose puts never report: the notices of an unplugged phone are lost.
class SilentClient : public CancelReleasingClient {
 public:
  using CancelReleasingClient::CancelReleasingClient;
  Win::BOOL RegisterNotify(Win::HWND, Win::UINT) override { return Win::TRUE; }
};

class SilentTransfer : public TransferTest {
 protected:
  void SetUp() override {
    TransferTest::SetUp();
    DeviceMgr::TYX_FolderDeviceClient::Options options;
    options.chunkSize = kChunk;
    auto client = std::make_shared<SilentClient>(options);
    client->onCancel = [this] { gate_.Release(); };
    client_ = client;
    client_->SetChunkHook([this](unsigned, std::uint64_t sent) { gate_.OnChunk(sent); });
    InstallDeviceMgrClient(client_);
  }
};

TEST_F(SilentTransfer, APhonePulledOutWhileNoticesAreLostEndsTheWait) {
  const unsigned phone = Plug("phone", PhoneProfile());
  const std::vector<std::string> files{Song("a.mp3"), Song("b.mp3")};
  gate_.Arm(kChunk);
  auto& c = Controller();
  c.SetEndNoticeGraceMs(50);
  ASSERT_EQ(c.Start(phone, files, 0, 0), 1);
  ASSERT_TRUE(WaitHeld());
  ASSERT_TRUE(client_->Disconnect(phone));
  gate_.Release();
  ASSERT_TRUE(WaitEnd(1)) << "the worker waited for a notice that never comes";
  for (const auto& f : files) {
    EXPECT_EQ(c.GetRecord(f).state, TYX_DeviceTransControl::ess_failed) << f;
    EXPECT_NE(c.GetRecord(f).message.find(dmGetErrorString(dm_tc_not_connected)), std::string::npos)
        << c.GetRecord(f).message;
    EXPECT_EQ(parent_.Outcomes(f), (std::vector<int>{-1, -2}));
  }
}

TEST_F(SilentTransfer, ACancelWhileNoticesAreLostEndsTheJob) {
  const unsigned phone = Plug("phone", PhoneProfile());
  const std::vector<std::string> files{Song("a.mp3"), Song("b.mp3")};
  gate_.Arm(kChunk);
  auto& c = Controller();
  c.SetEndNoticeGraceMs(50);
  ASSERT_EQ(c.Start(phone, files, 0, 0), 1);
  ASSERT_TRUE(WaitHeld());
  c.Cancel();
  ASSERT_TRUE(WaitEnd(1));
  EXPECT_EQ(c.GetRecord(files[0]).state, TYX_DeviceTransControl::ess_cancelled);
  EXPECT_EQ(c.GetRecord(files[1]).state, TYX_DeviceTransControl::ess_cancelled);
  EXPECT_FALSE(fs::exists(PhoneFile("phone", "a.mp3")));
}

TEST_F(TransferFaults, ADiskThatFillsMidPutFailsThatFileAndLeavesNoPartialCopy) {
  SmallFileSystem disk(1024 * 1024);
  if (!disk.Mounted()) GTEST_SKIP() << disk.Error();
  fs::create_directories(disk.Path() + "/MUSIC");
  ASSERT_EQ(DeviceMgr::WriteDeviceProfile(disk.Path(), PhoneProfile()), "");
  auto connected = client_->Connect(disk.Path());
  ASSERT_TRUE(connected.ok()) << connected.error;
  const std::string song = Song("song.mp3", 128, 4.0);
  const std::string next = Song("next.mp3");
  gate_.Arm(kChunk);
  auto& c = Controller();
  ASSERT_EQ(c.Start(connected.id, {song, next}, 0, 0), 1);
  ASSERT_TRUE(WaitHeld());
  disk.FillUp();  // something else takes the phone's memory while the song is on its way
  gate_.Release();
  ASSERT_TRUE(WaitEnd(1));
  EXPECT_EQ(c.GetRecord(song).state, TYX_DeviceTransControl::ess_failed);
  EXPECT_NE(c.GetRecord(song).message.find(dmGetErrorString(dm_tc_no_space)), std::string::npos)
      << c.GetRecord(song).message;
  EXPECT_FALSE(fs::exists(disk.Path() + "/MUSIC/song.mp3"));
  EXPECT_EQ(UnfinishedPutsUnder(disk.Path()), 0);
  EXPECT_EQ(c.GetRecord(next).state, TYX_DeviceTransControl::ess_failed);

  // Once there is room again the failed files go.
  disk.Release();
  c.IsStarted();
  ASSERT_EQ(c.StartFailedAgain(connected.id), 1);
  ASSERT_TRUE(WaitEnd(2));
  EXPECT_EQ(ReadFileBytes(disk.Path() + "/MUSIC/song.mp3"), ReadFileBytes(song));
  EXPECT_EQ(ReadFileBytes(disk.Path() + "/MUSIC/next.mp3"), ReadFileBytes(next));
}

TEST_F(TransferFaults, DestroyingAControllerMidJobLetsTheNextOneStart) {
  const unsigned phone = Plug("phone", PhoneProfile());
  const std::vector<std::string> files{Song("a.mp3"), Song("b.mp3")};
  gate_.Arm(kChunk);
  auto& first = Controller();
  ASSERT_EQ(first.Start(phone, files, 0, 0), 1);
  ASSERT_TRUE(WaitHeld());
  // The phone's copy is held; the destructor cancels, keeps handling messages and joins.
  gate_.Release();
  controller_.reset();
  EXPECT_EQ(UnfinishedPutsUnder(Root("phone")), 0);

  auto& second = Controller();
  ASSERT_TRUE(Run(phone, files)) << "a later transfer is refused after a controller died";
  EXPECT_EQ(second.GetRecord(files[1]).state, TYX_DeviceTransControl::ess_complete);
}

TEST_F(TransferFaults, ASecondStartIsRefusedAndChangesNothing) {
  const unsigned phone = Plug("phone", PhoneProfile());
  const std::vector<std::string> files{Song("a.mp3")};
  gate_.Arm(kChunk);
  auto& first = Controller();
  ASSERT_EQ(first.Start(phone, files, 0, 0), 1);
  ASSERT_TRUE(WaitHeld());
  EXPECT_EQ(first.IsStarted(), 1);
  EXPECT_EQ(first.Start(phone, {Song("x.mp3")}, 0, 0), 0);
  ReportWindow otherParent;
  Device::TYX_DeviceTransControl other;
  ASSERT_TRUE(other.Create(otherParent.Hwnd(), WM_TRANSFER_REPORT, nullptr, nullptr));
  EXPECT_EQ(other.Start(phone, {Song("y.mp3")}, 0, 0), 0);
  EXPECT_EQ(first.GetFiles(), files);
  gate_.Release();
  ASSERT_TRUE(WaitEnd(1));
  EXPECT_EQ(first.GetRecord(files[0]).state, TYX_DeviceTransControl::ess_complete);
  // Once the first has ended (and nobody asked it), the other controller may start.
  EXPECT_EQ(other.Start(phone, {Song("y.mp3")}, 0, 0), 1);
  ASSERT_TRUE(Win::PumpUntil([&] { return otherParent.Ends() == 1; }, kJobWatchdogMs));
  EXPECT_TRUE(fs::exists(PhoneFile("phone", "y.mp3")));
}

// Notices handled directly, as the device manager would send them.
class NoticeHandling : public TransferTest {};

TEST_F(NoticeHandling, TheJobEndIsNotTheStartOfAOneByteFile) {
  const unsigned phone = Plug("phone", PhoneProfile());
  const std::string song = Song("a.mp3");
  ASSERT_TRUE(Run(phone, {song}));
  auto& c = *controller_;
  ASSERT_EQ(parent_.Ends(), 1);
  const std::size_t before = parent_.reports.size();
  // The device manager's start of a one-byte file is a file start, not the end of the job.
  c.OnProgressNotify(dm_ts_start, 1);
  ASSERT_GT(parent_.reports.size(), before);
  EXPECT_EQ(parent_.reports[before].code, 0);
  EXPECT_FALSE(parent_.reports[before].end);
  // A repeated or late end of a job is not told twice.
  c.OnProgressNotify(dm_ts_start, Device::JobEndNotice(1));
  c.OnProgressNotify(dm_ts_start, Device::JobEndNotice(7));
  EXPECT_EQ(parent_.Ends(), 1);
}

TEST_F(NoticeHandling, PercentIsBoundedAndSizesAreNotCutAt4GiB) {
  auto& c = Controller();
  // A size of 0: progress shows 0 %.
  c.OnProgressNotify(dm_ts_progress, 5000);
  ASSERT_FALSE(parent_.reports.empty());
  EXPECT_EQ(parent_.reports.back().code, 0);

  const std::string big = temp_.File("songs/huge.mp3");
  fs::create_directories(temp_.File("songs"));
  { std::FILE* f = std::fopen(big.c_str(), "wb"); ASSERT_NE(f, nullptr); std::fclose(f); }
  fs::resize_file(big, 5ull << 30);  // sparse: 5 GiB on paper
  stBTStatusParam status;
  status.nCode = DM_BT_SENDING;
  status.strText = big;
  c.OnProgressNotify(dm_ts_status, Win::RecordToLParam(&status));
  c.OnProgressNotify(dm_ts_progress, static_cast<Win::LPARAM>(5ull << 29));  // 2.5 GiB
  EXPECT_EQ(parent_.reports.back().code, 50);
  EXPECT_EQ(parent_.reports.back().path, big);
  c.OnProgressNotify(dm_ts_progress, static_cast<Win::LPARAM>(6ull << 30));
  EXPECT_EQ(parent_.reports.back().code, 100);
}

}  // namespace
}  // namespace TYX::Test
