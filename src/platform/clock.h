#pragma once
// The one process clock behind timers and the tick count. The steady clock by default; tests install a
// manual clock and advance it, so timer logic runs without sleeping.
#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/types.h"

namespace TYX::Win {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary origin; never goes backwards.
  virtual std::uint64_t NowMs() const = 0;
  // A manual clock only moves when told to, so loops wait for its change rather than for real time.
  virtual bool IsManual() const { return false; }
};

class SteadyClock final : public Clock {
 public:
  std::uint64_t NowMs() const override;
};

class ManualClock final : public Clock {
 public:
  explicit ManualClock(std::uint64_t startMs = 1000) : now_(startMs) {}
  std::uint64_t NowMs() const override { return now_.load(); }
  bool IsManual() const override { return true; }
  // Moves the clock on and wakes every message loop so due timers fire.
  void Advance(std::uint64_t ms);

 private:
  std::atomic<std::uint64_t> now_;  // written by the test thread, read by every loop
};

// Installs the process clock; null restores the steady clock.
void SetClock(std::shared_ptr<Clock> clock);
std::shared_ptr<Clock> GetClock();
std::uint64_t NowMs();
DWORD GetTickCount();

}  // namespace TYX::Win
