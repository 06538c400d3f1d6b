#pragma once
// Melody (ring-tone) files: MIDI and the SMAF family (mmf, ma2, ma3, amf).
#include <string>

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

}  // namespace TYX::Util
