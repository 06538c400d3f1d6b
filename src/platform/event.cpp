#include "platform/event.h"

#include <chrono>
#include <thread>

namespace TYX::Win {

void Event::Set() {
  std::lock_guard<std::mutex> lk(mutex_);
  signalled_ = true;
  if (manual_) cv_.notify_all();
  else cv_.notify_one();
}

void Event::Reset() {
  std::lock_guard<std::mutex> lk(mutex_);
  signalled_ = false;
}

bool Event::IsSet() const {
  std::lock_guard<std::mutex> lk(mutex_);
  return signalled_;
}

DWORD Event::Wait(DWORD timeoutMs) {
  std::unique_lock<std::mutex> lk(mutex_);
  auto ready = [this] { return signalled_; };
  if (timeoutMs == INFINITE) {
    cv_.wait(lk, ready);
  } else if (!cv_.wait_for(lk, std::chrono::milliseconds(timeoutMs), ready)) {
    return WAIT_TIMEOUT;
  }
  if (!manual_) signalled_ = false;
  return WAIT_OBJECT_0;
}

void Sleep(DWORD ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace TYX::Win
