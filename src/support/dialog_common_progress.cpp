#include "support/dialog_common_progress.h"

#include <climits>
#include <exception>

#include "platform/messaging.h"
#include "platform/window.h"
#include "toolkit/dialog_template.h"
#include "toolkit/progress_bar.h"
#include "toolkit/skin_button.h"
#include "toolkit/static_text.h"
#include "util/log.h"

namespace TYX::Dialog {

using namespace TYX::Win;
using Controls::TYX_ControlTemplate;
using Controls::TYX_ProgressBar;
using Controls::TYX_SkinButton;
using Controls::TYX_StaticText;

namespace {
constexpr int kCaptionMargin = 5;
}

void TYX_Dialog_CommonProgress::RegisterTemplate() {
  Controls::TYX_DialogTemplate t;
  t.id = kTemplateId;
  t.size = {360, 160};
  using Kind = TYX_ControlTemplate::Kind;
  t.controls = {
      {Kind::Static, kMessageId, Rect{20, 44, 340, 60}, ""},
      {Kind::Static, kStatusId, Rect{20, 66, 340, 82}, ""},
      {Kind::Progress, kProgressId, Rect{20, 90, 340, 102}, ""},
      {Kind::Button, kButtonId, Rect{143, 120, 216, 142}, "취소"},
  };
  Controls::RegisterDialogTemplate(t);
}

UINT TYX_Dialog_CommonProgress::TemplateId() {
  // Registered before the popup base reads it, once per process.
  static const bool registered = [] {
    RegisterTemplate();
    return true;
  }();
  (void)registered;
  return kTemplateId;
}

TYX_Dialog_CommonProgress::TYX_Dialog_CommonProgress(HWND parent) : TYX_Skin_PopupDialog(TemplateId(), parent) {
  // Reached when the message is dispatched outside this dialog's own loop (no filter ran).
  OnMessage(WM_USER, [this](WPARAM, LPARAM) -> LRESULT {
    SyncControls();
    return 0;
  });
  OnMessage(WM_DESTROY, [this](WPARAM w, LPARAM l) -> LRESULT {
    {
      std::lock_guard lock(lock_);
      ready_ = 0;
      hwnd_ = nullptr;
    }
    return DefWindowProc(WM_DESTROY, w, l);
  });
}

TYX_Dialog_CommonProgress::~TYX_Dialog_CommonProgress() = default;

// ---- ShowThreadProgressDialog and the worker ----

DWORD TYX_Dialog_CommonProgress::ShowThreadProgressDialog(HWND parent, WorkRoutine routine, std::uintptr_t userParam) {
  TYX_Dialog_CommonProgress dlg(parent);
  std::unique_ptr<Thread> worker = Thread::Create([&dlg] { return dlg.ThreadMain(); }, /*suspended=*/true);
  if (!worker) {
    TYX_Log::Instance()->Add("TYX_Dialog_CommonProgress::ShowThreadProgressDialog - no worker thread");
    return kNoThread;
  }
  {
    std::lock_guard lock(dlg.lock_);
    dlg.terminated_ = 0;
    dlg.routine_ = std::move(routine);
    dlg.userParam_ = userParam;
    dlg.worker_ = worker.get();
  }
  worker->Resume();

  dlg.DoModal();
  {
    std::lock_guard lock(dlg.lock_);
    dlg.terminated_ = 1;
  }
  dlg.terminatedEvent_.Set();
  dlg.wake_.Set();

  // The dialog object lives on this stack: it must not go before the worker has ended.
  worker->Wait(INFINITE);
  worker.reset();
  return dlg.GetResult();
}

DWORD TYX_Dialog_CommonProgress::ThreadMain() {
  // Wait for the dialog to be up. Once it has been ready the routine runs, even when the person has
  // cancelled (or the dialog has closed) since: the routine sees IsTerminated and decides for itself.
  // Only a dialog that ended without ever being ready (it could not be created) leaves it unrun, instead
  // of leaving this thread polling forever.
  for (;;) {
    {
      std::lock_guard lock(lock_);
      if (wasReady_ || terminated_) break;
    }
    wake_.Wait(kReadyPollMs);
  }

  WorkRoutine routine;
  bool run = false;
  {
    std::lock_guard lock(lock_);
    run = wasReady_ != 0;
    routine = routine_;
  }

  DWORD code = 0;
  if (run && routine) {
    try {
      code = routine(this);
    } catch (const std::exception& e) {
      TYX_Log::Instance()->Add("TYX_Dialog_CommonProgress::ThreadProc exception : %s", e.what());
      code = 0;
    } catch (...) {
      TYX_Log::Instance()->Add("TYX_Dialog_CommonProgress::ThreadProc unknown exception");
      code = 0;
    }
  }

  bool terminated = false;
  bool autoClose = false;
  {
    std::lock_guard lock(lock_);
    terminated = terminated_ != 0;
    autoClose = autoClose_ != 0;
    if (!terminated) buttonTitle_ = "닫기";
    // The routine is over, so the button must close the dialog whether or not the routine ever
    // enabled it.
    cancelEnabled_ = 1;
  }
  Update();
  if (autoClose) {
    HWND h;
    {
      std::lock_guard lock(lock_);
      h = hwnd_;
    }
    if (IsWindow(h)) TYX::Win::PostMessage(h, WM_CLOSE, 0, 0);
  }
  {
    std::lock_guard lock(lock_);
    worker_ = nullptr;
  }
  workerEnded_.Set();
  return code;
}

bool TYX_Dialog_CommonProgress::WaitForTermination(DWORD timeoutMs) const {
  return terminatedEvent_.Wait(timeoutMs) == WAIT_OBJECT_0;
}

bool TYX_Dialog_CommonProgress::WaitForWorkerEnd(DWORD timeoutMs) const {
  return workerEnded_.Wait(timeoutMs) == WAIT_OBJECT_0;
}

// ---- Dialog side (user-interface thread) ----

BOOL TYX_Dialog_CommonProgress::OnInitDialog() {
  TYX_Skin_PopupDialog::OnInitDialog();
  // The template's button becomes a skinned button with the same ID, place and caption.
  if (!GetControl<TYX_SkinButton>(kButtonId)) ReplaceControl<TYX_SkinButton>(kButtonId);
  if (Window* aux = GetAuxWindow()) aux->ShowWindow(SW_HIDE);
  {
    // The controls take the initial values at once, under the same lock hold that makes the dialog
    // ready, so the worker cannot start its routine before they show. (A posted update would be applied
    // later, with whatever the routine had stored by then.)
    std::lock_guard lock(lock_);
    hwnd_ = GetSafeHwnd();
    ready_ = 1;
    wasReady_ = 1;
    SyncControlsLocked();
  }
  wake_.Set();
  return TRUE;
}

BOOL TYX_Dialog_CommonProgress::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
    OnCancel();
    return TRUE;
  }
  if (msg->message == WM_USER && msg->hwnd == GetSafeHwnd()) {
    SyncControls();
    return TRUE;
  }
  return TYX_Skin_PopupDialog::PreTranslateMessage(msg);
}

void TYX_Dialog_CommonProgress::SyncControls() {
  std::lock_guard lock(lock_);
  SyncControlsLocked();
}

void TYX_Dialog_CommonProgress::SyncControlsLocked() {
  if (!ready_) return;
  if (auto* line = GetControl<TYX_StaticText>(kMessageId); line && line->GetText() != message_)
    line->SetText(message_);
  if (auto* line = GetControl<TYX_StaticText>(kStatusId); line && line->GetText() != status_)
    line->SetText(status_);
  if (auto* bar = GetControl<TYX_ProgressBar>(kProgressId)) {
    const int upper = progressMax_ > static_cast<DWORD>(INT_MAX) ? INT_MAX : static_cast<int>(progressMax_);
    if (bar->GetLower() != 0 || bar->GetUpper() != upper) bar->SetRange32(0, upper);
    const int pos = progressPos_ > static_cast<DWORD>(INT_MAX) ? INT_MAX : static_cast<int>(progressPos_);
    if (bar->GetPos() != pos) bar->SetPos(pos);
  }
  if (auto* button = GetControl<TYX_SkinButton>(kButtonId)) {
    const bool enable = cancelEnabled_ != 0;
    if (button->IsWindowEnabled() != enable) button->EnableWindow(enable);
    if (button->GetCaption() != buttonTitle_) {
      button->SetCaptionMargin(kCaptionMargin, kCaptionMargin);
      button->SetCaption(buttonTitle_);
      Invalidate();
    }
  }
}

void TYX_Dialog_CommonProgress::OnCancel() {
  bool keepOpen = false;
  {
    std::lock_guard lock(lock_);
    terminated_ = 1;
    terminatedEvent_.Set();
    keepOpen = !autoClose_ && worker_ != nullptr && worker_->Wait(0) == WAIT_TIMEOUT;
  }
  wake_.Set();
  // The routine is expected to notice IsTerminated and return; the next press closes the dialog.
  if (keepOpen) return;
  EndDialog(IDCANCEL);
}

// ---- Setters and getters ----

void TYX_Dialog_CommonProgress::SetMessage(const std::string& text) {
  std::lock_guard lock(lock_);
  message_ = text;
}

void TYX_Dialog_CommonProgress::SetStatus(const std::string& text) {
  std::lock_guard lock(lock_);
  status_ = text;
}

void TYX_Dialog_CommonProgress::SetButtonTitle(const std::string& text) {
  std::lock_guard lock(lock_);
  buttonTitle_ = text;
}

void TYX_Dialog_CommonProgress::SetProgressPos(DWORD pos) {
  std::lock_guard lock(lock_);
  progressPos_ = pos;
}

void TYX_Dialog_CommonProgress::SetProgressMax(DWORD max) {
  std::lock_guard lock(lock_);
  progressMax_ = max;
}

void TYX_Dialog_CommonProgress::EnableCancel(BOOL enable) {
  std::lock_guard lock(lock_);
  cancelEnabled_ = enable ? 1 : 0;
}

void TYX_Dialog_CommonProgress::SetAutoClose(BOOL autoClose) {
  std::lock_guard lock(lock_);
  autoClose_ = autoClose ? 1 : 0;
}

void TYX_Dialog_CommonProgress::SetResult(DWORD result) {
  std::lock_guard lock(lock_);
  result_ = result;
}

DWORD TYX_Dialog_CommonProgress::GetResult() const {
  std::lock_guard lock(lock_);
  return result_;
}

std::uintptr_t TYX_Dialog_CommonProgress::GetUserParam() const {
  std::lock_guard lock(lock_);
  return userParam_;
}

void TYX_Dialog_CommonProgress::Update() {
  HWND h;
  {
    std::lock_guard lock(lock_);
    h = hwnd_;
  }
  if (IsWindow(h)) TYX::Win::PostMessage(h, WM_USER, 0, 0);
}

BOOL TYX_Dialog_CommonProgress::GetReady() const {
  std::lock_guard lock(lock_);
  return ready_;
}

BOOL TYX_Dialog_CommonProgress::IsTerminated() const {
  std::lock_guard lock(lock_);
  return terminated_;
}

void TYX_Dialog_CommonProgress::SetMessage(TYX_Dialog_CommonProgress* dlg, const std::string& text) {
  if (dlg) dlg->SetMessage(text);
}
void TYX_Dialog_CommonProgress::SetStatus(TYX_Dialog_CommonProgress* dlg, const std::string& text) {
  if (dlg) dlg->SetStatus(text);
}
void TYX_Dialog_CommonProgress::SetButtonTitle(TYX_Dialog_CommonProgress* dlg, const std::string& text) {
  if (dlg) dlg->SetButtonTitle(text);
}
void TYX_Dialog_CommonProgress::SetProgressPos(TYX_Dialog_CommonProgress* dlg, DWORD pos) {
  if (dlg) dlg->SetProgressPos(pos);
}
void TYX_Dialog_CommonProgress::SetProgressMax(TYX_Dialog_CommonProgress* dlg, DWORD max) {
  if (dlg) dlg->SetProgressMax(max);
}
void TYX_Dialog_CommonProgress::EnableCancel(TYX_Dialog_CommonProgress* dlg, BOOL enable) {
  if (dlg) dlg->EnableCancel(enable);
}
void TYX_Dialog_CommonProgress::SetAutoClose(TYX_Dialog_CommonProgress* dlg, BOOL autoClose) {
  if (dlg) dlg->SetAutoClose(autoClose);
}
void TYX_Dialog_CommonProgress::Update(TYX_Dialog_CommonProgress* dlg) {
  if (dlg) dlg->Update();
}
BOOL TYX_Dialog_CommonProgress::GetReady(const TYX_Dialog_CommonProgress* dlg) { return dlg ? dlg->GetReady() : 1; }
BOOL TYX_Dialog_CommonProgress::IsTerminated(const TYX_Dialog_CommonProgress* dlg) {
  return dlg ? dlg->IsTerminated() : 1;
}

}  // namespace TYX::Dialog
