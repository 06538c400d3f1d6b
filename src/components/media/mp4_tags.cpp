#include <taglib/mp4coverart.h>
#include <taglib/mp4item.h>
#include <taglib/mp4tag.h>

#include "components/media/tag_formats.h"
#include "components/media/taglib_text.h"

namespace TYX::Media {
namespace {

struct Mp4Field {
  MediaText field;
  const char* key;
};
// The genre is apart: other taggers may store it as an ID3v1 genre number ("gnre") instead.
constexpr Mp4Field kMp4Texts[] = {
    {MediaText::Title, "\251nam"},    {MediaText::Artist, "\251ART"},    {MediaText::Album, "\251alb"},
    {MediaText::Year, "\251day"},     {MediaText::Comment, "\251cmt"},   {MediaText::Composer, "\251wrt"},
    {MediaText::Lyrics, "\251lyr"},   {MediaText::Label, kMp4Label},      {MediaText::ExtraText, kMp4Extra},
};

// Item keys are Latin-1: "\251" is the copyright sign that starts the iTunes names.
TagLib::String Key(const char* key) { return TagLib::String(key, TagLib::String::Latin1); }

std::string ItemText(const TagLib::MP4::Tag& tag, const char* key) {
  if (!tag.contains(Key(key))) return std::string();
  const TagLib::StringList list = tag.item(Key(key)).toStringList();
  return list.isEmpty() ? std::string() : FromTag(list.front());
}

void PutText(TagLib::MP4::Tag& tag, const char* key, const std::string& value) {
  tag.removeItem(Key(key));
  if (!value.empty()) tag.setItem(Key(key), TagLib::MP4::Item(TagLib::StringList(ToTag(value))));
}

void PutPair(TagLib::MP4::Tag& tag, const char* key, std::uint32_t number, std::uint32_t total) {
  tag.removeItem(Key(key));
  if (number || total) tag.setItem(Key(key), TagLib::MP4::Item(static_cast<int>(number), static_cast<int>(total)));
}

void ReadPair(const TagLib::MP4::Tag& tag, const char* key, std::uint32_t& number, std::uint32_t& total) {
  number = total = 0;
  if (!tag.contains(Key(key))) return;
  const TagLib::MP4::Item::IntPair pair = tag.item(Key(key)).toIntPair();
  number = pair.first > 0 ? static_cast<std::uint32_t>(pair.first) : 0;
  total = pair.second > 0 ? static_cast<std::uint32_t>(pair.second) : 0;
}

std::string CoverMime(TagLib::MP4::CoverArt::Format format) {
  switch (format) {
    case TagLib::MP4::CoverArt::JPEG: return "image/jpeg";
    case TagLib::MP4::CoverArt::PNG: return "image/png";
    case TagLib::MP4::CoverArt::BMP: return "image/bmp";
    case TagLib::MP4::CoverArt::GIF: return "image/gif";
    default: return std::string();
  }
}

TagLib::MP4::CoverArt::Format CoverFormat(const std::string& mime) {
  if (mime == "image/png") return TagLib::MP4::CoverArt::PNG;
  if (mime == "image/bmp") return TagLib::MP4::CoverArt::BMP;
  if (mime == "image/gif") return TagLib::MP4::CoverArt::GIF;
  if (mime == "image/jpeg") return TagLib::MP4::CoverArt::JPEG;
  return TagLib::MP4::CoverArt::Unknown;
}

}  // namespace

void ReadMp4(const TagLib::MP4::Tag& tag, MediaTags& out) {
  for (const Mp4Field& f : kMp4Texts) out.Text(f.field) = ItemText(tag, f.key);
  // TagLib reads a genre stored as an ID3v1 number ("gnre") into the text item.
  out.Text(MediaText::Genre) = ItemText(tag, "\251gen");
  ReadPair(tag, "trkn", out.Number(MediaNumber::Track), out.Number(MediaNumber::TrackCount));
  ReadPair(tag, "disk", out.Number(MediaNumber::Disc), out.Number(MediaNumber::DiscCount));
  out.Number(MediaNumber::HighlightStart) = ParseUnsigned(ItemText(tag, kMp4HighlightStart));
  out.Number(MediaNumber::HighlightLength) = ParseUnsigned(ItemText(tag, kMp4HighlightLength));

  out.image.clear();
  out.imageMime.clear();
  if (tag.contains("covr")) {
    for (const TagLib::MP4::CoverArt& art : tag.item("covr").toCoverArtList()) {
      if (art.data().isEmpty()) continue;
      const TagLib::ByteVector bytes = art.data();
      out.image.assign(bytes.begin(), bytes.end());
      out.imageMime = PictureMime(out.image, CoverMime(art.format()));
      break;  // MP4 covers carry no picture type; the first is the front
    }
  }
}

void WriteMp4(const MediaTags& in, TagLib::MP4::Tag& tag) {
  for (const Mp4Field& f : kMp4Texts) PutText(tag, f.key, in.Text(f.field));
  tag.removeItem("gnre");
  PutText(tag, "\251gen", in.Text(MediaText::Genre));
  PutPair(tag, "trkn", in.Number(MediaNumber::Track), in.Number(MediaNumber::TrackCount));
  PutPair(tag, "disk", in.Number(MediaNumber::Disc), in.Number(MediaNumber::DiscCount));
  const std::uint32_t start = in.Number(MediaNumber::HighlightStart);
  const std::uint32_t length = in.Number(MediaNumber::HighlightLength);
  PutText(tag, kMp4HighlightStart, start || length ? std::to_string(start) : std::string());
  PutText(tag, kMp4HighlightLength, start || length ? std::to_string(length) : std::string());

  tag.removeItem("covr");
  if (!in.image.empty()) {
    TagLib::MP4::CoverArtList covers;
    covers.append(TagLib::MP4::CoverArt(
        CoverFormat(in.imageMime),
        TagLib::ByteVector(reinterpret_cast<const char*>(in.image.data()), static_cast<unsigned int>(in.image.size()))));
    tag.setItem("covr", TagLib::MP4::Item(covers));
  }
}

}  // namespace TYX::Media
