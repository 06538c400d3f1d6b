#pragma once
// Installs a manual process clock for the lifetime of the guard.
#include <memory>

#include "platform/clock.h"

namespace TYX::Test {

class ManualClockGuard {
 public:
  ManualClockGuard() : clock_(std::make_shared<Win::ManualClock>()) { Win::SetClock(clock_); }
  ~ManualClockGuard() { Win::SetClock(nullptr); }
  void Advance(std::uint64_t ms) { clock_->Advance(ms); }
  Win::ManualClock& Clock() { return *clock_; }

 private:
  std::shared_ptr<Win::ManualClock> clock_;
};

}  // namespace TYX::Test
