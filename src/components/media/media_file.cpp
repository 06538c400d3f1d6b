#include "components/media/media_file.h"

#include <taglib/asffile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpegfile.h>
#include <taglib/mpegheader.h>
#include <taglib/tfilestream.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>

#include <cstdio>

#include "components/media/tag_formats.h"
#include "components/media/taglib_text.h"
#include "util/file_name.h"

namespace TYX::Media {
namespace {

std::string ChannelText(std::uint32_t channels) {
  if (channels == 1) return "Mono";
  if (channels == 2) return "Stereo";
  return std::to_string(channels) + " Channels";
}

void FillCommonFacts(const TagLib::AudioProperties& p, StreamFacts& facts) {
  facts.durationMs = static_cast<std::uint32_t>(p.lengthInMilliseconds() > 0 ? p.lengthInMilliseconds() : 0);
  facts.bitRate = static_cast<std::uint32_t>(p.bitrate() > 0 ? p.bitrate() : 0) * 1000u;
  facts.sampleRate = static_cast<std::uint32_t>(p.sampleRate() > 0 ? p.sampleRate() : 0);
  facts.channels = static_cast<std::uint32_t>(p.channels() > 0 ? p.channels() : 0);
  facts.channelText = ChannelText(facts.channels);
}

bool CredibleStream(const TagLib::AudioProperties* p, std::string& error) {
  if (!p || p->sampleRate() <= 0 || p->channels() <= 0) {
    error = "no audio stream found";
    return false;
  }
  return true;
}

// Three frame headers in a row, starting at the first frame TagLib found: each header read with its
// length checked also tests the header that follows it.
bool MpegFramesChain(TagLib::MPEG::File& file) {
  long offset = file.firstFrameOffset();
  if (offset < 0) return false;
  for (int i = 0; i < 2; ++i) {
    const TagLib::MPEG::Header header(&file, offset, true);
    if (!header.isValid() || header.frameLength() <= 0) return false;
    offset += header.frameLength();
  }
  return true;
}

std::string MpegFormatText(const TagLib::MPEG::Properties& p) {
  const char* version = "1";
  if (p.version() == TagLib::MPEG::Header::Version2) version = "2";
  if (p.version() == TagLib::MPEG::Header::Version2_5) version = "2.5";
  return std::string("MPEG-") + version + " Layer " + std::to_string(p.layer());
}

std::string MpegChannelText(const TagLib::MPEG::Properties& p) {
  switch (p.channelMode()) {
    case TagLib::MPEG::Header::Stereo: return "Stereo";
    case TagLib::MPEG::Header::JointStereo: return "Joint Stereo";
    case TagLib::MPEG::Header::DualChannel: return "Dual Channel";
    case TagLib::MPEG::Header::SingleChannel: return "Mono";
  }
  return "Stereo";
}

bool ReadMp3(TagLib::MPEG::File& f, bool withImage, MediaTags& tags, StreamFacts& facts, std::string& error) {
  if (!f.isValid() || !CredibleStream(f.audioProperties(), error) || !MpegFramesChain(f)) {
    if (error.empty()) error = "no MPEG audio frames found";
    return false;
  }
  const TagLib::MPEG::Properties* p = f.audioProperties();
  FillCommonFacts(*p, facts);
  facts.formatText = MpegFormatText(*p);
  facts.channelText = MpegChannelText(*p);
  if (f.hasID3v2Tag()) {
    ReadId3v2(*f.ID3v2Tag(), tags);
  } else if (f.hasID3v1Tag()) {
    ReadBasic(*f.ID3v1Tag(), tags);
  }
  if (!withImage) tags.image.clear();
  return true;
}

bool ReadOgg(TagLib::Ogg::Vorbis::File& f, bool withImage, MediaTags& tags, StreamFacts& facts, std::string& error) {
  if (!f.isValid() || !CredibleStream(f.audioProperties(), error)) {
    if (error.empty()) error = "not an Ogg Vorbis stream";
    return false;
  }
  FillCommonFacts(*f.audioProperties(), facts);
  // The rate the stream was encoded for; the measured average of a quiet stream says little.
  if (f.audioProperties()->bitrateNominal() > 0) {
    facts.bitRate = static_cast<std::uint32_t>(f.audioProperties()->bitrateNominal());
  }
  facts.formatText = "Ogg Vorbis";
  if (f.tag()) ReadXiph(*f.tag(), tags);
  if (!withImage) tags.image.clear();
  return true;
}

bool ReadAsfFile(TagLib::ASF::File& f, bool withImage, MediaTags& tags, StreamFacts& facts, std::string& error) {
  if (!f.isValid() || !CredibleStream(f.audioProperties(), error)) {
    if (error.empty()) error = "not an ASF stream";
    return false;
  }
  const TagLib::ASF::Properties* p = f.audioProperties();
  FillCommonFacts(*p, facts);
  const std::string codec = FromTag(p->codecName());
  facts.formatText = codec.empty() ? std::string("Windows Media Audio") : codec;
  if (f.tag()) ReadAsf(*f.tag(), tags);
  if (!withImage) tags.image.clear();
  return true;
}

bool ReadWav(TagLib::RIFF::WAV::File& f, bool withImage, MediaTags& tags, StreamFacts& facts, std::string& error) {
  if (!f.isValid() || !CredibleStream(f.audioProperties(), error)) {
    if (error.empty()) error = "not a RIFF WAVE file";
    return false;
  }
  const TagLib::RIFF::WAV::Properties* p = f.audioProperties();
  FillCommonFacts(*p, facts);
  // PCM rates are exact (1411200 for CD audio); TagLib rounds them to whole kbit/s.
  if (p->bitsPerSample() > 0 && (facts.bitRate == 0 || p->format() == 1)) {
    facts.bitRate = facts.sampleRate * facts.channels * static_cast<std::uint32_t>(p->bitsPerSample());
  }
  facts.formatText = p->format() == 1 ? "PCM " + std::to_string(p->bitsPerSample()) + "-bit"
                                      : "WAVE format " + std::to_string(p->format());
  if (f.hasID3v2Tag()) {
    ReadId3v2(*f.ID3v2Tag(), tags);
  } else if (f.hasInfoTag()) {
    ReadBasic(*f.InfoTag(), tags);
  }
  if (!withImage) tags.image.clear();
  return true;
}

}  // namespace

std::optional<MediaFormat> FormatOfPath(const std::string& path) {
  const std::string ext = Util::ToLowerAscii(Util::GetFileExt(path));
  if (ext == "mp3") return MediaFormat::MP3;
  if (ext == "ogg") return MediaFormat::OGG;
  if (ext == "wma" || ext == "asf") return MediaFormat::ASF;
  if (ext == "wav") return MediaFormat::WAV;
  return std::nullopt;
}

bool ReadMediaFile(const std::string& path, MediaFormat format, bool withImage, MediaTags& tags,
                   StreamFacts& facts, std::string& error) {
  // Opened read-only, so a parse can never write.
  TagLib::FileStream stream(path.c_str(), true);
  if (!stream.isOpen()) {
    error = "cannot open the file: " + path;
    return false;
  }
  facts.fileSize = static_cast<std::uint64_t>(stream.length() > 0 ? stream.length() : 0);
  bool ok = false;
  switch (format) {
    case MediaFormat::MP3: {
      TagLib::MPEG::File f(&stream, TagLib::ID3v2::FrameFactory::instance(), true);
      ok = ReadMp3(f, withImage, tags, facts, error);
      break;
    }
    case MediaFormat::OGG: {
      TagLib::Ogg::Vorbis::File f(&stream, true);
      ok = ReadOgg(f, withImage, tags, facts, error);
      break;
    }
    case MediaFormat::ASF: {
      TagLib::ASF::File f(&stream, true);
      ok = ReadAsfFile(f, withImage, tags, facts, error);
      break;
    }
    case MediaFormat::WAV: {
      TagLib::RIFF::WAV::File f(&stream, true);
      ok = ReadWav(f, withImage, tags, facts, error);
      break;
    }
  }
  if (!ok && error.empty()) error = "the file cannot be parsed";
  return ok;
}

bool WriteMediaFile(const std::string& path, MediaFormat format, const MediaTags& tags, std::string& error) {
  MediaTags ignored;
  StreamFacts facts;
  switch (format) {
    case MediaFormat::MP3: {
      TagLib::MPEG::File f(path.c_str(), true);
      if (f.readOnly() || !ReadMp3(f, false, ignored, facts, error)) break;
      WriteId3v2(tags, *f.ID3v2Tag(true));
      int which = TagLib::MPEG::File::ID3v2;
      if (f.hasID3v1Tag()) {
        WriteBasic(tags, *f.ID3v1Tag());
        which |= TagLib::MPEG::File::ID3v1;
      }
      if (f.save(which, TagLib::File::StripNone, TagLib::ID3v2::v4, TagLib::File::DoNotDuplicate)) return true;
      error = "the tags could not be saved";
      return false;
    }
    case MediaFormat::OGG: {
      TagLib::Ogg::Vorbis::File f(path.c_str(), true);
      if (f.readOnly() || !ReadOgg(f, false, ignored, facts, error)) break;
      WriteXiph(tags, *f.tag());
      if (f.save()) return true;
      error = "the tags could not be saved";
      return false;
    }
    case MediaFormat::ASF: {
      TagLib::ASF::File f(path.c_str(), true);
      if (f.readOnly() || !ReadAsfFile(f, false, ignored, facts, error)) break;
      WriteAsf(tags, *f.tag());
      if (f.save()) return true;
      error = "the tags could not be saved";
      return false;
    }
    case MediaFormat::WAV: {
      TagLib::RIFF::WAV::File f(path.c_str(), true);
      if (f.readOnly() || !ReadWav(f, false, ignored, facts, error)) break;
      WriteId3v2(tags, *f.ID3v2Tag());
      WriteBasic(tags, *f.InfoTag());
      if (f.save(TagLib::RIFF::WAV::File::AllTags, TagLib::File::StripNone, TagLib::ID3v2::v4)) return true;
      error = "the tags could not be saved";
      return false;
    }
  }
  if (error.empty()) error = "the file cannot be written: " + path;
  return false;
}

}  // namespace TYX::Media
