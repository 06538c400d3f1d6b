// The add-files popup driven as a person would: a run to the end, the stop question answered both ways,
// a failing run, and a window thread that cannot answer while the worker runs.
#include <algorithm>

#include "helpers/scripted_user_agent.h"
#include "import/add_files_popup.h"
#include "import_test_support.h"
#include "platform/user_agent.h"

namespace TYX::Library::Test {
namespace {

using namespace TYX::Win;
using TYX::Test::ScopedUserAgent;
using TYX::Test::ScriptedUserAgent;
using Popup = TYX_Library_AddFilesPopup;
using Outcome = TYX_Library_AddFilesImpl::Outcome;

// A scripted agent that lets the held insert go as soon as the stop question is shown, so the worker
// reaches its pause while the person reads the question.
class ReleasingAgent : public ScriptedUserAgent {
 public:
  explicit ReleasingAgent(GatedManager& gate) : gate_(gate) {}
  MessageBoxAnswer ShowMessageBox(const MessageBoxRequest& request) override {
    gate_.Release();
    return ScriptedUserAgent::ShowMessageBox(request);
  }

 private:
  GatedManager& gate_;
};

class AddFilesPopupTest : public ImportTest {
 protected:
  std::vector<std::string> Songs(const std::string& folder, int n) {
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i) out.push_back(Song(folder + "/s" + std::to_string(i) + ".mp3"));
    return out;
  }
  static std::vector<std::string> PathsOf(const std::vector<Popup::tagPathItem>& items) {
    std::vector<std::string> out;
    for (const auto& i : items) out.push_back(i.path);
    return out;
  }
};

TEST_F(AddFilesPopupTest, ARunToTheEndShowsCountsAndPercentAndHandsOnEveryItemInOrder) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  std::vector<std::string> files = Songs("run", 3);
  files.push_back(Path("run/missing.mp3"));
  Popup popup;
  ASSERT_EQ(popup.SetFromFileList(store_.get(), files, ADDTYPE_FILES, 5), S_OK);
  EXPECT_EQ(popup.GetTitle(), "파일 추가 중");
  EXPECT_EQ(popup.GetTitleIcon(), 20253u);
  std::vector<std::string> firstLook;
  agent->OnNextModal([&](Window& w) {
    w.Invalidate();
    w.UpdateWindow();
    firstLook = w.GetLastPaint().Texts();
  });
  EXPECT_EQ(popup.DoModal(), IDOK);
  EXPECT_FALSE(watchdog.Fired());
  // Before the worker started nothing was processed: 0 of 0 and "0 %".
  EXPECT_NE(std::find(firstLook.begin(), firstLook.end(), "0 %"), firstLook.end());
  EXPECT_NE(std::find(firstLook.begin(), firstLook.end(), "(전체 : 0 of 0)"), firstLook.end());

  EXPECT_EQ(PathsOf(popup.GetCollectedItems()), files);
  EXPECT_EQ(popup.GetCollectedItems()[3].status, kAddStatusMissing);
  EXPECT_EQ(popup.GetInfo().added, 3);
  EXPECT_EQ(popup.GetInfo().failed, 1);
  EXPECT_EQ(LiveSongs(), 3u);
  // The last picture: the last file's name, the counts in their colours, all of 4 done.
  popup.UpdateWindow();
  const DisplayList& paint = popup.GetLastPaint();
  EXPECT_NE(paint.FindText("파일명: missing.mp3"), nullptr);
  EXPECT_NE(paint.FindText("(전체 : 4 of 4)"), nullptr);
  EXPECT_NE(paint.FindText("100 %"), nullptr);
  EXPECT_NE(paint.FindText("선택하신 파일(들)을 추가중입니다."), nullptr);
  const DrawItem* added = paint.FindText("3");
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added->color, 0xFF0000u);
  const DrawItem* failed = paint.FindText("1");
  ASSERT_NE(failed, nullptr);
  EXPECT_EQ(failed->color, 0x0000FFu);
}

TEST_F(AddFilesPopupTest, CancellingTheStopQuestionResumesWhereTheRunPaused) {
  GatedManager gate(*store_);
  gate.WakeOnReach(GetCurrentThreadId());
  gate.HoldAt(2);
  auto agent = std::make_shared<ReleasingAgent>(gate);
  SetUserAgent(agent);
  ModalWatchdog watchdog;
  const std::vector<std::string> files = Songs("resume", 5);
  Popup popup;
  ASSERT_EQ(popup.SetFromFileList(&gate, files, ADDTYPE_FILES, 0), S_OK);
  agent->ExpectMessageBox(IDCANCEL, false, "파일을 추가하는 작업을 중단하시겠습니까?");
  bool clicked = false;
  std::string shownWhileHeld;
  agent->SetIdleAction([&](Window& w) {
    auto& p = static_cast<Popup&>(w);
    // The first file's report is shown while the second is held.
    if (clicked || !gate.Reached().IsSet() || p.GetInfo().processed < 1) return;
    clicked = true;
    w.Invalidate();
    w.UpdateWindow();
    if (const DrawItem* t = w.GetLastPaint().FindText("(전체 : 1 of 5)")) shownWhileHeld = t->text;
    EXPECT_TRUE(p.ClickButton(IDCANCEL));
  });
  EXPECT_EQ(popup.DoModal(), IDOK);
  SetUserAgent(nullptr);
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_TRUE(clicked);
  EXPECT_EQ(shownWhileHeld, "(전체 : 1 of 5)");
  ASSERT_EQ(agent->Prompts().size(), 1u);
  EXPECT_EQ(agent->Prompts()[0].caption, "작업 중단");
  EXPECT_EQ(agent->Prompts()[0].type & 0xF, MB_OKCANCEL);
  // Every file once, in order.
  EXPECT_EQ(PathsOf(popup.GetCollectedItems()), files);
  EXPECT_EQ(gate.Inserts(), 5);
  EXPECT_EQ(LiveSongs(), 5u);
  EXPECT_EQ(popup.GetWorker().GetOutcome(), Outcome::Completed);
}

TEST_F(AddFilesPopupTest, ConfirmingTheStopQuestionEndsTheRunWithWhatWasDone) {
  GatedManager gate(*store_);
  gate.WakeOnReach(GetCurrentThreadId());
  gate.HoldAt(2);
  auto agent = std::make_shared<ReleasingAgent>(gate);
  SetUserAgent(agent);
  ModalWatchdog watchdog;
  const std::vector<std::string> files = Songs("stop", 8);
  Popup popup;
  ASSERT_EQ(popup.SetFromFileList(&gate, files, ADDTYPE_FILES, 0), S_OK);
  agent->ExpectMessageBox(IDOK);
  bool clicked = false;
  agent->SetIdleAction([&](Window& w) {
    if (clicked || !gate.Reached().IsSet()) return;
    clicked = true;
    w.PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);  // Escape asks the same question
  });
  EXPECT_EQ(popup.DoModal(), IDOK);
  SetUserAgent(nullptr);
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(popup.GetWorker().GetOutcome(), Outcome::Stopped);
  const auto& items = popup.GetCollectedItems();
  ASSERT_GE(items.size(), 2u);
  EXPECT_LT(items.size(), files.size());
  // What the popup hands on is exactly what reached the library.
  EXPECT_EQ(LiveSongs(), items.size());
  for (const auto& i : items) EXPECT_EQ(Library()->FindItem(i.path), i.libraryIndex) << i.path;
}

TEST_F(AddFilesPopupTest, AFailureInsideTheWorkerClosesThePopupWithCancel) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  GatedManager gate(*store_);
  gate.ThrowAt(2);
  const std::vector<std::string> files = Songs("boom", 3);
  Popup popup;
  ASSERT_EQ(popup.SetFromFileList(&gate, files, ADDTYPE_FILES, 0), S_OK);
  EXPECT_EQ(popup.DoModal(), IDCANCEL);
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(popup.GetWorker().GetOutcome(), Outcome::Failed);
  EXPECT_EQ(PathsOf(popup.GetCollectedItems()), std::vector<std::string>{files[0]});
}

TEST_F(AddFilesPopupTest, ItemsWhoseReportsWereGivenUpStillReachTheCaller) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  GatedManager gate(*store_);
  gate.WakeOnReach(GetCurrentThreadId());
  gate.HoldAt(1);
  const std::vector<std::string> files = Songs("hung", 5);
  Popup popup;
  ASSERT_EQ(popup.SetFromFileList(&gate, files, ADDTYPE_FILES, 0), S_OK);
  const DWORD oldThreshold = SetHungThresholdMs(1);
  bool held = false;
  agent->SetIdleAction([&](Window&) {
    if (held || !gate.Reached().IsSet()) return;
    held = true;
    // The window thread is busy until the worker has finished: every report to it is given up.
    gate.Release();
    ASSERT_TRUE(popup.GetWorker().WaitForEnd(kWatchdogMs));
  });
  EXPECT_EQ(popup.DoModal(), IDOK);
  SetHungThresholdMs(oldThreshold);
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_TRUE(held);
  EXPECT_EQ(PathsOf(popup.GetCollectedItems()), files);
  for (const auto& i : popup.GetCollectedItems()) EXPECT_NE(i.libraryIndex, kNoLibraryIndex);
  EXPECT_EQ(popup.GetInfo().added, 5);
}

TEST_F(AddFilesPopupTest, AnEmptyListIsRefusedBeforeAnythingOpens) {
  Popup popup;
  EXPECT_EQ(popup.SetFromFileList(nullptr, {Path("a.mp3")}, ADDTYPE_FILES, 0), E_FAIL);
  EXPECT_EQ(popup.SetFromFileList(store_.get(), {}, ADDTYPE_FILES, 0), E_INVALIDARG);
  EXPECT_EQ(popup.SetFromFolderList(store_.get(), {}, ADDTYPE_SCAN, 0, true, "*.mp3"), E_INVALIDARG);
  EXPECT_EQ(Popup::TitleOfType(ADDTYPE_FOLDER), "폴더 추가 중");
  EXPECT_EQ(Popup::TitleOfType(ADDTYPE_FILES_PLAYLIST), "");
  EXPECT_EQ(Popup::PercentText(1, 3), "33 %");
}

}  // namespace
}  // namespace TYX::Library::Test
