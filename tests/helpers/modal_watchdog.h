#pragma once
// Ends a modal loop the test is stuck in: after the time-out a quit request is posted to the thread
// that made the watchdog, and the test can ask whether it fired. A fired quit that nobody took is
// taken at the end, so it cannot end a later loop of the same thread.
#include <atomic>
#include <thread>

#include "platform/messaging.h"
#include "platform/event.h"

namespace TYX::Test {

class ModalWatchdog {
 public:
  explicit ModalWatchdog(Win::DWORD timeoutMs) : ui_(Win::GetCurrentThreadId()) {
    thread_ = std::thread([this, timeoutMs] {
      if (stop_.Wait(timeoutMs) == Win::WAIT_TIMEOUT) {
        fired_ = true;
        Win::PostThreadMessage(ui_, Win::WM_QUIT, 0, 0);
      }
    });
  }
  ~ModalWatchdog() {
    stop_.Set();
    thread_.join();
    // A quit request is only handed out to an unfiltered look, after what is pending.
    if (fired_) {
      Win::PumpMessages();
      Win::MSG msg;
      Win::PeekMessage(&msg, nullptr, 0, 0, Win::PM_REMOVE);
    }
  }
  ModalWatchdog(const ModalWatchdog&) = delete;
  ModalWatchdog& operator=(const ModalWatchdog&) = delete;
  bool Fired() const { return fired_.load(); }

 private:
  Win::DWORD ui_;
  Win::Event stop_{true, false};  // set by the owner's thread, waited on by the watchdog's
  std::atomic<bool> fired_{false};
  std::thread thread_;
};

}  // namespace TYX::Test
