#include "library/panel_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/html_view.h"
#include "library/library_panel_fixture.h"
#include "platform/messaging.h"
#include "toolkit/check_box.h"
#include "toolkit/splitter_control.h"
#include "toolkit/static_text.h"
#include "util/init.h"
#include "util/log.h"

namespace TYX::Library::Test {
namespace {

class PanelLayoutTest : public PanelTest {
 protected:
  TYX_PanelLayout& Layout() { return panel_.Layout(); }
};

// Restores a configuration attribute at the end of a test.
class AttributeGuard {
 public:
  AttributeGuard(const std::string& name, const std::string& value) : name_(name) {
    auto* init = Util::TYX_INIT::Instance();
    had_ = init->HasAttribute(name);
    old_ = init->GetAttributeStr(name);
    init->SetAttribute(name, value);
  }
  ~AttributeGuard() {
    auto* init = Util::TYX_INIT::Instance();
    if (had_) {
      init->SetAttribute(name_, old_);
    } else {
      init->RemoveAttribute(name_);
    }
  }

 private:
  std::string name_;
  std::string old_;
  bool had_ = false;
};

bool EndsWith(const std::string& line, const std::string& text) {
  return line.size() >= text.size() + 1 && line.compare(line.size() - text.size(), text.size(), text) == 0 &&
         line[line.size() - text.size() - 1] == ' ';
}

TEST_F(PanelLayoutTest, CreationRunsInItsOrderWithItsLogTextsAndTellsTheMainWindow) {
  int created = 0;
  Win::Window mainWnd;
  mainWnd.OnMessage(WM_LIBRARY_PANEL_CREATED, [&](Win::WPARAM w, Win::LPARAM l) {
    if (w == 0 && l == 0) ++created;
    return Win::LRESULT{0};
  });
  ASSERT_TRUE(mainWnd.Create(nullptr, Win::Rect{0, 0, 900, 700}, Win::WS_POPUP));
  TYX_LibraryPanel panel;
  panel.SetMainWnd(mainWnd.GetSafeHwnd());
  panel.SetLibraryManager(store_.get());
  ASSERT_TRUE(panel.CreatePanel(mainWnd.GetSafeHwnd(), Win::Rect{0, 0, 800, 600}, 100));

  const std::vector<std::string> expected = {
      "TYX_LibraryPanel::OnCreate()",
      "TYX_NowPlayingList 생성",
      "TYX_OldPlayingList 생성",
      "TYX_LibraryPanel::OnCreate, InitSplitterBar",
      "TYX_LibraryPanel::OnCreate, LoadBGBmp",
      "TYX_LibraryPanel::OnCreate, 버튼초기화",
      "TYX_LibraryPanel::CreateHtmlButton",
      "TYX_LibraryPanel::CreateHtmlButton End",
      "TYX_LibraryPanel::OnCreate, 버튼",
      "TYX_LibraryPanel::OnCreate, 리스트초기화",
      "TYX_LibraryPanel::OnCreate, 검색창 생성",
      "TYX_LibraryPanel::OnCreate() End",
  };
  const std::vector<std::string> lines = Util::TYX_Log::Instance()->RecentEntries();
  std::size_t start = lines.size();
  for (std::size_t i = lines.size(); i > 0; --i) {
    if (EndsWith(lines[i - 1], expected[0])) {
      start = i - 1;
      break;
    }
  }
  ASSERT_LT(start, lines.size());
  std::size_t at = start;
  for (const std::string& text : expected) {
    while (at < lines.size() && !EndsWith(lines[at], text)) ++at;
    ASSERT_LT(at, lines.size()) << "missing or out of order: " << text;
    ++at;
  }

  // What was made: the HTML view in the top band, the hidden splitter, the search window, the lists.
  TYX_HTMLView* view = panel.GetHtmlView();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->GetDlgCtrlID(), 6001u);
  EXPECT_EQ(view->GetMessageTarget(), panel.GetSafeHwnd());
  EXPECT_EQ(view->GetRectInParent(), panel.GetTopBandRect());
  ASSERT_NE(panel.Layout().GetSplitter(), nullptr);
  EXPECT_FALSE(panel.Layout().GetSplitter()->IsVisibleFlag());
  EXPECT_NE(panel.GetSearchWnd(), nullptr);
  for (int i = 0; i < LIST_COUNT; ++i) EXPECT_NE(panel.GetListCtrl(static_cast<PanelList>(i)), nullptr);
  for (int i = 0; i < kToolbarButtonCount; ++i) ASSERT_NE(panel.GetToolbarButton(i), nullptr);

  ASSERT_TRUE(Win::PumpUntil([&] { return created > 0; }, 5000));
  EXPECT_EQ(created, 1);
}

TEST_F(PanelLayoutTest, TheSyncListMakesTheTopBand80HighAndTheLibrary30) {
  panel_.Refresh(kPageSyncList);
  EXPECT_EQ(panel_.GetTopBandRect(), (Win::Rect{0, 0, 800, 80}));
  EXPECT_EQ(panel_.GetListAreaRect().top, 80);
  EXPECT_EQ(panel_.GetToolbarButton(0)->GetRectInParent().top, 56);
  panel_.Refresh(kPageLibrary);
  EXPECT_EQ(panel_.GetTopBandRect(), (Win::Rect{0, 0, 800, 30}));
  EXPECT_EQ(panel_.GetListAreaRect().top, 30);
  EXPECT_EQ(panel_.GetToolbarButton(0)->GetRectInParent().top, 6);
  // Buttons 0 to 3 sit at fixed x; 5 at the right edge, 4 six pixels left of it.
  EXPECT_EQ(panel_.GetToolbarButton(0)->GetRectInParent().left, 5);
  EXPECT_EQ(panel_.GetToolbarButton(3)->GetRectInParent().left, 170);
  const Win::Rect five = panel_.GetToolbarButton(5)->GetRectInParent();
  EXPECT_EQ(five.right, 800 - 6);
  EXPECT_EQ(panel_.GetToolbarButton(4)->GetRectInParent().right, five.left - 6);

  // A new size lays out again and moves the HTML view to the top band.
  panel_.MoveWindow(Win::Rect{0, 0, 700, 500});
  EXPECT_EQ(Layout().GetClientWidth(), 700);
  EXPECT_EQ(Layout().GetClientHeight(), 500);
  EXPECT_EQ(panel_.GetHtmlView()->GetRectInParent(), (Win::Rect{0, 0, 700, 30}));
  EXPECT_EQ(panel_.GetListCtrl(LIST_LIBRARY)->GetRectInParent(), (Win::Rect{0, 30, 700, 500}));
}

TEST_F(PanelLayoutTest, TheSplitterMovesTheSearchStripAndTheLists) {
  Controls::TYX_SplitterControl* splitter = Layout().GetSplitter();
  ASSERT_NE(splitter, nullptr);
  EXPECT_EQ(splitter->GetDlgCtrlID(), kSplitterId);
  EXPECT_EQ(splitter->GetOrientation(), Controls::TYX_SplitterControl::Orientation::Horizontal);
  EXPECT_EQ(splitter->GetMinPos(), 600 - 250);
  EXPECT_EQ(splitter->GetMaxPos(), 600 - 153);

  const Win::Rect search = Layout().GetSearchRect();
  const Win::Rect split = Layout().GetSplitterRect();
  const Win::Rect list = panel_.GetListCtrl(LIST_NOWPLAYING)->GetRectInParent();
  Controls::SPC_NMHDR note;
  note.hdr.hwndFrom = splitter->GetSafeHwnd();
  note.hdr.idFrom = kSplitterId;
  note.hdr.code = Controls::SPN_SIZED;
  note.delta = 12;
  panel_.SendMessage(Win::WM_NOTIFY, kSplitterId, Win::RecordToLParam(&note.hdr));
  EXPECT_EQ(Layout().GetSearchRect().bottom, search.bottom + 12);
  // The strip itself grows with it: no gap opens between it and the lists.
  EXPECT_EQ(panel_.GetSearchWnd()->GetRectInParent(), Layout().GetSearchRect());
  EXPECT_EQ(Layout().GetSplitterRect().top, split.top + 12);
  const Win::Rect moved = panel_.GetListCtrl(LIST_NOWPLAYING)->GetRectInParent();
  EXPECT_EQ(moved.top, list.top + 12);
  EXPECT_EQ(moved.bottom, list.bottom);
}

TEST_F(PanelLayoutTest, FourFontsOfOneFace) {
  EXPECT_EQ(Layout().GetFont(TYX_PanelLayout::FONT_12_BOLD), (Win::Font{"돋움", 12, true}));
  EXPECT_EQ(Layout().GetFont(TYX_PanelLayout::FONT_12), (Win::Font{"돋움", 12, false}));
  EXPECT_EQ(Layout().GetFont(TYX_PanelLayout::FONT_11), (Win::Font{"돋움", 11, false}));
  EXPECT_EQ(Layout().GetFont(TYX_PanelLayout::FONT_14), (Win::Font{"돋움", 14, false}));
}

TEST_F(PanelLayoutTest, PaintingFillsWhiteDrawsTheSyncBackgroundAndTheToolbarLine) {
  auto paint = [this] {
    panel_.Invalidate();
    panel_.UpdateWindow();
    return panel_.GetLastPaint();
  };
  Win::DisplayList library = paint();
  ASSERT_FALSE(library.Items().empty());
  EXPECT_EQ(library.Items()[0].kind, Win::DrawItem::Kind::FillRect);
  EXPECT_EQ(library.Items()[0].rect, panel_.GetClientRect());
  EXPECT_EQ(library.Items()[0].color, 0xFFFFFFu);
  EXPECT_FALSE(library.HasImage(TYX_PanelLayout::kSyncBackgroundImage));
  const Win::DrawItem& line = library.Items().back();
  EXPECT_EQ(line.kind, Win::DrawItem::Kind::Line);
  EXPECT_EQ(line.color, 0xD5D5D5u);
  EXPECT_EQ(line.from, (Win::Point{0, 0}));  // 6 above the buttons at 6
  EXPECT_EQ(line.to, (Win::Point{800, 0}));

  panel_.Refresh(kPageSyncList);
  Win::DisplayList sync = paint();
  EXPECT_TRUE(sync.HasImage(TYX_PanelLayout::kSyncBackgroundImage));
  EXPECT_EQ(sync.Items().back().from.y, 50);
}

TEST_F(PanelLayoutTest, TheSyncAreaHintAndCheckBoxShowWithTheSyncList) {
  Controls::TYX_CheckBox* check = Layout().GetSyncCheckBox();
  ASSERT_NE(check, nullptr);
  EXPECT_EQ(check->GetDlgCtrlID(), kSyncAutoCheckId);
  EXPECT_EQ(check->GetRectInParent().left, 17);
  EXPECT_EQ(check->GetRectInParent().top, 33);
  EXPECT_EQ(check->GetWindowText(), "기기 연결과 동시에 아래 곡 목록을 자동 전송");
  EXPECT_EQ(check->GetTextColor(), 0x6B6056u);
  EXPECT_EQ(check->GetDisabledTextColor(), 0xADADADu);
  EXPECT_FALSE(check->GetCheck());
  ASSERT_NE(Layout().GetSyncHint(), nullptr);
  EXPECT_EQ(Layout().GetSyncHint()->GetWindowText(),
            "보관함 또는 내 PC의 음악파일을 \"내 기기에 담을 곡 목록\"에 추가할 수 있습니다.");
  EXPECT_FALSE(check->IsVisibleFlag());
  panel_.Refresh(kPageSyncList);
  EXPECT_TRUE(check->IsVisibleFlag());
  EXPECT_TRUE(Layout().GetSyncHint()->IsVisibleFlag());
  panel_.Refresh(kPageLibrary);
  EXPECT_FALSE(check->IsVisibleFlag());
  EXPECT_FALSE(Layout().GetSyncHint()->IsVisibleFlag());
}

TEST_F(PanelLayoutTest, AutomaticTransferSettingChecksTheBoxAndSetsTheLoadFunction) {
  {
    AttributeGuard on("SyncAutoStart", "1");
    TYX_LibraryPanel panel;
    panel.SetLibraryManager(store_.get());
    ASSERT_TRUE(panel.CreatePanel(host_.GetSafeHwnd(), Win::Rect{0, 0, 800, 600}, 101));
    EXPECT_TRUE(panel.Layout().GetSyncCheckBox()->GetCheck());
    EXPECT_EQ(panel.GetHtmlView()->GetLoadScriptFunction(), "");
    panel.Refresh(kPageSyncList);
    EXPECT_EQ(panel.GetHtmlView()->GetLoadScriptFunction(), "check2");
  }
  {
    AttributeGuard off("SyncAutoStart", "0");
    panel_.Refresh(kPageSyncList);
    EXPECT_EQ(panel_.GetHtmlView()->GetLoadScriptFunction(), "");
    EXPECT_FALSE(Layout().GetSyncCheckBox()->GetCheck());
  }
  {
    AttributeGuard text("SyncAutoStart", "TRUE");
    panel_.Refresh(kPageSyncList);
    EXPECT_EQ(panel_.GetHtmlView()->GetLoadScriptFunction(), "check2");
  }
}

TEST_F(PanelLayoutTest, FinalEndsTheNowPlayingStateTheViewAndTheLists) {
  ASSERT_NE(panel_.GetNowPlayList(), nullptr);
  panel_.Final();
  EXPECT_EQ(panel_.GetNowPlayList(), nullptr);
  EXPECT_EQ(panel_.GetHtmlView(), nullptr);
  EXPECT_EQ(panel_.GetDlgItem(kHtmlViewId), nullptr);
  for (int i = 0; i < LIST_COUNT; ++i) EXPECT_EQ(panel_.GetListCtrl(static_cast<PanelList>(i)), nullptr);
  EXPECT_EQ(panel_.GetCurrentListCtrl(), nullptr);
  EXPECT_EQ(panel_.GetDlgItem(kListCtrlId), nullptr);
  EXPECT_EQ(panel_.Refresh(kPageLibrary), Win::E_FAIL);
  // The window's own end after Final finds nothing left to end.
  EXPECT_TRUE(panel_.DestroyWindow());
}

}  // namespace
}  // namespace TYX::Library::Test
