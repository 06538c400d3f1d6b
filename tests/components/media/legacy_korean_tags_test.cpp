// Korean texts that old software wrote as CP949 bytes into 8-bit tag fields (ID3v1, ID3v2 Latin-1
// frames, WMA texts widened byte by byte) read as Korean; genuine Latin-1 stays Latin-1; the
// configuration forces either reading; a save writes the texts as Unicode.
#include <gtest/gtest.h>
#include <taglib/asffile.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

#include <cstring>

#include "components/media/legacy_text.h"
#include "components/media/taglib_media_factory.h"
#include "contracts/media.h"
#include "media_test_support.h"
#include "util/init.h"

namespace TYX::Test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Media::kLegacyTagCharsetAttribute;

// "사랑의 노래" and "김건모" in CP949; "Café Müller" and "Señor" in Latin-1; "金星" in CP949 (Hanja only).
const std::string kLoveSongCp949 = "\xBB\xE7\xB6\xFB\xC0\xC7 \xB3\xEB\xB7\xA1";
const std::string kSingerCp949 = "\xB1\xE8\xB0\xC7\xB8\xF0";
const std::string kCafeLatin1 = "Caf\xE9 M\xFCller";
const std::string kSenorLatin1 = "Se\xF1or";
const std::string kVenusCp949 = "\xD1\xD1\xE0\xF8";

void AppendField(Bytes& out, const std::string& text, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) out.push_back(i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0);
}

Bytes Id3v1(const std::string& title, const std::string& artist, const std::string& album, const std::string& comment) {
  Bytes tag = {'T', 'A', 'G'};
  AppendField(tag, title, 30);
  AppendField(tag, artist, 30);
  AppendField(tag, album, 30);
  AppendField(tag, "1994", 4);
  AppendField(tag, comment, 28);
  tag.insert(tag.end(), {0, 3, 255});
  return tag;
}

Bytes WithoutId3v2(const Bytes& mp3) {
  if (mp3.size() < 10 || std::memcmp(mp3.data(), "ID3", 3) != 0) return mp3;
  std::size_t size = 10 + ((mp3[6] & 0x7Fu) << 21 | (mp3[7] & 0x7Fu) << 14 | (mp3[8] & 0x7Fu) << 7 | (mp3[9] & 0x7Fu));
  if (mp3[5] & 0x10) size += 10;
  return Bytes(mp3.begin() + static_cast<std::ptrdiff_t>(size), mp3.end());
}

// Raw bytes as a TagLib text of one character per byte: written to a Latin-1 frame they are the bytes
// themselves, written to a WMA text they are what byte-widening software left.
TagLib::String Raw(const std::string& bytes) { return TagLib::String(bytes, TagLib::String::Latin1); }

class LegacyKoreanTags : public ::testing::Test {
 protected:
  void SetUp() override {
    Media::InstallTagLibMediaFactory();
    Util::TYX_INIT::Instance()->SetStoreFile(dir_.File("settings.ini"));
  }
  void TearDown() override { Util::TYX_INIT::Instance()->RemoveAttribute(kLegacyTagCharsetAttribute); }
  void Force(const std::string& reading) {
    ASSERT_TRUE(Util::TYX_INIT::Instance()->SetAttribute(kLegacyTagCharsetAttribute, reading));
  }
  TYX_MediaPtr Open(const std::string& path) {
    std::string error;
    TYX_MediaPtr m = TYX_Media::Instance(path, kMediaOpenRead, &error);
    EXPECT_TRUE(m) << error;
    return m;
  }
  // An MP3 whose only tag is the given ID3v1 block.
  std::string Id3v1Mp3(const std::string& name, const Bytes& v1) {
    Bytes mp3 = WithoutId3v2(ReadBytes(PristineFile(SynthFormat::MP3)));
    mp3.insert(mp3.end(), v1.begin(), v1.end());
    const std::string path = dir_.File(name);
    WriteFileBytes(path, mp3);
    return path;
  }
  TempDir dir_;
};

TEST_F(LegacyKoreanTags, Id3v1ReadsCp949AsKoreanAndLatin1AsLatin1) {
  const std::string path = Id3v1Mp3("v1.mp3", Id3v1(kLoveSongCp949, kSingerCp949, kCafeLatin1, kSenorLatin1));
  TYX_MediaPtr m = Open(path);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->GetTitle(), "사랑의 노래");
  EXPECT_EQ(m->GetArtist(), "김건모");
  EXPECT_EQ(m->GetAlbum(), "Café Müller");
  EXPECT_EQ(m->GetComment(), "Señor");
}

TEST_F(LegacyKoreanTags, Utf8InAnEightBitFieldIsReadAsUtf8) {
  // "Café" in UTF-8 (C3 A9) is also valid CP949, and its two high bytes decode to a Hangul syllable.
  const std::string path = Id3v1Mp3("utf8.mp3", Id3v1("Caf\xC3\xA9", "사랑의 노래", "", ""));
  TYX_MediaPtr m = Open(path);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->GetTitle(), "Café");
  EXPECT_EQ(m->GetArtist(), "사랑의 노래");
  Force("LATIN1");
  TYX_MediaPtr latin = Open(path);
  ASSERT_TRUE(latin);
  EXPECT_EQ(latin->GetTitle(), "CafÃ©");
}

TEST_F(LegacyKoreanTags, AFieldCutInsideACharacterKeepsTheWholeCharacters) {
  // 1 + 14 * 2 + 1 = 30 bytes: the last byte is the first half of "랑".
  std::string title = "a";
  for (int i = 0; i < 7; ++i) title += "\xBB\xE7\xB6\xFB";  // 사랑
  title += "\xBB";
  const std::string path = Id3v1Mp3("cut.mp3", Id3v1(title, "", "", ""));
  TYX_MediaPtr m = Open(path);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->GetTitle(), "a사랑사랑사랑사랑사랑사랑사랑");
}

TEST_F(LegacyKoreanTags, TheConfigurationForcesEitherReading) {
  const std::string korean = Id3v1Mp3("k.mp3", Id3v1(kLoveSongCp949, "", "", ""));
  const std::string hanja = Id3v1Mp3("h.mp3", Id3v1(kVenusCp949, "", kCafeLatin1, ""));
  {
    // Hanja alone is no sign of Korean text: read as Latin-1 unless told.
    TYX_MediaPtr m = Open(hanja);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->GetTitle(), "ÑÑàø");
  }
  Force("LATIN1");
  {
    TYX_MediaPtr m = Open(korean);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->GetTitle(), "»ç¶ûÀÇ ³ë·¡");
  }
  Force(" cp949 ");
  {
    TYX_MediaPtr m = Open(hanja);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->GetTitle(), "金星");
    // Bytes that are no CP949 at all stay readable as Latin-1.
    EXPECT_EQ(m->GetAlbum(), "Café Müller");
  }
  Force("something else");
  {
    TYX_MediaPtr m = Open(korean);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->GetTitle(), "사랑의 노래");
  }
}

TEST_F(LegacyKoreanTags, Id3v2Latin1FramesReadAsKoreanAndASaveWritesUnicode) {
  const std::string path = CopyPristine(dir_, SynthFormat::MP3, "v2.mp3");
  {
    TagLib::MPEG::File f(path.c_str(), false);
    ASSERT_TRUE(f.isValid());
    TagLib::ID3v2::Tag* tag = f.ID3v2Tag(true);
    for (const char* id : {"TIT2", "TPE1", "TALB", "COMM"}) tag->removeFrames(id);
    auto text = [&](const char* id, const std::string& bytes) {
      auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, TagLib::String::Latin1);
      frame->setText(Raw(bytes));
      tag->addFrame(frame);
    };
    text("TIT2", kLoveSongCp949);
    text("TPE1", kSenorLatin1);
    text("TALB", kCafeLatin1);
    auto* comment = new TagLib::ID3v2::CommentsFrame(TagLib::String::Latin1);
    comment->setText(Raw(kSingerCp949));
    tag->addFrame(comment);
    ASSERT_TRUE(f.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v3));
  }
  TYX_MediaPtr m = Open(path);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->GetTitle(), "사랑의 노래");
  EXPECT_EQ(m->GetArtist(), "Señor");
  EXPECT_EQ(m->GetAlbum(), "Café Müller");
  EXPECT_EQ(m->GetComment(), "김건모");

  m->SetLabel("새 음반사");
  ASSERT_EQ(m->Save(), 0) << m->GetLastError();
  {
    TagLib::MPEG::File f(path.c_str(), false);
    const auto& frames = f.ID3v2Tag()->frameListMap()["TIT2"];
    ASSERT_FALSE(frames.isEmpty());
    auto* title = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(frames.front());
    ASSERT_TRUE(title);
    EXPECT_NE(title->textEncoding(), TagLib::String::Latin1);
  }
  // Written as Unicode, the texts no longer depend on how 8-bit fields are read.
  Force("LATIN1");
  TYX_MediaPtr again = Open(path);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->GetTitle(), "사랑의 노래");
  EXPECT_EQ(again->GetArtist(), "Señor");
  EXPECT_EQ(again->GetAlbum(), "Café Müller");
  EXPECT_EQ(again->GetComment(), "김건모");
  EXPECT_EQ(again->GetLabel(), "새 음반사");
}

TEST_F(LegacyKoreanTags, Id3v1OnlyFileSavedTakesUnicodeTagsThatReadBackTheSame) {
  const std::string path = Id3v1Mp3("old.mp3", Id3v1(kLoveSongCp949, kSingerCp949, kCafeLatin1, ""));
  TYX_MediaPtr m = Open(path);
  ASSERT_TRUE(m);
  ASSERT_EQ(m->Save(), 0) << m->GetLastError();
  Force("LATIN1");
  TYX_MediaPtr again = Open(path);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->GetTitle(), "사랑의 노래");
  EXPECT_EQ(again->GetArtist(), "김건모");
  EXPECT_EQ(again->GetAlbum(), "Café Müller");
}

TEST_F(LegacyKoreanTags, WmaTextsWidenedFromCp949ReadAsKoreanAndASaveWritesUnicode) {
  const std::string path = CopyPristine(dir_, SynthFormat::WMA, "old.wma");
  {
    TagLib::ASF::File f(path.c_str(), false);
    ASSERT_TRUE(f.isValid());
    f.tag()->setTitle(Raw(kLoveSongCp949));
    f.tag()->setArtist(Raw(kSenorLatin1));
    f.tag()->setAttribute("WM/AlbumTitle", TagLib::ASF::Attribute(Raw(kSingerCp949)));
    ASSERT_TRUE(f.save());
  }
  TYX_MediaPtr m = Open(path);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->GetTitle(), "사랑의 노래");
  EXPECT_EQ(m->GetArtist(), "Señor");
  EXPECT_EQ(m->GetAlbum(), "김건모");
  ASSERT_EQ(m->Save(), 0) << m->GetLastError();
  Force("LATIN1");
  TYX_MediaPtr again = Open(path);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->GetTitle(), "사랑의 노래");
  EXPECT_EQ(again->GetArtist(), "Señor");
  EXPECT_EQ(again->GetAlbum(), "김건모");
}

TEST_F(LegacyKoreanTags, ASimpleTagKeepsKoreanAsCp949ForOldPlayers) {
  // A file with an ID3v1 tag keeps it after a save; Korean, which Latin-1 cannot hold, goes there as
  // CP949, the form old players read.
  const std::string path = Id3v1Mp3("keep.mp3", Id3v1("old", "", "", ""));
  TYX_MediaPtr m = Open(path);
  ASSERT_TRUE(m);
  m->SetTitle("사랑의 노래");
  m->SetArtist("Señor");
  ASSERT_EQ(m->Save(), 0) << m->GetLastError();
  const Bytes bytes = ReadBytes(path);
  ASSERT_GE(bytes.size(), 128u);
  const std::string v1(bytes.end() - 128, bytes.end());
  ASSERT_EQ(v1.substr(0, 3), "TAG");
  EXPECT_EQ(v1.substr(3, kLoveSongCp949.size()), kLoveSongCp949);
  EXPECT_EQ(v1.substr(33, kSenorLatin1.size()), kSenorLatin1);
}

}  // namespace
}  // namespace TYX::Test
