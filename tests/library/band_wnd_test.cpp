#include <gtest/gtest.h>

#include "library/band_test_host.h"
#include "library/band_wnd.h"
#include "util/skin.h"

using namespace TYX::Library;
using namespace TYX::Test::Band;
using TYX::Controls::HTREEITEM;

// ---- Page-ID categories ---------------------------------------------------------------------------

TEST(BandLibraryType, EveryRowOfTheCategoryTable) {
  EXPECT_EQ(TYX_BandWnd::GetLibraryType("000000"), 1);
  EXPECT_EQ(TYX_BandWnd::GetLibraryType("100000"), 2);
  EXPECT_EQ(TYX_BandWnd::GetLibraryType("100001"), 2);
  EXPECT_EQ(TYX_BandWnd::GetLibraryType("200000"), 3);
  EXPECT_EQ(TYX_BandWnd::GetLibraryType("800000"), 4);
  EXPECT_EQ(TYX_BandWnd::GetLibraryType("300000"), 5);
  EXPECT_EQ(TYX_BandWnd::GetLibraryType("300002"), 5);
  EXPECT_EQ(TYX_BandWnd::GetLibraryType("5abcde"), 6);
  EXPECT_EQ(TYX_BandWnd::GetLibraryType("600000"), 7);
  EXPECT_EQ(TYX_BandWnd::GetLibraryType("A48700"), 8);
  EXPECT_EQ(TYX_BandWnd::GetLibraryType("a48700"), 8);
  EXPECT_EQ(TYX_BandWnd::GetLibraryType("A48700"), TYX_BandWnd::kHostPage);
  EXPECT_EQ(TYX_BandWnd::GetLibraryType("700000"), 9);
  EXPECT_EQ(TYX_BandWnd::GetLibraryType("900000"), 10);
}

TEST(BandLibraryType, WrongLengthsAndUnknownCodesGiveNone) {
  EXPECT_EQ(TYX_BandWnd::GetLibraryType(""), 0);
  EXPECT_EQ(TYX_BandWnd::GetLibraryType("0"), 0);
  EXPECT_EQ(TYX_BandWnd::GetLibraryType("00000"), 0);
  EXPECT_EQ(TYX_BandWnd::GetLibraryType("0000000"), 0);
  EXPECT_EQ(TYX_BandWnd::GetLibraryType("A00000"), 0);
  EXPECT_EQ(TYX_BandWnd::GetLibraryType("A48701"), 0);
  EXPECT_EQ(TYX_BandWnd::GetLibraryType("4xxxxx"), 0);
  EXPECT_EQ(TYX_BandWnd::GetLibraryType("B48700"), 0);
  EXPECT_EQ(TYX_BandWnd::GetLibraryType("A4870"), 0);
}

// ---- The sidebar ----------------------------------------------------------------------------------

namespace {

constexpr UINT kTreeImage = 20125;

// Library (no tree), saved lists (group node and three lists, item data = position), now playing.
class BandWndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TYX::TYX_Log::Instance()->SetTarget("");
    ASSERT_NE(TYX::TYX_Skin::LoadDefault(), nullptr);
    ASSERT_TRUE(host.Create(nullptr, Rect{100, 50, 400, 750}, WS_VISIBLE));
    band = std::make_unique<TYX_BandWnd>();
    ASSERT_TRUE(band->Create(host.GetSafeHwnd(), Rect{0, 0, 240, 600}, WS_CHILD | WS_VISIBLE, 3000));
    EXPECT_EQ(band->AddItem(256, 20105, "보관함", "000000", ""), 0);
    EXPECT_EQ(band->AddItem(257, 20106, "저장목록", "100000", "x"), 1);
    EXPECT_EQ(band->AddItem(258, 20105, "현재재생목록", "200000", ""), 2);
    band->AddBandItem(kTreeImage, 1, 0, 0, 1, "첫 목록", 0, "100001", false);
    band->AddBandItem(kTreeImage, 1, 0, 0, 1, "둘째 목록", 1, "100002", false);
    band->AddBandItem(kTreeImage, 1, 0, 0, 1, "셋째 목록", 2, "100003", false);
  }
  void TearDown() override {
    band.reset();
    PumpMessages();
  }
  TYX_BandTreeWnd& Tree() { return *band->GetBandTreeWnd(1); }
  HTREEITEM Node(int data) { return band->GetBandItemFromData(1, data); }
  Point ScreenCentre(const TYX::Win::Window& w) {
    Rect r = w.GetWindowRect();
    return Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  Point NodeScreenPoint(int data) {
    Rect label;
    EXPECT_TRUE(Tree().GetBandTreeCtrl().GetLabelRect(Node(data), &label));
    Point p{label.left + 2, (label.top + label.bottom) / 2};
    Tree().GetBandTreeCtrl().ClientToScreen(p);
    return p;
  }

  HostWindow host;
  std::unique_ptr<TYX_BandWnd> band;
};

}  // namespace

TEST_F(BandWndTest, BandsGetButtonsWithTheirImagesAndTitles) {
  ASSERT_EQ(band->GetCount(), 3);
  EXPECT_EQ(band->GetItemParameter(1), 257u);
  TYX_BandButton* b = band->GetItemButton(1);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->GetDlgCtrlID(), 257u);
  EXPECT_EQ(b->GetParent(), band->GetSafeHwnd());
  EXPECT_EQ(b->GetTitle(), "저장목록");
  EXPECT_EQ(b->GetLeftImage(), 20103u);
  EXPECT_EQ(b->GetMiddleImage(), 20106u);
  EXPECT_EQ(b->GetRightImage(), 20104u);
  EXPECT_EQ(b->GetTrans(), 0xFF00FFu);
  EXPECT_FALSE(b->GetAutoCalcRect());
  EXPECT_EQ(b->GetButtonCursor(), 20443u);
  // Child, visible, tab stop, notify, owner-drawn.
  EXPECT_EQ(b->GetStyle(), 0x5001400Bu);
  EXPECT_EQ(band->GetItem(1)->extra, "x");
  // The first node made the band's tree window, a child with the band index as control ID.
  ASSERT_NE(band->GetBandTreeWnd(1), nullptr);
  EXPECT_EQ(Tree().GetDlgCtrlID(), 1u);
  EXPECT_EQ(Tree().GetParent(), band->GetSafeHwnd());
  EXPECT_EQ(band->GetItemWindow(0), nullptr);
  EXPECT_EQ(band->GetItemSize(1), 3);
  EXPECT_EQ(band->GetItemSize(0), 0);
  EXPECT_EQ(band->GetBandTitleFromIndex(1, 1), "둘째 목록");
  EXPECT_EQ(band->GetBandPageIDFromIndex(1, 2), "100003");
  EXPECT_EQ(band->GetBandPageIDFromIndex(0, 0), "");
  EXPECT_EQ(band->GetBandItemDataFromIndex(0, 0), -1);
  EXPECT_EQ(band->GetBandItemFromData(0, 0), nullptr);
  EXPECT_TRUE(LogHas("TYX_BandWnd::InsertItem() index : 2, items size : 2"));
  EXPECT_TRUE(LogHas("TYX_BandWnd::InsertItem() End"));
}

TEST_F(BandWndTest, NothingIsLaidOutUntilABandIsSelected) {
  EXPECT_EQ(band->GetSelectedBandIndex(), -1);
  EXPECT_EQ(band->GetItemButton(2)->GetRectInParent(), (Rect{0, 0, 229, 18}));
  EXPECT_EQ(band->GetSelectedPageID(), "");
  // Nor while the band window is hidden; the next layout once it shows places everything.
  band->ShowWindow(SW_HIDE);
  band->SetSelectBandItem(0, -1, false);
  EXPECT_EQ(band->GetItemButton(2)->GetRectInParent(), (Rect{0, 0, 229, 18}));
  band->ShowWindow(SW_SHOW);
  band->UpdateScreen();
  EXPECT_EQ(band->GetItemButton(0)->GetRectInParent(), (Rect{2, 8, 240, 26}));
}

TEST_F(BandWndTest, LayoutStacksButtonsAndTreesAtEighteenPixelsANode) {
  band->SetSelectBandItem(0, -1, false);
  EXPECT_EQ(band->GetItemButton(0)->GetRectInParent(), (Rect{2, 8, 240, 26}));
  EXPECT_EQ(band->GetItemButton(1)->GetRectInParent(), (Rect{2, 33, 240, 51}));
  // Three nodes take 54 pixels below their button.
  EXPECT_EQ(Tree().GetRectInParent(), (Rect{2, 51, 240, 105}));
  EXPECT_EQ(Tree().GetBandTreeCtrl().GetRectInParent(), (Rect{0, 0, 238, 54}));
  EXPECT_EQ(band->GetItemButton(2)->GetRectInParent(), (Rect{2, 112, 240, 130}));
  EXPECT_FALSE(Tree().HasFocus());
  band->SetSelectBandItem(1, -1, false);
  EXPECT_TRUE(Tree().HasFocus());
}

TEST_F(BandWndTest, UnusedBandVanishesAtTheNextLayoutAndTheOthersMoveUp) {
  band->SetSelectBandItem(0, -1, false);
  const Rect before = band->GetItemButton(2)->GetRectInParent();
  band->SetUsed(1, false);
  EXPECT_FALSE(band->GetUsed(1));
  // No layout yet.
  EXPECT_TRUE(band->GetItemButton(1)->IsVisibleFlag());
  EXPECT_EQ(band->GetItemButton(2)->GetRectInParent(), before);
  EXPECT_TRUE(LogHas("TYX_BandWnd::SetUsed(int iBandIndex, bool bUsed) 1 Used : 0 End"));
  band->UpdateScreen();
  EXPECT_FALSE(band->GetItemButton(1)->IsVisibleFlag());
  EXPECT_FALSE(Tree().IsVisibleFlag());
  // Up by the hidden band's 25-pixel button slot and its 54-pixel tree.
  Rect expected = before;
  expected.Offset(0, -(25 + 54));
  EXPECT_EQ(band->GetItemButton(2)->GetRectInParent(), expected);
  band->SetUsed(1, true);
  band->UpdateScreen();
  EXPECT_TRUE(band->GetItemButton(1)->IsVisibleFlag());
  EXPECT_TRUE(Tree().IsVisibleFlag());
  EXPECT_EQ(band->GetItemButton(2)->GetRectInParent(), before);
}

TEST_F(BandWndTest, ClickingABandButtonPostsItsSelectionEveryTime) {
  ASSERT_TRUE(band->GetItemButton(2)->Click());
  ASSERT_TRUE(PumpUntil([&] { return host.Of(WM_BAND_SELCHANGED).size() == 1; }, 2000));
  auto seen = host.Of(WM_BAND_SELCHANGED);
  EXPECT_EQ(seen[0].w, 2u + 16u);
  EXPECT_EQ(seen[0].l, 0);
  EXPECT_EQ(band->GetSelectedBandIndex(), 2);
  EXPECT_EQ(band->GetSelectedBandItemIndex(), -1);
  EXPECT_EQ(band->GetSelectedPageID(), "200000");
  EXPECT_EQ(band->GetSelectedPageTitle(), "현재재생목록");
  EXPECT_TRUE(band->GetItemButton(2)->GetSelected());
  EXPECT_FALSE(band->GetItemButton(0)->GetSelected());
  // The already selected band again: announced again.
  ASSERT_TRUE(band->GetItemButton(2)->Click());
  ASSERT_TRUE(PumpUntil([&] { return host.Of(WM_BAND_SELCHANGED).size() == 2; }, 2000));
  EXPECT_EQ(host.Of(WM_BAND_SELCHANGED)[1].w, 18u);
}

TEST_F(BandWndTest, SelectingABandFromCodeWithoutNotificationPostsNothing) {
  band->SetSelectBandItem(1, 1, false);
  band->SetSelectBandItem(0, -1, false);
  PumpMessages();
  EXPECT_TRUE(host.Of(WM_BAND_SELCHANGED).empty());
  EXPECT_EQ(band->GetSelectedPageID(), "000000");
  EXPECT_TRUE(band->GetItemButton(0)->GetSelected());
  // Every tree lost its selection.
  EXPECT_EQ(Tree().GetBandTreeCtrl().GetSelectedItem(), nullptr);
}

TEST_F(BandWndTest, ClickingANodeReportsTheBandAndTheNodeData) {
  band->SetSelectBandItem(0, -1, false);
  ASSERT_TRUE(Tree().GetBandTreeCtrl().ClickNode(Node(1)));
  ASSERT_TRUE(PumpUntil([&] { return !host.Of(WM_BAND_SELCHANGED).empty(); }, 2000));
  auto seen = host.Of(WM_BAND_SELCHANGED);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].w, 1u + 32u);
  EXPECT_EQ(seen[0].l, 1);
  EXPECT_EQ(band->GetSelectedBandIndex(), 1);
  EXPECT_EQ(band->GetSelectedBandItemIndex(), 1);
  EXPECT_EQ(band->GetSelectedPageID(), "100002");
  EXPECT_EQ(band->GetSelectedPageTitle(), "둘째 목록");
  for (int i = 0; i < band->GetCount(); ++i) EXPECT_FALSE(band->GetItemButton(i)->GetSelected());
}

TEST_F(BandWndTest, SelectingANodeFromCodeNotifiesOnlyWhenAsked) {
  band->SetSelectBandItem(1, 2, false);
  PumpMessages();
  EXPECT_TRUE(host.Of(WM_BAND_SELCHANGED).empty());
  EXPECT_EQ(Tree().GetBandTreeCtrl().GetSelectedItem(), Node(2));
  EXPECT_EQ(band->GetSelectedPageID(), "100003");
  band->SetSelectBandItem(1, 0, true);
  ASSERT_TRUE(PumpUntil([&] { return !host.Of(WM_BAND_SELCHANGED).empty(); }, 2000));
  auto seen = host.Of(WM_BAND_SELCHANGED);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].w, 33u);
  EXPECT_EQ(seen[0].l, 0);
  EXPECT_EQ(band->GetSelectedPageID(), "100001");
}

TEST_F(BandWndTest, SelectedNodeIsResolvedByItemDataNotPosition) {
  // Item data that differs from the position: the page read back is the node that was clicked.
  band->AddBandItem(kTreeImage, 2, 0, 0, 1, "A", 70, "100070", false);
  band->AddBandItem(kTreeImage, 2, 0, 0, 1, "B", 71, "100071", false);
  band->SetSelectBandItem(2, -1, false);
  TYX_BandTreeWnd* tree = band->GetBandTreeWnd(2);
  ASSERT_NE(tree, nullptr);
  ASSERT_TRUE(tree->GetBandTreeCtrl().ClickNode(tree->GetItemFromData(71)));
  ASSERT_TRUE(PumpUntil([&] { return !host.Of(WM_BAND_SELCHANGED).empty(); }, 2000));
  EXPECT_EQ(host.Of(WM_BAND_SELCHANGED)[0].w, 2u + 32u);
  EXPECT_EQ(band->GetSelectedPageID(), "100071");
  EXPECT_EQ(band->GetSelectedPageTitle(), "B");
}

TEST_F(BandWndTest, DroppingOnAButtonSendsTheBandsPageAndReleasesTheList) {
  band->SetSelectBandItem(0, -1, false);
  const std::size_t before = TYX::Controls::DragLiveCount();
  // A band without a tree and one with a tree: both give the band's own page ID.
  ASSERT_TRUE(band->GetItemButton(0)->DropFiles({"/m/a.mp3"}));
  ASSERT_TRUE(band->GetItemButton(1)->DropFiles({"/m/b.mp3", "/m/c.mp3"}));
  ASSERT_TRUE(PumpUntil([&] { return host.drops.size() == 2; }, 2000));
  EXPECT_EQ(host.drops[0].msg, WM_BAND_DROPFILES);
  EXPECT_EQ(host.drops[0].pageId, "000000");
  EXPECT_EQ(host.drops[0].files, std::vector<std::string>{"/m/a.mp3"});
  EXPECT_TRUE(host.drops[0].listAliveDuringSend);
  EXPECT_EQ(host.drops[1].pageId, "100000");
  EXPECT_EQ(host.drops[1].files.size(), 2u);
  EXPECT_EQ(host.dropWParams[1], 0u);
  EXPECT_EQ(TYX::Controls::DragLiveCount(), before);
}

TEST_F(BandWndTest, DroppingOnANodeSendsTheNodesPageAndReleasesTheList) {
  band->SetSelectBandItem(0, -1, false);
  const std::size_t before = TYX::Controls::DragLiveCount();
  ASSERT_TRUE(Tree().GetBandTreeCtrl().DropFilesOnNode(Node(2), {"/m/노래.ogg"}));
  ASSERT_EQ(host.drops.size(), 1u);
  EXPECT_EQ(host.drops[0].msg, WM_BAND_DROPFILES);
  EXPECT_EQ(host.drops[0].pageId, "100003");
  EXPECT_TRUE(host.drops[0].listAliveDuringSend);
  EXPECT_EQ(TYX::Controls::DragLiveCount(), before);
}

TEST_F(BandWndTest, AButtonDropForABandThatIsGoneIsReleasedWithoutANotice) {
  const std::size_t before = TYX::Controls::DragLiveCount();
  auto drop = TYX::Controls::DragCreateList({"/m/a.mp3"}, Point{});
  band->SendMessage(WM_BAND_BUTTON_DROPFILES, 256 + 40, reinterpret_cast<LPARAM>(drop));
  EXPECT_TRUE(host.drops.empty());
  EXPECT_EQ(TYX::Controls::DragLiveCount(), before);
}

TEST_F(BandWndTest, DropTargetingHighlightsOnlyTheHitButtonOrNode) {
  band->SetSelectBandItem(1, 0, false);
  TYX_BandTreeCtrl& ctrl = Tree().GetBandTreeCtrl();
  ASSERT_EQ(ctrl.GetSelectedItem(), Node(0));

  // Over the now-playing button.
  EXPECT_EQ(band->HitTestAndSelectDropTarget(true, ScreenCentre(*band->GetItemButton(2))), "200000");
  EXPECT_EQ(band->GetDropBand(), 2);
  EXPECT_TRUE(band->GetItemButton(2)->GetDropSelected());
  EXPECT_FALSE(band->GetItemButton(0)->GetDropSelected());
  EXPECT_TRUE(band->GetItemButton(0)->GetDropMode());
  EXPECT_EQ(ctrl.GetDropHilightItem(), nullptr);
  EXPECT_EQ(ctrl.GetSelectedItem(), nullptr);  // a tree that is not the target shows no selection
  EXPECT_EQ(band->GetItemButton(2)->ComputeDrawState(), TYX_BandButton::kSelected);
  EXPECT_EQ(band->GetItemButton(0)->ComputeDrawState(), TYX_BandButton::kNormal);

  // Over the third saved list.
  EXPECT_EQ(band->HitTestAndSelectDropTarget(true, NodeScreenPoint(2)), "100003");
  EXPECT_EQ(band->GetDropBand(), 1);
  EXPECT_EQ(ctrl.GetDropHilightItem(), Node(2));
  EXPECT_TRUE(Tree().GetDropSelected());
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(band->GetItemButton(i)->GetDropSelected());

  // Over nothing: every highlight goes, drop mode stays.
  EXPECT_EQ(band->HitTestAndSelectDropTarget(true, Point{5000, 5000}), "");
  EXPECT_EQ(ctrl.GetDropHilightItem(), nullptr);
  EXPECT_FALSE(Tree().GetDropSelected());

  // The drag ends: highlights gone, the tree selects its node again, quietly.
  band->HitTestAndSelectDropTarget(true, NodeScreenPoint(1));
  EXPECT_EQ(band->HitTestAndSelectDropTarget(false, Point{}), "");
  EXPECT_FALSE(band->GetDropMode());
  EXPECT_EQ(ctrl.GetDropHilightItem(), nullptr);
  EXPECT_EQ(ctrl.GetSelectedItem(), Node(0));
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(band->GetItemButton(i)->GetDropSelected());
    EXPECT_FALSE(band->GetItemButton(i)->GetDropMode());
  }
  PumpMessages();
  EXPECT_TRUE(host.Of(WM_BAND_SELCHANGED).empty());
}

TEST_F(BandWndTest, PageIdFromPointTellsButtonsFromNodes) {
  band->SetSelectBandItem(0, -1, false);
  std::string page = "unchanged";
  int hit = 99;
  ASSERT_TRUE(band->GetPageIDFromPoint(ScreenCentre(*band->GetItemButton(1)), page, hit));
  EXPECT_EQ(hit, 1);
  EXPECT_EQ(page, "");
  ASSERT_TRUE(band->GetPageIDFromPoint(NodeScreenPoint(1), page, hit));
  EXPECT_EQ(hit, -1);
  EXPECT_EQ(page, "100002");
  EXPECT_FALSE(band->GetPageIDFromPoint(Point{5000, 5000}, page, hit));
}

TEST_F(BandWndTest, ContextMenuRequestsAndForwardedMessagesReachTheHost) {
  band->SetSelectBandItem(0, -1, false);
  ASSERT_TRUE(Tree().GetBandTreeCtrl().RightClickNode(Node(1)));
  ASSERT_EQ(host.popups.size(), 1u);
  EXPECT_EQ(host.popups[0].pageId, "100002");
  EXPECT_EQ(Tree().GetBandTreeCtrl().GetSelectedItem(), Node(1));
  EXPECT_TRUE(Tree().GetBandTreeCtrl().GetWindowRect().Contains(host.popups[0].screenPoint));
  // The page announcement of the right click stops at the tree window.
  PumpMessages();
  EXPECT_TRUE(host.Of(WM_BAND_SELECTPAGE).empty());
  EXPECT_EQ(band->SendMessage(11124, 5, 6), 1011);
  EXPECT_EQ(band->SendMessage(11127, 1, 1), 0);  // the host does not handle it
}

TEST_F(BandWndTest, RemovingNodesAndBands) {
  EXPECT_EQ(band->DeleteBandItem(1, 1), 0);
  EXPECT_EQ(band->GetItemSize(1), 2);
  EXPECT_EQ(band->GetBandPageIDFromIndex(1, 1), "100003");
  EXPECT_TRUE(LogHas("TYX_BandWnd::DeleteBandItem(int iBandIndex, int iData) End"));
  EXPECT_EQ(band->RemoveBandItem(1), 2);
  EXPECT_EQ(band->GetItemSize(1), 0);
  EXPECT_EQ(Tree().GetBandTreeCtrl().GetCount(), 0u);
  EXPECT_TRUE(LogHas("TYX_BandWnd::RemoveBandItem(int iBandIndex : 1)"));
  band->SetSelectBandItem(0, -1, false);
  EXPECT_EQ(Tree().GetRectInParent().Height(), 0);

  HWND treeWnd = Tree().GetSafeHwnd();
  HWND button = band->GetItemButton(1)->GetSafeHwnd();
  band->RemoveItem(1);
  EXPECT_EQ(band->GetCount(), 2);
  EXPECT_FALSE(IsWindow(treeWnd));
  EXPECT_FALSE(IsWindow(button));
  EXPECT_EQ(band->GetItemParameter(1), 258u);
  // Destroying the band window takes every band with it.
  HWND other = band->GetItemButton(0)->GetSafeHwnd();
  band.reset();
  EXPECT_FALSE(IsWindow(other));
}

TEST_F(BandWndTest, HostWindowsTakeTheirControlIdAndAreOwned) {
  auto own = std::make_unique<TYX::Win::Window>();
  ASSERT_TRUE(own->Create(band->GetSafeHwnd(), Rect{}, WS_CHILD | WS_VISIBLE, 0));
  HWND ownHwnd = own->GetSafeHwnd();
  EXPECT_EQ(band->AddItem(259, std::move(own), 20107, "기기", "700000"), 3);
  EXPECT_EQ(band->GetItemWindow(3)->GetDlgCtrlID(), 512u + 3u);
  EXPECT_EQ(band->GetBandTreeWnd(3), nullptr);
  EXPECT_EQ(band->GetItemSize(3), 0);
  band->RemoveItem(3);
  EXPECT_FALSE(IsWindow(ownHwnd));
}

TEST_F(BandWndTest, AWindowMadeElsewhereBecomesTheBandWindowsChild) {
  auto own = std::make_unique<TYX::Win::Window>();
  ASSERT_TRUE(own->Create(nullptr, Rect{}, WS_VISIBLE, 0));
  HWND ownHwnd = own->GetSafeHwnd();
  EXPECT_EQ(band->AddItem(260, std::move(own), 20107, "기기", "700000"), 3);
  EXPECT_EQ(TYX::Win::GetParent(ownHwnd), band->GetSafeHwnd());
  // Owned from now on: the band window's end takes it along.
  band.reset();
  EXPECT_FALSE(IsWindow(ownHwnd));
}

TEST_F(BandWndTest, SetMessageIsRecordedAndTheBackgroundFollowsTheSize) {
  band->SetMessage(host.GetSafeHwnd(), 0x9000);
  EXPECT_EQ(band->GetNotifyWnd(), host.GetSafeHwnd());
  EXPECT_EQ(band->GetNotifyMsg(), 0x9000u);
  EXPECT_TRUE(LogHas("TYX_BandWnd::SetMessage(void)"));
  band->UpdateWindow();
  band->Invalidate();
  band->UpdateWindow();
  EXPECT_EQ(band->BackgroundBuilds(), 1);
  EXPECT_EQ(band->GetLastPaint().Items().front().color, 0xFFFFFFu);
  band->MoveWindow(Rect{0, 0, 250, 600});
  band->UpdateWindow();
  EXPECT_EQ(band->BackgroundBuilds(), 2);
}

TEST_F(BandWndTest, InsertingABandAboveTheSelectedOneKeepsTheSelection) {
  band->SetSelectBandItem(2, -1, false);
  EXPECT_EQ(band->InsertItem(256, nullptr, 0, 20105, "맨 위", "600000", ""), 0);
  EXPECT_EQ(band->GetCount(), 4);
  EXPECT_EQ(band->GetSelectedBandIndex(), 3);
  EXPECT_EQ(band->GetSelectedPageID(), "200000");
  // An index past the end appends.
  EXPECT_EQ(band->InsertItem(260, nullptr, 99, 20105, "끝", "900000", ""), 4);
  // A band inserted above the drop target during a drag keeps the target on the same band.
  band->UpdateScreen();
  EXPECT_EQ(band->HitTestAndSelectDropTarget(true, ScreenCentre(*band->GetItemButton(3))), "200000");
  EXPECT_EQ(band->GetDropBand(), 3);
  band->InsertItem(261, nullptr, 1, 20105, "둘째", "800000", "");
  EXPECT_EQ(band->GetDropBand(), 4);
  EXPECT_EQ(band->GetItem(band->GetDropBand())->pageId, "200000");
  band->HitTestAndSelectDropTarget(false, Point{});
}

TEST_F(BandWndTest, PositionsPastTheLastNodeGiveEmptyTexts) {
  band->AddBandItem(kTreeImage, 1, 0, 0, 1, "data -1", -1, "100099", false);
  EXPECT_EQ(band->GetBandPageIDFromIndex(1, 3), "100099");
  EXPECT_EQ(band->GetBandPageIDFromIndex(1, 4), "");
  EXPECT_EQ(band->GetBandTitleFromIndex(1, 4), "");
  EXPECT_EQ(band->GetBandTitleFromIndex(1, -1), "");
}

TEST_F(BandWndTest, RemovingTheSelectedBandLaysTheOthersOutAgain) {
  band->SetSelectBandItem(1, -1, false);
  const Rect slotOfBand1 = band->GetItemButton(1)->GetRectInParent();
  band->RemoveItem(1);
  ASSERT_EQ(band->GetCount(), 2);
  // Nothing is selected now, and the band that was below takes the removed band's place.
  EXPECT_EQ(band->GetSelectedBandIndex(), -1);
  EXPECT_EQ(band->GetSelectedPageID(), "");
  EXPECT_EQ(band->GetItemButton(1)->GetTitle(), "현재재생목록");
  EXPECT_EQ(band->GetItemButton(1)->GetRectInParent(), slotOfBand1);
  // Removing a band when the selected one was removed before still closes the gap.
  band->AddBandItem(kTreeImage, 0, 0, 0, 1, "노드", 0, "000001", false);
  band->UpdateScreen();
  const Rect below = band->GetItemButton(1)->GetRectInParent();
  band->RemoveItem(0);
  EXPECT_LT(band->GetItemButton(0)->GetRectInParent().top, below.top);
  EXPECT_EQ(band->GetItemButton(0)->GetRectInParent(), (Rect{2, 8, 240, 26}));
}

TEST_F(BandWndTest, AfterADragTheTreeShowsTheNodeThePersonClickedLast) {
  band->SetSelectBandItem(1, 0, false);
  TYX_BandTreeCtrl& ctrl = Tree().GetBandTreeCtrl();
  ASSERT_EQ(ctrl.GetSelectedItem(), Node(0));
  ASSERT_TRUE(ctrl.ClickNode(Node(2)));
  ASSERT_TRUE(PumpUntil([&] { return !host.Of(WM_BAND_SELCHANGED).empty(); }, 2000));
  EXPECT_EQ(band->GetSelectedPageID(), "100003");
  // A drag passes over another band and ends.
  band->HitTestAndSelectDropTarget(true, ScreenCentre(*band->GetItemButton(2)));
  EXPECT_EQ(ctrl.GetSelectedItem(), nullptr);
  band->HitTestAndSelectDropTarget(false, Point{});
  EXPECT_EQ(ctrl.GetSelectedItem(), Node(2));
  EXPECT_EQ(Tree().GetSelectedData(), 2);
  // A click in another band's tree clears this one, and the next drag's end leaves it clear.
  band->AddBandItem(kTreeImage, 2, 0, 0, 1, "노드", 5, "200005", false);
  band->UpdateScreen();  // the new tree gets its place
  TYX_BandTreeWnd* other = band->GetBandTreeWnd(2);
  ASSERT_NE(other, nullptr);
  ASSERT_TRUE(other->GetBandTreeCtrl().ClickNode(other->GetItemFromData(5)));
  ASSERT_TRUE(PumpUntil([&] { return host.Of(WM_BAND_SELCHANGED).size() == 2; }, 2000));
  band->HitTestAndSelectDropTarget(true, ScreenCentre(*band->GetItemButton(0)));
  band->HitTestAndSelectDropTarget(false, Point{});
  EXPECT_EQ(ctrl.GetSelectedItem(), nullptr);
  EXPECT_EQ(other->GetBandTreeCtrl().GetSelectedItem(), other->GetItemFromData(5));
}

TEST_F(BandWndTest, ASelectedChildNodeGivesItsOwnPageAndTitle) {
  TYX_BandTreeWnd& tree = Tree();
  HTREEITEM child = tree.AddChildNode(Node(1), 0, 1, "하위 목록", 40, "100040", false);
  ASSERT_NE(child, nullptr);
  band->SetSelectBandItem(1, 40, false);
  EXPECT_EQ(tree.GetBandTreeCtrl().GetSelectedItem(), child);
  EXPECT_EQ(band->GetSelectedPageID(), "100040");
  EXPECT_EQ(band->GetSelectedPageTitle(), "하위 목록");
  // Clicked by the person, the same.
  band->SetSelectBandItem(0, -1, false);
  tree.GetBandTreeCtrl().Expand(Node(1), TYX::Controls::TVE_EXPAND);
  ASSERT_TRUE(tree.GetBandTreeCtrl().ClickNode(child));
  ASSERT_TRUE(PumpUntil([&] { return !host.Of(WM_BAND_SELCHANGED).empty(); }, 2000));
  EXPECT_EQ(host.Of(WM_BAND_SELCHANGED)[0].l, 40);
  EXPECT_EQ(band->GetSelectedPageID(), "100040");
  EXPECT_EQ(band->GetSelectedPageTitle(), "하위 목록");
  // Once the child is deleted, the selection reads empty rather than another node's page.
  band->DeleteBandItem(1, 1);
  EXPECT_EQ(band->GetSelectedPageID(), "");
  EXPECT_EQ(band->GetSelectedPageTitle(), "");
}
