#pragma once
// The folder-name dialog: asks for the name of a new folder (add) or a new name for one (rename).
// A name is refused, and the dialog stays open for a correction, when it holds one of \ / : * ? " < > |,
// or is empty, blank, "." or "..". OK stores the typed text in the name and closes with 1; cancel
// closes with 2 and leaves the name as it was.
#include <string>

#include "toolkit/skin_popup_dialog.h"

namespace TYX::Controls {
class TYX_Edit;
}

namespace TYX::Dialog {

class TYX_Dialog_FolderAdd : public Controls::TYX_Skin_PopupDialog {
 public:
  enum DlgMode { DLGMODE_ADD = 0, DLGMODE_RENAME = 1 };

  static constexpr Win::UINT kEditId = 34640;
  static constexpr Win::UINT kTitleIcon = 20253;

  explicit TYX_Dialog_FolderAdd(Win::HWND parent = nullptr);
  ~TYX_Dialog_FolderAdd() override;

  void SetDlgMode(DlgMode mode) { mode_ = mode; }
  DlgMode GetDlgMode() const { return mode_; }
  void SetFolderName(const std::string& name) { folderName_ = name; }
  const std::string& GetFolderName() const { return folderName_; }
  Controls::TYX_Edit* GetEdit() const { return edit_; }

  // The message shown for a refused name, or empty when the name can be used.
  static std::string RefusalOf(const std::string& name);

 protected:
  Win::BOOL OnInitDialog() override;
  void OnOK() override;
  void PaintContent(Win::DisplayList& dc) override;

 private:
  std::string folderName_;  // window thread, like every field below
  DlgMode mode_ = DLGMODE_ADD;
  Controls::TYX_Edit* edit_ = nullptr;
};

}  // namespace TYX::Dialog
