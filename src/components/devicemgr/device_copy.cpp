#include "components/devicemgr/device_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "components/devicemgr/device_path.h"
#include "components/devicemgr/folder_handle.h"
#include "components/devicemgr/put_temp_file.h"

namespace TYX::DeviceMgr {

namespace fs = std::filesystem;

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f != nullptr) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The outcome of a write error: the disk is full, the device went away, or it refused the write.
int WriteFailure(int err, const FolderDevice& device) {
  if (err == ENOSPC || err == EDQUOT) return dm_tc_no_space;
  return device.IsReachable() ? dm_tc_write_error : dm_tc_device_gone;
}

// The outcome of a target folder that could not be opened.
int FolderFailure(const FolderHandle& folder, const FolderDevice& device) {
  if (folder.GetState() == FolderHandle::State::Refused) return dm_tc_bad_path;
  return device.IsReachable() ? dm_tc_write_error : dm_tc_device_gone;
}

bool WriteAll(int fd, const char* p, std::size_t left) {
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

int RunCopy(FolderDevice& device, const CopyJob& job, const std::string& tempName, const ProgressFn& progress,
            const ChunkHook& hook) {
  if (job.cancel->load()) return dm_tc_cancelled;
  if (!device.IsReachable()) return dm_tc_device_gone;
  if (device.Profile().batteryLow) return dm_tc_battery_low;

  std::error_code ec;
  const std::uint64_t size = fs::file_size(job.source, ec);
  if (ec) return dm_tc_source_error;

  const std::vector<std::string> folders(job.target.begin(), job.target.end() - 1);
  const std::string& name = job.target.back();
  // A file of the same name gives its space back when the copy replaces it.
  std::uint64_t replaced = 0;
  {
    const FolderHandle existing(device.Root(), folders, false);
    if (existing.GetState() == FolderHandle::State::Refused) return dm_tc_bad_path;
    std::uint64_t bytes = 0;
    if (existing.IsOpen() && existing.EntryKind(name, &bytes) == FolderHandle::Entry::File) replaced = bytes;
  }
  SpaceFigures space;
  // Without a capacity only the disk's free space counts: no walk over the device's files per put.
  if (!device.ComputeSpace(space, false)) return dm_tc_device_gone;
  if (space.capacity > 0) {
    const std::uint64_t usedAfter = space.used > replaced ? space.used - replaced : 0;
    if (usedAfter > space.capacity || size > space.capacity - usedAfter) return dm_tc_no_space;
  }
  // The copy is written beside the old file; when the disk holds it only once the old file is gone, the
  // old file goes first (a failed copy then leaves neither, never a partial file).
  bool removeOldFirst = false;
  if (size > space.diskFree) {
    if (size - space.diskFree > replaced) return dm_tc_no_space;
    removeOldFirst = true;
  }

  const FolderHandle folder(device.Root(), folders, true);
  if (!folder.IsOpen()) return FolderFailure(folder, device);

  FilePtr in(std::fopen(job.source.c_str(), "rb"));
  if (!in) return dm_tc_source_error;
  if (job.cancel->load()) return dm_tc_cancelled;
  if (removeOldFirst && folder.EntryKind(name) == FolderHandle::Entry::File &&
      ::unlinkat(folder.Fd(), name.c_str(), 0) != 0) {
    return WriteFailure(errno, device);
  }
  PutTempFile out(folder, tempName, device);
  if (!out.Create()) return WriteFailure(errno, device);

  std::vector<char> buffer(job.chunkSize > 0 ? job.chunkSize : 64 * 1024);
  std::uint64_t sent = 0;
  for (;;) {
    if (job.cancel->load()) return dm_tc_cancelled;
    if (!device.IsReachable()) return dm_tc_device_gone;
    const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), in.get());
    if (n == 0) {
      if (std::ferror(in.get())) return dm_tc_source_error;
      break;
    }
    if (!WriteAll(out.Fd(), buffer.data(), n)) return WriteFailure(errno, device);
    sent += n;
    if (progress) progress(sent);
    if (hook) hook(device.Id(), sent);
  }
  if (::fsync(out.Fd()) != 0 && errno != EINVAL) return WriteFailure(errno, device);
  if (!out.Close()) return WriteFailure(errno, device);
  if (job.cancel->load()) return dm_tc_cancelled;
  if (!device.IsReachable()) return dm_tc_device_gone;
  // The rename replaces a link of that name, never what it points to.
  if (!out.RenameTo(name)) return WriteFailure(errno, device);
  return dm_tc_success;
}

}  // namespace

int CopyToDevice(FolderDevice& device, const CopyJob& job, const ProgressFn& progress, const ChunkHook& hook) {
  if (job.target.empty()) return dm_tc_bad_path;
  const std::string tempName =
      std::string(kPutTempPrefix) + std::to_string(::getpid()) + "-" + std::to_string(job.jobId) + ".part";
  return RunCopy(device, job, tempName, progress, hook);
}

}  // namespace TYX::DeviceMgr
