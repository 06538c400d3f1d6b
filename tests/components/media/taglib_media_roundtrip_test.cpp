// Media objects read and write every field in MP3, Ogg Vorbis, WMA and WAV files.
#include <gtest/gtest.h>

#include <filesystem>

#include "components/media/taglib_media_factory.h"
#include "contracts/media.h"
#include "media_test_support.h"

namespace TYX::Test {
namespace {

class MediaRoundTrip : public ::testing::TestWithParam<FormatCase> {
 protected:
  void SetUp() override { Media::InstallTagLibMediaFactory(); }
  TempDir dir_;
};

TYX_MediaPtr OpenOrFail(const std::string& path) {
  std::string error = "unset";
  TYX_MediaPtr media = TYX_Media::Instance(path, kMediaOpenRead, &error);
  EXPECT_TRUE(media) << error;
  if (media) {
    EXPECT_EQ(error, "");
  }
  return media;
}

void FillEveryField(TYX_Media& m) {
  m.SetTitle("봄날 (Spring Day)");
  m.SetArtist("방탄소년단");
  m.SetAlbum("You Never Walk Alone");
  m.SetGenre("K-Pop");
  m.SetReleaseDate("2017-02-13");
  m.SetComment("주석: a comment");
  m.SetComposer("작곡가 Composer");
  m.SetLabel("빅히트");
  m.SetLyrics("[00:01.00]보고 싶다\n[00:05.50]이렇게 말하니까");
  m.SetExtraText("KR-123-456");
  m.SetTrack(7);
  m.SetTrackCount(12);
  m.SetDiscNumber(2);
  m.SetDiscCount(3);
  m.SetHighlight(10000, 20000);
}

TEST_P(MediaRoundTrip, StreamFactsOfTheSynthesisedFile) {
  const std::string path = CopyPristine(dir_, GetParam().format, std::string("song.") + GetParam().ext);
  TYX_MediaPtr m = OpenOrFail(path);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->GetPath(), path);
  EXPECT_TRUE(m->IsValid());
  EXPECT_EQ(m->GetSampleRate(), PristineRate(GetParam().format));
  EXPECT_EQ(m->GetChannels(), 2u);
  EXPECT_NEAR(static_cast<double>(m->GetDurationMs()), 2000.0, 150.0);
  EXPECT_EQ(m->GetDuration(), m->GetDurationMs() / 1000);
  EXPECT_EQ(m->GetFileSize(), std::filesystem::file_size(path));
  EXPECT_FALSE(m->GetFormatText().empty());
  EXPECT_NE(m->GetChannelText().find("Stereo"), std::string::npos) << m->GetChannelText();
  EXPECT_EQ(m->GetTagKind(), kMediaTagExtended);
  EXPECT_TRUE(m->CanWriteTags());
  EXPECT_EQ(m->GetLibraryIndex(), 0xFFFFFFFFu);
  if (GetParam().format == SynthFormat::WAV) {
    EXPECT_EQ(m->GetBitRate(), 44100u * 2u * 16u);
    EXPECT_EQ(m->GetFormatText(), "PCM 16-bit");
  } else if (GetParam().format == SynthFormat::FLAC) {
    // Lossless: well under the PCM rate, well over a lossy one for this tone.
    EXPECT_GT(m->GetBitRate(), 0u);
    EXPECT_LT(m->GetBitRate(), 44100u * 2u * 16u);
    EXPECT_EQ(m->GetFormatText(), "FLAC 16-bit");
  } else {
    // Encoded at 128 kbps; containers report the nominal or the average rate.
    EXPECT_GT(m->GetBitRate(), 96000u);
    EXPECT_LT(m->GetBitRate(), 200000u);
  }
  if (GetParam().format == SynthFormat::MP3) {
    EXPECT_EQ(m->GetFormatText(), "MPEG-1 Layer 3");
  }
  if (GetParam().format == SynthFormat::OGG) {
    EXPECT_EQ(m->GetFormatText(), "Ogg Vorbis");
  }
  if (GetParam().format == SynthFormat::M4A) {
    EXPECT_EQ(m->GetFormatText(), "AAC");
  }
  if (GetParam().format == SynthFormat::OPUS) {
    EXPECT_EQ(m->GetFormatText(), "Ogg Opus");
  }
}

TEST_P(MediaRoundTrip, EveryFieldSurvivesSaveAndReopen) {
  const std::string path = CopyPristine(dir_, GetParam().format, std::string("song.") + GetParam().ext);
  const auto png = MakeImage("png", 40, 30);
  const std::string imagePath = dir_.File("cover.png");
  WriteFileBytes(imagePath, png);
  std::uint32_t durationBefore = 0;
  {
    TYX_MediaPtr m = OpenOrFail(path);
    ASSERT_TRUE(m);
    durationBefore = m->GetDurationMs();
    FillEveryField(*m);
    ASSERT_TRUE(m->SetAlbumImagePath(imagePath));
    ASSERT_EQ(m->Save(), 0) << m->GetLastError();
  }
  TYX_MediaPtr r = OpenOrFail(path);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->GetTitle(), "봄날 (Spring Day)");
  EXPECT_EQ(r->GetArtist(), "방탄소년단");
  EXPECT_EQ(r->GetAlbum(), "You Never Walk Alone");
  EXPECT_EQ(r->GetGenre(), "K-Pop");
  EXPECT_EQ(r->GetReleaseDate(), "2017-02-13");
  EXPECT_EQ(r->GetComment(), "주석: a comment");
  EXPECT_EQ(r->GetComposer(), "작곡가 Composer");
  EXPECT_EQ(r->GetLabel(), "빅히트");
  EXPECT_EQ(r->GetLyrics(), "[00:01.00]보고 싶다\n[00:05.50]이렇게 말하니까");
  EXPECT_EQ(r->GetExtraText(), "KR-123-456");
  EXPECT_EQ(r->GetTrack(), 7u);
  EXPECT_EQ(r->GetTrackCount(), 12u);
  EXPECT_EQ(r->GetDiscNumber(), 2u);
  EXPECT_EQ(r->GetDiscCount(), 3u);
  EXPECT_EQ(r->GetHighlightStart(), 10000u);
  EXPECT_EQ(r->GetHighlightLength(), 20000u);
  ASSERT_TRUE(r->HasAlbumImage());
  std::string mime;
  EXPECT_EQ(r->GetAlbumImageData(&mime), png);
  EXPECT_EQ(mime, "image/png");
  // The stream itself is untouched by the tags.
  EXPECT_EQ(r->GetDurationMs(), durationBefore);
  EXPECT_EQ(r->GetSampleRate(), PristineRate(GetParam().format));
}

TEST_P(MediaRoundTrip, AlbumImageIsHandedOutAsAFileTheCallerOwns) {
  const std::string path = CopyPristine(dir_, GetParam().format, std::string("song.") + GetParam().ext);
  const auto jpg = MakeImage("jpg", 64, 64);
  {
    TYX_MediaPtr m = OpenOrFail(path);
    ASSERT_TRUE(m);
    EXPECT_FALSE(m->HasAlbumImage());
    EXPECT_EQ(m->GetAlbumImagePath(), "");
    ASSERT_TRUE(m->SetAlbumImageData(jpg));
    ASSERT_EQ(m->Save(), 0) << m->GetLastError();
  }
  TYX_MediaPtr r = OpenOrFail(path);
  ASSERT_TRUE(r);
  const std::string out = r->GetAlbumImagePath();
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(std::filesystem::path(out).extension(), ".jpg");
  EXPECT_EQ(ReadBytes(out), jpg);
  // Each call hands out a new file.
  const std::string again = r->GetAlbumImagePath();
  EXPECT_NE(again, out);
  std::filesystem::remove(out);
  std::filesystem::remove(again);
  // The object outlives the file it handed out.
  EXPECT_TRUE(r->HasAlbumImage());
}

TEST_P(MediaRoundTrip, ClearedFieldsAndImageAreRemovedFromTheFile) {
  const std::string path = CopyPristine(dir_, GetParam().format, std::string("song.") + GetParam().ext);
  {
    TYX_MediaPtr m = OpenOrFail(path);
    ASSERT_TRUE(m);
    FillEveryField(*m);
    ASSERT_TRUE(m->SetAlbumImageData(MakeImage("bmp", 8, 8)));
    ASSERT_EQ(m->Save(), 0) << m->GetLastError();
  }
  {
    TYX_MediaPtr m = OpenOrFail(path);
    ASSERT_TRUE(m);
    for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(MediaText::Count); ++i) m->SetText(static_cast<MediaText>(i), "");
    for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(MediaNumber::Count); ++i) m->SetNumber(static_cast<MediaNumber>(i), 0);
    ASSERT_TRUE(m->SetAlbumImagePath(""));
    ASSERT_EQ(m->Save(), 0) << m->GetLastError();
  }
  TYX_MediaPtr r = OpenOrFail(path);
  ASSERT_TRUE(r);
  for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(MediaText::Count); ++i) {
    EXPECT_EQ(r->GetText(static_cast<MediaText>(i)), "") << "text field " << i;
  }
  for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(MediaNumber::Count); ++i) {
    EXPECT_EQ(r->GetNumber(static_cast<MediaNumber>(i)), 0u) << "number field " << i;
  }
  EXPECT_FALSE(r->HasAlbumImage());
}

TEST_P(MediaRoundTrip, NothingIsWrittenUntilSave) {
  const std::string path = CopyPristine(dir_, GetParam().format, std::string("song.") + GetParam().ext);
  const auto before = ReadBytes(path);
  {
    TYX_MediaPtr m = OpenOrFail(path);
    ASSERT_TRUE(m);
    FillEveryField(*m);
  }
  EXPECT_EQ(ReadBytes(path), before);
  // A save leaves no scratch file behind.
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir_.Path())) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1);
}

TEST_P(MediaRoundTrip, SavingTwiceKeepsOneCopyOfEachField) {
  const std::string path = CopyPristine(dir_, GetParam().format, std::string("song.") + GetParam().ext);
  for (int i = 0; i < 2; ++i) {
    TYX_MediaPtr m = OpenOrFail(path);
    ASSERT_TRUE(m);
    m->SetTitle("Title " + std::to_string(i));
    m->SetHighlight(1000u * static_cast<std::uint32_t>(i + 1), 20000);
    ASSERT_EQ(m->Save(), 0) << m->GetLastError();
  }
  const auto sizeAfterTwo = std::filesystem::file_size(path);
  {
    TYX_MediaPtr m = OpenOrFail(path);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->GetTitle(), "Title 1");
    EXPECT_EQ(m->GetHighlightStart(), 2000u);
    ASSERT_EQ(m->Save(), 0) << m->GetLastError();
  }
  // An unchanged save does not grow the file (no duplicated frames or fields).
  EXPECT_EQ(std::filesystem::file_size(path), sizeAfterTwo);
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir_.Path())) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1) << "a scratch copy was left behind";
}

TEST_P(MediaRoundTrip, TagsCopyToAFileOfAnotherFormat) {
  const std::string source = CopyPristine(dir_, GetParam().format, std::string("src.") + GetParam().ext);
  const SynthFormat other = GetParam().format == SynthFormat::MP3 ? SynthFormat::OGG : SynthFormat::MP3;
  const std::string target = CopyPristine(dir_, other, std::string("dst.") + SynthExtension(other));
  {
    TYX_MediaPtr m = OpenOrFail(source);
    ASSERT_TRUE(m);
    FillEveryField(*m);
    ASSERT_TRUE(m->SetAlbumImageData(MakeImage("png", 4, 4)));
    ASSERT_EQ(m->Save(), 0);
  }
  TYX_MediaPtr from = OpenOrFail(source);
  TYX_MediaPtr to = OpenOrFail(target);
  ASSERT_TRUE(from && to);
  EXPECT_TRUE(CopyMediaTags(*from, *to));
  ASSERT_EQ(to->Save(), 0) << to->GetLastError();
  TYX_MediaPtr r = OpenOrFail(target);
  ASSERT_TRUE(r);
  for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(MediaText::Count); ++i) {
    EXPECT_EQ(r->GetText(static_cast<MediaText>(i)), from->GetText(static_cast<MediaText>(i))) << "text " << i;
  }
  for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(MediaNumber::Count); ++i) {
    EXPECT_EQ(r->GetNumber(static_cast<MediaNumber>(i)), from->GetNumber(static_cast<MediaNumber>(i))) << "number " << i;
  }
  EXPECT_EQ(r->GetAlbumImageData(), from->GetAlbumImageData());
}

INSTANTIATE_TEST_SUITE_P(Formats, MediaRoundTrip, ::testing::ValuesIn(AllFormats()),
                         [](const ::testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.ext); });
INSTANTIATE_TEST_SUITE_P(LibraryFormats, MediaRoundTrip, ::testing::ValuesIn(LibraryFormats()),
                         [](const ::testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.ext); });

TEST(MediaObject, BitRateOverrideAndLibraryIndexStayInTheObject) {
  Media::InstallTagLibMediaFactory();
  TempDir dir;
  const std::string path = CopyPristine(dir, SynthFormat::WMA, "song.wma");
  TYX_MediaPtr m = TYX_Media::Instance(path, kMediaOpenPlay);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->GetOpenFlag(), kMediaOpenPlay);
  const std::uint32_t read = m->GetBitRate();
  m->SetBitRate(192000);
  m->SetLibraryIndex(42);
  EXPECT_EQ(m->GetBitRate(), 192000u);
  EXPECT_EQ(m->GetLibraryIndex(), 42u);
  ASSERT_EQ(m->Save(), 0);
  TYX_MediaPtr r = TYX_Media::Instance(path);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->GetBitRate(), read);
  EXPECT_EQ(r->GetLibraryIndex(), 0xFFFFFFFFu);
}

TEST(MediaObject, AnImageOfAnUnknownKindIsRefusedAndNothingChanges) {
  Media::InstallTagLibMediaFactory();
  TempDir dir;
  const std::string path = CopyPristine(dir, SynthFormat::MP3, "song.mp3");
  TYX_MediaPtr m = TYX_Media::Instance(path);
  ASSERT_TRUE(m);
  ASSERT_TRUE(m->SetAlbumImageData(MakeImage("png", 4, 4)));
  const std::string text = dir.Write("notes.txt", "these are not image bytes");
  EXPECT_FALSE(m->SetAlbumImagePath(text));
  EXPECT_FALSE(m->GetLastError().empty());
  EXPECT_FALSE(m->SetAlbumImagePath(dir.File("missing.jpg")));
  EXPECT_FALSE(m->SetAlbumImageData({'x', 'y', 'z'}));
  std::string mime;
  m->GetAlbumImageData(&mime);
  EXPECT_EQ(mime, "image/png");
}

}  // namespace
}  // namespace TYX::Test
