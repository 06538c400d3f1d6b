#pragma once
// The lyric copy ("KCP") that phones showing lyrics receive: a copy of an MP3 song whose ID3v2 tag
// carries the song's time-coded lyrics twice:
//   - a SYLT frame (synchronised lyrics, content type "lyrics", times in absolute milliseconds), which
//     the phone shows line by line as the song plays;
//   - a USLT frame holding the same lines as LRC text ("[mm:ss.xx]text" lines), for players that show
//     only plain lyrics.
// Both frames are in UTF-16 with the language "kor"; earlier SYLT and USLT frames of the song are
// replaced, every other frame and the audio stay as they are. The tag is written as ID3v2.3, the
// version phones read. The copy ends in ".kcp" on the computer; its bytes are a plain MP3 file.
#include <string>
#include <vector>

#include "components/lyrics/lrc_lyrics.h"

namespace TYX::Lyrics {

struct LyricResult {
  std::string error;  // empty on success
  bool ok() const { return error.empty(); }
};

class TYX_KcpWriter {
 public:
  // Writes the lyric copy of the MP3 file `source` to `target` (replacing a file of that name). The
  // copy is made under a temporary name in the target's folder, read back, and renamed to `target`
  // only when it parses with every line; on failure nothing is left behind and the source is never
  // touched.
  static LyricResult Write(const std::string& source, const std::vector<LyricLine>& lines,
                           const std::string& target);
  // The lines of a lyric copy's SYLT frame (tests and checks); an error when it has none.
  static LyricResult ReadLines(const std::string& kcpPath, std::vector<LyricLine>& lines);
};

}  // namespace TYX::Lyrics
