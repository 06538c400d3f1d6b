// The lyrics view (by path and by library index) and the sync-list notice with its steps.
#include <algorithm>

#include "helpers/scripted_user_agent.h"
#include "platform/os_services.h"
#include "tags/infor_dialog.h"
#include "tags/link_text.h"
#include "tags/rich_text_dialog.h"
#include "tags/tag_dialogs.h"
#include "tags_test_support.h"
#include "toolkit/check_box.h"
#include "toolkit/radio_button.h"

namespace TYX::Tags::Test {
namespace {

using namespace TYX::Win;
using Dialog::TYX_Dialog_Infor;
using Dialog::TYX_Dialog_RichText;
using TYX::Test::ScopedUserAgent;

class LyricDialogTest : public TagsTest {
 protected:
  struct Shown {
    std::string title, subject, content;
    Rect rect;
    std::vector<std::string> lines;
  };
  // Queues a look at the next lyrics view; it is closed at once.
  void Capture(ScopedUserAgent& agent, Shown& shown) {
    agent->OnNextModal([&shown](Window& w) {
      auto& d = static_cast<TYX_Dialog_RichText&>(w);
      shown.title = d.GetTitle();
      shown.subject = d.GetSubject();
      shown.content = d.GetContent();
      shown.lines = d.GetLines();
      shown.rect = d.GetWindowRect();
      EXPECT_TRUE(d.ClickButton(IDCANCEL));
    });
  }
};

TEST_F(LyricDialogTest, TheLyricsOfAFileAreShownUnderTheirSubjectLine) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const std::string path = Song("songs/night.mp3");
  Tag(path, [](TYX_Media& m) {
    m.SetTitle("Night");
    m.SetArtist("Neon");
    m.SetLyrics("first line\r\nsecond line\nthird");
  });
  Shown shown;
  Capture(agent, shown);
  EXPECT_EQ(Dialog::RunLyricDialog(nullptr, store_.get(), path), 1);
  EXPECT_EQ(shown.title, "가사보기");
  EXPECT_EQ(shown.subject, "Night - Neon");
  EXPECT_EQ(shown.lines, (std::vector<std::string>{"first line", "second line", "third"}));
  EXPECT_EQ(shown.rect.Width(), 400);
  EXPECT_EQ(shown.rect.Height(), 500);
  EXPECT_FALSE(watchdog.Fired());
}

TEST_F(LyricDialogTest, TheSubjectFallsBackToTheTitleAloneAndThenToTheFileName) {
  EXPECT_EQ(Dialog::LyricSubject("/a/b/song.mp3", "", "Neon"), "song.mp3");
  EXPECT_EQ(Dialog::LyricSubject("/a/b/song.mp3", "Title", ""), "Title");
  EXPECT_EQ(Dialog::LyricSubject("/a/b/song.mp3", "Title", "Artist"), "Title - Artist");
  // A lyric file beside an untagged song counts as its lyrics.
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const std::string path = Song("songs/plain.mp3");
  dir_.Write("songs/plain.lrc", "[00:01.00]la la");
  Shown shown;
  Capture(agent, shown);
  EXPECT_EQ(Dialog::RunLyricDialog(nullptr, store_.get(), path), 1);
  EXPECT_EQ(shown.subject, "plain.mp3");
  EXPECT_NE(shown.content.find("la la"), std::string::npos);
}

TEST_F(LyricDialogTest, ASongWithoutLyricsIsToldAndAFileThatCannotBeOpenedShowsNothing) {
  ScopedUserAgent agent;
  const std::string path = Song("songs/quiet.mp3");
  agent->ExpectMessageBox(IDOK, false, "가사가 존재하지 않습니다.");
  EXPECT_EQ(Dialog::RunLyricDialog(nullptr, store_.get(), path), 0);
  ASSERT_EQ(agent->Prompts().size(), 1u);
  EXPECT_EQ(agent->Prompts()[0].text, "가사가 존재하지 않습니다.");
  EXPECT_EQ(Dialog::RunLyricDialog(nullptr, store_.get(), dir_.File("none.mp3")), 0);
  EXPECT_EQ(Dialog::RunLyricDialog(nullptr, store_.get(), dir_.Write("bad.mp3", "junk")), 0);
  EXPECT_EQ(agent->Prompts().size(), 1u);
  EXPECT_EQ(agent->ModalCount(), 0);
}

TEST_F(LyricDialogTest, TheLibraryIndexFormLooksThePathUpAndShowsItsLyrics) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const std::string path = Song("songs/byindex.mp3");
  Tag(path, [](TYX_Media& m) {
    m.SetTitle("By index");
    m.SetLyrics("words");
  });
  const std::uint32_t index = Insert(path);
  Shown shown;
  Capture(agent, shown);
  EXPECT_EQ(Dialog::RunLyricDialog(nullptr, store_.get(), index), 1);
  EXPECT_EQ(shown.subject, "By index");
  EXPECT_EQ(shown.content, "words");
  // No index, an index without a song and a removed song show nothing.
  EXPECT_EQ(Dialog::RunLyricDialog(nullptr, store_.get(), 0xFFFFFFFFu), 0);
  EXPECT_EQ(Dialog::RunLyricDialog(nullptr, store_.get(), index + 7), 0);
  ASSERT_EQ(store_->GetLibrary()->RemoveItem(index), 0);
  EXPECT_EQ(Dialog::RunLyricDialog(nullptr, store_.get(), index), 0);
  EXPECT_EQ(agent->ModalCount(), 1);
  EXPECT_FALSE(watchdog.Fired());
}

TEST_F(LyricDialogTest, LongLyricsScrollByWholeLinesWithinTheText) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  std::string text;
  for (int i = 0; i < 60; ++i) text += "line " + std::to_string(i) + "\n";
  TYX_Dialog_RichText dlg;
  dlg.SetInitialRect(Rect{0, 0, 400, 500});
  dlg.SetContent(text);
  int visible = 0, top = -1, bottom = -1;
  std::vector<std::string> firstPaint, scrolledPaint;
  agent->OnNextModal([&](Window& w) {
    auto& d = static_cast<TYX_Dialog_RichText&>(w);
    visible = d.VisibleLineCount();
    d.UpdateWindow();
    firstPaint = d.GetLastPaint().Texts();
    top = d.ScrollLines(-5);
    d.SendMessage(WM_KEYDOWN, VK_DOWN, 0);
    d.PostMessage(WM_KEYDOWN, VK_DOWN, 0);
    bottom = d.ScrollLines(1000);
    d.UpdateWindow();
    scrolledPaint = d.GetLastPaint().Texts();
    d.EndDialog(IDCANCEL);
  });
  dlg.DoModal();
  ASSERT_GT(visible, 5);
  ASSERT_LT(visible, 60);
  EXPECT_EQ(top, 0);
  EXPECT_EQ(bottom, 60 - visible);
  auto has = [](const std::vector<std::string>& v, const std::string& t) { return std::find(v.begin(), v.end(), t) != v.end(); };
  EXPECT_TRUE(has(firstPaint, "line 0"));
  EXPECT_FALSE(has(firstPaint, "line 59"));
  EXPECT_TRUE(has(scrolledPaint, "line 59"));
  EXPECT_FALSE(has(scrolledPaint, "line 0"));
  EXPECT_FALSE(watchdog.Fired());
}

class InforDialogTest : public TagsTest {};

TEST_F(InforDialogTest, EachStepOpensWithItsHeightButtonsLinesAndControls) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  struct Expect {
    int step, height;
    UINT set;
    const char* firstLine;
    bool radios, check, link;
  };
  const Expect expects[] = {
      {44121, 223, 8009, "1. [내 기기에 담을 곡 목록]의 음악을 기기로 전송하는", true, false, false},
      {44122, 195, 8010, "기기를 연결하면, [내기기에 담을 곡 목록]의", false, false, false},
      {44123, 176, 8010, "내 PC의 음악을 [내 기기에 담을 곡 목록]에 추가하시면", false, false, false},
      {44124, 217, 8011, "[내 기기에 담을 곡 목록]의 음악을 기기에", false, true, true},
      {44125, 261, 8010, "[내 기기에 담을 곡 목록]의 음악이 자동으로", false, true, false},
  };
  for (const Expect& e : expects) {
    SCOPED_TRACE(e.step);
    TYX_Dialog_Infor dlg;
    dlg.SetStep(e.step);
    agent->OnNextModal([&](Window& w) {
      auto& d = static_cast<TYX_Dialog_Infor&>(w);
      EXPECT_EQ(d.GetTitle(), "안내");
      EXPECT_EQ(d.GetWindowRect().Width(), 384);
      EXPECT_EQ(d.GetWindowRect().Height(), e.height);
      EXPECT_EQ(d.GetButtonSet(), e.set);
      EXPECT_NE(d.GetDrawInfo().FindText(e.firstLine), nullptr);
      EXPECT_EQ(d.GetAutoRadio() != nullptr, e.radios);
      EXPECT_EQ(d.GetManualRadio() != nullptr, e.radios);
      EXPECT_EQ(d.GetCheckBox() != nullptr, e.check);
      EXPECT_EQ(d.GetHelpLink() != nullptr, e.link);
      d.EndDialog(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
  }
  EXPECT_EQ(TYX_Dialog_Infor::FindStep(44126), nullptr);
  // Without a configured host the help link goes to the default one.
  EXPECT_EQ(TYX_Dialog_Infor::HelpUrl(), std::string(TYX_Dialog_Infor::kDefaultHelpHost) + "/music/music_index3.jsp");
  EXPECT_FALSE(watchdog.Fired());
}

TEST_F(InforDialogTest, TheRadioButtonsChooseTheModeOnlyInTheChoosingStep) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  TYX_Dialog_Infor choose;
  choose.SetStep(TYX_Dialog_Infor::kStepChooseMode);
  agent->OnNextModal([&](Window& w) {
    auto& d = static_cast<TYX_Dialog_Infor&>(w);
    EXPECT_TRUE(d.GetAutoRadio()->GetCheck());
    EXPECT_TRUE(d.GetManualRadio()->Click());
    EXPECT_EQ(d.autoMode, 0);
    EXPECT_FALSE(d.GetAutoRadio()->GetCheck());
    EXPECT_TRUE(d.GetAutoRadio()->Click());
    EXPECT_EQ(d.autoMode, 1);
    EXPECT_FALSE(d.GetManualRadio()->GetCheck());
    EXPECT_TRUE(d.GetManualRadio()->Click());
    EXPECT_TRUE(d.ClickButton(IDOK));
  });
  EXPECT_EQ(choose.DoModal(), IDOK);
  EXPECT_EQ(choose.autoMode, 0);

  // The same commands reaching a dialog of another step change nothing.
  TYX_Dialog_Infor other;
  other.SetStep(TYX_Dialog_Infor::kStepAutoOn);
  other.autoMode = 1;
  agent->OnNextModal([&](Window& w) {
    w.SendMessage(WM_COMMAND, MAKEWPARAM(TYX_Dialog_Infor::kRadioManualId, BN_CLICKED), 0);
    static_cast<TYX_Dialog_Infor&>(w).EndDialog(IDOK);
  });
  other.DoModal();
  EXPECT_EQ(other.autoMode, 1);
  other.autoMode = 0;
  other.SetStep(TYX_Dialog_Infor::kStepSending);
  agent->OnNextModal([&](Window& w) {
    w.SendMessage(WM_COMMAND, MAKEWPARAM(TYX_Dialog_Infor::kRadioAutoId, BN_CLICKED), 0);
    static_cast<TYX_Dialog_Infor&>(w).EndDialog(IDOK);
  });
  other.DoModal();
  EXPECT_EQ(other.autoMode, 0);
  EXPECT_FALSE(watchdog.Fired());
}

TEST_F(InforDialogTest, TheCheckBoxAndTheHelpLink) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  TYX_INIT::Instance()->SetAttribute(TYX_Dialog_Infor::kHelpHostAttribute, "https://help.example.test/");
  Os::ClearOpenRequests();
  TYX_Dialog_Infor dlg;
  dlg.SetStep(TYX_Dialog_Infor::kStepAskSend);
  agent->OnNextModal([&](Window& w) {
    auto& d = static_cast<TYX_Dialog_Infor&>(w);
    EXPECT_TRUE(d.GetCheckBox()->Click());
    EXPECT_TRUE(d.dontShowAgain);
    EXPECT_TRUE(d.GetCheckBox()->Click());
    EXPECT_FALSE(d.dontShowAgain);
    EXPECT_TRUE(d.GetCheckBox()->Click());
    EXPECT_TRUE(d.GetHelpLink()->Click());
    EXPECT_TRUE(d.ClickButton(IDCANCEL));
  });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_TRUE(dlg.dontShowAgain);
  const auto opened = Os::GetOpenRequests();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].target, "https://help.example.test/music/music_index3.jsp");
  // A notice opened with the switch already on shows its box ticked.
  TYX_Dialog_Infor again;
  again.SetStep(TYX_Dialog_Infor::kStepSending);
  again.dontShowAgain = true;
  bool ticked = false;
  agent->OnNextModal([&](Window& w) {
    ticked = static_cast<TYX_Dialog_Infor&>(w).GetCheckBox()->GetCheck();
    static_cast<TYX_Dialog_Infor&>(w).EndDialog(IDOK);
  });
  again.DoModal();
  EXPECT_TRUE(ticked);
  EXPECT_FALSE(watchdog.Fired());
}

}  // namespace
}  // namespace TYX::Tags::Test
