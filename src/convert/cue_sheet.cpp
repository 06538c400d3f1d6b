#include "convert/cue_sheet.h"

#include <cstdio>

namespace TYX::Convert {

std::string TYX_CueSheet::Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') {
      out += '\'';
    } else if (c == '\r' || c == '\n' || c == '\t') {
      out += ' ';
    } else {
      out += c;
    }
  }
  return out + "\"";
}

const char* TYX_CueSheet::FileType(const std::string& file) {
  const std::size_t dot = file.find_last_of('.');
  if (dot != std::string::npos) {
    std::string ext = file.substr(dot + 1);
    for (char& c : ext) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (ext == "mp3") return "MP3";
  }
  return "WAVE";
}

std::string TYX_CueSheet::Text() const {
  std::string s = "REM COMMENT \"Sonvar CD ripping\"\n";
  if (!performer.empty()) s += "PERFORMER " + Quote(performer) + "\n";
  if (!title.empty()) s += "TITLE " + Quote(title) + "\n";
  int number = 0;
  for (const Track& t : tracks) {
    ++number;
    char line[64];
    s += "FILE " + Quote(t.file) + " " + FileType(t.file) + "\n";
    std::snprintf(line, sizeof line, "  TRACK %02d AUDIO\n", number);
    s += line;
    if (!t.title.empty()) s += "    TITLE " + Quote(t.title) + "\n";
    if (!performer.empty()) s += "    PERFORMER " + Quote(performer) + "\n";
    std::snprintf(line, sizeof line, "    REM DISC_TRACK %02d\n", t.discTrack);
    s += line;
    s += "    INDEX 01 00:00:00\n";
  }
  return s;
}

}  // namespace TYX::Convert
