#pragma once
// A modal dialog: DoModal creates the window, runs OnInitDialog, and runs a nested message loop until
// EndDialog gives the result (IDOK 1, IDCANCEL 2). Nested modal loops are independent of each other;
// a WM_QUIT met inside ends the loop and is left for the outer one.
#include <string>

#include "platform/window.h"

namespace TYX::Win {

class Dialog : public Window {
 public:
  explicit Dialog(UINT templateId = 0, HWND parent = nullptr);
  ~Dialog() override;

  void SetParentWindow(HWND parent) { ownerHwnd_ = parent; }
  HWND GetOwnerWindow() const { return ownerHwnd_; }
  UINT GetTemplateId() const { return templateId_; }
  // The rectangle the dialog window is created with (screen coordinates).
  void SetInitialRect(const Rect& rc) { initialRect_ = rc; }
  const Rect& GetInitialRect() const { return initialRect_; }

  // Returns the result given to EndDialog, or -1 when the window could not be created.
  int DoModal();
  void EndDialog(int result);
  bool IsInModalLoop() const { return inModal_; }
  int GetModalResult() const { return result_; }

  virtual BOOL OnInitDialog() { return TRUE; }
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // Default keyboard handling of a dialog: Escape reaches the cancel handler, Return the OK handler.
  BOOL PreTranslateMessage(MSG* msg) override;
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

  // Creates the dialog window without a modal loop (for modeless use and for DoModal).
  bool CreateDialogWindow();

 private:
  bool RouteThroughPreTranslate(MSG* msg);

  UINT templateId_ = 0;
  HWND ownerHwnd_ = nullptr;
  Rect initialRect_{0, 0, 400, 300};
  bool inModal_ = false;  // owner thread
  bool endRequested_ = false;
  int result_ = IDCANCEL;
};

}  // namespace TYX::Win
