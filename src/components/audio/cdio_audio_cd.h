#pragma once
// Audio-CD access over libcdio: real drives and cue/bin images, tracks read with cdparanoia.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "components/audio/cd_drive.h"

namespace TYX::Audio {

class CdioAudioCD final : public TYX_AudioCD {
 public:
  CdioAudioCD(const std::vector<std::string>& images, bool withDevices);

  int DriveCount() override;
  std::string DriveName(int drive) override;
  int TrackCount(int drive) override;
  std::int64_t TrackLength(int drive, int track) override;
  bool Door(int drive, int action) override;
  bool DoorIsOpen(int drive) override;
  bool DoorIsLocked(int drive) override;
  std::unique_ptr<TYX_PcmSource> OpenTrack(int drive, int track) override;
  int LastError() override;

 private:
  struct Drive {
    std::string name;
    bool image = false;
    bool open = false;    // door state of an image drive; a real drive asks the device
    bool locked = false;  // lock state as we set it
  };
  // Null with the last error set when the index is bad or (for an image) the door is open.
  const Drive* Find(int drive);

  std::mutex mutex_;  // guards drives_ (any thread)
  std::vector<Drive> drives_;
};

}  // namespace TYX::Audio
