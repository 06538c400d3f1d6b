#pragma once
// Internal to the framework: the message queue of one thread and the window table's lookups.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/messaging.h"
#include "platform/types.h"

namespace TYX::Win {
class Window;
}

namespace TYX::Win::Internal {

class ThreadQueue;

// A message sent from another thread; the sender waits on its own queue until done.
struct SentRecord {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  std::shared_ptr<ThreadQueue> replyTo;
  LRESULT result = 0;  // guarded by replyTo->mutex
  bool done = false;   // guarded by replyTo->mutex
};

struct TimerEntry {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT elapseMs = 0;
  std::uint64_t dueMs = 0;
};

class ThreadQueue {
 public:
  explicit ThreadQueue(DWORD threadId) : id(threadId) {}
  const DWORD id;

  std::mutex mutex;
  std::condition_variable cv;
  // Everything below is guarded by mutex.
  std::deque<MSG> posted;
  std::deque<std::shared_ptr<SentRecord>> sent;
  std::vector<TimerEntry> timers;
  std::vector<HWND> paints;  // windows owed a paint, in request order
  bool quitPosted = false;
  int quitCode = 0;
  bool alive = true;

  // Hung detection: written by the owner thread, read by senders.
  std::atomic<std::uint64_t> lastLookMs{0};
  std::atomic<bool> waiting{false};

  // Owner thread only.
  HWND focus = nullptr;
  int inSendDepth = 0;
};

std::shared_ptr<ThreadQueue> CurrentQueue();
std::shared_ptr<ThreadQueue> QueueById(DWORD id);
// A registered queue for a thread about to start; the thread adopts it as its own first thing.
std::shared_ptr<ThreadQueue> NewQueueForThread();
void AdoptQueue(std::shared_ptr<ThreadQueue> queue);
// Wakes every loop (the manual clock moved).
void WakeAllQueues();

// Window table lookups (window.cpp).
Window* ResolveWindow(HWND hwnd);
DWORD WindowThread(HWND hwnd);

// Paint requests and clean-up when a window ends.
void RequestPaint(HWND hwnd);
void CancelPaint(HWND hwnd);
void ForgetWindow(HWND hwnd, DWORD threadId);

}  // namespace TYX::Win::Internal
