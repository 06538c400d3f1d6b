#pragma once
// A put of a temporary copy whose notices go to another window (the store download page): the relay
// is the window the put reports to. It passes every notice on, unchanged and in order, to the window
// that asked for them, and when the put's file-end notice has come it removes the copy and itself. The
// copy is read by the device manager client's own thread until that end, so it cannot go earlier.
//
// A relay lives on the thread that made it and deletes itself; callers keep only its handle.
#include <functional>

#include "platform/window.h"

namespace TYX::Device {

class TYX_PutCopyRelay : public Win::Window {
 public:
  // The message the put is told to report with (give it to dmPutFile with Hwnd()).
  static constexpr Win::UINT kNoticeMessage = 0x7E8;

  // A relay passing notices on to (target, message) and calling removeCopy after the put's end; null
  // when its window cannot be made (the caller then still owns the copy).
  static TYX_PutCopyRelay* Create(Win::HWND target, Win::UINT message, std::function<void()> removeCopy);

  // The put did not start: removes the copy and the relay now.
  void Abandon();

 protected:
  void PostNcDestroy() override;

 private:
  TYX_PutCopyRelay(Win::HWND target, Win::UINT message, std::function<void()> removeCopy);
  Win::LRESULT OnNotice(Win::WPARAM wParam, Win::LPARAM lParam);
  void RemoveCopy();

  Win::HWND target_;                 // fixed at creation; this thread
  Win::UINT message_;                // fixed at creation
  std::function<void()> removeCopy_;  // this thread; emptied once called
};

}  // namespace TYX::Device
