#pragma once
// Shared by the worker's tests: an owner window that records the progress messages, a worker on its own
// thread run job by job, and a user stream whose blocks the test gates.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "components/audio/bass_api.h"
#include "convert/extractor_thread.h"
#include "platform/messaging.h"
#include "platform/window.h"

namespace TYX::Test {

using namespace TYX::Convert;
using namespace TYX::Win;
namespace Audio = TYX::Audio;

constexpr DWORD kWatchdogMs = 120000;

// The owner window: records every progress message.
class OwnerWindow : public Window {
 public:
  OwnerWindow() {
    OnMessage(WM_EXTRACTOR_PROGRESS, [this](WPARAM w, LPARAM l) {
      messages.emplace_back(w, l);
      if (w == EXTRACTOR_DONE) ++done;
      return LRESULT{0};
    });
    Create(nullptr, Rect{0, 0, 100, 100}, WS_POPUP);
  }
  int DoneCount() const { return done; }
  std::vector<std::pair<WPARAM, LPARAM>> Done() const {
    std::vector<std::pair<WPARAM, LPARAM>> out;
    for (auto& m : messages)
      if (m.first == EXTRACTOR_DONE) out.push_back(m);
    return out;
  }
  std::vector<std::pair<WPARAM, LPARAM>> messages;
  int done = 0;
};

class Worker {
 public:
  explicit Worker(OwnerWindow& owner) : owner_(owner) {
    thread_ = std::make_unique<CExtractorThread>();
    EXPECT_TRUE(thread_->CreateThread(true));
    thread_->SetOwner(owner.GetSafeHwnd());
    thread_->ResumeThread();
  }
  CExtractorThread& operator*() { return *thread_; }
  CExtractorThread* operator->() { return thread_.get(); }
  // Starts the stored job and pumps until its completion; returns the result and checks that the
  // completion came once and came last.
  int Run(WPARAM mode) {
    const std::size_t first = owner_.messages.size();
    const int before = owner_.done;
    thread_->PostThreadMessage(WM_EXTRACTOR_START, mode);
    EXPECT_TRUE(PumpUntil([&] { return owner_.done > before; }, kWatchdogMs));
    EXPECT_FALSE(thread_->IsJobRunning());
    // Nothing more may follow: an extra completion would be pending by now.
    PumpMessages();
    EXPECT_EQ(owner_.done, before + 1);
    EXPECT_EQ(owner_.messages.back().first, EXTRACTOR_DONE);
    // The total, when it came, came first.
    for (std::size_t i = first + 1; i < owner_.messages.size(); ++i) EXPECT_NE(owner_.messages[i].first, EXTRACTOR_TOTAL);
    return static_cast<int>(owner_.messages.back().second);
  }

 private:
  OwnerWindow& owner_;
  std::unique_ptr<CExtractorThread> thread_;
};

// A stream that hands out blocks of a tone; after `pauseAfter` blocks it waits until the job is asked
// to stop, so a cancel lands after a known number of blocks.
struct GatedStream {
  CExtractorThread* worker = nullptr;
  std::vector<std::int16_t> data;
  std::size_t off = 0;
  int blocks = 0;
  int pauseAfter = 1 << 30;
  std::mutex mutex;
  std::condition_variable cv;
  bool paused = false;
  bool stalled = false;  // hands out nothing at all
};

inline Audio::DWORD GatedProc(Audio::HSTREAM, void* buffer, Audio::DWORD length, void* user) {
  auto* g = static_cast<GatedStream*>(user);
  if (g->stalled) return 0;
  if (g->blocks == g->pauseAfter) {
    std::unique_lock<std::mutex> lock(g->mutex);
    g->paused = true;
    g->cv.notify_all();
    // Watchdog: never wait for ever.
    for (int i = 0; i < 60000 && !g->worker->IsCancelRequested(); ++i) g->cv.wait_for(lock, std::chrono::milliseconds(2));
  }
  ++g->blocks;
  const std::size_t n = std::min<std::size_t>((g->data.size() - g->off) * 2, length);
  std::memcpy(buffer, g->data.data() + g->off, n);
  g->off += n / 2;
  return static_cast<Audio::DWORD>(n) | (g->off == g->data.size() ? Audio::BASS_STREAMPROC_END : 0u);
}

}  // namespace TYX::Test
