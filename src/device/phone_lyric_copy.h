#pragma once
// The lyric step of a transfer: a phone that shows lyrics gets, in place of a song, the song's lyric
// copy (components/lyrics/kcp_writer.h: the same MP3 with its time-coded lyrics in the tag), made from
// the song's own time-coded lyrics or from the ".lrc" file kept beside it. The phone stores the copy
// under the song's own name.
//
// Copies are made in a folder of their own under the temporary folder ("tyx_lyric_XXXXXX/<title>.kcp"),
// so two songs of the same title never share a copy and nobody else's file is ever written through a
// predictable name. A copy belongs to whoever asked for it: an object of this class removes its copy
// (and the folder) when it goes; IsLyricCDC hands the path out and Remove takes it back.
#include <string>
#include <utility>

#include "util/file_type.h"

namespace TYX::Device {

class TYX_PhoneLyricCopy {
 public:
  // Configuration attribute (TYX_INIT): models, separated by ",", that never get lyric copies.
  static constexpr const char* kRefusedModelsAttribute = "LYRIC_REFUSED_MODELS";

  TYX_PhoneLyricCopy() = default;
  ~TYX_PhoneLyricCopy();
  TYX_PhoneLyricCopy(const TYX_PhoneLyricCopy&) = delete;
  TYX_PhoneLyricCopy& operator=(const TYX_PhoneLyricCopy&) = delete;

  // Whether the lyric step runs for a song of this file type sent to a device of this kind: any kind
  // but 7 and 10, songs of type 11 and MP3 songs (type 1), the format phones take.
  static bool AppliesTo(int deviceKind, TYX_FILETYPE type);

  // The current phone's lyric copy of the song: true with newPath naming the copy; false (newPath
  // emptied, nothing left behind) when there is no phone, its model shows no lyrics or is refused, the
  // song has no time-coded lyrics and no lyric file, or the copy could not be made.
  static bool IsLyricCDC(const std::string& path, std::string& newPath);
  // Removes a copy made by IsLyricCDC, with its folder. Paths that are not such copies are left alone.
  static void Remove(const std::string& newPath);

  // IsLyricCDC for this object, which then owns the copy; false when there is none.
  bool Make(const std::string& path);
  const std::string& Path() const { return path_; }
  // Hands the copy over: the object forgets it (remove it later with Remove).
  std::string Release() { return std::exchange(path_, std::string()); }

 private:
  std::string path_;
};

}  // namespace TYX::Device
