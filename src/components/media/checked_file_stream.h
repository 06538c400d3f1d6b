#pragma once
// A TagLib stream over a file descriptor whose every read, write, move and truncation is checked.
// TagLib's own file stream drops write errors (a full disk, a file-size limit), so a save through it can
// report success over a cut file; this one records the first error, stops writing from then on, and
// reports it at SyncAndClose. Included only by the component's sources.
#include <taglib/tiostream.h>

#include <string>

namespace TYX::Media {

class CheckedFileStream final : public TagLib::IOStream {
 public:
  // Opens an existing regular file for reading and writing; Error() tells why when it cannot.
  explicit CheckedFileStream(const std::string& path);
  ~CheckedFileStream() override;
  CheckedFileStream(const CheckedFileStream&) = delete;
  CheckedFileStream& operator=(const CheckedFileStream&) = delete;

  // The first failure, empty while every step succeeded.
  const std::string& Error() const { return error_; }
  // Flushes the file to the disk and closes it: false when that or any earlier step failed.
  bool SyncAndClose();

  TagLib::FileName name() const override { return path_.c_str(); }
  TagLib::ByteVector readBlock(unsigned long length) override;
  void writeBlock(const TagLib::ByteVector& data) override;
  void insert(const TagLib::ByteVector& data, unsigned long start = 0, unsigned long replace = 0) override;
  void removeBlock(unsigned long start = 0, unsigned long length = 0) override;
  bool readOnly() const override { return false; }
  bool isOpen() const override { return fd_ >= 0; }
  void seek(long offset, Position p = Beginning) override;
  void clear() override {}
  long tell() const override { return position_; }
  long length() override;
  void truncate(long length) override;

 private:
  // Reads up to n bytes at the offset; the count read, 0 at the end or on failure.
  std::size_t ReadAt(long offset, char* buffer, std::size_t n);
  bool WriteAt(long offset, const char* buffer, std::size_t n);
  // Moves the bytes [from, end) of the file to start at `to`.
  bool Move(long from, long end, long to);
  void Fail(const std::string& what, int error);
  bool Writable() const { return fd_ >= 0 && error_.empty(); }

  // The stream belongs to the thread that saves (one at a time).
  std::string path_;
  int fd_ = -1;
  long position_ = 0;
  std::string error_;
};

}  // namespace TYX::Media
