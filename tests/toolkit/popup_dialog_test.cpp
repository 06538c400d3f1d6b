#include <gtest/gtest.h>

#include <algorithm>

#include "platform/messaging.h"
#include "helpers/scripted_user_agent.h"
#include "toolkit/dialog_template.h"
#include "toolkit/progress_bar.h"
#include "toolkit/skin_popup_dialog.h"
#include "toolkit/static_text.h"

using namespace TYX::Win;
using namespace TYX::Controls;
using TYX::Test::ScopedUserAgent;

namespace {

constexpr UINT kTemplate = 9301;

void RegisterTestTemplate() {
  TYX_DialogTemplate t;
  t.id = kTemplate;
  t.title = "진행";
  t.size = {300, 200};
  t.controls = {
      {TYX_ControlTemplate::Kind::Static, 5031, Rect{20, 40, 280, 52}, "메시지"},
      {TYX_ControlTemplate::Kind::Progress, 5033, Rect{20, 80, 280, 92}, ""},
      {TYX_ControlTemplate::Kind::Button, IDCANCEL, Rect{113, 150, 186, 172}, "취소"},
  };
  ASSERT_TRUE(RegisterDialogTemplate(t));
}

class CountingPopup : public TYX_Skin_PopupDialog {
 public:
  using TYX_Skin_PopupDialog::TYX_Skin_PopupDialog;
  BOOL OnInitDialog() override {
    TYX_Skin_PopupDialog::OnInitDialog();
    ++inits;
    return TRUE;
  }
  void OnOK() override {
    ++oks;
    TYX_Skin_PopupDialog::OnOK();
  }
  void OnCancel() override {
    ++cancels;
    if (refuseCancel) return;
    TYX_Skin_PopupDialog::OnCancel();
  }
  int inits = 0, oks = 0, cancels = 0;
  bool refuseCancel = false;
};

}  // namespace

TEST(PopupDialogTest, EscapeReachesTheCancelHandlerAndEndsWithTwo) {
  ScopedUserAgent agent;
  CountingPopup dlg;
  dlg.SetTitle("폴더 추가");
  dlg.SetTitleIcon(20253);
  ASSERT_TRUE(dlg.SetButtonSet(TYX_Skin_Popup::kButtonSetOkCancel));
  agent->OnNextModal([](Window& w) { w.PostMessage(WM_KEYDOWN, VK_ESCAPE, 0); });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(dlg.inits, 1);
  EXPECT_EQ(dlg.cancels, 1);
  EXPECT_EQ(dlg.oks, 0);
  EXPECT_FALSE(dlg.IsAlive());
}

TEST(PopupDialogTest, OkButtonOfTheButtonSetEndsWithOne) {
  ScopedUserAgent agent;
  CountingPopup dlg;
  dlg.SetTitle("폴더 추가");
  dlg.SetTitleIcon(20253);
  dlg.SetWindowSize(360, 180);
  ASSERT_TRUE(dlg.SetButtonSet(TYX_Skin_Popup::kButtonSetOkCancel));
  std::vector<std::string> captions;
  Rect okRect, cancelRect;
  std::vector<std::string> painted;
  bool iconPainted = false;
  agent->OnNextModal([&](Window& w) {
    auto& popup = static_cast<CountingPopup&>(w);
    for (auto* b : popup.GetFrameButtons()) captions.push_back(b->GetCaption());
    okRect = popup.GetFrameButton(IDOK)->GetRectInParent();
    cancelRect = popup.GetFrameButton(IDCANCEL)->GetRectInParent();
    popup.UpdateWindow();
    painted = popup.GetLastPaint().Texts();
    iconPainted = popup.GetLastPaint().HasImage(20253);
    EXPECT_TRUE(popup.ClickButton(IDOK));
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.oks, 1);
  EXPECT_EQ(captions, (std::vector<std::string>{"확인", "취소"}));
  // Two 73-pixel buttons with a 6-pixel gap, centred, 15 pixels above the bottom edge.
  EXPECT_EQ(okRect, (Rect{104, 143, 177, 165}));
  EXPECT_EQ(cancelRect, (Rect{183, 143, 256, 165}));
  ASSERT_FALSE(painted.empty());
  EXPECT_EQ(painted.front(), "폴더 추가");
  EXPECT_TRUE(iconPainted);
}

TEST(PopupDialogTest, ReturnWithoutAnOkButtonDoesNotCloseTheDialog) {
  ScopedUserAgent agent;
  CountingPopup dlg;
  ASSERT_TRUE(dlg.SetButtonSet(TYX_Skin_Popup::kButtonSetCancel));
  int idle = 0;
  agent->OnNextModal([](Window& w) { w.PostMessage(WM_KEYDOWN, VK_RETURN, 0); });
  agent->SetIdleAction([&](Window& w) {
    // Once the Return key has been handled, the person closes the popup with its close box.
    if (++idle == 1) {
      auto& popup = static_cast<CountingPopup&>(w);
      auto* aux = dynamic_cast<TYX_SkinButton*>(popup.GetAuxWindow());
      ASSERT_NE(aux, nullptr);
      aux->Click();
    }
  });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(dlg.oks, 0);
  EXPECT_EQ(dlg.cancels, 1);
}

TEST(PopupDialogTest, ReturnPressesTheOkButtonOnlyWhileThePersonCouldPressIt) {
  ScopedUserAgent agent;
  CountingPopup dlg;
  ASSERT_TRUE(dlg.SetButtonSet(TYX_Skin_Popup::kButtonSetOkCancel));
  int step = 0;
  int oksWhileDisabled = -1, oksWhileHidden = -1;
  agent->OnNextModal([&](Window& w) {
    auto& popup = static_cast<CountingPopup&>(w);
    popup.GetFrameButton(IDOK)->EnableWindow(false);
    w.PostMessage(WM_KEYDOWN, VK_RETURN, 0);
  });
  agent->SetIdleAction([&](Window& w) {
    auto& popup = static_cast<CountingPopup&>(w);
    if (step == 0) {
      // A disabled OK button: Return does nothing.
      oksWhileDisabled = popup.oks;
      popup.GetFrameButton(IDOK)->EnableWindow(true);
      popup.GetFrameButton(IDOK)->ShowWindow(SW_HIDE);
      w.PostMessage(WM_KEYDOWN, VK_RETURN, 0);
      step = 1;
    } else if (step == 1) {
      // A hidden one: nothing either.
      oksWhileHidden = popup.oks;
      popup.GetFrameButton(IDOK)->ShowWindow(SW_SHOW);
      w.PostMessage(WM_KEYDOWN, VK_RETURN, 0);
      step = 2;
    }
  });
  // Visible and enabled: Return is OK.
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(step, 2);
  EXPECT_EQ(oksWhileDisabled, 0);
  EXPECT_EQ(oksWhileHidden, 0);
  EXPECT_EQ(dlg.oks, 1);
  EXPECT_EQ(dlg.cancels, 0);
}

TEST(PopupDialogTest, TheDialogsOwnDrawingIsPaintedOverTheFrameInOrderUntilCleared) {
  ScopedUserAgent agent;
  CountingPopup dlg;
  dlg.SetTitle("곡 정보");
  dlg.SetWindowSize(300, 200);
  ASSERT_TRUE(dlg.SetButtonSet(TYX_Skin_Popup::kButtonSetClose));
  const Font bold = DefaultFont(12, true);
  std::vector<DrawItem> painted;
  std::vector<std::string> textsAfterClear;
  bool imageAfterClear = true;
  agent->OnNextModal([&](Window& w) {
    auto& popup = static_cast<CountingPopup&>(w);
    popup.AddDrawFill(Rect{10, 40, 290, 60}, 0xF9F3EE);
    popup.AddDrawText(Rect{12, 42, 200, 58}, "폴더명", bold, 0x663A3A);
    popup.AddDrawImage(20427, Rect{10, 70, 290, 80});
    // Each addition asks for a paint; the person sees all three on top of the frame.
    popup.UpdateWindow();
    painted = popup.GetLastPaint().Items();
    popup.ClearDrawInfo();
    popup.UpdateWindow();
    textsAfterClear = popup.GetLastPaint().Texts();
    imageAfterClear = popup.GetLastPaint().HasImage(20427);
    popup.EndDialog(IDOK);
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  ASSERT_GE(painted.size(), 4u);
  // The frame (its background first, the title among it) comes before the dialog's own items.
  EXPECT_EQ(painted.front().kind, DrawItem::Kind::FillRect);
  EXPECT_EQ(painted.front().color, 0xFFFFFFu);
  const std::size_t n = painted.size();
  EXPECT_EQ(painted[n - 3].kind, DrawItem::Kind::FillRect);
  EXPECT_EQ(painted[n - 3].rect, (Rect{10, 40, 290, 60}));
  EXPECT_EQ(painted[n - 3].color, 0xF9F3EEu);
  EXPECT_EQ(painted[n - 2].kind, DrawItem::Kind::Text);
  EXPECT_EQ(painted[n - 2].text, "폴더명");
  EXPECT_EQ(painted[n - 2].font, bold);
  EXPECT_EQ(painted[n - 2].color, 0x663A3Au);
  EXPECT_EQ(painted[n - 2].rect, (Rect{12, 42, 200, 58}));
  EXPECT_EQ(painted[n - 1].kind, DrawItem::Kind::Image);
  EXPECT_EQ(painted[n - 1].imageId, 20427u);
  EXPECT_EQ(painted[n - 1].rect, (Rect{10, 70, 290, 80}));
  // After clearing, only the frame's own texts remain.
  EXPECT_EQ(std::count(textsAfterClear.begin(), textsAfterClear.end(), "폴더명"), 0);
  EXPECT_FALSE(std::find(textsAfterClear.begin(), textsAfterClear.end(), "곡 정보") == textsAfterClear.end());
  EXPECT_FALSE(imageAfterClear);
}

TEST(PopupDialogTest, CancelRefusedKeepsTheDialogOpenUntilTheNextPress) {
  ScopedUserAgent agent;
  CountingPopup dlg;
  dlg.refuseCancel = true;
  ASSERT_TRUE(dlg.SetButtonSet(TYX_Skin_Popup::kButtonSetCancel));
  agent->OnNextModal([&](Window& w) { w.PostMessage(WM_KEYDOWN, VK_ESCAPE, 0); });
  agent->SetIdleAction([&](Window& w) {
    auto& popup = static_cast<CountingPopup&>(w);
    if (popup.cancels == 1) {
      EXPECT_TRUE(popup.IsAlive());
      popup.refuseCancel = false;
      popup.ClickButton(IDCANCEL);
    }
  });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(dlg.cancels, 2);
}

TEST(PopupDialogTest, TemplateControlsAreBuiltAndCanBeReplacedAndTheAuxWindowHidden) {
  RegisterTestTemplate();
  ScopedUserAgent agent;
  CountingPopup dlg(kTemplate);
  dlg.SetHasCloseBox(true);
  std::string message;
  int range = 0;
  bool replaced = false, auxHidden = false;
  agent->OnNextModal([&](Window& w) {
    auto& popup = static_cast<CountingPopup&>(w);
    EXPECT_EQ(popup.GetWindowText(), "진행");
    EXPECT_EQ(popup.GetClientRect(), (Rect{0, 0, 300, 200}));
    auto* text = popup.GetControl<TYX_StaticText>(5031);
    ASSERT_NE(text, nullptr);
    message = text->GetText();
    auto* bar = popup.GetControl<TYX_ProgressBar>(5033);
    ASSERT_NE(bar, nullptr);
    range = bar->GetUpper();
    auto* button = popup.ReplaceControl<TYX_SkinButton>(IDCANCEL);
    ASSERT_NE(button, nullptr);
    replaced = button->GetCaption() == "취소" && button->GetRectInParent() == (Rect{113, 150, 186, 172});
    ASSERT_NE(popup.GetAuxWindow(), nullptr);
    popup.GetAuxWindow()->ShowWindow(SW_HIDE);
    auxHidden = !popup.GetAuxWindow()->IsWindowVisible();
    button->SetCaptionMargin(5, 5);
    EXPECT_TRUE(popup.ClickButton(IDCANCEL));
  });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(message, "메시지");
  EXPECT_EQ(range, 100);
  EXPECT_TRUE(replaced);
  EXPECT_TRUE(auxHidden);
  EXPECT_FALSE(dlg.SetButtonSet(4242));
  EXPECT_FALSE(RegisterDialogTemplate(TYX_DialogTemplate{}));
}

TEST(PopupDialogTest, CenteringUsesTheOwnerOrTheDesktop) {
  Window owner;
  ASSERT_TRUE(owner.Create(nullptr, Rect{100, 100, 700, 500}, WS_POPUP | WS_VISIBLE));
  TYX_Skin_PopupDialog dlg(0, owner.GetSafeHwnd());
  dlg.SetWindowSize(200, 100);
  dlg.CenterWindow();
  EXPECT_EQ(dlg.GetInitialRect(), (Rect{300, 250, 500, 350}));
  TYX_Skin_PopupDialog lone;
  lone.SetWindowSize(280, 24);
  lone.CenterWindow();
  EXPECT_EQ(lone.GetInitialRect(), (Rect{500, 500, 780, 524}));
}

TEST(PopupDialogTest, TheFrameFollowsSizeChangesEvenWithADerivedSizeHandler) {
  ScopedUserAgent agent;
  CountingPopup dlg;
  int sizes = 0;
  dlg.OnMessage(WM_SIZE, [&](WPARAM, LPARAM) -> LRESULT {
    ++sizes;
    return 0;
  });
  ASSERT_TRUE(dlg.SetButtonSet(TYX_Skin_Popup::kButtonSetClose));
  Rect closeRect, auxRect;
  agent->OnNextModal([&](Window& w) {
    auto& popup = static_cast<CountingPopup&>(w);
    popup.SetWindowSize(494, 222);
    closeRect = popup.GetFrameButton(IDCANCEL)->GetRectInParent();
    auxRect = popup.GetAuxWindow()->GetRectInParent();
    popup.EndDialog(IDOK);
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(sizes, 2);  // creation and the change
  EXPECT_EQ(closeRect, (Rect{210, 185, 283, 207}));
  EXPECT_EQ(auxRect, (Rect{468, 7, 484, 23}));
}
