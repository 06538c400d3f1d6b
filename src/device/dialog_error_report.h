#pragma once
// The transfer report and sync guide dialog. At step kStepResult it tells how many files reached the
// phone and lists the failed ones with their reasons; at the guide steps it explains the sync list and
// asks whether to send it. Everything is laid out in code at fixed coordinates.
#include <string>
#include <vector>

#include "toolkit/check_box.h"
#include "toolkit/list_ctrl_ex.h"
#include "toolkit/radio_button.h"
#include "toolkit/skin_popup_dialog.h"

namespace TYX::Dialog {

class TYX_Dialog_Error_Report : public Controls::TYX_Skin_PopupDialog {
 public:
  struct DEVICE_SYNC_CHECK_FILE_LIST {
    std::string folder;
    std::string fileName;
    std::string title;
    std::string message;
    bool operator==(const DEVICE_SYNC_CHECK_FILE_LIST&) const = default;
  };
  enum PageKind { PageKind_DeviceTransfer = 0 };

  static constexpr int kStepResult = 0xAC59;
  static constexpr int kStepGuideAuto = 0xAC5A;
  static constexpr int kStepGuideFill = 0xAC5B;
  static constexpr int kStepAskSend = 0xAC5C;
  static constexpr int kStepAutoRunning = 0xAC5D;

  static constexpr Win::UINT kListId = 100;
  static constexpr Win::UINT kModeAutoId = 43440;
  static constexpr Win::UINT kModeHandId = 43441;
  static constexpr Win::UINT kCheckCloseId = 43408;
  static constexpr Win::UINT WM_STORE_COMPLEX_NAVIGATE = 0xA059;
  static constexpr Win::UINT WM_STORE_NAVIGATE = 0xA041;
  static constexpr Win::UINT kResultImage = 20282;
  static constexpr Win::COLORREF kHeadingColor = 0x663A3A;
  static constexpr Win::COLORREF kBodyColor = 0x6B6056;
  static constexpr Win::COLORREF kBandColor = 0xEFE4DC;
  static constexpr Win::COLORREF kDisabledColor = 0xADADAD;

  TYX_Dialog_Error_Report(Win::HWND parent, PageKind kind);
  ~TYX_Dialog_Error_Report() override;

  void SetFileList(std::vector<DEVICE_SYNC_CHECK_FILE_LIST> files);
  void SetStep(int step) { step_ = step; }
  // The number of files of the transfer; a total below the failed count counts as that count.
  void SetTotal(int total) { total_ = total; }
  void SetUrl(const std::string& url) { url_ = url; }
  void SetContentsWindow(Win::HWND hwnd) { contents_ = hwnd; }

  int GetStep() const { return step_; }
  int GetTotal() const { return total_; }
  int GetFailedCount() const { return failed_; }
  int GetCompletedCount() const { return completed_; }
  const std::string& GetFailedText() const { return failedText_; }
  const std::string& GetCompletedText() const { return completedText_; }
  const std::string& GetUrl() const { return url_; }
  // 1 when the person ticked "do not show again"; read after the dialog closed.
  int GetNoMoreShow() const { return noMoreShow_; }
  // 1 automatic, 0 manual.
  int GetAutoMode() const { return autoMode_; }
  Controls::TYX_ListCtrlEx* GetErrorList() const { return list_; }
  // The hint of a row of the error list (its reason), empty for a bad row.
  std::string GetRowHint(int row) const;

  void OnBnClickedModeAuto();
  void OnBnClickedModeHand();
  void OnBnClickedCheckClose();
  Win::LRESULT OnStoreComplexNavigate(Win::WPARAM wParam, Win::LPARAM lParam);

 protected:
  Win::BOOL OnInitDialog() override;

 private:
  void InitCtrl();
  void InitDrawInfo();
  void DrawLines(const std::vector<std::string>& lines, int top);
  void UpdateCounts();

  PageKind kind_;  // owner thread, like every field below
  int step_ = kStepResult;
  std::vector<DEVICE_SYNC_CHECK_FILE_LIST> files_;
  std::vector<std::string> hints_;
  int total_ = 0;
  int failed_ = 0;
  int completed_ = 0;
  std::string failedText_;
  std::string completedText_;
  int noMoreShow_ = 0;
  int autoMode_ = 1;
  std::string url_;
  Win::HWND contents_ = nullptr;
  Controls::TYX_ListCtrlEx* list_ = nullptr;
  Controls::TYX_RadioButton* modeAuto_ = nullptr;
  Controls::TYX_RadioButton* modeHand_ = nullptr;
  Controls::TYX_CheckBox* checkClose_ = nullptr;
};

}  // namespace TYX::Dialog
