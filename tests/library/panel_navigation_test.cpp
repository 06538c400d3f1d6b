// The panel's location requests over a real store and a real location bar: visits recorded as
// history, back and forward, refresh, searches and the caption of every list, as the host and a
// person's clicks on the bar ask for them.
#include <filesystem>

#include "library/library_panel_fixture.h"
#include "library/location_wnd.h"

namespace TYX::Library::Test {
namespace {

using LP = TYX_LibraryPanel;
using Location::TYX_LocationWnd;

class NavigationTest : public PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    ASSERT_TRUE(bar_.CreateLocationWnd(panel_.GetSafeHwnd(), Win::Rect{0, 0, 800, 24}, 2100));
    panel_.SetLocationManager(&bar_);
  }
  std::string Caption() const { return bar_.GetLocationText(); }
  std::string Current() const { return bar_.GetCurrent().address; }
  std::vector<std::string> Back() const { return Addresses(bar_.GetBackStack()); }
  std::vector<std::string> Forward() const { return Addresses(bar_.GetForwardStack()); }
  static std::vector<std::string> Addresses(const std::vector<TYX_LocationWnd::tagLocation>& stack) {
    std::vector<std::string> out;
    for (const auto& l : stack) out.push_back(l.address);
    return out;
  }
  long Send(Win::UINT msg, Win::WPARAM w = 0, Win::LPARAM l = 0) { return static_cast<long>(panel_.SendMessage(msg, w, l)); }
  long Search(int kind, const std::string& text) { return Send(WM_LOCATION_SEARCH, static_cast<Win::WPARAM>(kind), Location::TextParam(text)); }
  std::vector<std::string> LibraryTitles() {
    std::vector<std::string> titles;
    LP::ListCtrl* list = List(LP::LIST_LIBRARY);
    for (int row = 0; row < Rows(list); ++row) titles.push_back(Text(list, row, 2));
    return titles;
  }

  TYX_LocationWnd bar_;
};

TEST_F(NavigationTest, EveryListHasItsCaptionAndLocationKind) {
  struct Case {
    const char* address;
    const char* caption;
    int kind;  // 0: not recorded
  };
  const Case cases[] = {
      {"000000", "보관함 > 음악", 1},
      {"100001", "저장목록 > 처리안됨", 4},
      {"200000", "현재재생목록", 2},
      {"800000", "최근들은 100곡", 2},
      {"300000", "CD", 5},
      {"600000", "보관함 > 벨소리", 6},
      {"700000", "내 기기에 담을 곡 목록", 7},
      {"900000", "전송 곡 목록", 0},
      {"A48700", "", 0},
      {"a48700", "", 0},
  };
  for (const Case& c : cases) {
    bar_.SetLocationText("이전", "");
    const std::string before = bar_.HasCurrent() ? Current() : std::string();
    ASSERT_EQ(panel_.Navigate(c.address, 0), 0) << c.address;
    EXPECT_EQ(Caption(), c.caption) << c.address;
    if (c.kind != 0) {
      EXPECT_EQ(bar_.GetCurrent(), (TYX_LocationWnd::tagLocation{c.address, c.kind}));
    } else {
      EXPECT_EQ(Current(), before) << c.address << " is not recorded";
    }
  }
}

TEST_F(NavigationTest, TransferredSongsAreListedButNotRecorded) {
  ASSERT_EQ(panel_.Navigate("000000", 0), 0);
  ASSERT_EQ(panel_.Navigate("900000", 0), 0);
  EXPECT_EQ(panel_.GetCurrentListType(), kTransferred);
  EXPECT_EQ(Current(), "000000");
  EXPECT_TRUE(Back().empty());
}

TEST_F(NavigationTest, BackAndForwardListThePagesVisitedAndMoveTheHistory) {
  AddSong("a.mp3", "첫 곡");
  panel_.Navigate("000000", 0);
  panel_.Navigate("200000", 0);
  panel_.Navigate("800000", 0);
  EXPECT_EQ(Back(), (std::vector<std::string>{"000000", "200000"}));

  EXPECT_EQ(Send(WM_LOCATION_BACK), 0);
  EXPECT_EQ(panel_.GetCurrentListType(), kNowPlaying);
  EXPECT_EQ(Caption(), "현재재생목록");
  EXPECT_EQ(Current(), "200000");
  EXPECT_EQ(Forward(), (std::vector<std::string>{"800000"}));

  EXPECT_EQ(Send(WM_LOCATION_BACK), 0);
  EXPECT_EQ(panel_.GetCurrentListType(), kLibrary);
  EXPECT_EQ(LibraryTitles(), (std::vector<std::string>{"첫 곡"}));
  EXPECT_EQ(Send(WM_LOCATION_BACK), static_cast<long>(Win::E_FAIL));  // nothing further back
  EXPECT_EQ(Current(), "000000");

  EXPECT_EQ(Send(WM_LOCATION_FORWARD), 0);
  EXPECT_EQ(Send(WM_LOCATION_FORWARD), 0);
  EXPECT_EQ(panel_.GetCurrentListType(), kRecentlyPlayed);
  EXPECT_EQ(Caption(), "최근들은 100곡");
  EXPECT_EQ(Send(WM_LOCATION_FORWARD), static_cast<long>(Win::E_FAIL));
  EXPECT_EQ(Back(), (std::vector<std::string>{"000000", "200000"}));
}

TEST_F(NavigationTest, NavigatingToTheSameAddressTwiceLeavesOneEntry) {
  panel_.Navigate("000000", 0);
  panel_.Navigate("200000", 0);
  panel_.Navigate("200000", 0);
  panel_.Navigate("200000", 0);
  // The repeated visit is on the back stack once, however often it is repeated.
  EXPECT_EQ(Back(), (std::vector<std::string>{"000000", "200000"}));
  EXPECT_EQ(Current(), "200000");
  // A refresh is a visit of the same address: the back stack's top is already the current entry.
  panel_.Navigate("000000", 0);
  EXPECT_EQ(Send(WM_LOCATION_REFRESH), 0);
  EXPECT_EQ(Send(WM_LOCATION_REFRESH), 0);
  EXPECT_EQ(Back(), (std::vector<std::string>{"000000", "200000", "000000"}));
  EXPECT_EQ(Current(), "000000");
}

TEST_F(NavigationTest, RefreshEmptiesForwardAndListsTheCurrentPageAgain) {
  const std::uint32_t a = AddSong("a.mp3", "처음");
  panel_.Navigate("200000", 0);
  panel_.Navigate("000000", 0);
  Send(WM_LOCATION_BACK);
  ASSERT_EQ(Forward(), (std::vector<std::string>{"000000"}));
  EXPECT_EQ(Send(WM_LOCATION_REFRESH), 0);
  EXPECT_TRUE(Forward().empty());
  EXPECT_EQ(Current(), "200000");
  EXPECT_EQ(Back(), (std::vector<std::string>{"200000"}));

  // wParam 47028 redraws every row of the current list from the store instead.
  panel_.Navigate("000000", 0);
  ASSERT_TRUE(Item(a)->SetTitle("나중"));
  EXPECT_EQ(LibraryTitles(), (std::vector<std::string>{"처음"}));
  const auto backBefore = Back();
  EXPECT_EQ(Send(WM_LOCATION_REFRESH, kRefreshAllRows), 0);
  EXPECT_EQ(LibraryTitles(), (std::vector<std::string>{"나중"}));
  EXPECT_EQ(Back(), backBefore);
}

TEST_F(NavigationTest, SearchListsNothingAndShowsTheSearchInTheCaption) {
  AddSong("a.mp3", "곡", "가수");
  panel_.Navigate("000000", 0);
  ASSERT_EQ(LibraryTitles().size(), 1u);
  EXPECT_EQ(Search(1, "가수"), 0);
  EXPECT_EQ(panel_.GetCurrentListType(), kSearchResult);
  EXPECT_TRUE(LibraryTitles().empty());
  EXPECT_EQ(Caption(), "보관함 > 아티스트검색: 가수");
  EXPECT_EQ(bar_.GetCurrent(), (TYX_LocationWnd::tagLocation{"500000&1&가수", 1}));
  EXPECT_EQ(panel_.Navigation().GetSearchKind(), 1);
  EXPECT_EQ(panel_.Navigation().GetSearchText(), "가수");
  Search(2, "노래");
  EXPECT_EQ(Caption(), "보관함 > 곡검색: 노래");
  Search(4, "앨범");
  EXPECT_EQ(Caption(), "보관함 > 앨범검색: 앨범");
  // Kind 3 is the host's: it is listed and recorded, but the caption has no text for it.
  Search(3, "무엇");
  EXPECT_EQ(Caption(), "보관함 > 앨범검색: 앨범");
  EXPECT_EQ(Current(), "500000&3&무엇");
}

TEST_F(NavigationTest, GoingBackToASearchRestoresItsKindAndTextFirst) {
  Search(1, "가수");
  Search(2, "노래");
  panel_.Navigate("000000", 0);
  Send(WM_LOCATION_BACK);
  EXPECT_EQ(panel_.Navigation().GetSearchKind(), 2);
  EXPECT_EQ(panel_.Navigation().GetSearchText(), "노래");
  Send(WM_LOCATION_BACK);
  EXPECT_EQ(panel_.Navigation().GetSearchKind(), 1);
  EXPECT_EQ(panel_.Navigation().GetSearchText(), "가수");
  EXPECT_EQ(Caption(), "보관함 > 아티스트검색: 가수");
  Send(WM_LOCATION_FORWARD);
  EXPECT_EQ(panel_.Navigation().GetSearchText(), "노래");
  EXPECT_EQ(Caption(), "보관함 > 곡검색: 노래");
}

TEST_F(NavigationTest, SearchTextWithAmpersandsSurvivesTheHistory) {
  Search(1, "Simon & Garfunkel");
  EXPECT_EQ(Caption(), "보관함 > 아티스트검색: Simon & Garfunkel");
  Search(4, "A&B&C");
  Send(WM_LOCATION_BACK);
  EXPECT_EQ(panel_.Navigation().GetSearchKind(), 1);
  EXPECT_EQ(panel_.Navigation().GetSearchText(), "Simon & Garfunkel");
  EXPECT_EQ(Caption(), "보관함 > 아티스트검색: Simon & Garfunkel");
}

TEST_F(NavigationTest, SearchAddressWithoutItsFieldsLeavesTheBarUnchanged) {
  panel_.Navigate("000000", 0);
  ASSERT_EQ(Caption(), "보관함 > 음악");
  // The host names a search page without kind and text: the list changes, the caption does not.
  EXPECT_EQ(panel_.Navigate("500000", 0), 0);
  EXPECT_EQ(panel_.GetCurrentListType(), kSearchResult);
  EXPECT_EQ(Caption(), "보관함 > 음악");
  EXPECT_EQ(Current(), "500000");
  panel_.Navigate("500000&", 0);
  EXPECT_EQ(Caption(), "보관함 > 음악");
  panel_.Navigate("500000&x1&y", 0);
  EXPECT_EQ(Caption(), "보관함 > 음악");
  // With the kind but no text, the last search text is shown.
  Search(1, "가수");
  panel_.Navigate("500000&4", 0);
  EXPECT_EQ(Caption(), "보관함 > 앨범검색: 가수");
  // A null text from the host is an empty search.
  EXPECT_EQ(Send(WM_LOCATION_SEARCH, 2, 0), 0);
  EXPECT_EQ(Caption(), "보관함 > 곡검색:");  // the bar trims its segments
}

TEST_F(NavigationTest, AClickOnASegmentNavigatesToItsAddress) {
  AddSong("a.mp3", "첫 곡");
  panel_.Navigate("200000", 0);
  bar_.SetLocationText("보관함 > 음악", "000000 > 000000");
  const Win::Rect r = bar_.GetSegmentRect(1);
  const Win::LPARAM at = Win::MAKELPARAM(static_cast<Win::UINT>((r.left + r.right) / 2), 5);
  bar_.SendMessage(Win::WM_LBUTTONDOWN, 1, at);
  bar_.SendMessage(Win::WM_LBUTTONUP, 0, at);
  EXPECT_EQ(panel_.GetCurrentListType(), kLibrary);
  EXPECT_EQ(LibraryTitles(), (std::vector<std::string>{"첫 곡"}));
  EXPECT_EQ(Current(), "000000");
  EXPECT_EQ(Caption(), "보관함 > 음악");
  // The caption the panel sets carries no addresses: a click on it changes nothing.
  const Win::Rect first = bar_.GetSegmentRect(0);
  const Win::LPARAM at0 = Win::MAKELPARAM(static_cast<Win::UINT>((first.left + first.right) / 2), 5);
  panel_.Navigate("200000", 0);
  bar_.SendMessage(Win::WM_LBUTTONDOWN, 1, at0);
  bar_.SendMessage(Win::WM_LBUTTONUP, 0, at0);
  EXPECT_EQ(panel_.GetCurrentListType(), kNowPlaying);
  EXPECT_EQ(Current(), "200000");
}

TEST_F(NavigationTest, BackAndBarClicksLookAtTheDiskAgainWhileSearchesDoNot) {
  AddSong("a.mp3", "첫 곡");
  panel_.Navigate("000000", 0);
  panel_.Navigate("200000", 0);
  std::filesystem::remove(SongPath("a.mp3"));
  // A host navigation at level 0 keeps what the item knew.
  panel_.Navigate("000000", 0);
  EXPECT_EQ(Status(List(LP::LIST_LIBRARY), 0), LP::kRowStatusPresent);
  panel_.Navigate("200000", 0);
  // Going back lists the page again after testing the files.
  Send(WM_LOCATION_BACK);
  ASSERT_EQ(Rows(List(LP::LIST_LIBRARY)), 1);
  EXPECT_EQ(Status(List(LP::LIST_LIBRARY), 0), LP::kRowStatusMissing);
  // So does a click on a segment of the bar.
  AddSong("b.mp3", "둘째 곡");
  panel_.Navigate("200000", 0);
  std::filesystem::remove(SongPath("b.mp3"));
  bar_.SetLocationText("보관함", "000000");
  const Win::Rect r = bar_.GetSegmentRect(0);
  const Win::LPARAM at = Win::MAKELPARAM(static_cast<Win::UINT>((r.left + r.right) / 2), 5);
  bar_.SendMessage(Win::WM_LBUTTONDOWN, 1, at);
  bar_.SendMessage(Win::WM_LBUTTONUP, 0, at);
  ASSERT_EQ(Rows(List(LP::LIST_LIBRARY)), 2);
  EXPECT_EQ(Status(List(LP::LIST_LIBRARY), 1), LP::kRowStatusMissing);
}

TEST_F(NavigationTest, WithoutALocationBarTheListStillChanges) {
  panel_.SetLocationManager(nullptr);
  EXPECT_EQ(panel_.Navigate("200000", 0), 0);
  EXPECT_EQ(panel_.GetCurrentListType(), kNowPlaying);
  EXPECT_EQ(Search(1, "가수"), 0);
  EXPECT_EQ(panel_.GetCurrentListType(), kSearchResult);
  EXPECT_EQ(Send(WM_LOCATION_BACK), static_cast<long>(Win::E_FAIL));
  EXPECT_EQ(Send(WM_LOCATION_FORWARD), static_cast<long>(Win::E_FAIL));
  EXPECT_EQ(Send(WM_LOCATION_REFRESH), static_cast<long>(Win::E_FAIL));
  EXPECT_FALSE(bar_.HasCurrent());
  EXPECT_EQ(Caption(), "");
}

TEST_F(NavigationTest, HomeDoesNothingAndARefreshBeforeAnyVisitFails) {
  EXPECT_EQ(Send(WM_LOCATION_HOME), 0);
  EXPECT_EQ(panel_.GetCurrentListType(), kLibrary);
  EXPECT_EQ(Send(WM_LOCATION_REFRESH), static_cast<long>(Win::E_FAIL));
  EXPECT_FALSE(bar_.HasCurrent());
}

TEST_F(NavigationTest, APanelThatCannotListRecordsNothing) {
  panel_.SetLibraryManager(nullptr);
  EXPECT_EQ(panel_.Navigate("200000", 0), static_cast<long>(Win::E_FAIL));
  EXPECT_FALSE(bar_.HasCurrent());
  EXPECT_EQ(Caption(), "");
}

}  // namespace
}  // namespace TYX::Library::Test
