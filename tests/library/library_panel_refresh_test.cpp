// Refresh of the library panel over a real store: which list is filled, with which cells, and what
// the panel shows and tells its parent for each list type.
#include <filesystem>

#include "library/library_panel_fixture.h"
#include "platform/messaging.h"
#include "toolkit/combo_box.h"
#include "util/log.h"

namespace TYX::Library::Test {
namespace {

using LP = TYX_LibraryPanel;

TEST_F(PanelTest, CreationMakesSevenListsWithTheirColumns) {
  // Made inside the panel shrunk by 20 pixels, then moved to the list area by the first layout.
  const Win::Rect expected{0, 30, 800, 600};
  EXPECT_EQ(panel_.GetListAreaRect(), expected);
  for (int i = 0; i < LP::LIST_COUNT; ++i) {
    LP::ListCtrl* list = List(static_cast<LP::ListIndex>(i));
    ASSERT_NE(list, nullptr) << i;
    EXPECT_EQ(list->GetDlgCtrlID(), kListCtrlId);
    EXPECT_EQ(list->GetParent(), panel_.GetSafeHwnd());
    EXPECT_EQ(list->GetStyle() & ~Win::WS_VISIBLE, kListCtrlStyle & ~Win::WS_VISIBLE);
    EXPECT_EQ(list->GetRectInParent(), expected) << i;
    EXPECT_EQ(HeaderImages(list), (std::vector<Win::UINT>{20178, 20178, 20179, 20190, 20190, 20190, 20189, 20519}));
    EXPECT_EQ(HeaderHeight(list), 22);
    EXPECT_EQ(Colors(list), (std::vector<Win::COLORREF>{0xFFFFFF, 0xFBF7F5, 0xA6447E, 0x4C4C4C, 0x4C4C4C, 0xFFFFFF,
                                                        0xBF5759, 0xCECAC8}));
    EXPECT_EQ(RowHeight(list), 28);
  }
  // A second set-up creates nothing new.
  LP::ListCtrl* before = List(LP::LIST_LIBRARY);
  panel_.InitListCtrl(Win::Rect{0, 0, 10, 10});
  EXPECT_EQ(List(LP::LIST_LIBRARY), before);
  EXPECT_EQ(before->GetRectInParent(), expected);

  using V = std::vector<std::string>;
  EXPECT_EQ(ColumnTitles(List(LP::LIST_LIBRARY)), (V{"", "정렬", "곡명", "아티스트", "앨범", "시간", "종류"}));
  EXPECT_EQ(ColumnTitles(List(LP::LIST_WEBDOWNLOAD)), ColumnTitles(List(LP::LIST_LIBRARY)));
  EXPECT_EQ(ColumnTitles(List(LP::LIST_NOWPLAYING)), (V{"정렬", "곡명", "아티스트", "앨범", "시간", "가사", "종류"}));
  EXPECT_EQ(ColumnTitles(List(LP::LIST_MYMELODY)), (V{"", "정렬", "파일", "화음", "종류", "크기"}));
  EXPECT_EQ(ColumnTitles(List(LP::LIST_CD)), ColumnTitles(List(LP::LIST_LIBRARY)));
  EXPECT_EQ(ColumnTitles(List(LP::LIST_SYNC)), (V{"", "정렬", "곡명", "진행상태", "아티스트", "앨범", "크기", "종류"}));

  const auto& lib = Columns(List(LP::LIST_LIBRARY));
  EXPECT_EQ(lib[0].width, 49);
  EXPECT_EQ(lib[0].drawCode, 8);
  EXPECT_EQ(lib[3].secondWidth, 52);
  EXPECT_EQ(lib[3].kind, 7);
  ASSERT_EQ(lib[6].images.size(), 20u);
  EXPECT_EQ(lib[6].images[0].skinId, 20141u);
  EXPECT_EQ(lib[6].images[9].skinId, 20142u);
  EXPECT_EQ(lib[6].images[19].skinId, 20153u);
  ASSERT_EQ(lib[2].images.size(), 3u);
  EXPECT_EQ(lib[2].images[0].kind, 3);
  // The two now-playing lists differ in the lyric column only.
  EXPECT_EQ(Columns(List(LP::LIST_NOWPLAYING))[5].width, 40);
  EXPECT_EQ(Columns(List(LP::LIST_OLDNOWPLAYING))[5].width, 62);
  ASSERT_EQ(Columns(List(LP::LIST_NOWPLAYING))[5].images.size(), 5u);
  EXPECT_EQ(Columns(List(LP::LIST_NOWPLAYING))[5].images[0].skinId, 20163u);
  EXPECT_EQ(Columns(List(LP::LIST_NOWPLAYING))[2].kind, 6);
  // The CD list draws its order and title columns plainly.
  const auto& cd = Columns(List(LP::LIST_CD));
  EXPECT_EQ(cd[1].drawCode, 0);
  EXPECT_TRUE(cd[1].images.empty());
  EXPECT_EQ(cd[2].drawCode, 1);
  EXPECT_TRUE(cd[2].images.empty());
  EXPECT_EQ(cd[6].images.size(), 20u);

  ASSERT_NE(panel_.GetSearchWnd(), nullptr);
  EXPECT_EQ(panel_.GetSearchWnd()->GetDlgCtrlID(), kSearchWndId);
  EXPECT_FALSE(panel_.GetSearchWnd()->IsVisibleFlag());
  EXPECT_EQ(panel_.GetCurrentListType(), TYX_BandWnd::kLibrary);
}

TEST_F(PanelTest, LibraryRowsCarryTheSongCellsAndTheirPresence) {
  AddSong("a.mp3", "첫 곡", "가수", "앨범1", 187);
  AddSong("b.ogg", "", "", "", 3600);
  ASSERT_EQ(panel_.Refresh("000000", LP::REFRESH_LEVEL_NONE, 1), 0);
  LP::ListCtrl* list = List(LP::LIST_LIBRARY);
  ASSERT_EQ(panel_.GetCurrentListCtrl(), list);
  ASSERT_EQ(Rows(list), 2);
  EXPECT_EQ(Key(list, 0), 0u);
  EXPECT_EQ(Key(list, 1), 1u);
  EXPECT_EQ(Number(list, 0, 0), 0u);
  EXPECT_EQ(Number(list, 1, 1), 1u);
  EXPECT_EQ(Text(list, 0, 2), "첫 곡");
  EXPECT_EQ(Flags(list, 0, 2), 2u);
  EXPECT_EQ(Flags(list, 0, 3), 0u);
  EXPECT_EQ(Text(list, 0, 3), "가수");
  EXPECT_EQ(Text(list, 0, 4), "앨범1");
  EXPECT_EQ(Text(list, 0, 5), "03:07");
  EXPECT_EQ(Number(list, 0, 6), 1u);  // mp3
  EXPECT_EQ(Text(list, 1, 2), "b");    // no title: the file name
  EXPECT_EQ(Text(list, 1, 5), "1:00:00");
  EXPECT_EQ(Number(list, 1, 6), 3u);  // ogg
  EXPECT_EQ(Status(list, 0), LP::kRowStatusPresent);
  // The search window was told which playlist it filters, and that the type did not change.
  const auto& calls = panel_.GetSearchWnd()->PlaylistTypeCalls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().id, STOCK_PLAYLIST_LIBRARY);
  EXPECT_EQ(calls.back().changed, 0);

  // A vanished file shows dimmed only once the disk is looked at again.
  std::filesystem::remove(SongPath("a.mp3"));
  panel_.Refresh("000000", LP::REFRESH_LEVEL_NONE, 1);
  EXPECT_EQ(Status(list, 0), LP::kRowStatusPresent);
  panel_.Refresh("000000", LP::REFRESH_LEVEL_CHECKEXIST, 1);
  EXPECT_EQ(Status(list, 0), LP::kRowStatusMissing);
  EXPECT_EQ(Status(list, 1), LP::kRowStatusPresent);
}

TEST_F(PanelTest, PagesWithoutListLeaveTheLibraryListEmpty) {
  AddSong("a.mp3", "a");
  for (const char* page : {"100001", "100000", "500000&1&abc", "A48700", "a48700", "Z00000", "00000"}) {
    ASSERT_EQ(panel_.Refresh("000000"), 0);
    ASSERT_EQ(Rows(List(LP::LIST_LIBRARY)), 1) << page;
    EXPECT_EQ(panel_.Refresh(page), 0) << page;
    EXPECT_EQ(panel_.GetCurrentListCtrl(), List(LP::LIST_LIBRARY)) << page;
    for (int i = 0; i < LP::LIST_COUNT; ++i) EXPECT_EQ(Rows(List(static_cast<LP::ListIndex>(i))), 0) << page;
    EXPECT_EQ(panel_.GetTotalFileSize(), 0u) << page;
  }
  EXPECT_EQ(panel_.GetCurrentListType(), TYX_BandWnd::kNone);
  EXPECT_EQ(panel_.Refresh("500000&1&abc"), 0);
  EXPECT_EQ(panel_.GetCurrentListType(), TYX_BandWnd::kSearchResult);
  EXPECT_EQ(panel_.GetPreviousListType(), TYX_BandWnd::kNone);
}

TEST_F(PanelTest, EachListAnswersWithItsStockPlaylist) {
  // (The CD list answers with the library too: see the CD tests.)
  const std::pair<const char*, ENUM_STOCK_PLAYLIST> pages[] = {
      {"000000", STOCK_PLAYLIST_LIBRARY},     {"100001", STOCK_PLAYLIST_LIBRARY},
      {"200000", STOCK_PLAYLIST_NOWPLAYING},  {"800000", STOCK_PLAYLIST_OLDNOWPLAYING},
      {"500000&1&x", STOCK_PLAYLIST_LIBRARY},
      {"600000", STOCK_PLAYLIST_LIBRARY},     {"A48700", STOCK_PLAYLIST_LIBRARY},
      {"700000", STOCK_PLAYLIST_SYNC},        {"900000", STOCK_PLAYLIST_TRANSFERRED},
  };
  for (const auto& [page, id] : pages) {
    panel_.Refresh(page);
    EXPECT_EQ(panel_.GetCurrentPlaylist(), Playlist(id)) << page;
  }
}

TEST_F(PanelTest, RefreshIsLoggedAndTellsTheSearchWindowOfTypeChanges) {
  Util::TYX_Log::Instance()->SetTarget("");
  ASSERT_EQ(panel_.Refresh("000000", LP::REFRESH_LEVEL_NONE, 1), 0);
  ASSERT_EQ(panel_.Refresh("000000", LP::REFRESH_LEVEL_NONE, 0), 0);
  const auto entries = Util::TYX_Log::Instance()->RecentEntries();
  ASSERT_GE(entries.size(), 4u);
  auto endsWith = [](const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
  };
  const std::size_t n = entries.size();
  EXPECT_TRUE(endsWith(entries[n - 4], "TYX::Library::TYX_LibraryPanel::Refresh before")) << entries[n - 4];
  EXPECT_TRUE(endsWith(entries[n - 3], "TYX::Library::TYX_LibraryPanel::Refresh bRefresh : 1")) << entries[n - 3];
  EXPECT_TRUE(endsWith(entries[n - 1], "TYX::Library::TYX_LibraryPanel::Refresh bRefresh : 0")) << entries[n - 1];

  // The filter lists are rebuilt only when the filtered list changes type.
  TYX_Library_SearchWnd* search = panel_.GetSearchWnd();
  const int rebuilds = search->RebuildCount();
  panel_.Refresh("000000");
  EXPECT_EQ(search->RebuildCount(), rebuilds);
  panel_.Refresh("700000");
  EXPECT_EQ(search->RebuildCount(), rebuilds + 1);
  EXPECT_EQ(search->GetStockPlaylistType(), STOCK_PLAYLIST_SYNC);
  panel_.Refresh("200000");  // not filtered: the search window is not told
  EXPECT_EQ(search->GetStockPlaylistType(), STOCK_PLAYLIST_SYNC);
  panel_.Refresh("000000");
  EXPECT_EQ(search->RebuildCount(), rebuilds + 2);
  EXPECT_EQ(search->GetStockPlaylistType(), STOCK_PLAYLIST_LIBRARY);
}

TEST_F(PanelTest, RefreshWithoutStoreFails) {
  LP lonely;
  EXPECT_EQ(lonely.Refresh("000000"), Win::E_FAIL);  // no window, no store
  ASSERT_TRUE(lonely.CreatePanel(host_.GetSafeHwnd(), Win::Rect{0, 0, 300, 300}, 101));
  EXPECT_EQ(lonely.Refresh("000000"), Win::E_FAIL);  // no store
  EXPECT_EQ(lonely.GetCurrentListType(), TYX_BandWnd::kLibrary);
}

TEST_F(PanelTest, FillsWithoutAStoreOrWithoutListsFailAndWriteNothing) {
  AddSong("a.mp3");
  AddSong("bell.mid");
  // A panel that has the store but was never created has no list controls.
  LP bare;
  bare.SetLibraryManager(store_.get());
  EXPECT_EQ(bare.AddListItemLIB(0, LP::REFRESH_LEVEL_NONE), Win::E_FAIL);
  EXPECT_EQ(bare.AddListItemMyMelody(1, LP::REFRESH_LEVEL_NONE), Win::E_FAIL);
  EXPECT_EQ(bare.AddListItemWebDownload(0, LP::REFRESH_LEVEL_NONE), Win::E_FAIL);
  EXPECT_EQ(bare.AddListItemNP(0), Win::E_FAIL);
  EXPECT_EQ(bare.AddListItemOldNP(0), Win::E_FAIL);
  EXPECT_EQ(bare.AddListItemSync(0), Win::E_FAIL);
  EXPECT_EQ(bare.AddListItemCD(0), Win::E_FAIL);
  // The created panel once the host has taken its store away.
  panel_.SetLibraryManager(nullptr);
  EXPECT_EQ(panel_.AddListItemLIB(0, LP::REFRESH_LEVEL_NONE), Win::E_FAIL);
  EXPECT_EQ(panel_.AddListItemMyMelody(1, LP::REFRESH_LEVEL_NONE), Win::E_FAIL);
  EXPECT_EQ(panel_.AddListItemWebDownload(0, LP::REFRESH_LEVEL_NONE), Win::E_FAIL);
  EXPECT_EQ(panel_.AddListItemNP(0), Win::E_FAIL);
  EXPECT_EQ(panel_.AddListItemOldNP(0), Win::E_FAIL);
  EXPECT_EQ(panel_.AddListItemSync(0), Win::E_FAIL);
  EXPECT_EQ(panel_.AddListItemCD(0), Win::E_FAIL);
  for (int i = 0; i < LP::LIST_COUNT; ++i) EXPECT_EQ(Rows(List(static_cast<LP::ListIndex>(i))), 0) << i;
}

TEST_F(PanelTest, RingtonesAreListedOnlyInTheRingtoneList) {
  AddSong("song.mp3", "노래");
  const std::uint32_t small = AddSong("bell.mid", "벨");
  const std::uint32_t big = AddSong("big.mmf");
  ASSERT_TRUE(Item(small)->SetFileSize(1048576));
  ASSERT_TRUE(Item(big)->SetFileSize(1048577));

  ASSERT_EQ(panel_.Refresh("000000"), 0);
  LP::ListCtrl* lib = List(LP::LIST_LIBRARY);
  ASSERT_EQ(Rows(lib), 1);
  EXPECT_EQ(Text(lib, 0, 2), "노래");
  // A ring-tone passed to the library fill directly is still left out.
  EXPECT_EQ(panel_.AddListItemLIB(1, LP::REFRESH_LEVEL_NONE), 0);
  EXPECT_EQ(Rows(lib), 1);

  ASSERT_EQ(panel_.Refresh("600000"), 0);
  LP::ListCtrl* bells = List(LP::LIST_MYMELODY);
  ASSERT_EQ(panel_.GetCurrentListCtrl(), bells);
  EXPECT_EQ(Rows(lib), 0);
  ASSERT_EQ(Rows(bells), 2);
  EXPECT_EQ(Key(bells, 0), 1u);
  EXPECT_EQ(Text(bells, 0, 2), "벨");
  EXPECT_EQ(Text(bells, 0, 3), "0");  // not a parsable melody: no polyphony
  EXPECT_EQ(Number(bells, 0, 4), 19u);
  EXPECT_EQ(Text(bells, 0, 5), "1024.0KB");
  EXPECT_EQ(Text(bells, 1, 2), "big");
  EXPECT_EQ(Number(bells, 1, 4), 12u);
  EXPECT_EQ(Text(bells, 1, 5), "1.0MB");
  EXPECT_EQ(Status(bells, 1), LP::kRowStatusPresent);
  // The song is not a ring-tone.
  EXPECT_EQ(panel_.AddListItemMyMelody(0, LP::REFRESH_LEVEL_NONE), 0);
  EXPECT_EQ(Rows(bells), 2);
}

TEST_F(PanelTest, PresenceTestOfAPageCoversExactlyItsOwnRows) {
  const std::uint32_t song = AddSong("a/song.mp3");
  const std::uint32_t other = AddSong("a/other.mp3", "", "가수");
  const std::uint32_t bell = AddSong("a/bell.mid");
  const std::uint32_t hidden = AddSong("b/hidden.mp3", "", "다른 가수");
  for (const char* name : {"a/song.mp3", "a/other.mp3", "a/bell.mid", "b/hidden.mp3"}) std::filesystem::remove(SongPath(name));

  // The library page tests its songs, never a ring-tone.
  ASSERT_EQ(panel_.Refresh("000000", LP::REFRESH_LEVEL_CHECKEXIST, 1), 0);
  LP::ListCtrl* lib = List(LP::LIST_LIBRARY);
  ASSERT_EQ(Rows(lib), 3);
  for (int row = 0; row < 3; ++row) EXPECT_EQ(Status(lib, row), LP::kRowStatusMissing) << row;
  EXPECT_FALSE(Item(song)->IsFileExist());
  EXPECT_TRUE(Item(bell)->IsFileExist());

  // Back on disk; with an artist chosen in the search strip only the rows shown are tested.
  for (const char* name : {"a/song.mp3", "a/other.mp3", "a/bell.mid", "b/hidden.mp3"}) dir_.Write("music/" + std::string(name), "x");
  TYX_Library_SearchWnd* search = panel_.GetSearchWnd();
  ASSERT_NE(search, nullptr);
  search->SendMessage(WM_SEARCH_COMBO_SELCHANGE, 0, 0);
  Controls::TYX_ComboBox* artists = search->GetList(TYX_Library_SearchWnd::LIST_ARTIST);
  ASSERT_NE(artists, nullptr);
  const int pick = artists->FindStringExact("가수");
  ASSERT_GT(pick, 0);
  artists->SetCurSel(pick);
  ASSERT_EQ(panel_.Refresh("000000", LP::REFRESH_LEVEL_CHECKEXIST, 1), 0);
  ASSERT_EQ(Rows(lib), 1);
  EXPECT_EQ(Key(lib, 0), 1u);
  EXPECT_EQ(Status(lib, 0), LP::kRowStatusPresent);
  EXPECT_TRUE(Item(other)->IsFileExist());
  EXPECT_FALSE(Item(song)->IsFileExist());
  EXPECT_FALSE(Item(hidden)->IsFileExist());

  // The ring-tone page tests its own rows.
  std::filesystem::remove(SongPath("a/bell.mid"));
  ASSERT_EQ(panel_.Refresh("600000", LP::REFRESH_LEVEL_CHECKEXIST, 1), 0);
  LP::ListCtrl* bells = List(LP::LIST_MYMELODY);
  ASSERT_EQ(Rows(bells), 1);
  EXPECT_EQ(Status(bells, 0), LP::kRowStatusMissing);
  EXPECT_FALSE(Item(song)->IsFileExist());
}

TEST_F(PanelTest, FillsRejectBadPositions) {
  AddSong("a.mp3");
  ASSERT_EQ(panel_.Refresh("000000"), 0);
  EXPECT_EQ(panel_.AddListItemLIB(kNoPosition, LP::REFRESH_LEVEL_NONE), Win::E_INVALIDARG);
  EXPECT_EQ(panel_.AddListItemLIB(1, LP::REFRESH_LEVEL_NONE), Win::E_INVALIDARG);
  EXPECT_EQ(panel_.AddListItemMyMelody(1, LP::REFRESH_LEVEL_NONE), Win::E_INVALIDARG);
  EXPECT_EQ(panel_.AddListItemWebDownload(0, LP::REFRESH_LEVEL_NONE), Win::E_INVALIDARG);
  EXPECT_EQ(panel_.AddListItemNP(0), Win::E_INVALIDARG);
  EXPECT_EQ(panel_.AddListItemOldNP(0), Win::E_FAIL);
  EXPECT_EQ(panel_.AddListItemSync(0), Win::E_FAIL);
  EXPECT_EQ(Rows(List(LP::LIST_LIBRARY)), 1);
}

TEST_F(PanelTest, NowPlayingRowsShowLyricsAndStoreSongsUnmarked) {
  const std::uint32_t a = AddSong("a.mp3", "A", "X", "Y", 61);
  const std::uint32_t b = AddSong("b.wma", "B");
  ASSERT_TRUE(Item(a)->SetLyricFlags(kLyricFileLrc | kLyricTag));
  ASSERT_TRUE(Item(b)->SetLyricFlags(kLyricFileText));
  ASSERT_TRUE(Item(b)->SetSourceCode(kSourceCodeStore));
  TYX_Playlist* np = Playlist(STOCK_PLAYLIST_NOWPLAYING);
  np->InsertItem(b, 0);
  np->InsertItem(a, 0);
  ASSERT_EQ(panel_.Refresh("200000"), 0);
  LP::ListCtrl* list = List(LP::LIST_NOWPLAYING);
  ASSERT_EQ(panel_.GetCurrentListCtrl(), list);
  ASSERT_EQ(Rows(list), 2);
  EXPECT_EQ(Number(list, 0, 0), 0u);
  EXPECT_EQ(Text(list, 0, 1), "B");
  EXPECT_EQ(Number(list, 0, 5), 1u);  // text file of lyrics
  EXPECT_EQ(Number(list, 0, 6), 2u);  // wma
  EXPECT_EQ(Status(list, 0), LP::kRowStatusNone);
  EXPECT_EQ(Text(list, 1, 2), "X");
  EXPECT_EQ(Text(list, 1, 4), "01:01");
  EXPECT_EQ(Number(list, 1, 5), 3u);  // .lrc wins
  EXPECT_EQ(Status(list, 1), LP::kRowStatusPresent);
  EXPECT_EQ(panel_.GetTotalFileSize(), Item(a)->GetFileSize() + Item(b)->GetFileSize());
}

TEST_F(PanelTest, PreviouslyPlayedSkipsVanishedFiles) {
  const std::uint32_t a = AddSong("a.mp3", "A");
  const std::uint32_t b = AddSong("b.mp3", "B");
  TYX_Playlist* old = Playlist(STOCK_PLAYLIST_OLDNOWPLAYING);
  old->InsertItem(a, 0);
  old->InsertItem(b, 0);
  std::filesystem::remove(SongPath("a.mp3"));
  ASSERT_EQ(panel_.Refresh("800000"), 0);
  LP::ListCtrl* list = List(LP::LIST_OLDNOWPLAYING);
  ASSERT_EQ(Rows(list), 1);
  EXPECT_EQ(Key(list, 0), 1u);
  EXPECT_EQ(Text(list, 0, 1), "B");
  EXPECT_EQ(Status(list, 0), LP::kRowStatusPresent);
}

TEST_F(PanelTest, TransferredAndSyncListsFillFromTheirPlaylists) {
  const std::uint32_t a = AddSong("a.mp3", "A", "X");
  const std::uint32_t d = AddSong("locked.dcf", "D");
  ASSERT_TRUE(Item(a)->SetFileSize(3 * 1048576 / 2));
  ASSERT_TRUE(Item(a)->SetTransferState(2 + 3));
  Playlist(STOCK_PLAYLIST_TRANSFERRED)->InsertItem(a, 0);
  Playlist(STOCK_PLAYLIST_SYNC)->InsertItem(d, 0);
  Playlist(STOCK_PLAYLIST_SYNC)->InsertItem(a, 0);

  ASSERT_EQ(panel_.Refresh("900000"), 0);
  LP::ListCtrl* web = List(LP::LIST_WEBDOWNLOAD);
  ASSERT_EQ(panel_.GetCurrentListCtrl(), web);
  ASSERT_EQ(Rows(web), 1);
  EXPECT_EQ(Text(web, 0, 2), "A");
  EXPECT_EQ(panel_.GetSearchWnd()->GetStockPlaylistType(), STOCK_PLAYLIST_TRANSFERRED);
  EXPECT_EQ(panel_.GetSearchWnd()->PlaylistTypeCalls().back().changed, 1);

  ASSERT_EQ(panel_.Refresh("700000"), 0);
  LP::ListCtrl* sync = List(LP::LIST_SYNC);
  ASSERT_EQ(Rows(sync), 1);  // the phone-bound file is never listed
  EXPECT_EQ(Key(sync, 0), 1u);
  EXPECT_EQ(Text(sync, 0, 2), "A");
  EXPECT_EQ(Text(sync, 0, 3), "");
  EXPECT_EQ(Flags(sync, 0, 3), 2u);
  EXPECT_EQ(Text(sync, 0, 4), "X");
  EXPECT_EQ(Text(sync, 0, 6), "1.5 MB");
  EXPECT_EQ(Number(sync, 0, 7), 1u);
  EXPECT_EQ(panel_.GetTotalFileSize(), 3u * 1048576u / 2u);
}

TEST_F(PanelTest, ShownListToolbarAndParentMessageFollowTheType) {
  auto enabled = [this] {
    std::string s;
    for (int i = 0; i < kToolbarButtonCount; ++i) {
      Win::Window* b = panel_.GetToolbarButton(i);
      s += b->IsWindowEnabled() ? (b->IsVisibleFlag() ? 'S' : 'e') : (b->IsVisibleFlag() ? '?' : '-');
    }
    return s;
  };
  auto shown = [this] {
    std::vector<int> v;
    for (int i = 0; i < LP::LIST_COUNT; ++i) {
      if (List(static_cast<LP::ListIndex>(i))->IsVisibleFlag()) v.push_back(i);
    }
    return v;
  };

  panel_.Refresh("200000");  // from the library list
  EXPECT_EQ(shown(), std::vector<int>{LP::LIST_NOWPLAYING});
  EXPECT_EQ(enabled(), "----S--");
  ASSERT_EQ(barMessages_.size(), 1u);
  EXPECT_EQ(barMessages_.back().first, 0u);
  EXPECT_EQ(barMessages_.back().second, 0);

  panel_.Refresh("800000");
  EXPECT_EQ(shown(), std::vector<int>{LP::LIST_OLDNOWPLAYING});
  EXPECT_EQ(enabled(), "-------");
  ASSERT_EQ(barMessages_.size(), 2u);
  EXPECT_EQ(barMessages_.back().second, 0);

  panel_.Refresh("200000");  // from the previously-played list: nothing sent
  EXPECT_EQ(barMessages_.size(), 2u);

  panel_.Refresh("600000");
  EXPECT_EQ(shown(), std::vector<int>{LP::LIST_MYMELODY});
  EXPECT_EQ(enabled(), "eS----S");  // the listen button is enabled but hidden on the ringtone list
  ASSERT_EQ(barMessages_.size(), 3u);
  EXPECT_EQ(barMessages_.back().second, 5);

  panel_.Refresh("000000");  // from the ringtone list: nothing sent
  EXPECT_EQ(shown(), std::vector<int>{LP::LIST_LIBRARY});
  EXPECT_EQ(enabled(), "SSSSSS-");
  EXPECT_EQ(barMessages_.size(), 3u);

  panel_.Refresh("600000");  // from the library list: nothing sent
  EXPECT_EQ(barMessages_.size(), 3u);

  panel_.Refresh("900000");
  EXPECT_EQ(shown(), std::vector<int>{LP::LIST_WEBDOWNLOAD});
  EXPECT_EQ(enabled(), "SS-----");
  EXPECT_EQ(barMessages_.size(), 4u);
  EXPECT_FALSE(panel_.GetSyncAutoCheck()->IsVisibleFlag());

  panel_.Refresh("700000");
  EXPECT_EQ(shown(), std::vector<int>{LP::LIST_SYNC});
  EXPECT_EQ(enabled(), "SSS-SS-");
  EXPECT_TRUE(panel_.GetSyncAutoCheck()->IsVisibleFlag());
  EXPECT_EQ(panel_.GetTopBandRect().Height(), 80);
  EXPECT_EQ(List(LP::LIST_SYNC)->GetRectInParent(), (Win::Rect{0, 80, 800, 600}));
  EXPECT_EQ(barMessages_.size(), 5u);

  panel_.Refresh("100001");  // a saved list: the library list, the library toolbar
  EXPECT_EQ(shown(), std::vector<int>{LP::LIST_LIBRARY});
  EXPECT_EQ(enabled(), "SSSSSS-");
  EXPECT_FALSE(panel_.GetSyncAutoCheck()->IsVisibleFlag());
  EXPECT_EQ(panel_.GetTopBandRect().Height(), 30);
  EXPECT_EQ(List(LP::LIST_LIBRARY)->GetRectInParent(), (Win::Rect{0, 30, 800, 600}));
  EXPECT_EQ(barMessages_.size(), 6u);
  EXPECT_EQ(barMessages_.back().second, 5);

  // Refresh without the show flag leaves the shown list alone.
  panel_.Refresh("200000", LP::REFRESH_LEVEL_NONE, 0);
  EXPECT_EQ(shown(), std::vector<int>{LP::LIST_LIBRARY});
  EXPECT_EQ(barMessages_.size(), 6u);
}

TEST_F(PanelTest, PowerSearchFlagsShowTheSearchStripPerList) {
  panel_.SetPowerSearchFlag(TYX_BandWnd::kLibrary, 1);
  panel_.Refresh("000000");
  EXPECT_TRUE(panel_.GetSearchWnd()->IsVisibleFlag());
  EXPECT_EQ(panel_.GetSearchWnd()->GetRectInParent(), (Win::Rect{0, 30, 800, 51}));
  EXPECT_EQ(List(LP::LIST_LIBRARY)->GetRectInParent(), (Win::Rect{0, 51, 800, 600}));
  EXPECT_EQ(panel_.GetToolbarButton(0)->GetRectInParent().top, 51 - 45);
  // The sync list has its own flag, still 0.
  panel_.Refresh("700000");
  EXPECT_FALSE(panel_.GetSearchWnd()->IsVisibleFlag());
  EXPECT_EQ(List(LP::LIST_SYNC)->GetRectInParent(), (Win::Rect{0, 80, 800, 600}));
  EXPECT_EQ(panel_.GetToolbarButton(0)->GetRectInParent().top, 80 - 24);
  panel_.Refresh("200000");
  EXPECT_FALSE(panel_.GetSearchWnd()->IsVisibleFlag());
  panel_.Refresh("000000");
  EXPECT_TRUE(panel_.GetSearchWnd()->IsVisibleFlag());
}

TEST_F(PanelTest, ToolbarButtonsSitAtTheirPlaces) {
  panel_.Refresh("000000");
  EXPECT_EQ(panel_.GetToolbarButton(0)->GetRectInParent().left, 5);
  EXPECT_EQ(panel_.GetToolbarButton(3)->GetRectInParent().left, 170);
  const int w5 = panel_.GetToolbarButton(5)->GetRectInParent().Width();
  EXPECT_EQ(panel_.GetToolbarButton(5)->GetRectInParent().right, 800 - 6);
  EXPECT_EQ(panel_.GetToolbarButton(4)->GetRectInParent().right, 800 - w5 - 12);
  EXPECT_EQ(panel_.GetToolbarButton(0)->GetRectInParent().top, 6);
  // Each button sends its own command.
  const Win::UINT commands[] = {1025, 1014, 1036, 1035, 1027, 1032, 1027};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(panel_.GetToolbarButton(i)->GetDlgCtrlID(), commands[i]) << i;
}

TEST_F(PanelTest, IconTablesMapFileTypesAndLyricFlags) {
  const int types[] = {4, 5, 8, 9, 10, 11, 12, 16, 20, 21, 22, 23, 24, 25, 32, 0, 1, 7, 13, 26, 99};
  const int icons[] = {3, 4, 2, 5, 7, 6, 8, 19, 12, 11, 13, 14, 10, 16, 20, 1, 1, 1, 1, 1, 1};
  for (std::size_t i = 0; i < std::size(types); ++i) EXPECT_EQ(LP::GetMediaType(types[i]), icons[i]) << types[i];
  EXPECT_EQ(LP::GetLyricIconIndex(0), 0);
  EXPECT_EQ(LP::GetLyricIconIndex(kLyricFileText), 1);
  EXPECT_EQ(LP::GetLyricIconIndex(kLyricTag | kLyricFileText), 2);
  EXPECT_EQ(LP::GetLyricIconIndex(kLyricTimedTag), 2);
  EXPECT_EQ(LP::GetLyricIconIndex(kLyricFileLrc | kLyricTimedTag), 3);
}

TEST_F(PanelTest, UpdateListItemRewritesOneRow) {
  const std::uint32_t a = AddSong("a.mp3", "old");
  AddSong("b.mp3", "other");
  ASSERT_EQ(panel_.Refresh("000000"), 0);
  LP::ListCtrl* list = List(LP::LIST_LIBRARY);
  ASSERT_TRUE(Item(a)->SetTitle("new"));
  EXPECT_EQ(Text(list, 0, 2), "old");
  EXPECT_EQ(panel_.UpdateListItem(0, LP::REFRESH_LEVEL_NONE), 0);
  EXPECT_EQ(Text(list, 0, 2), "new");
  EXPECT_EQ(Text(list, 1, 2), "other");
  EXPECT_EQ(panel_.UpdateListItem(2, LP::REFRESH_LEVEL_NONE), Win::E_INVALIDARG);
  EXPECT_EQ(panel_.UpdateListItem(-1, LP::REFRESH_LEVEL_NONE), Win::E_INVALIDARG);

  // By path: the item is re-read and its row refilled.
  std::filesystem::remove(SongPath("a.mp3"));
  EXPECT_EQ(panel_.UpdateListItem(SongPath("a.mp3")), 0);
  EXPECT_EQ(Status(list, 0), LP::kRowStatusMissing);
  EXPECT_EQ(panel_.UpdateListItem(std::string("/no/such/file.mp3")), 0);

  // All rows, and only on the lists that have library rows.
  ASSERT_TRUE(Item(a)->SetTitle("newer"));
  EXPECT_EQ(panel_.RefreshAllMedia(), 0);
  EXPECT_EQ(Text(list, 0, 2), "newer");
  // Selected rows are re-read from their files: only on the library list.
  panel_.Refresh("200000");
  EXPECT_EQ(panel_.RefreshSelectedMedia(), Win::E_FAIL);
  EXPECT_EQ(panel_.UpdateListItem(0, LP::REFRESH_LEVEL_NONE), Win::E_FAIL);
}

}  // namespace
}  // namespace TYX::Library::Test
