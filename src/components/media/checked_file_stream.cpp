#include "components/media/checked_file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace TYX::Media {
namespace {

constexpr std::size_t kMoveChunk = 256 * 1024;

}  // namespace

CheckedFileStream::CheckedFileStream(const std::string& path) : path_(path) {
  // Non-blocking, so that a FIFO put in the file's place cannot hold the open.
  fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) {
    Fail("cannot open", errno);
    return;
  }
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    Fail("not a regular file", 0);
    ::close(fd_);
    fd_ = -1;
    return;
  }
  ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
}

CheckedFileStream::~CheckedFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

void CheckedFileStream::Fail(const std::string& what, int error) {
  if (!error_.empty()) return;
  error_ = what + " " + path_;
  if (error != 0) error_ += ": " + std::string(std::strerror(error));
}

bool CheckedFileStream::SyncAndClose() {
  if (fd_ < 0) {
    if (error_.empty()) error_ = "the file is not open: " + path_;
    return false;
  }
  if (error_.empty() && ::fsync(fd_) != 0) Fail("cannot flush", errno);
  if (::close(fd_) != 0) Fail("cannot close", errno);
  fd_ = -1;
  return error_.empty();
}

std::size_t CheckedFileStream::ReadAt(long offset, char* buffer, std::size_t n) {
  std::size_t got = 0;
  while (fd_ >= 0 && got < n) {
    const ssize_t r = ::pread(fd_, buffer + got, n - got, static_cast<off_t>(offset) + static_cast<off_t>(got));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) {
      Fail("cannot read", errno);
      break;
    }
    if (r == 0) break;
    got += static_cast<std::size_t>(r);
  }
  return got;
}

bool CheckedFileStream::WriteAt(long offset, const char* buffer, std::size_t n) {
  if (!Writable()) return false;
  if (offset < 0) {
    Fail("cannot write before the start of", 0);
    return false;
  }
  std::size_t done = 0;
  while (done < n) {
    const ssize_t w = ::pwrite(fd_, buffer + done, n - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      // A short write is followed by one that says why (no space, file too large).
      Fail("cannot write", w < 0 ? errno : EIO);
      return false;
    }
    done += static_cast<std::size_t>(w);
  }
  return true;
}

TagLib::ByteVector CheckedFileStream::readBlock(unsigned long length) {
  const long size = this->length();
  if (length == 0 || position_ >= size) return TagLib::ByteVector();
  // Never more than the file holds: a hostile length must not become a huge buffer.
  const auto n = static_cast<std::size_t>(std::min<unsigned long>(length, static_cast<unsigned long>(size - position_)));
  TagLib::ByteVector block(static_cast<unsigned int>(n), 0);
  const std::size_t got = ReadAt(position_, block.data(), n);
  block.resize(static_cast<unsigned int>(got));
  position_ += static_cast<long>(got);
  return block;
}

void CheckedFileStream::writeBlock(const TagLib::ByteVector& data) {
  if (WriteAt(position_, data.data(), data.size())) position_ += static_cast<long>(data.size());
}

bool CheckedFileStream::Move(long from, long end, long to) {
  if (from >= end || from == to) return Writable();
  std::vector<char> buffer(std::min<std::size_t>(kMoveChunk, static_cast<std::size_t>(end - from)));
  if (to > from) {
    // Moving towards the end: copy the last chunk first so nothing is overwritten before it is read.
    for (long stop = end; stop > from;) {
      const auto n = static_cast<std::size_t>(std::min<long>(static_cast<long>(buffer.size()), stop - from));
      const long at = stop - static_cast<long>(n);
      if (ReadAt(at, buffer.data(), n) != n) {
        Fail("cannot read back", EIO);
        return false;
      }
      if (!WriteAt(at + (to - from), buffer.data(), n)) return false;
      stop = at;
    }
  } else {
    for (long at = from; at < end;) {
      const auto n = static_cast<std::size_t>(std::min<long>(static_cast<long>(buffer.size()), end - at));
      if (ReadAt(at, buffer.data(), n) != n) {
        Fail("cannot read back", EIO);
        return false;
      }
      if (!WriteAt(at - (from - to), buffer.data(), n)) return false;
      at += static_cast<long>(n);
    }
  }
  return true;
}

void CheckedFileStream::insert(const TagLib::ByteVector& data, unsigned long start, unsigned long replace) {
  if (!Writable()) return;
  const long at = static_cast<long>(start);
  const long size = static_cast<long>(data.size());
  const long replaced = static_cast<long>(replace);
  if (size < replaced) {
    seek(at);
    writeBlock(data);
    removeBlock(start + data.size(), replace - data.size());
    return;
  }
  if (size > replaced) {
    const long end = length();
    if (at + replaced < end && !Move(at + replaced, end, at + size)) return;
  }
  seek(at);
  writeBlock(data);
}

void CheckedFileStream::removeBlock(unsigned long start, unsigned long length) {
  if (!Writable() || length == 0) return;
  const long end = this->length();
  const long from = static_cast<long>(start + length);
  const long at = static_cast<long>(start);
  if (from < end && !Move(from, end, at)) return;
  truncate(std::max(at, end - static_cast<long>(length)));
}

void CheckedFileStream::seek(long offset, Position p) {
  long base = 0;
  if (p == Current) base = position_;
  if (p == End) base = length();
  if (base + offset >= 0) position_ = base + offset;
}

long CheckedFileStream::length() {
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return 0;
  return static_cast<long>(st.st_size);
}

void CheckedFileStream::truncate(long length) {
  if (!Writable()) return;
  if (length < 0 || ::ftruncate(fd_, static_cast<off_t>(length)) != 0) Fail("cannot truncate", errno);
}

}  // namespace TYX::Media
