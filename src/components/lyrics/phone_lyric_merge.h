#pragma once
// The phone lyric component: tells whether a connected phone shows lyrics and makes the lyric copy
// (kcp_writer.h) of a song for it, from the song's own time-coded lyrics tag or from a ".lrc" file kept
// beside the song.
//
// Which phones show lyrics is their model record's answer (stModelInfo::bLyrics, from the device
// manager client; a folder device's profile says "Lyrics=yes"). The component is made for one phone,
// named by its serial; Init finds it among the connected devices.
//
// Use: IsEmbededLyric (path) reads the song's lyrics and keeps them for MakeEmbededLyricKCP; otherwise
// IsLyricFile (path) finds the ".lrc" beside it, which ConvertLyricFileKCP turns into the copy. Every
// failure is a result with an error text (also kept in GetLastError); nothing here throws.
//
// Threads: one object is used by one thread at a time; the device manager client and the media
// component may be called from any thread.
#include <string>
#include <vector>

#include "components/lyrics/kcp_writer.h"
#include "components/lyrics/lrc_lyrics.h"

namespace TYX::Lyrics {

class CPhoneLyricMerge {
 public:
  explicit CPhoneLyricMerge(std::string serial);

  // Finds the connected device with this serial; false (with the reason in GetLastError) when none is
  // connected or it has no model record.
  bool Init();
  // The model of the phone Init found; empty before Init.
  const std::string& GetModelName() const { return model_; }

  // True when a connected device of this model has a model record that says it shows lyrics.
  bool IsLyricEnablePhone(const std::string& model);

  // True when the song's lyrics tag holds time-coded lines; they are kept for MakeEmbededLyricKCP.
  bool IsEmbededLyric(const std::string& path);
  // The lyric copy of the song IsEmbededLyric accepted last, written to newPath.
  LyricResult MakeEmbededLyricKCP(const std::string& newPath);

  // The ".lrc" (or ".LRC") file of the same name beside the song; empty when there is none.
  static std::string FindLyricFile(const std::string& path);
  // True when the song has a lyric file beside it.
  bool IsLyricFile(const std::string& path);
  // The lyric copy of the song with the lines of its lyric file, written to newPath. An unreadable
  // file or one with bad time tags is an error.
  LyricResult ConvertLyricFileKCP(const std::string& path, const std::string& newPath);

  const std::string& GetLastError() const { return lastError_; }

 private:
  LyricResult Keep(LyricResult result);

  std::string serial_;
  std::string model_;
  std::string embeddedPath_;              // the song IsEmbededLyric accepted
  std::vector<LyricLine> embeddedLines_;  // its lyrics
  std::string lastError_;
};

}  // namespace TYX::Lyrics
