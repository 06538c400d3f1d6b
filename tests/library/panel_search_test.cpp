// The power-search strip over a real store, driven as a person would: the toolbar command shows it,
// choices in its three drop-down lists narrow the lists below and, for an album, the songs listed.
#include <algorithm>

#include "helpers/manual_clock_guard.h"
#include "library/library_panel_fixture.h"
#include "platform/messaging.h"
#include "toolkit/combo_box.h"
#include "toolkit/splitter_control.h"

namespace TYX::Library::Test {
namespace {

using LP = TYX_LibraryPanel;
using SW = TYX_Library_SearchWnd;

class SearchTest : public PanelTest {
 protected:
  std::uint32_t AddTagged(const std::string& name, const std::string& artist, const std::string& album,
                          const std::string& genre) {
    const std::uint32_t index = AddSong(name, name, artist, album);
    if (!genre.empty()) {
      EXPECT_TRUE(Item(index)->SetGenre(genre));
    }
    return index;
  }
  SW* Search() { return panel_.GetSearchWnd(); }
  Controls::TYX_ComboBox* Combo(SW::SearchList which) { return Search()->GetList(which); }
  std::vector<std::string> Entries(SW::SearchList which) {
    std::vector<std::string> entries;
    Controls::TYX_ComboBox* combo = Combo(which);
    for (int i = 0; i < combo->GetCount(); ++i) entries.push_back(combo->GetLBText(i));
    return entries;
  }
  // The titles listed by the library list, in row order.
  std::vector<std::string> Listed() {
    std::vector<std::string> titles;
    LP::ListCtrl* list = List(LP::LIST_LIBRARY);
    for (int row = 0; row < Rows(list); ++row) titles.push_back(Text(list, row, 2));
    return titles;
  }
  void Command(Win::UINT id) { panel_.SendMessage(Win::WM_COMMAND, Win::MAKEWPARAM(id, 0), 0); }
  // A person opens the list and clicks the entry with that text.
  void Choose(SW::SearchList which, const std::string& text) { ASSERT_TRUE(Combo(which)->SelectItemByText(text)) << text; }
  // Handles what the strip posted (the refresh request after an album was chosen).
  void Pump() { Win::PumpMessages(); }
};

TEST_F(SearchTest, StripStartsWithItsThreeListsShowingAll) {
  ASSERT_NE(Combo(SW::LIST_GENRE), nullptr);
  EXPECT_EQ(Combo(SW::LIST_GENRE)->GetDlgCtrlID(), 10001u);
  EXPECT_EQ(Combo(SW::LIST_ARTIST)->GetDlgCtrlID(), 10002u);
  EXPECT_EQ(Combo(SW::LIST_ALBUM)->GetDlgCtrlID(), 10003u);
  // Before any rebuild each list holds only its "all" entry, chosen.
  EXPECT_EQ(Combo(SW::LIST_GENRE)->GetSelectedText(), "장르 전체");
  EXPECT_EQ(Combo(SW::LIST_ARTIST)->GetSelectedText(), "아티스트 전체");
  EXPECT_EQ(Combo(SW::LIST_ALBUM)->GetSelectedText(), "앨범 전체");
  std::string text;
  bool active = true;
  Search()->GetGenre(text, active);
  EXPECT_EQ(text, "장르 전체");
  EXPECT_FALSE(active);
}

TEST_F(SearchTest, ToolbarCommandShowsTheStripAndLaysOutTheLists) {
  AddTagged("a", "A", "X", "Rock");
  panel_.Refresh("000000");
  Command(1032);
  ASSERT_TRUE(Search()->IsVisibleFlag());
  EXPECT_EQ(panel_.GetPowerSearchFlag(kLibrary), 1);
  // The splitter under the strip shows with it, at the strip's lower edge.
  Controls::TYX_SplitterControl* splitter = panel_.Layout().GetSplitter();
  ASSERT_NE(splitter, nullptr);
  EXPECT_TRUE(splitter->IsVisibleFlag());
  EXPECT_EQ(splitter->GetRectInParent(), panel_.Layout().GetSplitterRect());
  EXPECT_EQ(splitter->GetRectInParent().top, Search()->GetRectInParent().bottom);
  // Each list is a third of the strip less 2 pixels, 2 pixels apart.
  Search()->SendMessage(WM_SEARCH_COMBO_SELCHANGE, 0, 0);
  const int w = Search()->GetClientRect().Width();
  ASSERT_EQ(w, 800);
  EXPECT_EQ(Combo(SW::LIST_GENRE)->GetRectInParent(), (Win::Rect{2, 0, 2 + 264, 20}));
  EXPECT_EQ(Combo(SW::LIST_ARTIST)->GetRectInParent(), (Win::Rect{268, 0, 268 + 264, 20}));
  EXPECT_EQ(Combo(SW::LIST_ALBUM)->GetRectInParent(), (Win::Rect{534, 0, 534 + 264, 20}));
  // The second press hides it again.
  Command(1033);
  EXPECT_FALSE(Search()->IsVisibleFlag());
  EXPECT_FALSE(splitter->IsVisibleFlag());
  EXPECT_EQ(panel_.GetPowerSearchFlag(kLibrary), 0);
}

TEST_F(SearchTest, ListsHoldTheSortedDistinctTextsWithTheirCount) {
  AddTagged("s1", "Zed", "Z1", "Rock");
  AddTagged("s2", "Abe", "A1", "Jazz");
  AddTagged("s3", "Abe", "A2", "Rock");
  AddTagged("s4", "", "", "");
  panel_.Refresh("000000");
  Search()->SendMessage(WM_SEARCH_COMBO_SELCHANGE, 0, 0);
  EXPECT_EQ(Entries(SW::LIST_GENRE), (std::vector<std::string>{"장르 전체보기 (2)", "Jazz", "Rock"}));
  EXPECT_EQ(Entries(SW::LIST_ARTIST), (std::vector<std::string>{"아티스트 전체보기 (2)", "Abe", "Zed"}));
  EXPECT_EQ(Entries(SW::LIST_ALBUM), (std::vector<std::string>{"앨범 전체보기 (3)", "A1", "A2", "Z1"}));
  for (auto which : {SW::LIST_GENRE, SW::LIST_ARTIST, SW::LIST_ALBUM}) EXPECT_EQ(Combo(which)->GetCurSel(), 0);
}

TEST_F(SearchTest, ALibraryWithoutGenresShowsOnlyTheGenreEntryZero) {
  AddTagged("s1", "A", "X", "");
  AddTagged("s2", "B", "Y", "");
  panel_.Refresh("000000");
  Search()->SendMessage(WM_SEARCH_COMBO_SELCHANGE, 0, 0);
  EXPECT_EQ(Entries(SW::LIST_GENRE), (std::vector<std::string>{"장르 전체보기 (0)"}));
  EXPECT_EQ(Entries(SW::LIST_ARTIST).size(), 3u);
}

TEST_F(SearchTest, GenresDifferingInLetterCaseStayApartAndFilterApart) {
  AddTagged("s1", "A", "X", "Rock");
  AddTagged("s2", "B", "Y", "rock");
  AddTagged("s3", "C", "Y", "ROCK");
  panel_.Refresh("000000");
  Command(1032);  // the person opens the strip
  Search()->SendMessage(WM_SEARCH_COMBO_SELCHANGE, 0, 0);
  EXPECT_EQ(Entries(SW::LIST_GENRE), (std::vector<std::string>{"장르 전체보기 (3)", "ROCK", "Rock", "rock"}));
  Choose(SW::LIST_GENRE, "rock");
  // The artist list narrows to the lower-case genre's songs only.
  EXPECT_EQ(Entries(SW::LIST_ARTIST), (std::vector<std::string>{"아티스트 전체보기 (1)", "B"}));
  EXPECT_EQ(Entries(SW::LIST_ALBUM), (std::vector<std::string>{"앨범 전체보기 (1)", "Y"}));
  // Choosing a genre lists nothing new by itself; the album choice does.
  EXPECT_EQ(Listed().size(), 3u);
  Choose(SW::LIST_ALBUM, "Y");
  Pump();
  EXPECT_EQ(Listed(), (std::vector<std::string>{"s2"}));
}

TEST_F(SearchTest, ArtistNarrowsAlbumsAndAnAlbumChoiceRefreshesTheList) {
  AddTagged("s1", "Abe", "A1", "Rock");
  AddTagged("s2", "Abe", "A2", "Rock");
  AddTagged("s3", "Zed", "A1", "Rock");
  AddTagged("s4", "Zed", "Z9", "Jazz");
  panel_.Refresh("000000");
  Command(1032);  // the person opens the strip
  Search()->SendMessage(WM_SEARCH_COMBO_SELCHANGE, 0, 0);
  const int rebuilds = Search()->RebuildCount();

  Choose(SW::LIST_GENRE, "Rock");
  EXPECT_EQ(Entries(SW::LIST_ARTIST), (std::vector<std::string>{"아티스트 전체보기 (2)", "Abe", "Zed"}));
  Choose(SW::LIST_ARTIST, "Zed");
  // Genre and artist both apply to the albums: Zed's jazz album is left out.
  EXPECT_EQ(Entries(SW::LIST_ALBUM), (std::vector<std::string>{"앨범 전체보기 (1)", "A1"}));
  EXPECT_EQ(Combo(SW::LIST_GENRE)->GetSelectedText(), "Rock");  // choosing below keeps the choice above
  Pump();
  EXPECT_EQ(Listed().size(), 4u);  // nothing asked the panel to list again yet

  Choose(SW::LIST_ALBUM, "A1");
  Pump();
  EXPECT_EQ(Listed(), (std::vector<std::string>{"s3"}));
  EXPECT_EQ(panel_.GetCurrentListType(), kLibrary);
  // The refill of the same type keeps the choices: no rebuild of the lists.
  EXPECT_EQ(Search()->RebuildCount(), rebuilds);
  std::string text;
  bool active = false;
  Search()->GetArtist(text, active);
  EXPECT_EQ(text, "Zed");
  EXPECT_TRUE(active);

  // Back to "all" for the album: the next album choice notice lists genre and artist matches again.
  Combo(SW::LIST_ALBUM)->SelectItem(0);
  Pump();
  EXPECT_EQ(Listed(), (std::vector<std::string>{"s3"}));  // genre Rock and artist Zed still apply
}

TEST_F(SearchTest, SelectionChangeRequestNamingAListHandlesThatList) {
  AddTagged("s1", "Abe", "A1", "Rock");
  AddTagged("s2", "Zed", "Z1", "Jazz");
  panel_.Refresh("000000");
  Search()->SendMessage(WM_SEARCH_COMBO_SELCHANGE, 0, 0);
  const int rebuilds = Search()->RebuildCount();
  auto request = [this](SW::SearchList which) {
    Search()->SendMessage(WM_SEARCH_COMBO_SELCHANGE, reinterpret_cast<Win::WPARAM>(Combo(which)->GetSafeHwnd()), 0);
  };

  // A quiet change of the genre followed by the request naming the genre list narrows the lists below.
  ASSERT_EQ(Combo(SW::LIST_GENRE)->SetCurSel(2), 2);  // "Rock"
  request(SW::LIST_GENRE);
  EXPECT_EQ(Entries(SW::LIST_ARTIST), (std::vector<std::string>{"아티스트 전체보기 (1)", "Abe"}));
  EXPECT_EQ(Entries(SW::LIST_ALBUM), (std::vector<std::string>{"앨범 전체보기 (1)", "A1"}));
  EXPECT_EQ(Search()->RebuildCount(), rebuilds) << "only the lists below the genre are rebuilt";
  Pump();
  EXPECT_EQ(Listed().size(), 2u);

  // Naming the album list asks the panel to list again with the filter.
  request(SW::LIST_ALBUM);
  Pump();
  EXPECT_EQ(Listed(), (std::vector<std::string>{"s1"}));
}

TEST_F(SearchTest, ChangingToAnotherListTypeAndBackRebuildsAndClearsTheFilter) {
  AddTagged("s1", "Abe", "A1", "Rock");
  AddTagged("s2", "Zed", "Z1", "Jazz");
  panel_.Refresh("000000");
  Command(1032);  // the person opens the strip
  Search()->SendMessage(WM_SEARCH_COMBO_SELCHANGE, 0, 0);
  Choose(SW::LIST_GENRE, "Jazz");
  Choose(SW::LIST_ALBUM, "Z1");
  Pump();
  ASSERT_EQ(Listed(), (std::vector<std::string>{"s2"}));
  panel_.Refresh("200000");
  panel_.Refresh("000000");
  EXPECT_EQ(Listed().size(), 2u);
  EXPECT_EQ(Combo(SW::LIST_GENRE)->GetCurSel(), 0);
}

TEST_F(SearchTest, RowFilterReadsTheFilteredPlaylistExactly) {
  const std::uint32_t a = AddTagged("s1", "Abe", "A1", "Rock");
  AddTagged("s2", "abe", "A1", "Rock");
  panel_.Refresh("000000");
  Command(1032);  // the person opens the strip
  Search()->SendMessage(WM_SEARCH_COMBO_SELCHANGE, 0, 0);
  EXPECT_EQ(Search()->IsVisibleItem(0), 1);
  EXPECT_EQ(Search()->IsVisibleItem(1), 1);
  Choose(SW::LIST_ARTIST, "Abe");
  EXPECT_EQ(Search()->IsVisibleItem(0), 1);
  EXPECT_EQ(Search()->IsVisibleItem(1), 0);
  // A position past the end matches no chosen text.
  EXPECT_EQ(Search()->IsVisibleItem(7), 0);
  // A tag changed after the lists were built is read at the time of the test.
  ASSERT_TRUE(Item(a)->SetArtist("Other"));
  EXPECT_EQ(Search()->IsVisibleItem(0), 0);
}

TEST_F(SearchTest, SyncListIsFilteredByItsOwnPlaylistAndRefreshedAsTheSyncPage) {
  const std::uint32_t a = AddTagged("s1", "Abe", "A1", "Rock");
  const std::uint32_t b = AddTagged("s2", "Zed", "Z1", "Jazz");
  AddTagged("s3", "Kim", "K1", "Pop");
  ASSERT_NE(Playlist(STOCK_PLAYLIST_SYNC)->InsertItem(a, 0), kNoPosition);
  ASSERT_NE(Playlist(STOCK_PLAYLIST_SYNC)->InsertItem(b, 0), kNoPosition);
  panel_.Refresh("700000");
  EXPECT_EQ(Search()->GetStockPlaylistType(), STOCK_PLAYLIST_SYNC);
  // The lists were rebuilt from the sync list's songs only.
  EXPECT_EQ(Entries(SW::LIST_GENRE), (std::vector<std::string>{"장르 전체보기 (2)", "Jazz", "Rock"}));
  Command(1032);
  EXPECT_EQ(panel_.GetPowerSearchFlag(kSyncList), 1);
  EXPECT_EQ(panel_.GetPowerSearchFlag(kLibrary), 0);
  EXPECT_TRUE(Search()->IsVisibleFlag());
  Choose(SW::LIST_ALBUM, "Z1");
  Pump();
  EXPECT_EQ(panel_.GetCurrentListType(), kSyncList);
  LP::ListCtrl* sync = List(LP::LIST_SYNC);
  ASSERT_EQ(Rows(sync), 1);
  EXPECT_EQ(Text(sync, 0, 2), "s2");
}

TEST_F(SearchTest, ToggleOnOtherListsOnlyFlipsTheSharedValue) {
  panel_.Refresh("200000");
  Command(1032);  // the toggle becomes 1 but no list keeps it
  EXPECT_FALSE(Search()->IsVisibleFlag());
  EXPECT_EQ(panel_.GetPowerSearchFlag(kLibrary), 0);
  panel_.Refresh("000000");
  Command(1032);  // the toggle goes back to 0
  EXPECT_FALSE(Search()->IsVisibleFlag());
  Command(1032);
  EXPECT_TRUE(Search()->IsVisibleFlag());
}

TEST_F(SearchTest, FillDataRequestRebuildsTheListsFromTheStoreAsItIsNow) {
  AddTagged("s1", "Abe", "A1", "Rock");
  panel_.Refresh("000000");
  Search()->SendMessage(WM_SEARCH_COMBO_SELCHANGE, 0, 0);
  AddTagged("s2", "Zed", "Z1", "Jazz");
  const int before = Search()->RebuildCount();
  panel_.SendMessage(WM_SPEEDSEARCH_FILLDATA, 0, 0);
  EXPECT_EQ(Search()->RebuildCount(), before + 1);
  EXPECT_EQ(Entries(SW::LIST_GENRE), (std::vector<std::string>{"장르 전체보기 (2)", "Jazz", "Rock"}));
}

TEST_F(SearchTest, StoreNoticesOfNewSongsRebuildTheListsOnceTheBurstIsOver) {
  TYX::Test::ManualClockGuard clock;
  AddTagged("s1", "Abe", "A1", "Rock");
  panel_.Refresh("000000");
  Search()->SendMessage(WM_SEARCH_COMBO_SELCHANGE, 0, 0);
  const int before = Search()->RebuildCount();
  store_->RegisterNotify(panel_.GetSafeHwnd());
  AddTagged("s2", "Zed", "Z1", "Jazz");
  AddTagged("s3", "Kim", "K1", "Pop");
  Pump();
  EXPECT_EQ(Search()->RebuildCount(), before);  // the panel waits for the burst to end
  clock.Advance(400);
  Pump();
  EXPECT_EQ(Search()->RebuildCount(), before + 1);
  EXPECT_EQ(Entries(SW::LIST_GENRE), (std::vector<std::string>{"장르 전체보기 (3)", "Jazz", "Pop", "Rock"}));
  store_->UnregisterNotify(panel_.GetSafeHwnd());
}

TEST_F(SearchTest, AStripWithoutAWindowLetsEveryRowThrough) {
  AddTagged("s1", "Abe", "A1", "Rock");
  TYX_Library_SearchWnd lonely;
  lonely.SetLibManager(store_.get());
  EXPECT_EQ(lonely.IsVisibleItem(0), 1);
  EXPECT_EQ(lonely.IsVisibleItem(99), 1);
}

TEST_F(SearchTest, WithoutAStoreTheListsStayAsTheyAre) {
  panel_.SetLibraryManager(nullptr);
  Search()->SendMessage(WM_SEARCH_COMBO_SELCHANGE, 0, 0);
  EXPECT_EQ(Entries(SW::LIST_GENRE), (std::vector<std::string>{"장르 전체"}));
  EXPECT_EQ(Search()->IsVisibleItem(0), 1);
}

}  // namespace
}  // namespace TYX::Library::Test
