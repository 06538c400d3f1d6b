#include "components/media/scratch_copy.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>

namespace TYX::Media {
namespace {

constexpr const char* kScratchSuffix = ".tyxsave-XXXXXX";
constexpr off_t kCopyChunk = 256 * 1024;

std::string FolderOf(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  return folder.empty() ? std::string(".") : folder.string();
}

}  // namespace

std::string ScratchName(const std::string& name, std::size_t maxName) {
  const std::size_t fixed = 1 + std::strlen(kScratchSuffix);
  std::size_t keep = maxName > fixed ? std::min(name.size(), maxName - fixed) : 0;
  while (keep > 0 && keep < name.size() && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
  return "." + name.substr(0, keep) + kScratchSuffix;
}

ScratchCopy::ScratchCopy(const std::string& target) {
  const std::string folder = FolderOf(target);
  const long limit = pathconf(folder.c_str(), _PC_NAME_MAX);
  const std::size_t maxName = limit > 0 ? static_cast<std::size_t>(limit) : 255u;
  std::string pattern =
      (std::filesystem::path(folder) / ScratchName(std::filesystem::path(target).filename().string(), maxName))
          .string();
  fd_ = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd_ < 0) {
    error_ = "cannot make a scratch file beside " + target + ": " + std::strerror(errno);
    return;
  }
  path_ = pattern;
}

ScratchCopy::~ScratchCopy() {
  if (fd_ >= 0) close(fd_);
  if (!path_.empty() && !kept_) unlink(path_.c_str());
}

bool ScratchCopy::Fail(const std::string& what, int error) {
  error_ = what + ": " + std::strerror(error);
  return false;
}

bool ScratchCopy::CopyFrom(const std::string& source) {
  if (fd_ < 0) {
    if (error_.empty()) error_ = "the scratch file is not open";
    return false;
  }
  // Non-blocking, so that a FIFO put in the file's place cannot hold the open.
  const int in = open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (in < 0) return Fail("cannot open " + source, errno);
  const bool copied = CopyAll(in, source);
  close(in);
  if (!copied) return false;
  if (fsync(fd_) != 0) return Fail("cannot flush the scratch copy", errno);
  const int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0) return Fail("cannot close the scratch copy", errno);
  return true;
}

bool ScratchCopy::CopyAll(int in, const std::string& source) {
  struct stat st {};
  if (fstat(in, &st) != 0) return Fail("cannot read " + source, errno);
  if (!S_ISREG(st.st_mode)) {
    error_ = "not a regular file: " + source;
    return false;
  }
  // No larger than the file, and not zero-filled: it is written over before it is read.
  const std::size_t chunk = static_cast<std::size_t>(std::clamp<off_t>(st.st_size, 1, kCopyChunk));
  const std::unique_ptr<char[]> buffer(new char[chunk]);
  std::uint64_t total = 0;
  for (;;) {
    const ssize_t n = read(in, buffer.get(), chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail("cannot read " + source, errno);
    if (n == 0) break;
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = write(fd_, buffer.get() + done, static_cast<std::size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      // A short write is followed by one that says why (no space, file too large).
      if (w <= 0) return Fail("cannot write the scratch copy", w < 0 ? errno : EIO);
      done += w;
    }
    total += static_cast<std::uint64_t>(n);
  }
  if (total != static_cast<std::uint64_t>(st.st_size)) {
    error_ = "the file changed while it was copied: " + source;
    return false;
  }
  if (fchmod(fd_, st.st_mode & 07777) != 0) return Fail("cannot set the scratch copy's mode", errno);
  // The owner only where we may set it (the super-user, or a group we belong to); otherwise the saved
  // file belongs to us, as any file we write does.
  if (fchown(fd_, st.st_uid, st.st_gid) != 0 && errno != EPERM) {
    return Fail("cannot set the scratch copy's owner", errno);
  }
  return true;
}

}  // namespace TYX::Media
