#include "device/put_copy_relay.h"

#include "contracts/device_records.h"
#include "platform/messaging.h"

namespace TYX::Device {

TYX_PutCopyRelay::TYX_PutCopyRelay(Win::HWND target, Win::UINT message, std::function<void()> removeCopy)
    : target_(target), message_(message), removeCopy_(std::move(removeCopy)) {
  OnMessage(kNoticeMessage, [this](Win::WPARAM w, Win::LPARAM l) { return OnNotice(w, l); });
}

TYX_PutCopyRelay* TYX_PutCopyRelay::Create(Win::HWND target, Win::UINT message, std::function<void()> removeCopy) {
  auto* relay = new TYX_PutCopyRelay(target, message, std::move(removeCopy));
  if (!relay->Window::Create(nullptr, Win::Rect{-1, -1, 0, 0}, 0)) {
    relay->removeCopy_ = nullptr;  // still the caller's
    delete relay;
    return nullptr;
  }
  return relay;
}

Win::LRESULT TYX_PutCopyRelay::OnNotice(Win::WPARAM wParam, Win::LPARAM lParam) {
  // A target that is gone just misses the notices; the copy is still removed at the end.
  if (target_ != nullptr && Win::IsWindow(target_)) Win::PostMessage(target_, message_, wParam, lParam);
  if (static_cast<int>(wParam) == dm_ts_end) {
    RemoveCopy();
    // Closed from the queue, not from inside this handler.
    PostMessage(Win::WM_CLOSE, 0, 0);
  }
  return 0;
}

void TYX_PutCopyRelay::Abandon() {
  RemoveCopy();
  DestroyWindow();
}

void TYX_PutCopyRelay::RemoveCopy() {
  if (removeCopy_) {
    auto remove = std::move(removeCopy_);
    removeCopy_ = nullptr;
    remove();
  }
}

void TYX_PutCopyRelay::PostNcDestroy() {
  // A relay destroyed before its put ended (its thread is closing) still removes the copy.
  RemoveCopy();
  delete this;
}

}  // namespace TYX::Device
