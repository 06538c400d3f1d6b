#include <taglib/asfattribute.h>
#include <taglib/asfpicture.h>
#include <taglib/asftag.h>

#include "components/media/tag_formats.h"
#include "components/media/taglib_text.h"

namespace TYX::Media {
namespace {

struct AsfField {
  MediaText field;
  const char* name;
};
// Title, artist (Author) and comment (Description) live in the content description object.
constexpr AsfField kAttributeFields[] = {
    {MediaText::Album, "WM/AlbumTitle"}, {MediaText::Genre, "WM/Genre"},       {MediaText::Year, "WM/Year"},
    {MediaText::Composer, "WM/Composer"}, {MediaText::Label, "WM/Publisher"},  {MediaText::Lyrics, "WM/Lyrics"},
    {MediaText::ExtraText, kAsfExtra},
};

const TagLib::ASF::AttributeList* Attributes(const TagLib::ASF::Tag& tag, const char* name) {
  const auto& map = tag.attributeListMap();
  const auto it = map.find(name);
  return it == map.end() || it->second.isEmpty() ? nullptr : &it->second;
}

// The attribute's value as text, whatever type it was stored with.
std::string AttributeText(const TagLib::ASF::Tag& tag, const char* name) {
  const auto* list = Attributes(tag, name);
  if (!list) return std::string();
  const TagLib::ASF::Attribute& a = list->front();
  switch (a.type()) {
    case TagLib::ASF::Attribute::UnicodeType:
      return FromWidenedTag(a.toString());
    case TagLib::ASF::Attribute::DWordType:
      return std::to_string(a.toUInt());
    case TagLib::ASF::Attribute::QWordType:
      return std::to_string(a.toULongLong());
    case TagLib::ASF::Attribute::WordType:
      return std::to_string(a.toUShort());
    default:
      return std::string();
  }
}

void PutText(TagLib::ASF::Tag& tag, const char* name, const std::string& value) {
  tag.removeItem(name);
  if (!value.empty()) tag.setAttribute(name, TagLib::ASF::Attribute(ToTag(value)));
}

void PutNumber(TagLib::ASF::Tag& tag, const char* name, std::uint32_t value, bool present) {
  tag.removeItem(name);
  if (present) tag.setAttribute(name, TagLib::ASF::Attribute(static_cast<unsigned int>(value)));
}

}  // namespace

void ReadAsf(const TagLib::ASF::Tag& tag, MediaTags& out) {
  out.Text(MediaText::Title) = FromWidenedTag(tag.title());
  out.Text(MediaText::Artist) = FromWidenedTag(tag.artist());
  out.Text(MediaText::Comment) = FromWidenedTag(tag.comment());
  for (const AsfField& f : kAttributeFields) out.Text(f.field) = AttributeText(tag, f.name);
  std::uint32_t total = 0;
  ParseNumberPair(AttributeText(tag, "WM/TrackNumber"), out.Number(MediaNumber::Track), total);
  if (out.Number(MediaNumber::Track) == 0) out.Number(MediaNumber::Track) = ParseUnsigned(AttributeText(tag, "WM/Track"));
  const std::uint32_t totalTracks = ParseUnsigned(AttributeText(tag, "TotalTracks"));
  out.Number(MediaNumber::TrackCount) = totalTracks ? totalTracks : total;
  ParseNumberPair(AttributeText(tag, "WM/PartOfSet"), out.Number(MediaNumber::Disc), out.Number(MediaNumber::DiscCount));
  out.Number(MediaNumber::HighlightStart) = ParseUnsigned(AttributeText(tag, kAsfHighlightStart));
  out.Number(MediaNumber::HighlightLength) = ParseUnsigned(AttributeText(tag, kAsfHighlightLength));

  out.image.clear();
  out.imageMime.clear();
  if (const auto* list = Attributes(tag, "WM/Picture")) {
    bool haveFront = false;
    for (const TagLib::ASF::Attribute& a : *list) {
      const TagLib::ASF::Picture p = a.toPicture();
      if (!p.isValid() || p.picture().isEmpty()) continue;
      const bool front = p.type() == TagLib::ASF::Picture::FrontCover;
      if (!out.image.empty() && (haveFront || !front)) continue;
      const TagLib::ByteVector bytes = p.picture();
      out.image.assign(bytes.begin(), bytes.end());
      out.imageMime = PictureMime(out.image, FromTag(p.mimeType()));
      haveFront = front;
    }
  }
}

void WriteAsf(const MediaTags& in, TagLib::ASF::Tag& tag) {
  tag.setTitle(ToTag(in.Text(MediaText::Title)));
  tag.setArtist(ToTag(in.Text(MediaText::Artist)));
  tag.setComment(ToTag(in.Text(MediaText::Comment)));
  for (const AsfField& f : kAttributeFields) PutText(tag, f.name, in.Text(f.field));
  tag.removeItem("WM/Track");
  PutNumber(tag, "WM/TrackNumber", in.Number(MediaNumber::Track), in.Number(MediaNumber::Track) != 0);
  PutText(tag, "TotalTracks", in.Number(MediaNumber::TrackCount) ? std::to_string(in.Number(MediaNumber::TrackCount)) : "");
  PutText(tag, "WM/PartOfSet", FormatNumberPair(in.Number(MediaNumber::Disc), in.Number(MediaNumber::DiscCount)));
  const std::uint32_t start = in.Number(MediaNumber::HighlightStart);
  const std::uint32_t length = in.Number(MediaNumber::HighlightLength);
  PutNumber(tag, kAsfHighlightStart, start, start || length);
  PutNumber(tag, kAsfHighlightLength, length, start || length);

  tag.removeItem("WM/Picture");
  if (!in.image.empty()) {
    TagLib::ASF::Picture p;
    p.setType(TagLib::ASF::Picture::FrontCover);
    p.setMimeType(ToTag(in.imageMime));
    p.setPicture(TagLib::ByteVector(reinterpret_cast<const char*>(in.image.data()),
                                    static_cast<unsigned int>(in.image.size())));
    tag.setAttribute("WM/Picture", TagLib::ASF::Attribute(p));
  }
}

}  // namespace TYX::Media
