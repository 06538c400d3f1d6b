#include <gtest/gtest.h>

#include "list_ctrl_test_support.h"
#include "toolkit/list_text.h"

using namespace TYX::Win;
using namespace TYX::Controls;
using TYX::Test::LibraryColumns;
using TYX::Test::ListMessage;
using TYX::Test::ListParent;

namespace {

class PersonOnList : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(list.CreateListCtrl(parent.GetSafeHwnd(), Rect{0, 0, 700, 302}, 34020));
    ASSERT_TRUE(list.InitListExControl(LibraryColumns(), 28));
    for (int i = 0; i < 30; ++i) {
      const int row = list.InsertField(-1, 0, 0);
      list.SetFieldKey(row, static_cast<UINT>(1000 + i));
      const int zero = 0;
      const int icon = i == 5 ? 0 : 1 + i % 20;
      list.SetCell(row, 0, &zero);
      list.SetCell(row, 1, &row);
      list.SetCell(row, 2, "title " + std::to_string(i), 2);
      list.SetCell(row, 6, &icon);
    }
    parent.Take();
  }
  std::vector<int> Selected() {
    std::vector<int> rows;
    list.GetSelectedRows(rows);
    return rows;
  }
  ListParent parent;
  TYX_ListCtrlEx list;
};

}  // namespace

TEST_F(PersonOnList, RowClickSelectsAndSendsButtonThenRowClick) {
  bool selectedWhenTold = false;
  parent.onMessage = [&](UINT m, WPARAM, LPARAM) -> LRESULT {
    if (m == WM_LISTEX_ROWCLICK) selectedWhenTold = list.IsSelected(4);
    return 0;
  };
  ASSERT_TRUE(list.ClickRow(4, 2));
  EXPECT_EQ(parent.Take(), (std::vector<ListMessage>{{WM_LISTEX_BTNCLICK, 4, 2}, {WM_LISTEX_ROWCLICK, 4, 2}}));
  EXPECT_TRUE(selectedWhenTold);
  EXPECT_EQ(Selected(), (std::vector<int>{4}));
  EXPECT_EQ(list.GetFocusRow(), 4);

  // Ctrl adds and removes single rows; Shift extends from the anchor.
  list.ClickRow(7, 3, MK_CONTROL);
  EXPECT_EQ(Selected(), (std::vector<int>{4, 7}));
  list.ClickRow(4, 3, MK_CONTROL);
  EXPECT_EQ(Selected(), (std::vector<int>{7}));
  list.ClickRow(10, 3, MK_SHIFT);  // the Ctrl click made row 4 the anchor, even though it cleared it
  EXPECT_EQ(Selected(), (std::vector<int>{4, 5, 6, 7, 8, 9, 10}));
  list.ClickRow(1, 3, MK_SHIFT | MK_CONTROL);
  EXPECT_EQ(Selected(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  list.ClickRow(2, 3);
  EXPECT_EQ(Selected(), (std::vector<int>{2}));

  // A click below the rows clears the selection and reports no row.
  parent.Take();
  ASSERT_TRUE(list.ClickRow(-1, 2));
  EXPECT_EQ(list.GetSelectedCount(), 0);
  EXPECT_EQ(parent.Take(), (std::vector<ListMessage>{{WM_LISTEX_BTNCLICK, -1, 2}, {WM_LISTEX_ROWCLICK, -1, 2}}));
  EXPECT_FALSE(list.ClickRow(3, 7));
}

TEST_F(PersonOnList, DoubleClickSelectsThenAsksToPlay) {
  ASSERT_TRUE(list.DoubleClickRow(6, 2));
  EXPECT_EQ(parent.Take(), (std::vector<ListMessage>{{WM_LISTEX_BTNCLICK, 6, 2},
                                                     {WM_LISTEX_ROWCLICK, 6, 2},
                                                     {WM_LISTEX_BTNDBLCLK, 6, 2}}));
  EXPECT_EQ(Selected(), (std::vector<int>{6}));
  EXPECT_FALSE(list.DoubleClickRow(30, 2));
  EXPECT_TRUE(parent.Take().empty());
}

TEST_F(PersonOnList, CheckBoxClickFlipsTheCheckWithoutTouchingTheSelection) {
  list.SetSelectedItem(2, TRUE);
  int stateWhenTold = -1;
  parent.onMessage = [&](UINT m, WPARAM w, LPARAM) -> LRESULT {
    if (m == WM_LISTEX_CHKBOXCLICK) stateWhenTold = list.GetCheck(static_cast<int>(w)) ? 1 : 0;
    return 0;
  };
  ASSERT_TRUE(list.ClickCheckBox(3));
  EXPECT_TRUE(list.GetCheck(3));
  EXPECT_EQ(stateWhenTold, 1);
  EXPECT_EQ(parent.Take(), (std::vector<ListMessage>{{WM_LISTEX_CHKBOXCLICK, 3, 0}}));
  // A click in the check-box column is a check-box click.
  ASSERT_TRUE(list.ClickRow(3, 0));
  EXPECT_FALSE(list.GetCheck(3));
  EXPECT_EQ(Selected(), (std::vector<int>{2}));
  EXPECT_FALSE(list.ClickCheckBox(99));
}

TEST_F(PersonOnList, ImageClickComesAfterTheRowClickAndOnlyWhereThereIsAnImage) {
  ASSERT_TRUE(list.ClickImage(4, 6));
  EXPECT_EQ(parent.Take(), (std::vector<ListMessage>{{WM_LISTEX_BTNCLICK, 4, 6},
                                                     {WM_LISTEX_ROWCLICK, 4, 6},
                                                     {WM_LISTEX_IMGCLICK, 4, 6}}));
  EXPECT_FALSE(list.ClickImage(5, 6));  // icon index 0: no image to click
  EXPECT_FALSE(list.ClickImage(4, 2));  // a text column has no image
  EXPECT_TRUE(parent.Take().empty());
  list.ClickRow(5, 6);
  auto msgs = parent.Take();
  ASSERT_EQ(msgs.size(), 2u);
}

TEST_F(PersonOnList, HeaderDeleteKeyAndContextMenu) {
  ASSERT_TRUE(list.ClickColumnHeader(2));
  EXPECT_EQ(parent.Take(), (std::vector<ListMessage>{{WM_LISTEX_COLCLICK, -1, 2}}));
  EXPECT_FALSE(list.ClickColumnHeader(7));

  list.ClickRow(8, 2);
  list.ClickRow(9, 2, MK_CONTROL);
  parent.Take();
  ASSERT_TRUE(list.PressDelete());
  EXPECT_EQ(parent.Take(), (std::vector<ListMessage>{{WM_LISTEX_ITEMDEL, 9, 2}}));
  ASSERT_TRUE(list.PressKey(VK_DELETE));
  EXPECT_EQ(parent.Take().size(), 1u);

  // A right click inside the selection keeps it; outside it selects that row alone.
  ASSERT_TRUE(list.RightClick(8, 3));
  EXPECT_EQ(Selected(), (std::vector<int>{8, 9}));
  ASSERT_TRUE(list.RightClick(12, 3));
  EXPECT_EQ(Selected(), (std::vector<int>{12}));
  ASSERT_TRUE(list.RightClick(-1, 3));
  EXPECT_EQ(list.GetSelectedCount(), 0);
  EXPECT_EQ(parent.Take(), (std::vector<ListMessage>{{WM_LISTEX_TRACKPOPUP, 8, 3},
                                                     {WM_LISTEX_TRACKPOPUP, 12, 3},
                                                     {WM_LISTEX_TRACKPOPUP, -1, 3}}));
}

TEST_F(PersonOnList, ArrowKeysMoveTheSelectionAndScroll) {
  list.ClickRow(8, 2);
  parent.Take();
  ASSERT_TRUE(list.PressKey(VK_DOWN));
  ASSERT_TRUE(list.PressKey(VK_DOWN));
  EXPECT_EQ(Selected(), (std::vector<int>{10}));
  EXPECT_EQ(list.GetTopIndex(), 1);  // 10 rows per page: row 10 is the last whole row under top 1
  auto msgs = parent.Take();
  ASSERT_FALSE(msgs.empty());
  EXPECT_EQ(msgs.back(), (ListMessage{WM_LISTEX_ROWCLICK, 10, -1}));
  ASSERT_TRUE(list.PressKey(VK_UP, MK_SHIFT));
  EXPECT_EQ(Selected(), (std::vector<int>{9, 10}));
  EXPECT_FALSE(list.PressKey('A'));
}

TEST_F(PersonOnList, DragsAndDropsCarryTheirRecordsWhileTheSendLasts) {
  EXPECT_FALSE(list.DragFilesOut());  // nothing selected, nothing dragged
  list.ClickRow(3, 2);
  list.ClickRow(5, 2, MK_CONTROL);
  parent.Take();
  std::vector<int> rows;
  std::vector<UINT> keys;
  std::vector<std::string> files;
  int targetRow = -2;
  HWND target = nullptr;
  std::uintptr_t targetData = 0;
  parent.onMessage = [&](UINT m, WPARAM, LPARAM l) -> LRESULT {
    if (m == WM_LISTEX_FILEDRAG) {
      auto* info = RecordFromLParam<TYX_ListDragInfo>(l);
      rows = info->rows;
      keys = info->keys;
      return 77;
    }
    if (m == WM_LISTEX_DROPLIST || m == WM_LISTEX_DROPTREE || m == WM_LISTEX_DROPDEVICE) {
      auto* info = RecordFromLParam<TYX_ListDropInfo>(l);
      files = info->files;
      targetRow = info->targetRow;
      target = info->target;
      targetData = info->targetData;
      keys = info->keys;
    }
    return 0;
  };
  LRESULT answer = 0;
  ASSERT_TRUE(list.DragFilesOut(&answer));
  EXPECT_EQ(answer, 77);
  EXPECT_EQ(rows, (std::vector<int>{3, 5}));
  EXPECT_EQ(keys, (std::vector<UINT>{1003, 1005}));

  ASSERT_TRUE(list.DropFiles({"/music/a.mp3", "/music/b.ogg"}, 4));
  EXPECT_EQ(files, (std::vector<std::string>{"/music/a.mp3", "/music/b.ogg"}));
  EXPECT_EQ(targetRow, 4);
  ASSERT_TRUE(list.DropFiles({"/music/c.mp3"}, 400));
  EXPECT_EQ(targetRow, -1);
  EXPECT_FALSE(list.DropFiles({}, 0));

  Window tree;
  ASSERT_TRUE(tree.Create(nullptr, Rect{0, 0, 10, 10}, WS_POPUP));
  ASSERT_TRUE(list.DropOnTree(tree.GetSafeHwnd(), 100001));
  EXPECT_EQ(target, tree.GetSafeHwnd());
  EXPECT_EQ(targetData, 100001u);
  EXPECT_EQ(keys, (std::vector<UINT>{1003, 1005}));
  ASSERT_TRUE(list.DropOnDevice(nullptr, 0));
  // The drop on the host's drop window goes out as a drop on the tree, naming that window.
  EXPECT_FALSE(list.DropOnTarget(5));
  list.SetDropTargetWnd(tree.GetSafeHwnd());
  target = nullptr;
  ASSERT_TRUE(list.DropOnTarget(100002));
  EXPECT_EQ(target, tree.GetSafeHwnd());
  EXPECT_EQ(targetData, 100002u);
  auto msgs = parent.Take();
  ASSERT_EQ(msgs.size(), 6u);
  EXPECT_EQ(msgs[5].msg, WM_LISTEX_DROPTREE);
  EXPECT_EQ(msgs[0], (ListMessage{WM_LISTEX_FILEDRAG, 2, msgs[0].lParam}));
  EXPECT_EQ(msgs[1].msg, WM_LISTEX_DROPLIST);
  EXPECT_EQ(msgs[1].wParam, 2);
  EXPECT_EQ(msgs[3].msg, WM_LISTEX_DROPTREE);
  EXPECT_EQ(msgs[4].msg, WM_LISTEX_DROPDEVICE);
}

TEST_F(PersonOnList, MouseMessagesAreHitTestedIntoThePersonActions) {
  // Columns: check 0..49, number 49..77, title 77..357, ...; header 22 high, rows 28 high.
  list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(Point{100, 22 + 28 * 2 + 5}));
  EXPECT_EQ(Selected(), (std::vector<int>{2}));
  list.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, PointToLParam(Point{100, 22 + 28 * 2 + 5}));
  list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(Point{20, 22 + 28 * 3 + 5}));
  EXPECT_TRUE(list.GetCheck(3));
  list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(Point{100, 5}));
  list.SendMessage(WM_RBUTTONUP, 0, PointToLParam(Point{100, 22 + 28 + 1}));
  list.SendMessage(WM_KEYDOWN, VK_DELETE, 0);
  EXPECT_EQ(parent.Take(), (std::vector<ListMessage>{{WM_LISTEX_BTNCLICK, 2, 2},
                                                     {WM_LISTEX_ROWCLICK, 2, 2},
                                                     {WM_LISTEX_BTNDBLCLK, 2, 2},
                                                     {WM_LISTEX_CHKBOXCLICK, 3, 0},
                                                     {WM_LISTEX_COLCLICK, -1, 2},
                                                     {WM_LISTEX_TRACKPOPUP, 1, 2},
                                                     {WM_LISTEX_ITEMDEL, 1, 1}}));
  const auto hit = list.HitTest(Point{690, 22 + 5});
  EXPECT_EQ(hit.part, TYX_ListCtrlEx::HitInfo::Part::Nowhere);  // right of the last column
  list.SetTopIndex(5);
  EXPECT_EQ(list.HitTest(Point{100, 22 + 1}).row, 5);
}

TEST_F(PersonOnList, AHiddenOrDisabledListIgnoresThePerson) {
  list.EnableWindow(false);
  EXPECT_FALSE(list.ClickRow(1, 2));
  EXPECT_FALSE(list.PressDelete());
  list.EnableWindow(true);
  list.ShowWindow(SW_HIDE);
  EXPECT_FALSE(list.RightClick(1, 2));
  EXPECT_TRUE(parent.Take().empty());
  EXPECT_EQ(list.GetSelectedCount(), 0);
}

TEST_F(PersonOnList, AParentThatDestroysTheListInItsHandlerIsSafe) {
  parent.onMessage = [&](UINT m, WPARAM, LPARAM) -> LRESULT {
    if (m == WM_LISTEX_BTNCLICK) list.DestroyWindow();
    return 0;
  };
  EXPECT_TRUE(list.DoubleClickRow(1, 2));
  EXPECT_FALSE(list.IsAlive());
  // Only the first message went out; the list stopped once it was gone.
  EXPECT_EQ(parent.Take(), (std::vector<ListMessage>{{WM_LISTEX_BTNCLICK, 1, 2}}));
}
