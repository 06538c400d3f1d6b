// Cable jobs over folder phones: what reaches the phone, what the parent, the read-out and the
// observers are told, and what each refusal says.
#include <algorithm>
#include <filesystem>
#include <set>

#include "device/device_fixture.h"
#include "device/device_file_prep_default.h"
#include "device/device_texts.h"
#include "helpers/temp_dir.h"
#include "util/file_name.h"
#include "util/init.h"

namespace TYX::Test {
namespace {

namespace fs = std::filesystem;
using Device::TYX_DeviceTransControl;

class CableJob : public TransferTest {};

TEST_F(CableJob, SendsEveryFileWithReportsInOrder) {
  const unsigned phone = Plug("phone", PhoneProfile());
  const std::vector<std::string> files{Song("a.mp3"), Song("b.mp3"), Song("c.mp3")};
  ASSERT_TRUE(Run(phone, files));

  std::uint64_t bytes = 0;
  for (const auto& f : files) {
    const std::string onPhone = PhoneFile("phone", fs::path(f).filename().string());
    ASSERT_TRUE(fs::exists(onPhone)) << onPhone;
    EXPECT_EQ(ReadFileBytes(onPhone), ReadFileBytes(f));
    EXPECT_EQ(controller_->GetRecord(f).state, TYX_DeviceTransControl::ess_complete);
    bytes += fs::file_size(f);
  }
  // Every file is listed before the first copy starts.
  ASSERT_GE(parent_.reports.size(), 3u);
  for (std::size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(parent_.reports[i].code, -1);
    EXPECT_EQ(parent_.reports[i].path, files[i]);
  }
  // A copied file is reported complete by the phone's end notice and by the worker's own.
  for (const auto& f : files) {
    EXPECT_EQ(parent_.Outcomes(f), (std::vector<int>{-1, 101, 101})) << f;
    EXPECT_GE(parent_.Count(f, 0), 1) << "a start per file";
    EXPECT_EQ(parent_.Count(f, 100), 1) << "its last chunk";
  }
  EXPECT_TRUE(parent_.reports.back().end);
  EXPECT_EQ(parent_.reports.back().code, 101);
  EXPECT_TRUE(controller_->GetErrorReport().empty());

  // The bytes of each file count once in the read-out.
  EXPECT_EQ(readout_.done, bytes);
  EXPECT_EQ(readout_.states, (std::vector<int>{1, 2}));
  EXPECT_EQ(readout_.method, Device::eAutoSyncAdd);
  EXPECT_GT(controller_->GetTotalBytes(), static_cast<std::int64_t>(bytes));
  EXPECT_EQ(readout_.total, static_cast<std::uint64_t>(controller_->GetTotalBytes()));
  // Observers hear the start and the success of each file.
  const auto count = [&](const std::string& text) {
    return std::count(observer_.texts.begin(), observer_.texts.end(), text);
  };
  EXPECT_EQ(count(" : 휴대폰으로 전송을 시작합니다."), 3);
  EXPECT_EQ(count(" : 전송이 완료되었습니다."), 6);
  EXPECT_TRUE(controller_->IsStarted() == 0);
}

TEST_F(CableJob, AFileAlreadyOnThePhoneIsCompleteWithoutCopying) {
  const unsigned phone = Plug("phone", PhoneProfile());
  // Same name without extension, other case, 50 000 bytes larger: already there.
  const std::string song = Song("Song.mp3");
  const std::string near = PatternBytes(fs::file_size(song) + 50000);
  WriteAt(PhoneFile("phone", "SONG.MP3"), near);
  // A small file whose phone copy is smaller still: the lower bound goes below zero, not round.
  const std::string small = temp_.Write("songs/tiny.mp3", std::string(5000, 'x'));
  WriteAt(PhoneFile("phone", "tiny.m4a"), std::string(3000, 'y'));
  // Far larger on the phone: not the same file; the song is copied over it.
  const std::string other = Song("other.mp3");
  WriteAt(PhoneFile("phone", "other.mp3"), PatternBytes(fs::file_size(other) + 200000));

  ASSERT_TRUE(Run(phone, {song, small, other}));
  EXPECT_EQ(ReadFileBytes(PhoneFile("phone", "SONG.MP3")), near) << "left untouched";
  EXPECT_FALSE(fs::exists(PhoneFile("phone", "Song.mp3")));
  EXPECT_EQ(controller_->GetRecord(song).state, TYX_DeviceTransControl::ess_complete);
  EXPECT_EQ(controller_->GetRecord(small).state, TYX_DeviceTransControl::ess_complete);
  EXPECT_EQ(parent_.Count(song, 0), 0) << "no copy started";
  EXPECT_EQ(parent_.Outcomes(song), (std::vector<int>{-1, 101}));
  EXPECT_EQ(ReadFileBytes(PhoneFile("phone", "other.mp3")), ReadFileBytes(other));
  EXPECT_TRUE(controller_->GetErrorReport().empty());
}

TEST_F(CableJob, SyncRemovesOnlyUnlistedMusic) {
  const unsigned phone = Plug("phone", PhoneProfile());
  WriteAt(PhoneFile("phone", "old.mp3"), PatternBytes(300000));
  WriteAt(PhoneFile("phone", "old.aac"), PatternBytes(1000));
  WriteAt(PhoneFile("phone", "ring.mmf"), "MMMD melody");
  WriteAt(PhoneFile("phone", "notes.txt"), "text");
  // Content bound to the phone counts as its music on the cable link.
  WriteAt(PhoneFile("phone", "bound.dcf"), PatternBytes(4000));
  const std::string keep = Song("keep.mp3");
  WriteAt(PhoneFile("phone", "keep.mp3"), ReadFileBytes(keep));

  ASSERT_TRUE(Run(phone, {keep}, 1));
  EXPECT_FALSE(fs::exists(PhoneFile("phone", "old.mp3")));
  EXPECT_FALSE(fs::exists(PhoneFile("phone", "old.aac")));
  EXPECT_FALSE(fs::exists(PhoneFile("phone", "bound.dcf")));
  EXPECT_TRUE(fs::exists(PhoneFile("phone", "ring.mmf")));
  EXPECT_TRUE(fs::exists(PhoneFile("phone", "notes.txt")));
  EXPECT_TRUE(fs::exists(PhoneFile("phone", "keep.mp3")));
  EXPECT_EQ(readout_.method, Device::eAutoSyncSync);

  // Without sync mode nothing is removed.
  WriteAt(PhoneFile("phone", "old.mp3"), PatternBytes(300000));
  ASSERT_TRUE(Run(phone, {keep}, 0));
  EXPECT_TRUE(fs::exists(PhoneFile("phone", "old.mp3")));
}

TEST_F(CableJob, AFileLargerThanTheFreeSpaceFailsAndSmallerOnesStillGo) {
  auto profile = PhoneProfile();
  profile.capacity = 200000;
  const unsigned phone = Plug("phone", profile);
  const std::string big = Song("big.mp3", 192, 20.0);
  const std::string small = Song("small.mp3");
  ASSERT_GT(fs::file_size(big), 200000u);

  ASSERT_TRUE(Run(phone, {big, small}));
  EXPECT_FALSE(fs::exists(PhoneFile("phone", "big.mp3")));
  EXPECT_TRUE(fs::exists(PhoneFile("phone", "small.mp3")));
  const auto report = controller_->GetErrorReport();
  ASSERT_EQ(report.size(), 1u);
  EXPECT_EQ(report[0].fileName, "big.mp3");
  EXPECT_EQ(report[0].title, "big.mp3");
  EXPECT_EQ(report[0].folder, fs::path(big).parent_path().string() + "/");
  EXPECT_EQ(report[0].message, dmGetErrorString(dm_tc_no_space));
  EXPECT_EQ(parent_.Outcomes(big), (std::vector<int>{-1, -2}));
}

TEST_F(CableJob, RefusedFilesCarryTheirReasons) {
  const unsigned phone = Plug("phone", PhoneProfile());
  const std::string fast = Song("fast.mp3", 256);
  const std::string limit = Song("limit.mp3", 160);
  const std::string wma = temp_.File("songs/clip.wma");
  ASSERT_EQ(SynthesizeAudio(wma, SynthFormat::WMA), "");
  const std::string upper = Song("LOUD.MP3");
  const std::string broken = temp_.Write("songs/broken.mp3", std::string(20000, '\0'));

  ASSERT_TRUE(Run(phone, {fast, limit, wma, upper, broken}));
  EXPECT_EQ(controller_->GetRecord(fast).message, "192kbps를 초과한 파일은 전송할 수 없습니다.");
  EXPECT_EQ(controller_->GetRecord(limit).state, TYX_DeviceTransControl::ess_complete) << controller_->GetRecord(limit).message;
  EXPECT_EQ(controller_->GetRecord(wma).message, "전송할 수 없는 파일 형식 입니다.");
  EXPECT_EQ(controller_->GetRecord(upper).state, TYX_DeviceTransControl::ess_complete);
  EXPECT_EQ(controller_->GetRecord(broken).message, "잘못된 음악입니다.");
  for (const auto& f : {fast, wma, broken}) {
    EXPECT_EQ(controller_->GetRecord(f).state, TYX_DeviceTransControl::ess_failed) << f;
    EXPECT_EQ(parent_.Outcomes(f), (std::vector<int>{-1, -2})) << f;
  }
  EXPECT_FALSE(fs::exists(PhoneFile("phone", "fast.mp3")));
  EXPECT_EQ(controller_->GetErrorReport().size(), 3u);
}

// The maker's models that play no song of 64 kbps or less, named in the configuration.
class LowBitrateJob : public CableJob {
 protected:
  void SetUp() override {
    CableJob::SetUp();
    oldSettings_ = TYX_INIT::Instance()->GetStoreFile();
    TYX_INIT::Instance()->SetStoreFile(temp_.File("settings.ini"));
  }
  void TearDown() override {
    TYX_INIT::Instance()->SetStoreFile(oldSettings_);
    CableJob::TearDown();
  }
  std::string oldSettings_;
};

TEST_F(LowBitrateJob, ListedModelsRefuseSongsOf64KbpsOrLess) {
  const unsigned phone = Plug("phone", PhoneProfile());  // model SPH-M4650
  // The bit rate read from a short file is its average, a little above the encoder's setting.
  const std::string low = Song("low.mp3", 48);
  const std::string usual = Song("usual.mp3", 80);
  const TYX_MediaPtr media = TYX_Media::Instance(low, kMediaOpenRead);
  ASSERT_TRUE(media && media->IsValid());
  const int kbps = static_cast<int>(media->GetBitRate() / 1000);
  ASSERT_GE(kbps, 48);
  ASSERT_LE(kbps, 64);
  ASSERT_TRUE(TYX_INIT::Instance()->SetAttribute(Device::TYX_DeviceFilePrepDefault::kLowBitrateModelsAttribute,
                                                 "X-100, SPH-M4650"));
  ASSERT_TRUE(Run(phone, {low, usual}));
  EXPECT_EQ(controller_->GetRecord(low).state, TYX_DeviceTransControl::ess_failed);
  EXPECT_EQ(controller_->GetRecord(low).message, std::to_string(kbps) + "kbps 파일을 지원하지 않습니다.");
  EXPECT_EQ(parent_.Outcomes(low), (std::vector<int>{-1, -2}));
  EXPECT_FALSE(fs::exists(PhoneFile("phone", "low.mp3")));
  EXPECT_EQ(controller_->GetRecord(usual).state, TYX_DeviceTransControl::ess_complete);

  // Another model takes the same song.
  ASSERT_TRUE(TYX_INIT::Instance()->SetAttribute(Device::TYX_DeviceFilePrepDefault::kLowBitrateModelsAttribute,
                                                 "X-100, SPH-M46"));
  ASSERT_TRUE(Run(phone, {low}));
  EXPECT_EQ(controller_->GetRecord(low).state, TYX_DeviceTransControl::ess_complete)
      << controller_->GetRecord(low).message;
  EXPECT_TRUE(fs::exists(PhoneFile("phone", "low.mp3")));
}

TEST_F(CableJob, NamesFollowTheModelLimitAndStoragePlayersTakeMoreFormats) {
  auto profile = PhoneProfile();
  profile.maxFileName = 0;  // the model gives none: 36
  const unsigned phone = Plug("phone", profile);
  const std::string longName = Song("A very long song title that goes on and on.mp3");
  ASSERT_TRUE(Run(phone, {longName}));
  const std::string expected = controller_->GetRecord(longName).deviceName;
  EXPECT_EQ(Util::CountUtf8Chars(expected), 36u);
  EXPECT_TRUE(fs::exists(PhoneFile("phone", expected)));

  const unsigned player = Plug("player", PlayerProfile());
  const std::string wma = temp_.File("songs/clip.wma");
  ASSERT_EQ(SynthesizeAudio(wma, SynthFormat::WMA), "");
  const std::string fast = Song("fast.mp3", 320);
  ASSERT_TRUE(Run(player, {longName, wma, fast}));
  EXPECT_TRUE(fs::exists(PhoneFile("player", "A very long song title that goes on and on.mp3")));
  EXPECT_TRUE(fs::exists(PhoneFile("player", "clip.wma")));
  EXPECT_TRUE(fs::exists(PhoneFile("player", "fast.mp3"))) << "players check no bit rate";
  EXPECT_TRUE(controller_->GetErrorReport().empty());
}

TEST_F(CableJob, TheFormatCheckFollowsTheDeviceFamily) {
  const unsigned phone = Plug("phone", PhoneProfile());
  const unsigned player = Plug("player", PlayerProfile());
  Device::TYX_DeviceFilePrepDefault prep;
  const std::string refused = Device::Texts::kFormatRefused;
  for (const char* name : {"a.mp3", "B.MP3", "c.Mp3"}) {
    EXPECT_EQ(prep.CanCopyFormat(phone, name), "") << name;
    EXPECT_EQ(prep.CanCopyFormat(player, name), "") << name;
  }
  for (const char* name : {"a.wma", "b.OGG", "c.asf"}) {
    EXPECT_EQ(prep.CanCopyFormat(phone, name), refused) << name;
    EXPECT_EQ(prep.CanCopyFormat(player, name), "") << name;
  }
  for (const char* name : {"a.wav", "b.m4a", "noextension"}) {
    EXPECT_EQ(prep.CanCopyFormat(phone, name), refused) << name;
    EXPECT_EQ(prep.CanCopyFormat(player, name), refused) << name;
  }
  EXPECT_EQ(prep.CanCopyFormat(DM_NO_DEVICE, "a.mp3"), refused) << "no device, no accepted format";
}

TEST_F(CableJob, ShuffleSendsTheSameFilesInAnotherOrder) {
  const unsigned phone = Plug("phone", PhoneProfile());
  std::vector<std::string> files;
  for (int i = 0; i < 12; ++i) files.push_back(Song("s" + std::to_string(i) + ".mp3"));
  std::srand(3);
  auto& c = Controller();
  ASSERT_EQ(c.Start(phone, files, 1, 0), 1);
  ASSERT_TRUE(WaitEnd(1));
  const auto order = c.GetFiles();
  EXPECT_NE(order, files);
  EXPECT_EQ(std::set<std::string>(order.begin(), order.end()), std::set<std::string>(files.begin(), files.end()));
  for (const auto& f : files) EXPECT_TRUE(fs::exists(PhoneFile("phone", fs::path(f).filename().string())));
}

}  // namespace
}  // namespace TYX::Test

namespace TYX::Test {
namespace {

TEST_F(CableJob, APhoneInRingToneModeTakesNoMusic) {
  auto profile = PhoneProfile();
  profile.type = DEVICETYPE_RINGTONE;
  const unsigned phone = Plug("phone", profile);
  const std::string song = Song("a.mp3");
  ASSERT_TRUE(Run(phone, {song}));
  EXPECT_EQ(controller_->GetRecord(song).message, Device::Texts::kFormatRefused);
  EXPECT_FALSE(std::filesystem::exists(PhoneFile("phone", "a.mp3")));
}

}  // namespace
}  // namespace TYX::Test
