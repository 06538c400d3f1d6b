// Fields are read from whichever tag a file carries: ID3v1 alone or under a sparse ID3v2 tag, RIFF INFO
// alone, and pictures whose MIME type is missing or wrong are known by their bytes.
#include <gtest/gtest.h>
#include <taglib/asffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/infotag.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>

#include <cstring>
#include <filesystem>

#include "components/media/taglib_media_factory.h"
#include "contracts/media.h"
#include "media_test_support.h"

namespace TYX::Test {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Append(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

// A fixed-width ID3v1 field, padded with NULs.
void AppendField(Bytes& out, const std::string& text, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) out.push_back(i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0);
}

// An ID3v1.1 tag: title, artist, album, year, comment, track, genre index.
Bytes Id3v1(const std::string& title, const std::string& artist, const std::string& album, const std::string& year,
            const std::string& comment, std::uint8_t track, std::uint8_t genre) {
  Bytes tag;
  Append(tag, "TAG");
  AppendField(tag, title, 30);
  AppendField(tag, artist, 30);
  AppendField(tag, album, 30);
  AppendField(tag, year, 4);
  AppendField(tag, comment, 28);
  tag.push_back(0);
  tag.push_back(track);
  tag.push_back(genre);
  return tag;
}

// The MPEG stream of a file without its leading ID3v2 tag.
Bytes WithoutId3v2(const Bytes& mp3) {
  if (mp3.size() < 10 || std::memcmp(mp3.data(), "ID3", 3) != 0) return mp3;
  std::size_t size = 10 + ((mp3[6] & 0x7Fu) << 21 | (mp3[7] & 0x7Fu) << 14 | (mp3[8] & 0x7Fu) << 7 | (mp3[9] & 0x7Fu));
  if (mp3[5] & 0x10) size += 10;  // footer
  return Bytes(mp3.begin() + static_cast<std::ptrdiff_t>(size), mp3.end());
}

// An ID3v2.3 tag holding one TSSE frame (the encoder's name), as many encoders leave.
Bytes EncoderOnlyId3v2() {
  Bytes frame;
  Append(frame, "TSSE");
  const std::string text = std::string(1, '\0') + "LAME 3.100";
  frame.insert(frame.end(), {0, 0, 0, static_cast<std::uint8_t>(text.size()), 0, 0});
  Append(frame, text);
  Bytes tag;
  Append(tag, "ID3");
  tag.insert(tag.end(), {3, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(frame.size())});
  tag.insert(tag.end(), frame.begin(), frame.end());
  return tag;
}

void PutLE32(Bytes& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t LE32(const Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// The WAV file with its "fmt " and "data" chunks only, then a LIST INFO chunk of the given items.
Bytes WavWithInfo(const Bytes& wav, const std::vector<std::pair<std::string, std::string>>& items) {
  Bytes out(wav.begin(), wav.begin() + 12);
  for (std::size_t at = 12; at + 8 <= wav.size();) {
    const std::string id(wav.begin() + static_cast<std::ptrdiff_t>(at), wav.begin() + static_cast<std::ptrdiff_t>(at + 4));
    const std::size_t size = LE32(wav, at + 4);
    const std::size_t whole = 8 + size + (size & 1);
    if (id == "fmt " || id == "data") {
      out.insert(out.end(), wav.begin() + static_cast<std::ptrdiff_t>(at),
                 wav.begin() + static_cast<std::ptrdiff_t>(std::min(at + whole, wav.size())));
    }
    at += whole;
  }
  Bytes info;
  Append(info, "INFO");
  for (const auto& [id, text] : items) {
    Append(info, id);
    const std::size_t size = text.size() + 1;
    info.insert(info.end(), 4, 0);
    PutLE32(info, info.size() - 4, static_cast<std::uint32_t>(size));
    Append(info, text);
    info.push_back(0);
    if (size & 1) info.push_back(0);
  }
  Append(out, "LIST");
  out.insert(out.end(), 4, 0);
  PutLE32(out, out.size() - 4, static_cast<std::uint32_t>(info.size()));
  out.insert(out.end(), info.begin(), info.end());
  PutLE32(out, 4, static_cast<std::uint32_t>(out.size() - 8));
  return out;
}

class MediaTagSources : public ::testing::Test {
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

TEST_F(MediaTagSources, Mp3WithOnlyAnId3v1TagShowsEveryBasicField) {
  Bytes mp3 = WithoutId3v2(ReadBytes(PristineFile(SynthFormat::MP3)));
  const Bytes v1 = Id3v1("Paint It Black", "The Rolling Stones", "Aftermath", "1966", "version one", 5, 17);
  mp3.insert(mp3.end(), v1.begin(), v1.end());
  const std::string path = dir_.File("v1.mp3");
  WriteFileBytes(path, mp3);
  TYX_MediaPtr m = Open(path);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->GetTitle(), "Paint It Black");
  EXPECT_EQ(m->GetArtist(), "The Rolling Stones");
  EXPECT_EQ(m->GetAlbum(), "Aftermath");
  EXPECT_EQ(m->GetYear(), "1966");
  EXPECT_EQ(m->GetComment(), "version one");
  EXPECT_EQ(m->GetTrack(), 5u);
  EXPECT_EQ(m->GetGenre(), "Rock");  // genre 17 of the ID3v1 list

  // A stream that starts the file (no ID3v2 tag before it) takes one at the first save.
  m->SetComposer("Jagger/Richards");
  ASSERT_EQ(m->Save(), 0) << m->GetLastError();
  TYX_MediaPtr saved = Open(path);
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->GetComposer(), "Jagger/Richards");
  EXPECT_EQ(saved->GetTitle(), "Paint It Black");
  EXPECT_EQ(saved->GetDurationMs(), m->GetDurationMs());

  // A second genre from the list, to tell a table look-up from a constant.
  WriteFileBytes(path, [&] {
    Bytes b = WithoutId3v2(ReadBytes(PristineFile(SynthFormat::MP3)));
    const Bytes t = Id3v1("t", "a", "b", "2001", "", 0, 8);
    b.insert(b.end(), t.begin(), t.end());
    return b;
  }());
  TYX_MediaPtr jazz = Open(path);
  ASSERT_TRUE(jazz);
  EXPECT_EQ(jazz->GetGenre(), "Jazz");
  EXPECT_EQ(jazz->GetTrack(), 0u);
}

TEST_F(MediaTagSources, Id3v1FillsWhatASparseId3v2TagLacks) {
  Bytes mp3 = EncoderOnlyId3v2();
  const Bytes stream = WithoutId3v2(ReadBytes(PristineFile(SynthFormat::MP3)));
  mp3.insert(mp3.end(), stream.begin(), stream.end());
  const Bytes v1 = Id3v1("Yesterday", "The Beatles", "Help!", "1965", "", 13, 13);
  mp3.insert(mp3.end(), v1.begin(), v1.end());
  const std::string path = dir_.File("sparse.mp3");
  WriteFileBytes(path, mp3);
  TYX_MediaPtr m = Open(path);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->GetTitle(), "Yesterday");
  EXPECT_EQ(m->GetArtist(), "The Beatles");
  EXPECT_EQ(m->GetGenre(), "Pop");
  EXPECT_EQ(m->GetTrack(), 13u);

  // Once saved, the ID3v2 tag carries the fields, and a field cleared by the user stays cleared.
  m->SetTitle("Yesterday (Remastered)");
  m->SetArtist("");
  ASSERT_EQ(m->Save(), 0) << m->GetLastError();
  TYX_MediaPtr r = Open(path);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->GetTitle(), "Yesterday (Remastered)");
  EXPECT_EQ(r->GetArtist(), "");
  EXPECT_EQ(r->GetAlbum(), "Help!");
  EXPECT_EQ(r->GetGenre(), "Pop");

  // Players that read only the ID3v1 tag see the same fields; it keeps the year of a full date.
  r->SetReleaseDate("1965-08-06");
  ASSERT_EQ(r->Save(), 0) << r->GetLastError();
  TagLib::MPEG::File f(path.c_str());
  ASSERT_TRUE(f.ID3v1Tag());
  EXPECT_EQ(f.ID3v1Tag()->title().to8Bit(true), "Yesterday (Remastered)");
  EXPECT_EQ(f.ID3v1Tag()->artist().to8Bit(true), "");
  EXPECT_EQ(f.ID3v1Tag()->year(), 1965u);
  EXPECT_EQ(f.ID3v1Tag()->track(), 13u);
}

TEST_F(MediaTagSources, WavWithOnlyRiffInfoShowsEveryBasicField) {
  const Bytes wav = WavWithInfo(ReadBytes(PristineFile(SynthFormat::WAV)), {{"INAM", "아리랑"},
                                                                            {"IART", "민요"},
                                                                            {"IPRD", "Folk Songs"},
                                                                            {"IGNR", "Traditional"},
                                                                            {"ICRD", "1926"},
                                                                            {"ICMT", "from INFO"},
                                                                            {"IPRT", "4"}});
  const std::string path = dir_.File("info.wav");
  WriteFileBytes(path, wav);
  TYX_MediaPtr m = Open(path);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->GetTitle(), "아리랑");
  EXPECT_EQ(m->GetArtist(), "민요");
  EXPECT_EQ(m->GetAlbum(), "Folk Songs");
  EXPECT_EQ(m->GetGenre(), "Traditional");
  EXPECT_EQ(m->GetYear(), "1926");
  EXPECT_EQ(m->GetComment(), "from INFO");
  EXPECT_EQ(m->GetTrack(), 4u);
  EXPECT_EQ(m->GetSampleRate(), 44100u);

  // A save keeps the INFO fields readable and adds the ones INFO cannot hold.
  m->SetLyrics("가사");
  ASSERT_EQ(m->Save(), 0) << m->GetLastError();
  TYX_MediaPtr r = Open(path);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->GetGenre(), "Traditional");
  EXPECT_EQ(r->GetTitle(), "아리랑");
  EXPECT_EQ(r->GetLyrics(), "가사");

  // Readers of RIFF INFO alone see the saved fields, the year of a full date included.
  r->SetReleaseDate("1927-10-01");
  r->SetTitle("Arirang");
  ASSERT_EQ(r->Save(), 0) << r->GetLastError();
  TagLib::RIFF::WAV::File f(path.c_str());
  ASSERT_TRUE(f.InfoTag());
  EXPECT_EQ(f.InfoTag()->title().to8Bit(true), "Arirang");
  EXPECT_EQ(f.InfoTag()->year(), 1927u);
  EXPECT_EQ(f.InfoTag()->genre().to8Bit(true), "Traditional");
}

// Embeds the picture bytes with the given MIME type through TagLib, as other taggers write them.
void EmbedPicture(const std::string& path, SynthFormat format, const Bytes& picture, const std::string& mime) {
  const TagLib::ByteVector data(reinterpret_cast<const char*>(picture.data()), static_cast<unsigned int>(picture.size()));
  switch (format) {
    case SynthFormat::OGG: {
      TagLib::Ogg::Vorbis::File f(path.c_str());
      ASSERT_TRUE(f.isValid());
      f.tag()->removeAllPictures();
      auto* p = new TagLib::FLAC::Picture();
      p->setType(TagLib::FLAC::Picture::FrontCover);
      p->setMimeType(TagLib::String(mime, TagLib::String::UTF8));
      p->setData(data);
      f.tag()->addPicture(p);
      ASSERT_TRUE(f.save());
      break;
    }
    case SynthFormat::MP3: {
      TagLib::MPEG::File f(path.c_str());
      ASSERT_TRUE(f.isValid());
      f.ID3v2Tag(true)->removeFrames("APIC");
      auto* p = new TagLib::ID3v2::AttachedPictureFrame();
      p->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
      p->setMimeType(TagLib::String(mime, TagLib::String::UTF8));
      p->setPicture(data);
      f.ID3v2Tag()->addFrame(p);
      ASSERT_TRUE(f.save());
      break;
    }
    case SynthFormat::WMA: {
      TagLib::ASF::File f(path.c_str());
      ASSERT_TRUE(f.isValid());
      TagLib::ASF::Picture p;
      p.setType(TagLib::ASF::Picture::FrontCover);
      p.setMimeType(TagLib::String(mime, TagLib::String::UTF8));
      p.setPicture(data);
      f.tag()->setAttribute("WM/Picture", TagLib::ASF::Attribute(p));
      ASSERT_TRUE(f.save());
      break;
    }
    default: FAIL() << "not used";
  }
}

TEST_F(MediaTagSources, PicturesWithAMissingOrWrongMimeTypeAreKnownByTheirBytes) {
  const Bytes png = MakeImage("png", 12, 10);
  const Bytes jpg = MakeImage("jpg", 12, 10);
  const struct {
    std::string mime;
    const Bytes* bytes;
    const char* expected;
    const char* ext;
  } cases[] = {
      {"", &png, "image/png", ".png"},           {"PNG", &png, "image/png", ".png"},
      {"image/", &png, "image/png", ".png"},     {"text/plain", &png, "image/png", ".png"},
      {"image/png", &jpg, "image/jpeg", ".jpg"}, {"-->", &jpg, "image/jpeg", ".jpg"},
      {"image/jpg", &jpg, "image/jpeg", ".jpg"},
  };
  for (SynthFormat format : {SynthFormat::OGG, SynthFormat::MP3, SynthFormat::WMA}) {
    for (const auto& c : cases) {
      const std::string path = dir_.File(std::string("pic.") + SynthExtension(format));
      std::filesystem::copy_file(PristineFile(format), path, std::filesystem::copy_options::overwrite_existing);
      EmbedPicture(path, format, *c.bytes, c.mime);
      TYX_MediaPtr m = Open(path);
      ASSERT_TRUE(m);
      ASSERT_TRUE(m->HasAlbumImage()) << SynthExtension(format) << " '" << c.mime << "'";
      std::string mime;
      EXPECT_EQ(m->GetAlbumImageData(&mime), *c.bytes);
      EXPECT_EQ(mime, c.expected) << SynthExtension(format) << " stored as '" << c.mime << "'";
      const std::string out = m->GetAlbumImagePath();
      EXPECT_EQ(std::filesystem::path(out).extension(), c.ext) << SynthExtension(format) << " '" << c.mime << "'";
      EXPECT_EQ(ReadBytes(out), *c.bytes);
      std::filesystem::remove(out);
    }
  }
}

TEST_F(MediaTagSources, TheFrontCoverIsChosenAmongSeveralPictures) {
  const Bytes back = MakeImage("png", 6, 6);
  const Bytes front = MakeImage("jpg", 8, 8);
  const Bytes other = MakeImage("bmp", 4, 4);
  const TagLib::ByteVector backBytes(reinterpret_cast<const char*>(back.data()), static_cast<unsigned int>(back.size()));
  const TagLib::ByteVector frontBytes(reinterpret_cast<const char*>(front.data()), static_cast<unsigned int>(front.size()));
  const TagLib::ByteVector otherBytes(reinterpret_cast<const char*>(other.data()), static_cast<unsigned int>(other.size()));
  // Back cover first, the front cover in the middle, another picture last.
  {
    const std::string path = dir_.File("covers.mp3");
    std::filesystem::copy_file(PristineFile(SynthFormat::MP3), path);
    TagLib::MPEG::File f(path.c_str());
    int i = 0;
    for (const auto& [type, bytes] : {std::pair{TagLib::ID3v2::AttachedPictureFrame::BackCover, backBytes},
                                      std::pair{TagLib::ID3v2::AttachedPictureFrame::FrontCover, frontBytes},
                                      std::pair{TagLib::ID3v2::AttachedPictureFrame::Artist, otherBytes}}) {
      auto* p = new TagLib::ID3v2::AttachedPictureFrame();
      p->setType(type);
      p->setDescription(TagLib::String(std::to_string(i++)));
      p->setPicture(bytes);
      f.ID3v2Tag(true)->addFrame(p);
    }
    ASSERT_TRUE(f.save());
    TYX_MediaPtr m = Open(path);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->GetAlbumImageData(), front);
  }
  {
    const std::string path = dir_.File("covers.ogg");
    std::filesystem::copy_file(PristineFile(SynthFormat::OGG), path);
    TagLib::Ogg::Vorbis::File f(path.c_str());
    for (const auto& [type, bytes] : {std::pair{TagLib::FLAC::Picture::BackCover, backBytes},
                                      std::pair{TagLib::FLAC::Picture::FrontCover, frontBytes},
                                      std::pair{TagLib::FLAC::Picture::Artist, otherBytes}}) {
      auto* p = new TagLib::FLAC::Picture();
      p->setType(type);
      p->setData(bytes);
      f.tag()->addPicture(p);
    }
    ASSERT_TRUE(f.save());
    TYX_MediaPtr m = Open(path);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->GetAlbumImageData(), front);
  }
  {
    const std::string path = dir_.File("covers.wma");
    std::filesystem::copy_file(PristineFile(SynthFormat::WMA), path);
    TagLib::ASF::File f(path.c_str());
    for (const auto& [type, bytes] : {std::pair{TagLib::ASF::Picture::BackCover, backBytes},
                                      std::pair{TagLib::ASF::Picture::FrontCover, frontBytes},
                                      std::pair{TagLib::ASF::Picture::Artist, otherBytes}}) {
      TagLib::ASF::Picture p;
      p.setType(type);
      p.setPicture(bytes);
      f.tag()->addAttribute("WM/Picture", TagLib::ASF::Attribute(p));
    }
    ASSERT_TRUE(f.save());
    TYX_MediaPtr m = Open(path);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->GetAlbumImageData(), front);
  }
  // Without a front cover, the first picture.
  {
    const std::string path = dir_.File("nofront.mp3");
    std::filesystem::copy_file(PristineFile(SynthFormat::MP3), path);
    TagLib::MPEG::File f(path.c_str());
    int i = 0;
    for (const auto& bytes : {backBytes, otherBytes}) {
      auto* p = new TagLib::ID3v2::AttachedPictureFrame();
      p->setType(TagLib::ID3v2::AttachedPictureFrame::BackCover);
      p->setDescription(TagLib::String(std::to_string(i++)));
      p->setPicture(bytes);
      f.ID3v2Tag(true)->addFrame(p);
    }
    ASSERT_TRUE(f.save());
    TYX_MediaPtr m = Open(path);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->GetAlbumImageData(), back);
  }
}

TEST_F(MediaTagSources, APictureOfUnknownBytesKeepsItsStoredType) {
  // Bytes no signature matches: the stored type is all there is.
  const Bytes webp = {'R', 'I', 'F', 'F', 8, 0, 0, 0, 'W', 'E', 'B', 'P', 'V', 'P', '8', ' '};
  const std::string path = dir_.File("webp.ogg");
  std::filesystem::copy_file(PristineFile(SynthFormat::OGG), path);
  EmbedPicture(path, SynthFormat::OGG, webp, "image/webp");
  TYX_MediaPtr m = Open(path);
  ASSERT_TRUE(m);
  std::string mime;
  EXPECT_EQ(m->GetAlbumImageData(&mime), webp);
  EXPECT_EQ(mime, "image/webp");
}

}  // namespace
}  // namespace TYX::Test
