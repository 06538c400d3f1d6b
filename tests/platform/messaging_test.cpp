#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/event.h"
#include "platform/messaging.h"
#include "platform/thread.h"
#include "platform/win_thread.h"
#include "platform/window.h"
#include "helpers/manual_clock_guard.h"

using namespace TYX::Win;

namespace {
constexpr DWORD kWatchdogMs = 10000;

// A window that lives on its own thread and answers messages there.
class WindowThread {
 public:
  explicit WindowThread(std::function<void(Window&)> setup = {}) {
    thread_ = std::thread([this, setup] {
      window_.OnMessage(WM_USER + 1, [](WPARAM w, LPARAM l) -> LRESULT { return static_cast<LRESULT>(w) + l; });
      if (setup) setup(window_);
      window_.Create(nullptr, Rect{0, 0, 10, 10}, 0);
      threadId_ = GetCurrentThreadId();
      ready_.Set();
      MSG msg;
      while (GetMessage(&msg)) DispatchMessage(&msg);
      window_.DestroyWindow();
    });
    ready_.Wait(kWatchdogMs);
  }
  ~WindowThread() {
    PostThreadMessage(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  }
  HWND Hwnd() const { return window_.GetSafeHwnd(); }
  DWORD ThreadId() const { return threadId_; }

 private:
  Window window_;
  Event ready_{true, false};
  DWORD threadId_ = 0;
  std::thread thread_;
};

// A thread that owns a window and does not look at its queue until released; then it handles what is
// waiting and ends.
class QuietOwner {
 public:
  QuietOwner() {
    thread_ = std::thread([this] {
      Window w;
      w.OnMessage(WM_USER, [this](WPARAM, LPARAM) -> LRESULT { return ++handled; });
      w.Create(nullptr, Rect{0, 0, 1, 1}, 0);
      hwnd_ = w.GetSafeHwnd();
      created_.Set();
      release_.Wait(kWatchdogMs);
      PumpMessages();
    });
    created_.Wait(kWatchdogMs);
  }
  ~QuietOwner() { Release(); }
  HWND Hwnd() const { return hwnd_.load(); }
  void Release() {
    release_.Set();
    if (thread_.joinable()) thread_.join();
  }
  std::atomic<int> handled{0};

 private:
  Event created_{true, false}, release_{true, false};
  std::atomic<HWND> hwnd_{nullptr};
  std::thread thread_;
};
}  // namespace

TEST(Messaging, PostedMessagesArriveInOrder) {
  Window w;
  ASSERT_TRUE(w.Create(nullptr, Rect{0, 0, 1, 1}, 0));
  std::vector<int> got;
  for (UINT m = WM_USER; m < WM_USER + 3; ++m)
    w.OnMessage(m, [&, m](WPARAM wp, LPARAM) -> LRESULT {
      got.push_back(static_cast<int>((m - WM_USER) * 100 + wp));
      return 0;
    });
  for (int i = 0; i < 5; ++i) PostMessage(w.GetSafeHwnd(), WM_USER + (i % 3), static_cast<WPARAM>(i), 0);
  EXPECT_EQ(PumpMessages(), 5);
  std::vector<int> expected = {0, 101, 202, 3, 104};
  EXPECT_EQ(got, expected);
}

TEST(Messaging, SendOnTheSameThreadCallsTheHandlerDirectly) {
  Window w;
  ASSERT_TRUE(w.Create(nullptr, Rect{0, 0, 1, 1}, 0));
  w.OnMessage(WM_USER, [](WPARAM a, LPARAM b) -> LRESULT { return static_cast<LRESULT>(a) * b; });
  EXPECT_EQ(SendMessage(w.GetSafeHwnd(), WM_USER, 6, 7), 42);
  LRESULT r = 0;
  EXPECT_TRUE(SendMessageTimeout(w.GetSafeHwnd(), WM_USER, 2, 3, SMTO_ABORTIFHUNG, 10, &r));
  EXPECT_EQ(r, 6);
}

TEST(Messaging, CrossThreadSendBlocksUntilTheOwnerAnswers) {
  WindowThread other;
  ASSERT_TRUE(IsWindow(other.Hwnd()));
  EXPECT_NE(other.ThreadId(), GetCurrentThreadId());
  EXPECT_EQ(SendMessage(other.Hwnd(), WM_USER + 1, 40, 2), 42);
  LRESULT r = 0;
  EXPECT_TRUE(SendMessageTimeout(other.Hwnd(), WM_USER + 1, 1, 1, SMTO_NORMAL, kWatchdogMs, &r));
  EXPECT_EQ(r, 2);
}

TEST(Messaging, ABlockedSenderStillHandlesMessagesSentToIt) {
  // This thread's window is sent a message by the other thread while this thread waits in a send to it.
  Window mine;
  ASSERT_TRUE(mine.Create(nullptr, Rect{0, 0, 1, 1}, 0));
  std::atomic<int> handledHere{0};
  mine.OnMessage(WM_USER + 5, [&](WPARAM w, LPARAM) -> LRESULT {
    ++handledHere;
    EXPECT_TRUE(InSendMessage());
    return static_cast<LRESULT>(w) * 2;
  });
  HWND mineHwnd = mine.GetSafeHwnd();
  WindowThread other([mineHwnd](Window& w) {
    w.OnMessage(WM_USER + 2, [mineHwnd](WPARAM v, LPARAM) -> LRESULT {
      // Sends back to the thread that is blocked sending to us.
      return SendMessage(mineHwnd, WM_USER + 5, v, 0) + 1;
    });
  });
  EXPECT_EQ(SendMessage(other.Hwnd(), WM_USER + 2, 10, 0), 21);
  EXPECT_EQ(handledHere.load(), 1);
  EXPECT_FALSE(InSendMessage());
}

TEST(Messaging, SendTimeoutGivesUpAndAbortIfHungFailsFast) {
  QuietOwner stuck;
  ASSERT_NE(stuck.Hwnd(), nullptr);
  LRESULT r = 99;
  EXPECT_FALSE(SendMessageTimeout(stuck.Hwnd(), WM_USER, 0, 0, SMTO_NORMAL, 50, &r));
  EXPECT_EQ(r, 99);
  stuck.Release();
  // The timed-out message was withdrawn, so the late loop did not handle it.
  EXPECT_EQ(stuck.handled.load(), 0);
  // A window whose thread has ended no longer answers.
  EXPECT_FALSE(SendMessageTimeout(stuck.Hwnd(), WM_USER, 0, 0, SMTO_ABORTIFHUNG, 50, &r));
}

TEST(Messaging, AbortIfHungFailsAtOnceForAThreadThatStoppedLookingAtItsQueue) {
  struct Restore {
    DWORD old = SetHungThresholdMs(30);
    ~Restore() { SetHungThresholdMs(old); }
  } restore;
  QuietOwner busy;
  ASSERT_NE(busy.Hwnd(), nullptr);
  // Let the threshold pass (the queue was last looked at when it was made, before the window).
  Event never{true, false};
  never.Wait(60);
  LRESULT r = 99;
  // With the flag the send fails without waiting for the time-out; without it, it would wait.
  EXPECT_FALSE(SendMessageTimeout(busy.Hwnd(), WM_USER, 0, 0, SMTO_ABORTIFHUNG, kWatchdogMs, &r));
  EXPECT_EQ(r, 99);
  busy.Release();
  EXPECT_EQ(busy.handled.load(), 0);
}

TEST(Messaging, SendToAThreadThatEndsReleasesTheSender) {
  Event created{true, false};
  Event go{true, false};
  std::atomic<HWND> hwnd{nullptr};
  std::thread owner([&] {
    Window w;
    w.Create(nullptr, Rect{0, 0, 1, 1}, 0);
    hwnd = w.GetSafeHwnd();
    created.Set();
    go.Wait(kWatchdogMs);
    // Ends without ever reading its queue; the window object outlives nothing.
  });
  ASSERT_EQ(created.Wait(kWatchdogMs), WAIT_OBJECT_0);
  std::thread releaser([&] { go.Set(); });
  LRESULT r = 5;
  // Either the thread ended before the send (no queue) or while we wait (released with 0).
  SendMessageTimeout(hwnd.load(), WM_USER, 0, 0, SMTO_NORMAL, kWatchdogMs, &r);
  EXPECT_TRUE(r == 5 || r == 0);
  releaser.join();
  owner.join();
}

TEST(Messaging, TimersFireOnTheManualClock) {
  TYX::Test::ManualClockGuard clock;
  Window w;
  ASSERT_TRUE(w.Create(nullptr, Rect{0, 0, 1, 1}, 0));
  std::vector<std::pair<UINT_PTR, DWORD>> fired;
  w.OnMessage(WM_TIMER, [&](WPARAM id, LPARAM) -> LRESULT {
    fired.push_back({id, GetTickCount()});
    return 0;
  });
  const DWORD start = GetTickCount();
  EXPECT_EQ(w.SetTimer(1000, 400), 1000u);
  w.SetTimer(44150, 100);
  PumpMessages();
  EXPECT_TRUE(fired.empty());
  clock.Advance(99);
  PumpMessages();
  EXPECT_TRUE(fired.empty());
  clock.Advance(1);
  PumpMessages();
  ASSERT_EQ(fired.size(), 1u);
  EXPECT_EQ(fired[0], (std::pair<UINT_PTR, DWORD>{44150, start + 100}));
  // Restarting a timer pushes its due time out (the fold-a-burst idiom).
  clock.Advance(250);  // 44150 is due again, 1000 not yet (350 of 400)
  w.SetTimer(1000, 400);
  w.KillTimer(44150);
  PumpMessages();
  EXPECT_EQ(fired.size(), 1u);
  clock.Advance(399);
  PumpMessages();
  EXPECT_EQ(fired.size(), 1u);
  clock.Advance(1);
  PumpMessages();
  ASSERT_EQ(fired.size(), 2u);
  EXPECT_EQ(fired[1].first, 1000u);
  EXPECT_TRUE(w.KillTimer(1000));
  EXPECT_FALSE(w.KillTimer(1000));
  // Timers die with their window.
  w.SetTimer(7, 10);
  w.DestroyWindow();
  clock.Advance(100);
  EXPECT_EQ(PumpMessages(), 0);
}

TEST(Messaging, AManualClockAdvanceWakesAWaitingLoop) {
  TYX::Test::ManualClockGuard clock;
  Event ready{true, false};
  std::atomic<int> ticks{0};
  std::atomic<DWORD> tid{0};
  std::thread loop([&] {
    Window w;
    w.OnMessage(WM_TIMER, [&](WPARAM, LPARAM) -> LRESULT {
      ++ticks;
      PostQuitMessage(0);
      return 0;
    });
    w.Create(nullptr, Rect{0, 0, 1, 1}, 0);
    w.SetTimer(1, 500);
    tid = GetCurrentThreadId();
    ready.Set();
    MSG msg;
    while (GetMessage(&msg)) DispatchMessage(&msg);
  });
  ASSERT_EQ(ready.Wait(kWatchdogMs), WAIT_OBJECT_0);
  clock.Advance(500);
  loop.join();
  EXPECT_EQ(ticks.load(), 1);
}

TEST(Messaging, QuitIsRetrievedAfterPostedMessages) {
  Window w;
  ASSERT_TRUE(w.Create(nullptr, Rect{0, 0, 1, 1}, 0));
  PumpMessages();
  int handled = 0;
  w.OnMessage(WM_USER, [&](WPARAM, LPARAM) -> LRESULT { return ++handled; });
  w.PostMessage(WM_USER);
  PostQuitMessage(3);
  w.PostMessage(WM_USER);
  MSG msg;
  while (GetMessage(&msg)) DispatchMessage(&msg);
  EXPECT_EQ(handled, 2);
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);
}

TEST(Messaging, PumpUntilGivesUpAtItsWatchdog) {
  EXPECT_FALSE(PumpUntil([] { return false; }, 30));
  std::atomic<bool> flag{false};
  std::thread t([&] { flag = true; });
  EXPECT_TRUE(PumpUntil([&] { return flag.load(); }, kWatchdogMs));
  t.join();
}

namespace {
class CountingThread : public WinThread {
 public:
  CountingThread() {
    OnThreadMessage(2027, [this](WPARAM w, LPARAM) { sum += static_cast<int>(w); });
    OnThreadMessage(2028, [this](WPARAM, LPARAM) { done.Set(); });
  }
  std::atomic<int> sum{0};  // written on the thread, read by the test after done
  Event done{true, false};
  std::atomic<bool> inited{false};

 protected:
  bool InitInstance() override {
    inited = true;
    return true;
  }
};
}  // namespace

TEST(WinThreadTest, CreatedSuspendedThenResumedRunsItsMessageMap) {
  CountingThread t;
  ASSERT_TRUE(t.CreateThread(true));
  EXPECT_NE(t.GetThreadId(), 0u);
  // Posted before it runs: waits in its queue.
  EXPECT_TRUE(t.PostThreadMessage(2027, 5));
  EXPECT_TRUE(t.PostThreadMessage(2027, 7));
  EXPECT_FALSE(t.inited.load());
  t.ResumeThread();
  t.PostThreadMessage(2028);
  ASSERT_EQ(t.done.Wait(kWatchdogMs), WAIT_OBJECT_0);
  EXPECT_EQ(t.sum.load(), 12);
  t.PostQuit(4);
  ASSERT_EQ(t.Join(kWatchdogMs), WAIT_OBJECT_0);
  EXPECT_EQ(t.ExitCode(), 4u);
  EXPECT_FALSE(t.IsRunning());
}

TEST(WinThreadTest, DestroyingARunningOrSuspendedThreadJoinsIt) {
  // What the threads did is kept outside the thread objects, so it can be read after they are gone.
  std::atomic<int> handled{0};
  std::atomic<bool> sawQuitWhileWorking{false};
  std::atomic<bool> workFinished{false};
  DWORD runningId = 0;
  {
    WinThread running;
    Event working{true, false};
    // The handler is still busy when destruction begins: it only returns once the quit message that
    // destruction posts has arrived in its queue, so the destructor has to wait for it.
    running.OnThreadMessage(2027, [&](WPARAM, LPARAM) {
      working.Set();
      MSG msg;
      const bool quit = PumpUntil(
          [&] { return PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE) != FALSE && msg.message == WM_QUIT; },
          kWatchdogMs);
      sawQuitWhileWorking = quit;
      ++handled;
      workFinished = true;
    });
    ASSERT_TRUE(running.CreateThread(false));
    runningId = running.GetThreadId();
    ASSERT_TRUE(running.PostThreadMessage(2027));
    ASSERT_EQ(working.Wait(kWatchdogMs), WAIT_OBJECT_0);
  }
  EXPECT_TRUE(sawQuitWhileWorking);
  EXPECT_TRUE(workFinished);
  // The thread is gone with its queue: nothing more runs there.
  EXPECT_FALSE(PostThreadMessage(runningId, 2027, 0, 0));
  EXPECT_EQ(handled.load(), 1);

  // A suspended thread is started by its destruction and handles what was posted to it, then ends.
  std::atomic<int> sum{0};
  DWORD suspendedId = 0;
  {
    WinThread suspended;
    suspended.OnThreadMessage(2027, [&](WPARAM w, LPARAM) { sum += static_cast<int>(w); });
    ASSERT_TRUE(suspended.CreateThread(true));
    suspendedId = suspended.GetThreadId();
    ASSERT_TRUE(suspended.PostThreadMessage(2027, 5));
    ASSERT_TRUE(suspended.PostThreadMessage(2027, 7));
    EXPECT_TRUE(suspended.IsRunning());
  }
  EXPECT_EQ(sum.load(), 12);
  EXPECT_FALSE(PostThreadMessage(suspendedId, 2027, 1, 0));
}

TEST(ThreadTest, CreationFailureIsReportedAndExitCodesKept) {
  Thread::FailNextCreations(1);
  EXPECT_EQ(Thread::Create([] { return 1u; }, false), nullptr);
  auto t = Thread::Create([] { return 9u; }, true);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Wait(0), WAIT_TIMEOUT);
  t->Resume();
  EXPECT_EQ(t->Wait(kWatchdogMs), WAIT_OBJECT_0);
  EXPECT_EQ(t->ExitCode(), 9u);
}

TEST(EventTest, ManualAndAutoReset) {
  Event manual(true, false), autoReset(false, true);
  EXPECT_EQ(manual.Wait(0), WAIT_TIMEOUT);
  manual.Set();
  EXPECT_EQ(manual.Wait(0), WAIT_OBJECT_0);
  EXPECT_EQ(manual.Wait(0), WAIT_OBJECT_0);
  manual.Reset();
  EXPECT_EQ(WaitForSingleObject(manual, 10), WAIT_TIMEOUT);
  EXPECT_EQ(autoReset.Wait(0), WAIT_OBJECT_0);
  EXPECT_EQ(autoReset.Wait(0), WAIT_TIMEOUT);
  std::thread setter([&] { autoReset.Set(); });
  EXPECT_EQ(autoReset.Wait(kWatchdogMs), WAIT_OBJECT_0);
  setter.join();
}
