#include "import/folder_add_dialog.h"

#include "toolkit/edit.h"
#include "toolkit/message_box.h"

namespace TYX::Dialog {

using namespace TYX::Win;

namespace {
constexpr const char* kForbidden = "\\/:*?\"<>|";
constexpr COLORREF kLabelColor = 0x663A3A;
}  // namespace

TYX_Dialog_FolderAdd::TYX_Dialog_FolderAdd(HWND parent) : TYX_Skin_PopupDialog(0, parent) {
  SetWindowSize(340, 140);
  SetButtonSet(kButtonSetOkCancel);
}

TYX_Dialog_FolderAdd::~TYX_Dialog_FolderAdd() = default;

std::string TYX_Dialog_FolderAdd::RefusalOf(const std::string& name) {
  if (name.find_first_of(kForbidden) != std::string::npos) {
    return "파일 이름에 다음 문자를 사용할 수 없습니다.\r\n\\ / : * ? \" < > |";
  }
  // A blank name, "." and ".." name no folder of their own.
  if (name.find_first_not_of(" \t") == std::string::npos || name == "." || name == "..") {
    return "사용할 수 없는 폴더 이름입니다.";
  }
  return {};
}

BOOL TYX_Dialog_FolderAdd::OnInitDialog() {
  SetTitle(mode_ == DLGMODE_RENAME ? "폴더명 변경" : "폴더 추가");
  SetTitleIcon(kTitleIcon);
  SetButtonSet(kButtonSetOkCancel);
  TYX_Skin_PopupDialog::OnInitDialog();
  CenterWindow();
  auto edit = std::make_unique<Controls::TYX_Edit>();
  if (edit->CreateEdit(GetSafeHwnd(), Rect{30, 64, 30 + 282, 64 + 19}, kEditId, folderName_)) {
    edit_ = AdoptControl(std::move(edit));
    edit_->SetFocus();
  }
  return TRUE;
}

void TYX_Dialog_FolderAdd::OnOK() {
  const std::string typed = edit_ != nullptr ? edit_->GetText() : folderName_;
  const std::string refusal = RefusalOf(typed);
  if (!refusal.empty()) {
    Controls::TYX_MessageBox::Show(GetSafeHwnd(), refusal, "", MB_OK);
    return;
  }
  folderName_ = typed;
  EndDialog(IDOK);
}

void TYX_Dialog_FolderAdd::PaintContent(DisplayList& dc) {
  TYX_Skin_PopupDialog::PaintContent(dc);
  dc.Text(Rect{30, 44, 200, 60}, "폴더명", Controls::DefaultFont(12, true), kLabelColor);
}

}  // namespace TYX::Dialog
