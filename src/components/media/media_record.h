#pragma once
// The values a media object holds: tags as plain data, and the stream facts read at opening.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "contracts/media.h"

namespace TYX::Media {

// Formats the TagLib component opens, chosen by the file's extension.
enum class MediaFormat { MP3, OGG, ASF, WAV, FLAC, MP4, OPUS };

struct MediaTags {
  std::array<std::string, static_cast<std::size_t>(MediaText::Count)> texts;
  std::array<std::uint32_t, static_cast<std::size_t>(MediaNumber::Count)> numbers{};
  std::vector<std::uint8_t> image;  // embedded album image; empty when none
  std::string imageMime;

  std::string& Text(MediaText f) { return texts[static_cast<std::size_t>(f)]; }
  const std::string& Text(MediaText f) const { return texts[static_cast<std::size_t>(f)]; }
  std::uint32_t& Number(MediaNumber f) { return numbers[static_cast<std::size_t>(f)]; }
  std::uint32_t Number(MediaNumber f) const { return numbers[static_cast<std::size_t>(f)]; }
  bool operator==(const MediaTags&) const = default;
};

struct StreamFacts {
  std::uint32_t durationMs = 0;
  std::uint32_t bitRate = 0;  // bit/s
  std::uint32_t sampleRate = 0;
  std::uint32_t channels = 0;
  std::uint64_t fileSize = 0;
  // The length of the audio stream in the format's own unit, to tell that a save kept the audio whole:
  // MPEG frame bytes, the last Ogg granule position, ASF data bytes, WAV data bytes present, FLAC frame
  // bytes after the metadata blocks, MP4 "mdat" bytes.
  std::uint64_t audioLength = 0;
  std::string formatText;
  std::string channelText;
};

// Names of our own tag fields, in each tag format.
inline constexpr const char* kId3ExtraDesc = "TYX Extra";
inline constexpr const char* kId3HighlightStartDesc = "TYX Highlight Start";
inline constexpr const char* kId3HighlightLengthDesc = "TYX Highlight Length";
inline constexpr const char* kXiphExtra = "TYX_EXTRA";
inline constexpr const char* kXiphHighlightStart = "TYX_HIGHLIGHT_START";
inline constexpr const char* kXiphHighlightLength = "TYX_HIGHLIGHT_LENGTH";
inline constexpr const char* kAsfExtra = "TYX/Extra";
inline constexpr const char* kAsfHighlightStart = "TYX/HighlightStart";
inline constexpr const char* kAsfHighlightLength = "TYX/HighlightLength";
// MP4 keeps texts of its own in iTunes-style free-form items.
inline constexpr const char* kMp4Label = "----:com.apple.iTunes:LABEL";
inline constexpr const char* kMp4Extra = "----:com.apple.iTunes:TYX Extra";
inline constexpr const char* kMp4HighlightStart = "----:com.apple.iTunes:TYX Highlight Start";
inline constexpr const char* kMp4HighlightLength = "----:com.apple.iTunes:TYX Highlight Length";

// The MIME type of image bytes by their signature: "image/jpeg", "image/png", "image/gif", "image/bmp";
// empty for anything else.
std::string SniffImageMime(const std::vector<std::uint8_t>& data);
// The MIME type of an embedded picture: the one its bytes show, else the stored one (taggers leave it
// empty, write "PNG" or "image/jpg", or name the wrong kind).
std::string PictureMime(const std::vector<std::uint8_t>& data, const std::string& stored);
// ".jpg", ".png", ".gif" or ".bmp" for a MIME type; ".img" for others.
std::string ImageExtension(const std::string& mime);
// "n" or "n/total" -> n and total (0 when absent or not a number).
void ParseNumberPair(const std::string& text, std::uint32_t& number, std::uint32_t& total);
std::string FormatNumberPair(std::uint32_t number, std::uint32_t total);
// Decimal text -> number; 0 for anything else.
std::uint32_t ParseUnsigned(const std::string& text);

}  // namespace TYX::Media
