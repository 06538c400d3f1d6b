#include "platform/dialog.h"

#include "platform/user_agent.h"

namespace TYX::Win {

Dialog::Dialog(UINT templateId, HWND parent) : templateId_(templateId), ownerHwnd_(parent) {}

Dialog::~Dialog() = default;

bool Dialog::CreateDialogWindow() {
  HWND owner = IsWindow(ownerHwnd_) ? ownerHwnd_ : nullptr;
  // A dialog is a top-level popup; its owner is remembered apart from the window tree.
  if (!Create(nullptr, initialRect_, WS_POPUP | WS_VISIBLE, templateId_)) return false;
  ownerHwnd_ = owner;
  WindowProc(WM_INITDIALOG, 0, 0);
  return true;
}

int Dialog::DoModal() {
  endRequested_ = false;
  result_ = IDCANCEL;
  inModal_ = true;  // EndDialog during OnInitDialog ends the loop before it starts
  if (!CreateDialogWindow()) {
    inModal_ = false;
    return -1;
  }
  HWND self = GetSafeHwnd();
  const bool ownerWasEnabled = ownerHwnd_ && TYX::Win::IsWindowEnabled(ownerHwnd_);
  if (ownerWasEnabled) TYX::Win::EnableWindow(ownerHwnd_, FALSE);
  auto agent = GetUserAgent();
  if (!endRequested_ && IsWindow(self)) agent->OnModalOpened(*this);

  MSG msg;
  while (!endRequested_ && IsWindow(self)) {
    if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      if (!RouteThroughPreTranslate(&msg)) DispatchMessage(&msg);
      continue;
    }
    agent->OnModalIdle(*this);
    if (endRequested_ || !IsWindow(self)) break;
    if (!PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE)) WaitMessage();
  }

  inModal_ = false;
  if (ownerWasEnabled) TYX::Win::EnableWindow(ownerHwnd_, TRUE);
  if (IsWindow(self)) DestroyWindow();
  return result_;
}

bool Dialog::RouteThroughPreTranslate(MSG* msg) {
  // Messages bound for this dialog or one of its descendants pass the filters from the target up to
  // the dialog; any filter may take the message.
  HWND h = msg->hwnd;
  HWND self = GetSafeHwnd();
  std::vector<HWND> chain;
  while (h) {
    chain.push_back(h);
    if (h == self) break;
    h = TYX::Win::GetParent(h);
  }
  if (chain.empty() || chain.back() != self) return false;
  for (HWND w : chain) {
    Window* win = Window::FromHandle(w);
    if (win && win->PreTranslateMessage(msg)) return true;
  }
  return false;
}

void Dialog::EndDialog(int result) {
  result_ = result;
  endRequested_ = true;
  // Wake the loop in case it waits.
  if (IsAlive()) PostMessage(WM_NULL);
  if (!inModal_ && IsAlive()) DestroyWindow();
}

BOOL Dialog::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN) {
    if (msg->wParam == VK_ESCAPE) {
      WindowProc(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      return TRUE;
    }
    if (msg->wParam == VK_RETURN) {
      WindowProc(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      return TRUE;
    }
  }
  return FALSE;
}

LRESULT Dialog::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        OnOK();
        return 0;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        OnCancel();
        return 0;
      }
      return 0;
    case WM_CLOSE:
      // Closing a dialog is cancelling it.
      OnCancel();
      return 0;
    default:
      return Window::DefWindowProc(msg, wParam, lParam);
  }
}

}  // namespace TYX::Win
