// The song table and the playlists of the SQLite store, across closing and reopening.
#include <filesystem>

#include "components/store/store_fixture.h"

namespace TYX::Store::Test {
namespace {

TEST_F(StoreTest, ReopenedLibraryKeepsSongsPlaylistsAndIndexes) {
  std::string a = MakeSong("a.mp3"), b = MakeSong("b.ogg"), c = MakeSong("c.wma");
  std::uint32_t ia, ib, ic, icd;
  {
    auto store = OpenStore();
    ASSERT_TRUE(store);
    TYX_Library* lib = store->GetLibrary();
    ia = lib->InsertItem(a, kItemKindFile);
    ib = lib->InsertItem(b, kItemKindFile);
    ic = lib->InsertItem(c, kItemKindFile);
    icd = lib->InsertItem("e:\\Track03.cda", kItemKindCDTrack);
    EXPECT_EQ(ia, 0u);
    EXPECT_EQ(ib, 1u);
    EXPECT_EQ(ic, 2u);
    EXPECT_EQ(icd, 3u);
    TYX_Playlist* all = store->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY);
    EXPECT_EQ(all->InsertItem(ic, 0), 0u);
    EXPECT_EQ(all->InsertItem(ia, 0), 1u);
    EXPECT_EQ(all->InsertItem(ib, 0), 2u);
    TYX_Playlist* now = store->GetStockPlaylist(STOCK_PLAYLIST_NOWPLAYING);
    now->InsertItem(ib, 0);
    now->InsertItem(ia, 0);
    now->InsertItem(ib, 0);  // the same song twice in the now-playing list
    EXPECT_TRUE(now->SetUserData(2));
    store->GetStockPlaylist(STOCK_PLAYLIST_SYNC)->InsertItem(ia, 0);
    store->GetStockPlaylist(STOCK_PLAYLIST_CDTRACK)->InsertItem(icd, 0);
    TYX_Playlist* saved = all->AddPlaylist("드라이브 음악");
    ASSERT_NE(saved, nullptr);
    saved->InsertItem(ic, 0);
    saved->SetUserString("memo");
    TYX_Playlist* inner = saved->AddPlaylist("inner");
    ASSERT_NE(inner, nullptr);
    inner->InsertItem(ib, 0);

    TYX_LibraryItem* item = store->GetLibraryItem(ia);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->SetTitle("첫 곡"));
    EXPECT_TRUE(item->SetTransferState(2 + 3));
    EXPECT_TRUE(item->SetIdText(1, "WM0000012345"));
    EXPECT_TRUE(item->SetHighlight(10000, 20000));
    EXPECT_TRUE(item->SetMark(7));
    TYX_LibraryItem* cd = store->GetLibraryItem(icd);
    EXPECT_TRUE(cd->SetFileSize(44));
    EXPECT_TRUE(cd->SetBitRate(1411200));
    EXPECT_TRUE(cd->SetSampleRate(44100));
    EXPECT_TRUE(cd->SetDuration(215));
  }
  auto store = OpenStore();
  ASSERT_TRUE(store);
  TYX_Library* lib = store->GetLibrary();
  EXPECT_EQ(lib->CountItem(), 4u);
  EXPECT_EQ(lib->FindItem(a), ia);
  EXPECT_EQ(lib->FindItem(b), ib);
  EXPECT_EQ(lib->FindItem("E:\\TRACK03.CDA"), icd);
  TYX_Playlist* all = store->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY);
  ASSERT_EQ(all->CountItem(), 3u);
  EXPECT_EQ(all->GetItem(0), ic);
  EXPECT_EQ(all->GetItem(1), ia);
  EXPECT_EQ(all->GetItem(2), ib);
  EXPECT_EQ(all->GetItem(3), kNoLibraryIndex);
  TYX_Playlist* now = store->GetStockPlaylist(STOCK_PLAYLIST_NOWPLAYING);
  ASSERT_EQ(now->CountItem(), 3u);
  EXPECT_EQ(now->GetItem(0), ib);
  EXPECT_EQ(now->GetItem(2), ib);
  EXPECT_EQ(now->GetUserData(), 2u);
  EXPECT_EQ(store->GetStockPlaylist(STOCK_PLAYLIST_SYNC)->FindItem(ia), 0u);
  EXPECT_EQ(store->GetStockPlaylist(STOCK_PLAYLIST_CDTRACK)->GetItem(0), icd);
  ASSERT_EQ(all->CountPlaylist(), 1u);
  TYX_Playlist* saved = all->GetPlaylist(0);
  EXPECT_TRUE(saved->IsUserType());
  EXPECT_EQ(saved->GetParent(), all);
  EXPECT_EQ(saved->GetTitle(), "드라이브 음악");
  EXPECT_EQ(saved->GetUserString(), "memo");
  EXPECT_EQ(saved->GetItem(0), ic);
  ASSERT_EQ(saved->CountPlaylist(), 1u);
  EXPECT_EQ(saved->GetPlaylist(0)->GetTitle(), "inner");
  EXPECT_EQ(saved->GetPlaylist(0)->GetItem(0), ib);
  EXPECT_FALSE(all->IsUserType());

  TYX_LibraryItem* item = all->GetItem_LibraryItem(1);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->GetReference(), ia);
  EXPECT_EQ(item->GetTitle(), "첫 곡");
  EXPECT_EQ(item->GetTransferState(), 5u);
  EXPECT_EQ(item->GetIdText(1), "WM0000012345");
  EXPECT_EQ(item->GetSmartSongID(), "WM0000012345");
  EXPECT_EQ(item->GetHighlightStart(), 10000u);
  EXPECT_EQ(item->GetHighlightLength(), 20000u);
  EXPECT_EQ(item->GetMark(), 7u);
  EXPECT_EQ(item->GetFileSize(), 9u);  // "not audio"
  EXPECT_TRUE(item->IsFileExist());
  TYX_LibraryItem* cd = store->GetLibraryItem(icd);
  EXPECT_EQ(cd->GetKind(), kItemKindCDTrack);
  EXPECT_EQ(cd->GetPath(), "E:\\Track03.cda");
  EXPECT_EQ(cd->GetSmartTitle(), "Track03");
  EXPECT_EQ(cd->GetFileSize(), 44u);
  EXPECT_EQ(cd->GetBitRate(), 1411200u);
  EXPECT_EQ(cd->GetDuration(), 215u);
}

TEST_F(StoreTest, InsertFindsTheSameFileAndRefusesBadInput) {
  auto store = OpenStore();
  ASSERT_TRUE(store);
  TYX_Library* lib = store->GetLibrary();
  std::string a = MakeSong("x/a.mp3");
  MakeSong("y/b.mp3");
  std::uint32_t before = lib->CountItem();
  std::uint32_t ia = lib->InsertItem(a, kItemKindFile);
  EXPECT_GE(ia, before);
  std::uint32_t count = lib->CountItem();
  // The same file by another spelling of its path is found, below the count taken before.
  std::string other = dir_.Path() + "/music/y/../x/./a.mp3";
  EXPECT_EQ(lib->InsertItem(other, kItemKindFile), ia);
  EXPECT_LT(lib->InsertItem(other, kItemKindFile), count);
  EXPECT_EQ(lib->CountItem(), count);
  // A relative path is taken from the current folder.
  auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir_.Path() + "/music");
  std::uint32_t viaRelative = lib->InsertItem("x/a.mp3", kItemKindFile);
  std::filesystem::current_path(cwd);
  EXPECT_EQ(viaRelative, ia);

  EXPECT_EQ(lib->InsertItem("", kItemKindFile), kNoLibraryIndex);
  EXPECT_EQ(lib->InsertItem(dir_.File("music/missing.mp3"), kItemKindFile), kNoLibraryIndex);
  EXPECT_EQ(lib->InsertItem(dir_.File("music/x"), kItemKindFile), kNoLibraryIndex);  // a folder
  EXPECT_EQ(lib->InsertItem(a, 3), kNoLibraryIndex);
  EXPECT_EQ(lib->InsertItem("E:\\Song.cda", kItemKindCDTrack), kNoLibraryIndex);
  EXPECT_FALSE(store->GetLastError().empty());
  EXPECT_EQ(lib->CountItem(), count);

  std::uint32_t t1 = lib->InsertItem("d:\\track01.CDA", kItemKindCDTrack);
  EXPECT_NE(t1, kNoLibraryIndex);
  EXPECT_EQ(lib->InsertItem("D:\\Track01.cda", kItemKindCDTrack), t1);
  EXPECT_NE(lib->InsertItem("D:\\Track02.cda", kItemKindCDTrack), t1);
  EXPECT_NE(lib->InsertItem("E:\\Track01.cda", kItemKindCDTrack), t1);

  // Playlists that hold each song once give back the position it has.
  TYX_Playlist* all = store->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY);
  EXPECT_EQ(all->InsertItem(ia, 0), 0u);
  EXPECT_EQ(all->InsertItem(ia, 0), 0u);
  EXPECT_EQ(all->CountItem(), 1u);
  EXPECT_EQ(all->InsertItem(12345u, 0), kNoPosition);
  // A file put in through a playlist lands in the song table and in the list.
  std::string c = MakeSong("c.wav");
  std::uint32_t pos = all->InsertItem(c, 0, kItemKindFile);
  EXPECT_EQ(pos, 1u);
  EXPECT_EQ(all->GetItem(pos), lib->FindItem(c));
  EXPECT_EQ(store->GetStockPlaylist(static_cast<ENUM_STOCK_PLAYLIST>(3)), nullptr);
}

TEST_F(StoreTest, RemovedSongIsDeadUntilPackedAndItsIndexIsNeverReused) {
  std::string a = MakeSong("a.mp3"), b = MakeSong("b.mp3"), c = MakeSong("c.mp3");
  std::uint32_t ia, ib, ic;
  TYX_LibraryItem* removedItem = nullptr;
  {
    auto store = OpenStore();
    ASSERT_TRUE(store);
    TYX_Library* lib = store->GetLibrary();
    ia = lib->InsertItem(a, kItemKindFile);
    ib = lib->InsertItem(b, kItemKindFile);
    ic = lib->InsertItem(c, kItemKindFile);
    TYX_Playlist* all = store->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY);
    TYX_Playlist* now = store->GetStockPlaylist(STOCK_PLAYLIST_NOWPLAYING);
    TYX_Playlist* sync = store->GetStockPlaylist(STOCK_PLAYLIST_SYNC);
    for (std::uint32_t i : {ia, ib, ic}) {
      all->InsertItem(i, 0);
      now->InsertItem(i, 0);
    }
    sync->InsertItem(ib, 0);
    now->SetUserData(2);  // playing c
    // Removing from the whole library removes the song from the library and every list.
    removedItem = all->GetItem_LibraryItem(1);
    EXPECT_EQ(all->RemoveItem(1), 0);
    EXPECT_EQ(removedItem->GetReference(), kNoLibraryIndex);
    EXPECT_EQ(removedItem->GetLibraryIndex(), ib);
    EXPECT_EQ(store->GetLibraryItem(ib), removedItem);
    EXPECT_EQ(all->CountItem(), 2u);
    EXPECT_EQ(now->CountItem(), 2u);
    EXPECT_EQ(now->GetUserData(), 1u);  // still c
    EXPECT_EQ(now->GetItem(1), ic);
    EXPECT_EQ(sync->CountItem(), 0u);
    EXPECT_EQ(lib->FindItem(b), kNoLibraryIndex);
    EXPECT_EQ(lib->CountItem(), 3u);
    EXPECT_EQ(lib->CountLiveItem(), 2u);
    EXPECT_FALSE(removedItem->SetTitle("x"));
    EXPECT_EQ(all->InsertItem(ib, 0), kNoPosition);
    EXPECT_EQ(all->RemoveItem(5), static_cast<std::int32_t>(0x80070057u));
    EXPECT_EQ(lib->RemoveItem(ib), static_cast<std::int32_t>(0x80070057u));
  }
  {
    // Not yet packed: still there as a dead entry after reopening.
    auto store = OpenStore();
    ASSERT_TRUE(store);
    TYX_LibraryItem* dead = store->GetLibraryItem(ib);
    ASSERT_NE(dead, nullptr);
    EXPECT_EQ(dead->GetReference(), kNoLibraryIndex);
    EXPECT_EQ(store->PackLibrary(), 0);
    EXPECT_EQ(store->GetLibraryItem(ib), nullptr);
    EXPECT_EQ(store->PackLibrary(), 0);  // nothing left to drop
    // The same file comes back with a new index.
    std::uint32_t again = store->GetLibrary()->InsertItem(b, kItemKindFile);
    EXPECT_EQ(again, 3u);
  }
  auto store = OpenStore();
  ASSERT_TRUE(store);
  EXPECT_EQ(store->GetLibraryItem(ib), nullptr);
  EXPECT_EQ(store->GetLibrary()->FindItem(b), 3u);
  EXPECT_EQ(store->GetLibrary()->CountItem(), 4u);
  EXPECT_EQ(store->GetLibraryItem(ic)->GetReference(), ic);
  EXPECT_EQ(store->GetStockPlaylist(STOCK_PLAYLIST_NOWPLAYING)->GetUserData(), 1u);
}

TEST_F(StoreTest, ClearingEmptiesListsAndTheLibrary) {
  auto store = OpenStore();
  ASSERT_TRUE(store);
  TYX_Library* lib = store->GetLibrary();
  TYX_Playlist* all = store->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY);
  TYX_Playlist* now = store->GetStockPlaylist(STOCK_PLAYLIST_NOWPLAYING);
  for (int i = 0; i < 5; ++i) {
    std::uint32_t idx = lib->InsertItem(MakeSong("s" + std::to_string(i) + ".mp3"), kItemKindFile);
    all->InsertItem(idx, 0);
    now->InsertItem(idx, 0);
  }
  now->SetUserData(3);
  EXPECT_EQ(now->ClearItem(), 0);
  EXPECT_EQ(now->CountItem(), 0u);
  EXPECT_EQ(now->GetUserData(), kNoPosition);
  EXPECT_EQ(all->CountItem(), 5u);
  EXPECT_EQ(lib->ClearItem(), 0);
  EXPECT_EQ(lib->CountLiveItem(), 0u);
  EXPECT_EQ(all->CountItem(), 0u);
  EXPECT_EQ(lib->CountItem(), 5u);
  EXPECT_EQ(store->PackLibrary(), 0);
  store.reset();
  store = OpenStore();
  ASSERT_TRUE(store);
  EXPECT_EQ(store->GetLibrary()->CountLiveItem(), 0u);
  EXPECT_EQ(store->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY)->CountItem(), 0u);
  EXPECT_EQ(store->GetLibraryItem(0), nullptr);
}

TEST_F(StoreTest, RecentlyPlayedKeepsTheLastHundred) {
  auto store = OpenStore();
  ASSERT_TRUE(store);
  TYX_Library* lib = store->GetLibrary();
  TYX_Playlist* old = store->GetStockPlaylist(STOCK_PLAYLIST_OLDNOWPLAYING);
  std::vector<std::uint32_t> songs;
  lib->BeginUpdate();
  for (int i = 0; i < 120; ++i) songs.push_back(lib->InsertItem(MakeSong("p" + std::to_string(i) + ".mp3"), kItemKindFile));
  EXPECT_TRUE(lib->EndUpdate());
  for (std::uint32_t s : songs) old->InsertItem(s, 0);
  ASSERT_EQ(old->CountItem(), 100u);
  EXPECT_EQ(old->GetItem(0), songs[20]);
  EXPECT_EQ(old->GetItem(99), songs[119]);
  // Playing an entry again moves it to the end without growing the list.
  EXPECT_EQ(old->InsertItem(songs[50], 0), 99u);
  EXPECT_EQ(old->CountItem(), 100u);
  EXPECT_EQ(old->GetItem(99), songs[50]);
  EXPECT_EQ(old->GetItem(0), songs[20]);
  EXPECT_EQ(old->FindItem(songs[50]), 99u);
  // A song already removed from the list may come back; the oldest goes.
  EXPECT_EQ(old->InsertItem(songs[0], 0), 99u);
  EXPECT_EQ(old->GetItem(0), songs[21]);
  store.reset();
  store = OpenStore();
  ASSERT_TRUE(store);
  old = store->GetStockPlaylist(STOCK_PLAYLIST_OLDNOWPLAYING);
  ASSERT_EQ(old->CountItem(), 100u);
  EXPECT_EQ(old->GetItem(0), songs[21]);
  EXPECT_EQ(old->GetItem(98), songs[50]);
  EXPECT_EQ(old->GetItem(99), songs[0]);
}

TEST_F(StoreTest, FieldsOutOfRangeAreRefusedAndNothingIsWritten) {
  auto store = OpenStore();
  ASSERT_TRUE(store);
  std::uint32_t s = store->GetLibrary()->InsertItem(MakeSong("a.mp3"), kItemKindFile);
  TYX_LibraryItem* item = store->GetLibraryItem(s);
  ASSERT_TRUE(item->SetTitle("kept"));
  const TYX_LibraryItemData before = item->GetData();
  const auto texts = static_cast<std::uint32_t>(ItemText::Count);
  const auto numbers = static_cast<std::uint32_t>(ItemNumber::Count);
  // One past the last field, further past, and "negative" fields (large unsigned numbers).
  for (std::uint32_t f : {texts, texts + 1, 0xFFFFFFFFu, 0x80000000u}) {
    EXPECT_FALSE(item->SetText(static_cast<ItemText>(f), "past the fields")) << f;
    EXPECT_EQ(item->GetText(static_cast<ItemText>(f)), "") << f;
  }
  for (std::uint32_t f : {numbers, numbers + 1, 0xFFFFFFFFu, 0x80000000u}) {
    EXPECT_FALSE(item->SetNumber(static_cast<ItemNumber>(f), 77)) << f;
    EXPECT_EQ(item->GetNumber(static_cast<ItemNumber>(f)), 0u) << f;
  }
  // The path and the kind are not the caller's to set either.
  EXPECT_FALSE(item->SetText(ItemText::Path, "/elsewhere.mp3"));
  EXPECT_FALSE(item->SetNumber(ItemNumber::Kind, kItemKindCDTrack));
  EXPECT_EQ(item->GetData(), before);
  // The last field of each kind is in range.
  EXPECT_TRUE(item->SetText(static_cast<ItemText>(texts - 1), "last text"));
  EXPECT_TRUE(item->SetNumber(static_cast<ItemNumber>(numbers - 1), 5));
  store.reset();
  store = OpenStore();
  ASSERT_TRUE(store);
  TYX_LibraryItemData want = before;
  want.texts.back() = "last text";
  want.numbers.back() = 5;
  EXPECT_EQ(store->GetLibraryItem(s)->GetData(), want);
}

TEST_F(StoreTest, UserPlaylistsAreAddedAndRemovedWithTheirChildren) {
  auto store = OpenStore();
  ASSERT_TRUE(store);
  TYX_Playlist* all = store->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY);
  std::uint32_t s = store->GetLibrary()->InsertItem(MakeSong("a.mp3"), kItemKindFile);
  TYX_Playlist* first = all->AddPlaylist("first");
  TYX_Playlist* second = all->AddPlaylist("second");
  TYX_Playlist* child = first->AddPlaylist("child");
  ASSERT_TRUE(first && second && child);
  first->InsertItem(s, 0);
  first->InsertItem(s, 0);  // user lists may hold a song twice
  EXPECT_EQ(first->CountItem(), 2u);
  child->InsertItem(s, 0);
  EXPECT_TRUE(second->SetAttribute(0x10));
  EXPECT_EQ(all->RemovePlaylist(2), static_cast<std::int32_t>(0x80070057u));
  EXPECT_EQ(all->RemovePlaylist(0), 0);
  EXPECT_EQ(first->CountItem(), 0u);
  EXPECT_EQ(first->AddPlaylist("late"), nullptr);
  EXPECT_EQ(all->CountPlaylist(), 1u);
  EXPECT_EQ(all->GetPlaylist(0), second);
  store.reset();
  store = OpenStore();
  ASSERT_TRUE(store);
  all = store->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY);
  ASSERT_EQ(all->CountPlaylist(), 1u);
  EXPECT_EQ(all->GetPlaylist(0)->GetTitle(), "second");
  EXPECT_EQ(all->GetPlaylist(0)->GetAttribute(), 0x10u);
  // A new playlist after reopening does not collide with the ids of removed ones.
  TYX_Playlist* third = all->AddPlaylist("third");
  ASSERT_NE(third, nullptr);
  third->InsertItem(s, 0);
  store.reset();
  store = OpenStore();
  ASSERT_TRUE(store);
  ASSERT_EQ(store->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY)->CountPlaylist(), 2u);
  EXPECT_EQ(store->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY)->GetPlaylist(1)->GetItem(0), s);
}

}  // namespace
}  // namespace TYX::Store::Test
