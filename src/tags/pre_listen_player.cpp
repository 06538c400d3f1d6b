#include "tags/pre_listen_player.h"

#include <algorithm>
#include <vector>

#include "components/audio/ffmpeg_file_source.h"
#include "contracts/media.h"
#include "platform/clock.h"

namespace TYX::Dialog {

bool TYX_PreListenPlayer::Open(const std::string& path, std::string* error) {
  Close();
  int code = 0;
  std::string text;
  auto source = Audio::FfmpegFileSource::Open(path, false, &code, &text);
  if (!source) {
    if (error) *error = text.empty() ? "the file has no playable audio" : text;
    return false;
  }
  // The first block must decode, or there is nothing to play.
  std::vector<char> block(4096 * std::max(1, source->Channels()) * 2);
  if (source->Read(block.data(), static_cast<int>(block.size())) < 0) {
    if (error) *error = "the audio could not be decoded";
    return false;
  }
  std::uint64_t lengthMs = 0;
  const int bytesPerSecond = source->SampleRate() * source->Channels() * 2;
  if (source->LengthBytes() > 0 && bytesPerSecond > 0)
    lengthMs = static_cast<std::uint64_t>(source->LengthBytes()) * 1000u / static_cast<std::uint64_t>(bytesPerSecond);
  if (lengthMs == 0) {
    if (TYX_MediaPtr media = TYX_Media::Instance(path)) lengthMs = media->GetDurationMs();
  }
  path_ = path;
  lengthMs_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(lengthMs, 0xFFFFFFFFu));
  state_ = State::Stopped;
  fromMs_ = pausedAtMs_ = 0;
  toMs_ = lengthMs_;
  if (error) error->clear();
  return true;
}

void TYX_PreListenPlayer::Close() {
  state_ = State::Closed;
  path_.clear();
  lengthMs_ = fromMs_ = toMs_ = pausedAtMs_ = 0;
}

bool TYX_PreListenPlayer::Play(std::uint32_t fromMs, std::uint32_t toMs) {
  if (state_ == State::Closed) return false;
  toMs = std::min(toMs, lengthMs_);
  if (fromMs >= toMs) return false;
  fromMs_ = fromMs;
  toMs_ = toMs;
  pausedAtMs_ = fromMs;
  startedTick_ = Win::NowMs();
  state_ = State::Playing;
  return true;
}

std::uint32_t TYX_PreListenPlayer::GetPositionMs() const {
  if (state_ != State::Playing) return pausedAtMs_;
  const std::uint64_t at = pausedAtMs_ + (Win::NowMs() - startedTick_);
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(at, toMs_));
}

void TYX_PreListenPlayer::Pause() {
  if (state_ != State::Playing) return;
  pausedAtMs_ = GetPositionMs();
  state_ = State::Paused;
}

void TYX_PreListenPlayer::Stop() {
  if (state_ == State::Closed) return;
  pausedAtMs_ = fromMs_;
  state_ = State::Stopped;
}

bool TYX_PreListenPlayer::Poll() {
  if (state_ != State::Playing) return false;
  if (GetPositionMs() < toMs_) return false;
  Stop();
  return true;
}

}  // namespace TYX::Dialog
