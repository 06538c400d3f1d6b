#pragma once
// Audio-CD access: drives by index, their tracks and their doors. Drives are real devices or CD
// images (cue/bin) that act as drives. Every call may come from any thread; the implementations lock.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "components/audio/pcm_source.h"

namespace TYX::Audio {

// Door actions, numbered as the system passes them.
constexpr int BASS_CD_DOOR_CLOSE = 0;
constexpr int BASS_CD_DOOR_OPEN = 1;
constexpr int BASS_CD_DOOR_LOCK = 2;
constexpr int BASS_CD_DOOR_UNLOCK = 3;

// Bytes of one second of CD audio (44100 Hz, stereo, 16-bit) and of one sector.
constexpr std::int64_t kCdBytesPerSecond = 176400;
constexpr std::int64_t kCdSectorBytes = 2352;

class TYX_AudioCD {
 public:
  virtual ~TYX_AudioCD() = default;
  virtual int DriveCount() = 0;
  // Device node or image path of a drive; empty for an index out of range.
  virtual std::string DriveName(int drive) = 0;
  // Number of tracks of the disc in the drive; -1 on failure (the last error says why).
  virtual int TrackCount(int drive) = 0;
  // Length of a track (zero-based) in bytes of 44100 Hz stereo 16-bit PCM; -1 on failure.
  virtual std::int64_t TrackLength(int drive, int track) = 0;
  // One of the BASS_CD_DOOR_* actions. False on failure (a locked door does not open).
  virtual bool Door(int drive, int action) = 0;
  virtual bool DoorIsOpen(int drive) = 0;
  virtual bool DoorIsLocked(int drive) = 0;
  // Opens a decode-only PCM source of a track (zero-based); nullptr on failure.
  virtual std::unique_ptr<TYX_PcmSource> OpenTrack(int drive, int track) = 0;
  // The calling thread's last error code (audio_error.h numbering); 0 after a successful call.
  virtual int LastError() = 0;
};

// The process-wide audio-CD access; by default the libcdio one over the machine's drives plus the
// images listed in the environment variable TYX_CD_IMAGES (paths separated by ':').
std::shared_ptr<TYX_AudioCD> AudioCD();
// Installs another implementation (a scripted one in tests); nullptr restores the default.
void SetAudioCD(std::shared_ptr<TYX_AudioCD> cd);
// libcdio with cdparanoia: image drives come first in the given order, then real devices if asked.
std::shared_ptr<TYX_AudioCD> CreateCdioAudioCD(const std::vector<std::string>& images, bool withDevices);

}  // namespace TYX::Audio
