#include "components/media/media_file.h"

#include <taglib/asffile.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/flacproperties.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpegfile.h>
#include <taglib/mp4file.h>
#include <taglib/mpegheader.h>
#include <taglib/opusfile.h>
#include <taglib/tfilestream.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "components/media/checked_file_stream.h"
#include "components/media/read_only_file_stream.h"
#include "components/media/legacy_text.h"
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

// The audio from the first frame to the end of the last whole frame.
std::uint64_t MpegAudioLength(TagLib::MPEG::File& f) {
  const long size = f.length();
  const long first = f.firstFrameOffset();
  const long last = f.lastFrameOffset();
  if (first < 0 || last < first) return 0;
  long end = last;
  const TagLib::MPEG::Header header(&f, last, false);
  if (header.isValid() && header.frameLength() > 0 && last + header.frameLength() <= size) end += header.frameLength();
  return static_cast<std::uint64_t>(end - first);
}

// The granule position of the last whole page: where the stream ends, counted in samples.
std::uint64_t OggLastGranule(TagLib::File& s) {
  const long size = s.length();
  std::uint64_t last = 0;
  for (long pos = 0; pos + 27 <= size;) {
    s.seek(pos);
    const TagLib::ByteVector header = s.readBlock(27);
    if (header.size() != 27 || !header.startsWith("OggS")) break;
    const unsigned int segments = static_cast<unsigned char>(header[26]);
    const TagLib::ByteVector lacing = s.readBlock(segments);
    if (lacing.size() != segments) break;
    long body = 0;
    for (const char c : lacing) body += static_cast<unsigned char>(c);
    const long whole = 27 + static_cast<long>(segments) + body;
    if (pos + whole > size) break;
    const auto granule = static_cast<std::uint64_t>(header.toLongLong(6, false));
    if (granule != ~std::uint64_t{0}) last = granule;
    pos += whole;
  }
  return last;
}

// The bytes of the data object that follows the ASF header object and are present in the file.
std::uint64_t AsfDataLength(TagLib::File& s) {
  static const unsigned char kDataObject[16] = {0x36, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                                0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
  const auto size = static_cast<std::uint64_t>(s.length());
  s.seek(16);
  const TagLib::ByteVector headerSize = s.readBlock(8);
  if (headerSize.size() != 8) return 0;
  const auto at = static_cast<std::uint64_t>(headerSize.toLongLong(0, false));
  if (at < 30 || at > size || size - at < 24) return 0;
  s.seek(static_cast<long>(at));
  const TagLib::ByteVector data = s.readBlock(24);
  if (data.size() != 24 || !data.startsWith(TagLib::ByteVector(reinterpret_cast<const char*>(kDataObject), 16))) {
    return 0;
  }
  const auto declared = static_cast<std::uint64_t>(data.toLongLong(16, false));
  const std::uint64_t present = size - at;
  return declared == 0 || declared > present ? present : declared;
}

// The bytes of the "data" chunk present in the file.
std::uint64_t WavDataLength(TagLib::File& s) {
  const auto size = static_cast<std::uint64_t>(s.length());
  for (std::uint64_t pos = 12; pos + 8 <= size;) {
    s.seek(static_cast<long>(pos));
    const TagLib::ByteVector header = s.readBlock(8);
    if (header.size() != 8) break;
    const std::uint64_t chunk = header.toUInt(4, false);
    if (header.startsWith("data")) return std::min(chunk, size - pos - 8);
    pos += 8 + chunk + (chunk & 1);
  }
  return 0;
}

// ASF objects are a GUID, a 64-bit size that counts the GUID and itself, and a body.
constexpr unsigned char kAsfHeaderExtension[16] = {0xB5, 0x03, 0xBF, 0x5F, 0x2E, 0xA9, 0xCF, 0x11,
                                                   0x8E, 0xE3, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr unsigned char kAsfExtendedContent[16] = {0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11,
                                                   0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50};
constexpr unsigned char kAsfMetadata[16] = {0xEA, 0xCB, 0xF8, 0xC5, 0xAF, 0x5B, 0x77, 0x48,
                                            0x84, 0x67, 0xAA, 0x8C, 0x44, 0xFA, 0x4C, 0xCA};
constexpr unsigned char kAsfMetadataLibrary[16] = {0x94, 0x1C, 0x23, 0x44, 0x98, 0x94, 0xD1, 0x49,
                                                   0xA1, 0x41, 0x1D, 0x13, 0x4E, 0x45, 0x70, 0x54};

bool IsGuid(const TagLib::ByteVector& block, const unsigned char (&guid)[16]) {
  return block.size() >= 16 && std::equal(guid, guid + 16, reinterpret_cast<const unsigned char*>(block.data()));
}

// Every object from `pos` to `end` fits, and every list of attributes (a 16-bit count after the
// object's 24 bytes) has room for its count at the smallest record size: TagLib reads as many records
// as a count says, past the object and the file, and would keep tens of thousands of empty ones.
bool AsfObjectsFit(TagLib::IOStream& s, std::uint64_t pos, std::uint64_t end, std::uint64_t objects,
                   int depth) {
  for (std::uint64_t i = 0; pos < end && i < objects; ++i) {
    if (end - pos < 24) return false;
    s.seek(static_cast<long>(pos));
    const TagLib::ByteVector head = s.readBlock(26);
    if (head.size() < 24) return false;
    const auto size = static_cast<std::uint64_t>(head.toLongLong(16, false));
    if (size < 24 || size > end - pos) return false;
    std::uint64_t smallest = 0;
    if (IsGuid(head, kAsfExtendedContent)) smallest = 6;
    if (depth > 0 && (IsGuid(head, kAsfMetadata) || IsGuid(head, kAsfMetadataLibrary))) smallest = 12;
    if (smallest != 0) {
      if (head.size() < 26 || size < 26) return false;
      if (static_cast<std::uint64_t>(head.toUShort(24, false)) * smallest > size - 26) return false;
    }
    // The header extension: 22 bytes of its own, then objects of the same form.
    if (depth == 0 && IsGuid(head, kAsfHeaderExtension) && size >= 46 &&
        !AsfObjectsFit(s, pos + 46, pos + size, ~std::uint64_t{0}, 1)) {
      return false;
    }
    pos += size;
  }
  return true;
}

bool AsfHeaderFits(TagLib::IOStream& s) {
  const auto length = static_cast<std::uint64_t>(s.length());
  s.seek(0);
  const TagLib::ByteVector header = s.readBlock(30);
  s.seek(0);
  if (header.size() < 30) return true;  // too short for TagLib to take
  const auto size = static_cast<std::uint64_t>(header.toLongLong(16, false));
  const std::uint64_t objects = header.toUInt(24, false);
  const bool fits = size >= 30 && size <= length && AsfObjectsFit(s, 30, size, objects, 0);
  s.seek(0);
  return fits;
}

// The bytes of FLAC frames: from the end of the metadata blocks to the end of the file, less an ID3v1
// tag at the end. An ID3v2 tag may come before "fLaC".
std::uint64_t FlacAudioLength(TagLib::File& s) {
  const auto size = static_cast<std::uint64_t>(s.length());
  std::uint64_t pos = 0;
  s.seek(0);
  const TagLib::ByteVector id3 = s.readBlock(10);
  if (id3.size() == 10 && id3.startsWith("ID3")) {
    pos = 10 + ((static_cast<std::uint64_t>(id3[6]) & 0x7F) << 21 | (static_cast<std::uint64_t>(id3[7]) & 0x7F) << 14 |
                (static_cast<std::uint64_t>(id3[8]) & 0x7F) << 7 | (static_cast<std::uint64_t>(id3[9]) & 0x7F));
    if (static_cast<unsigned char>(id3[5]) & 0x10) pos += 10;
  }
  s.seek(static_cast<long>(pos));
  if (s.readBlock(4) != TagLib::ByteVector("fLaC", 4)) return 0;
  pos += 4;
  for (bool last = false; !last;) {
    if (pos + 4 > size) return 0;
    s.seek(static_cast<long>(pos));
    const TagLib::ByteVector header = s.readBlock(4);
    if (header.size() != 4) return 0;
    last = (static_cast<unsigned char>(header[0]) & 0x80) != 0;
    pos += 4 + header.toUInt(1U, 3U, true);
  }
  if (pos > size) return 0;
  std::uint64_t end = size;
  if (size >= pos + 128) {
    s.seek(static_cast<long>(size - 128));
    if (s.readBlock(3) == TagLib::ByteVector("TAG", 3)) end -= 128;
  }
  return end - pos;
}

// The bytes of the top-level "mdat" atoms present in the file.
std::uint64_t Mp4MediaLength(TagLib::File& s) {
  const auto size = static_cast<std::uint64_t>(s.length());
  std::uint64_t total = 0;
  for (std::uint64_t pos = 0; pos + 8 <= size;) {
    s.seek(static_cast<long>(pos));
    const TagLib::ByteVector header = s.readBlock(16);
    if (header.size() < 8) break;
    std::uint64_t atom = header.toUInt(0U, true);
    if (atom == 1) {
      if (header.size() < 16) break;
      atom = static_cast<std::uint64_t>(header.toLongLong(8U, true));
    } else if (atom == 0) {
      atom = size - pos;
    }
    if (atom < 8) break;
    const std::uint64_t present = std::min(atom, size - pos);
    if (header.mid(4, 4) == TagLib::ByteVector("mdat", 4)) total += present;
    pos += atom;
  }
  return total;
}

// The record of each format, read from every tag the file carries: the richer tag first, the simple
// one (ID3v1, RIFF INFO) for the fields the richer one lacks. Writing reads the same way, so what a
// save expects and what a fresh read finds are comparable.
void ReadMp3Tags(TagLib::MPEG::File& f, MediaTags& tags) {
  tags = MediaTags{};
  if (const TagLib::ID3v2::Tag* v2 = f.ID3v2Tag()) ReadId3v2(*v2, tags);
  if (const TagLib::ID3v1::Tag* v1 = f.ID3v1Tag()) MergeBasic(*v1, tags);
}

void ReadWavTags(TagLib::RIFF::WAV::File& f, MediaTags& tags) {
  tags = MediaTags{};
  if (const TagLib::ID3v2::Tag* v2 = f.ID3v2Tag()) ReadId3v2(*v2, tags);
  if (const TagLib::RIFF::Info::Tag* info = f.InfoTag()) MergeBasic(*info, tags);
}

void ReadOggTags(TagLib::Ogg::Vorbis::File& f, MediaTags& tags) {
  tags = MediaTags{};
  if (f.tag()) ReadXiph(*f.tag(), tags);
}

void ReadAsfTags(TagLib::ASF::File& f, MediaTags& tags) {
  tags = MediaTags{};
  if (f.tag()) ReadAsf(*f.tag(), tags);
}

// FLAC keeps pictures in blocks of their own; a picture in the comment (as Ogg keeps them) is read
// when there is no such block.
void ReadFlacTags(TagLib::FLAC::File& f, MediaTags& tags) {
  tags = MediaTags{};
  if (f.hasXiphComment()) ReadXiph(*f.xiphComment(), tags);
  TagLib::FLAC::Picture* chosen = nullptr;
  for (TagLib::FLAC::Picture* p : f.pictureList()) {
    if (p->data().isEmpty()) continue;
    if (!chosen || p->type() == TagLib::FLAC::Picture::FrontCover) chosen = p;
    if (p->type() == TagLib::FLAC::Picture::FrontCover) break;
  }
  if (chosen) {
    const TagLib::ByteVector bytes = chosen->data();
    tags.image.assign(bytes.begin(), bytes.end());
    tags.imageMime = PictureMime(tags.image, FromTag(chosen->mimeType()));
  }
  if (const TagLib::ID3v1::Tag* v1 = f.ID3v1Tag()) MergeBasic(*v1, tags);
}

void ReadMp4Tags(TagLib::MP4::File& f, MediaTags& tags) {
  tags = MediaTags{};
  if (f.tag()) ReadMp4(*f.tag(), tags);
}

void ReadOpusTags(TagLib::Ogg::Opus::File& f, MediaTags& tags) {
  tags = MediaTags{};
  if (f.tag()) ReadXiph(*f.tag(), tags);
}

bool ReadMp3(TagLib::MPEG::File& f, bool withImage, bool measure, MediaTags& tags, StreamFacts& facts,
              std::string& error) {
  if (!f.isValid() || !CredibleStream(f.audioProperties(), error) || !MpegFramesChain(f)) {
    if (error.empty()) error = "no MPEG audio frames found";
    return false;
  }
  const TagLib::MPEG::Properties* p = f.audioProperties();
  FillCommonFacts(*p, facts);
  facts.formatText = MpegFormatText(*p);
  facts.channelText = MpegChannelText(*p);
  if (measure) facts.audioLength = MpegAudioLength(f);
  ReadMp3Tags(f, tags);
  if (!withImage) tags.image.clear();
  return true;
}

bool ReadOgg(TagLib::Ogg::Vorbis::File& f, bool withImage, bool measure, MediaTags& tags, StreamFacts& facts,
              std::string& error) {
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
  if (measure) facts.audioLength = OggLastGranule(f);
  ReadOggTags(f, tags);
  if (!withImage) tags.image.clear();
  return true;
}

bool ReadAsfFile(TagLib::ASF::File& f, bool withImage, bool measure, MediaTags& tags, StreamFacts& facts,
                  std::string& error) {
  if (!f.isValid() || !CredibleStream(f.audioProperties(), error)) {
    if (error.empty()) error = "not an ASF stream";
    return false;
  }
  const TagLib::ASF::Properties* p = f.audioProperties();
  FillCommonFacts(*p, facts);
  const std::string codec = FromTag(p->codecName());
  facts.formatText = codec.empty() ? std::string("Windows Media Audio") : codec;
  if (measure) facts.audioLength = AsfDataLength(f);
  ReadAsfTags(f, tags);
  if (!withImage) tags.image.clear();
  return true;
}

bool ReadWav(TagLib::RIFF::WAV::File& f, bool withImage, bool measure, MediaTags& tags, StreamFacts& facts,
              std::string& error) {
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
  if (measure) facts.audioLength = WavDataLength(f);
  ReadWavTags(f, tags);
  if (!withImage) tags.image.clear();
  return true;
}

bool ReadFlac(TagLib::FLAC::File& f, bool withImage, bool measure, MediaTags& tags, StreamFacts& facts,
              std::string& error) {
  if (!f.isValid() || !CredibleStream(f.audioProperties(), error)) {
    if (error.empty()) error = "not a FLAC stream";
    return false;
  }
  const TagLib::FLAC::Properties* p = f.audioProperties();
  FillCommonFacts(*p, facts);
  facts.formatText = "FLAC " + std::to_string(p->bitsPerSample()) + "-bit";
  if (measure) facts.audioLength = FlacAudioLength(f);
  ReadFlacTags(f, tags);
  if (!withImage) tags.image.clear();
  return true;
}

bool ReadMp4File(TagLib::MP4::File& f, bool withImage, bool measure, MediaTags& tags, StreamFacts& facts,
                 std::string& error) {
  if (!f.isValid() || !CredibleStream(f.audioProperties(), error)) {
    if (error.empty()) error = "not an MP4 audio file";
    return false;
  }
  const TagLib::MP4::Properties* p = f.audioProperties();
  FillCommonFacts(*p, facts);
  facts.formatText = p->codec() == TagLib::MP4::Properties::ALAC ? "ALAC" : p->codec() == TagLib::MP4::Properties::AAC ? "AAC" : "MP4 audio";
  if (measure) facts.audioLength = Mp4MediaLength(f);
  ReadMp4Tags(f, tags);
  if (!withImage) tags.image.clear();
  return true;
}

bool ReadOpus(TagLib::Ogg::Opus::File& f, bool withImage, bool measure, MediaTags& tags, StreamFacts& facts,
              std::string& error) {
  if (!f.isValid() || !CredibleStream(f.audioProperties(), error)) {
    if (error.empty()) error = "not an Ogg Opus stream";
    return false;
  }
  FillCommonFacts(*f.audioProperties(), facts);
  // The header pages alone (a file cut short after them) hold no audio to play.
  if (facts.durationMs == 0) {
    error = "the Ogg Opus stream holds no audio";
    return false;
  }
  facts.formatText = "Ogg Opus";
  if (measure) facts.audioLength = OggLastGranule(f);
  ReadOpusTags(f, tags);
  if (!withImage) tags.image.clear();
  return true;
}

}  // namespace

std::optional<MediaFormat> FormatOfPath(const std::string& path) {
  // Native names: "\\" is an ordinary character, only "/" separates folders.
  std::string ext = Util::ToLowerAscii(std::filesystem::path(path).extension().string());
  if (!ext.empty()) ext.erase(0, 1);
  if (ext == "mp3") return MediaFormat::MP3;
  if (ext == "ogg") return MediaFormat::OGG;
  if (ext == "wma" || ext == "asf") return MediaFormat::ASF;
  if (ext == "wav") return MediaFormat::WAV;
  if (ext == "flac") return MediaFormat::FLAC;
  if (ext == "m4a") return MediaFormat::MP4;
  if (ext == "opus") return MediaFormat::OPUS;
  return std::nullopt;
}

bool ReadMediaFile(const std::string& path, MediaFormat format, bool withImage, MediaTags& tags,
                   StreamFacts& facts, std::string& error, bool measureAudio) {
  InstallLegacyTextHandlers();
  // Opened read-only, so a parse can never write; only a regular file is taken.
  ReadOnlyFileStream stream(path);
  if (!stream.isOpen()) {
    error = stream.ErrorNumber() == ENOENT ? "no such file: " + path : stream.Error();
    return false;
  }
  facts.fileSize = static_cast<std::uint64_t>(stream.length() > 0 ? stream.length() : 0);
  bool ok = false;
  switch (format) {
    case MediaFormat::MP3: {
      TagLib::MPEG::File f(&stream, TagLib::ID3v2::FrameFactory::instance(), true);
      ok = ReadMp3(f, withImage, measureAudio, tags, facts, error);
      break;
    }
    case MediaFormat::OGG: {
      TagLib::Ogg::Vorbis::File f(&stream, true);
      ok = ReadOgg(f, withImage, measureAudio, tags, facts, error);
      break;
    }
    case MediaFormat::ASF: {
      if (!AsfHeaderFits(stream)) {
        error = "the ASF header is damaged: " + path;
        break;
      }
      TagLib::ASF::File f(&stream, true);
      ok = ReadAsfFile(f, withImage, measureAudio, tags, facts, error);
      break;
    }
    case MediaFormat::WAV: {
      TagLib::RIFF::WAV::File f(&stream, true);
      ok = ReadWav(f, withImage, measureAudio, tags, facts, error);
      break;
    }
    case MediaFormat::FLAC: {
      TagLib::FLAC::File f(&stream, TagLib::ID3v2::FrameFactory::instance(), true);
      ok = ReadFlac(f, withImage, measureAudio, tags, facts, error);
      break;
    }
    case MediaFormat::MP4: {
      TagLib::MP4::File f(&stream, true);
      ok = ReadMp4File(f, withImage, measureAudio, tags, facts, error);
      break;
    }
    case MediaFormat::OPUS: {
      TagLib::Ogg::Opus::File f(&stream, true);
      ok = ReadOpus(f, withImage, measureAudio, tags, facts, error);
      break;
    }
  }
  if (!ok && error.empty()) error = "the file cannot be parsed";
  return ok;
}

bool WriteMediaFile(const std::string& path, MediaFormat format, const MediaTags& tags, MediaTags& expected,
                    std::string& error) {
  InstallLegacyTextHandlers();
  CheckedFileStream stream(path);
  if (!stream.isOpen()) {
    error = stream.Error();
    return false;
  }
  MediaTags ignored;
  StreamFacts facts;
  bool parsed = false;
  bool saved = false;
  // Each file object is gone before the stream is flushed and closed.
  switch (format) {
    case MediaFormat::MP3: {
      TagLib::MPEG::File f(&stream, TagLib::ID3v2::FrameFactory::instance(), true);
      if (!ReadMp3(f, false, false, ignored, facts, error)) break;
      parsed = true;
      WriteId3v2(tags, *f.ID3v2Tag(true));
      int which = TagLib::MPEG::File::ID3v2;
      if (f.ID3v1Tag()) {
        WriteBasic(tags, *f.ID3v1Tag());
        which |= TagLib::MPEG::File::ID3v1;
      }
      ReadMp3Tags(f, expected);
      saved = f.save(which, TagLib::File::StripNone, TagLib::ID3v2::v4, TagLib::File::DoNotDuplicate);
      break;
    }
    case MediaFormat::OGG: {
      TagLib::Ogg::Vorbis::File f(&stream, true);
      if (!ReadOgg(f, false, false, ignored, facts, error)) break;
      parsed = true;
      WriteXiph(tags, *f.tag());
      ReadOggTags(f, expected);
      saved = f.save();
      break;
    }
    case MediaFormat::ASF: {
      TagLib::ASF::File f(&stream, true);
      if (!ReadAsfFile(f, false, false, ignored, facts, error)) break;
      parsed = true;
      WriteAsf(tags, *f.tag());
      ReadAsfTags(f, expected);
      saved = f.save();
      break;
    }
    case MediaFormat::WAV: {
      TagLib::RIFF::WAV::File f(&stream, true);
      if (!ReadWav(f, false, false, ignored, facts, error) || !f.ID3v2Tag() || !f.InfoTag()) break;
      parsed = true;
      WriteId3v2(tags, *f.ID3v2Tag());
      WriteBasic(tags, *f.InfoTag());
      ReadWavTags(f, expected);
      saved = f.save(TagLib::RIFF::WAV::File::AllTags, TagLib::File::StripNone, TagLib::ID3v2::v4);
      break;
    }
    case MediaFormat::FLAC: {
      TagLib::FLAC::File f(&stream, TagLib::ID3v2::FrameFactory::instance(), true);
      if (!ReadFlac(f, false, false, ignored, facts, error)) break;
      parsed = true;
      TagLib::Ogg::XiphComment* comment = f.xiphComment(true);
      WriteXiph(tags, *comment);
      // The picture goes into a block of its own, where FLAC players look for it.
      comment->removeAllPictures();
      f.removePictures();
      if (TagLib::FLAC::Picture* p = NewFrontCover(tags)) f.addPicture(p);
      if (f.ID3v1Tag()) WriteBasic(tags, *f.ID3v1Tag());
      ReadFlacTags(f, expected);
      saved = f.save();
      break;
    }
    case MediaFormat::MP4: {
      TagLib::MP4::File f(&stream, true);
      if (!ReadMp4File(f, false, false, ignored, facts, error) || !f.tag()) break;
      parsed = true;
      WriteMp4(tags, *f.tag());
      ReadMp4Tags(f, expected);
      saved = f.save();
      break;
    }
    case MediaFormat::OPUS: {
      TagLib::Ogg::Opus::File f(&stream, true);
      if (!ReadOpus(f, false, false, ignored, facts, error)) break;
      parsed = true;
      WriteXiph(tags, *f.tag());
      ReadOpusTags(f, expected);
      saved = f.save();
      break;
    }
  }
  const bool flushed = stream.SyncAndClose();
  if (!parsed) {
    if (error.empty()) error = "the file cannot be parsed: " + path;
    return false;
  }
  if (!stream.Error().empty()) {
    error = "the tags could not be written: " + stream.Error();
    return false;
  }
  if (!saved || !flushed) {
    error = "the tags could not be saved";
    return false;
  }
  return true;
}

}  // namespace TYX::Media
