#include <gtest/gtest.h>

#include "platform/messaging.h"
#include "helpers/scripted_user_agent.h"
#include "toolkit/contents_footer.h"
#include "toolkit/menu.h"
#include "toolkit/menu_xp.h"
#include "toolkit/message_box.h"
#include "toolkit/splitter_control.h"

using namespace TYX::Win;
using namespace TYX::Controls;
using TYX::Test::ScopedUserAgent;

namespace {

// An owner window that hands its menus to the owner-drawn look, as the library panel does.
class MenuOwner : public Window {
 public:
  MenuOwner() {
    OnMessage(WM_INITMENUPOPUP, [this](WPARAM w, LPARAM) -> LRESULT {
      ++inits;
      TYX_MenuXP::OnInitMenuPopup(GetSafeHwnd(), reinterpret_cast<TYX_Menu*>(w));
      return 0;
    });
    OnMessage(WM_MEASUREITEM, [this](WPARAM, LPARAM l) -> LRESULT {
      ++measures;
      return TYX_MenuXP::OnMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(l)) ? TRUE : FALSE;
    });
    OnMessage(WM_DRAWITEM, [this](WPARAM, LPARAM l) -> LRESULT {
      ++draws;
      return TYX_MenuXP::OnDrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(l)) ? TRUE : FALSE;
    });
    OnMessage(WM_COMMAND, [this](WPARAM w, LPARAM) -> LRESULT {
      commands.push_back(LOWORD(w));
      return 0;
    });
    Create(nullptr, Rect{0, 0, 500, 400}, WS_POPUP | WS_VISIBLE);
  }
  int inits = 0, measures = 0, draws = 0;
  std::vector<UINT> commands;
};

TYX_Menu TransferredSongsMenu(bool allDimmed) {
  TYX_Menu menu;
  menu.CreatePopupMenu();
  menu.AppendMenu(MF_STRING, 1025, "듣기");
  menu.AppendMenu(MF_STRING, 1014, "전송");
  menu.AppendMenu(MF_SEPARATOR);
  menu.AppendMenu(MF_STRING, 1024, "삭제");
  if (allDimmed) {
    menu.EnableMenuItem(1025, MF_BYCOMMAND | MF_GRAYED);
    menu.EnableMenuItem(1014, MF_BYCOMMAND | MF_GRAYED);
  }
  return menu;
}

}  // namespace

TEST(MessageBoxTest, GoesThroughTheUserAgentWithOwnerTextCaptionAndType) {
  ScopedUserAgent agent;
  Window owner;
  ASSERT_TRUE(owner.Create(nullptr, Rect{0, 0, 10, 10}, WS_POPUP));
  agent->ExpectMessageBox(IDOK, false, "선택한 곡이 없습니다.");
  EXPECT_EQ(TYX_MessageBox::Show(owner.GetSafeHwnd(), "선택한 곡이 없습니다."), IDOK);
  agent->ExpectMessageBox(IDCANCEL);
  EXPECT_EQ(TYX_MessageBox::Show(owner.GetSafeHwnd(), "파일을 추가하는 작업을 중단하시겠습니까?", "작업 중단", MB_OKCANCEL),
            IDCANCEL);
  ASSERT_EQ(agent->Prompts().size(), 2u);
  EXPECT_EQ(agent->Prompts()[1].caption, "작업 중단");
  EXPECT_EQ(agent->Prompts()[1].type, MB_OKCANCEL);

  bool dontAsk = false;
  agent->ExpectMessageBox(IDYES, true);
  EXPECT_EQ(TYX_MessageBox::Show(owner.GetSafeHwnd(), "설정하시겠습니까?", "Auto Tagging", MB_YESNO,
                                 "다음부터 이 창 띄우지 않음", dontAsk),
            IDYES);
  EXPECT_TRUE(dontAsk);
  EXPECT_EQ(agent->Prompts()[2].checkBoxText, "다음부터 이 창 띄우지 않음");
  EXPECT_TRUE(agent->AllAnswersUsed());
}

TEST(MessageBoxTest, AnAnswerThatIsNotOfferedBecomesTheDefaultButton) {
  ScopedUserAgent agent;
  agent->ExpectMessageBox(IDRETRY);
  EXPECT_EQ(TYX_MessageBox::Show(nullptr, "계속할까요?", "", MB_YESNO | MB_DEFBUTTON2), IDNO);
}

TEST(MenuTest, GreyedItemsReachTheAgentGreyedAndCannotBeChosen) {
  MenuOwner owner;
  TYX_Menu menu = TransferredSongsMenu(true);
  {
    ScopedUserAgent agent;
    agent->ExpectMenu(1024);
    EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD, 10, 20, owner.GetSafeHwnd()), 1024u);
    ASSERT_EQ(agent->Prompts().size(), 1u);
    const auto& items = agent->Prompts()[0].menuItems;
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(agent->Prompts()[0].text, "듣기|전송||삭제");
    EXPECT_TRUE(items[0].grayed);
    EXPECT_TRUE(items[1].grayed);
    EXPECT_EQ(items[2].command, 0u);
    EXPECT_FALSE(items[3].grayed);
    EXPECT_EQ(menu.GetMenuState(1025, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    EXPECT_TRUE(owner.commands.empty());  // the return-command option posts nothing
  }
  // A person (or agent) that picks the greyed item anyway, or an item the menu lacks, gets nothing.
  class Stubborn : public HeadlessUserAgent {
   public:
    explicit Stubborn(UINT pick) : pick_(pick) { SetQuiet(true); }
    UINT ChoosePopupMenu(const PopupMenuRequest&) override { return pick_; }

   private:
    UINT pick_;
  };
  SetUserAgent(std::make_shared<Stubborn>(1014));
  EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD, 10, 20, owner.GetSafeHwnd()), 0u);
  SetUserAgent(std::make_shared<Stubborn>(4242));
  EXPECT_EQ(menu.TrackPopupMenu(0, 10, 20, owner.GetSafeHwnd()), 0u);
  SetUserAgent(nullptr);
  PumpMessages();
  EXPECT_TRUE(owner.commands.empty());
}

TEST(MenuTest, WithoutReturnCommandTheChoiceIsPostedToTheOwner) {
  ScopedUserAgent agent;
  MenuOwner owner;
  TYX_Menu menu = TransferredSongsMenu(false);
  agent->ExpectMenu(1025);
  EXPECT_NE(menu.TrackPopupMenu(TPM_LEFTALIGN, 0, 0, owner.GetSafeHwnd()), 0u);
  EXPECT_TRUE(owner.commands.empty());  // posted, not sent
  PumpMessages();
  EXPECT_EQ(owner.commands, std::vector<UINT>{1025});
  agent->ExpectMenu(0);
  EXPECT_EQ(menu.TrackPopupMenu(TPM_LEFTALIGN, 0, 0, owner.GetSafeHwnd()), 0u);
  // An uncreated menu or a dead owner shows nothing.
  TYX_Menu none;
  EXPECT_FALSE(none.AppendMenu(MF_STRING, 1, "x"));
  EXPECT_EQ(none.TrackPopupMenu(TPM_RETURNCMD, 0, 0, owner.GetSafeHwnd()), 0u);
  owner.DestroyWindow();
  EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD, 0, 0, owner.GetSafeHwnd()), 0u);
  EXPECT_EQ(agent->Prompts().size(), 2u);
}

TEST(MenuXPTest, TheOwnerDrawnLookMeasuresAndDrawsEveryItem) {
  ScopedUserAgent agent;
  MenuOwner owner;
  TYX_Menu plain = TransferredSongsMenu(true);
  agent->ExpectMenu(0);
  plain.TrackPopupMenu(TPM_RETURNCMD, 0, 0, owner.GetSafeHwnd());
  EXPECT_EQ(owner.inits, 1);
  EXPECT_EQ(owner.measures, 0);  // without the look nothing is owner-drawn
  EXPECT_TRUE(plain.GetLastDrawing().Empty());

  TYX_MenuXP::SetXPLookNFeel(owner.GetSafeHwnd());
  EXPECT_TRUE(TYX_MenuXP::GetXPLookNFeel(owner.GetSafeHwnd()));
  TYX_Menu menu = TransferredSongsMenu(true);
  agent->ExpectMenu(0);
  menu.TrackPopupMenu(TPM_RETURNCMD, 0, 0, owner.GetSafeHwnd());
  EXPECT_EQ(owner.measures, 4);
  EXPECT_EQ(owner.draws, 4);
  const auto& drawing = menu.GetLastDrawing();
  EXPECT_EQ(drawing.Texts(), (std::vector<std::string>{"듣기", "전송", "삭제"}));
  EXPECT_EQ(drawing.FindText("듣기")->color, TYX_MenuXP::kGrayedColor);
  EXPECT_EQ(drawing.FindText("삭제")->color, TYX_MenuXP::kTextColor);
  // Items are stacked: two 22-pixel items, the 5-pixel separator, then the third item.
  EXPECT_EQ(drawing.FindText("삭제")->rect.top, 49);
  TYX_MenuXP::SetXPLookNFeel(owner.GetSafeHwnd(), false);
}

TEST(MenuXPTest, ItemsItDoesNotOwnAreLeftToTheDefaultHandling) {
  MEASUREITEMSTRUCT button;
  button.CtlType = ODT_BUTTON;
  button.itemData = 1;
  EXPECT_FALSE(TYX_MenuXP::OnMeasureItem(&button));
  DRAWITEMSTRUCT noData;
  noData.CtlType = ODT_MENU;
  EXPECT_FALSE(TYX_MenuXP::OnDrawItem(&noData));
  EXPECT_FALSE(TYX_MenuXP::OnMeasureItem(nullptr));
}

TEST(MenuXPTest, MenuCharFollowsTheMnemonics) {
  TYX_Menu menu;
  menu.CreatePopupMenu();
  menu.AppendMenu(MF_STRING, 1, "&Play");
  menu.AppendMenu(MF_STRING, 2, "&Delete");
  menu.AppendMenu(MF_STRING, 3, "&Download");
  menu.AppendMenu(MF_STRING | MF_GRAYED, 4, "&Transfer");
  menu.AppendMenu(MF_STRING, 5, "Save && &quit");
  EXPECT_EQ(TYX_MenuXP::OnMenuChar('p', 0, &menu), MAKELPARAM(0, MNC_EXECUTE));
  EXPECT_EQ(TYX_MenuXP::OnMenuChar('D', 0, &menu), MAKELPARAM(1, MNC_SELECT));
  EXPECT_EQ(TYX_MenuXP::OnMenuChar('t', 0, &menu), MAKELPARAM(0, MNC_IGNORE));
  EXPECT_EQ(TYX_MenuXP::OnMenuChar('q', 0, &menu), MAKELPARAM(4, MNC_EXECUTE));
  EXPECT_EQ(TYX_MenuXP::DisplayText("Save && &quit"), "Save & quit");
}

TEST(SplitterTest, DragNotifiesTheParentWithTheDistanceInsideTheRange) {
  Window parent;
  std::vector<int> deltas;
  std::vector<UINT> ids;
  parent.OnNotify(5339, SPN_SIZED, [&](NMHDR* hdr) -> LRESULT {
    ids.push_back(hdr->idFrom);
    deltas.push_back(reinterpret_cast<SPC_NMHDR*>(hdr)->delta);
    return 0;
  });
  ASSERT_TRUE(parent.Create(nullptr, Rect{0, 0, 600, 600}, WS_POPUP | WS_VISIBLE));
  TYX_SplitterControl splitter;
  ASSERT_TRUE(splitter.CreateSplitter(parent.GetSafeHwnd(), Rect{0, 100, 600, 105}, 5339,
                                      TYX_SplitterControl::Orientation::Horizontal));
  EXPECT_FALSE(splitter.SetRange(300, 200));
  ASSERT_TRUE(splitter.SetRange(80, 447));
  EXPECT_EQ(splitter.DragBy(50), 50);
  EXPECT_EQ(splitter.GetPosition(), 150);
  EXPECT_EQ(splitter.DragBy(1000), 297);  // stops at the bottom of the range
  EXPECT_EQ(splitter.DragBy(0), 0);
  EXPECT_EQ(splitter.DragTo(0), -367);
  EXPECT_EQ(splitter.DragBy(-5), 0);  // already at the top: nothing moves, nobody is told
  EXPECT_EQ(deltas, (std::vector<int>{50, 297, -367}));
  EXPECT_EQ(ids, (std::vector<UINT>{5339, 5339, 5339}));

  // The mouse: press on the bar, release 20 pixels lower.
  splitter.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(Point{10, 2}));
  splitter.SendMessage(WM_LBUTTONUP, 0, PointToLParam(Point{10, 22}));
  EXPECT_EQ(deltas.back(), 20);
  EXPECT_EQ(splitter.GetRectInParent(), (Rect{0, 100, 600, 105}));

  splitter.ShowWindow(SW_HIDE);
  EXPECT_EQ(splitter.DragBy(10), 0);
  EXPECT_EQ(deltas.size(), 4u);
}

TEST(FooterTest, KeepsThePageInfoAndTheShowMode) {
  Window host;
  ASSERT_TRUE(host.Create(nullptr, Rect{0, 0, 800, 30}, WS_POPUP | WS_VISIBLE));
  TYX::Contents::TYX_ContentsFooter footer;
  ASSERT_TRUE(footer.CreateFooter(host.GetSafeHwnd(), Rect{0, 0, 800, 30}, 7));
  footer.SetMusicPageInfo(2, 10, 7864320, 41943040);
  EXPECT_EQ(footer.GetSelectedCount(), 2);
  EXPECT_EQ(footer.GetListedBytes(), 41943040u);
  EXPECT_EQ(footer.InfoText(), "선택 2곡 (7.5MB) / 전체 10곡 (40.0MB)");
  footer.SetShowMode(2);
  EXPECT_EQ(footer.GetShowMode(), 2);
  footer.UpdateWindow();
  EXPECT_NE(footer.GetLastPaint().FindText("선택 2곡 / 전체 10곡"), nullptr);
  EXPECT_EQ(TYX::Contents::TYX_ContentsFooter::SizeText(1048576), "1024.0KB");
  EXPECT_EQ(TYX::Contents::TYX_ContentsFooter::SizeText(1048577), "1.0MB");
}
