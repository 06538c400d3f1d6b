#include <gtest/gtest.h>

#include <vector>

#include "toolkit/check_box.h"
#include "toolkit/combo_box.h"
#include "toolkit/edit.h"
#include "toolkit/progress_bar.h"
#include "toolkit/radio_button.h"
#include "toolkit/skin_button.h"
#include "toolkit/static_text.h"

using namespace TYX::Win;
using namespace TYX::Controls;

namespace {

// A parent window that records every WM_COMMAND it receives.
class Recorder : public Window {
 public:
  struct Command {
    UINT id;
    UINT code;
    HWND from;
  };
  Recorder() {
    OnMessage(WM_COMMAND, [this](WPARAM w, LPARAM l) -> LRESULT {
      commands.push_back({LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l)});
      return 0;
    });
    Create(nullptr, Rect{0, 0, 400, 300}, WS_POPUP | WS_VISIBLE);
  }
  std::vector<Command> commands;
};

}  // namespace

TEST(SkinButtonTest, ClickSendsBnClickedOnlyWhenEnabledAndVisible) {
  Recorder parent;
  TYX_SkinButton button;
  ASSERT_TRUE(button.CreateSkinButton(parent.GetSafeHwnd(), Rect{10, 10, 83, 32}, 1036, "삭제"));
  EXPECT_TRUE(button.Click());
  ASSERT_EQ(parent.commands.size(), 1u);
  EXPECT_EQ(parent.commands[0].id, 1036u);
  EXPECT_EQ(parent.commands[0].code, BN_CLICKED);
  EXPECT_EQ(parent.commands[0].from, button.GetSafeHwnd());

  button.EnableWindow(false);
  EXPECT_EQ(button.GetState(), TYX_SkinButton::State::Disabled);
  EXPECT_FALSE(button.Click());
  button.SendMessage(BM_CLICK);
  button.EnableWindow(true);
  button.ShowWindow(SW_HIDE);
  EXPECT_FALSE(button.Click());
  EXPECT_EQ(parent.commands.size(), 1u);

  // Mouse press and release over the button is a click too.
  button.ShowWindow(SW_SHOW);
  button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, 0);
  EXPECT_EQ(button.GetState(), TYX_SkinButton::State::Pressed);
  button.SendMessage(WM_LBUTTONUP, 0, 0);
  EXPECT_EQ(parent.commands.size(), 2u);
  EXPECT_EQ(button.GetState(), TYX_SkinButton::State::Hover);
}

TEST(SkinButtonTest, CaptionIsDrawnBetweenItsMarginsOverTheStateImage) {
  Recorder parent;
  TYX_SkinButton button;
  ASSERT_TRUE(button.CreateSkinButton(parent.GetSafeHwnd(), Rect{0, 0, 73, 22}, 2, "취소"));
  button.SetBitmaps(301, 302, 303, 304);
  button.SetCaptionMargin(5, 5);
  button.SetCaption("닫기");
  button.UpdateWindow();
  const DrawItem* text = button.GetLastPaint().FindText("닫기");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->rect, (Rect{5, 0, 68, 22}));
  EXPECT_TRUE(button.GetLastPaint().HasImage(301));
  button.EnableWindow(false);
  button.UpdateWindow();
  EXPECT_TRUE(button.GetLastPaint().HasImage(304));
  EXPECT_EQ(button.GetLastPaint().FindText("닫기")->color, 0xADADADu);
  button.SetCaptionMargin(-3, 200);
  EXPECT_EQ(button.GetCaptionMarginLeft(), 0);
  button.UpdateWindow();
  EXPECT_EQ(button.GetLastPaint().FindText("닫기")->rect.Width(), 0);
}

TEST(ProgressBarTest, RangeAndPositionByCallAndByMessage) {
  Recorder parent;
  TYX_ProgressBar bar;
  ASSERT_TRUE(bar.CreateProgress(parent.GetSafeHwnd(), Rect{0, 0, 200, 10}, 5033));
  EXPECT_EQ(bar.GetLower(), 0);
  EXPECT_EQ(bar.GetUpper(), 100);
  EXPECT_EQ(bar.SetPos(40), 0);
  EXPECT_EQ(bar.SetPos(400), 40);
  EXPECT_EQ(bar.GetPos(), 100);
  EXPECT_TRUE(bar.SetRange32(0, 50));
  EXPECT_EQ(bar.GetPos(), 50);
  EXPECT_FALSE(bar.SetRange32(10, 10));
  EXPECT_EQ(bar.GetUpper(), 50);

  bar.SendMessage(PBM_SETRANGE32, 0, 1000);
  bar.SendMessage(PBM_SETPOS, 250, 0);
  EXPECT_EQ(bar.SendMessage(PBM_GETPOS), 250);
  int range[2] = {-1, -1};
  EXPECT_EQ(bar.SendMessage(PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(range)), 0);
  EXPECT_EQ(range[1], 1000);
  EXPECT_EQ(bar.SendMessage(PBM_GETRANGE, FALSE, 0), 1000);
  bar.SetStep(300);
  bar.StepIt();
  bar.StepIt();
  bar.StepIt();
  EXPECT_EQ(bar.GetPos(), 150);  // 1150 starts over from the bottom with the overshoot
  bar.OffsetPos(-500);
  EXPECT_EQ(bar.GetPos(), 0);

  bar.SetPos(500);
  bar.UpdateWindow();
  const auto& items = bar.GetLastPaint().Items();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1].rect, (Rect{0, 0, 100, 10}));
}

TEST(CheckBoxTest, ClickFlipsThenNotifiesAndSetCheckIsQuiet) {
  Recorder parent;
  TYX_CheckBox box;
  ASSERT_TRUE(box.CreateCheckBox(parent.GetSafeHwnd(), Rect{17, 33, 300, 50}, 43456, "자동 전송"));
  bool stateSeenByParent = false;
  parent.OnCommandCode(43456, BN_CLICKED, [&] { stateSeenByParent = box.GetCheck(); });
  EXPECT_TRUE(box.Click());
  EXPECT_TRUE(box.GetCheck());
  EXPECT_TRUE(stateSeenByParent);
  box.SetCheck(false);
  EXPECT_EQ(box.SendMessage(BM_GETCHECK), BST_UNCHECKED);
  box.SendMessage(BM_SETCHECK, BST_CHECKED);
  EXPECT_TRUE(box.GetCheck());
  box.EnableWindow(false);
  EXPECT_FALSE(box.Click());
  EXPECT_TRUE(box.GetCheck());
  box.SetTextColors(0x6B6056, 0xADADAD);
  box.UpdateWindow();
  EXPECT_EQ(box.GetLastPaint().FindText("자동 전송")->color, 0xADADADu);
}

TEST(RadioButtonTest, ClickClearsTheOthersOfItsGroupOnly) {
  Recorder parent;
  TYX_RadioButton autoMode, handMode, other;
  ASSERT_TRUE(autoMode.CreateRadio(parent.GetSafeHwnd(), Rect{0, 0, 100, 20}, 43440, "자동", 1));
  ASSERT_TRUE(handMode.CreateRadio(parent.GetSafeHwnd(), Rect{0, 20, 100, 40}, 43441, "수동", 1));
  ASSERT_TRUE(other.CreateRadio(parent.GetSafeHwnd(), Rect{0, 40, 100, 60}, 43442, "다른", 2));
  other.SetCheck(true);
  EXPECT_TRUE(autoMode.Click());
  EXPECT_TRUE(autoMode.GetCheck());
  EXPECT_TRUE(handMode.Click());
  EXPECT_FALSE(autoMode.GetCheck());
  EXPECT_TRUE(handMode.GetCheck());
  EXPECT_TRUE(other.GetCheck());
  EXPECT_TRUE(handMode.Click());  // still checked
  EXPECT_TRUE(handMode.GetCheck());
  ASSERT_EQ(parent.commands.size(), 3u);
  EXPECT_EQ(parent.commands[1].id, 43441u);
}

TEST(EditTest, TextChangesNotifyAndTheLimitKeepsWholeCharacters) {
  Recorder parent;
  TYX_Edit edit;
  ASSERT_TRUE(edit.CreateEdit(parent.GetSafeHwnd(), Rect{0, 0, 282, 19}, 1001, "새 폴더"));
  EXPECT_TRUE(parent.commands.empty());
  EXPECT_TRUE(edit.TypeText("음악"));
  ASSERT_EQ(parent.commands.size(), 1u);
  EXPECT_EQ(parent.commands[0].code, EN_CHANGE);
  edit.SetText("음악");  // unchanged text: no notification
  EXPECT_EQ(parent.commands.size(), 1u);
  edit.SetLimitText(7);
  EXPECT_TRUE(edit.AppendText("폴더"));
  EXPECT_EQ(edit.GetText(), "음악");  // "음악폴" would need 9 bytes; "음악" + 1 byte would split a character
  edit.SetLimitText(0);
  edit.SetReadOnly(true);
  EXPECT_FALSE(edit.TypeText("x"));
  edit.SetText("코드");
  EXPECT_EQ(edit.GetText(), "코드");
  EXPECT_EQ(edit.ChangeCount(), 2);
}

TEST(ComboBoxTest, PersonSelectionNotifiesAndCodeSelectionIsQuiet) {
  Recorder parent;
  TYX_ComboBox combo;
  ASSERT_TRUE(combo.CreateCombo(parent.GetSafeHwnd(), Rect{0, 0, 120, 20}, 10001));
  EXPECT_EQ(combo.AddString("전체"), 0);
  EXPECT_EQ(combo.AddString("Rock"), 1);
  EXPECT_EQ(combo.InsertString(1, "Ballad"), 1);
  EXPECT_EQ(combo.InsertString(9, "x"), CB_ERR);
  EXPECT_EQ(combo.GetCurSel(), -1);
  EXPECT_EQ(combo.SetCurSel(0), 0);
  EXPECT_TRUE(parent.commands.empty());

  int selSeen = -2;
  parent.OnCommandCode(10001, CBN_SELCHANGE, [&] { selSeen = combo.GetCurSel(); });
  EXPECT_TRUE(combo.SelectItemByText("Rock"));
  EXPECT_EQ(selSeen, 2);
  selSeen = -2;
  EXPECT_TRUE(combo.SelectItem(2));  // already chosen: nothing changes, nobody is told
  EXPECT_EQ(selSeen, -2);
  EXPECT_FALSE(combo.SelectItem(3));
  EXPECT_EQ(combo.GetCurSel(), 2);

  EXPECT_EQ(combo.DeleteString(0), 2);
  EXPECT_EQ(combo.GetCurSel(), 1);
  EXPECT_EQ(combo.GetSelectedText(), "Rock");
  EXPECT_EQ(combo.SendMessage(CB_GETCOUNT), 2);
  EXPECT_EQ(combo.SendMessage(CB_SETCURSEL, static_cast<WPARAM>(-1)), CB_ERR);
  EXPECT_EQ(combo.GetCurSel(), -1);
  combo.UpdateWindow();
  EXPECT_TRUE(combo.GetLastPaint().Texts().empty());
}

TEST(StaticTextTest, DrawsItsTextWithColourFontAndBackground) {
  Recorder parent;
  TYX_StaticText label;
  ASSERT_TRUE(label.CreateStatic(parent.GetSafeHwnd(), Rect{22, 90, 222, 102}, 5032, "기기전송"));
  label.SetTextColor(0x663A3A);
  label.SetTextFont(DefaultFont(12, true));
  label.SetBackground(0xEFE4DC);
  label.UpdateWindow();
  const auto& items = label.GetLastPaint().Items();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].color, 0xEFE4DCu);
  EXPECT_EQ(items[1].text, "기기전송");
  EXPECT_EQ(items[1].color, 0x663A3Au);
  EXPECT_TRUE(items[1].font.bold);
}
