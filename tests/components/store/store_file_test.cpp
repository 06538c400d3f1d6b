// Opening library files: new, upgraded, damaged, newer and foreign files.
#include <filesystem>
#include <fstream>
#include <random>

#include "components/store/store_database.h"
#include "components/store/store_fixture.h"

namespace TYX::Store::Test {
namespace {

using TYX::Test::ReadFileBytes;

// A closed library file with some songs in it.
void MakeLibrary(StoreTest& t, const std::string& dbPath, int songs, const std::function<std::string(int)>& makeSong) {
  auto result = TYX_LibraryStore::Open(dbPath);
  ASSERT_TRUE(result.store) << result.error;
  TYX_Library* lib = result.store->GetLibrary();
  lib->BeginUpdate();
  for (int i = 0; i < songs; ++i) {
    std::uint32_t idx = lib->InsertItem(makeSong(i), kItemKindFile);
    result.store->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY)->InsertItem(idx, 0);
  }
  ASSERT_TRUE(lib->EndUpdate());
  (void)t;
}

TEST_F(StoreTest, NewFileGetsTheCurrentSchemaAndTheStockPlaylists) {
  auto store = OpenStore();
  ASSERT_TRUE(store);
  for (auto id : {STOCK_PLAYLIST_LIBRARY, STOCK_PLAYLIST_NOWPLAYING, STOCK_PLAYLIST_OLDNOWPLAYING, STOCK_PLAYLIST_SYNC,
                  STOCK_PLAYLIST_CDTRACK, STOCK_PLAYLIST_TRANSFERRED}) {
    TYX_Playlist* p = store->GetStockPlaylist(id);
    ASSERT_NE(p, nullptr) << id;
    EXPECT_EQ(p->GetStockId(), static_cast<std::uint32_t>(id));
    EXPECT_EQ(p->GetParent(), nullptr);
    EXPECT_EQ(p->CountItem(), 0u);
  }
  EXPECT_EQ(store->GetStockPlaylist(STOCK_PLAYLIST_NOWPLAYING)->GetUserData(), kNoPosition);
  store.reset();
  EXPECT_EQ(RawInt(DbPath(), "PRAGMA user_version"), kSchemaVersion);
  EXPECT_EQ(RawInt(DbPath(), "PRAGMA application_id"), kApplicationId);
  EXPECT_EQ(RawInt(DbPath(), "SELECT count(*) FROM playlists"), 6);
}

TEST_F(StoreTest, OlderSchemaIsUpgradedKeepingItsSongs) {
  MakeLibrary(*this, DbPath(), 3, [&](int i) { return MakeSong("u" + std::to_string(i) + ".mp3"); });
  // Turn the file back into schema 1, which had no index of entries by song.
  RawSql(DbPath(), "DROP INDEX entries_by_song; PRAGMA user_version = 1;");
  ASSERT_EQ(RawInt(DbPath(), "SELECT count(*) FROM sqlite_master WHERE name = 'entries_by_song'"), 0);
  {
    auto store = OpenStore();
    ASSERT_TRUE(store);
    EXPECT_EQ(store->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY)->CountItem(), 3u);
    EXPECT_EQ(store->GetLibrary()->FindItem(dir_.File("music/u2.mp3")), 2u);
    // The upgraded file works for removals, which use the new index.
    EXPECT_EQ(store->GetLibrary()->RemoveItem(1), 0);
  }
  EXPECT_EQ(RawInt(DbPath(), "PRAGMA user_version"), kSchemaVersion);
  EXPECT_EQ(RawInt(DbPath(), "SELECT count(*) FROM sqlite_master WHERE name = 'entries_by_song'"), 1);
  EXPECT_EQ(RawInt(DbPath(), "SELECT count(*) FROM entries"), 2);
}

TEST_F(StoreTest, NewerVersionIsRefusedAndLeftUnchanged) {
  MakeLibrary(*this, DbPath(), 2, [&](int i) { return MakeSong("n" + std::to_string(i) + ".mp3"); });
  RawSql(DbPath(), "PRAGMA user_version = " + std::to_string(kSchemaVersion + 1));
  std::string before = ReadFileBytes(DbPath());
  auto result = TYX_LibraryStore::Open(DbPath());
  EXPECT_FALSE(result.store);
  EXPECT_NE(result.error.find("newer version"), std::string::npos) << result.error;
  EXPECT_EQ(ReadFileBytes(DbPath()), before);
  EXPECT_EQ(RawInt(DbPath(), "PRAGMA user_version"), kSchemaVersion + 1);
}

TEST_F(StoreTest, DamagedFilesAreRefusedAndLeftUnchanged) {
  // Random bytes.
  std::string junkPath = dir_.File("junk.db");
  {
    std::mt19937 rng(7);
    std::string junk(20000, '\0');
    for (char& ch : junk) ch = static_cast<char>(rng() & 0xFF);
    dir_.Write("junk.db", junk);
  }
  std::string junkBefore = ReadFileBytes(junkPath);
  auto result = TYX_LibraryStore::Open(junkPath);
  EXPECT_FALSE(result.store);
  EXPECT_FALSE(result.error.empty());
  EXPECT_EQ(ReadFileBytes(junkPath), junkBefore);

  // A real library cut short.
  MakeLibrary(*this, DbPath(), 400, [&](int i) { return MakeSong("d" + std::to_string(i) + ".mp3", std::string(50, 'x')); });
  std::string whole = ReadFileBytes(DbPath());
  ASSERT_GT(whole.size(), 40000u);
  std::string cut = whole.substr(0, whole.size() / 2);
  std::string cutPath = dir_.Write("cut.db", cut);
  result = TYX_LibraryStore::Open(cutPath);
  EXPECT_FALSE(result.store);
  EXPECT_NE(result.error.find("damaged"), std::string::npos) << result.error;
  EXPECT_EQ(ReadFileBytes(cutPath), cut);

  // A real library with a page overwritten in the middle.
  std::string smashed = whole;
  for (std::size_t i = 4096 * 3; i < 4096 * 4 && i < smashed.size(); ++i) smashed[i] = static_cast<char>(0xA5);
  std::string smashedPath = dir_.Write("smashed.db", smashed);
  result = TYX_LibraryStore::Open(smashedPath);
  EXPECT_FALSE(result.store);
  EXPECT_EQ(ReadFileBytes(smashedPath), smashed);

  // Damage only in an index that loading never reads: the file check finds it.
  std::int64_t root = RawInt(DbPath(), "SELECT rootpage FROM sqlite_master WHERE name = 'entries_by_song'");
  std::int64_t pageSize = RawInt(DbPath(), "PRAGMA page_size");
  ASSERT_GT(root, 1);
  std::string indexSmashed = whole;
  for (std::size_t i = static_cast<std::size_t>((root - 1) * pageSize); i < static_cast<std::size_t>(root * pageSize); ++i) {
    indexSmashed[i] = static_cast<char>(0x5A);
  }
  std::string indexPath = dir_.Write("index.db", indexSmashed);
  result = TYX_LibraryStore::Open(indexPath);
  EXPECT_FALSE(result.store);
  EXPECT_NE(result.error.find("damaged"), std::string::npos) << result.error;
  EXPECT_EQ(ReadFileBytes(indexPath), indexSmashed);

  // The intact library still opens.
  result = TYX_LibraryStore::Open(DbPath());
  ASSERT_TRUE(result.store) << result.error;
  EXPECT_EQ(result.store->GetLibrary()->CountLiveItem(), 400u);
}

TEST_F(StoreTest, RowsThatBreakTheLibrarysRulesAreRefusedAsDamagedAndLeftUnchanged) {
  MakeLibrary(*this, DbPath(), 3, [&](int i) { return MakeSong("r" + std::to_string(i) + ".mp3"); });
  const std::string whole = ReadFileBytes(DbPath());
  const std::vector<std::string> breaks = {
      "INSERT INTO entries VALUES(2, 99, 0)",                               // a song twice in the library list
      "INSERT INTO entries VALUES(4, -1, 0)",                               // a negative sequence number
      "INSERT INTO playlists VALUES(-5, 0, 0, 0, 'x', 0, '', 0)",           // a negative playlist id
      "INSERT INTO playlists VALUES(150, 2, 6, 0, 'x', 0, '', 0)",          // a child claiming a stock id
      // A user playlist under the id of a stock one.
      "DELETE FROM playlists WHERE id = 7; INSERT INTO playlists VALUES(7, 0, 0, 0, 'x', 0, '', 0)",
      "INSERT INTO songs(idx, path) VALUES(2000, '/x.mp3')",                // beyond the next index
      // The index of entries by song misses rows of its table: removals through it would leave
      // entries of removed songs behind.
      "DROP INDEX entries_by_song; CREATE INDEX entries_by_song ON entries(song) WHERE song < 1; "
      "PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = 'CREATE INDEX entries_by_song ON entries(song)' "
      "WHERE name = 'entries_by_song'",
      // An older file: it must not be upgraded before it is found damaged.
      "INSERT INTO entries VALUES(2, 99, 0); DROP INDEX entries_by_song; PRAGMA user_version = 1",
  };
  for (std::size_t i = 0; i < breaks.size(); ++i) {
    std::string path = dir_.Write("broken" + std::to_string(i) + ".db", whole);
    RawSql(path, breaks[i]);
    std::string before = ReadFileBytes(path);
    auto result = TYX_LibraryStore::Open(path);
    EXPECT_FALSE(result.store) << breaks[i];
    EXPECT_NE(result.error.find("damaged"), std::string::npos) << breaks[i] << ": " << result.error;
    EXPECT_EQ(ReadFileBytes(path), before) << breaks[i];
  }
}

TEST_F(StoreTest, SparseIndexesUpToTheLastOneCostNoMemory) {
  MakeLibrary(*this, DbPath(), 2, [&](int i) { return MakeSong("s" + std::to_string(i) + ".mp3"); });
  RawSql(DbPath(), "UPDATE meta SET value = 4000000000; UPDATE songs SET idx = 3999999990 WHERE idx = 1; "
                   "UPDATE entries SET song = 3999999990 WHERE song = 1");
  auto store = OpenStore();
  ASSERT_TRUE(store);
  EXPECT_EQ(store->GetLibrary()->CountItem(), 4000000000u);
  EXPECT_EQ(store->GetLibrary()->CountLiveItem(), 2u);
  EXPECT_EQ(store->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY)->GetItem(1), 3999999990u);
  EXPECT_EQ(store->GetLibrary()->InsertItem(MakeSong("new.mp3"), kItemKindFile), 4000000000u);
  EXPECT_EQ(store->GetLibrary()->ClearItem(), 0);
  EXPECT_EQ(store->GetLibrary()->CountLiveItem(), 0u);
}

TEST_F(StoreTest, DatabaseOfAnotherProgramIsRefused) {
  std::string other = dir_.File("other.db");
  RawSql(other, "CREATE TABLE contacts(name TEXT); INSERT INTO contacts VALUES('kim');");
  std::string before = ReadFileBytes(other);
  auto result = TYX_LibraryStore::Open(other);
  EXPECT_FALSE(result.store);
  EXPECT_NE(result.error.find("not a music library"), std::string::npos) << result.error;
  EXPECT_EQ(ReadFileBytes(other), before);

  result = TYX_LibraryStore::Open(dir_.Path());  // a folder
  EXPECT_FALSE(result.store);
  EXPECT_FALSE(result.error.empty());
  result = TYX_LibraryStore::Open("");
  EXPECT_FALSE(result.store);
}

TEST_F(StoreTest, LibraryOpenElsewhereIsRefused) {
  auto first = OpenStore();
  ASSERT_TRUE(first);
  std::uint32_t a = first->GetLibrary()->InsertItem(MakeSong("a.mp3"), kItemKindFile);
  auto second = TYX_LibraryStore::Open(DbPath());
  EXPECT_FALSE(second.store);
  EXPECT_NE(second.error.find("in use"), std::string::npos) << second.error;
  // The first one goes on working, and its changes are there after it closes.
  EXPECT_EQ(first->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY)->InsertItem(a, 0), 0u);
  first.reset();
  auto again = OpenStore();
  ASSERT_TRUE(again);
  EXPECT_EQ(again->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY)->GetItem(0), a);
}

TEST_F(StoreTest, BatchedInsertsAreStoredAtTheEndOfTheBatch) {
  {
    auto store = OpenStore();
    ASSERT_TRUE(store);
    TYX_Library* lib = store->GetLibrary();
    lib->BeginUpdate();
    lib->BeginUpdate();  // nested
    for (int i = 0; i < 50; ++i) lib->InsertItem(MakeSong("b" + std::to_string(i) + ".mp3"), kItemKindFile);
    EXPECT_TRUE(lib->EndUpdate());
    // Still inside the outer batch: readers see the songs already.
    EXPECT_EQ(lib->CountLiveItem(), 50u);
    EXPECT_TRUE(lib->EndUpdate());
    EXPECT_FALSE(lib->EndUpdate());  // no batch left to end
  }
  EXPECT_EQ(RawInt(DbPath(), "SELECT count(*) FROM songs"), 50);
  EXPECT_EQ(RawInt(DbPath(), "SELECT value FROM meta WHERE key = 'next_index'"), 50);
}

TEST_F(StoreTest, DefaultPathIsUnderTheUserDataFolder) {
  std::string path = TYX_LibraryStore::DefaultPath();
  EXPECT_NE(path.find("/SonvarManager/music_library.db"), std::string::npos) << path;
  EXPECT_EQ(path.front(), '/');
}

}  // namespace
}  // namespace TYX::Store::Test
