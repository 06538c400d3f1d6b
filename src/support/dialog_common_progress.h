#pragma once
// A reusable modal progress dialog that runs a caller's work routine on a worker thread. The dialog
// shows a message line (control 5031), a status line (5032), a progress bar (5033) and one button (2).
//
// The work routine reports through the setters below, which only store values under the dialog's lock,
// and calls Update() after a batch of changes; the dialog then brings its controls in line on the
// user-interface thread. The routine polls IsTerminated() to stop early when the person cancels.
//
//   DWORD Work(TYX_Dialog_CommonProgress* dlg) {
//     for (...) { if (dlg->IsTerminated()) break; dlg->SetProgressPos(i); dlg->Update(); }
//     dlg->SetResult(count);
//     return 0;
//   }
//   DWORD result = TYX_Dialog_CommonProgress::ShowThreadProgressDialog(parent, Work, 0);
//
// Each setter and getter also has a static form taking the dialog pointer, which does nothing (the
// getters return 1) for a null dialog.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "platform/event.h"
#include "platform/thread.h"
#include "toolkit/skin_popup_dialog.h"

namespace TYX::Dialog {

using Win::BOOL;
using Win::DWORD;
using Win::HWND;
using Win::UINT;

class TYX_Dialog_CommonProgress : public Controls::TYX_Skin_PopupDialog {
 public:
  using WorkRoutine = std::function<DWORD(TYX_Dialog_CommonProgress*)>;

  static constexpr UINT kTemplateId = 6003;
  static constexpr UINT kMessageId = 5031;
  static constexpr UINT kStatusId = 5032;
  static constexpr UINT kProgressId = 5033;
  static constexpr UINT kButtonId = 2;  // IDCANCEL
  static constexpr DWORD kNoThread = 0xFFFFFFFFu;
  // The worker looks for the dialog's readiness this often until the dialog is up.
  static constexpr DWORD kReadyPollMs = 100;

  explicit TYX_Dialog_CommonProgress(HWND parent = nullptr);
  ~TYX_Dialog_CommonProgress() override;

  // Runs the whole protocol on the calling (user-interface) thread: creates the worker suspended, shows
  // the dialog modally while the routine runs, waits for the worker to end and returns the result field.
  // kNoThread (-1) when no worker thread can be made; no dialog is shown then.
  static DWORD ShowThreadProgressDialog(HWND parent, WorkRoutine routine, std::uintptr_t userParam);

  // Work-routine side; any thread.
  void SetMessage(const std::string& text);
  void SetStatus(const std::string& text);
  void SetButtonTitle(const std::string& text);
  void SetProgressPos(DWORD pos);
  void SetProgressMax(DWORD max);
  void EnableCancel(BOOL enable);
  void SetAutoClose(BOOL autoClose);
  void SetResult(DWORD result);
  DWORD GetResult() const;
  std::uintptr_t GetUserParam() const;
  // Asks the dialog to show the current values; does nothing once the window is gone.
  void Update();
  BOOL GetReady() const;
  BOOL IsTerminated() const;

  // Null-safe forms.
  static void SetMessage(TYX_Dialog_CommonProgress* dlg, const std::string& text);
  static void SetStatus(TYX_Dialog_CommonProgress* dlg, const std::string& text);
  static void SetButtonTitle(TYX_Dialog_CommonProgress* dlg, const std::string& text);
  static void SetProgressPos(TYX_Dialog_CommonProgress* dlg, DWORD pos);
  static void SetProgressMax(TYX_Dialog_CommonProgress* dlg, DWORD max);
  static void EnableCancel(TYX_Dialog_CommonProgress* dlg, BOOL enable);
  static void SetAutoClose(TYX_Dialog_CommonProgress* dlg, BOOL autoClose);
  static void Update(TYX_Dialog_CommonProgress* dlg);
  static BOOL GetReady(const TYX_Dialog_CommonProgress* dlg);
  static BOOL IsTerminated(const TYX_Dialog_CommonProgress* dlg);

  // For the routine: waits until the dialog is cancelled or closed (true), or the time-out passes.
  bool WaitForTermination(DWORD timeoutMs) const;
  // Waits until the worker's routine has ended (true), or the time-out passes (false).
  bool WaitForWorkerEnd(DWORD timeoutMs) const;

  // The dialog template this dialog is built on (message line, status line, bar, button).
  static void RegisterTemplate();

 protected:
  BOOL OnInitDialog() override;
  void OnCancel() override;
  BOOL PreTranslateMessage(Win::MSG* msg) override;

 private:
  static UINT TemplateId();
  // The worker thread's routine.
  DWORD ThreadMain();
  // Brings the controls in line with the fields; user-interface thread.
  void SyncControls();
  void SyncControlsLocked();  // lock_ held

  mutable std::mutex lock_;  // guards every field below; the UI thread and the worker
  WorkRoutine routine_;
  std::uintptr_t userParam_ = 0;
  DWORD result_ = 0;
  BOOL terminated_ = 0;
  Win::Thread* worker_ = nullptr;  // owned by ShowThreadProgressDialog; cleared by the worker at its end
  BOOL ready_ = 0;
  BOOL wasReady_ = 0;  // set with ready_ and never cleared: the worker runs the routine once it is set
  std::string message_;
  std::string status_;
  DWORD progressPos_ = 0;
  DWORD progressMax_ = 100;
  BOOL cancelEnabled_ = 0;
  BOOL autoClose_ = 0;
  std::string buttonTitle_ = "취소";
  HWND hwnd_ = nullptr;  // the dialog window while it lives, readable from the worker

  // Wakes the worker's readiness poll early (set when ready or terminated changes).
  mutable Win::Event wake_{true, false};
  // Set together with terminated_.
  mutable Win::Event terminatedEvent_{true, false};
  // Set when the work routine has returned and the worker no longer touches the dialog's fields.
  mutable Win::Event workerEnded_{true, false};
};

}  // namespace TYX::Dialog
