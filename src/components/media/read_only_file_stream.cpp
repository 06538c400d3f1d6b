#include "components/media/read_only_file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace TYX::Media {

ReadOnlyFileStream::ReadOnlyFileStream(const std::string& path) : path_(path) {
  // Non-blocking, so that a FIFO put in the file's place cannot hold the open.
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) {
    errno_ = errno;
    error_ = "cannot open the file: " + path + ": " + std::strerror(errno_);
    return;
  }
  struct stat st {};
  if (::fstat(fd_, &st) != 0) {
    errno_ = errno;
    error_ = "cannot open the file: " + path + ": " + std::strerror(errno_);
  } else if (!S_ISREG(st.st_mode)) {
    error_ = "not a regular file: " + path;
  }
  if (!error_.empty()) {
    ::close(fd_);
    fd_ = -1;
    return;
  }
  // A regular file never blocks a read; the flag only guarded the open.
  length_ = static_cast<long>(st.st_size);
}

ReadOnlyFileStream::~ReadOnlyFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t ReadOnlyFileStream::ReadAt(long offset, char* buffer, std::size_t n) {
  std::size_t got = 0;
  while (fd_ >= 0 && got < n) {
    const ssize_t r = ::pread(fd_, buffer + got, n - got, static_cast<off_t>(offset) + static_cast<off_t>(got));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    got += static_cast<std::size_t>(r);
  }
  return got;
}

const ReadOnlyFileStream::Block* ReadOnlyFileStream::BlockAt(long start) {
  for (Block& b : blocks_) {
    if (b.start == start) {
      b.used = ++clock_;
      return &b;
    }
  }
  // An empty slot first, else the one that served a read longest ago.
  Block* victim = &blocks_[0];
  for (Block& b : blocks_) {
    if (b.start < 0) {
      victim = &b;
      break;
    }
    if (b.used < victim->used) victim = &b;
  }
  victim->data.resize(kBlockSize);
  victim->start = -1;
  const std::size_t got = ReadAt(start, victim->data.data(), kBlockSize);
  if (got == 0) return nullptr;
  ++blocksRead_;
  victim->start = start;
  victim->size = got;
  victim->used = ++clock_;
  return victim;
}

TagLib::ByteVector ReadOnlyFileStream::readBlock(unsigned long length) {
  if (fd_ < 0 || length == 0 || position_ >= length_) return TagLib::ByteVector();
  const std::size_t wanted = static_cast<std::size_t>(std::min<long>(static_cast<long>(length), length_ - position_));
  TagLib::ByteVector result(static_cast<unsigned int>(wanted), '\0');
  std::size_t got = 0;
  if (wanted > 2 * kBlockSize) {
    // A large read (a picture, the audio itself) would only push the small blocks out of the cache.
    got = ReadAt(position_, result.data(), wanted);
  } else {
    while (got < wanted) {
      const long at = position_ + static_cast<long>(got);
      const long start = at - at % static_cast<long>(kBlockSize);
      const Block* b = BlockAt(start);
      if (b == nullptr) break;
      const std::size_t within = static_cast<std::size_t>(at - start);
      if (within >= b->size) break;
      const std::size_t take = std::min(wanted - got, b->size - within);
      std::memcpy(result.data() + got, b->data.data() + within, take);
      got += take;
    }
  }
  position_ += static_cast<long>(got);
  if (got < wanted) result.resize(static_cast<unsigned int>(got));
  return result;
}

void ReadOnlyFileStream::seek(long offset, Position p) {
  long base = 0;
  if (p == Current) base = position_;
  if (p == End) base = length_;
  if (base + offset >= 0) position_ = base + offset;
}

}  // namespace TYX::Media
