// The lyric step of a cable transfer: phones whose profile says they show lyrics get the song's lyric
// copy under the song's own name; every other case sends the song as it is, and no copy stays behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "components/lyrics/kcp_writer.h"
#include "device/device_fixture.h"
#include "device/phone_lyric_copy.h"
#include "helpers/temp_folder_override.h"
#include "util/file_type.h"
#include "util/init.h"

namespace TYX::Test {
namespace {

namespace fs = std::filesystem;

class LyricTransferTest : public TransferTest {
 protected:
  void SetUp() override {
    TransferTest::SetUp();
    // Copies are made under the temporary folder: a folder of this test's own, so it can be checked.
    tmpOverride_ = std::make_unique<TempFolderOverride>(temp_.File("tmp"));
    tmp_ = tmpOverride_->Path();
  }
  void TearDown() override {
    TYX_INIT::Instance()->RemoveAttribute(Device::TYX_PhoneLyricCopy::kRefusedModelsAttribute);
    tmpOverride_.reset();
    TransferTest::TearDown();
  }

  DeviceMgr::DeviceProfile LyricPhone(bool lyrics = true) const {
    DeviceMgr::DeviceProfile p = PhoneProfile();
    p.lyrics = lyrics;
    return p;
  }
  // Entries left in the temporary folder.
  int LeftInTemp() const {
    int n = 0;
    for (auto it = fs::directory_iterator(tmp_); it != fs::directory_iterator(); ++it) ++n;
    return n;
  }
  static std::vector<Lyrics::LyricLine> LinesOf(const std::string& path) {
    std::vector<Lyrics::LyricLine> lines;
    Lyrics::TYX_KcpWriter::ReadLines(path, lines);
    return lines;
  }

  std::string tmp_;
  std::unique_ptr<TempFolderOverride> tmpOverride_;
};

TEST_F(LyricTransferTest, LyricFileBesideTheSongReachesALyricPhone) {
  const unsigned phone = Plug("phone", LyricPhone());
  const std::string song = Song("노래.mp3");
  WriteAt(temp_.File("songs/노래.lrc"), "[00:00.50]하나\n[00:01.50]둘\n");
  const std::string before = ReadFileBytes(song);
  ASSERT_TRUE(Run(phone, {song}));
  EXPECT_EQ(controller_->GetRecord(song).message, "");
  EXPECT_EQ(parent_.Count(song, -2), 0);
  // Under the song's own name, carrying the lines; the song itself is untouched.
  const std::string onPhone = PhoneFile("phone", "노래.mp3");
  ASSERT_TRUE(fs::exists(onPhone));
  EXPECT_EQ(LinesOf(onPhone), (std::vector<Lyrics::LyricLine>{{500, "하나"}, {1500, "둘"}}));
  EXPECT_EQ(ReadFileBytes(song), before);
  EXPECT_FALSE(fs::exists(PhoneFile("phone", "노래.kcp")));
  EXPECT_EQ(LeftInTemp(), 0);
}

TEST_F(LyricTransferTest, EmbeddedTimeCodedLyricsReachALyricPhone) {
  const unsigned phone = Plug("phone", LyricPhone());
  const std::string song = Song("tagged.mp3");
  {
    TYX_MediaPtr m = TYX_Media::Instance(song);
    ASSERT_TRUE(m);
    m->SetLyrics("[00:01.00]embedded line\n");
    ASSERT_EQ(m->Save(), 0);
  }
  ASSERT_TRUE(Run(phone, {song}));
  EXPECT_EQ(controller_->GetRecord(song).message, "");
  EXPECT_EQ(LinesOf(PhoneFile("phone", "tagged.mp3")), (std::vector<Lyrics::LyricLine>{{1000, "embedded line"}}));
  EXPECT_EQ(LeftInTemp(), 0);
}

TEST_F(LyricTransferTest, SongsGoAsTheyAreWhereNoLyricCopyIsDue) {
  // A phone whose profile says no lyrics, a refused model, a storage player, a song without lyrics
  // and one whose lyric file is broken: each arrives byte for byte as it is.
  const std::string withLrc = Song("a.mp3");
  WriteAt(temp_.File("songs/a.lrc"), "[00:00.50]x\n");
  const std::string broken = Song("b.mp3");
  WriteAt(temp_.File("songs/b.lrc"), "[00:00.50]x\n[00:99.00]bad seconds\n");
  const std::string plain = Song("c.mp3");

  {
    const unsigned phone = Plug("plain-phone", LyricPhone(false));
    ASSERT_TRUE(Run(phone, {withLrc}));
    EXPECT_EQ(ReadFileBytes(PhoneFile("plain-phone", "a.mp3")), ReadFileBytes(withLrc));
    client_->Disconnect(phone);
  }
  {
    TYX_INIT::Instance()->SetAttribute(Device::TYX_PhoneLyricCopy::kRefusedModelsAttribute, "X-1, SPH-M4650");
    const unsigned phone = Plug("refused-phone", LyricPhone());
    ASSERT_TRUE(Run(phone, {withLrc}));
    EXPECT_EQ(ReadFileBytes(PhoneFile("refused-phone", "a.mp3")), ReadFileBytes(withLrc));
    client_->Disconnect(phone);
    TYX_INIT::Instance()->RemoveAttribute(Device::TYX_PhoneLyricCopy::kRefusedModelsAttribute);
  }
  {
    const unsigned phone = Plug("phone", LyricPhone());
    ASSERT_TRUE(Run(phone, {broken, plain}));
    EXPECT_EQ(controller_->GetRecord(broken).message, "");
    EXPECT_EQ(ReadFileBytes(PhoneFile("phone", "b.mp3")), ReadFileBytes(broken));
    EXPECT_EQ(ReadFileBytes(PhoneFile("phone", "c.mp3")), ReadFileBytes(plain));
    client_->Disconnect(phone);
  }
  EXPECT_EQ(LeftInTemp(), 0);
}

TEST_F(LyricTransferTest, StoragePlayersNeverGetLyricCopies) {
  DeviceMgr::DeviceProfile p = PlayerProfile();
  p.lyrics = true;
  const unsigned player = Plug("player", p);
  // A lyric phone is connected too: the rule looks at the phone, the kind of the target decides.
  Plug("phone", LyricPhone());
  const std::string song = Song("p.mp3");
  WriteAt(temp_.File("songs/p.lrc"), "[00:00.50]x\n");
  ASSERT_TRUE(Run(player, {song}));
  EXPECT_EQ(ReadFileBytes(PhoneFile("player", "p.mp3")), ReadFileBytes(song));
  EXPECT_TRUE(LinesOf(PhoneFile("player", "p.mp3")).empty());
}

TEST_F(LyricTransferTest, IsLyricCDCHandsOutACopyOfItsOwnForEachSong) {
  Plug("phone", LyricPhone());
  // Two songs of the same title in different folders: two copies, neither overwrites the other.
  const std::string first = Song("one/same.mp3");
  WriteAt(temp_.File("songs/one/same.lrc"), "[00:00.10]first\n");
  const std::string second = Song("two/same.mp3");
  WriteAt(temp_.File("songs/two/same.lrc"), "[00:00.20]second\n");
  std::string a, b;
  ASSERT_TRUE(Device::TYX_PhoneLyricCopy::IsLyricCDC(first, a));
  ASSERT_TRUE(Device::TYX_PhoneLyricCopy::IsLyricCDC(second, b));
  EXPECT_NE(a, b);
  EXPECT_EQ(fs::path(a).filename(), "same.kcp");
  EXPECT_EQ(LinesOf(a), (std::vector<Lyrics::LyricLine>{{100, "first"}}));
  EXPECT_EQ(LinesOf(b), (std::vector<Lyrics::LyricLine>{{200, "second"}}));
  Device::TYX_PhoneLyricCopy::Remove(a);
  Device::TYX_PhoneLyricCopy::Remove(b);
  EXPECT_EQ(LeftInTemp(), 0);
  // Remove leaves alone what it did not make.
  const std::string other = temp_.File("songs/keep.kcp");
  WriteAt(other, "x");
  Device::TYX_PhoneLyricCopy::Remove(other);
  EXPECT_TRUE(fs::exists(other));
  const std::string look = tmp_ + "/tyx_lyric_lookalike/notes.txt";
  WriteAt(look, "x");
  Device::TYX_PhoneLyricCopy::Remove(look);
  EXPECT_TRUE(fs::exists(look)) << "only a .kcp copy is removed";
  fs::remove_all(tmp_ + "/tyx_lyric_lookalike");
  // Without a phone there is no copy and the new path is emptied.
  client_->Disconnect(dmGetCurrentDevice(1));
  std::string none = "stale";
  EXPECT_FALSE(Device::TYX_PhoneLyricCopy::IsLyricCDC(first, none));
  EXPECT_EQ(none, "");
}

TEST(LyricStepRuleTest, KindsAndTypes) {
  using Device::TYX_PhoneLyricCopy;
  for (int kind : {2, 3, 5, 6, 9}) {
    EXPECT_TRUE(TYX_PhoneLyricCopy::AppliesTo(kind, FileType::MP3)) << kind;
    EXPECT_TRUE(TYX_PhoneLyricCopy::AppliesTo(kind, FileType::AAC)) << kind;
    EXPECT_FALSE(TYX_PhoneLyricCopy::AppliesTo(kind, FileType::WMA)) << kind;
    EXPECT_FALSE(TYX_PhoneLyricCopy::AppliesTo(kind, FileType::OGG)) << kind;
  }
  EXPECT_FALSE(TYX_PhoneLyricCopy::AppliesTo(7, FileType::MP3));
  EXPECT_FALSE(TYX_PhoneLyricCopy::AppliesTo(10, FileType::MP3));
}

}  // namespace
}  // namespace TYX::Test
