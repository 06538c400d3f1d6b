#pragma once
// Parts of path texts, and phone file names.
//
// Both "/" and "\" separate folders: device folders and audio-CD track names keep the backslash form.
#include <cstddef>
#include <string>

namespace TYX::Util {

// "C:\a\b.mp3" -> "b.mp3"; "/x/y/" -> "".
std::string GetFileName(const std::string& path);
// The folder part with its final separator: "/x/y.mp3" -> "/x/"; "y.mp3" -> "".
std::string GetFilePath(const std::string& path);
// The extension without the dot, as written: "a.b.MP3" -> "MP3"; "a" and ".profile" -> "".
std::string GetFileExt(const std::string& path);
// The file name without folder and extension: "/x/y.mp3" -> "y".
std::string GetFileTitle(const std::string& path);
std::string ToLowerAscii(std::string text);

// Number of characters (UTF-8 code points) of a text.
std::size_t CountUtf8Chars(const std::string& text);

// Turns a file name into one a phone file system accepts.
//   name     in: a file name (no folder); out: the result.
//   mode     1: phone rules (below); 0: only shorten and number, no replacements.
//   maxChars the longest name in characters (UTF-8 code points), extension included; -1 or 0: no limit.
//   variant  -1 or 0: the name itself; n >= 1: the n-th variant "stem(n).ext".
// Phone rules: trailing dots and spaces of the name are dropped before it is split into stem and
// extension; control characters and \ / : * ? " < > | become "_"; leading spaces and trailing dots and
// spaces of the stem are dropped; an empty stem becomes "_"; a name whose part before the first dot is
// one of the device names CON, PRN, AUX, NUL, COM1-9 and LPT1-9 (any case, trailing spaces ignored) gets
// a "_" in front. The rules hold for the shortened name as well: a cut that
// ends in a dot or a space or leaves a device name ("Concert.mp3" at 7) is mended within the limit.
// Shortening cuts the stem at a character boundary, keeping the extension (with its dot) and the
// variant suffix; when the limit leaves no room for one stem character, the whole name is cut to the
// limit instead. Returns false (name emptied) when nothing usable remains: an empty name (or, without
// phone rules, a text naming only a folder) or a limit that cannot hold the variant suffix.
bool CheckFileName(std::string& name, int mode, int maxChars, int variant);

}  // namespace TYX::Util
