#include "platform/messaging.h"

#include <algorithm>
#include <chrono>
#include <map>

#include "platform/clock.h"
#include "platform/thread_queue.h"
#include "platform/window.h"

namespace TYX::Win {
namespace Internal {
namespace {

std::mutex g_registryMutex;
std::map<DWORD, std::weak_ptr<ThreadQueue>> g_registry;  // guarded by g_registryMutex
std::atomic<DWORD> g_nextThreadId{1};

// Real time for time-outs and the hung test; the process clock may be a manual one.
std::uint64_t RealMs() {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count());
}

// Ends the queue with its thread: pending senders are released with a result of 0.
void ReleaseQueue(const std::shared_ptr<ThreadQueue>& q) {
  std::deque<std::shared_ptr<SentRecord>> pending;
  {
    std::lock_guard<std::mutex> lk(q->mutex);
    q->alive = false;
    pending.swap(q->sent);
    q->posted.clear();
    q->timers.clear();
    q->paints.clear();
  }
  for (auto& rec : pending) {
    std::lock_guard<std::mutex> lk(rec->replyTo->mutex);
    rec->done = true;
    rec->result = 0;
    rec->replyTo->cv.notify_all();
  }
  std::lock_guard<std::mutex> lk(g_registryMutex);
  g_registry.erase(q->id);
}

std::shared_ptr<ThreadQueue> MakeRegisteredQueue() {
  auto q = std::make_shared<ThreadQueue>(g_nextThreadId.fetch_add(1));
  q->lastLookMs = RealMs();
  std::lock_guard<std::mutex> lk(g_registryMutex);
  g_registry[q->id] = q;
  return q;
}

struct QueueHolder {
  std::shared_ptr<ThreadQueue> queue;
  ~QueueHolder() {
    if (queue) ReleaseQueue(queue);
  }
};

thread_local QueueHolder t_holder;

}  // namespace

std::shared_ptr<ThreadQueue> CurrentQueue() {
  if (!t_holder.queue) t_holder.queue = MakeRegisteredQueue();
  return t_holder.queue;
}

std::shared_ptr<ThreadQueue> QueueById(DWORD id) {
  std::lock_guard<std::mutex> lk(g_registryMutex);
  auto it = g_registry.find(id);
  return it == g_registry.end() ? nullptr : it->second.lock();
}

std::shared_ptr<ThreadQueue> NewQueueForThread() { return MakeRegisteredQueue(); }

void AdoptQueue(std::shared_ptr<ThreadQueue> queue) { t_holder.queue = std::move(queue); }

void WakeAllQueues() {
  std::vector<std::shared_ptr<ThreadQueue>> queues;
  {
    std::lock_guard<std::mutex> lk(g_registryMutex);
    for (auto& [id, weak] : g_registry)
      if (auto q = weak.lock()) queues.push_back(q);
  }
  for (auto& q : queues) {
    std::lock_guard<std::mutex> lk(q->mutex);
    q->cv.notify_all();
  }
}

void RequestPaint(HWND hwnd) {
  auto q = QueueById(WindowThread(hwnd));
  if (!q) return;
  std::lock_guard<std::mutex> lk(q->mutex);
  if (std::find(q->paints.begin(), q->paints.end(), hwnd) == q->paints.end()) q->paints.push_back(hwnd);
  q->cv.notify_all();
}

void CancelPaint(HWND hwnd) {
  auto q = QueueById(WindowThread(hwnd));
  if (!q) return;
  std::lock_guard<std::mutex> lk(q->mutex);
  q->paints.erase(std::remove(q->paints.begin(), q->paints.end(), hwnd), q->paints.end());
}

void ForgetWindow(HWND hwnd, DWORD threadId) {
  auto q = QueueById(threadId);
  if (!q) return;
  std::lock_guard<std::mutex> lk(q->mutex);
  q->paints.erase(std::remove(q->paints.begin(), q->paints.end(), hwnd), q->paints.end());
  q->timers.erase(std::remove_if(q->timers.begin(), q->timers.end(),
                                 [hwnd](const TimerEntry& t) { return t.hwnd == hwnd; }),
                  q->timers.end());
}

}  // namespace Internal

using Internal::RealMs;
using Internal::SentRecord;
using Internal::ThreadQueue;

namespace {

std::atomic<DWORD> g_hungThresholdMs{kHungThresholdMs};  // any thread

void Reply(const std::shared_ptr<SentRecord>& rec, LRESULT result) {
  std::lock_guard<std::mutex> lk(rec->replyTo->mutex);
  rec->result = result;
  rec->done = true;
  rec->replyTo->cv.notify_all();
}

// Handles the messages other threads sent to this one; each is taken out under the lock and handled
// with no lock held.
void ProcessSentMessages(const std::shared_ptr<ThreadQueue>& q) {
  for (;;) {
    std::shared_ptr<SentRecord> rec;
    {
      std::lock_guard<std::mutex> lk(q->mutex);
      if (q->sent.empty()) return;
      rec = q->sent.front();
      q->sent.pop_front();
    }
    LRESULT result = 0;
    Window* w = Internal::ResolveWindow(rec->hwnd);
    if (w && Internal::WindowThread(rec->hwnd) == q->id) {
      ++q->inSendDepth;
      result = w->WindowProc(rec->message, rec->wParam, rec->lParam);
      --q->inSendDepth;
    }
    Reply(rec, result);
  }
}

bool Matches(const MSG& m, HWND filter, UINT minMsg, UINT maxMsg) {
  if (filter && m.hwnd != filter) return false;
  if (minMsg == 0 && maxMsg == 0) return true;
  return m.message >= minMsg && m.message <= maxMsg;
}

// Earliest due timer, under the queue lock.
const Internal::TimerEntry* EarliestTimer(const ThreadQueue& q, HWND filter) {
  const Internal::TimerEntry* best = nullptr;
  for (auto& t : q.timers) {
    if (filter && t.hwnd != filter) continue;
    if (!best || t.dueMs < best->dueMs) best = &t;
  }
  return best;
}

// Takes the next message out in retrieval order; sent messages are handled first.
bool TakeMessage(const std::shared_ptr<ThreadQueue>& q, MSG* out, HWND filter, UINT minMsg, UINT maxMsg,
                 bool remove) {
  q->lastLookMs = RealMs();
  ProcessSentMessages(q);
  std::lock_guard<std::mutex> lk(q->mutex);
  for (auto it = q->posted.begin(); it != q->posted.end(); ++it) {
    if (!Matches(*it, filter, minMsg, maxMsg)) continue;
    *out = *it;
    if (remove) q->posted.erase(it);
    return true;
  }
  if (q->quitPosted && !filter && (minMsg == 0 && maxMsg == 0)) {
    *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(q->quitCode), 0, GetTickCount()};
    if (remove) q->quitPosted = false;
    return true;
  }
  MSG probe{nullptr, WM_PAINT, 0, 0, 0};
  for (auto it = q->paints.begin(); it != q->paints.end(); ++it) {
    probe.hwnd = *it;
    if (!Matches(probe, filter, minMsg, maxMsg)) continue;
    *out = MSG{*it, WM_PAINT, 0, 0, GetTickCount()};
    if (remove) q->paints.erase(it);
    return true;
  }
  const std::uint64_t now = NowMs();
  Internal::TimerEntry* due = nullptr;
  for (auto& t : q->timers) {
    if (t.dueMs > now) continue;
    MSG m{t.hwnd, WM_TIMER, t.id, 0, 0};
    if (!Matches(m, filter, minMsg, maxMsg)) continue;
    if (!due || t.dueMs < due->dueMs) due = &t;
  }
  if (due) {
    *out = MSG{due->hwnd, WM_TIMER, due->id, 0, static_cast<DWORD>(now)};
    if (remove) due->dueMs = now + std::max<UINT>(due->elapseMs, 1);
    return true;
  }
  return false;
}

bool HasSomething(ThreadQueue& q) {
  if (!q.sent.empty() || !q.posted.empty() || q.quitPosted || !q.paints.empty()) return true;
  const std::uint64_t now = NowMs();
  for (auto& t : q.timers)
    if (t.dueMs <= now) return true;
  return false;
}

// Waits until the queue has something, or the real deadline passes. Returns false on time-out.
bool WaitForSomething(const std::shared_ptr<ThreadQueue>& q, std::uint64_t realDeadlineMs) {
  std::unique_lock<std::mutex> lk(q->mutex);
  q->waiting = true;
  bool got = true;
  for (;;) {
    if (HasSomething(*q)) break;
    auto clock = GetClock();
    std::uint64_t wakeAt = realDeadlineMs;
    if (!clock->IsManual()) {
      if (auto* t = EarliestTimer(*q, nullptr)) {
        const std::uint64_t now = clock->NowMs();
        const std::uint64_t inMs = t->dueMs > now ? t->dueMs - now : 0;
        wakeAt = std::min(wakeAt, RealMs() + inMs);
      }
    }
    if (wakeAt == UINT64_MAX) {
      q->cv.wait(lk);
    } else {
      const std::uint64_t now = RealMs();
      if (now >= wakeAt) {
        if (now >= realDeadlineMs) {
          got = HasSomething(*q);
          break;
        }
        continue;
      }
      q->cv.wait_for(lk, std::chrono::milliseconds(wakeAt - now));
    }
  }
  q->waiting = false;
  q->lastLookMs = RealMs();
  return got;
}

}  // namespace

DWORD GetCurrentThreadId() { return Internal::CurrentQueue()->id; }

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<ThreadQueue> q;
  if (!hwnd) {
    q = Internal::CurrentQueue();
  } else {
    q = Internal::QueueById(Internal::WindowThread(hwnd));
  }
  if (!q) return FALSE;
  std::lock_guard<std::mutex> lk(q->mutex);
  if (!q->alive) return FALSE;
  q->posted.push_back(MSG{hwnd, msg, wParam, lParam, GetTickCount()});
  q->cv.notify_all();
  return TRUE;
}

BOOL PostThreadMessage(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto q = Internal::QueueById(threadId);
  if (!q) return FALSE;
  std::lock_guard<std::mutex> lk(q->mutex);
  if (!q->alive) return FALSE;
  q->posted.push_back(MSG{nullptr, msg, wParam, lParam, GetTickCount()});
  q->cv.notify_all();
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  auto q = Internal::CurrentQueue();
  std::lock_guard<std::mutex> lk(q->mutex);
  q->quitPosted = true;
  q->quitCode = exitCode;
  q->cv.notify_all();
}

namespace {

// Sends across threads; timeoutMs INFINITE waits for the answer however long it takes.
BOOL SendAcrossThreads(const std::shared_ptr<ThreadQueue>& target, HWND hwnd, UINT msg, WPARAM wParam,
                       LPARAM lParam, UINT flags, DWORD timeoutMs, LRESULT* result) {
  if (flags & SMTO_ABORTIFHUNG) {
    if (!target->waiting && RealMs() - target->lastLookMs.load() > g_hungThresholdMs.load()) return FALSE;
  }
  auto me = Internal::CurrentQueue();
  auto rec = std::make_shared<SentRecord>();
  rec->hwnd = hwnd;
  rec->message = msg;
  rec->wParam = wParam;
  rec->lParam = lParam;
  rec->replyTo = me;
  {
    std::lock_guard<std::mutex> lk(target->mutex);
    if (!target->alive) return FALSE;
    target->sent.push_back(rec);
    target->cv.notify_all();
  }
  const std::uint64_t deadline = timeoutMs == INFINITE ? UINT64_MAX : RealMs() + timeoutMs;
  std::unique_lock<std::mutex> lk(me->mutex);
  while (!rec->done) {
    // Messages sent to this thread while it waits are handled, so mutual sends do not deadlock.
    if (!me->sent.empty() && !(flags & SMTO_BLOCK)) {
      lk.unlock();
      ProcessSentMessages(me);
      lk.lock();
      continue;
    }
    if (deadline == UINT64_MAX) {
      me->cv.wait(lk);
    } else {
      const std::uint64_t now = RealMs();
      if (now >= deadline) break;
      me->cv.wait_for(lk, std::chrono::milliseconds(deadline - now));
    }
  }
  if (!rec->done) {
    lk.unlock();
    // Withdraw the message if the target has not taken it yet.
    std::lock_guard<std::mutex> tlk(target->mutex);
    auto it = std::find(target->sent.begin(), target->sent.end(), rec);
    if (it != target->sent.end()) target->sent.erase(it);
    return FALSE;
  }
  if (result) *result = rec->result;
  return TRUE;
}

}  // namespace

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const DWORD thread = Internal::WindowThread(hwnd);
  if (thread == 0) return 0;
  auto me = Internal::CurrentQueue();
  if (thread == me->id) {
    Window* w = Internal::ResolveWindow(hwnd);
    return w ? w->WindowProc(msg, wParam, lParam) : 0;
  }
  auto target = Internal::QueueById(thread);
  if (!target) return 0;
  LRESULT result = 0;
  SendAcrossThreads(target, hwnd, msg, wParam, lParam, SMTO_NORMAL, INFINITE, &result);
  return result;
}

BOOL SendMessageTimeout(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeoutMs,
                        LRESULT* result) {
  const DWORD thread = Internal::WindowThread(hwnd);
  if (thread == 0) return FALSE;
  auto me = Internal::CurrentQueue();
  if (thread == me->id) {
    Window* w = Internal::ResolveWindow(hwnd);
    if (!w) return FALSE;
    LRESULT r = w->WindowProc(msg, wParam, lParam);
    if (result) *result = r;
    return TRUE;
  }
  auto target = Internal::QueueById(thread);
  if (!target) return FALSE;
  return SendAcrossThreads(target, hwnd, msg, wParam, lParam, flags, timeoutMs, result);
}

DWORD SetHungThresholdMs(DWORD ms) { return g_hungThresholdMs.exchange(ms); }

BOOL InSendMessage() { return Internal::CurrentQueue()->inSendDepth > 0 ? TRUE : FALSE; }

BOOL GetMessage(MSG* msg, HWND filter, UINT minMsg, UINT maxMsg) {
  auto q = Internal::CurrentQueue();
  for (;;) {
    if (TakeMessage(q, msg, filter, minMsg, maxMsg, true)) return msg->message == WM_QUIT ? FALSE : TRUE;
    WaitForSomething(q, UINT64_MAX);
  }
}

BOOL PeekMessage(MSG* msg, HWND filter, UINT minMsg, UINT maxMsg, UINT removeFlag) {
  auto q = Internal::CurrentQueue();
  return TakeMessage(q, msg, filter, minMsg, maxMsg, (removeFlag & PM_REMOVE) != 0) ? TRUE : FALSE;
}

LRESULT DispatchMessage(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  Window* w = Internal::ResolveWindow(msg->hwnd);
  // Messages for a window that is gone, or that belongs to another thread, are dropped.
  if (!w || Internal::WindowThread(msg->hwnd) != GetCurrentThreadId()) return 0;
  return w->WindowProc(msg->message, msg->wParam, msg->lParam);
}

BOOL WaitMessage(DWORD timeoutMs) {
  auto q = Internal::CurrentQueue();
  q->lastLookMs = RealMs();
  const std::uint64_t deadline = timeoutMs == INFINITE ? UINT64_MAX : RealMs() + timeoutMs;
  return WaitForSomething(q, deadline) ? TRUE : FALSE;
}

int PumpMessages() {
  int count = 0;
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    DispatchMessage(&msg);
    ++count;
  }
  return count;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  // done() may turn true without a message reaching this thread, so it is re-checked at least every
  // 20 ms while waiting.
  const std::uint64_t deadline = RealMs() + timeoutMs;
  for (;;) {
    PumpMessages();
    if (done()) return true;
    const std::uint64_t now = RealMs();
    if (now >= deadline) return done();
    WaitMessage(static_cast<DWORD>(std::min<std::uint64_t>(deadline - now, 20)));
  }
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs) {
  static std::atomic<UINT_PTR> nextId{0x7FFF0000};
  auto q = Internal::QueueById(Internal::WindowThread(hwnd));
  if (!q) return 0;
  if (id == 0) id = nextId.fetch_add(1);
  std::lock_guard<std::mutex> lk(q->mutex);
  const std::uint64_t due = NowMs() + elapseMs;
  for (auto& t : q->timers) {
    if (t.hwnd == hwnd && t.id == id) {
      t.elapseMs = elapseMs;
      t.dueMs = due;
      q->cv.notify_all();
      return id;
    }
  }
  q->timers.push_back(Internal::TimerEntry{hwnd, id, elapseMs, due});
  q->cv.notify_all();
  return id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  auto q = Internal::QueueById(Internal::WindowThread(hwnd));
  if (!q) return FALSE;
  std::lock_guard<std::mutex> lk(q->mutex);
  auto it = std::find_if(q->timers.begin(), q->timers.end(),
                         [&](const Internal::TimerEntry& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == q->timers.end()) return FALSE;
  q->timers.erase(it);
  return TRUE;
}

}  // namespace TYX::Win
