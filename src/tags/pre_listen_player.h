#pragma once
// The tag editor's pre-listening player. Opening decodes the start of the file's audio stream, so a file
// that cannot be played is refused at once. The system has no audio device of its own here: playback
// keeps its position on the framework's clock, within the section it was started for, and ends at the
// section's end. The owner calls Poll from its timer; Poll reports the end once.
//
// Used on the owner's window thread only.
#include <cstdint>
#include <string>

namespace TYX::Dialog {

class TYX_PreListenPlayer {
 public:
  enum class State { Closed, Stopped, Playing, Paused };

  // False (and the player closed) when the file has no decodable audio stream; error tells why.
  bool Open(const std::string& path, std::string* error = nullptr);
  void Close();
  // Plays from fromMs; navigation is limited to fromMs .. toMs (toMs past the length is cut to it).
  bool Play(std::uint32_t fromMs, std::uint32_t toMs);
  void Pause();
  void Stop();

  State GetState() const { return state_; }
  bool IsOpen() const { return state_ != State::Closed; }
  bool IsPlaying() const { return state_ == State::Playing; }
  std::uint32_t GetPositionMs() const;
  std::uint32_t GetLengthMs() const { return lengthMs_; }
  const std::string& GetPath() const { return path_; }
  // Advances the playing position; true exactly once when playback reached the section's end (the
  // player is then stopped at the section's start).
  bool Poll();

 private:
  std::string path_;  // owner thread, like every field below
  State state_ = State::Closed;
  std::uint32_t lengthMs_ = 0;
  std::uint32_t fromMs_ = 0;
  std::uint32_t toMs_ = 0;
  std::uint32_t pausedAtMs_ = 0;
  std::uint64_t startedTick_ = 0;  // framework clock when playback (re)started at pausedAtMs_
};

}  // namespace TYX::Dialog
