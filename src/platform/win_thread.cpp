#include "platform/win_thread.h"

#include "platform/messaging.h"

namespace TYX::Win {

WinThread::WinThread() = default;

WinThread::~WinThread() {
  if (thread_) {
    thread_->Resume();
    if (thread_->IsRunning()) {
      PostQuit();
      thread_->Wait();
    }
  }
}

bool WinThread::CreateThread(bool suspended) {
  if (thread_) return false;
  thread_ = Thread::Create(
      [this]() -> DWORD {
        if (!InitInstance()) return static_cast<DWORD>(ExitInstance());
        const int code = Run();
        ExitInstance();
        return static_cast<DWORD>(code);
      },
      suspended);
  return thread_ != nullptr;
}

void WinThread::ResumeThread() {
  if (thread_) thread_->Resume();
}

BOOL WinThread::PostThreadMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!thread_) return FALSE;
  return TYX::Win::PostThreadMessage(thread_->Id(), msg, wParam, lParam);
}

void WinThread::PostQuit(int exitCode) { PostThreadMessage(WM_QUIT, static_cast<WPARAM>(exitCode), 0); }

DWORD WinThread::Join(DWORD timeoutMs) {
  if (!thread_) return WAIT_OBJECT_0;
  return thread_->Wait(timeoutMs);
}

void WinThread::OnThreadMessage(UINT msg, ThreadHandler handler) { handlers_[msg] = std::move(handler); }

int WinThread::Run() {
  MSG msg;
  while (GetMessage(&msg, nullptr, 0, 0)) {
    if (PreTranslateMessage(&msg)) continue;
    if (!msg.hwnd) {
      auto it = handlers_.find(msg.message);
      if (it != handlers_.end()) it->second(msg.wParam, msg.lParam);
      continue;
    }
    DispatchMessage(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace TYX::Win
