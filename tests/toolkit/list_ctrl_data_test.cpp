#include <gtest/gtest.h>

#include <cstdio>

#include "list_ctrl_test_support.h"
#include "toolkit/list_text.h"

using namespace TYX::Win;
using namespace TYX::Controls;
using TYX::Test::LibraryColumns;
using TYX::Test::ListParent;

namespace {

// A library list of 600 x 300 pixels: header 22, rows 28, so 9 whole rows per page.
class LibraryList : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(list.CreateListCtrl(parent.GetSafeHwnd(), Rect{20, 20, 620, 320}, 34020, 0x50001C01));
    ASSERT_TRUE(list.InitListExControl(LibraryColumns(), 28));
    ASSERT_TRUE(list.SetHeaderInfoEx({20178, 20178, 20179, 20190, 20190, 20190, 20189, 20519}, 22));
    list.SetListColor(0xFFFFFF, 0xFBF7F5, 0xA6447E, 0x4C4C4C, 0x4C4C4C, 0xFFFFFF, 0xBF5759, 0xCECAC8);
  }
  // Appends a row as the panel fills the library list: key, check 0, row number, title, artist, album,
  // time, type icon.
  int AddSong(UINT key, const std::string& title, const std::string& artist, int icon = 3) {
    const int row = list.InsertField(-1, 0, 0);
    list.SetFieldKey(row, key, 0);
    const int check = 0;
    list.SetCell(row, 0, &check, 0, 0);
    list.SetCell(row, 1, &row, 0, 0);
    list.SetCell(row, 2, title, 2, 0);
    list.SetCell(row, 3, artist, 0, 0);
    list.SetCell(row, 4, "앨범", 0, 0);
    list.SetCell(row, 5, "3:05", 0, 0);
    list.SetCell(row, 6, &icon, 0, 0);
    list.SetFieldStatus(row, 1);
    return row;
  }
  ListParent parent;
  TYX_ListCtrlEx list;
};

}  // namespace

TEST_F(LibraryList, SetUpKeepsColumnsHeaderAndColours) {
  EXPECT_EQ(list.GetColumnCount(), 7);
  EXPECT_EQ(list.GetColTypeFromColIndex(6), 3);
  EXPECT_EQ(list.GetColTypeFromColIndex(1), 38);
  EXPECT_EQ(list.GetColTypeFromColIndex(7), -1);
  EXPECT_EQ(list.GetRowHeight(), 28);
  EXPECT_EQ(list.GetHeaderHeight(), 22);
  EXPECT_EQ(list.GetListColor(TYX_ListCtrlEx::kColorSelBack), 0xA6447Eu);
  EXPECT_EQ(list.GetListColor(TYX_ListCtrlEx::kColorDimText), 0xCECAC8u);
  EXPECT_EQ(list.GetCountPerPage(), 9);
  EXPECT_FALSE(list.InitListExControl(nullptr, 3, 28));
  EXPECT_FALSE(list.InitListExControl(LibraryColumns(), 0));
  EXPECT_FALSE(list.SetHeaderInfoEx({}, -1));
}

TEST_F(LibraryList, CellsHoldTextsOrNumbersAndBadInputChangesNothing) {
  const int row = AddSong(4, "Yesterday", "The Beatles");
  EXPECT_EQ(row, 0);
  EXPECT_EQ(list.GetCellKind(0, 2), ListCellKind::Text);
  EXPECT_EQ(list.GetCellText(0, 2), "Yesterday");
  EXPECT_EQ(list.GetCellFlags(0, 2), 2u);
  EXPECT_EQ(list.GetCellKind(0, 6), ListCellKind::Number);
  EXPECT_EQ(list.GetCellNumber(0, 6), 3);
  EXPECT_EQ(list.GetCellDisplayText(0, 1), "0");
  const UINT big = 0xFFFFFFFEu;
  EXPECT_TRUE(list.SetCell(0, 1, &big));
  EXPECT_EQ(static_cast<UINT>(list.GetCellNumber(0, 1)), big);

  EXPECT_FALSE(list.SetCell(0, 7, "x"));
  EXPECT_FALSE(list.SetCell(1, 0, "x"));
  EXPECT_FALSE(list.SetCell(0, 2, "x", 0x10000));
  EXPECT_FALSE(list.SetCell(0, 2, static_cast<const char*>(nullptr)));
  EXPECT_FALSE(list.SetCell(0, 2, static_cast<const int*>(nullptr)));
  EXPECT_EQ(list.GetCellText(0, 2), "Yesterday");
  EXPECT_FALSE(list.SetFieldStatus(0, 3));
  EXPECT_EQ(list.GetItemField(0), 1);
  EXPECT_EQ(list.GetItemField(5), -1);
  EXPECT_EQ(list.GetFieldKey(5), kListNoKey);
  EXPECT_EQ(list.InsertField(3), -1);

  // A text replaced by a number and back; a longer text after a shorter one.
  const int n = 7;
  EXPECT_TRUE(list.SetCell(0, 3, &n));
  EXPECT_EQ(list.GetCellText(0, 3), "");
  EXPECT_TRUE(list.SetCell(0, 3, "아티스트가 아주 긴 이름"));
  EXPECT_TRUE(list.SetCell(0, 3, "짧음"));
  EXPECT_TRUE(list.SetCell(0, 3, "다시 아주 아주 긴 이름으로"));
  EXPECT_EQ(list.GetCellText(0, 3), "다시 아주 아주 긴 이름으로");
}

TEST_F(LibraryList, TextRenderingShowsCellsAndMarks) {
  AddSong(0, "Yesterday", "The Beatles");
  AddSong(1, "아리랑", "민요", 12);
  AddSong(2, "Gone", "Nobody", 0);
  list.SetFieldStatus(2, 2);
  list.SetCheck(1, true);
  list.SetSelectedItem(1, TRUE);
  list.SetFieldNowPlaying(0, 2);
  EXPECT_EQ(RenderListAsText(list),
            " | 정렬 | 곡명 | 아티스트 | 앨범 | 시간 | 종류\n"
            "[ ] | 0 | Yesterday | The Beatles | 앨범 | 3:05 | icon 3  (paused)\n"
            "[x] | 1 | 아리랑 | 민요 | 앨범 | 3:05 | icon 12  (selected)\n"
            "[ ] | 2 | Gone | Nobody | 앨범 | 3:05 |   (dimmed)\n");
  EXPECT_EQ(RenderListAsText(list, 1, 1),
            " | 정렬 | 곡명 | 아티스트 | 앨범 | 시간 | 종류\n"
            "[x] | 1 | 아리랑 | 민요 | 앨범 | 3:05 | icon 12  (selected)\n");
}

TEST_F(LibraryList, KeyLookupFollowsInsertionsDeletionsAndDuplicates) {
  for (UINT k = 0; k < 20; ++k) AddSong(k * 10, "t" + std::to_string(k), "a");
  EXPECT_EQ(list.FindRowFromFieldKey(70), 7);
  EXPECT_EQ(list.FindRowFromFieldKey(75), -1);
  EXPECT_EQ(list.FindRowFromFieldKey(kListNoKey), -1);
  ASSERT_TRUE(list.DeleteField(3));
  EXPECT_EQ(list.FindRowFromFieldKey(70), 6);
  EXPECT_EQ(list.FindRowFromFieldKey(30), -1);
  EXPECT_EQ(list.GetCellText(3, 2), "t4");
  // A row put in the middle moves the rows below it.
  const int mid = list.InsertField(2);
  ASSERT_EQ(mid, 2);
  EXPECT_EQ(list.GetFieldKey(2), kListNoKey);
  EXPECT_EQ(list.GetCellKind(2, 2), ListCellKind::Empty);
  EXPECT_EQ(list.FindRowFromFieldKey(70), 7);
  list.SetFieldKey(2, 555);
  EXPECT_EQ(list.FindRowFromFieldKey(555), 2);
  // Duplicate keys: the first row wins, also after the first one changes its key.
  list.SetFieldKey(10, 555);
  EXPECT_EQ(list.FindRowFromFieldKey(555), 2);
  list.SetFieldKey(2, 556);
  EXPECT_EQ(list.FindRowFromFieldKey(555), 10);
  EXPECT_EQ(list.FindRowFromFieldKey(556), 2);
  // A fresh row appended after a lookup joins the index.
  AddSong(9999, "new", "a");
  EXPECT_EQ(list.FindRowFromFieldKey(9999), list.GetItemCount() - 1);
  AddSong(0, "again", "a");
  EXPECT_EQ(list.FindRowFromFieldKey(0), 0);
  list.DeleteAllItem();
  EXPECT_EQ(list.GetItemCount(), 0);
  EXPECT_EQ(list.FindRowFromFieldKey(70), -1);
}

TEST_F(LibraryList, KeyLookupWorksWhenKeysDoNotAscendWithTheRows) {
  // Keys in falling order, with a repeated key and a row without key.
  for (UINT k : {50u, 40u, 30u, 40u, 10u}) AddSong(k, "t", "a");
  list.InsertField(-1);
  EXPECT_EQ(list.FindRowFromFieldKey(30), 2);
  EXPECT_EQ(list.FindRowFromFieldKey(40), 1);
  EXPECT_EQ(list.FindRowFromFieldKey(10), 4);
  EXPECT_EQ(list.FindRowFromFieldKey(20), -1);
  list.SetFieldKey(0, 5);
  EXPECT_EQ(list.FindRowFromFieldKey(5), 0);
  EXPECT_EQ(list.FindRowFromFieldKey(50), -1);
  // Deleting the rows out of order leaves ascending keys; lookups stay right.
  list.DeleteField(1);  // 5, 30, 40, 10, -
  list.DeleteField(3);  // 5, 30, 40, -
  EXPECT_EQ(list.FindRowFromFieldKey(40), 2);
  EXPECT_EQ(list.FindRowFromFieldKey(10), -1);
  EXPECT_EQ(list.FindRowFromFieldKey(5), 0);
}

TEST_F(LibraryList, SelectionHelpersReturnKeysAndRowsInRowOrder) {
  for (UINT k = 0; k < 6; ++k) AddSong(100 + k, "t", "a");
  std::vector<UINT> keys;
  std::vector<int> rows;
  EXPECT_EQ(list.GetSelectedFieldKeys(keys, FALSE), 0);
  EXPECT_EQ(list.GetSelectedFieldKeys(keys, TRUE), 6);
  EXPECT_EQ(keys.back(), 105u);
  list.SetSelectedItem(4, TRUE);
  list.SetSelectedItem(1, TRUE);
  EXPECT_EQ(list.GetSelectedCount(), 2);
  EXPECT_EQ(list.GetSelectedFieldKeys(keys, FALSE), 2);
  EXPECT_EQ(keys, (std::vector<UINT>{101, 104}));
  EXPECT_EQ(list.GetSelectedRows(rows, 0), 2);
  EXPECT_EQ(rows, (std::vector<int>{1, 4}));
  list.SetSelectedItem(1, FALSE);
  list.SetSelectedItem(1, FALSE);
  EXPECT_EQ(list.GetSelectedCount(), 1);
  list.SetSelectedItem(-1, TRUE);
  EXPECT_EQ(list.GetSelectedCount(), 6);
  ASSERT_TRUE(list.DeleteField(0));
  EXPECT_EQ(list.GetSelectedCount(), 5);
  list.SetSelectedItem(-1, FALSE);
  EXPECT_EQ(list.GetSelectedRows(rows), 0);
  EXPECT_TRUE(rows.empty());
  EXPECT_FALSE(list.SetSelectedItem(9, TRUE));
}

TEST_F(LibraryList, StatusAndNowPlayingMarksAreKeptAndDrawn) {
  for (UINT k = 0; k < 4; ++k) AddSong(k, "곡" + std::to_string(k), "가수");
  list.SetFieldStatus(3, 2);
  list.SetFieldStatus(2, 0);
  EXPECT_EQ(list.GetItemField(3), 2);
  EXPECT_EQ(list.GetItemField(2), 0);
  ASSERT_TRUE(list.SetFieldNowPlaying(1, 1));
  EXPECT_EQ(list.GetNowPlayingRow(), 1);
  ASSERT_TRUE(list.SetFieldNowPlaying(2, 2));  // one mark at a time
  EXPECT_EQ(list.GetNowPlayingRow(), 2);
  EXPECT_EQ(list.GetNowPlayingMark(), 2);
  EXPECT_FALSE(list.SetFieldNowPlaying(9, 1));
  EXPECT_FALSE(list.SetFieldNowPlaying(1, 3));
  EXPECT_EQ(list.GetNowPlayingRow(), 2);

  list.UpdateWindow();
  const DisplayList& dl = list.GetLastPaint();
  EXPECT_TRUE(dl.HasImage(20177));   // the paused mark in the title cell
  EXPECT_FALSE(dl.HasImage(20176));
  EXPECT_EQ(dl.FindText("곡2")->color, 0xBF5759u);
  EXPECT_EQ(dl.FindText("곡3")->color, 0xCECAC8u);
  EXPECT_EQ(dl.FindText("곡0")->color, 0x4C4C4Cu);
  EXPECT_TRUE(dl.HasImage(20154));  // type icon 3 is the third type image
  EXPECT_NE(dl.FindText("아티스트"), nullptr);

  // Clearing with row 0 and mark 0 removes the mark wherever it is; deleting the marked row does too.
  list.SetFieldNowPlaying(0, 0);
  EXPECT_EQ(list.GetNowPlayingRow(), -1);
  list.SetFieldNowPlaying(3, 1);
  list.DeleteField(1);
  EXPECT_EQ(list.GetNowPlayingRow(), 2);
  list.DeleteField(2);
  EXPECT_EQ(list.GetNowPlayingRow(), -1);
  EXPECT_EQ(list.GetNowPlayingMark(), 0);
}

TEST_F(LibraryList, ScrollingKeepsTheTopIndexInRangeAndPaintsOnlyRowsInView) {
  for (UINT k = 0; k < 100; ++k) AddSong(k, "row" + std::to_string(k), "a");
  EXPECT_EQ(list.GetTopIndex(), 0);
  ASSERT_TRUE(list.EnsureVisible(50));
  EXPECT_EQ(list.GetTopIndex(), 42);  // the least scroll: row 50 becomes the last whole row
  ASSERT_TRUE(list.EnsureVisible(10));
  EXPECT_EQ(list.GetTopIndex(), 10);
  ASSERT_TRUE(list.SetTopIndex(99));
  EXPECT_EQ(list.GetTopIndex(), 91);  // no scrolling past the last page
  EXPECT_FALSE(list.EnsureVisible(100));
  // The panel's way to put a row at the top: make row + rows per page - 1 visible.
  list.SetTopIndex(0);
  list.EnsureVisible(20 + list.GetCountPerPage() - 1);
  EXPECT_EQ(list.GetTopIndex(), 20);
  auto scrolls = parent.Take();
  ASSERT_FALSE(scrolls.empty());
  EXPECT_EQ(scrolls.back(), (TYX::Test::ListMessage{WM_LISTEX_REDRAWVISIBLE, 20, 28}));

  list.UpdateWindow();
  const auto texts = list.GetLastPaint().Texts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "row19"), 0);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "row20"), 1);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "row29"), 1);  // the part-visible row below the page
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "row30"), 0);
  EXPECT_EQ(RenderVisibleListAsText(list).substr(0, 1), " ");

  // Redraw off: changes do not paint until it is on again.
  const int paints = list.PaintCount();
  list.SetRedraw(false);
  list.SetCell(20, 2, "changed");
  list.UpdateWindow();
  EXPECT_EQ(list.PaintCount(), paints);
  list.SetRedraw(true);
  list.UpdateWindow();
  EXPECT_GT(list.PaintCount(), paints);
  EXPECT_NE(list.GetLastPaint().FindText("changed"), nullptr);
}

TEST_F(LibraryList, ColumnsSetAgainKeepTheCellsOfColumnsThatRemain) {
  AddSong(1, "keep", "me");
  auto cols = LibraryColumns();
  cols.resize(3);
  ASSERT_TRUE(list.InitListExControl(cols, 28));
  EXPECT_EQ(list.GetCellText(0, 2), "keep");
  EXPECT_FALSE(list.SetCell(0, 3, "gone"));
  ASSERT_TRUE(list.InitListExControl(LibraryColumns(), 28));
  EXPECT_EQ(list.GetCellKind(0, 3), ListCellKind::Empty);
  EXPECT_EQ(list.GetCellText(0, 2), "keep");
}

TEST_F(LibraryList, RewrittenTextsDoNotGrowTheTextStoreWithoutBound) {
  AddSong(1, "first", "artist");
  AddSong(2, "second", "other");
  std::size_t written = 0;
  std::string last;
  for (int i = 0; i < 3000; ++i) {
    // Each text is longer than the one before, so it cannot be rewritten in place.
    last = std::string(1000 + static_cast<size_t>(i), static_cast<char>('a' + i % 26));
    ASSERT_TRUE(list.SetCell(0, 2, last, 2));
    written += last.size();
  }
  EXPECT_EQ(list.GetCellText(0, 2), last);
  EXPECT_EQ(list.GetCellText(0, 3), "artist");
  EXPECT_EQ(list.GetCellText(1, 2), "second");
  EXPECT_EQ(list.GetCellText(1, 3), "other");
  EXPECT_LT(list.GetTextStoreSize(), written / 2);
}

TEST(ListCtrlLargeTest, HoldsAQuarterMillionRowsOfSevenCells) {
  ListParent parent;
  TYX_ListCtrlEx list;
  ASSERT_TRUE(list.CreateListCtrl(parent.GetSafeHwnd(), Rect{0, 0, 700, 500}, 34020));
  ASSERT_TRUE(list.InitListExControl(LibraryColumns(), 28));
  constexpr int kRows = 250000;
  list.SetRedraw(false);
  list.ReserveRows(kRows);
  char title[64];
  for (int i = 0; i < kRows; ++i) {
    const int row = list.InsertField(-1, 0, 0);
    ASSERT_EQ(row, i);
    list.SetFieldKey(row, static_cast<UINT>(i), 0);
    const int zero = 0, icon = 1 + i % 20;
    list.SetCell(row, 0, &zero, 0, 0);
    list.SetCell(row, 1, &row, 0, 0);
    std::snprintf(title, sizeof title, "노래 제목 %d", i);
    list.SetCell(row, 2, title, 2, 0);
    list.SetCell(row, 3, "아티스트 이름", 0, 0);
    list.SetCell(row, 4, "앨범 이름", 0, 0);
    list.SetCell(row, 5, "4:01", 0, 0);
    list.SetCell(row, 6, &icon, 0, 0);
  }
  list.SetRedraw(true);
  EXPECT_EQ(list.GetItemCount(), kRows);
  EXPECT_EQ(list.FindRowFromFieldKey(123456), 123456);
  EXPECT_EQ(list.GetCellText(249999, 2), "노래 제목 249999");
  std::vector<UINT> keys;
  EXPECT_EQ(list.GetSelectedFieldKeys(keys, TRUE), kRows);

  // Rewriting many titles leaves the text store consistent after it compacts itself.
  for (int i = 0; i < kRows; i += 2) {
    std::snprintf(title, sizeof title, "바뀐 제목이 조금 더 깁니다 %d", i);
    ASSERT_TRUE(list.SetCell(i, 2, title, 2, 0));
  }
  EXPECT_EQ(list.GetCellText(100000, 2), "바뀐 제목이 조금 더 깁니다 100000");
  EXPECT_EQ(list.GetCellText(100001, 2), "노래 제목 100001");
  EXPECT_EQ(list.GetCellText(249999, 3), "아티스트 이름");

  list.EnsureVisible(200000);
  list.UpdateWindow();
  const auto texts = list.GetLastPaint().Texts();
  // Header titles plus at most one page (and a part row) of 6 text cells each.
  EXPECT_LE(texts.size(), 6u + static_cast<size_t>(list.GetCountPerPage() + 1) * 6u);
  EXPECT_NE(list.GetLastPaint().FindText("바뀐 제목이 조금 더 깁니다 200000"), nullptr);

  // Deleting from the middle keeps lookups right.
  ASSERT_TRUE(list.DeleteField(1000));
  EXPECT_EQ(list.FindRowFromFieldKey(1001), 1000);
  EXPECT_EQ(list.FindRowFromFieldKey(1000), -1);
  list.DeleteAllItem();
  EXPECT_EQ(list.GetItemCount(), 0);
}
