#pragma once
// Copying one local file onto a folder device, in chunks, with a progress notice after each chunk.
// The copy is written under a temporary name in the target folder and renamed when complete, so a
// cancelled or failed copy leaves no partial file behind. The target folder is reached without following
// a link (a link on the way ends the copy with dm_tc_bad_path); a link in the target's place is replaced,
// never written through. A file replaced by the copy counts as free space.
// A copy that replaces a file reaches the disk before the rename, so a crash leaves the old file or the
// whole new one. A new name is not waited for (its writing-out starts at the rename; the client flushes
// the device once per transfer session). The kernel copies the bytes itself where it can.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "components/devicemgr/folder_device.h"
#include "contracts/device_records.h"
#include "platform/types.h"

namespace TYX::DeviceMgr {

struct CopyJob {
  std::filesystem::path source;
  std::vector<std::string> target;  // device names of the target file, from the top folder
  FolderDevice::CancelFlag cancel;
  std::size_t chunkSize = 1024 * 1024;  // bytes between two progress notices (at most 8 MiB)
  std::uint64_t jobId = 0;  // makes the temporary name unique
};

// Receives the progress notices (dm_ts_progress, bytes sent so far).
using ProgressFn = std::function<void(std::uint64_t sent)>;
// Called after each chunk on the copying thread, after its progress notice (a hook for hosts and tests).
using ChunkHook = std::function<void(unsigned deviceId, std::uint64_t sent)>;

// Runs the copy and answers its outcome (a dm_transfer_code). The cancel flag is read before every
// chunk and once more before the rename, so a cancel stops the copy within one chunk.
int CopyToDevice(FolderDevice& device, const CopyJob& job, const ProgressFn& progress, const ChunkHook& hook);

}  // namespace TYX::DeviceMgr
