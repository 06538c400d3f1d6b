#pragma once
// The modal transfer dialog: owns a transfer controller, starts it by itself once shown, shows the
// overall and the current file's percent, and keeps the failed files for the report shown afterwards.
// Ends with 1 when a job ran to its end, 0 when none started (another transfer runs, or closed first).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/dialog_error_report.h"
#include "toolkit/skin_popup_dialog.h"

namespace TYX::Device {
class TYX_DeviceTransControl;
}
namespace TYX::Controls {
class TYX_SkinButton;
}

namespace TYX::Library {

class TYX_DeviceTransDlg : public Controls::TYX_Skin_PopupDialog {
 public:
  using FailedFile = ::TYX::Dialog::TYX_Dialog_Error_Report::DEVICE_SYNC_CHECK_FILE_LIST;
  struct Row {
    std::string title;
    std::string path;
    std::string artist;
    std::string album;
    std::string sizeText;  // "%.1f" of the size in MB
    std::int64_t size = 0;
    std::string smartId;
  };

  static constexpr Win::UINT WM_TRANSFER_REPORT = 0xAC51;  // the controller's reports
  // wParam a row number: forwarded to the main window, then the row is read again from its file.
  static constexpr Win::UINT WM_ROW_UPDATE = 0xAC84;
  static constexpr Win::UINT WM_MAIN_STATE = 0xAC60;       // to the main window: (0, 9) started, (0, 14) ended
  static constexpr Win::UINT WM_MAIN_TRANSFER_END = 0xAC68;
  static constexpr Win::UINT kCmdStart = 0xAA0B;
  static constexpr Win::UINT kCmdClose = 0xAA0C;
  static constexpr Win::UINT kCmdCancel = 0x1069;
  static constexpr Win::UINT_PTR kTimerStart = 1;
  static constexpr int kWidth = 494;
  static constexpr int kHeight = 250;

  TYX_DeviceTransDlg(Win::HWND parent, Win::HWND mainWnd, std::vector<Row> rows);
  ~TYX_DeviceTransDlg() override;

  // The overall percent after `percent` of row `row`, rows before it counted whole: 0..100, and 0 when
  // the rows hold no bytes at all (empty files).
  static int OverallPercent(const std::vector<Row>& rows, int row, int percent);
  // "%.1f" of the bytes in MB, the size text of a row.
  static std::string SizeText(std::int64_t bytes);

  // Reads row `row` again from its file's media object: title (the file's title when the tag has
  // none), artist, album and size. False, with the row as it was, for a row past the end or a file
  // that cannot be read.
  bool RefreshRow(std::size_t row);

  const std::vector<Row>& GetRows() const { return rows_; }
  std::int64_t GetTotalBytes() const { return total_; }
  bool WasStarted() const { return started_; }
  int GetOverallPercent() const { return overall_; }
  const std::string& GetOverallText() const { return overallText_; }
  const std::string& GetFileText() const { return fileText_; }
  const std::vector<FailedFile>& GetFailedFiles() const { return failed_; }
  Device::TYX_DeviceTransControl* GetController() const { return controller_.get(); }
  Controls::TYX_SkinButton* GetCancelButton() const { return cancel_.get(); }

 protected:
  Win::BOOL OnInitDialog() override;
  void OnCancel() override;

 private:
  void OnStart();
  void OnTimerStart();
  void OnCloseRequest();
  Win::LRESULT OnReport(Win::WPARAM wParam, Win::LPARAM lParam);
  Win::LRESULT OnRowUpdate(Win::WPARAM wParam, Win::LPARAM lParam);
  void ShowProgress(int row, int percent);
  void Redraw();

  Win::HWND mainWnd_;  // owner thread, like every field below
  std::vector<Row> rows_;
  std::int64_t total_ = 0;
  std::unique_ptr<Device::TYX_DeviceTransControl> controller_;
  std::unique_ptr<Controls::TYX_SkinButton> start_;
  std::unique_ptr<Controls::TYX_SkinButton> cancel_;
  bool startPending_ = false;
  bool started_ = false;
  bool closing_ = false;
  int overall_ = 0;
  std::string overallText_ = "전체 전송률  0%";
  std::string fileText_ = "0%";
  std::vector<FailedFile> failed_;
};

}  // namespace TYX::Library
