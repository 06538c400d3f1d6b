#pragma once
// Manual- and auto-reset events and waits with time-outs (real milliseconds), on the standard library.
#include <condition_variable>
#include <mutex>

#include "platform/types.h"

namespace TYX::Win {

constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;

class Event {
 public:
  explicit Event(bool manualReset = true, bool initialState = false)
      : manual_(manualReset), signalled_(initialState) {}
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void Set();
  void Reset();
  bool IsSet() const;
  // WAIT_OBJECT_0 when signalled (an auto-reset event is reset by the wait), WAIT_TIMEOUT otherwise.
  DWORD Wait(DWORD timeoutMs = INFINITE);

 private:
  const bool manual_;
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  bool signalled_;  // guarded by mutex_
};

inline DWORD WaitForSingleObject(Event& event, DWORD timeoutMs) { return event.Wait(timeoutMs); }

void Sleep(DWORD ms);

}  // namespace TYX::Win
