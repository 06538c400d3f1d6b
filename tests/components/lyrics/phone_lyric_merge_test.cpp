#include "components/lyrics/phone_lyric_merge.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/unsynchronizedlyricsframe.h>

#include "components/devicemgr/device_profile.h"
#include "components/devicemgr/folder_device_client.h"
#include "components/lyrics/kcp_writer.h"
#include "components/media/taglib_media_factory.h"
#include "contracts/device_mgr_client.h"
#include "contracts/media.h"
#include "helpers/media_fixtures.h"
#include "helpers/temp_dir.h"

namespace TYX::Lyrics {
namespace {

namespace fs = std::filesystem;

class PhoneLyricMergeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Media::InstallTagLibMediaFactory();
    client_ = std::make_shared<DeviceMgr::TYX_FolderDeviceClient>();
    old_ = InstallDeviceMgrClient(client_);
  }
  void TearDown() override { InstallDeviceMgrClient(old_); }

  unsigned Plug(const std::string& name, const std::string& model, const std::string& serial, bool lyrics) {
    const std::string root = dir_.File(name);
    fs::create_directories(root);
    DeviceMgr::DeviceProfile p;
    p.model = model;
    p.serial = serial;
    p.kind = 2;
    p.type = DEVICETYPE_MUSIC;
    p.lyrics = lyrics;
    EXPECT_EQ(DeviceMgr::WriteDeviceProfile(root, p), "");
    auto r = client_->Connect(root);
    EXPECT_TRUE(r.ok()) << r.error;
    return r.id;
  }

  std::string Song(const std::string& name) {
    const std::string path = dir_.File(name);
    ::TYX::Test::SynthOptions o;
    o.seconds = 1.0;
    EXPECT_EQ(::TYX::Test::SynthesizeAudio(path, ::TYX::Test::SynthFormat::MP3, o), "");
    return path;
  }

  void SetLyricsTag(const std::string& path, const std::string& lyrics) {
    TYX_MediaPtr m = TYX_Media::Instance(path);
    ASSERT_TRUE(m);
    m->SetLyrics(lyrics);
    m->SetTitle("원래 제목");
    ASSERT_EQ(m->Save(), 0) << m->GetLastError();
  }

  ::TYX::Test::TempDir dir_;
  std::shared_ptr<DeviceMgr::TYX_FolderDeviceClient> client_;
  std::shared_ptr<TYX_DeviceMgrClient> old_;
};

TEST_F(PhoneLyricMergeTest, TheProfileDecidesWhichModelsShowLyrics) {
  Plug("a", "LYRIC-1", "S-1", true);
  Plug("b", "PLAIN-2", "S-2", false);
  CPhoneLyricMerge merge("S-1");
  EXPECT_TRUE(merge.IsLyricEnablePhone("LYRIC-1"));
  EXPECT_FALSE(merge.IsLyricEnablePhone("PLAIN-2"));
  EXPECT_FALSE(merge.IsLyricEnablePhone("NOT-CONNECTED"));
  EXPECT_FALSE(merge.IsLyricEnablePhone(""));
  ASSERT_TRUE(merge.Init()) << merge.GetLastError();
  EXPECT_EQ(merge.GetModelName(), "LYRIC-1");
}

TEST_F(PhoneLyricMergeTest, InitFailsWithoutAPhoneOfThatSerial) {
  Plug("a", "LYRIC-1", "S-1", true);
  CPhoneLyricMerge other("S-9");
  EXPECT_FALSE(other.Init());
  EXPECT_NE(other.GetLastError().find("S-9"), std::string::npos);
  CPhoneLyricMerge none("");
  EXPECT_FALSE(none.Init());
  InstallDeviceMgrClient(nullptr);
  CPhoneLyricMerge unplugged("S-1");
  EXPECT_FALSE(unplugged.Init());
  EXPECT_FALSE(unplugged.IsLyricEnablePhone("LYRIC-1"));
}

TEST_F(PhoneLyricMergeTest, EmbeddedTimeCodedLyricsMakeTheCopy) {
  const std::string song = Song("song.mp3");
  SetLyricsTag(song, "[00:00.50]첫 줄\n[00:01.00]second\n");
  const std::string before = ::TYX::Test::ReadFileBytes(song);
  CPhoneLyricMerge merge("S-1");
  ASSERT_TRUE(merge.IsEmbededLyric(song)) << merge.GetLastError();
  const std::string kcp = dir_.File("song.kcp");
  const LyricResult made = merge.MakeEmbededLyricKCP(kcp);
  ASSERT_TRUE(made.ok()) << made.error;

  std::vector<LyricLine> lines;
  ASSERT_TRUE(TYX_KcpWriter::ReadLines(kcp, lines).ok());
  EXPECT_EQ(lines, (std::vector<LyricLine>{{500, "첫 줄"}, {1000, "second"}}));
  // The copy keeps the song's other tags and its audio; the song is untouched.
  const std::string copy = dir_.File("copy.mp3");
  fs::copy_file(kcp, copy);
  TYX_MediaPtr m = TYX_Media::Instance(copy);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->GetTitle(), "원래 제목");
  EXPECT_GT(m->GetDurationMs(), 500u);
  EXPECT_EQ(m->GetLyrics(), "[00:00.50]첫 줄\n[00:01.00]second\n");
  EXPECT_EQ(::TYX::Test::ReadFileBytes(song), before);
}

TEST_F(PhoneLyricMergeTest, PlainOrMissingEmbeddedLyricsAreNotEmbeddedLyrics) {
  const std::string plain = Song("plain.mp3");
  SetLyricsTag(plain, "words without any time\nmore words\n");
  const std::string none = Song("none.mp3");
  CPhoneLyricMerge merge("S-1");
  EXPECT_FALSE(merge.IsEmbededLyric(plain));
  EXPECT_FALSE(merge.IsEmbededLyric(none));
  EXPECT_FALSE(merge.IsEmbededLyric(dir_.File("missing.mp3")));
  EXPECT_FALSE(merge.GetLastError().empty());
  // Nothing was accepted, so there is nothing to copy.
  EXPECT_FALSE(merge.MakeEmbededLyricKCP(dir_.File("x.kcp")).ok());
  EXPECT_FALSE(fs::exists(dir_.File("x.kcp")));
}

TEST_F(PhoneLyricMergeTest, LyricFileBesideTheSongIsConverted) {
  const std::string song = Song("곡.mp3");
  dir_.Write("곡.lrc", "[ar:x]\n[00:00.30]가사 하나\n[00:00.90]가사 둘\n");
  CPhoneLyricMerge merge("S-1");
  EXPECT_FALSE(merge.IsEmbededLyric(song));
  ASSERT_TRUE(merge.IsLyricFile(song));
  EXPECT_EQ(CPhoneLyricMerge::FindLyricFile(song), dir_.File("곡.lrc"));
  const std::string kcp = dir_.File("곡.kcp");
  const LyricResult made = merge.ConvertLyricFileKCP(song, kcp);
  ASSERT_TRUE(made.ok()) << made.error;
  std::vector<LyricLine> lines;
  ASSERT_TRUE(TYX_KcpWriter::ReadLines(kcp, lines).ok());
  EXPECT_EQ(lines, (std::vector<LyricLine>{{300, "가사 하나"}, {900, "가사 둘"}}));

  // An upper-case extension is found too; a song without one has none.
  const std::string other = Song("other.mp3");
  EXPECT_FALSE(merge.IsLyricFile(other));
  dir_.Write("other.LRC", "[00:01.00]x\n");
  EXPECT_EQ(CPhoneLyricMerge::FindLyricFile(other), dir_.File("other.LRC"));
  // A folder of that name is no lyric file, and a lyric file is not its own lyric file.
  const std::string third = Song("third.mp3");
  fs::create_directories(dir_.File("third.lrc"));
  EXPECT_EQ(CPhoneLyricMerge::FindLyricFile(third), "");
  EXPECT_EQ(CPhoneLyricMerge::FindLyricFile(dir_.File("곡.lrc")), "");
}

TEST_F(PhoneLyricMergeTest, BadLyricFilesGiveErrorsAndLeaveNothing) {
  const std::string song = Song("bad.mp3");
  dir_.Write("bad.lrc", "[00:01.00]ok\n[00:61.00]bad time\n");
  CPhoneLyricMerge merge("S-1");
  const LyricResult r = merge.ConvertLyricFileKCP(song, dir_.File("bad.kcp"));
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.error.find("line 2"), std::string::npos) << r.error;
  EXPECT_EQ(merge.GetLastError(), r.error);
  EXPECT_FALSE(fs::exists(dir_.File("bad.kcp")));
  // No lyric file at all.
  const std::string lone = Song("lone.mp3");
  EXPECT_FALSE(merge.ConvertLyricFileKCP(lone, dir_.File("lone.kcp")).ok());
}

TEST(KcpWriterTest, RefusesWhatIsNotAnMp3AndLeavesNoWorkFiles) {
  Media::InstallTagLibMediaFactory();
  ::TYX::Test::TempDir dir;
  const std::vector<LyricLine> lines{{0, "x"}};
  const std::string ogg = dir.File("song.ogg");
  ASSERT_EQ(::TYX::Test::SynthesizeAudio(ogg, ::TYX::Test::SynthFormat::OGG), "");
  EXPECT_FALSE(TYX_KcpWriter::Write(ogg, lines, dir.File("a.kcp")).ok());
  // Bytes that are no MP3 under an MP3 name.
  const std::string fake = dir.Write("fake.mp3", std::string(4000, 'z'));
  EXPECT_FALSE(TYX_KcpWriter::Write(fake, lines, dir.File("b.kcp")).ok());
  EXPECT_FALSE(TYX_KcpWriter::Write(dir.File("missing.mp3"), lines, dir.File("c.kcp")).ok());
  const std::string mp3 = dir.File("real.mp3");
  ASSERT_EQ(::TYX::Test::SynthesizeAudio(mp3, ::TYX::Test::SynthFormat::MP3), "");
  EXPECT_FALSE(TYX_KcpWriter::Write(mp3, {}, dir.File("d.kcp")).ok());
  EXPECT_FALSE(TYX_KcpWriter::Write(mp3, lines, dir.File("no/such/folder/e.kcp")).ok());
  int left = 0;
  for (const auto& e : fs::directory_iterator(dir.Path())) {
    const std::string name = e.path().filename().string();
    if (name.rfind(".tyx_kcp_", 0) == 0 || e.path().extension() == ".kcp") ++left;
  }
  EXPECT_EQ(left, 0);
}

TEST(KcpWriterTest, EarlierLyricFramesAreReplacedNotDoubled) {
  Media::InstallTagLibMediaFactory();
  ::TYX::Test::TempDir dir;
  const std::string mp3 = dir.File("real.mp3");
  ASSERT_EQ(::TYX::Test::SynthesizeAudio(mp3, ::TYX::Test::SynthFormat::MP3), "");
  const std::string first = dir.File("first.kcp");
  ASSERT_TRUE(TYX_KcpWriter::Write(mp3, {{0, "old"}}, first).ok());
  const std::string second = dir.File("second.kcp");
  ASSERT_TRUE(TYX_KcpWriter::Write(first, {{100, "new"}}, second).ok() == false);  // a .kcp source is no MP3 name
  const std::string again = dir.File("again.mp3");
  fs::copy_file(first, again);
  ASSERT_TRUE(TYX_KcpWriter::Write(again, {{100, "new"}}, second).ok());
  TagLib::MPEG::File f(second.c_str(), false);
  ASSERT_TRUE(f.isValid());
  ASSERT_NE(f.ID3v2Tag(false), nullptr);
  EXPECT_EQ(f.ID3v2Tag(false)->frameList("SYLT").size(), 1u);
  EXPECT_EQ(f.ID3v2Tag(false)->frameList("USLT").size(), 1u);
  std::vector<LyricLine> lines;
  ASSERT_TRUE(TYX_KcpWriter::ReadLines(second, lines).ok());
  EXPECT_EQ(lines, (std::vector<LyricLine>{{100, "new"}}));
  // Written as ID3v2.3, the version phones read.
  EXPECT_EQ(f.ID3v2Tag(false)->header()->majorVersion(), 3u);
}

}  // namespace
}  // namespace TYX::Lyrics
