#include "components/devicemgr/folder_device.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "components/devicemgr/device_path.h"

namespace TYX::DeviceMgr {

namespace fs = std::filesystem;

FolderDevice::FolderDevice(unsigned id, fs::path root, DeviceProfile profile, const stModelInfo* model)
    : id_(id), root_(std::move(root)), profile_(std::move(profile)), model_(model) {}

DeviceProfile FolderDevice::Profile() const {
  std::lock_guard<std::mutex> lk(mutex_);
  return profile_;
}

const stModelInfo* FolderDevice::Model() const {
  std::lock_guard<std::mutex> lk(mutex_);
  return model_;
}

void FolderDevice::SetProfile(DeviceProfile profile, const stModelInfo* model) {
  std::lock_guard<std::mutex> lk(mutex_);
  profile_ = std::move(profile);
  model_ = model;
}

std::vector<std::string> FolderDevice::CurrentFolder() const {
  const std::string folder = Profile().folder;
  // The profile parser accepted this folder, so splitting it cannot fail.
  return SplitDevicePath(folder, {}).names;
}

void FolderDevice::MarkDisconnected() {
  {
    std::lock_guard<std::mutex> lk(mutex_);
    connected_.store(false);
  }
  // Transfers see the device unreachable before their next chunk and end with "device gone"; they
  // are not cancelled, which would report a user's cancel instead.
  readyChanged_.notify_all();
}

bool FolderDevice::IsReachable() const {
  if (!IsConnected()) return false;
  std::error_code ec;
  return fs::is_directory(root_, ec);
}

bool FolderDevice::IsSuspended() const {
  std::lock_guard<std::mutex> lk(mutex_);
  return suspended_;
}

void FolderDevice::SetSuspended(bool suspended) {
  {
    std::lock_guard<std::mutex> lk(mutex_);
    suspended_ = suspended;
  }
  readyChanged_.notify_all();
}

bool FolderDevice::WaitUntilReady(std::uint32_t timeoutMs) {
  std::unique_lock<std::mutex> lk(mutex_);
  readyChanged_.wait_for(lk, std::chrono::milliseconds(timeoutMs),
                         [this] { return !suspended_ || !connected_.load(); });
  return !suspended_ && connected_.load();
}

FolderDevice::CancelFlag FolderDevice::AddTransfer() {
  auto flag = std::make_shared<std::atomic<bool>>(false);
  std::lock_guard<std::mutex> lk(mutex_);
  transfers_.insert(flag);
  return flag;
}

void FolderDevice::RemoveTransfer(const CancelFlag& flag) {
  std::lock_guard<std::mutex> lk(mutex_);
  transfers_.erase(flag);
}

void FolderDevice::CancelTransfers() {
  std::lock_guard<std::mutex> lk(mutex_);
  for (const auto& f : transfers_) f->store(true);
}

bool FolderDevice::ComputeSpace(SpaceFigures& out, bool withUsed) const {
  std::error_code ec;
  if (!fs::is_directory(root_, ec)) return false;
  const fs::space_info disk = fs::space(root_, ec);
  if (ec) return false;
  const std::uint64_t profileCapacity = Profile().capacity;
  if (!withUsed && profileCapacity == 0) {
    // Only the disk bounds such a device: its free space is the disk's, whatever the device holds.
    out = SpaceFigures{};
    out.diskFree = disk.available;
    out.free = disk.available;
    return true;
  }
  std::uint64_t used = 0;
  if (const auto kept = listings_.Used()) {
    used = *kept;
  } else {
    fs::recursive_directory_iterator it(root_, fs::directory_options::skip_permission_denied, ec);
    if (ec) return false;
    for (const fs::recursive_directory_iterator end; it != end; it.increment(ec)) {
      if (ec) return false;
      std::error_code entryEc;
      if (it->is_regular_file(entryEc) && !it->is_symlink(entryEc)) {
        const auto size = it->file_size(entryEc);
        if (!entryEc) used += size;
      }
    }
    listings_.SetUsed(used);
  }
  const std::uint64_t capacity = Profile().capacity;
  const std::uint64_t diskFree = disk.available;
  out.used = used;
  out.capacity = capacity;
  out.diskFree = diskFree;
  if (capacity == 0) {
    out.free = diskFree;
    out.total = used + diskFree;
  } else {
    out.total = capacity;
    out.free = std::min<std::uint64_t>(capacity > used ? capacity - used : 0, diskFree);
  }
  return true;
}

bool FolderDevice::Flush() {
  if (!unflushed_.exchange(false)) return true;
  const int fd = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // A root that is gone took its files with it: there is nothing left to write.
  if (fd < 0) return errno == ENOENT;
  const bool ok = ::syncfs(fd) == 0;
  if (!ok) {
    std::fprintf(stderr, "devicemgr: cannot flush the device at %s: %s\n", root_.c_str(), std::strerror(errno));
    unflushed_.store(true);
  }
  ::close(fd);
  return ok;
}

}  // namespace TYX::DeviceMgr
