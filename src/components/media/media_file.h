#pragma once
// One pass of TagLib over a file: read the record and the stream facts, or write the record.
#include <optional>
#include <string>

#include "components/media/media_record.h"

namespace TYX::Media {

// The format of a native path by its extension (mp3; ogg; wma, asf; wav; flac; m4a; opus), none for any
// other.
std::optional<MediaFormat> FormatOfPath(const std::string& path);

// Parses the file. False with a reason when it is not a regular file, TagLib cannot parse it as its
// format, or the stream is not credible (no sample rate; for MP3 fewer than three chained frames).
// Never writes. withImage false skips copying the album image bytes (for callers that only play).
// measureAudio fills facts.audioLength, which may read the whole stream (a save compares it).
bool ReadMediaFile(const std::string& path, MediaFormat format, bool withImage, MediaTags& tags,
                   StreamFacts& facts, std::string& error, bool measureAudio = false);

// Writes the record into the file in place, every write checked, and flushes it to the disk. On
// success `expected` holds the record as the written tags read back (a format may keep less than was
// given), to compare with a fresh read of the file. False with a reason when the file does not parse,
// TagLib refuses to save, or any read, write or flush fails; the file is then in an unknown state.
bool WriteMediaFile(const std::string& path, MediaFormat format, const MediaTags& tags, MediaTags& expected,
                    std::string& error);

}  // namespace TYX::Media
