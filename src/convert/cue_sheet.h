#pragma once
// A cue sheet for the tracks of one rip: one FILE entry per ripped track file, in disc order, with the
// album's performer and title, so a player can play the rip as the disc.
#include <string>
#include <vector>

namespace TYX::Convert {

class TYX_CueSheet {
 public:
  struct Track {
    int discTrack = 0;  // 1-based number on the disc
    std::string file;   // the file's name, beside the sheet
    std::string title;
  };

  std::string performer;
  std::string title;
  std::vector<Track> tracks;

  // Tracks are numbered 1, 2, ... in the sheet (a sheet's numbers run without gaps); each carries its
  // disc number in a REM line.
  std::string Text() const;
  // A text fit for a quoted cue field: double quotes become single quotes, line breaks spaces.
  static std::string Quote(const std::string& text);
  // "MP3" for an .mp3 file, "WAVE" for the others (the type players accept for any audio file).
  static const char* FileType(const std::string& file);
};

}  // namespace TYX::Convert
