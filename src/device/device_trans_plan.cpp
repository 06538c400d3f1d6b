#include "device/device_trans_plan.h"

#include "contracts/device_mgr_client.h"
#include "device/phone_music_index.h"
#include "util/file_system.h"

namespace TYX::Device {

const char* TransferCheckName(TransferCheck check) {
  switch (check) {
    case TransferCheck::None: return "send";
    case TransferCheck::Format: return "format";
    case TransferCheck::Media: return "music";
    case TransferCheck::Bitrate: return "bitrate";
    case TransferCheck::Name: return "name";
    case TransferCheck::Space: return "space";
    case TransferCheck::AlreadyThere: return "already there";
  }
  return "?";
}

std::vector<TransferPlanEntry> BuildTransferPlan(unsigned device, const std::vector<std::string>& files,
                                                 TYX_DeviceFilePrep& prep, bool syncMode) {
  FileInfo listing;
  dmGetFileList(device, listing, 0);
  const bool bluetooth = dmIsBluetoothConnected(device) != 0;
  TYX_PhoneMusicIndex index;
  index.Build(listing, !bluetooth);

  // The checks come in the order the job makes them: the phone name and what is there already first.
  std::vector<TransferPlanEntry> plan;
  std::vector<FileCheck> fileChecks;
  plan.reserve(files.size());
  for (const auto& path : files) {
    TransferPlanEntry entry;
    entry.path = path;
    entry.size = static_cast<std::int64_t>(Util::GetFileSize(path));
    std::string source;
    entry.message = prep.GetDeviceFileName(device, path, entry.deviceName, source);
    if (!entry.message.empty()) {
      entry.check = TransferCheck::Name;
    } else if (index.MatchAndKeep(entry.deviceName, entry.size)) {
      entry.check = TransferCheck::AlreadyThere;
    }
    fileChecks.push_back(entry.check == TransferCheck::None ? prep.CheckFile(device, path) : FileCheck{});
    plan.push_back(std::move(entry));
  }
  // In sync mode what no file matched is removed before the first copy.
  std::int64_t free = static_cast<std::int64_t>(dmGetDeviceFreeSpace(device, 0));
  if (syncMode) {
    for (const auto& entry : index.Unkept()) free += static_cast<std::int64_t>(entry.size);
  }
  for (std::size_t i = 0; i < plan.size(); ++i) {
    TransferPlanEntry& entry = plan[i];
    if (entry.check != TransferCheck::None) continue;
    const FileCheck& check = fileChecks[i];
    const bool refused = check.check != TransferCheck::None;
    const bool fits = free >= entry.size;
    // A cable job looks at the space before it reads the file; a Bluetooth batch the other way round.
    if (!fits && (!refused || !bluetooth)) {
      entry.check = TransferCheck::Space;
      entry.message = dmGetErrorString(dm_tc_no_space);
    } else if (refused) {
      entry.check = check.check;
      entry.message = check.message;
    } else {
      free -= entry.size;
    }
  }
  return plan;
}

}  // namespace TYX::Device
