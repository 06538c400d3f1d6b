#include "components/player/pre_listen_player.h"

#include <algorithm>
#include <vector>

#include "components/audio/ffmpeg_file_source.h"
#include "platform/clock.h"
#include "platform/messaging.h"
#include "platform/window.h"

namespace TYX::Player {

// A hidden window of the owner thread whose timer drives the silent output.
class TYX_PreListenPlayer::ClockWindow : public Win::Window {
 public:
  explicit ClockWindow(TYX_PreListenPlayer& player) {
    OnMessage(Win::WM_TIMER, [&player](Win::WPARAM, Win::LPARAM) {
      player.OnTick();
      return 0;
    });
    Create(nullptr, Win::Rect{0, 0, 0, 0}, 0);
  }
};

TYX_PreListenPlayer::TYX_PreListenPlayer() = default;

TYX_PreListenPlayer::~TYX_PreListenPlayer() {
  notify_ = nullptr;  // no notices from a player that is going away
  Close();
}

bool TYX_PreListenPlayer::Open(const std::string& path) {
  Close();
  int code = 0;
  std::string text;
  source_ = Audio::FfmpegFileSource::Open(path, false, &code, &text);
  if (!source_ || source_->SampleRate() <= 0 || source_->Channels() <= 0) {
    source_.reset();
    error_ = "the file cannot be played: " + (text.empty() ? path : text);
    return false;
  }
  rate_ = source_->SampleRate();
  channels_ = source_->Channels();
  const std::int64_t bytes = source_->LengthBytes();
  durationMs_ = bytes > 0 ? static_cast<std::uint32_t>(bytes * 1000 / (static_cast<std::int64_t>(rate_) * channels_ * 2)) : 0;
  path_ = path;
  error_.clear();
  frame_ = 0;
  sectionStartMs_ = 0;
  sectionEndMs_ = 0;
  if (!window_) window_ = std::make_unique<ClockWindow>(*this);
  SetState(PlayerState::Stopped);
  return true;
}

bool TYX_PreListenPlayer::SeekTo(std::uint32_t ms) {
  const std::uint64_t target = static_cast<std::uint64_t>(ms) * static_cast<std::uint64_t>(rate_) / 1000;
  if (target < frame_ || !source_) {
    int code = 0;
    std::string text;
    source_ = Audio::FfmpegFileSource::Open(path_, false, &code, &text);
    frame_ = 0;
    if (!source_) {
      error_ = "the file cannot be read again: " + text;
      return false;
    }
  }
  const std::size_t frameBytes = static_cast<std::size_t>(channels_) * 2;
  std::vector<std::uint8_t> scratch(frameBytes * 4096);
  while (frame_ < target) {
    const std::uint64_t want = std::min<std::uint64_t>(target - frame_, 4096);
    const int got = source_->Read(scratch.data(), static_cast<int>(want * frameBytes));
    if (got <= 0) break;  // the file ended before the position
    frame_ += static_cast<std::uint64_t>(got) / frameBytes;
  }
  return frame_ >= target;
}

bool TYX_PreListenPlayer::Play(std::uint32_t startMs, std::uint32_t endMs) {
  if (state_ == PlayerState::Closed) {
    error_ = "no file is open";
    return false;
  }
  if (endMs != 0 && endMs <= startMs) {
    error_ = "the section ends before it starts";
    return false;
  }
  if (durationMs_ > 0 && startMs >= durationMs_) {
    error_ = "the start lies past the end of the file";
    return false;
  }
  if (!SeekTo(startMs)) {
    if (error_.empty()) error_ = "the start lies past the end of the file";
    window_->KillTimer(1);
    SetState(PlayerState::Stopped);
    return false;
  }
  sectionStartMs_ = startMs;
  sectionEndMs_ = endMs;
  lastTickMs_ = Win::NowMs();
  owedMicroFrames_ = 0;
  window_->SetTimer(1, kPlayerTickMs);
  SetState(PlayerState::Playing);
  return true;
}

bool TYX_PreListenPlayer::Pause() {
  if (state_ != PlayerState::Playing) return false;
  OnTick();  // what the clock has paid for so far is played
  if (state_ != PlayerState::Playing) return false;  // the section ended on that tick
  window_->KillTimer(1);
  SetState(PlayerState::Paused);
  return true;
}

bool TYX_PreListenPlayer::Resume() {
  if (state_ != PlayerState::Paused) return false;
  lastTickMs_ = Win::NowMs();
  window_->SetTimer(1, kPlayerTickMs);
  SetState(PlayerState::Playing);
  return true;
}

bool TYX_PreListenPlayer::Stop() {
  if (state_ == PlayerState::Closed) return false;
  window_->KillTimer(1);
  const bool wasStopped = state_ == PlayerState::Stopped;
  SeekTo(sectionStartMs_);
  if (!wasStopped) SetState(PlayerState::Stopped);
  return true;
}

void TYX_PreListenPlayer::Close() {
  if (window_) window_->KillTimer(1);
  source_.reset();
  path_.clear();
  frame_ = 0;
  durationMs_ = 0;
  if (state_ != PlayerState::Closed) SetState(PlayerState::Closed);
}

std::uint32_t TYX_PreListenPlayer::GetPositionMs() const {
  return rate_ > 0 ? static_cast<std::uint32_t>(frame_ * 1000 / static_cast<std::uint64_t>(rate_)) : 0;
}

void TYX_PreListenPlayer::OnTick() {
  if (state_ != PlayerState::Playing || !source_) return;
  const std::uint64_t now = Win::NowMs();
  const std::uint64_t elapsed = now > lastTickMs_ ? now - lastTickMs_ : 0;
  lastTickMs_ = now;
  // Frames the output takes for the time that passed; fractions are carried to the next tick.
  owedMicroFrames_ += elapsed * static_cast<std::uint64_t>(rate_) * 1000;
  std::uint64_t frames = owedMicroFrames_ / 1000000;
  owedMicroFrames_ %= 1000000;
  const std::uint64_t endFrame = sectionEndMs_ != 0
                                     ? static_cast<std::uint64_t>(sectionEndMs_) * static_cast<std::uint64_t>(rate_) / 1000
                                     : UINT64_MAX;
  frames = std::min(frames, endFrame > frame_ ? endFrame - frame_ : 0);
  const std::size_t frameBytes = static_cast<std::size_t>(channels_) * 2;
  std::vector<std::uint8_t> scratch(frameBytes * 4096);
  bool fileEnded = false;
  while (frames > 0) {
    const std::uint64_t want = std::min<std::uint64_t>(frames, 4096);
    const int got = source_->Read(scratch.data(), static_cast<int>(want * frameBytes));
    if (got <= 0) {
      fileEnded = source_->Ended() || got < 0;
      break;
    }
    const std::uint64_t n = static_cast<std::uint64_t>(got) / frameBytes;
    frame_ += n;
    frames -= n;
  }
  if (fileEnded || frame_ >= endFrame) Reached(frame_);
}

void TYX_PreListenPlayer::Reached(std::uint64_t frame) {
  const auto positionMs = static_cast<Win::LPARAM>(frame * 1000 / static_cast<std::uint64_t>(rate_));
  window_->KillTimer(1);
  SeekTo(sectionStartMs_);
  SetState(PlayerState::Stopped);
  Notify(kPlayerEnded, positionMs);
}

void TYX_PreListenPlayer::SetState(PlayerState s) {
  state_ = s;
  Notify(kPlayerStateChanged, static_cast<Win::LPARAM>(s));
}

void TYX_PreListenPlayer::Notify(Win::WPARAM what, Win::LPARAM value) {
  if (notify_ != nullptr && Win::IsWindow(notify_)) Win::PostMessage(notify_, kPlayerNotify, what, value);
}

}  // namespace TYX::Player
