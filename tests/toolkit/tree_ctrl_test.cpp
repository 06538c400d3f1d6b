#include "toolkit/tree_ctrl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace TYX::Controls;
using TYX::Win::Window;

namespace {

// A parent that records the tree's notifications.
class NotifyRecorder : public Window {
 public:
  struct Seen {
    UINT code;
    HTREEITEM oldItem;
    HTREEITEM newItem;
    UINT action;
  };
  NotifyRecorder() {
    OnMessage(TYX::Win::WM_NOTIFY, [this](WPARAM, LPARAM l) -> LRESULT {
      auto* nm = TYX::Win::RecordFromLParam<NMTREEVIEW>(l);
      seen.push_back({nm->hdr.code, nm->itemOld, nm->itemNew, nm->action});
      return 0;
    });
  }
  int Count(UINT code) const {
    int n = 0;
    for (const auto& s : seen) n += s.code == code;
    return n;
  }
  std::vector<Seen> seen;
};

class TreeCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(parent.Create(nullptr, Rect{0, 0, 300, 400}, TYX::Win::WS_VISIBLE));
    ASSERT_TRUE(tree.Create(parent.GetSafeHwnd(), Rect{10, 20, 210, 200},
                            TYX::Win::WS_CHILD | TYX::Win::WS_VISIBLE | TVS_HASBUTTONS | TVS_LINESATROOT, 7));
    tree.SetItemHeight(18);
  }
  NotifyRecorder parent;
  TYX_TreeCtrl tree;
};

}  // namespace

TEST_F(TreeCtrlTest, NodesKeepOrderDataAndImages) {
  HTREEITEM a = tree.InsertItem("A", 1, 2);
  HTREEITEM c = tree.InsertItem("C", 3, 4);
  HTREEITEM b = tree.InsertItem("B", 5, 6, TVI_ROOT, a);  // after A
  HTREEITEM first = tree.InsertItem("0", 0, 0, TVI_ROOT, TVI_FIRST);
  tree.SetItemData(b, 42);
  EXPECT_EQ(tree.GetRootItem(), first);
  EXPECT_EQ(tree.GetNextSiblingItem(first), a);
  EXPECT_EQ(tree.GetNextSiblingItem(a), b);
  EXPECT_EQ(tree.GetNextSiblingItem(b), c);
  EXPECT_EQ(tree.GetNextSiblingItem(c), nullptr);
  EXPECT_EQ(tree.GetPrevSiblingItem(b), a);
  EXPECT_EQ(tree.GetItemData(b), 42);
  int img = 0, sel = 0;
  ASSERT_TRUE(tree.GetItemImage(b, img, sel));
  EXPECT_EQ(img, 5);
  EXPECT_EQ(sel, 6);
  EXPECT_EQ(tree.GetCount(), 4u);
  // An unknown parent is refused rather than making an orphan.
  EXPECT_EQ(tree.InsertItem("x", reinterpret_cast<HTREEITEM>(0x999990)), nullptr);
}

TEST_F(TreeCtrlTest, DeletingANodeTakesItsDescendantsAndClearsSelection) {
  HTREEITEM top = tree.InsertItem("top");
  HTREEITEM child = tree.InsertItem("child", top);
  HTREEITEM grandchild = tree.InsertItem("grandchild", child);
  HTREEITEM other = tree.InsertItem("other");
  tree.SelectItem(grandchild, false);
  tree.SelectDropTarget(child);
  ASSERT_TRUE(tree.DeleteItem(top));
  EXPECT_FALSE(tree.IsItem(top));
  EXPECT_FALSE(tree.IsItem(child));
  EXPECT_FALSE(tree.IsItem(grandchild));
  EXPECT_EQ(tree.GetSelectedItem(), nullptr);
  EXPECT_EQ(tree.GetDropHilightItem(), nullptr);
  EXPECT_EQ(tree.GetCount(), 1u);
  EXPECT_EQ(tree.GetRootItem(), other);
  EXPECT_FALSE(tree.DeleteItem(top));
}

TEST_F(TreeCtrlTest, SelectionNotifiesOnlyWhenAskedAndWhenItChanges) {
  HTREEITEM a = tree.InsertItem("A");
  HTREEITEM b = tree.InsertItem("B");
  EXPECT_TRUE(tree.SelectItem(a, false));
  EXPECT_EQ(tree.GetSelectedItem(), a);
  EXPECT_EQ(parent.Count(TVN_SELCHANGED), 0);
  EXPECT_TRUE(tree.SelectItem(b, true));
  ASSERT_EQ(parent.Count(TVN_SELCHANGED), 1);
  EXPECT_EQ(parent.seen.back().oldItem, a);
  EXPECT_EQ(parent.seen.back().newItem, b);
  EXPECT_TRUE(tree.SelectItem(b, true));  // unchanged: no second notice
  EXPECT_EQ(parent.Count(TVN_SELCHANGED), 1);
  EXPECT_FALSE(tree.SelectItem(reinterpret_cast<HTREEITEM>(0x777770), true));
  EXPECT_EQ(tree.GetSelectedItem(), b);
}

TEST_F(TreeCtrlTest, HitTestReportsTheDesktopFlags) {
  tree.SetImageList(TreeImageList{20200, 16, 16, 0xFF00FF, 1});
  HTREEITEM a = tree.InsertItem("Alpha", 0, 0);
  HTREEITEM b = tree.InsertItem("Beta", 0, 0);
  tree.InsertItem("kid", 0, 0, b);
  UINT flags = 0;
  // Row 0 is A: the root slot (19 px), then the 16 px icon, a gap, then the label.
  EXPECT_EQ(tree.HitTest(Point{5, 5}, &flags), a);
  EXPECT_EQ(flags, TVHT_ONITEMINDENT);  // A has no children, so no button
  EXPECT_EQ(tree.HitTest(Point{19 + 4, 5}, &flags), a);
  EXPECT_EQ(flags, TVHT_ONITEMICON);
  Rect label;
  ASSERT_TRUE(tree.GetLabelRect(a, &label));
  EXPECT_EQ(label.left, 19 + 16 + 3);
  EXPECT_EQ(tree.HitTest(Point{label.left + 1, 5}, &flags), a);
  EXPECT_EQ(flags, TVHT_ONITEMLABEL);
  EXPECT_EQ(tree.HitTest(Point{label.right + 2, 5}, &flags), a);
  EXPECT_EQ(flags, TVHT_ONITEMRIGHT);
  // Row 1 is B, which has a child and so an expand button in the root slot.
  EXPECT_EQ(tree.HitTest(Point{5, 18 + 5}, &flags), b);
  EXPECT_EQ(flags, TVHT_ONITEMBUTTON);
  // Below the last row and outside the client area.
  EXPECT_EQ(tree.HitTest(Point{40, 18 * 2 + 5}, &flags), nullptr);
  EXPECT_EQ(flags, TVHT_NOWHERE);
  EXPECT_EQ(tree.HitTest(Point{-1, 5}, &flags), nullptr);
  EXPECT_EQ(flags, TVHT_TOLEFT);
  EXPECT_EQ(tree.HitTest(Point{5, 500}, &flags), nullptr);
  EXPECT_EQ(flags, TVHT_BELOW);
}

TEST_F(TreeCtrlTest, ClicksSelectExpandAndNotifyLikeAPerson) {
  HTREEITEM a = tree.InsertItem("A");
  HTREEITEM b = tree.InsertItem("B");
  HTREEITEM kid = tree.InsertItem("kid", b);
  EXPECT_FALSE(tree.ClickNodeButton(a));  // no children, no button
  ASSERT_TRUE(tree.ClickNodeButton(b));
  EXPECT_TRUE(tree.IsExpanded(b));
  EXPECT_EQ(tree.GetSelectedItem(), nullptr);  // the button expands without selecting
  ASSERT_TRUE(tree.ClickNode(kid));
  EXPECT_EQ(tree.GetSelectedItem(), kid);
  EXPECT_TRUE(tree.HasFocus());
  ASSERT_EQ(parent.Count(TVN_SELCHANGED), 1);
  EXPECT_EQ(parent.seen[parent.seen.size() - 2].action, TVC_BYMOUSE);
  EXPECT_EQ(parent.Count(NM_CLICK), 1);
  // Collapsing the parent of the selected node moves the selection up to it.
  ASSERT_TRUE(tree.ClickNodeButton(b));
  EXPECT_FALSE(tree.IsExpanded(b));
  EXPECT_EQ(tree.GetSelectedItem(), b);
  // A right click is a notice to the parent only.
  ASSERT_TRUE(tree.RightClickNode(a));
  EXPECT_EQ(parent.Count(NM_RCLICK), 1);
  EXPECT_EQ(tree.GetSelectedItem(), b);
}

TEST_F(TreeCtrlTest, EnsureVisibleScrollsAndExpands) {
  std::vector<HTREEITEM> items;
  for (int i = 0; i < 30; ++i) items.push_back(tree.InsertItem("n" + std::to_string(i)));
  HTREEITEM deep = tree.InsertItem("deep", items[29]);
  // 180 px high at 18 px a row: ten rows show.
  EXPECT_EQ(tree.GetVisibleRowCount(), 10);
  ASSERT_TRUE(tree.EnsureVisible(deep));
  EXPECT_TRUE(tree.IsExpanded(items[29]));
  EXPECT_EQ(tree.GetFirstVisibleRow(), 31 - 10);
  Rect r;
  ASSERT_TRUE(tree.GetItemRect(deep, &r, false));
  EXPECT_EQ(r.top, 9 * 18);
  UINT flags = 0;
  EXPECT_EQ(tree.HitTest(Point{60, r.top + 2}, &flags), deep);
}

TEST_F(TreeCtrlTest, DroppedFilesReachTheHandlerAndAreReleased) {
  HTREEITEM a = tree.InsertItem("A");
  const std::size_t before = DragLiveCount();
  EXPECT_FALSE(tree.DropFilesOnNode(a, {"/music/a.mp3"}));  // does not accept files yet
  tree.DragAcceptFiles(true);
  EXPECT_TRUE(tree.DropFilesOnNode(a, {"/music/a.mp3", "/music/b.ogg"}));
  EXPECT_EQ(DragLiveCount(), before);  // the default handling releases the list
}

TEST(DropFileList, ReportsFilesAndPointAndIsReleasedOnce) {
  Window w;
  ASSERT_TRUE(w.Create(nullptr, Rect{100, 100, 200, 150}, TYX::Win::WS_VISIBLE));
  HDROP drop = DragCreateList({"/a.mp3", "/b.mp3"}, Point{110, 120});
  EXPECT_EQ(DragQueryFileCount(drop), 2u);
  EXPECT_EQ(DragQueryFile(drop, 1), "/b.mp3");
  EXPECT_EQ(DragQueryFile(drop, 2), "");
  Point p;
  EXPECT_TRUE(DragQueryPoint(drop, w.GetSafeHwnd(), &p));
  EXPECT_EQ(p, (Point{10, 20}));
  HDROP outside = DragCreateList({"/c.mp3"}, Point{300, 120});
  EXPECT_FALSE(DragQueryPoint(outside, w.GetSafeHwnd(), &p));
  DragFinish(outside);
  EXPECT_TRUE(DragIsAlive(drop));
  DragFinish(drop);
  EXPECT_FALSE(DragIsAlive(drop));
  DragFinish(drop);  // a second release is harmless
  EXPECT_EQ(DragQueryFileCount(drop), 0u);
}

TEST_F(TreeCtrlTest, PaintShowsCaptionsSelectionAndDropHighlight) {
  tree.ModifyStyle(0, TVS_SHOWSELALWAYS);
  tree.SetBkColor(0xFFFFFF);
  tree.SetTextColor(0x994534);
  tree.SetImageList(TreeImageList{20200, 16, 16, 0xFF00FF, 1});
  HTREEITEM a = tree.InsertItem("첫째", 0, 0);
  tree.InsertItem("둘째", 0, 0);
  tree.SelectItem(a, false);
  tree.UpdateWindow();
  const auto& dl = tree.GetLastPaint();
  ASSERT_NE(dl.FindText("첫째"), nullptr);
  ASSERT_NE(dl.FindText("둘째"), nullptr);
  EXPECT_EQ(dl.FindText("둘째")->color, 0x994534u);
  EXPECT_EQ(dl.FindText("첫째")->color, 0xFFFFFFu);  // drawn on the selection fill
  EXPECT_TRUE(dl.HasImage(20200));
  // While a drop target is highlighted, only it is drawn highlighted.
  HTREEITEM b = tree.GetNextSiblingItem(a);
  tree.SelectDropTarget(b);
  tree.UpdateWindow();
  EXPECT_EQ(tree.GetLastPaint().FindText("둘째")->color, 0xFFFFFFu);
  EXPECT_EQ(tree.GetLastPaint().FindText("첫째")->color, 0x994534u);
}
