#pragma once
// Shared pieces of the store tests: a library in a temporary folder, song files made on the spot and
// a WAV writer for files with real tags.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "components/store/library_store.h"
#include "helpers/temp_dir.h"

namespace TYX::Store::Test {

class StoreTest : public ::testing::Test {
 protected:
  std::string DbPath() const { return dir_.File("lib/music.db"); }

  std::unique_ptr<TYX_LibraryStore> OpenStore() {
    auto result = TYX_LibraryStore::Open(DbPath());
    EXPECT_TRUE(result.store) << result.error;
    return std::move(result.store);
  }

  // A file with some bytes (no parsable audio): the store takes it without tags.
  std::string MakeSong(const std::string& name, const std::string& content = "not audio") {
    return dir_.Write("music/" + name, content);
  }

  // A mono 8 kHz 16-bit PCM WAV of the given length.
  std::string MakeWav(const std::string& name, std::uint32_t seconds) {
    const std::uint32_t rate = 8000, bytes = rate * 2 * seconds;
    std::string path = dir_.Write("music/" + name, "");
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + bytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(bytes);
    for (std::uint32_t i = 0; i < bytes / 2; ++i) u16(static_cast<std::uint16_t>((i * 37) & 0x0FFF));
    return path;
  }

  TYX::Test::TempDir dir_;
};

}  // namespace TYX::Store::Test
