// Framework figures: send round trip on the same thread and across threads, and post throughput.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/event.h"
#include "platform/messaging.h"
#include "platform/window.h"

using namespace TYX::Win;
using Clock = std::chrono::steady_clock;

namespace {
double NsPer(Clock::duration d, long n) {
  return static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(d).count()) / static_cast<double>(n);
}
}  // namespace

int main() {
  Window local;
  local.OnMessage(WM_USER, [](WPARAM w, LPARAM) -> LRESULT { return static_cast<LRESULT>(w) + 1; });
  local.Create(nullptr, Rect{0, 0, 1, 1}, 0);

  const long kSame = 2'000'000;
  auto t0 = Clock::now();
  LRESULT sum = 0;
  for (long i = 0; i < kSame; ++i) sum += SendMessage(local.GetSafeHwnd(), WM_USER, 1, 0);
  auto t1 = Clock::now();
  std::printf("same-thread send round trip: %.1f ns (%ld sends, check %ld)\n", NsPer(t1 - t0, kSame), kSame,
              static_cast<long>(sum));

  // A window on another thread running its own loop.
  Event ready{true, false};
  Window remote;
  DWORD remoteThread = 0;
  std::thread owner([&] {
    remote.OnMessage(WM_USER, [](WPARAM w, LPARAM) -> LRESULT { return static_cast<LRESULT>(w) + 1; });
    remote.Create(nullptr, Rect{0, 0, 1, 1}, 0);
    remoteThread = GetCurrentThreadId();
    ready.Set();
    MSG msg;
    while (GetMessage(&msg)) DispatchMessage(&msg);
    remote.DestroyWindow();
  });
  ready.Wait();
  const long kCross = 100'000;
  t0 = Clock::now();
  for (long i = 0; i < kCross; ++i) sum += SendMessage(remote.GetSafeHwnd(), WM_USER, 1, 0);
  t1 = Clock::now();
  std::printf("cross-thread send round trip: %.2f us (%ld sends)\n", NsPer(t1 - t0, kCross) / 1000.0, kCross);

  // Posting: enqueue cost, then the dispatch rate of the owner's loop.
  long handled = 0;
  local.OnMessage(WM_USER + 1, [&](WPARAM, LPARAM) -> LRESULT { return ++handled; });
  const long kPosts = 2'000'000;
  t0 = Clock::now();
  for (long i = 0; i < kPosts; ++i) PostMessage(local.GetSafeHwnd(), WM_USER + 1, 0, 0);
  t1 = Clock::now();
  PumpMessages();
  auto t2 = Clock::now();
  std::printf("post: %.1f ns per post, dispatch: %.1f ns per message (%ld handled)\n", NsPer(t1 - t0, kPosts),
              NsPer(t2 - t1, kPosts), handled);

  // Cross-thread posting throughput, posted from here and handled there.
  std::atomic<long> remoteHandled{0};
  Event drained{true, false};
  remote.OnMessage(WM_USER + 1, [&](WPARAM last, LPARAM) -> LRESULT {
    ++remoteHandled;
    if (last) drained.Set();
    return 0;
  });
  t0 = Clock::now();
  for (long i = 0; i < kPosts; ++i) PostMessage(remote.GetSafeHwnd(), WM_USER + 1, i == kPosts - 1, 0);
  drained.Wait();
  t1 = Clock::now();
  std::printf("cross-thread post throughput: %.2f M messages/s\n",
              static_cast<double>(kPosts) / std::chrono::duration<double>(t1 - t0).count() / 1e6);
  PostThreadMessage(remoteThread, WM_QUIT, 0, 0);
  owner.join();
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  std::printf("peak RSS: %ld KiB\n", ru.ru_maxrss);
  return 0;
}
