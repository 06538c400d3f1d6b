#include "platform/clock.h"

#include <chrono>
#include <mutex>

#include "platform/thread_queue.h"

namespace TYX::Win {
namespace {
std::mutex g_clockMutex;
std::shared_ptr<Clock> g_clock;  // guarded by g_clockMutex; null means the steady clock

std::shared_ptr<Clock> Steady() {
  static auto steady = std::make_shared<SteadyClock>();
  return steady;
}
}  // namespace

std::uint64_t SteadyClock::NowMs() const {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count());
}

void ManualClock::Advance(std::uint64_t ms) {
  now_ += ms;
  Internal::WakeAllQueues();
}

void SetClock(std::shared_ptr<Clock> clock) {
  {
    std::lock_guard<std::mutex> lk(g_clockMutex);
    g_clock = std::move(clock);
  }
  Internal::WakeAllQueues();
}

std::shared_ptr<Clock> GetClock() {
  std::lock_guard<std::mutex> lk(g_clockMutex);
  return g_clock ? g_clock : Steady();
}

std::uint64_t NowMs() { return GetClock()->NowMs(); }
DWORD GetTickCount() { return static_cast<DWORD>(NowMs()); }

}  // namespace TYX::Win
