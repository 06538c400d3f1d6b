#pragma once
// The modal popup of the automatic scan: it walks the search folder (or every fixed and network drive)
// for the configured formats with the add-files worker in its folder mode, shows a running bar, the
// current folder and the number of songs added, and offers to stop. When there is nothing to run (no
// library manager, no drive, no skin) it closes at once: 2 without a manager, 1 otherwise.
//
// Modal result: 1 when the scan completed, 2 when it was stopped or failed.
#include <string>
#include <vector>

#include "import/add_files_impl.h"
#include "toolkit/skin_popup_dialog.h"

namespace TYX::Controls {
class TYX_ProgressBar;
}

namespace TYX::Library {

class TYX_Library_AutoScanPopup : public Controls::TYX_Skin_PopupDialog {
 public:
  using tagPathItem = TYX_Library_AddFilesImpl::tagPathItem;
  using tagAddItemsInfo = TYX_Library_AddFilesImpl::tagAddItemsInfo;

  static constexpr Win::UINT kProgressId = 1001;
  static constexpr Win::UINT kProgressImage = 20427;
  static constexpr Win::UINT kStartTimerId = 1;
  static constexpr Win::UINT kStartDelayMs = 30;
  static constexpr Win::UINT kStepTimerId = 2;
  static constexpr Win::UINT kStepMs = 50;
  static constexpr std::size_t kMaxDrives = 25;

  explicit TYX_Library_AutoScanPopup(Win::HWND parent = nullptr);
  ~TYX_Library_AutoScanPopup() override;

  void SetLibraryManager(TYX_LibraryManager* manager) { libraryManager_ = manager; }
  // Takes the pattern list as the filter and its display form; E_FAIL when it holds no pattern (the
  // list is taken all the same, and every walk then finds nothing).
  Win::HRESULT SetExtFilter(const std::string& patterns);
  // The folder to scan; empty scans every drive.
  void SetSearchPath(const std::string& path) { searchPath_ = path; }

  const std::string& GetExtFilter() const { return extFilter_; }
  const std::string& GetFormatsText() const { return formatsText_; }
  const std::string& GetSearchPath() const { return searchPath_; }
  int GetProgress() const { return progress_; }
  const std::string& GetCurrentFolder() const { return currentFolder_; }

  // "MP3, OGG" for "*.mp3;*.ogg": each pattern's extension in upper case, joined by ", ".
  static std::string FormatsText(const std::string& patterns);
  // The mounted local and network file systems, at most kMaxDrives, roots without a trailing '/'.
  static std::vector<std::string> DriveFolders();

  // After the dialog closed: one record per file found, with its own path and outcome.
  const std::vector<tagPathItem>& GetCollectedItems() const { return collected_; }
  const tagAddItemsInfo& GetInfo() const { return info_; }
  const TYX_ImportSummary& GetSummary() const { return worker_.Summary(); }
  TYX_Library_AddFilesImpl& GetWorker() { return worker_; }

 protected:
  Win::BOOL OnInitDialog() override;
  void OnCancel() override;
  void PaintContent(Win::DisplayList& dc) override;

 private:
  void StartScan();
  void Step();
  void FinishRun(int result);

  TYX_Library_AddFilesImpl worker_;  // window thread, like every field below
  std::vector<tagPathItem> collected_;
  tagAddItemsInfo info_;
  TYX_LibraryManager* libraryManager_ = nullptr;
  std::string extFilter_ = "*.mp3;*.ogg";
  std::string searchPath_ = "전체 드라이브";
  std::string formatsText_ = "MP3, OGG";
  std::string currentFolder_;
  int progress_ = 0;
  Controls::TYX_ProgressBar* bar_ = nullptr;
  bool started_ = false;
  bool finished_ = false;
};

}  // namespace TYX::Library
