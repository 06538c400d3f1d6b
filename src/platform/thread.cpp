#include "platform/thread.h"

#include <system_error>

#include "platform/thread_queue.h"

namespace TYX::Win {
namespace {
std::atomic<int> g_failNext{0};  // any thread; test hook
}

void Thread::FailNextCreations(int n) { g_failNext = n; }

std::unique_ptr<Thread> Thread::Create(Routine routine, bool suspended) {
  if (g_failNext.load() > 0) {
    --g_failNext;
    return nullptr;
  }
  std::unique_ptr<Thread> t(new Thread());
  auto queue = Internal::NewQueueForThread();
  t->id_ = queue->id;
  Thread* self = t.get();
  if (!suspended) t->resumed_.Set();
  try {
    t->thread_ = std::thread([self, queue, routine = std::move(routine)]() mutable {
      Internal::AdoptQueue(std::move(queue));
      self->resumed_.Wait();
      DWORD code = 0;
      if (!self->cancelled_) code = routine();
      self->exitCode_ = code;
      self->finished_.Set();
    });
  } catch (const std::system_error&) {
    return nullptr;
  }
  return t;
}

Thread::~Thread() {
  if (!resumed_.IsSet()) {
    cancelled_ = true;
    resumed_.Set();
  }
  if (thread_.joinable()) thread_.join();
}

void Thread::Resume() { resumed_.Set(); }

DWORD Thread::Wait(DWORD timeoutMs) { return finished_.Wait(timeoutMs); }

}  // namespace TYX::Win
