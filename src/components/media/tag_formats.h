#pragma once
// Reading and writing the media record in each tag format. Writers replace every field they own, so an
// empty text or a zero number removes the field, and leave frames they do not know alone.
#include "components/media/media_record.h"

namespace TagLib {
class Tag;
namespace ID3v2 {
class Tag;
}
namespace Ogg {
class XiphComment;
}
namespace ASF {
class Tag;
}
namespace MP4 {
class Tag;
}
namespace FLAC {
class Picture;
}
}  // namespace TagLib

namespace TYX::Media {

void ReadId3v2(const TagLib::ID3v2::Tag& tag, MediaTags& out);
void WriteId3v2(const MediaTags& in, TagLib::ID3v2::Tag& tag);

void ReadXiph(TagLib::Ogg::XiphComment& tag, MediaTags& out);
void WriteXiph(const MediaTags& in, TagLib::Ogg::XiphComment& tag);

void ReadMp4(const TagLib::MP4::Tag& tag, MediaTags& out);
void WriteMp4(const MediaTags& in, TagLib::MP4::Tag& tag);

// A new front-cover picture of the record's image (the caller takes ownership); null when there is none.
TagLib::FLAC::Picture* NewFrontCover(const MediaTags& in);

void ReadAsf(const TagLib::ASF::Tag& tag, MediaTags& out);
void WriteAsf(const MediaTags& in, TagLib::ASF::Tag& tag);

// The basic fields of a simple tag (ID3v1, RIFF INFO): title, artist, album, genre, year, comment,
// track.
void ReadBasic(const TagLib::Tag& tag, MediaTags& out);
// Fills the basic fields that are still empty (or zero) from a simple tag kept beside a richer one.
void MergeBasic(const TagLib::Tag& tag, MediaTags& out);
void WriteBasic(const MediaTags& in, TagLib::Tag& tag);

}  // namespace TYX::Media
