// What a job would do, told before it runs; the report kept as CSV; the failed files sent again.
#include <filesystem>
#include <set>

#include "device/device_fixture.h"
#include "device/device_report_csv.h"
#include "device/device_texts.h"

namespace TYX::Test {
namespace {

namespace fs = std::filesystem;
using Device::TransferCheck;
using Device::TYX_DeviceTransControl;
using Entry = Dialog::TYX_Dialog_Error_Report::DEVICE_SYNC_CHECK_FILE_LIST;

std::set<std::string> Tree(const std::string& root) {
  std::set<std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    out.insert(e.path().string() + ":" + (e.is_regular_file() ? std::to_string(e.file_size()) : "dir"));
  }
  return out;
}

class TransferPlan : public TransferTest {};

TEST_F(TransferPlan, NamesTheCheckThatWouldRefuseEachFileWithoutTouchingThePhone) {
  auto profile = PhoneProfile();
  profile.capacity = 200000;
  const unsigned phone = Plug("phone", profile);
  const std::string there = Song("there.mp3");
  WriteAt(PhoneFile("phone", "there.mp3"), ReadFileBytes(there));
  const std::string fine = Song("fine.mp3");
  const std::string fast = Song("fast.mp3", 256);
  const std::string wma = temp_.File("songs/clip.wma");
  ASSERT_EQ(SynthesizeAudio(wma, SynthFormat::WMA), "");
  const std::string broken = temp_.Write("songs/broken.mp3", std::string(1000, '\0'));
  const std::string big = Song("big.mp3", 192, 12.0);
  const auto before = Tree(Root("phone"));

  auto& c = Controller();
  const auto plan = c.GetTransferPlan(phone, {there, fine, fast, wma, broken, big});
  ASSERT_EQ(plan.size(), 6u);
  EXPECT_EQ(plan[0].check, TransferCheck::AlreadyThere);
  EXPECT_EQ(plan[1].check, TransferCheck::None);
  EXPECT_EQ(plan[1].deviceName, "fine.mp3");
  EXPECT_EQ(plan[2].check, TransferCheck::Bitrate);
  EXPECT_EQ(plan[2].message, "192kbps를 초과한 파일은 전송할 수 없습니다.");
  EXPECT_EQ(plan[3].check, TransferCheck::Format);
  EXPECT_EQ(plan[4].check, TransferCheck::Media);
  EXPECT_EQ(plan[5].check, TransferCheck::Space);
  EXPECT_EQ(plan[5].message, dmGetErrorString(dm_tc_no_space));
  EXPECT_STREQ(Device::TransferCheckName(plan[5].check), "space");
  EXPECT_EQ(Tree(Root("phone")), before);

  // The plan foretells the job.
  ASSERT_TRUE(Run(phone, {there, fine, fast, wma, broken, big}));
  for (const auto& entry : plan) {
    const auto record = c.GetRecord(entry.path);
    const bool refused = entry.check != TransferCheck::None && entry.check != TransferCheck::AlreadyThere;
    EXPECT_EQ(record.state, refused ? TYX_DeviceTransControl::ess_failed : TYX_DeviceTransControl::ess_complete)
        << entry.path;
    if (refused) {
      EXPECT_EQ(record.message, entry.message) << entry.path;
    }
  }
}

TEST_F(TransferPlan, InSyncModeTheMusicToBeRemovedCountsAsFreeSpace) {
  auto profile = PhoneProfile();
  profile.capacity = 400000;
  const unsigned phone = Plug("phone", profile);
  WriteAt(PhoneFile("phone", "stale.mp3"), PatternBytes(300000));
  const std::string song = Song("song.mp3", 128, 8.0);
  ASSERT_GT(fs::file_size(song), 100000u);
  auto& c = Controller();
  EXPECT_EQ(c.GetTransferPlan(phone, {song}, 0)[0].check, TransferCheck::Space);
  EXPECT_EQ(c.GetTransferPlan(phone, {song}, 1)[0].check, TransferCheck::None);
}

TEST_F(TransferPlan, OnlyTheFailedFilesAreSentAgain) {
  auto profile = PhoneProfile();
  profile.capacity = 200000;
  const unsigned phone = Plug("phone", profile);
  const std::string big = Song("big.mp3", 192, 12.0);
  const std::string small = Song("small.mp3");
  auto& c = Controller();
  ASSERT_TRUE(Run(phone, {big, small}));
  ASSERT_EQ(c.GetRecord(big).state, TYX_DeviceTransControl::ess_failed);

  // The person makes room on the phone and sends the failures again.
  profile.capacity = 0;
  ASSERT_EQ(DeviceMgr::WriteDeviceProfile(Root("phone"), profile), "");
  stDeviceInfo info;
  ASSERT_TRUE(dmGetDeviceInfo(phone, info, 1));
  const auto sentBefore = fs::last_write_time(PhoneFile("phone", "small.mp3"));
  ASSERT_EQ(c.IsStarted(), 0);
  ASSERT_EQ(c.StartFailedAgain(phone), 1);
  ASSERT_TRUE(WaitEnd(2));
  EXPECT_EQ(c.GetFiles(), std::vector<std::string>{big});
  EXPECT_EQ(ReadFileBytes(PhoneFile("phone", "big.mp3")), ReadFileBytes(big));
  EXPECT_EQ(fs::last_write_time(PhoneFile("phone", "small.mp3")), sentBefore);
  EXPECT_TRUE(c.GetErrorReport().empty());
  // Nothing failed: nothing to send again.
  ASSERT_EQ(c.IsStarted(), 0);
  EXPECT_EQ(c.StartFailedAgain(phone), 0);
}

TEST(TransferReportCsv, GroupsFilesByReasonAndQuotesWhatNeedsIt) {
  const std::vector<Entry> report{{"/m/", "a.mp3", "a.mp3", "no space"},
                                  {"/m/", "b,c.mp3", "b,c.mp3", "bad \"format\""},
                                  {"/n/", "d.mp3", "d.mp3", "no space"}};
  EXPECT_EQ(Device::FormatTransferReportCsv(report),
            "reason,folder,file\n"
            "no space,/m/,a.mp3\n"
            "no space,/n/,d.mp3\n"
            "\"bad \"\"format\"\"\",/m/,\"b,c.mp3\"\n");
  TempDir dir;
  const std::string path = dir.File("report.csv");
  EXPECT_EQ(Device::WriteTransferReportCsv(path, report), "");
  EXPECT_EQ(ReadFileBytes(path), Device::FormatTransferReportCsv(report));
  const std::string error = Device::WriteTransferReportCsv(dir.File("missing/report.csv"), report);
  EXPECT_NE(error.find("missing/report.csv"), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(dir.File("missing")));
}

TEST_F(TransferPlan, TheLastReportIsWrittenAsCsv) {
  const unsigned phone = Plug("phone", PhoneProfile());
  const std::string fine = Song("fine.mp3");
  const std::string wma = temp_.File("songs/clip.wma");
  ASSERT_EQ(SynthesizeAudio(wma, SynthFormat::WMA), "");
  auto& c = Controller();
  ASSERT_TRUE(Run(phone, {wma, fine}));
  const std::string csv = temp_.File("report.csv");
  ASSERT_EQ(c.WriteErrorReportCsv(csv), "");
  EXPECT_EQ(ReadFileBytes(csv), std::string("reason,folder,file\n") + Device::Texts::kFormatRefused + "," +
                                    temp_.File("songs/") + ",clip.wma\n");
}

}  // namespace
}  // namespace TYX::Test
