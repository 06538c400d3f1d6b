// Bluetooth jobs: one batch through the device manager, each file's outcome recorded, the size check
// of files already there, and a suspended link that still ends the job.
#include <filesystem>

#include "device/device_fixture.h"
#include "device/device_texts.h"

namespace TYX::Test {
namespace {

namespace fs = std::filesystem;
using Device::TYX_DeviceTransControl;

class BluetoothJob : public TransferTest {};

TEST_F(BluetoothJob, SendsTheBatchAndRecordsEachOutcome) {
  auto profile = PhoneProfile(true);
  profile.capacity = 200000;
  const unsigned phone = Plug("phone", profile);
  const std::string there = Song("there.mp3");
  WriteAt(PhoneFile("phone", "there.mp3"), ReadFileBytes(there));
  // Same name, very different size: an old recording that the song replaces.
  const std::string replaced = Song("replaced.mp3");
  WriteAt(PhoneFile("phone", "replaced.mp3"), PatternBytes(150000));
  const std::string big = Song("big.mp3", 192, 12.0);
  const std::string wma = temp_.File("songs/clip.wma");
  ASSERT_EQ(SynthesizeAudio(wma, SynthFormat::WMA), "");
  ASSERT_GT(fs::file_size(big), 200000u);

  ASSERT_TRUE(Run(phone, {there, replaced, big, wma}));
  auto& c = *controller_;
  EXPECT_EQ(c.GetRecord(there).state, TYX_DeviceTransControl::ess_complete);
  EXPECT_EQ(parent_.Outcomes(there), (std::vector<int>{-1, 101}));
  EXPECT_EQ(c.GetRecord(replaced).state, TYX_DeviceTransControl::ess_complete);
  EXPECT_EQ(ReadFileBytes(PhoneFile("phone", "replaced.mp3")), ReadFileBytes(replaced));
  EXPECT_EQ(c.GetRecord(big).state, TYX_DeviceTransControl::ess_failed);
  EXPECT_EQ(c.GetRecord(big).message, dmGetErrorString(dm_tc_no_space));
  EXPECT_EQ(parent_.Outcomes(big), (std::vector<int>{-1, -2}));
  EXPECT_FALSE(fs::exists(PhoneFile("phone", "big.mp3")));
  EXPECT_EQ(c.GetRecord(wma).message, Device::Texts::kFormatRefused);
  EXPECT_EQ(parent_.Outcomes(wma), (std::vector<int>{-1, -2}));
  EXPECT_EQ(c.GetErrorReport().size(), 2u);
  // Only the files that went into the batch were given to the callback.
  EXPECT_EQ(queuedByCallback_, (std::vector<std::string>{replaced, big}));
  EXPECT_EQ(c.GetTotalBytes(), 200000);
}

TEST_F(BluetoothJob, SyncRemovesUnlistedMusicButNotBoundContent) {
  const unsigned phone = Plug("phone", PhoneProfile(true));
  WriteAt(PhoneFile("phone", "old.mp3"), PatternBytes(300000));
  WriteAt(PhoneFile("phone", "old.amr"), PatternBytes(2000));
  // Content bound to the phone is music the cable link syncs away, the Bluetooth link never.
  WriteAt(PhoneFile("phone", "bound.dcf"), PatternBytes(4000));
  WriteAt(PhoneFile("phone", "ring.mmf"), "MMMD melody");
  WriteAt(PhoneFile("phone", "notes.txt"), "text");
  const std::string keep = Song("keep.mp3");
  WriteAt(PhoneFile("phone", "keep.mp3"), ReadFileBytes(keep));
  const std::string fresh = Song("fresh.mp3");

  ASSERT_TRUE(Run(phone, {keep, fresh}, 1));
  EXPECT_FALSE(fs::exists(PhoneFile("phone", "old.mp3")));
  EXPECT_FALSE(fs::exists(PhoneFile("phone", "old.amr")));
  EXPECT_TRUE(fs::exists(PhoneFile("phone", "bound.dcf")));
  EXPECT_TRUE(fs::exists(PhoneFile("phone", "ring.mmf")));
  EXPECT_TRUE(fs::exists(PhoneFile("phone", "notes.txt")));
  EXPECT_EQ(ReadFileBytes(PhoneFile("phone", "keep.mp3")), ReadFileBytes(keep));
  EXPECT_EQ(ReadFileBytes(PhoneFile("phone", "fresh.mp3")), ReadFileBytes(fresh));
  EXPECT_EQ(controller_->GetRecord(keep).state, TYX_DeviceTransControl::ess_complete);
  EXPECT_EQ(controller_->GetRecord(fresh).state, TYX_DeviceTransControl::ess_complete);
  EXPECT_EQ(readout_.method, Device::eAutoSyncSync);
}

TEST_F(BluetoothJob, ASuspendedLinkFailsEveryFileAndStillEndsTheJob) {
  const unsigned phone = Plug("phone", PhoneProfile(true));
  const std::vector<std::string> files{Song("a.mp3"), Song("b.mp3")};
  ASSERT_TRUE(client_->SetBluetoothSuspended(phone, true));
  ASSERT_TRUE(Run(phone, files)) << "the dialog would wait for the end for ever";
  for (const auto& f : files) {
    EXPECT_EQ(controller_->GetRecord(f).state, TYX_DeviceTransControl::ess_failed);
    EXPECT_EQ(controller_->GetRecord(f).message, Device::Texts::kSuspended);
    EXPECT_EQ(parent_.Outcomes(f), (std::vector<int>{-1, -2}));
  }
  EXPECT_EQ(controller_->GetErrorReport().size(), 2u);
  EXPECT_EQ(readout_.states, (std::vector<int>{1, 2}));
}

TEST_F(BluetoothJob, CancelDuringTheBatchCancelsTheRest) {
  const unsigned phone = Plug("phone", PhoneProfile(true));
  const std::vector<std::string> files{Song("a.mp3"), Song("b.mp3"), Song("c.mp3")};
  gate_.Arm(kChunk);
  auto& c = Controller();
  ASSERT_EQ(c.Start(phone, files, 0, 0), 1);
  ASSERT_TRUE(WaitHeld());
  c.Cancel();
  gate_.Release();
  ASSERT_TRUE(WaitEnd(1));
  for (const auto& f : files) {
    EXPECT_EQ(c.GetRecord(f).state, TYX_DeviceTransControl::ess_cancelled) << f;
    EXPECT_EQ(parent_.Outcomes(f), (std::vector<int>{-1, -10})) << f;
    EXPECT_FALSE(fs::exists(PhoneFile("phone", fs::path(f).filename().string())));
  }
  EXPECT_EQ(UnfinishedPutsUnder(Root("phone")), 0);
}

TEST_F(BluetoothJob, ProgressFollowsTheFileTheBatchNames) {
  const unsigned phone = Plug("phone", PhoneProfile(true));
  const std::vector<std::string> files{Song("a.mp3", 128, 3.0), Song("b.mp3")};
  ASSERT_TRUE(Run(phone, files));
  // Each file's progress is reported under its own path and reaches 100.
  for (const auto& f : files) {
    EXPECT_GE(parent_.Count(f, 0), 1) << f;
    EXPECT_EQ(parent_.Count(f, 100), 1) << f;
    EXPECT_EQ(parent_.Outcomes(f), (std::vector<int>{-1, 101}));
  }
  EXPECT_EQ(readout_.done, fs::file_size(files[0]) + fs::file_size(files[1]));
}

}  // namespace
}  // namespace TYX::Test
