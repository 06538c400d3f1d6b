#include "components/devicemgr/device_copy.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "components/devicemgr/device_path.h"

namespace TYX::DeviceMgr {

namespace fs = std::filesystem;

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f != nullptr) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Creates the folders of the target one level at a time below the root, never the root itself: a
// device whose root folder vanished must not be brought back by a put.
bool MakeFolders(const fs::path& root, const std::vector<std::string>& folders) {
  fs::path p = root;
  for (const auto& name : folders) {
    p /= name;
    std::error_code ec;
    if (fs::is_directory(p, ec)) continue;
    if (!fs::create_directory(p, ec) && !fs::is_directory(p, ec)) return false;
  }
  return true;
}

// The outcome of a write error: the disk is full, the device went away, or it refused the write.
int WriteFailure(int err, const FolderDevice& device) {
  if (err == ENOSPC || err == EDQUOT) return dm_tc_no_space;
  return device.IsReachable() ? dm_tc_write_error : dm_tc_device_gone;
}

int RunCopy(FolderDevice& device, const CopyJob& job, const fs::path& temp, const fs::path& target,
            const ProgressFn& progress, const ChunkHook& hook) {
  if (job.cancel->load()) return dm_tc_cancelled;
  if (!device.IsReachable()) return dm_tc_device_gone;
  if (device.Profile().batteryLow) return dm_tc_battery_low;

  std::error_code ec;
  const std::uint64_t size = fs::file_size(job.source, ec);
  if (ec) return dm_tc_source_error;
  SpaceFigures space;
  if (!device.ComputeSpace(space)) return dm_tc_device_gone;
  if (size > space.free) return dm_tc_no_space;

  const std::vector<std::string> folders(job.target.begin(), job.target.end() - 1);
  if (!MakeFolders(device.Root(), folders)) return device.IsReachable() ? dm_tc_write_error : dm_tc_device_gone;

  FilePtr in(std::fopen(job.source.c_str(), "rb"));
  if (!in) return dm_tc_source_error;
  // "x": never open a file that already exists under the temporary name.
  FilePtr out(std::fopen(temp.c_str(), "wbx"));
  if (!out) return device.IsReachable() ? dm_tc_write_error : dm_tc_device_gone;

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
    if (std::fwrite(buffer.data(), 1, n, out.get()) != n || std::fflush(out.get()) != 0) {
      return WriteFailure(errno, device);
    }
    sent += n;
    if (progress) progress(sent);
    if (hook) hook(device.Id(), sent);
  }
  if (::fsync(::fileno(out.get())) != 0 && errno != EINVAL) return WriteFailure(errno, device);
  if (std::fclose(out.release()) != 0) return WriteFailure(errno, device);
  if (job.cancel->load()) return dm_tc_cancelled;
  if (!device.IsReachable()) return dm_tc_device_gone;
  fs::rename(temp, target, ec);
  if (ec) return device.IsReachable() ? dm_tc_write_error : dm_tc_device_gone;
  return dm_tc_success;
}

}  // namespace

int CopyToDevice(FolderDevice& device, const CopyJob& job, const ProgressFn& progress, const ChunkHook& hook) {
  if (job.target.empty()) return dm_tc_bad_path;
  const fs::path target = HostPathOf(device.Root(), job.target);
  const fs::path temp = target.parent_path() / (std::string(kPutTempPrefix) + std::to_string(::getpid()) + "-" +
                                                std::to_string(job.jobId) + ".part");
  const int code = RunCopy(device, job, temp, target, progress, hook);
  if (code != dm_tc_success) {
    std::error_code ec;
    fs::remove(temp, ec);
    if (ec && device.IsReachable()) {
      std::fprintf(stderr, "devicemgr: cannot remove the unfinished copy %s: %s\n", temp.c_str(),
                   ec.message().c_str());
    }
  }
  return code;
}

}  // namespace TYX::DeviceMgr
