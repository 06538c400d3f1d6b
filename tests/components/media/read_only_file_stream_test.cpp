// The cached read-only stream gives exactly the file's bytes wherever a parser reads, from few block
// reads, and refuses what is not a regular file without waiting.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <random>
#include <string>

#include "components/media/read_only_file_stream.h"
#include "helpers/temp_dir.h"

namespace TYX::Test {
namespace {

using Media::ReadOnlyFileStream;
constexpr long kBlock = static_cast<long>(ReadOnlyFileStream::kBlockSize);

std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  std::mt19937 gen(7);
  for (char& c : bytes) c = static_cast<char>(gen());
  return bytes;
}

std::string Read(ReadOnlyFileStream& s, long at, unsigned long n) {
  s.seek(at);
  const TagLib::ByteVector v = s.readBlock(n);
  return std::string(v.data(), v.size());
}

TEST(ReadOnlyFileStream, EveryReadGivesTheFilesOwnBytes) {
  TempDir dir;
  const std::string bytes = Pattern(5 * ReadOnlyFileStream::kBlockSize + 1234);
  const std::string path = dir.Write("song.bin", bytes);
  ReadOnlyFileStream s(path);
  ASSERT_TRUE(s.isOpen()) << s.Error();
  EXPECT_TRUE(s.readOnly());
  const long size = static_cast<long>(bytes.size());
  EXPECT_EQ(s.length(), size);
  // Across block edges, at the very end, and larger than the cache takes.
  EXPECT_EQ(Read(s, kBlock - 3, 10), bytes.substr(kBlock - 3, 10));
  EXPECT_EQ(Read(s, 0, 3 * kBlock + 5), bytes.substr(0, 3 * kBlock + 5));
  EXPECT_EQ(Read(s, size - 4, 100), bytes.substr(size - 4)) << "a read past the end stops at the end";
  EXPECT_EQ(s.tell(), size);
  EXPECT_EQ(s.readBlock(10).size(), 0u);
  EXPECT_EQ(Read(s, size + 50, 10), "");
  std::mt19937 gen(11);
  for (int i = 0; i < 500; ++i) {
    const long at = static_cast<long>(gen() % static_cast<unsigned>(size));
    const unsigned long n = gen() % (2 * ReadOnlyFileStream::kBlockSize);
    ASSERT_EQ(Read(s, at, n), bytes.substr(at, n)) << "at " << at << ", " << n << " bytes";
  }
  // Moves from here and from the end, as TagLib makes them; a move before the start is ignored.
  s.seek(100);
  s.seek(20, TagLib::IOStream::Current);
  EXPECT_EQ(s.tell(), 120);
  s.seek(-128, TagLib::IOStream::End);
  EXPECT_EQ(std::string(s.readBlock(128).data(), 128), bytes.substr(size - 128));
  s.seek(-10, TagLib::IOStream::Beginning);
  EXPECT_EQ(s.tell(), size);
}

TEST(ReadOnlyFileStream, GoingBackAndForthBetweenHeadAndTailReadsEachBlockOnce) {
  TempDir dir;
  const std::string bytes = Pattern(40 * ReadOnlyFileStream::kBlockSize);
  ReadOnlyFileStream s(dir.Write("long.mp3", bytes));
  ASSERT_TRUE(s.isOpen());
  for (int round = 0; round < 20; ++round) {
    EXPECT_EQ(Read(s, 10 + round, 4096), bytes.substr(10 + round, 4096));
    s.seek(-128 - round, TagLib::IOStream::End);
    EXPECT_EQ(s.readBlock(128).size(), 128u);
  }
  EXPECT_EQ(s.BlocksRead(), 2u);
  // A sweep through more blocks than the cache holds pushes out the one used longest ago.
  for (long b = 0; b < 6; ++b) EXPECT_EQ(Read(s, b * kBlock, 16), bytes.substr(b * kBlock, 16));
  EXPECT_EQ(s.BlocksRead(), 7u);
  EXPECT_EQ(Read(s, 5 * kBlock + 1, 16), bytes.substr(5 * kBlock + 1, 16));
  EXPECT_EQ(s.BlocksRead(), 7u) << "the block read last is still held";
  EXPECT_EQ(Read(s, 0, 16), bytes.substr(0, 16));
  EXPECT_EQ(s.BlocksRead(), 8u) << "the first block was pushed out by the sweep";
}

TEST(ReadOnlyFileStream, OnlyReadsLargerThanTwoBlocksGoAroundTheCache) {
  TempDir dir;
  const std::string bytes = Pattern(12 * ReadOnlyFileStream::kBlockSize);
  ReadOnlyFileStream s(dir.Write("big.flac", bytes));
  ASSERT_TRUE(s.isOpen());
  // Two whole blocks are still cached: reading inside them again costs nothing.
  EXPECT_EQ(Read(s, 0, 2 * kBlock), bytes.substr(0, 2 * kBlock));
  EXPECT_EQ(s.BlocksRead(), 2u);
  EXPECT_EQ(Read(s, kBlock + 7, 100), bytes.substr(kBlock + 7, 100));
  EXPECT_EQ(s.BlocksRead(), 2u);
  // A picture-sized read goes straight to the file and leaves the cached blocks where they are.
  EXPECT_EQ(Read(s, 4 * kBlock, 2 * kBlock + 1), bytes.substr(4 * kBlock, 2 * kBlock + 1));
  EXPECT_EQ(s.BlocksRead(), 2u);
  EXPECT_EQ(Read(s, 3, 100), bytes.substr(3, 100));
  EXPECT_EQ(s.BlocksRead(), 2u);
}

TEST(ReadOnlyFileStream, WritesChangeNothing) {
  TempDir dir;
  const std::string bytes = Pattern(3000);
  const std::string path = dir.Write("song.ogg", bytes);
  {
    ReadOnlyFileStream s(path);
    ASSERT_TRUE(s.isOpen());
    s.writeBlock(TagLib::ByteVector("XXXX"));
    s.insert(TagLib::ByteVector("YYYY"), 10, 0);
    s.removeBlock(0, 100);
    s.truncate(5);
  }
  EXPECT_EQ(ReadFileBytes(path), bytes);
}

TEST(ReadOnlyFileStream, WhatIsNotARegularFileIsRefusedWithItsReason) {
  TempDir dir;
  ReadOnlyFileStream missing(dir.File("gone.mp3"));
  EXPECT_FALSE(missing.isOpen());
  EXPECT_EQ(missing.ErrorNumber(), ENOENT);
  EXPECT_NE(missing.Error().find("gone.mp3"), std::string::npos) << missing.Error();
  EXPECT_TRUE(missing.readBlock(10).isEmpty());

  std::filesystem::create_directory(dir.File("folder.mp3"));
  ReadOnlyFileStream folder(dir.File("folder.mp3"));
  EXPECT_FALSE(folder.isOpen());
  EXPECT_NE(folder.Error().find("not a regular file"), std::string::npos) << folder.Error();

  // A FIFO with no writer would hold a blocking open for ever.
  const std::string fifo = dir.File("pipe.mp3");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ReadOnlyFileStream pipe(fifo);
  EXPECT_FALSE(pipe.isOpen());
  EXPECT_EQ(pipe.ErrorNumber(), 0);
  EXPECT_NE(pipe.Error().find("not a regular file"), std::string::npos) << pipe.Error();

  ReadOnlyFileStream empty(dir.Write("empty.wav", ""));
  ASSERT_TRUE(empty.isOpen());
  EXPECT_EQ(empty.length(), 0);
  EXPECT_TRUE(empty.readBlock(100).isEmpty());
}

}  // namespace
}  // namespace TYX::Test
