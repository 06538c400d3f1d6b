#include <gtest/gtest.h>

#include <climits>

#include "library/band_test_host.h"
#include "library/band_tree_ctrl.h"
#include "library/band_tree_wnd.h"
#include "util/skin.h"

using namespace TYX::Library;
using namespace TYX::Test::Band;
using TYX::Controls::HTREEITEM;

namespace {

constexpr UINT kSavedListsNodes = 20125;

// A band tree control straight under a recording host, so that what it posts can be read.
class BandTreeCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TYX::TYX_Log::Instance()->SetTarget("");
    ASSERT_NE(TYX::TYX_Skin::LoadDefault(), nullptr);
    ASSERT_TRUE(host.Create(nullptr, Rect{100, 50, 400, 650}, WS_VISIBLE));
    ASSERT_TRUE(tree.Create(host.GetSafeHwnd(), Rect{0, 0, 200, 300},
                            WS_CHILD | WS_VISIBLE | TYX::Controls::TVS_LINESATROOT | TYX::Controls::TVS_HASBUTTONS, 9));
    ASSERT_EQ(tree.InitTreeCtrl(kSavedListsNodes), 0);
  }
  void TearDown() override { PumpMessages(); }
  // The saved-lists band: the group node and three lists, item data = position.
  void AddSavedLists() {
    group = tree.AddNode(0, 0, 1, "저장목록", 0, "100000", false);
    for (int i = 1; i <= 3; ++i)
      lists.push_back(tree.AddNode(0, 2, 3, "목록 " + std::to_string(i), i, TYX_BandTreeCtrl::GetAddress(i - 1), false));
  }

  HostWindow host;
  TYX_BandTreeCtrl tree;
  HTREEITEM group = nullptr;
  std::vector<HTREEITEM> lists;
};

}  // namespace

TEST(BandTreeAddress, FormatsSavedListPageIds) {
  EXPECT_EQ(TYX_BandTreeCtrl::GetAddress(0), "100001");
  EXPECT_EQ(TYX_BandTreeCtrl::GetAddress(41), "100042");
  EXPECT_EQ(TYX_BandTreeCtrl::GetAddress(-1), "");
  EXPECT_EQ(TYX_BandTreeCtrl::GetAddress(99998), "199999");
  EXPECT_EQ(TYX_BandTreeCtrl::GetAddress(99999), "1100000");  // seven characters: not a page ID
}

TEST_F(BandTreeCtrlTest, InitialisationSetsTheLookAndImages) {
  EXPECT_EQ(tree.GetItemHeight(), 18);
  EXPECT_EQ(tree.GetBkColor(), 0xFFFFFFu);
  EXPECT_EQ(tree.GetTextColor(), 0x994534u);
  EXPECT_TRUE(tree.GetStyle() & TYX::Controls::TVS_SHOWSELALWAYS);
  EXPECT_TRUE(tree.AcceptsFiles());
  ASSERT_TRUE(tree.GetImageList().has_value());
  EXPECT_EQ(tree.GetImageList()->bitmapId, kSavedListsNodes);
  EXPECT_EQ(tree.GetImageList()->maskColor, 0xFF00FFu);
  EXPECT_EQ(tree.GetScrollBarImages().front(), 20115u);
  EXPECT_EQ(tree.GetScrollBarImages().back(), 20123u);
}

TEST_F(BandTreeCtrlTest, MissingSkinOrBitmapFailsBeforeAnythingIsSetUp) {
  TYX_BandTreeCtrl bare;
  ASSERT_TRUE(bare.Create(host.GetSafeHwnd(), Rect{0, 0, 100, 100}, WS_CHILD, 10));
  EXPECT_EQ(bare.InitTreeCtrl(99999), TYX::Win::E_FAIL);  // no such bitmap
  TYX::TYX_Skin::Unload();
  EXPECT_EQ(bare.InitTreeCtrl(kSavedListsNodes), TYX::Win::E_FAIL);
  TYX::TYX_Skin::LoadDefault();
  EXPECT_EQ(bare.GetItemHeight(), 16);
  EXPECT_FALSE(bare.GetImageList().has_value());
  EXPECT_FALSE(bare.AcceptsFiles());
}

TEST_F(BandTreeCtrlTest, MenuTableComesOutFlatWithPositionsAsItemData) {
  TYX_BandTreeCtrl menuTree;
  ASSERT_TRUE(menuTree.Create(host.GetSafeHwnd(), Rect{0, 0, 100, 100}, WS_CHILD, 11));
  const TYX_BandTreeCtrl::tagLibraryTreeMenu menu[] = {
      {0, "음악", 0, 1, "000000", 0}, {1, "저장목록", 2, 3, "100000", 0}, {3, "CD", 4, 5, "300000", 0}};
  ASSERT_EQ(menuTree.InitTreeCtrl(menu, 3, kSavedListsNodes), 0);
  ASSERT_EQ(menuTree.GetItemCount(nullptr), 3);
  int position = 0;
  for (HTREEITEM n = menuTree.GetRootItem(); n; n = menuTree.GetNextSiblingItem(n), ++position) {
    EXPECT_EQ(menuTree.GetParentItem(n), nullptr);
    EXPECT_EQ(menuTree.GetItemData(n), position);
    EXPECT_EQ(menuTree.GetItemFromData(position), n);
  }
  EXPECT_EQ(menuTree.GetPageID(menuTree.GetItemFromData(2)), "300000");
  EXPECT_EQ(menuTree.GetItemText(menuTree.GetItemFromData(1)), "저장목록");
}

TEST_F(BandTreeCtrlTest, SelectPageAnnouncesListsButNotGroupNodes) {
  AddSavedLists();
  EXPECT_EQ(tree.SelectPage("100000", true), TYX::Win::E_FAIL);
  EXPECT_EQ(tree.GetSelectedItem(), group);
  PumpMessages();
  EXPECT_TRUE(host.Of(WM_BAND_SELECTPAGE).empty());

  char third[8];
  std::snprintf(third, sizeof(third), "1%05d", 3);
  EXPECT_EQ(tree.SelectPage(third, true), 0);
  EXPECT_EQ(tree.GetSelectedItem(), lists[2]);
  EXPECT_EQ(tree.GetSelectedPageID(), "100003");
  PumpMessages();
  ASSERT_EQ(host.selectPageTexts.size(), 1u);
  EXPECT_EQ(host.selectPageTexts[0], "100003");

  // Without notification: selected, nothing posted.
  EXPECT_EQ(tree.SelectPage("100001", false), 0);
  EXPECT_EQ(tree.GetSelectedItem(), lists[0]);
  PumpMessages();
  EXPECT_EQ(host.selectPageTexts.size(), 1u);

  // An unknown page ID is no failure and changes nothing; bad arguments are refused.
  EXPECT_EQ(tree.SelectPage("199999", true), 0);
  EXPECT_EQ(tree.GetSelectedItem(), lists[0]);
  EXPECT_EQ(tree.SelectPage("", true), TYX::Win::E_INVALIDARG);
  EXPECT_EQ(tree.SelectPage(-1), TYX::Win::E_INVALIDARG);
}

TEST_F(BandTreeCtrlTest, SelectPageByIndexHasNoGroupException) {
  AddSavedLists();
  EXPECT_EQ(tree.SelectPage(1), 0);
  EXPECT_EQ(tree.GetSelectedItem(), lists[1]);
  EXPECT_EQ(TYX_BandTreeCtrl::LastSelectIndexBuffer(), "100002");
  EXPECT_EQ(tree.SelectPage(99999), TYX::Win::E_FAIL);  // address of seven characters
  EXPECT_EQ(tree.GetSelectedItem(), lists[1]);
  EXPECT_EQ(tree.SelectPage(2), 0);
  // Each posted announcement keeps its own page ID, whatever was selected before it was handled.
  PumpMessages();
  ASSERT_EQ(host.selectPageTexts.size(), 2u);
  EXPECT_EQ(host.selectPageTexts[0], "100002");
  EXPECT_EQ(host.selectPageTexts[1], "100003");
}

TEST_F(BandTreeCtrlTest, PageLookupIgnoresCaseAndTakesTheFirstOfTwins) {
  HTREEITEM first = tree.AddNode(0, 0, 0, "첫", 10, "A48700", false);
  tree.AddNode(0, 0, 0, "둘", 11, "a48700", false);
  EXPECT_EQ(tree.SelectPage("a48700", false), 0);
  EXPECT_EQ(tree.GetSelectedItem(), first);
}

TEST_F(BandTreeCtrlTest, DeletingANodeWithChildrenClearsBothLookups) {
  AddSavedLists();
  HTREEITEM kidA = tree.AddChildNode(lists[0], 0, 0, "a", 20, "100020", false);
  HTREEITEM kidB = tree.AddChildNode(lists[0], 0, 0, "b", 21, "100021", false);
  tree.AddChildNode(kidA, 0, 0, "a.1", 22, "100022", false);
  ASSERT_EQ(tree.PageIdCount(), 7u);
  ASSERT_EQ(tree.DataLookupCount(), 7u);
  tree.SetSelectItem(21, false);
  EXPECT_EQ(tree.GetSelectedItem(), kidB);

  EXPECT_EQ(tree.DeleteSubItemByData(1, true), 0);
  EXPECT_EQ(tree.PageIdCount(), 3u);
  EXPECT_EQ(tree.DataLookupCount(), 3u);
  EXPECT_FALSE(tree.IsItem(kidA));
  EXPECT_EQ(tree.GetPageID(kidB), "");
  // Selecting a deleted child's data now clears the selection.
  tree.SetSelectItem(2, false);
  tree.SetSelectItem(22, false);
  EXPECT_EQ(tree.GetSelectedItem(), nullptr);
  EXPECT_EQ(tree.DeleteSubItemByData(77, true), TYX::Win::E_FAIL);
  // Deleting only the children keeps the node.
  tree.AddChildNode(lists[1], 0, 0, "c", 30, "100030", false);
  EXPECT_EQ(tree.DeleteSubItem(lists[1], false), 0);
  EXPECT_TRUE(tree.IsItem(lists[1]));
  EXPECT_EQ(tree.GetItemCount(lists[1]), 0);
  EXPECT_EQ(tree.DataLookupCount(), 3u);
}

TEST_F(BandTreeCtrlTest, SelectionByDataNotifiesOnlyWhenAsked) {
  AddSavedLists();
  tree.SetSelectItem(2, false);
  EXPECT_EQ(tree.GetSelectedItem(), lists[1]);
  PumpMessages();
  EXPECT_TRUE(host.Of(WM_BAND_SELECTITEM).empty());
  tree.SetSelectItem(3, true);
  EXPECT_EQ(tree.GetSelectedItem(), lists[2]);
  PumpMessages();
  auto seen = host.Of(WM_BAND_SELECTITEM);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].w, 0u);
  EXPECT_EQ(seen[0].l, 3);
  tree.SetSelectItem(-1, true);
  EXPECT_EQ(tree.GetSelectedItem(), nullptr);
  PumpMessages();
  EXPECT_EQ(host.Of(WM_BAND_SELECTITEM).size(), 1u);
}

TEST_F(BandTreeCtrlTest, LeftClickPostsTheNodeData) {
  AddSavedLists();
  ASSERT_TRUE(tree.ClickNode(lists[1]));
  EXPECT_EQ(tree.GetSelectedItem(), lists[1]);
  PumpMessages();
  auto seen = host.Of(WM_BAND_SELECTITEM);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].l, 2);
  // A click below the last node posts nothing.
  ASSERT_TRUE(tree.ClickPoint(Point{50, 18 * 10}));
  PumpMessages();
  EXPECT_EQ(host.Of(WM_BAND_SELECTITEM).size(), 1u);
}

TEST_F(BandTreeCtrlTest, RightClickOnTheHostPageRequestsTheMenuWithoutSelecting) {
  AddSavedLists();
  HTREEITEM special = tree.AddNode(0, 0, 0, "특별", 9, "a00", false);
  tree.SelectItem(lists[0], false);
  ASSERT_TRUE(tree.RightClickNode(special));
  EXPECT_EQ(tree.GetSelectedItem(), lists[0]);
  ASSERT_EQ(host.popups.size(), 1u);
  EXPECT_EQ(host.popups[0].pageId, "a00");
  Rect label;
  ASSERT_TRUE(tree.GetLabelRect(special, &label));
  Point expected{(label.left + label.right) / 2, (label.top + label.bottom) / 2};
  tree.ClientToScreen(expected);
  EXPECT_EQ(host.popups[0].screenPoint, expected);
}

TEST_F(BandTreeCtrlTest, RightClickOnANodeSelectsItThenRequestsTheMenu) {
  AddSavedLists();
  ASSERT_TRUE(tree.RightClickNode(lists[2]));
  EXPECT_EQ(tree.GetSelectedItem(), lists[2]);
  EXPECT_TRUE(tree.HasFocus());
  ASSERT_EQ(host.popups.size(), 1u);
  EXPECT_EQ(host.popups[0].pageId, "100003");
  // Right of the label (not icon, label or state icon): selected, but no menu.
  Rect row;
  ASSERT_TRUE(tree.GetItemRect(lists[0], &row, false));
  ASSERT_TRUE(tree.RightClickPoint(Point{row.right - 2, row.top + 2}));
  EXPECT_EQ(tree.GetSelectedItem(), lists[0]);
  EXPECT_EQ(host.popups.size(), 1u);
  // Nowhere: nothing.
  ASSERT_TRUE(tree.RightClickPoint(Point{20, 18 * 12}));
  EXPECT_EQ(host.popups.size(), 1u);
}

TEST_F(BandTreeCtrlTest, DroppedFilesGoUpAsARecordThatIsFreedAfterTheSend) {
  AddSavedLists();
  const std::size_t before = TYX::Controls::DragLiveCount();
  ASSERT_TRUE(tree.DropFilesOnNode(lists[1], {"/music/a.mp3", "/music/b.ogg"}));
  // The tree sends to its parent directly; here the host stands in for the tree window.
  ASSERT_EQ(host.drops.size(), 1u);
  EXPECT_EQ(host.drops[0].msg, WM_BAND_TREE_DROPFILES);
  EXPECT_EQ(host.drops[0].pageId, "100002");
  EXPECT_EQ(host.drops[0].files.size(), 2u);
  EXPECT_TRUE(host.drops[0].listAliveDuringSend);
  EXPECT_EQ(host.dropWParams[0], 0u);
  // Released once the send has returned.
  EXPECT_EQ(TYX::Controls::DragLiveCount(), before);
}

// ---- Tree window ----------------------------------------------------------------------------------

namespace {

class BandTreeWndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TYX::TYX_Log::Instance()->SetTarget("");
    ASSERT_NE(TYX::TYX_Skin::LoadDefault(), nullptr);
    ASSERT_TRUE(host.Create(nullptr, Rect{100, 50, 400, 650}, WS_VISIBLE));
    ASSERT_TRUE(wnd.Create(host.GetSafeHwnd(), Rect{0, 0, 200, 90}, WS_CHILD | WS_VISIBLE, 4));
    ASSERT_EQ(wnd.Initialize(kSavedListsNodes, Rect{0, 0, 200, 90}), 0);
  }
  void TearDown() override { PumpMessages(); }
  HostWindow host;
  TYX_BandTreeWnd wnd;
};

}  // namespace

TEST_F(BandTreeWndTest, NamesFontAndFillsItsClientArea) {
  EXPECT_EQ(wnd.GetWindowText(), "BandTreeCtrl_4");
  EXPECT_EQ(wnd.GetBandTreeCtrl().GetWindowText(), "BandTreeCtrl_4");
  EXPECT_EQ(wnd.GetBandTreeCtrl().GetFont(), (TYX::Win::Font{"돋움", 12, false}));
  EXPECT_TRUE(wnd.GetBandTreeCtrl().IsVisibleFlag());
  wnd.MoveWindow(Rect{0, 0, 180, 54});
  EXPECT_EQ(wnd.GetBandTreeCtrl().GetRectInParent(), (Rect{0, 0, 180, 54}));
  wnd.MoveWindow(Rect{0, 0, 180, 0});  // an empty size leaves the tree where it was
  EXPECT_EQ(wnd.GetBandTreeCtrl().GetRectInParent(), (Rect{0, 0, 180, 54}));
}

TEST_F(BandTreeWndTest, CountsNodesAndLooksThemUpByPosition) {
  EXPECT_EQ(wnd.GetItemSize(), 0);
  wnd.DeleteChildNode(5, true);  // nothing to delete at 0
  EXPECT_EQ(wnd.GetItemSize(), 0);
  for (int i = 0; i < 3; ++i) wnd.AddNode(0, 0, 1, "목록" + std::to_string(i), i, TYX_BandTreeCtrl::GetAddress(i), false);
  EXPECT_EQ(wnd.GetItemSize(), 3);
  EXPECT_EQ(wnd.GetTitleFromIndex(1), "목록1");
  EXPECT_EQ(wnd.GetPageIDFromIndex(2), "100003");
  EXPECT_EQ(wnd.GetItemDataFromIndex(2), 2);
  EXPECT_EQ(wnd.GetItemDataFromIndex(3), -1);
  EXPECT_EQ(wnd.GetPageIDFromIndex(7), "");
  // A node with a child: deleting it counts both off.
  HTREEITEM parent = wnd.GetItemFromData(1);
  wnd.AddChildNode(parent, 0, 0, "kid", 40, "100040", false);
  EXPECT_EQ(wnd.GetItemSize(), 4);
  wnd.DeleteChildNode(1, true);
  EXPECT_EQ(wnd.GetItemSize(), 2);
  // A delete that finds no node changes nothing.
  wnd.DeleteChildNode(1, true);
  EXPECT_EQ(wnd.GetItemSize(), 2);
}

TEST_F(BandTreeWndTest, RelaysSelectionWithItsOwnIdAndStopsSelectPage) {
  wnd.AddNode(0, 0, 1, "a", 0, "100001", false);
  HTREEITEM b = wnd.AddNode(0, 0, 1, "b", 1, "100002", false);
  ASSERT_TRUE(wnd.GetBandTreeCtrl().ClickNode(b));
  ASSERT_TRUE(PumpUntil([&] { return !host.Of(WM_BAND_SELECTITEM).empty(); }, 2000));
  auto seen = host.Of(WM_BAND_SELECTITEM);
  EXPECT_EQ(seen[0].w, 4u);
  EXPECT_EQ(seen[0].l, 1);
  EXPECT_EQ(wnd.GetBandTreeCtrl().SelectPage("100001", true), 0);
  PumpMessages();
  EXPECT_TRUE(host.Of(WM_BAND_SELECTPAGE).empty());
}

TEST_F(BandTreeWndTest, DropModeHidesAndRestoresTheSelection) {
  wnd.AddNode(0, 0, 1, "a", 0, "100001", false);
  HTREEITEM b = wnd.AddNode(0, 0, 1, "b", 1, "100002", false);
  wnd.SetSelectItem(1, false);
  EXPECT_EQ(wnd.GetSelectedData(), 1);
  wnd.SetDropMode(true);
  wnd.SetDropSelected(false);
  EXPECT_EQ(wnd.GetBandTreeCtrl().GetSelectedItem(), nullptr);
  wnd.SetDropMode(false);
  wnd.SetDropSelected(false);
  EXPECT_EQ(wnd.GetBandTreeCtrl().GetSelectedItem(), b);
  PumpMessages();
  EXPECT_TRUE(host.Of(WM_BAND_SELECTITEM).empty());  // restored quietly
}

TEST_F(BandTreeWndTest, PassesDropRecordsAndMenuRequestsUp) {
  HTREEITEM a = wnd.AddNode(0, 0, 1, "a", 0, "100001", false);
  wnd.MoveWindow(Rect{0, 0, 200, 18});
  const std::size_t before = TYX::Controls::DragLiveCount();
  ASSERT_TRUE(wnd.GetBandTreeCtrl().DropFilesOnNode(a, {"/x/노래.mp3"}));
  ASSERT_EQ(host.drops.size(), 1u);
  EXPECT_EQ(host.drops[0].msg, WM_BAND_TREE_DROPFILES);
  EXPECT_EQ(host.drops[0].pageId, "100001");
  EXPECT_EQ(host.drops[0].files, std::vector<std::string>{"/x/노래.mp3"});
  EXPECT_TRUE(host.drops[0].listAliveDuringSend);
  EXPECT_EQ(TYX::Controls::DragLiveCount(), before);
  // A drop outside the client area is released without a notice.
  ASSERT_TRUE(wnd.GetBandTreeCtrl().DropFilesAtPoint(Point{10, 500}, {"/y.mp3"}));
  EXPECT_EQ(host.drops.size(), 1u);
  EXPECT_EQ(TYX::Controls::DragLiveCount(), before);
  // Dropped on the empty part of the tree: the record carries no page ID.
  wnd.MoveWindow(Rect{0, 0, 200, 90});
  ASSERT_TRUE(wnd.GetBandTreeCtrl().DropFilesAtPoint(Point{10, 60}, {"/z.mp3"}));
  ASSERT_EQ(host.drops.size(), 2u);
  EXPECT_EQ(host.drops[1].pageId, "");
  ASSERT_TRUE(wnd.GetBandTreeCtrl().RightClickNode(a));
  ASSERT_EQ(host.popups.size(), 1u);
  EXPECT_EQ(host.popups[0].pageId, "100001");
}

TEST(BandTreeAddress, EveryIndexButMinusOneFollowsTheFormatWithoutOverflow) {
  EXPECT_EQ(TYX_BandTreeCtrl::GetAddress(INT_MAX), "12147483648");
  EXPECT_EQ(TYX_BandTreeCtrl::GetAddress(INT_MAX - 1), "12147483647");
  EXPECT_EQ(TYX_BandTreeCtrl::GetAddress(-2), "1-0001");
  EXPECT_EQ(TYX_BandTreeCtrl::GetAddress(INT_MIN), "1-2147483647");
}

TEST_F(BandTreeCtrlTest, SelectPageByAFarIndexSelectsNothing) {
  AddSavedLists();
  tree.SelectItem(lists[0], false);
  EXPECT_EQ(tree.SelectPage(INT_MAX), TYX::Win::E_FAIL);  // eleven characters
  EXPECT_EQ(TYX_BandTreeCtrl::LastSelectIndexBuffer(), "12147483648");
  EXPECT_EQ(tree.GetSelectedItem(), lists[0]);
  // "1-0001" is six characters long but names no node: no failure, nothing selected or posted.
  EXPECT_EQ(tree.SelectPage(-2), 0);
  EXPECT_EQ(tree.GetSelectedItem(), lists[0]);
  PumpMessages();
  EXPECT_TRUE(host.Of(WM_BAND_SELECTPAGE).empty());
}

TEST_F(BandTreeWndTest, InitialisingWithATableCountsItsNodes) {
  const TYX_BandTreeCtrl::tagLibraryTreeMenu menu[] = {
      {0, "음악", 0, 1, "000000", 0}, {0, "저장목록", 2, 3, "100000", 0}, {0, "CD", 4, 5, "300000", 0}};
  TYX_BandTreeWnd table;
  ASSERT_TRUE(table.Create(host.GetSafeHwnd(), Rect{0, 0, 200, 90}, WS_CHILD | WS_VISIBLE, 6));
  ASSERT_EQ(table.Initialize(menu, 3, kSavedListsNodes, Rect{0, 0, 200, 90}), 0);
  EXPECT_EQ(table.GetItemSize(), 3);
  EXPECT_EQ(table.GetBandTreeCtrl().GetItemCount(nullptr), 3);
  EXPECT_EQ(table.GetPageIDFromIndex(2), "300000");
  EXPECT_EQ(table.GetWindowText(), "BandTreeCtrl_6");
  // Nodes added later count on from the table's.
  table.AddNode(0, 0, 1, "추가", 3, "100001", false);
  EXPECT_EQ(table.GetItemSize(), 4);
}
