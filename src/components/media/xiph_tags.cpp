#include <taglib/flacpicture.h>
#include <taglib/xiphcomment.h>

#include "components/media/tag_formats.h"
#include "components/media/taglib_text.h"

namespace TYX::Media {
namespace {

// Fields a media record owns; the first key is written, the others are read when the first is absent.
struct XiphField {
  MediaText field;
  const char* keys[3];
};
constexpr XiphField kTextFields[] = {
    {MediaText::Title, {"TITLE", nullptr, nullptr}},
    {MediaText::Artist, {"ARTIST", nullptr, nullptr}},
    {MediaText::Album, {"ALBUM", nullptr, nullptr}},
    {MediaText::Genre, {"GENRE", nullptr, nullptr}},
    {MediaText::Year, {"DATE", "YEAR", nullptr}},
    {MediaText::Comment, {"COMMENT", "DESCRIPTION", nullptr}},
    {MediaText::Composer, {"COMPOSER", nullptr, nullptr}},
    {MediaText::Label, {"LABEL", "ORGANIZATION", "PUBLISHER"}},
    {MediaText::Lyrics, {"LYRICS", "UNSYNCEDLYRICS", nullptr}},
    {MediaText::ExtraText, {kXiphExtra, nullptr, nullptr}},
};

std::string First(const TagLib::Ogg::XiphComment& tag, const char* key) {
  const auto& map = tag.fieldListMap();
  const auto it = map.find(key);
  if (it == map.end() || it->second.isEmpty()) return std::string();
  return FromTag(it->second.front());
}

void Put(TagLib::Ogg::XiphComment& tag, const char* key, const std::string& value) {
  tag.removeFields(key);
  if (!value.empty()) tag.addField(key, ToTag(value), true);
}

}  // namespace

void ReadXiph(TagLib::Ogg::XiphComment& tag, MediaTags& out) {
  for (const XiphField& f : kTextFields) {
    std::string value;
    for (const char* key : f.keys) {
      if (!key) break;
      value = First(tag, key);
      if (!value.empty()) break;
    }
    out.Text(f.field) = value;
  }
  std::uint32_t total = 0;
  ParseNumberPair(First(tag, "TRACKNUMBER"), out.Number(MediaNumber::Track), total);
  const std::uint32_t trackTotal = ParseUnsigned(First(tag, "TRACKTOTAL"));
  out.Number(MediaNumber::TrackCount) = trackTotal ? trackTotal : total;
  ParseNumberPair(First(tag, "DISCNUMBER"), out.Number(MediaNumber::Disc), total);
  const std::uint32_t discTotal = ParseUnsigned(First(tag, "DISCTOTAL"));
  out.Number(MediaNumber::DiscCount) = discTotal ? discTotal : total;
  out.Number(MediaNumber::HighlightStart) = ParseUnsigned(First(tag, kXiphHighlightStart));
  out.Number(MediaNumber::HighlightLength) = ParseUnsigned(First(tag, kXiphHighlightLength));

  out.image.clear();
  out.imageMime.clear();
  TagLib::FLAC::Picture* chosen = nullptr;
  for (TagLib::FLAC::Picture* p : tag.pictureList()) {
    if (!p || p->data().isEmpty()) continue;
    if (!chosen || p->type() == TagLib::FLAC::Picture::FrontCover) chosen = p;
    if (p->type() == TagLib::FLAC::Picture::FrontCover) break;
  }
  if (chosen) {
    const TagLib::ByteVector bytes = chosen->data();
    out.image.assign(bytes.begin(), bytes.end());
    out.imageMime = PictureMime(out.image, FromTag(chosen->mimeType()));
  }
}

void WriteXiph(const MediaTags& in, TagLib::Ogg::XiphComment& tag) {
  for (const XiphField& f : kTextFields) {
    for (const char* key : f.keys) {
      if (key) tag.removeFields(key);
    }
    Put(tag, f.keys[0], in.Text(f.field));
  }
  auto number = [](std::uint32_t v) { return v ? std::to_string(v) : std::string(); };
  Put(tag, "TRACKNUMBER", number(in.Number(MediaNumber::Track)));
  Put(tag, "TRACKTOTAL", number(in.Number(MediaNumber::TrackCount)));
  Put(tag, "DISCNUMBER", number(in.Number(MediaNumber::Disc)));
  Put(tag, "DISCTOTAL", number(in.Number(MediaNumber::DiscCount)));
  const std::uint32_t start = in.Number(MediaNumber::HighlightStart);
  const std::uint32_t length = in.Number(MediaNumber::HighlightLength);
  Put(tag, kXiphHighlightStart, start || length ? std::to_string(start) : std::string());
  Put(tag, kXiphHighlightLength, start || length ? std::to_string(length) : std::string());

  tag.removeAllPictures();
  if (TagLib::FLAC::Picture* p = NewFrontCover(in)) tag.addPicture(p);  // the comment takes ownership
}

TagLib::FLAC::Picture* NewFrontCover(const MediaTags& in) {
  if (in.image.empty()) return nullptr;
  auto* p = new TagLib::FLAC::Picture();
  p->setType(TagLib::FLAC::Picture::FrontCover);
  p->setMimeType(ToTag(in.imageMime));
  p->setData(TagLib::ByteVector(reinterpret_cast<const char*>(in.image.data()),
                                static_cast<unsigned int>(in.image.size())));
  return p;
}

}  // namespace TYX::Media
