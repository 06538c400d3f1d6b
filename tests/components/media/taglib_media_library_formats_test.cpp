// FLAC, M4A and Opus files keep their tags where other players look for them, and read what other
// taggers wrote in those formats' own ways.
#include <gtest/gtest.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/opusfile.h>
#include <taglib/xiphcomment.h>

#include "components/media/taglib_media_factory.h"
#include "contracts/media.h"
#include "media_test_support.h"

namespace TYX::Test {
namespace {

class LibraryFormatFiles : public ::testing::Test {
 protected:
  void SetUp() override { Media::InstallTagLibMediaFactory(); }
  TYX_MediaPtr Open(const std::string& path) {
    std::string error;
    TYX_MediaPtr m = TYX_Media::Instance(path, kMediaOpenRead, &error);
    EXPECT_TRUE(m) << error;
    return m;
  }
  TempDir dir_;
};

TEST_F(LibraryFormatFiles, FlacKeepsTheImageInAPictureBlockAndTextsInTheComment) {
  const std::string path = CopyPristine(dir_, SynthFormat::FLAC, "song.flac");
  const auto png = MakeImage("png", 16, 16);
  {
    TYX_MediaPtr m = Open(path);
    ASSERT_TRUE(m);
    m->SetTitle("봄날");
    m->SetHighlight(1500, 20000);
    ASSERT_TRUE(m->SetAlbumImageData(png));
    ASSERT_EQ(m->Save(), 0) << m->GetLastError();
  }
  TagLib::FLAC::File f(path.c_str());
  ASSERT_TRUE(f.isValid());
  ASSERT_EQ(f.pictureList().size(), 1u);
  EXPECT_EQ(f.pictureList().front()->type(), TagLib::FLAC::Picture::FrontCover);
  EXPECT_EQ(f.pictureList().front()->mimeType(), "image/png");
  ASSERT_TRUE(f.xiphComment());
  EXPECT_TRUE(f.xiphComment()->pictureList().isEmpty());
  EXPECT_FALSE(f.xiphComment()->contains("METADATA_BLOCK_PICTURE"));
  EXPECT_EQ(f.xiphComment()->title().to8Bit(true), "봄날");
  EXPECT_EQ(f.xiphComment()->fieldListMap()["TYX_HIGHLIGHT_START"].front(), "1500");
}

TEST_F(LibraryFormatFiles, FlacPictureOfAnotherTaggerIsReadAndReplacedNotDoubled) {
  const std::string path = CopyPristine(dir_, SynthFormat::FLAC, "other.flac");
  const auto jpg = MakeImage("jpg", 12, 12);
  {
    TagLib::FLAC::File f(path.c_str());
    auto* back = new TagLib::FLAC::Picture();
    back->setType(TagLib::FLAC::Picture::BackCover);
    back->setMimeType("image/png");
    const auto png = MakeImage("png", 4, 4);
    back->setData(TagLib::ByteVector(reinterpret_cast<const char*>(png.data()), static_cast<unsigned>(png.size())));
    f.addPicture(back);
    auto* front = new TagLib::FLAC::Picture();
    front->setType(TagLib::FLAC::Picture::FrontCover);
    front->setMimeType("image/jpg");  // a wrong name, as some taggers write
    front->setData(TagLib::ByteVector(reinterpret_cast<const char*>(jpg.data()), static_cast<unsigned>(jpg.size())));
    f.addPicture(front);
    ASSERT_TRUE(f.save());
  }
  TYX_MediaPtr m = Open(path);
  ASSERT_TRUE(m);
  std::string mime;
  EXPECT_EQ(m->GetAlbumImageData(&mime), jpg);
  EXPECT_EQ(mime, "image/jpeg");
  m->SetTitle("x");
  ASSERT_EQ(m->Save(), 0) << m->GetLastError();
  TagLib::FLAC::File f(path.c_str());
  EXPECT_EQ(f.pictureList().size(), 1u);
}

TEST_F(LibraryFormatFiles, M4aCoverOfAnotherTaggerIsReadByItsBytes) {
  const std::string path = CopyPristine(dir_, SynthFormat::M4A, "song.m4a");
  const auto png = MakeImage("png", 8, 8);
  {
    TagLib::MP4::File f(path.c_str());
    ASSERT_TRUE(f.isValid());
    TagLib::MP4::CoverArtList covers;
    covers.append(TagLib::MP4::CoverArt(TagLib::MP4::CoverArt::Unknown,
                                        TagLib::ByteVector(reinterpret_cast<const char*>(png.data()),
                                                           static_cast<unsigned>(png.size()))));
    f.tag()->setItem("covr", TagLib::MP4::Item(covers));
    f.tag()->setItem("trkn", TagLib::MP4::Item(3, 0));
    ASSERT_TRUE(f.save());
  }
  TYX_MediaPtr m = Open(path);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->GetTrack(), 3u);
  EXPECT_EQ(m->GetTrackCount(), 0u);
  std::string mime;
  EXPECT_EQ(m->GetAlbumImageData(&mime), png);
  EXPECT_EQ(mime, "image/png");
  // A save writes the genre as text, and the cover with its format named.
  m->SetGenre("K-Pop");
  ASSERT_EQ(m->Save(), 0) << m->GetLastError();
  TagLib::MP4::File f(path.c_str());
  EXPECT_FALSE(f.tag()->contains("gnre"));
  EXPECT_EQ(f.tag()->genre().to8Bit(true), "K-Pop");
  ASSERT_TRUE(f.tag()->contains("covr"));
  EXPECT_EQ(f.tag()->item("covr").toCoverArtList().front().format(), TagLib::MP4::CoverArt::PNG);
}

TEST_F(LibraryFormatFiles, OpusTagsLiveInTheOpusComment) {
  const std::string path = CopyPristine(dir_, SynthFormat::OPUS, "song.opus");
  {
    TYX_MediaPtr m = Open(path);
    ASSERT_TRUE(m);
    m->SetArtist("아이유");
    m->SetTrack(4);
    ASSERT_EQ(m->Save(), 0) << m->GetLastError();
  }
  TagLib::Ogg::Opus::File f(path.c_str());
  ASSERT_TRUE(f.isValid());
  EXPECT_EQ(f.tag()->artist().to8Bit(true), "아이유");
  EXPECT_EQ(f.tag()->track(), 4u);
  EXPECT_EQ(f.audioProperties()->sampleRate(), 48000);
}

}  // namespace
}  // namespace TYX::Test
