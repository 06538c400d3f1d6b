#pragma once
// Melody (ring-tone) files: MIDI and the SMAF family (mmf, ma2, ma3, amf).
#include <cstdint>
#include <string>
#include <vector>

#include "util/file_type.h"

namespace TYX::Util {

// True for a melody by its extension (the types IsMelodyFileType accepts); the disk is not read.
bool IsMelody(const std::string& path);

// The polyphony class of a melody file: 4, 16, 40, 64 or 128 (the classes a phone model's polyphony mask
// names), 0 when the file is missing or cannot be parsed.
// MIDI: the most notes sounding at once over all tracks and channels (a key struck again while it sounds
// counts once), raised to the next class; above 128 gives 128; a file without notes gives 4.
// SMAF: the class of the richest score track's format: handy-phone standard 16, mobile standard
// (compressed or not) 40, sequence format 64.
int GetPolyCount(const std::string& path);
// The same for the bytes of a melody already read: `type` is FileType::MIDI or a SMAF type; any other
// type gives 0.
int GetPolyCountOfBytes(TYX_FILETYPE type, const std::vector<std::uint8_t>& data);

}  // namespace TYX::Util
