// Writes the file system refuses: a full disk (a small tmpfs filled up), a read-only disk (a read-only
// bind mount), and a write the file itself refuses. Every operation reports the failure, memory stays
// as the file is, and the library reopens with the state it had.
#include "components/store/store_fixture.h"
#include "helpers/small_file_system.h"

namespace TYX::Store::Test {
namespace {

using TYX::Test::ReadOnlyView;
using TYX::Test::SmallFileSystem;

constexpr std::int32_t kFail = static_cast<std::int32_t>(0x80004005u);

bool Says(const std::string& text, const std::string& word) { return text.find(word) != std::string::npos; }

// A library on a 4 MiB tmpfs with three songs a, b, c in the library list, the now-playing list
// [a, b, c] playing b, b to go on the phone, a saved list [c], a recently played a and a removed song.
class StoreFaultTest : public StoreTest {
 protected:
  void SetUp() override {
    if (!fs_.Mounted()) GTEST_SKIP() << fs_.Error();
    store_ = Open();
    ASSERT_TRUE(store_);
    TYX_Library* lib = store_->GetLibrary();
    a_ = lib->InsertItem(MakeSong("a.mp3"), kItemKindFile);
    b_ = lib->InsertItem(MakeSong("b.mp3"), kItemKindFile);
    c_ = lib->InsertItem(MakeSong("c.mp3"), kItemKindFile);
    removed_ = lib->InsertItem(MakeSong("gone.mp3"), kItemKindFile);
    ASSERT_EQ(lib->RemoveItem(removed_), 0);
    for (std::uint32_t s : {a_, b_, c_}) {
      ASSERT_NE(List(STOCK_PLAYLIST_LIBRARY)->InsertItem(s, 0), kNoPosition);
      ASSERT_NE(List(STOCK_PLAYLIST_NOWPLAYING)->InsertItem(s, 0), kNoPosition);
    }
    ASSERT_TRUE(List(STOCK_PLAYLIST_NOWPLAYING)->SetUserData(1));
    ASSERT_NE(List(STOCK_PLAYLIST_SYNC)->InsertItem(b_, 0), kNoPosition);
    ASSERT_NE(List(STOCK_PLAYLIST_OLDNOWPLAYING)->InsertItem(a_, 0), kNoPosition);
    TYX_Playlist* saved = List(STOCK_PLAYLIST_LIBRARY)->AddPlaylist("saved");
    ASSERT_NE(saved, nullptr);
    ASSERT_NE(saved->InsertItem(c_, 0), kNoPosition);
    ASSERT_TRUE(store_->GetLibraryItem(a_)->SetTitle("first"));
    before_ = Take(*store_);
  }

  std::unique_ptr<TYX_LibraryStore> Open() {
    auto result = TYX_LibraryStore::Open(fs_.File("lib/music.db"));
    EXPECT_TRUE(result.store) << result.error;
    return std::move(result.store);
  }
  TYX_Playlist* List(ENUM_STOCK_PLAYLIST id) { return store_->GetStockPlaylist(id); }
  void FillUp() { ASSERT_GT(fs_.FillUp(), 0u); }

  // Closes the store, frees the disk and opens the library again: it must open, with `want`.
  void ExpectReopensWith(const Snapshot& want) {
    store_.reset();
    fs_.Release();
    store_ = Open();
    ASSERT_TRUE(store_);
    EXPECT_EQ(Take(*store_), want);
  }

  SmallFileSystem fs_{4u << 20};
  std::unique_ptr<TYX_LibraryStore> store_;
  std::uint32_t a_ = 0, b_ = 0, c_ = 0, removed_ = 0;
  Snapshot before_;
};

TEST_F(StoreFaultTest, BatchWhoseCommitFailsIsTakenBackFromMemory) {
  TYX_Library* lib = store_->GetLibrary();
  std::string dPath = MakeSong("d.mp3");
  FillUp();
  lib->BeginUpdate();
  std::uint32_t d = lib->InsertItem(dPath, kItemKindFile);
  ASSERT_NE(d, kNoLibraryIndex);
  TYX_LibraryItem* dItem = store_->GetLibraryItem(d);
  EXPECT_NE(List(STOCK_PLAYLIST_LIBRARY)->InsertItem(d, 0), kNoPosition);
  EXPECT_NE(List(STOCK_PLAYLIST_NOWPLAYING)->InsertItem(d, 0), kNoPosition);
  EXPECT_EQ(List(STOCK_PLAYLIST_LIBRARY)->RemoveItem(1), 0);  // b leaves the library
  EXPECT_TRUE(store_->GetLibraryItem(a_)->SetTitle("changed"));
  EXPECT_EQ(store_->PackLibrary(), 0);
  EXPECT_NE(List(STOCK_PLAYLIST_SYNC)->AddPlaylist("new"), nullptr);
  EXPECT_EQ(List(STOCK_PLAYLIST_LIBRARY)->RemovePlaylist(0), 0);
  EXPECT_NE(Take(*store_), before_);
  EXPECT_FALSE(lib->EndUpdate());
  EXPECT_FALSE(store_->GetLastError().empty());

  // Memory is the file again: d is gone (its object dead), b, the title, the removed song and the
  // saved list are back.
  EXPECT_EQ(Take(*store_), before_);
  EXPECT_EQ(lib->FindItem(dPath), kNoLibraryIndex);
  EXPECT_EQ(dItem->GetReference(), kNoLibraryIndex);
  EXPECT_EQ(store_->GetLibraryItem(d), nullptr);
  EXPECT_EQ(List(STOCK_PLAYLIST_LIBRARY)->GetPlaylist(0)->GetItem(0), c_);
  // The append that used to name a song the file does not have is refused.
  EXPECT_EQ(List(STOCK_PLAYLIST_SYNC)->InsertItem(d, 0), kNoPosition);
  ExpectReopensWith(before_);
}

TEST_F(StoreFaultTest, StoreGoesOnAfterAFailedBatchWithoutGivingAnIndexTwice) {
  TYX_Library* lib = store_->GetLibrary();
  FillUp();
  lib->BeginUpdate();
  std::uint32_t d = lib->InsertItem(MakeSong("d.mp3"), kItemKindFile);
  ASSERT_NE(d, kNoLibraryIndex);
  TYX_LibraryItem* dItem = store_->GetLibraryItem(d);
  EXPECT_FALSE(lib->EndUpdate());
  fs_.Release();
  // Room again: writes work at once, and the next song does not take d's number.
  std::uint32_t e = lib->InsertItem(MakeSong("e.mp3"), kItemKindFile);
  EXPECT_GT(e, d);
  EXPECT_EQ(dItem->GetReference(), kNoLibraryIndex);
  EXPECT_NE(List(STOCK_PLAYLIST_SYNC)->InsertItem(e, 0), kNoPosition);
  EXPECT_EQ(List(STOCK_PLAYLIST_LIBRARY)->InsertItem(d, 0), kNoPosition);
  lib->BeginUpdate();
  EXPECT_NE(lib->InsertItem(MakeSong("f.mp3"), kItemKindFile), kNoLibraryIndex);
  EXPECT_TRUE(lib->EndUpdate());
  ExpectReopensWith(Take(*store_));
}

TEST_F(StoreFaultTest, BatchLostToAFullDiskMidwayIsTakenBackToo) {
  // Enough to spill the page cache into the log before the commit: SQLite may give up the whole
  // transaction at that point, and what follows commits on its own.
  TYX_Library* lib = store_->GetLibrary();
  FillUp();
  lib->BeginUpdate();
  std::string big(256 * 1024, 'x');
  int failed = 0;
  for (int i = 0; i < 40 && failed == 0; ++i) {
    big[0] = static_cast<char>('a' + i % 26);
    if (!store_->GetLibraryItem(i % 2 ? b_ : c_)->SetText(ItemText::Comment, big + std::to_string(i))) ++failed;
  }
  EXPECT_FALSE(lib->EndUpdate());
  EXPECT_EQ(Take(*store_), before_);
  ExpectReopensWith(before_);
}

TEST_F(StoreFaultTest, BatchSQLiteRollsBackMidwayIsTakenBackAndTheRestStoresAlone) {
  // The file rolls back the whole transaction when a song is titled "boom".
  store_.reset();
  RawSql(fs_.File("lib/music.db"),
         "CREATE TRIGGER lose_batch BEFORE UPDATE OF title ON songs WHEN NEW.title = 'boom' "
         "BEGIN SELECT RAISE(ROLLBACK, 'batch lost'); END;");
  store_ = Open();
  ASSERT_TRUE(store_);
  TYX_Library* lib = store_->GetLibrary();
  std::string dPath = MakeSong("d.mp3");
  lib->BeginUpdate();
  std::uint32_t d = lib->InsertItem(dPath, kItemKindFile);
  EXPECT_NE(List(STOCK_PLAYLIST_LIBRARY)->InsertItem(d, 0), kNoPosition);
  EXPECT_EQ(lib->RemoveItem(c_), 0);
  EXPECT_FALSE(store_->GetLibraryItem(b_)->SetTitle("boom"));
  EXPECT_TRUE(Says(store_->GetLastError(), "batch lost")) << store_->GetLastError();
  // Everything the batch had done is gone, from the file and from memory.
  EXPECT_EQ(Take(*store_), before_);
  EXPECT_EQ(lib->FindItem(dPath), kNoLibraryIndex);
  // The rest of the batch stores change by change; the batch as a whole reports the loss.
  std::uint32_t e = lib->InsertItem(MakeSong("e.mp3"), kItemKindFile);
  EXPECT_GT(e, d);
  EXPECT_NE(List(STOCK_PLAYLIST_SYNC)->InsertItem(e, 0), kNoPosition);
  EXPECT_FALSE(lib->EndUpdate());
  Snapshot after = Take(*store_);
  EXPECT_NE(after, before_);
  ExpectReopensWith(after);
}

TEST_F(StoreFaultTest, ClearingOnAFullDiskFailsAndKeepsEverySong) {
  TYX_Library* lib = store_->GetLibrary();
  FillUp();
  EXPECT_EQ(lib->ClearItem(), kFail);
  EXPECT_FALSE(store_->GetLastError().empty());
  EXPECT_EQ(List(STOCK_PLAYLIST_LIBRARY)->ClearItem(), kFail);
  EXPECT_EQ(List(STOCK_PLAYLIST_NOWPLAYING)->ClearItem(), kFail);
  EXPECT_EQ(List(STOCK_PLAYLIST_SYNC)->ClearItem(), kFail);
  EXPECT_EQ(lib->CountLiveItem(), 3u);
  EXPECT_EQ(Take(*store_), before_);
  // The song is still there: adding its file again finds it.
  EXPECT_EQ(lib->InsertItem(dir_.File("music/a.mp3"), kItemKindFile), a_);
  ExpectReopensWith(before_);
  // With room, clearing works and lasts.
  EXPECT_EQ(store_->GetLibrary()->ClearItem(), 0);
  EXPECT_EQ(store_->GetLibrary()->CountLiveItem(), 0u);
  ExpectReopensWith(Take(*store_));
}

TEST_F(StoreFaultTest, RemovalOnAFullDiskKeepsTheSongAndThePlayPosition) {
  TYX_Library* lib = store_->GetLibrary();
  FillUp();
  EXPECT_EQ(lib->RemoveItem(a_), kFail);
  EXPECT_EQ(List(STOCK_PLAYLIST_LIBRARY)->RemoveItem(0), kFail);
  EXPECT_EQ(List(STOCK_PLAYLIST_NOWPLAYING)->RemoveItem(0), kFail);
  EXPECT_EQ(List(STOCK_PLAYLIST_LIBRARY)->GetPlaylist(0)->RemoveItem(0), kFail);
  EXPECT_EQ(Take(*store_), before_);
  ExpectReopensWith(before_);
  // With room: a leaves, and the play position follows b.
  EXPECT_EQ(store_->GetLibrary()->RemoveItem(a_), 0);
  EXPECT_EQ(List(STOCK_PLAYLIST_NOWPLAYING)->GetUserData(), 0u);
  EXPECT_EQ(List(STOCK_PLAYLIST_NOWPLAYING)->GetItem(0), b_);
  ExpectReopensWith(Take(*store_));
}

TEST_F(StoreFaultTest, AppendsEditsAndListsOnAFullDiskChangeNothing) {
  TYX_Library* lib = store_->GetLibrary();
  TYX_Playlist* saved = List(STOCK_PLAYLIST_LIBRARY)->GetPlaylist(0);
  std::string dPath = MakeSong("d.mp3");
  FillUp();
  EXPECT_EQ(lib->InsertItem(dPath, kItemKindFile), kNoLibraryIndex);
  EXPECT_EQ(List(STOCK_PLAYLIST_SYNC)->InsertItem(a_, 0), kNoPosition);
  EXPECT_EQ(List(STOCK_PLAYLIST_NOWPLAYING)->InsertItem(a_, 0), kNoPosition);
  EXPECT_EQ(List(STOCK_PLAYLIST_OLDNOWPLAYING)->InsertItem(b_, 0), kNoPosition);
  EXPECT_EQ(saved->InsertItem(a_, 0), kNoPosition);
  EXPECT_FALSE(store_->GetLibraryItem(b_)->SetTitle("never"));
  EXPECT_FALSE(List(STOCK_PLAYLIST_NOWPLAYING)->SetUserData(2));
  EXPECT_FALSE(saved->SetTitle("renamed"));
  EXPECT_EQ(saved->AddPlaylist("child"), nullptr);
  EXPECT_EQ(List(STOCK_PLAYLIST_LIBRARY)->RemovePlaylist(0), kFail);
  EXPECT_EQ(store_->PackLibrary(), kFail);
  EXPECT_EQ(Take(*store_), before_);
  ExpectReopensWith(before_);
}

TEST_F(StoreFaultTest, PlayPositionTheFileRefusesUndoesTheWholeRemoval) {
  // The file refuses every new play position: only the position write of a removal fails.
  store_.reset();
  RawSql(fs_.File("lib/music.db"),
         "CREATE TRIGGER refuse_position BEFORE UPDATE OF user_data ON playlists WHEN NEW.id = 4 "
         "BEGIN SELECT RAISE(ABORT, 'position refused'); END;");
  store_ = Open();
  ASSERT_TRUE(store_);
  EXPECT_EQ(store_->GetLibrary()->RemoveItem(a_), kFail);  // a is before the playing b
  EXPECT_TRUE(Says(store_->GetLastError(), "position refused")) << store_->GetLastError();
  EXPECT_EQ(List(STOCK_PLAYLIST_NOWPLAYING)->RemoveItem(0), kFail);
  EXPECT_EQ(Take(*store_), before_);
  // A removal that leaves the position as it is goes through.
  EXPECT_EQ(List(STOCK_PLAYLIST_NOWPLAYING)->RemoveItem(2), 0);
  EXPECT_EQ(List(STOCK_PLAYLIST_NOWPLAYING)->GetUserData(), 1u);
  ExpectReopensWith(Take(*store_));
}

// Library files on a read-only disk or in a read-only folder.
class StoreReadOnlyTest : public StoreTest {
 protected:
  // A closed library with two songs, a saved list and a play position, in folder `name`.
  Snapshot MakeLibrary(const std::string& name) {
    auto result = TYX_LibraryStore::Open(dir_.File(name + "/music.db"));
    EXPECT_TRUE(result.store) << result.error;
    if (!result.store) return {};
    TYX_LibraryStore& store = *result.store;
    TYX_Playlist* all = store.GetStockPlaylist(STOCK_PLAYLIST_LIBRARY);
    for (const char* song : {"a.mp3", "b.mp3"}) all->InsertItem(MakeSong(song), 0, kItemKindFile);
    store.GetStockPlaylist(STOCK_PLAYLIST_NOWPLAYING)->InsertItem(1, 0);
    store.GetStockPlaylist(STOCK_PLAYLIST_NOWPLAYING)->SetUserData(0);
    all->AddPlaylist("saved")->InsertItem(0, 0);
    return Take(store);
  }
};

TEST_F(StoreReadOnlyTest, IntactLibraryOnAReadOnlyDiskOpensReadOnly) {
  Snapshot want = MakeLibrary("lib");
  std::string bytes = TYX::Test::ReadFileBytes(dir_.File("lib/music.db"));
  ReadOnlyView view(dir_.File("lib"));
  if (!view.Mounted()) GTEST_SKIP() << view.Error();
  auto result = TYX_LibraryStore::Open(view.File("music.db"));
  ASSERT_TRUE(result.store) << result.error;
  TYX_LibraryStore& store = *result.store;
  EXPECT_TRUE(store.IsReadOnly());
  EXPECT_EQ(Take(store), want);

  // Every write fails, saying why, and nothing changes.
  TYX_Library* lib = store.GetLibrary();
  TYX_Playlist* all = store.GetStockPlaylist(STOCK_PLAYLIST_LIBRARY);
  EXPECT_EQ(lib->InsertItem(MakeSong("c.mp3"), kItemKindFile), kNoLibraryIndex);
  EXPECT_TRUE(Says(store.GetLastError(), "read-only")) << store.GetLastError();
  EXPECT_EQ(lib->RemoveItem(0), kFail);
  EXPECT_EQ(lib->ClearItem(), kFail);
  EXPECT_EQ(all->RemoveItem(0), kFail);
  EXPECT_EQ(store.GetStockPlaylist(STOCK_PLAYLIST_SYNC)->InsertItem(0, 0), kNoPosition);
  EXPECT_EQ(store.GetStockPlaylist(STOCK_PLAYLIST_NOWPLAYING)->ClearItem(), kFail);
  EXPECT_FALSE(store.GetLibraryItem(0)->SetTitle("x"));
  EXPECT_EQ(all->AddPlaylist("more"), nullptr);
  EXPECT_EQ(all->RemovePlaylist(0), kFail);
  lib->BeginUpdate();
  EXPECT_EQ(lib->InsertItem("d:\\Track01.cda", kItemKindCDTrack), kNoLibraryIndex);
  EXPECT_FALSE(lib->EndUpdate());
  EXPECT_TRUE(Says(store.GetLastError(), "read-only")) << store.GetLastError();
  EXPECT_EQ(Take(store), want);
  result.store.reset();
  EXPECT_EQ(TYX::Test::ReadFileBytes(dir_.File("lib/music.db")), bytes);
}

TEST_F(StoreReadOnlyTest, LibraryThatCannotBeReadThereIsRefusedAsReadOnlyNotDamaged) {
  // Its last changes still in the write-ahead log: a copy taken while the library was open.
  MakeLibrary("older");
  {
    auto open = TYX_LibraryStore::Open(dir_.File("src/music.db"));
    ASSERT_TRUE(open.store) << open.error;
    open.store->GetLibrary()->InsertItem(MakeSong("a.mp3"), kItemKindFile);
    dir_.Write("logged/music.db", TYX::Test::ReadFileBytes(dir_.File("src/music.db")));
    dir_.Write("logged/music.db-wal", TYX::Test::ReadFileBytes(dir_.File("src/music.db-wal")));
  }
  // Of an older version, so it needs an upgrade.
  RawSql(dir_.File("older/music.db"), "DROP INDEX entries_by_song; PRAGMA user_version = 1;");
  dir_.Write("empty/.keep", "");

  for (const std::string folder : {"logged", "older", "empty"}) {
    ReadOnlyView view(dir_.File(folder));
    if (!view.Mounted()) GTEST_SKIP() << view.Error();
    // The empty folder: a new library cannot be made there.
    auto result = TYX_LibraryStore::Open(view.File("music.db"));
    EXPECT_FALSE(result.store) << folder;
    EXPECT_TRUE(Says(result.error, "read-only") || Says(result.error, "Read-only")) << folder << ": " << result.error;
    EXPECT_FALSE(Says(result.error, "damaged")) << folder << ": " << result.error;
  }
  // The source of the view is untouched and opens where it can be written.
  auto result = TYX_LibraryStore::Open(dir_.File("logged/music.db"));
  ASSERT_TRUE(result.store) << result.error;
  EXPECT_EQ(result.store->GetLibrary()->CountLiveItem(), 1u);
}

}  // namespace
}  // namespace TYX::Store::Test
