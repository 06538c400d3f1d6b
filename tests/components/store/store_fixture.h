#pragma once
// Shared pieces of the store tests: a library in a temporary folder, song files made on the spot, a
// WAV writer for files with real tags, SQL run on a closed library file as another program would, and
// a snapshot of everything a store shows.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "components/store/library_store.h"
#include "helpers/temp_dir.h"

namespace TYX::Store::Test {

// Runs SQL on a file directly, as another program would.
inline void RawSql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* msg = nullptr;
  int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &msg);
  std::string text = msg ? msg : "";
  sqlite3_free(msg);
  sqlite3_close(db);
  ASSERT_EQ(rc, SQLITE_OK) << text;
}

inline std::int64_t RawInt(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_stmt* st = nullptr;
  std::int64_t v = -1;
  if (sqlite3_open(path.c_str(), &db) == SQLITE_OK && sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK &&
      sqlite3_step(st) == SQLITE_ROW) {
    v = sqlite3_column_int64(st, 0);
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return v;
}

// Everything a store shows, as lines of text: each live song with its fields, each removed one, and
// each playlist (the stock ones and their children, depth first) with its properties and entries.
struct Snapshot {
  std::vector<std::string> lines;
  bool operator==(const Snapshot&) const = default;
  friend void PrintTo(const Snapshot& s, std::ostream* os) {
    for (const auto& line : s.lines) *os << "\n  " << line;
  }
};

inline Snapshot Take(TYX_LibraryManager& store) {
  Snapshot s;
  TYX_Library* lib = store.GetLibrary();
  s.lines.push_back("live " + std::to_string(lib->CountLiveItem()));
  for (std::uint32_t i = 0; i < lib->CountItem(); ++i) {
    TYX_LibraryItem* item = store.GetLibraryItem(i);
    if (item == nullptr) continue;
    std::string line = "song " + std::to_string(i) + (item->GetReference() == i ? " live" : " removed");
    TYX_LibraryItemData d = item->GetData();
    for (const std::string& t : d.texts) line += " |" + t;
    for (std::uint64_t n : d.numbers) line += " " + std::to_string(n);
    s.lines.push_back(line);
  }
  auto walk = [&](auto&& self, TYX_Playlist* p, const std::string& name) -> void {
    std::string line = "list " + name + " '" + p->GetTitle() + "' " + std::to_string(p->GetAttribute()) + " '" +
                       p->GetUserString() + "' " + std::to_string(p->GetUserData()) + ":";
    for (std::uint32_t i = 0; i < p->CountItem(); ++i) line += " " + std::to_string(p->GetItem(i));
    s.lines.push_back(line);
    for (std::uint32_t i = 0; i < p->CountPlaylist(); ++i) self(self, p->GetPlaylist(i), name + "." + std::to_string(i));
  };
  for (auto id : {STOCK_PLAYLIST_LIBRARY, STOCK_PLAYLIST_NOWPLAYING, STOCK_PLAYLIST_OLDNOWPLAYING, STOCK_PLAYLIST_SYNC,
                  STOCK_PLAYLIST_CDTRACK, STOCK_PLAYLIST_TRANSFERRED}) {
    walk(walk, store.GetStockPlaylist(id), std::to_string(id));
  }
  return s;
}

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
