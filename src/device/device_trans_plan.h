#pragma once
// The checked plan of a transfer: for each file, in order, its phone name and the check that would
// refuse it (format, music, bit rate, name, free space) or settle it (already on the phone). Made from
// the device's model information, one listing of its folder and its free space; nothing on the phone
// changes.
#include <cstdint>
#include <string>
#include <vector>

#include "device/device_file_prep.h"

namespace TYX::Device {

struct TransferPlanEntry {
  std::string path;
  std::string deviceName;
  std::int64_t size = 0;  // bytes of the local file
  TransferCheck check = TransferCheck::None;
  std::string message;    // the refusal text; empty when sent or already there
};

// syncMode: the phone music that no listed file matches counts as free space (a sync removes it).
std::vector<TransferPlanEntry> BuildTransferPlan(unsigned device, const std::vector<std::string>& files,
                                                 TYX_DeviceFilePrep& prep, bool syncMode);
// A short name of a check ("format", "bitrate", "space", ...), for reports.
const char* TransferCheckName(TransferCheck check);

}  // namespace TYX::Device
