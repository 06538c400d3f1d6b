#pragma once
// A read-only TagLib stream over a file descriptor that keeps the last few blocks it read.
// TagLib's parsers go back and forth between a file's head and tail many times, and its own file stream
// turns each move and each length query into a system call; here a move is only a number, the length is
// taken once at the open, and a read is served from a block already read whenever it can be.
// Included only by the component's sources.
#include <taglib/tiostream.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace TYX::Media {

class ReadOnlyFileStream final : public TagLib::IOStream {
 public:
  // Opens a regular file for reading. A FIFO or a device put in the file's place is refused without
  // waiting for a writer; Error() then tells why, and ErrorNumber() the system's code (0 when the
  // path names something that is not a regular file).
  explicit ReadOnlyFileStream(const std::string& path);
  ~ReadOnlyFileStream() override;
  ReadOnlyFileStream(const ReadOnlyFileStream&) = delete;
  ReadOnlyFileStream& operator=(const ReadOnlyFileStream&) = delete;

  const std::string& Error() const { return error_; }
  int ErrorNumber() const { return errno_; }
  // Blocks read from the file so far; a measure of how well the cache serves the parser.
  std::uint64_t BlocksRead() const { return blocksRead_; }

  TagLib::FileName name() const override { return path_.c_str(); }
  TagLib::ByteVector readBlock(unsigned long length) override;
  // The stream never writes: these do nothing, and readOnly() tells TagLib so.
  void writeBlock(const TagLib::ByteVector&) override {}
  void insert(const TagLib::ByteVector&, unsigned long = 0, unsigned long = 0) override {}
  void removeBlock(unsigned long = 0, unsigned long = 0) override {}
  void truncate(long) override {}
  bool readOnly() const override { return true; }
  bool isOpen() const override { return fd_ >= 0; }
  void seek(long offset, Position p = Beginning) override;
  void clear() override {}
  long tell() const override { return position_; }
  long length() override { return length_; }

  static constexpr std::size_t kBlockSize = 64 * 1024;

 private:
  struct Block {
    long start = -1;         // offset of the block in the file; -1 when the slot is empty
    std::size_t size = 0;    // bytes held: less than kBlockSize only at the end of the file
    std::uint64_t used = 0;  // when the block last served a read, for choosing which slot to reuse
    std::vector<char> data;
  };
  // The cached block that starts at `start`, read from the file when no slot holds it; null when the
  // file gives nothing there.
  const Block* BlockAt(long start);
  // Reads up to n bytes at the offset straight from the file; the count read.
  std::size_t ReadAt(long offset, char* buffer, std::size_t n);

  // The stream belongs to the one thread that parses through it.
  std::string path_;
  int fd_ = -1;
  long length_ = 0;
  long position_ = 0;
  std::string error_;
  int errno_ = 0;
  std::array<Block, 4> blocks_;
  std::uint64_t clock_ = 0;
  std::uint64_t blocksRead_ = 0;
};

}  // namespace TYX::Media
