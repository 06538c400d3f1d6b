#pragma once
// The modal progress popup of an add-files run. It owns its worker, starts it 100 ms after opening,
// shows the current file, the counts and a percentage, and offers to stop the run. When the run ends
// (completion, stop or failure) it takes the worker's own record of what was processed, so the items it
// hands on are complete even when a progress message was given up.
//
// Modal result: 1 when the run completed or the person stopped it, 2 when the worker reported a stop
// or an error, or could not be started.
#include <string>
#include <vector>

#include "import/add_files_impl.h"
#include "toolkit/skin_popup_dialog.h"

namespace TYX::Controls {
class TYX_ProgressBar;
}

namespace TYX::Library {

class TYX_Library_AddFilesPopup : public Controls::TYX_Skin_PopupDialog {
 public:
  using tagPathItem = TYX_Library_AddFilesImpl::tagPathItem;
  using tagAddItemsInfo = TYX_Library_AddFilesImpl::tagAddItemsInfo;

  static constexpr Win::UINT kTitleIcon = 20253;
  static constexpr Win::UINT kProgressId = 1001;
  static constexpr Win::UINT kStartTimerId = 1;
  static constexpr Win::UINT kStartDelayMs = 100;

  explicit TYX_Library_AddFilesPopup(Win::HWND parent = nullptr);
  ~TYX_Library_AddFilesPopup() override;

  // E_FAIL without a manager; otherwise the title and icon are set and the list goes to the worker
  // (whose result is returned: E_INVALIDARG for an empty list).
  Win::HRESULT SetFromFileList(TYX_LibraryManager* manager, const std::vector<std::string>& files, int type,
                               std::uint32_t target);
  Win::HRESULT SetFromFolderList(TYX_LibraryManager* manager, const std::vector<std::string>& folders, int type,
                                 std::uint32_t target, bool recursive, const std::string& extFilter);
  void SetFilter(const std::string&) {}

  // The title of an add type: "파일 추가 중" for 0, "폴더 추가 중" for 2, empty otherwise.
  static std::string TitleOfType(int type);
  // "%d %%" of processed against total; "0 %" for a total of 0.
  static std::string PercentText(int processed, int total);

  // After the dialog closed: the items processed, in processing order, and the run's summary.
  const std::vector<tagPathItem>& GetCollectedItems() const { return collected_; }
  const tagAddItemsInfo& GetInfo() const { return info_; }
  const TYX_ImportSummary& GetSummary() const { return worker_.Summary(); }
  TYX_Library_AddFilesImpl& GetWorker() { return worker_; }

 protected:
  Win::BOOL OnInitDialog() override;
  void OnCancel() override;
  void PaintContent(Win::DisplayList& dc) override;

 private:
  // Takes the copies a worker message carries; the notice, when it carried one.
  std::optional<TYX_AddFilesNotice> TakeNotice(Win::WPARAM w, Win::LPARAM l);
  void OnItemEnd(const TYX_AddFilesNotice& notice, bool collect);
  // Waits for the worker (it has posted its last message) and takes its record; then closes.
  void FinishRun(int result);
  void ShowProgress();

  TYX_Library_AddFilesImpl worker_;  // window thread, like every field below
  std::vector<tagPathItem> collected_;
  tagAddItemsInfo info_;
  Controls::TYX_ProgressBar* progress_ = nullptr;
  bool finished_ = false;
};

}  // namespace TYX::Library
