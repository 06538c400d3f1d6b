#pragma once
// The now-playing state the panel keeps: the last media object handed to it and the play state that
// came with it. The list of songs itself is stock playlist 4 of the store. Load and Save keep nothing
// on disk (the playlist is stored by the store) and report success.
//
// Owned by the panel; used on the user-interface thread only.
#include <cstdint>
#include <memory>
#include <string>

namespace TYX {

class TYX_Media;

class TYX_NowPlayingList {
 public:
  // Stores both; the media object is kept alive until the next call or the end of this object.
  void SetLastPlayState(std::shared_ptr<TYX_Media> media, std::uint32_t playState) {
    media_ = std::move(media);
    playState_ = playState;
    hasState_ = true;
  }
  // Returns both as last stored; false (null, ~0) when nothing was stored yet.
  bool GetLastPlayState(std::shared_ptr<TYX_Media>* media, std::uint32_t* playState) const {
    if (media != nullptr) *media = media_;
    if (playState != nullptr) *playState = hasState_ ? playState_ : 0xFFFFFFFFu;
    return hasState_;
  }
  bool Load(const std::string& path) { (void)path; return true; }
  bool Save(const std::string& path) { (void)path; return true; }

 private:
  std::shared_ptr<TYX_Media> media_;  // user-interface thread
  std::uint32_t playState_ = 0xFFFFFFFFu;
  bool hasState_ = false;
};

}  // namespace TYX
