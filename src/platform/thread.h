#pragma once
// A thread that can be created suspended, resumed, waited for and asked for its exit code.
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "platform/event.h"
#include "platform/types.h"

namespace TYX::Win {

class Thread {
 public:
  using Routine = std::function<DWORD()>;

  // Null when no thread can be made. The routine runs after Resume() when created suspended.
  static std::unique_ptr<Thread> Create(Routine routine, bool suspended);
  ~Thread();  // waits for the routine to end; a suspended thread is released and ends at once

  void Resume();
  DWORD Wait(DWORD timeoutMs = INFINITE);  // WAIT_OBJECT_0 once the routine has returned
  bool IsRunning() const { return !finished_.IsSet(); }
  DWORD ExitCode() const { return exitCode_.load(); }
  // Our id of the thread, known before it runs; its message queue exists from creation on.
  DWORD Id() const { return id_; }

  // Makes the next n creations fail, for tests of the failure paths.
  static void FailNextCreations(int n);

  void SetPriority(int) {}  // priorities are a no-op here

 private:
  Thread() = default;
  std::thread thread_;
  Event resumed_{true, false};
  Event finished_{true, false};
  std::atomic<bool> cancelled_{false};  // set when destroyed before being resumed
  std::atomic<DWORD> exitCode_{0};
  DWORD id_ = 0;
};

}  // namespace TYX::Win
