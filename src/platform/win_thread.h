#pragma once
// A thread object with its own message loop and a map of thread messages to handlers. Created
// suspended, resumed, told to quit and joined. Messages posted before it runs wait in its queue.
#include <functional>
#include <memory>
#include <unordered_map>

#include "platform/thread.h"
#include "platform/types.h"

namespace TYX::Win {

class WinThread {
 public:
  using ThreadHandler = std::function<void(WPARAM, LPARAM)>;

  WinThread();
  virtual ~WinThread();  // a thread still running is told to quit and joined
  WinThread(const WinThread&) = delete;
  WinThread& operator=(const WinThread&) = delete;

  // False when no thread can be made.
  bool CreateThread(bool suspended = true);
  void ResumeThread();
  DWORD GetThreadId() const { return thread_ ? thread_->Id() : 0; }
  bool IsRunning() const { return thread_ && thread_->IsRunning(); }

  BOOL PostThreadMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  // Posts WM_QUIT to the thread's loop.
  void PostQuit(int exitCode = 0);
  // WAIT_OBJECT_0 once the thread has ended.
  DWORD Join(DWORD timeoutMs = INFINITE);
  DWORD ExitCode() const { return thread_ ? thread_->ExitCode() : 0; }

  // Register before the thread runs; handlers run on the thread.
  void OnThreadMessage(UINT msg, ThreadHandler handler);

 protected:
  virtual bool InitInstance() { return true; }
  virtual int ExitInstance() { return 0; }
  // The loop: thread messages go to the map, window messages are dispatched.
  virtual int Run();
  virtual BOOL PreTranslateMessage(MSG* msg) {
    (void)msg;
    return FALSE;
  }

 private:
  std::unique_ptr<Thread> thread_;
  std::unordered_map<UINT, ThreadHandler> handlers_;  // filled before the thread runs, read on it
};

}  // namespace TYX::Win
