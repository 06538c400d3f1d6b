#pragma once
// Time-coded lyrics in the LRC form: "[mm:ss.xx]text" lines, as kept in ".lrc" files beside songs and
// in the lyrics tag of songs that carry synchronised lyrics.
//
// Reading rules:
//   - a UTF-8 byte-order mark is dropped; text that is not UTF-8 is read as the Korean code page CP949
//     (or Latin-1 when it cannot be CP949), as old lyric files were written;
//   - a line starts with one or more tags; every time tag ([m:ss], [mm:ss.x], [mm:ss.xx], [mm:ss.xxx],
//     and [mm:ss:xx] as some editors write it) gives the rest of the line at that time;
//   - seconds must be below 60 and minutes at most 999; a tag that starts with a digit but is no such
//     time is an error, as is a tag that is never closed;
//   - "[key:value]" tags (ti, ar, al, by, length, ...) are read where they name something we keep
//     (ti, ar, al, offset) and skipped otherwise; [offset:+n] moves every line n ms earlier;
//   - lines without a time tag (blank lines, plain text) are skipped;
//   - the lines are ordered by time (lines of the same time keep their order); a text with no timed
//     line at all is an error.
#include <cstdint>
#include <string>
#include <vector>

namespace TYX::Lyrics {

struct LyricLine {
  std::uint32_t ms = 0;  // from the start of the song
  std::string text;      // UTF-8, may be empty (a pause)
  bool operator==(const LyricLine&) const = default;
};

struct LrcParseResult {
  std::vector<LyricLine> lines;
  std::string title;   // [ti:]
  std::string artist;  // [ar:]
  std::string album;   // [al:]
  std::string error;   // empty on success; else names the line that is wrong
  bool ok() const { return error.empty(); }
};

class TYX_LrcLyrics {
 public:
  // Files larger than this are not lyric files.
  static constexpr std::size_t kMaxLrcBytes = 1u << 20;

  static LrcParseResult Parse(const std::string& text);
  // Reads and parses a ".lrc" file; a missing, unreadable or oversized file is an error.
  static LrcParseResult ReadFile(const std::string& path);
  // The lines as LRC text, one "[mm:ss.xx]text" line each, ending in "\n".
  static std::string Format(const std::vector<LyricLine>& lines);
  // True when the text is well-formed UTF-8.
  static bool IsUtf8(const std::string& text);
};

}  // namespace TYX::Lyrics
