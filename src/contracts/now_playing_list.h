#pragma once
// The now-playing state the panel keeps: the last song handed to it and the play state that came with
// it. The list of songs itself is stock playlist 4 of the store.
//
// Save keeps the state in a small text file so the next start shows the same song marked:
//
//   sonvar-now-playing 1
//   state <decimal play state>
//   path <the song's path, UTF-8, to the end of the line>
//
// The file is replaced whole (written beside it, then renamed), so a crash leaves the old state or the
// new one, never a mix. With no state and no file, Save writes nothing. Load of a missing file is an
// empty state; a damaged file is refused and left as it is.
//
// Owned by the panel; used on the user-interface thread only.
#include <cstdint>
#include <memory>
#include <string>

namespace TYX {

class TYX_Media;

class TYX_NowPlayingList {
 public:
  static constexpr std::uint32_t kNoState = 0xFFFFFFFFu;

  // Stores both; the media object is kept alive until the next call or the end of this object.
  void SetLastPlayState(std::shared_ptr<TYX_Media> media, std::uint32_t playState);
  // Returns both as last stored; false (null, ~0) when nothing was stored yet. After a Load the media
  // object is null and GetLastPath names the song.
  bool GetLastPlayState(std::shared_ptr<TYX_Media>* media, std::uint32_t* playState) const;
  const std::string& GetLastPath() const { return path_; }

  // True when the file was read or does not exist; false (with the reason in *error) when it could
  // not be read or is not a state file. A refused file changes nothing here.
  bool Load(const std::string& file, std::string* error = nullptr);
  // True when the state is on disk (or there was nothing to keep); false with the reason otherwise.
  bool Save(const std::string& file, std::string* error = nullptr) const;

 private:
  std::shared_ptr<TYX_Media> media_;  // user-interface thread, like the fields below
  std::string path_;
  std::uint32_t playState_ = kNoState;
  bool hasState_ = false;
};

}  // namespace TYX
