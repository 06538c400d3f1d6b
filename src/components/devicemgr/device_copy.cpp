#include "components/devicemgr/device_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "components/devicemgr/device_path.h"
#include "components/devicemgr/folder_handle.h"
#include "components/devicemgr/put_temp_file.h"

namespace TYX::DeviceMgr {

namespace fs = std::filesystem;

namespace {

// The longest piece copied between two looks at the cancel flag, and between two progress notices.
constexpr std::size_t kLongestChunk = 8u * 1024 * 1024;

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

struct Closer {
  int fd = -1;
  ~Closer() {
    if (fd >= 0) ::close(fd);
  }
};

// Copies the bytes of one chunk from `in` to `out` at their current offsets. The kernel copies them
// without passing through this process when it can; otherwise (another file system, a kernel without
// the call) they go through `buffer`, which is then used for every later chunk too. Answers the bytes
// copied (0 at the source's end) or -1 with the outcome in `code`.
class ChunkCopier {
 public:
  ChunkCopier(int in, int out, std::size_t chunk) : in_(in), out_(out), chunk_(chunk) {}

  std::int64_t Next(const FolderDevice& device, int& code) {
    if (inKernel_) {
      const ssize_t n = ::copy_file_range(in_, nullptr, out_, nullptr, chunk_, 0);
      if (n >= 0) return n;
      if (errno == EINTR) return Next(device, code);
      // Any refusal of the call itself, or an error it cannot place on either side: the plain way
      // copies on from the same offsets and tells a read error from a write error.
      inKernel_ = false;
    }
    if (buffer_.empty()) buffer_.resize(chunk_);
    ssize_t n;
    do {
      n = ::read(in_, buffer_.data(), buffer_.size());
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
      code = dm_tc_source_error;
      return -1;
    }
    if (n > 0 && !WriteAll(out_, buffer_.data(), static_cast<std::size_t>(n))) {
      code = WriteFailure(errno, device);
      return -1;
    }
    return n;
  }

 private:
  const int in_;
  const int out_;
  const std::size_t chunk_;
  bool inKernel_ = true;
  std::vector<char> buffer_;
};

// The client's own changes to the target folder, told to the device's listing cache when the copy is
// over (after the unfinished copy is gone): the folder's stamp from before the first change to after
// the last, and what became of the target's name.
class FolderChanges {
 public:
  FolderChanges(FolderDevice& device, const FolderHandle& folder, std::vector<std::string> names, std::string name)
      : device_(device), folder_(folder), names_(std::move(names)), name_(std::move(name)) {
    known_ = ReadFolderStamp(folder_.Fd(), before_);
  }
  ~FolderChanges() {
    FolderStamp after;
    if (!known_ || !ReadFolderStamp(folder_.Fd(), after)) {
      device_.Listings().Forget(names_);
      return;
    }
    if (size_.has_value()) {
      device_.Listings().Changed(names_, before_, after, name_, size_);
    } else if (removed_) {
      device_.Listings().Changed(names_, before_, after, name_, std::nullopt);
    } else {
      // Nothing of the listing changed; only the unfinished copy came and went.
      device_.Listings().Changed(names_, before_, after, std::string(), std::nullopt);
    }
    device_.Listings().AdjustUsed(usedDelta_);
  }
  FolderChanges(const FolderChanges&) = delete;
  FolderChanges& operator=(const FolderChanges&) = delete;

  void OldRemoved(std::uint64_t bytes) {
    removed_ = true;
    usedDelta_ -= static_cast<std::int64_t>(bytes);
  }
  void Placed(std::uint64_t bytes, std::uint64_t replacedBytes) {
    size_ = bytes;
    usedDelta_ += static_cast<std::int64_t>(bytes) - static_cast<std::int64_t>(replacedBytes);
  }

 private:
  FolderDevice& device_;
  const FolderHandle& folder_;
  const std::vector<std::string> names_;
  const std::string name_;
  FolderStamp before_;
  bool known_ = false;
  bool removed_ = false;
  std::optional<std::uint64_t> size_;
  std::int64_t usedDelta_ = 0;
};

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

  Closer in{::open(job.source.c_str(), O_RDONLY | O_CLOEXEC)};
  if (in.fd < 0) return dm_tc_source_error;
  // The source is read once from start to end.
  ::posix_fadvise(in.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  if (job.cancel->load()) return dm_tc_cancelled;
  // Declared before the unfinished copy, so it is told of the folder after that copy is gone.
  FolderChanges changes(device, folder, folders, name);
  std::uint64_t oldBytes = 0;
  if (removeOldFirst && folder.EntryKind(name, &oldBytes) == FolderHandle::Entry::File) {
    if (::unlinkat(folder.Fd(), name.c_str(), 0) != 0) return WriteFailure(errno, device);
    changes.OldRemoved(oldBytes);
  }
  PutTempFile out(folder, tempName, device);
  if (!out.Create()) return WriteFailure(errno, device);

  const std::size_t chunk = std::min(job.chunkSize > 0 ? job.chunkSize : kLongestChunk, kLongestChunk);
  ChunkCopier copier(in.fd, out.Fd(), chunk);
  std::uint64_t sent = 0;
  for (;;) {
    if (job.cancel->load()) return dm_tc_cancelled;
    if (!device.IsReachable()) return dm_tc_device_gone;
    int code = dm_tc_success;
    const std::int64_t n = copier.Next(device, code);
    if (n < 0) return code;
    if (n == 0) break;
    sent += static_cast<std::uint64_t>(n);
    if (progress) progress(sent);
    if (hook) hook(device.Id(), sent);
  }
  // What the rename will replace, looked at now: the old copy may have come or gone meanwhile.
  std::uint64_t replacing = 0;
  const bool replacesFile = folder.EntryKind(name, &replacing) == FolderHandle::Entry::File;
  if (replacesFile) {
    // The old copy must outlive a crash until the new one is whole: the new one reaches the disk first.
    if (::fdatasync(out.Fd()) != 0 && errno != EINVAL) return WriteFailure(errno, device);
  } else {
    // Nothing is lost if a crash takes a new file: it is not waited for. Writing it out starts now,
    // and the device is flushed when the transfer session ends or it is pulled out.
    ::sync_file_range(out.Fd(), 0, 0, SYNC_FILE_RANGE_WRITE);
  }
  if (!out.Close()) return WriteFailure(errno, device);
  if (job.cancel->load()) return dm_tc_cancelled;
  if (!device.IsReachable()) return dm_tc_device_gone;
  // The rename replaces a link of that name, never what it points to.
  if (!out.RenameTo(name)) return WriteFailure(errno, device);
  device.MarkUnflushed();
  changes.Placed(sent, replacesFile ? replacing : 0);
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
