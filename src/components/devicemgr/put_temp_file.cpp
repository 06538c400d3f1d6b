#include "components/devicemgr/put_temp_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace TYX::DeviceMgr {

PutTempFile::PutTempFile(const FolderHandle& folder, std::string name, const FolderDevice& device)
    : folder_(folder), name_(std::move(name)), device_(device) {}

PutTempFile::~PutTempFile() {
  if (fd_ >= 0) ::close(fd_);
  // A device that went away takes its files with it; only a reachable one is worth a word.
  if (made_ && ::unlinkat(folder_.Fd(), name_.c_str(), 0) != 0 && device_.IsReachable()) {
    std::fprintf(stderr, "devicemgr: cannot remove the unfinished copy %s: %s\n", name_.c_str(), std::strerror(errno));
  }
}

bool PutTempFile::Create() {
  // O_EXCL and O_NOFOLLOW: never open a file or follow a link already there under this name.
  fd_ = ::openat(folder_.Fd(), name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  made_ = fd_ >= 0;
  return made_;
}

bool PutTempFile::Close() {
  const int fd = fd_;
  fd_ = -1;
  return ::close(fd) == 0;
}

bool PutTempFile::RenameTo(const std::string& target) {
  if (::renameat(folder_.Fd(), name_.c_str(), folder_.Fd(), target.c_str()) != 0) return false;
  made_ = false;
  return true;
}

}  // namespace TYX::DeviceMgr
