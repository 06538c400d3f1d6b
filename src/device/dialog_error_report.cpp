#include "device/dialog_error_report.h"

#include <algorithm>
#include <cstdio>

namespace TYX::Dialog {

namespace {

constexpr int kWidth = 494;
constexpr int kFullHeight = 440;
constexpr int kShortHeight = 222;
constexpr int kListHeight = 300;

std::string FormatCount(const char* format, int a, int b = 0) {
  char buffer[160];
  std::snprintf(buffer, sizeof buffer, format, a, b);
  return buffer;
}

Win::Font BodyFont() { return Win::Font{"Dotum", 12, false}; }
Win::Font HeadingFont() { return Win::Font{"Dotum", 12, true}; }

}  // namespace

TYX_Dialog_Error_Report::TYX_Dialog_Error_Report(Win::HWND parent, PageKind kind)
    : TYX_Skin_PopupDialog(0, parent), kind_(kind) {
  if (kind_ == PageKind_DeviceTransfer) {
    failedText_ = "전송 실패 곡 수 : 0곡";
    completedText_ = "전송 완료 곡 수 : 0곡 / 총 0곡";
    SetTitle("다운로드");
  }
  OnCommand(kModeAutoId, [this] { OnBnClickedModeAuto(); });
  OnCommand(kModeHandId, [this] { OnBnClickedModeHand(); });
  OnCommand(kCheckCloseId, [this] { OnBnClickedCheckClose(); });
  OnMessage(WM_STORE_COMPLEX_NAVIGATE,
            [this](Win::WPARAM w, Win::LPARAM l) -> Win::LRESULT { return OnStoreComplexNavigate(w, l); });
}

TYX_Dialog_Error_Report::~TYX_Dialog_Error_Report() = default;

void TYX_Dialog_Error_Report::SetFileList(std::vector<DEVICE_SYNC_CHECK_FILE_LIST> files) {
  files_ = std::move(files);
}

std::string TYX_Dialog_Error_Report::GetRowHint(int row) const {
  if (row < 0 || row >= static_cast<int>(hints_.size())) return {};
  return hints_[static_cast<std::size_t>(row)];
}

Win::BOOL TYX_Dialog_Error_Report::OnInitDialog() {
  if (step_ == kStepResult) {
    SetButtonSet(kButtonSetClose);
  } else if (step_ == kStepAskSend || step_ == kStepAutoRunning) {
    SetButtonSet(kButtonSetYesNo);
  } else {
    SetButtonSet(kButtonSetConfirm);
  }
  TYX_Skin_PopupDialog::OnInitDialog();
  SetWindowSize(kWidth, kFullHeight);
  InitCtrl();
  InitDrawInfo();
  CenterWindow();
  return Win::TRUE;
}

void TYX_Dialog_Error_Report::UpdateCounts() {
  failed_ = static_cast<int>(files_.size());
  // Without a total (or with one that is too small) every failed file still counts as one of the job.
  const int total = std::max(total_, failed_);
  completed_ = total - failed_;
  failedText_ = FormatCount("전송 실패 곡 수 : %d곡", failed_);
  completedText_ = FormatCount("전송 완료 곡 수 : %d곡 / 총 %d곡", completed_, total);
}

void TYX_Dialog_Error_Report::InitCtrl() {
  auto list = std::make_unique<Controls::TYX_ListCtrlEx>();
  if (list->CreateListCtrl(GetSafeHwnd(), Win::Rect{22, 160, 475, 240}, kListId)) {
    std::vector<Controls::TYX_ListColumn> columns(3);
    columns[0].flag = 1;
    columns[0].width = 40;
    columns[0].title = "번호";
    columns[1].width = 200;
    columns[1].title = "파일";
    columns[2].width = 213;
    columns[2].title = "실패 원인";
    list->InitListExControl(columns, 18);
    list_ = AdoptControl(std::move(list));
  }
  hints_.clear();
  for (std::size_t i = 0; i < files_.size(); ++i) {
    const auto& file = files_[i];
    if (list_ != nullptr) {
      const int row = list_->InsertField();
      list_->SetCell(row, 0, FormatCount("%d", static_cast<int>(i) + 1));
      list_->SetCell(row, 1, file.title);
      list_->SetCell(row, 2, file.message);
    }
    hints_.push_back(file.message);
  }
  UpdateCounts();

  const Win::DWORD visible = Win::WS_CHILD | Win::WS_VISIBLE;
  const Win::DWORD hidden = Win::WS_CHILD;
  modeAuto_ = MakeControl<Controls::TYX_RadioButton>();
  modeHand_ = MakeControl<Controls::TYX_RadioButton>();
  modeAuto_->CreateRadio(GetSafeHwnd(), Win::Rect{300, 88, 380, 104}, kModeAutoId, "자동", 1,
                         step_ == kStepResult ? visible : hidden);
  modeHand_->CreateRadio(GetSafeHwnd(), Win::Rect{385, 88, 465, 104}, kModeHandId, "수동", 1,
                         step_ == kStepResult ? visible : hidden);
  modeAuto_->SetCheck(autoMode_ == 1);
  modeHand_->SetCheck(autoMode_ != 1);
  checkClose_ = MakeControl<Controls::TYX_CheckBox>();
  const bool withCheck = step_ == kStepAskSend || step_ == kStepAutoRunning;
  checkClose_->CreateCheckBox(GetSafeHwnd(), Win::Rect{22, 360, 300, 376}, kCheckCloseId, "다시는 이 창을 열지 않음",
                              withCheck ? visible : hidden);
  checkClose_->SetTextColors(kBodyColor, kDisabledColor);

  if (step_ == kStepResult) {
    if (failed_ == 0) {
      if (list_ != nullptr) list_->ShowWindow(Win::SW_HIDE);
      SetWindowSize(kWidth, kShortHeight);
    } else {
      SetWindowSize(kWidth, kListHeight);
    }
    CenterWindow();
  } else if (list_ != nullptr) {
    list_->ShowWindow(Win::SW_HIDE);
  }
}

void TYX_Dialog_Error_Report::DrawLines(const std::vector<std::string>& lines, int top) {
  for (const auto& line : lines) {
    AddDrawText(Win::Rect{22, top, 22 + 450, top + 12}, line, BodyFont(), kBodyColor);
    top += 20;
  }
}

void TYX_Dialog_Error_Report::InitDrawInfo() {
  ClearDrawInfo();
  switch (step_) {
    case kStepResult:
      AddDrawImage(kResultImage, Win::Rect{22, 50, 22 + 32, 50 + 32});
      AddDrawText(Win::Rect{22, 90, 222, 102}, "기기전송", HeadingFont(), kHeadingColor);
      if (failed_ == 0) {
        AddDrawText(Win::Rect{22, 120, 422, 132}, completedText_, BodyFont(), kBodyColor);
        AddDrawFill(Win::Rect{22, 145, 459, 164}, kBandColor);
        AddDrawText(Win::Rect{32, 149, 432, 161}, "선택한 파일이 기기로 모두 전송되었습니다.", BodyFont(), kBodyColor);
      } else {
        AddDrawText(Win::Rect{22, 120, 422, 132}, completedText_, BodyFont(), kBodyColor);
        AddDrawText(Win::Rect{22, 140, 222, 152}, failedText_, BodyFont(), kBodyColor);
      }
      break;
    case kStepGuideAuto:
      DrawLines({"기기를 연결하면, [내기기에 담을 곡 목록]의", "음악이 자동으로 전송 됩니다.",
                 "관련된 환경설정을 확인하여 주십시오."},
                90);
      break;
    case kStepGuideFill:
      DrawLines({"내 PC의 음악을 [내 기기에 담을 곡 목록]에 추가하여", "원하는 음악을 선택한뒤, 기기에 전송하시면 됩니다."},
                90);
      break;
    case kStepAskSend:
      DrawLines({"[내 기기에 담을 곡 목록]의 음악을 기기에 전송하시겠습니까?"}, 90);
      break;
    case kStepAutoRunning:
      DrawLines({"[내 기기에 담을 곡 목록]의 음악이 자동으로 기기에 전송되고 있습니다.",
                 "기기연결을 해제하거나 PC의 전원을 끄지 마십시오.",
                 "전체 전송 상태는 화면 하단의 상태 표시줄을 확인 하세요."},
                90);
      break;
    default:
      break;
  }
  Invalidate();
}

void TYX_Dialog_Error_Report::OnBnClickedModeAuto() {
  if (step_ != kStepResult) return;
  if (modeAuto_ != nullptr) modeAuto_->SetCheck(true);
  if (modeHand_ != nullptr) modeHand_->SetCheck(false);
  autoMode_ = 1;
}

void TYX_Dialog_Error_Report::OnBnClickedModeHand() {
  if (step_ != kStepResult) return;
  if (modeAuto_ != nullptr) modeAuto_->SetCheck(false);
  if (modeHand_ != nullptr) modeHand_->SetCheck(true);
  autoMode_ = 0;
}

void TYX_Dialog_Error_Report::OnBnClickedCheckClose() {
  noMoreShow_ = checkClose_ != nullptr && checkClose_->GetCheck() ? 1 : 0;
}

Win::LRESULT TYX_Dialog_Error_Report::OnStoreComplexNavigate(Win::WPARAM wParam, Win::LPARAM lParam) {
  if (contents_ != nullptr) Win::PostMessage(contents_, WM_STORE_NAVIGATE, wParam, lParam);
  EndDialog(Win::IDOK);
  return 0;
}

}  // namespace TYX::Dialog
