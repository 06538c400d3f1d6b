#include "helpers/small_file_system.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace TYX::Test {

namespace {

constexpr const char* kFiller = ".filler";

std::string MountError(const char* what) {
  return std::string(what) + " failed: " + std::strerror(errno) + " (mounting needs root or CAP_SYS_ADMIN)";
}

}  // namespace

SmallFileSystem::SmallFileSystem(std::uint64_t bytes) {
  const std::string options = "size=" + std::to_string(bytes) + ",mode=0777";
  if (::mount("tyx-small", dir_.Path().c_str(), "tmpfs", 0, options.c_str()) == 0) {
    mounted_ = true;
  } else {
    error_ = MountError("mounting a small tmpfs");
  }
}

SmallFileSystem::~SmallFileSystem() {
  // Unmount first: the temporary folder's own clean-up then removes only the empty mount point.
  if (mounted_) ::umount2(dir_.Path().c_str(), MNT_DETACH);
}

std::uint64_t SmallFileSystem::FreeBytes() const {
  struct statvfs st {};
  if (::statvfs(dir_.Path().c_str(), &st) != 0) return 0;
  return static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize;
}

std::uint64_t SmallFileSystem::FillUp() {
  const int fd = ::open(File(kFiller).c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (fd < 0) return 0;
  std::vector<char> block(4096, 'f');
  std::uint64_t taken = 0;
  // Whole blocks first, then single bytes for a tail the block write could not place.
  for (std::size_t chunk : {block.size(), std::size_t{1}}) {
    for (;;) {
      const ssize_t n = ::write(fd, block.data(), chunk);
      if (n <= 0) break;
      taken += static_cast<std::uint64_t>(n);
    }
  }
  ::fsync(fd);
  ::close(fd);
  return taken;
}

void SmallFileSystem::Release() { ::unlink(File(kFiller).c_str()); }

ReadOnlyView::ReadOnlyView(const std::string& source) {
  if (::mount(source.c_str(), dir_.Path().c_str(), nullptr, MS_BIND, nullptr) != 0) {
    error_ = MountError("bind-mounting a folder");
    return;
  }
  // A bind mount takes the read-only flag only on a remount.
  if (::mount(nullptr, dir_.Path().c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
    error_ = MountError("making the bind mount read-only");
    ::umount2(dir_.Path().c_str(), MNT_DETACH);
    return;
  }
  mounted_ = true;
}

ReadOnlyView::~ReadOnlyView() {
  if (mounted_) ::umount2(dir_.Path().c_str(), MNT_DETACH);
}

}  // namespace TYX::Test
