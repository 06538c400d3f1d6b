#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "platform/event.h"
#include "platform/messaging.h"
#include "platform/thread.h"
#include "support/dialog_common_progress.h"
#include "helpers/scripted_user_agent.h"
#include "toolkit/progress_bar.h"
#include "toolkit/skin_button.h"
#include "toolkit/static_text.h"
#include "util/log.h"

using namespace TYX::Win;
using TYX::Controls::TYX_ProgressBar;
using TYX::Controls::TYX_SkinButton;
using TYX::Controls::TYX_StaticText;
using TYX::Dialog::TYX_Dialog_CommonProgress;
using TYX::Test::ScopedUserAgent;

namespace {

constexpr DWORD kWatchdogMs = 10000;

// Ends a modal loop that hangs: after the time-out it posts WM_QUIT to the test's thread, which ends
// the loop; the test then fails. The quit message is taken out again afterwards.
class ModalWatchdog {
 public:
  ModalWatchdog() : ui_(GetCurrentThreadId()) {
    thread_ = std::thread([this] {
      if (stop_.Wait(kWatchdogMs) == WAIT_TIMEOUT) {
        fired_ = true;
        PostThreadMessage(ui_, WM_QUIT, 0, 0);
      }
    });
  }
  ~ModalWatchdog() {
    stop_.Set();
    thread_.join();
    MSG msg;
    if (fired_) PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  }
  bool Fired() const { return fired_.load(); }

 private:
  DWORD ui_;
  Event stop_{true, false};
  std::atomic<bool> fired_{false};
  std::thread thread_;
};

// What the person sees in the dialog.
struct View {
  std::string message;
  std::string status;
  int lower = -1;
  int upper = -1;
  int pos = -1;
  std::string caption;
  bool buttonEnabled = false;
  bool alive = false;
};

View Look(Window& w) {
  View v;
  auto& dlg = dynamic_cast<TYX_Dialog_CommonProgress&>(w);
  v.alive = dlg.IsAlive();
  if (auto* s = dlg.GetControl<TYX_StaticText>(TYX_Dialog_CommonProgress::kMessageId)) v.message = s->GetText();
  if (auto* s = dlg.GetControl<TYX_StaticText>(TYX_Dialog_CommonProgress::kStatusId)) v.status = s->GetText();
  if (auto* bar = dlg.GetControl<TYX_ProgressBar>(TYX_Dialog_CommonProgress::kProgressId)) {
    v.lower = bar->GetLower();
    v.upper = bar->GetUpper();
    v.pos = bar->GetPos();
  }
  if (auto* b = dlg.GetControl<TYX_SkinButton>(TYX_Dialog_CommonProgress::kButtonId)) {
    v.caption = b->GetCaption();
    v.buttonEnabled = b->IsWindowEnabled();
  }
  return v;
}

TYX_Dialog_CommonProgress& AsProgress(Window& w) { return dynamic_cast<TYX_Dialog_CommonProgress&>(w); }

TEST(CommonProgressTest, ARoutineThatReturnsAtOnceWithAutoCloseClosesTheDialogByItself) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  std::atomic<std::uintptr_t> seenParam{0};
  std::atomic<bool> sawReady{false};
  const DWORD result = TYX_Dialog_CommonProgress::ShowThreadProgressDialog(
      nullptr,
      [&](TYX_Dialog_CommonProgress* dlg) -> DWORD {
        seenParam = dlg->GetUserParam();
        sawReady = dlg->GetReady() == 1;
        dlg->SetAutoClose(1);
        dlg->SetResult(42);
        return 7;  // the exit code; the caller gets the result field
      },
      0x5A5A);
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(result, 42u);
  EXPECT_EQ(seenParam.load(), 0x5A5Au);
  EXPECT_TRUE(sawReady);
  EXPECT_EQ(agent->ModalCount(), 1);
}

TEST(CommonProgressTest, ARoutineThatNeverCallsUpdateShowsOnlyWhatInitialisationShowed) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  Event started{true, false};
  Event release{true, false};
  View whileRunning;
  View afterEnd;
  bool auxHidden = false;
  int step = 0;
  agent->SetIdleAction([&](Window& w) {
    auto& dlg = AsProgress(w);
    if (step == 0) {
      // The routine runs without the UI thread; waiting here is waiting for it to have set its values.
      ASSERT_EQ(started.Wait(kWatchdogMs), WAIT_OBJECT_0);
      whileRunning = Look(w);
      Window* aux = dlg.GetAuxWindow();
      auxHidden = aux == nullptr || !aux->IsVisibleFlag();
      step = 1;
      release.Set();
      return;
    }
    if (step == 1) {
      // The routine's end brings the button to "닫기" with the next Update of the worker.
      ASSERT_TRUE(dlg.WaitForWorkerEnd(kWatchdogMs));
      if (Look(w).caption != "닫기") return;  // that Update is still on its way
      afterEnd = Look(w);
      step = 2;
      EXPECT_TRUE(dlg.ClickButton(TYX_Dialog_CommonProgress::kButtonId));
    }
  });
  const DWORD result = TYX_Dialog_CommonProgress::ShowThreadProgressDialog(
      nullptr,
      [&](TYX_Dialog_CommonProgress* dlg) -> DWORD {
        dlg->SetMessage("보이지 않는 메시지");
        dlg->SetStatus("status");
        dlg->SetProgressMax(50);
        dlg->SetProgressPos(10);
        dlg->SetButtonTitle("중지");
        started.Set();
        release.Wait(kWatchdogMs);
        return 0;
      },
      0);
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(result, 0u);
  EXPECT_EQ(step, 2);
  EXPECT_TRUE(whileRunning.alive);
  EXPECT_EQ(whileRunning.message, "");
  EXPECT_EQ(whileRunning.status, "");
  EXPECT_EQ(whileRunning.lower, 0);
  EXPECT_EQ(whileRunning.upper, 100);
  EXPECT_EQ(whileRunning.pos, 0);
  EXPECT_EQ(whileRunning.caption, "취소");
  EXPECT_FALSE(whileRunning.buttonEnabled);  // cancel starts disabled
  EXPECT_TRUE(auxHidden);
  // At the end the worker's own Update shows the stored values, and the button closes the dialog.
  EXPECT_EQ(afterEnd.message, "보이지 않는 메시지");
  EXPECT_EQ(afterEnd.upper, 50);
  EXPECT_EQ(afterEnd.pos, 10);
  EXPECT_TRUE(afterEnd.buttonEnabled);
}

TEST(CommonProgressTest, EscapeWhileTheRoutineRunsKeepsTheDialogUntilItReturnsAndTheButtonIsPressed) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  Event started{true, false};
  Event go{true, false};
  std::atomic<bool> routineSawTerminated{false};
  int step = 0;
  View afterEscape;
  View afterSecondPress;
  View beforeLastPress;
  agent->SetIdleAction([&](Window& w) {
    auto& dlg = AsProgress(w);
    switch (step) {
      case 0:
        ASSERT_EQ(started.Wait(kWatchdogMs), WAIT_OBJECT_0);
        w.PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
        step = 1;
        return;
      case 1:
        if (!dlg.IsTerminated()) return;  // the Escape is still queued
        afterEscape = Look(w);
        // A press of the button while the routine still runs does not close the dialog either.
        w.PostMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        step = 2;
        return;
      case 2:
        afterSecondPress = Look(w);
        step = 3;
        go.Set();
        return;
      case 3:
        ASSERT_TRUE(dlg.WaitForWorkerEnd(kWatchdogMs));
        beforeLastPress = Look(w);
        step = 4;
        w.PostMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return;
      default:
        return;
    }
  });
  const DWORD result = TYX_Dialog_CommonProgress::ShowThreadProgressDialog(
      nullptr,
      [&](TYX_Dialog_CommonProgress* dlg) -> DWORD {
        dlg->EnableCancel(1);
        dlg->SetMessage("작업 중");
        dlg->Update();
        started.Set();
        go.Wait(kWatchdogMs);
        routineSawTerminated = dlg->IsTerminated() == 1;
        dlg->SetResult(5);
        return 0;
      },
      0);
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(step, 4);
  EXPECT_EQ(result, 5u);
  EXPECT_TRUE(routineSawTerminated);
  EXPECT_TRUE(afterEscape.alive);
  EXPECT_TRUE(afterSecondPress.alive);
  // The routine was cancelled, so the caption stays as it was.
  EXPECT_TRUE(beforeLastPress.alive);
  EXPECT_EQ(beforeLastPress.caption, "취소");
  EXPECT_EQ(beforeLastPress.message, "작업 중");
  EXPECT_EQ(agent->ModalCount(), 1);
}

TEST(CommonProgressTest, AMaximumChangedWhileRunningResetsTheBarRangeOnTheNextUpdate) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  Event step1{true, false};
  Event go1{true, false};
  Event step2{true, false};
  Event go2{true, false};
  View first;
  View second;
  agent->SetIdleAction([&](Window& w) {
    const View v = Look(w);
    if (step1.IsSet() && !go1.IsSet() && v.upper == 200) {
      first = v;
      go1.Set();
    } else if (step2.IsSet() && !go2.IsSet() && v.upper == 10) {
      second = v;
      go2.Set();
    }
  });
  TYX_Dialog_CommonProgress::ShowThreadProgressDialog(
      nullptr,
      [&](TYX_Dialog_CommonProgress* dlg) -> DWORD {
        dlg->SetProgressMax(200);
        dlg->SetProgressPos(150);
        dlg->SetStatus("150 / 200");
        step1.Set();  // before Update, so the idle after that Update sees it
        dlg->Update();
        if (go1.Wait(kWatchdogMs) != WAIT_OBJECT_0) return 1;
        dlg->SetProgressMax(10);
        dlg->SetProgressPos(5);
        dlg->SetStatus("5 / 10");
        step2.Set();
        dlg->Update();
        if (go2.Wait(kWatchdogMs) != WAIT_OBJECT_0) return 1;
        dlg->SetAutoClose(1);
        return 0;
      },
      0);
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(first.lower, 0);
  EXPECT_EQ(first.upper, 200);
  EXPECT_EQ(first.pos, 150);
  EXPECT_EQ(first.status, "150 / 200");
  EXPECT_EQ(second.lower, 0);
  EXPECT_EQ(second.upper, 10);
  EXPECT_EQ(second.pos, 5);
  EXPECT_EQ(second.status, "5 / 10");
}

TEST(CommonProgressTest, AnExceptionInTheRoutineIsContainedAndTheDialogCanBeClosed) {
  for (int kind = 0; kind < 2; ++kind) {
    SCOPED_TRACE(kind);
    ScopedUserAgent agent;
    ModalWatchdog watchdog;
    View atEnd;
    bool closedByButton = false;
    agent->SetIdleAction([&](Window& w) {
      auto& dlg = AsProgress(w);
      ASSERT_TRUE(dlg.WaitForWorkerEnd(kWatchdogMs));
      const View v = Look(w);
      if (v.caption != "닫기") return;  // the worker's last Update is still queued
      atEnd = v;
      closedByButton = dlg.ClickButton(TYX_Dialog_CommonProgress::kButtonId);
    });
    const DWORD result = TYX_Dialog_CommonProgress::ShowThreadProgressDialog(
        nullptr,
        [kind](TYX_Dialog_CommonProgress* dlg) -> DWORD {
          dlg->SetResult(9);
          if (kind == 0) throw std::runtime_error("디코더 오류");
          throw 17;
        },
        0);
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_EQ(result, 9u);  // whatever the routine stored before it threw
    EXPECT_TRUE(closedByButton);
    EXPECT_TRUE(atEnd.buttonEnabled);
  }
  bool logged = false;
  for (const auto& entry : TYX::TYX_Log::Instance()->RecentEntries())
    if (entry.find("exception : 디코더 오류") != std::string::npos) logged = true;
  EXPECT_TRUE(logged);
}

TEST(CommonProgressTest, WithoutAThreadTheResultIsMinusOneAndNoDialogIsShown) {
  ScopedUserAgent agent;
  std::atomic<bool> ran{false};
  Thread::FailNextCreations(1);
  const DWORD result = TYX_Dialog_CommonProgress::ShowThreadProgressDialog(
      nullptr,
      [&](TYX_Dialog_CommonProgress*) -> DWORD {
        ran = true;
        return 0;
      },
      0);
  EXPECT_EQ(result, 0xFFFFFFFFu);
  EXPECT_EQ(result, static_cast<DWORD>(-1));
  EXPECT_EQ(agent->ModalCount(), 0);
  EXPECT_FALSE(ran);
  EXPECT_TRUE(GetTopLevelWindows().empty());
}

TEST(CommonProgressTest, AClosedDialogStopsTheRoutineAndTheNullFormsAreSafe) {
  // The person cancels at once with auto close on: the dialog closes, the routine sees the flag and
  // ShowThreadProgressDialog does not return before the worker has ended.
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  Event started{true, false};
  std::atomic<bool> routineEnded{false};
  agent->OnNextModal([&](Window& w) {
    ASSERT_EQ(started.Wait(kWatchdogMs), WAIT_OBJECT_0);
    w.PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
  });
  TYX_Dialog_CommonProgress::ShowThreadProgressDialog(
      nullptr,
      [&](TYX_Dialog_CommonProgress* dlg) -> DWORD {
        dlg->SetAutoClose(1);
        started.Set();
        dlg->WaitForTermination(kWatchdogMs);
        routineEnded = dlg->IsTerminated() == 1;
        return 0;
      },
      0);
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_TRUE(routineEnded);

  TYX_Dialog_CommonProgress* none = nullptr;
  EXPECT_EQ(TYX_Dialog_CommonProgress::IsTerminated(none), 1);
  EXPECT_EQ(TYX_Dialog_CommonProgress::GetReady(none), 1);
  TYX_Dialog_CommonProgress::SetMessage(none, "x");
  TYX_Dialog_CommonProgress::SetProgressMax(none, 3);
  TYX_Dialog_CommonProgress::Update(none);

  // A dialog that was never shown has no window to update and is not ready.
  TYX_Dialog_CommonProgress unshown;
  unshown.SetMessage("m");
  unshown.Update();
  EXPECT_EQ(unshown.GetReady(), 0);
  EXPECT_EQ(TYX_Dialog_CommonProgress::IsTerminated(&unshown), 0);
}

}  // namespace

namespace {

TEST(CommonProgressTest, ACancelAsSoonAsTheDialogOpensStillRunsTheRoutineWhichSeesTheFlag) {
  // The cancel races the worker's start; repeated, a routine that is skipped even once shows. The
  // routine may start before or after the cancel; either way it runs, once, and sees the flag.
  for (int run = 0; run < 20; ++run) {
    SCOPED_TRACE(run);
    ScopedUserAgent agent;
    ModalWatchdog watchdog;
    std::atomic<int> calls{0};
    std::atomic<bool> sawTerminated{false};
    bool cancelledAtOpen = false;
    agent->OnNextModal([&](Window& w) {
      // The person presses Escape before the worker has had any chance to look.
      w.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      cancelledAtOpen = AsProgress(w).IsTerminated() == 1;
    });
    agent->SetIdleAction([&](Window& w) {
      auto& dlg = AsProgress(w);
      // The dialog stays up while the worker may still run; once it has ended, the button closes.
      if (!dlg.WaitForWorkerEnd(kWatchdogMs)) return;
      dlg.ClickButton(TYX_Dialog_CommonProgress::kButtonId);
    });
    const DWORD result = TYX_Dialog_CommonProgress::ShowThreadProgressDialog(
        nullptr,
        [&](TYX_Dialog_CommonProgress* dlg) -> DWORD {
          ++calls;
          dlg->WaitForTermination(kWatchdogMs);
          sawTerminated = dlg->IsTerminated() == 1;
          dlg->SetResult(sawTerminated ? 3 : 4);
          return 0;
        },
        0);
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_TRUE(cancelledAtOpen);
    EXPECT_EQ(calls.load(), 1);
    EXPECT_TRUE(sawTerminated);
    EXPECT_EQ(result, 3u);
    if (HasFailure()) break;
  }
}

TEST(CommonProgressTest, ARoutineOfADialogClosedAtOnceWithAutoCloseRunsOnceItWasReady) {
  // Auto close: the cancel closes the dialog at once, perhaps before the worker has looked; the routine
  // still runs, once, and sees the flag.
  for (int run = 0; run < 20; ++run) {
    SCOPED_TRACE(run);
    ScopedUserAgent agent;
    ModalWatchdog watchdog;
    std::atomic<int> calls{0};
    std::atomic<bool> sawTerminated{false};
    agent->OnNextModal([&](Window& w) {
      AsProgress(w).SetAutoClose(1);
      w.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    const DWORD result = TYX_Dialog_CommonProgress::ShowThreadProgressDialog(
        nullptr,
        [&](TYX_Dialog_CommonProgress* dlg) -> DWORD {
          ++calls;
          dlg->WaitForTermination(kWatchdogMs);
          sawTerminated = dlg->IsTerminated() == 1;
          dlg->SetResult(11);
          dlg->Update();  // the window may be gone: nothing happens then
          return 0;
        },
        0);
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_EQ(calls.load(), 1);
    EXPECT_TRUE(sawTerminated);
    EXPECT_EQ(result, 11u);
    if (HasFailure()) break;
  }
}

}  // namespace
