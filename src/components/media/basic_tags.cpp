#include <taglib/tag.h>

#include "components/media/tag_formats.h"
#include "components/media/taglib_text.h"

namespace TYX::Media {

void ReadBasic(const TagLib::Tag& tag, MediaTags& out) {
  out.Text(MediaText::Title) = FromTag(tag.title());
  out.Text(MediaText::Artist) = FromTag(tag.artist());
  out.Text(MediaText::Album) = FromTag(tag.album());
  out.Text(MediaText::Genre) = FromTag(tag.genre());
  out.Text(MediaText::Comment) = FromTag(tag.comment());
  out.Text(MediaText::Year) = tag.year() ? std::to_string(tag.year()) : std::string();
  out.Number(MediaNumber::Track) = tag.track();
}

void MergeBasic(const TagLib::Tag& tag, MediaTags& out) {
  MediaTags basic;
  ReadBasic(tag, basic);
  for (MediaText f : {MediaText::Title, MediaText::Artist, MediaText::Album, MediaText::Genre, MediaText::Comment,
                      MediaText::Year}) {
    if (out.Text(f).empty()) out.Text(f) = basic.Text(f);
  }
  if (out.Number(MediaNumber::Track) == 0) out.Number(MediaNumber::Track) = basic.Number(MediaNumber::Track);
}

void WriteBasic(const MediaTags& in, TagLib::Tag& tag) {
  tag.setTitle(ToTag(in.Text(MediaText::Title)));
  tag.setArtist(ToTag(in.Text(MediaText::Artist)));
  tag.setAlbum(ToTag(in.Text(MediaText::Album)));
  tag.setGenre(ToTag(in.Text(MediaText::Genre)));
  tag.setComment(ToTag(in.Text(MediaText::Comment)));
  // A simple tag keeps the year only: the first four digits of a date.
  tag.setYear(ParseUnsigned(in.Text(MediaText::Year).substr(0, 4)));
  tag.setTrack(in.Number(MediaNumber::Track));
}

}  // namespace TYX::Media
