#include "convert/ripping_verifier.h"

#include <vector>

#include "components/audio/cd_drive.h"
#include "platform/messaging.h"
#include "util/log.h"

namespace TYX::Convert {

namespace {
constexpr int kReadBytes = 64 * 2352;  // whole sectors per read
}

TYX_RippingVerifier::~TYX_RippingVerifier() { Stop(); }

TYX_RipTrackCheck TYX_RippingVerifier::CheckTrack(int drive, int track, const std::atomic<bool>* stop) {
  TYX_RipTrackCheck check;
  check.drive = drive;
  check.track = track;
  auto cd = Audio::AudioCD();
  if (!cd) {
    check.error = "no audio-CD access";
    return check;
  }
  const int tracks = cd->TrackCount(drive);
  check.expectedBytes = cd->TrackLength(drive, track);
  if (tracks <= 0 || track < 0 || track >= tracks || check.expectedBytes < 0) {
    check.error = "the track is not on the disc";
    return check;
  }
  // The door stays shut while the track is read, as for the rip itself.
  const bool locked = cd->Door(drive, Audio::BASS_CD_DOOR_LOCK);
  std::unique_ptr<Audio::TYX_PcmSource> source = cd->OpenTrack(drive, track);
  if (!source) {
    if (locked) cd->Door(drive, Audio::BASS_CD_DOOR_UNLOCK);
    check.error = "the track cannot be opened";
    return check;
  }
  TYX_AccurateRip sums(static_cast<std::uint64_t>(check.expectedBytes) / 4, track == 0, track == tracks - 1);
  std::vector<std::uint8_t> buffer(kReadBytes);
  std::int64_t total = 0;
  for (;;) {
    if (stop != nullptr && stop->load()) {
      check.error = "cancelled";
      break;
    }
    const int n = source->Read(buffer.data(), kReadBytes);
    if (n < 0) {
      check.error = "read error at byte " + std::to_string(total);
      break;
    }
    if (n == 0) {
      // A disc source has nothing more only at its end.
      if (!source->Ended()) check.error = "the drive stopped delivering at byte " + std::to_string(total);
      break;
    }
    sums.Update(buffer.data(), static_cast<std::size_t>(n));
    total += n;
  }
  source.reset();
  if (locked) cd->Door(drive, Audio::BASS_CD_DOOR_UNLOCK);
  check.sums = sums.Result();
  if (check.error.empty() && total != check.expectedBytes) {
    check.error = "read " + std::to_string(total) + " of " + std::to_string(check.expectedBytes) + " bytes";
  }
  check.ok = check.error.empty();
  return check;
}

bool TYX_RippingVerifier::Start(Win::HWND notify, int drive, int track, Win::LPARAM serial) {
  if (running_.load()) return false;
  if (thread_.joinable()) thread_.join();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    result_.reset();
  }
  stop_ = false;
  running_ = true;
  try {
    thread_ = std::thread([this, notify, drive, track, serial] {
      TYX_RipTrackCheck check = CheckTrack(drive, track, &stop_);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        result_ = std::move(check);
      }
      running_ = false;
      Win::PostMessage(notify, WM_RIPPING_VERIFIED, static_cast<Win::WPARAM>(track), serial);
    });
  } catch (const std::exception& e) {
    running_ = false;
    TYX_Log::Instance()->Add("TYX_RippingVerifier::Start - no thread: %s", e.what());
    return false;
  }
  return true;
}

void TYX_RippingVerifier::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

std::optional<TYX_RipTrackCheck> TYX_RippingVerifier::TakeResult() {
  if (running_.load()) return std::nullopt;
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  std::optional<TYX_RipTrackCheck> out = std::move(result_);
  result_.reset();
  return out;
}

}  // namespace TYX::Convert
