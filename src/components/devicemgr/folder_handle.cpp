#include "components/devicemgr/folder_handle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace TYX::DeviceMgr {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

}  // namespace

FolderHandle::FolderHandle(const std::filesystem::path& root, const std::vector<std::string>& names, bool create) {
  int fd = ::open(root.c_str(), kFolderFlags);
  if (fd < 0) {
    error_ = "cannot open the device folder " + root.string() + ": " + std::strerror(errno);
    return;
  }
  for (const std::string& name : names) {
    int next = ::openat(fd, name.c_str(), kFolderFlags);
    if (next < 0 && errno == ENOENT && create) {
      if (::mkdirat(fd, name.c_str(), 0755) != 0 && errno != EEXIST) {
        error_ = "cannot make the folder \"" + name + "\": " + std::strerror(errno);
        ::close(fd);
        return;
      }
      next = ::openat(fd, name.c_str(), kFolderFlags);
    }
    if (next < 0) {
      const int err = errno;
      if (err == ENOENT) {
        state_ = State::Missing;
        error_ = "no folder \"" + name + "\"";
      } else if (err == ELOOP || err == ENOTDIR) {
        state_ = State::Refused;
        error_ = "\"" + name + "\" is a link or a file, not a folder of the device";
      } else {
        error_ = "cannot open the folder \"" + name + "\": " + std::strerror(err);
      }
      ::close(fd);
      return;
    }
    ::close(fd);
    fd = next;
  }
  fd_ = fd;
  state_ = State::Open;
}

FolderHandle::~FolderHandle() {
  if (fd_ >= 0) ::close(fd_);
}

FolderHandle::Entry FolderHandle::EntryKind(const std::string& name, std::uint64_t* size) const {
  if (fd_ < 0) return Entry::None;
  struct stat st {};
  if (::fstatat(fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return Entry::None;
  if (size != nullptr) *size = static_cast<std::uint64_t>(st.st_size);
  if (S_ISREG(st.st_mode)) return Entry::File;
  if (S_ISDIR(st.st_mode)) return Entry::Folder;
  if (S_ISLNK(st.st_mode)) return Entry::Link;
  return Entry::Other;
}

}  // namespace TYX::DeviceMgr
