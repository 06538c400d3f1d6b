#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/textidentificationframe.h>
#include <taglib/unsynchronizedlyricsframe.h>

#include "components/media/tag_formats.h"
#include "components/media/taglib_text.h"

namespace TYX::Media {
namespace {

using TagLib::ID3v2::AttachedPictureFrame;
using TagLib::ID3v2::CommentsFrame;
using TagLib::ID3v2::TextIdentificationFrame;
using TagLib::ID3v2::UnsynchronizedLyricsFrame;
using TagLib::ID3v2::UserTextIdentificationFrame;

// The frames a media record owns, as (frame id, text field).
struct TextFrame {
  const char* id;
  MediaText field;
};
constexpr TextFrame kTextFrames[] = {
    {"TIT2", MediaText::Title}, {"TPE1", MediaText::Artist},   {"TALB", MediaText::Album},
    {"TCON", MediaText::Genre}, {"TDRC", MediaText::Year},     {"TCOM", MediaText::Composer},
    {"TPUB", MediaText::Label},
};

// The frames of one id; an empty list when there are none (looked up without adding an entry).
const TagLib::ID3v2::FrameList& FramesOf(const TagLib::ID3v2::Tag& tag, const char* id) {
  static const TagLib::ID3v2::FrameList kNone;
  const auto& map = tag.frameListMap();
  const auto it = map.find(id);
  return it == map.end() ? kNone : it->second;
}

std::string FrameText(const TagLib::ID3v2::Tag& tag, const char* id) {
  const auto& list = FramesOf(tag, id);
  return list.isEmpty() ? std::string() : FromTag(list.front()->toString());
}

std::string UserText(const TagLib::ID3v2::Tag& tag, const char* desc) {
  // find() takes a non-const tag but only reads it.
  auto* frame = UserTextIdentificationFrame::find(const_cast<TagLib::ID3v2::Tag*>(&tag), ToTag(desc));
  if (!frame) return std::string();
  const TagLib::StringList fields = frame->fieldList();
  return fields.size() >= 2 ? FromTag(fields[1]) : std::string();
}

void SetTextFrame(TagLib::ID3v2::Tag& tag, const char* id, const std::string& value) {
  tag.removeFrames(id);
  if (value.empty()) return;
  auto* frame = new TextIdentificationFrame(id, TagLib::String::UTF8);
  frame->setText(ToTag(value));
  tag.addFrame(frame);
}

void SetUserText(TagLib::ID3v2::Tag& tag, const char* desc, const std::string& value) {
  while (auto* old = UserTextIdentificationFrame::find(&tag, ToTag(desc))) tag.removeFrame(old);
  if (value.empty()) return;
  auto* frame = new UserTextIdentificationFrame(TagLib::String::UTF8);
  frame->setDescription(ToTag(desc));
  frame->setText(ToTag(value));
  tag.addFrame(frame);
}

}  // namespace

void ReadId3v2(const TagLib::ID3v2::Tag& tag, MediaTags& out) {
  for (const TextFrame& f : kTextFrames) out.Text(f.field) = FrameText(tag, f.id);
  // The genre may be stored as "(17)" or a number; the tag resolves it.
  out.Text(MediaText::Genre) = FromTag(tag.genre());

  const auto& comments = FramesOf(tag, "COMM");
  out.Text(MediaText::Comment).clear();
  for (auto* frame : comments) {
    auto* c = dynamic_cast<CommentsFrame*>(frame);
    if (c && c->description().isEmpty()) {
      out.Text(MediaText::Comment) = FromTag(c->text());
      break;
    }
  }
  const auto& lyrics = FramesOf(tag, "USLT");
  out.Text(MediaText::Lyrics).clear();
  if (!lyrics.isEmpty()) {
    if (auto* l = dynamic_cast<UnsynchronizedLyricsFrame*>(lyrics.front())) out.Text(MediaText::Lyrics) = FromTag(l->text());
  }
  out.Text(MediaText::ExtraText) = UserText(tag, kId3ExtraDesc);

  ParseNumberPair(FrameText(tag, "TRCK"), out.Number(MediaNumber::Track), out.Number(MediaNumber::TrackCount));
  ParseNumberPair(FrameText(tag, "TPOS"), out.Number(MediaNumber::Disc), out.Number(MediaNumber::DiscCount));
  out.Number(MediaNumber::HighlightStart) = ParseUnsigned(UserText(tag, kId3HighlightStartDesc));
  out.Number(MediaNumber::HighlightLength) = ParseUnsigned(UserText(tag, kId3HighlightLengthDesc));

  out.image.clear();
  out.imageMime.clear();
  const auto& pictures = FramesOf(tag, "APIC");
  AttachedPictureFrame* chosen = nullptr;
  for (auto* frame : pictures) {
    auto* p = dynamic_cast<AttachedPictureFrame*>(frame);
    if (!p || p->picture().isEmpty()) continue;
    if (!chosen || p->type() == AttachedPictureFrame::FrontCover) chosen = p;
    if (p->type() == AttachedPictureFrame::FrontCover) break;
  }
  if (chosen) {
    const TagLib::ByteVector bytes = chosen->picture();
    out.image.assign(bytes.begin(), bytes.end());
    out.imageMime = PictureMime(out.image, FromTag(chosen->mimeType()));
  }
}

void WriteId3v2(const MediaTags& in, TagLib::ID3v2::Tag& tag) {
  for (const TextFrame& f : kTextFrames) SetTextFrame(tag, f.id, in.Text(f.field));
  // Versions before 2.4 keep the year in TYER; it would shadow TDRC for some readers.
  tag.removeFrames("TYER");
  tag.removeFrames("TDAT");
  SetTextFrame(tag, "TRCK", FormatNumberPair(in.Number(MediaNumber::Track), in.Number(MediaNumber::TrackCount)));
  SetTextFrame(tag, "TPOS", FormatNumberPair(in.Number(MediaNumber::Disc), in.Number(MediaNumber::DiscCount)));

  while (auto* old = CommentsFrame::findByDescription(&tag, TagLib::String())) tag.removeFrame(old);
  if (!in.Text(MediaText::Comment).empty()) {
    auto* c = new CommentsFrame(TagLib::String::UTF8);
    c->setLanguage("kor");
    c->setText(ToTag(in.Text(MediaText::Comment)));
    tag.addFrame(c);
  }
  tag.removeFrames("USLT");
  if (!in.Text(MediaText::Lyrics).empty()) {
    auto* l = new UnsynchronizedLyricsFrame(TagLib::String::UTF8);
    l->setLanguage("kor");
    l->setText(ToTag(in.Text(MediaText::Lyrics)));
    tag.addFrame(l);
  }
  SetUserText(tag, kId3ExtraDesc, in.Text(MediaText::ExtraText));
  const std::uint32_t start = in.Number(MediaNumber::HighlightStart);
  const std::uint32_t length = in.Number(MediaNumber::HighlightLength);
  SetUserText(tag, kId3HighlightStartDesc, start || length ? std::to_string(start) : std::string());
  SetUserText(tag, kId3HighlightLengthDesc, start || length ? std::to_string(length) : std::string());

  tag.removeFrames("APIC");
  if (!in.image.empty()) {
    auto* p = new AttachedPictureFrame();
    p->setTextEncoding(TagLib::String::UTF8);
    p->setType(AttachedPictureFrame::FrontCover);
    p->setMimeType(ToTag(in.imageMime));
    p->setPicture(TagLib::ByteVector(reinterpret_cast<const char*>(in.image.data()),
                                     static_cast<unsigned int>(in.image.size())));
    tag.addFrame(p);
  }
}

}  // namespace TYX::Media
