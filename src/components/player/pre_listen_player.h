#pragma once
// The pre-listening player: plays one file, or a section of it, on a silent output paced by the
// framework's clock. There is no sound device; the player decodes through the audio layer at the pace a
// device would take the samples, so positions, the end of a section and the "ended" notice behave as
// with sound. Tests drive it with the manual clock.
//
// Threads: a player belongs to the thread that made it; that thread's message loop runs its timer, and
// its notices are posted to the notify window.
//
// Notices (kPlayerNotify, posted): wParam kPlayerStateChanged with lParam the new PlayerState, and
// kPlayerEnded with lParam the position in milliseconds when playback reached the end of the section
// (or of the file). After the end the player is stopped at the section's start.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/types.h"

namespace TYX::Audio {
class FfmpegFileSource;
}

namespace TYX::Player {

constexpr Win::UINT kPlayerNotify = Win::WM_USER + 2101;
constexpr Win::WPARAM kPlayerStateChanged = 1;
constexpr Win::WPARAM kPlayerEnded = 2;
// How often the output takes samples, in milliseconds of the clock.
constexpr Win::UINT kPlayerTickMs = 50;

enum class PlayerState : int { Closed = 0, Stopped = 1, Playing = 2, Paused = 3 };

class TYX_PreListenPlayer {
 public:
  TYX_PreListenPlayer();
  ~TYX_PreListenPlayer();
  TYX_PreListenPlayer(const TYX_PreListenPlayer&) = delete;
  TYX_PreListenPlayer& operator=(const TYX_PreListenPlayer&) = delete;

  void SetNotifyWindow(Win::HWND hwnd) { notify_ = hwnd; }

  // Opens a file for playing (closing any other); false with LastError() when it cannot be decoded.
  bool Open(const std::string& path);
  // Plays from startMs, limited to the section up to endMs (0: to the end of the file). A start at or
  // past the end of the section (or of the file) is refused. Playing again moves to the new start.
  bool Play(std::uint32_t startMs, std::uint32_t endMs = 0);
  // Holds the position; Resume goes on from there.
  bool Pause();
  bool Resume();
  // Ends playback; the position goes back to the section's start.
  bool Stop();
  void Close();

  PlayerState GetState() const { return state_; }
  std::uint32_t GetPositionMs() const;
  std::uint32_t GetDurationMs() const { return durationMs_; }
  std::uint32_t SectionStartMs() const { return sectionStartMs_; }
  std::uint32_t SectionEndMs() const { return sectionEndMs_; }
  const std::string& GetPath() const { return path_; }
  const std::string& LastError() const { return error_; }

 private:
  class ClockWindow;
  // Opens the decoder again and reads up to the position; false when the file cannot be read.
  bool SeekTo(std::uint32_t ms);
  void OnTick();
  void SetState(PlayerState s);
  void Notify(Win::WPARAM what, Win::LPARAM value);
  void Reached(std::uint64_t frame);

  std::unique_ptr<ClockWindow> window_;
  std::unique_ptr<Audio::FfmpegFileSource> source_;
  Win::HWND notify_ = nullptr;
  std::string path_;
  std::string error_;
  PlayerState state_ = PlayerState::Closed;
  int rate_ = 0;
  int channels_ = 0;
  std::uint32_t durationMs_ = 0;
  std::uint32_t sectionStartMs_ = 0;
  std::uint32_t sectionEndMs_ = 0;  // 0: the end of the file
  std::uint64_t frame_ = 0;         // frames played (taken by the silent output) from the file's start
  std::uint64_t lastTickMs_ = 0;
  std::uint64_t owedMicroFrames_ = 0;  // the fraction of a frame the clock has paid for, in millionths
};

}  // namespace TYX::Player
