#pragma once
// The storage read-out a transfer keeps up to date (the content footer of the host, or a stand-in): the
// phone's used bytes, the bytes sent by this job and the capacity, and the automatic-sync state.
// Called on the controller's window thread only.
#include <cstdint>

namespace TYX::Device {

enum eAutoSyncMethod : int {
  eAutoSyncSync = 0,  // sync mode: the phone keeps only the listed music
  eAutoSyncAdd = 1,   // the listed music is added to what the phone has
};

class TYX_DeviceTransReadout {
 public:
  virtual ~TYX_DeviceTransReadout() = default;
  // 1: a transfer starts; 2: it ended.
  virtual void SetAutosyncInfo(int state) = 0;
  virtual void SetDeviceInfo(std::uint64_t used, std::uint64_t done, std::uint64_t total, eAutoSyncMethod method) = 0;
};

}  // namespace TYX::Device
