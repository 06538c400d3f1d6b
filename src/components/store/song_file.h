#pragma once
// What the store learns from a song's file: its normalised path, presence, size, tags and stream
// facts (through the media component) and its lyrics.
#include <cstdint>
#include <string>

#include "contracts/library_item.h"

namespace TYX {
class TYX_Media;
}

namespace TYX::Store {

class TYX_SongFile {
 public:
  // The key two paths of the same song share: for files the absolute, lexically normal path without a
  // trailing separator; for CD tracks "X:\TrackNN.cda" with an upper-case drive letter. Empty when the
  // path is empty or a CD-track name is malformed.
  static std::string NormalisePath(const std::string& path, std::uint32_t kind);
  // True for a regular file (after following links).
  static bool IsRegularFile(const std::string& path);
  // Fills the presence, size, tag fields, stream facts, highlight and lyric flags of data from the file
  // (using media when given, else opening one). Fields the file cannot supply keep their values. False
  // when the file is not there.
  static bool Read(const std::string& path, TYX_Media* media, TYX_LibraryItemData& data);
  // The lyrics tag of the file, else the text of a .lrc, else of a .txt file of the same name beside it.
  static std::string FullLyrics(const std::string& path);
  // kLyricFileLrc / kLyricFileText for the files beside the song.
  static std::uint32_t LyricFileFlags(const std::string& path);
  // kLyricTag or kLyricTimedTag for a lyrics text, 0 for an empty one.
  static std::uint32_t LyricTagFlags(const std::string& lyrics);
};

}  // namespace TYX::Store
