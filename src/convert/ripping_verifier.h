#pragma once
// Reads a ripped track's PCM a second time through the audio-CD layer and takes its checksums
// (CRC32, AccurateRip v1 and v2), so a rip can be compared with earlier rips of the same disc.
//
// CheckTrack is the synchronous core. Start runs it on a thread of its own and posts
// WM_RIPPING_VERIFIED (wParam: the track, lParam: the run's serial) to the window when it is done;
// the window then takes the result with TakeResult. The drive is read by one reader at a time: the
// ripping dialog starts a check only when the worker's job for the track has ended.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "convert/accurate_rip.h"
#include "platform/types.h"

namespace TYX::Convert {

constexpr Win::UINT WM_RIPPING_VERIFIED = Win::WM_USER + 1021;

struct TYX_RipTrackCheck {
  int drive = -1;
  int track = -1;
  bool ok = false;
  std::string error;                // why the track could not be read, when !ok
  std::int64_t expectedBytes = -1;  // the track's length as the drive gives it
  TYX_TrackChecksums sums;
};

class TYX_RippingVerifier {
 public:
  TYX_RippingVerifier() = default;
  ~TYX_RippingVerifier();  // stops and joins a running check
  TYX_RippingVerifier(const TYX_RippingVerifier&) = delete;
  TYX_RippingVerifier& operator=(const TYX_RippingVerifier&) = delete;

  // Reads the whole track (zero-based) of the drive and takes its checksums; the first and last
  // tracks of the disc follow AccurateRip's skip rules. `stop`, when set, ends the read early (the
  // result then says "cancelled").
  static TYX_RipTrackCheck CheckTrack(int drive, int track, const std::atomic<bool>* stop = nullptr);

  // Starts a check on a thread; false when one is still running or no thread can be made.
  bool Start(Win::HWND notify, int drive, int track, Win::LPARAM serial);
  // Asks a running check to end and waits for its thread.
  void Stop();
  // The result of the finished check (joins its thread); nothing when no check has finished.
  std::optional<TYX_RipTrackCheck> TakeResult();
  bool IsRunning() const { return running_.load(); }

 private:
  std::thread thread_;             // started and joined by the owner's thread
  std::atomic<bool> stop_{false};  // written by the owner's thread, read by the check
  std::atomic<bool> running_{false};
  std::mutex mutex_;                        // guards result_
  std::optional<TYX_RipTrackCheck> result_;  // written by the check, taken by the owner
};

}  // namespace TYX::Convert
