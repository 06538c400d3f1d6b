#include "library/device_trans_dlg.h"

#include <algorithm>
#include <cstdio>
#include <strings.h>

#include "contracts/device_mgr_client.h"
#include "contracts/media.h"
#include "device/device_trans_control.h"
#include "platform/messaging.h"
#include "toolkit/message_box.h"
#include "toolkit/skin_button.h"
#include "util/file_name.h"
#include "util/log.h"

namespace TYX::Library {

namespace {

constexpr char kTitle[] = "기기전송";
constexpr char kWarning[] = "파일 전송 중에는 기기연결을 해제하거나 PC의 전원을 끄지 마십시오.";
constexpr char kOtherTransfer[] = "다른 전송이 진행중입니다.";
constexpr Win::COLORREF kWhite = 0xFFFFFF;
constexpr Win::COLORREF kTextColor = 0x6B6056;

std::string Format(const char* pattern, int value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, pattern, value);
  return buf;
}

}  // namespace

TYX_DeviceTransDlg::TYX_DeviceTransDlg(Win::HWND parent, Win::HWND mainWnd, std::vector<Row> rows)
    : Controls::TYX_Skin_PopupDialog(0, parent), mainWnd_(mainWnd), rows_(std::move(rows)) {
  for (const Row& r : rows_) total_ += std::max<std::int64_t>(r.size, 0);
  SetInitialRect(Win::Rect{0, 0, kWidth, kHeight});
  OnCommand(kCmdStart, [this] { OnStart(); });
  OnCommand(kCmdClose, [this] { OnCloseRequest(); });
  OnCommand(kCmdCancel, [this] {
    if (controller_) controller_->Cancel();
  });
  OnMessage(WM_TRANSFER_REPORT, [this](Win::WPARAM w, Win::LPARAM l) { return OnReport(w, l); });
  OnMessage(WM_ROW_UPDATE, [this](Win::WPARAM w, Win::LPARAM l) { return OnRowUpdate(w, l); });
  OnMessage(Win::WM_TIMER, [this](Win::WPARAM id, Win::LPARAM l) {
    if (id != kTimerStart) return DefWindowProc(Win::WM_TIMER, id, l);
    OnTimerStart();
    return Win::LRESULT{0};
  });
}

TYX_DeviceTransDlg::~TYX_DeviceTransDlg() = default;

int TYX_DeviceTransDlg::OverallPercent(const std::vector<Row>& rows, int row, int percent) {
  std::int64_t total = 0;
  for (const Row& r : rows) total += std::max<std::int64_t>(r.size, 0);
  // A transfer of empty files has no bytes to count; its percent stays 0 rather than dividing by 0.
  if (total <= 0 || row < 0 || row >= static_cast<int>(rows.size())) return 0;
  percent = std::clamp(percent, 0, 100);
  std::int64_t done = 0;
  for (int i = 0; i < row; ++i) done += std::max<std::int64_t>(rows[i].size, 0);
  done += std::max<std::int64_t>(rows[row].size, 0) * percent / 100;
  return static_cast<int>(std::min<std::int64_t>(done * 100 / total, 100));
}

Win::BOOL TYX_DeviceTransDlg::OnInitDialog() {
  Controls::TYX_Skin_PopupDialog::OnInitDialog();
  SetWindowText(kTitle);
  controller_ = std::make_unique<Device::TYX_DeviceTransControl>();
  if (!controller_->Create(GetSafeHwnd(), WM_TRANSFER_REPORT, {}, nullptr)) {
    Util::TYX_Log::Instance()->Add("TYX_DeviceTransDlg : the transfer controller could not be created");
    controller_.reset();
  }
  Win::Font bold;
  bold.bold = true;
  auto start = std::make_unique<Controls::TYX_SkinButton>();
  if (start->CreateSkinButton(GetSafeHwnd(), Win::Rect{150, 218, 150 + 73, 218 + 28}, kCmdStart, "시작", Win::WS_CHILD)) {
    start->SetCaptionColor(kWhite, kWhite);
    start->SetCaptionFont(bold);
    start_ = std::move(start);
  }
  auto cancel = std::make_unique<Controls::TYX_SkinButton>();
  const int left = (kWidth - 73) / 2;
  const int top = kHeight - 30 - 22;
  if (cancel->CreateSkinButton(GetSafeHwnd(), Win::Rect{left, top, left + 73, top + 22}, kCmdClose, "취소")) {
    cancel->SetCaptionColor(kWhite, kWhite);
    cancel->SetCaptionFont(bold);
    cancel_ = std::move(cancel);
  }
  Redraw();
  PostMessage(Win::WM_COMMAND, kCmdStart, 0);
  return Win::TRUE;
}

void TYX_DeviceTransDlg::OnStart() {
  if (startPending_ || started_ || closing_) return;
  startPending_ = true;
  if (start_) start_->EnableWindow(false);
  SetTimer(kTimerStart, 1);
}

void TYX_DeviceTransDlg::OnTimerStart() {
  KillTimer(kTimerStart);
  if (!startPending_) return;
  startPending_ = false;
  std::vector<std::string> paths;
  paths.reserve(rows_.size());
  for (const Row& r : rows_) paths.push_back(r.path);
  if (!controller_ || controller_->Start(dmGetCurrentDevice(0), std::move(paths), 0, 0) == 0) {
    Controls::TYX_MessageBox::Show(GetSafeHwnd(), kOtherTransfer);
    EndDialog(0);
    return;
  }
  started_ = true;
  if (mainWnd_ != nullptr) Win::SendMessage(mainWnd_, WM_MAIN_STATE, 0, 9);
}

void TYX_DeviceTransDlg::OnCloseRequest() {
  closing_ = true;
  if (started_ && controller_) {
    // The job's end report closes the dialog.
    controller_->Cancel();
    return;
  }
  // Closed before the job started: nothing ran, nothing to report.
  KillTimer(kTimerStart);
  startPending_ = false;
  EndDialog(0);
}

void TYX_DeviceTransDlg::OnCancel() {
  // Command 2 (Escape, the close box) stops a running transfer like command 0x1069: the job's end
  // report then closes the dialog and tells the main window, as after any job. Only the "취소" button
  // (0xAA0C) marks the dialog as closing. Before the job started there is nothing to stop: it closes.
  if (started_ && controller_) {
    controller_->Cancel();
    return;
  }
  OnCloseRequest();
}

Win::LRESULT TYX_DeviceTransDlg::OnReport(Win::WPARAM wParam, Win::LPARAM lParam) {
  const int code = static_cast<int>(static_cast<std::intptr_t>(wParam));
  const std::string* path = Device::TransferReportPath(lParam);
  if (path == nullptr) {
    if (!started_) return 0;
    ShowProgress(-1, 0);
    if (!closing_ && mainWnd_ != nullptr) {
      Win::SendMessage(mainWnd_, WM_MAIN_STATE, 0, 14);
      Win::SendMessage(mainWnd_, WM_MAIN_TRANSFER_END, 0, 0);
    }
    failed_ = controller_ ? controller_->GetErrorReport() : std::vector<FailedFile>{};
    EndDialog(1);
    return 0;
  }
  if (code < 0 || code > 100) return 0;
  for (int i = 0; i < static_cast<int>(rows_.size()); ++i) {
    if (strcasecmp(rows_[i].path.c_str(), path->c_str()) == 0) {
      ShowProgress(i, code);
      break;
    }
  }
  return 0;
}

Win::LRESULT TYX_DeviceTransDlg::OnRowUpdate(Win::WPARAM wParam, Win::LPARAM lParam) {
  if (mainWnd_ != nullptr) Win::SendMessage(mainWnd_, WM_ROW_UPDATE, wParam, lParam);
  RefreshRow(static_cast<std::size_t>(wParam));
  return 0;
}

bool TYX_DeviceTransDlg::RefreshRow(std::size_t row) {
  if (row >= rows_.size()) return false;
  Row& r = rows_[row];
  const TYX_MediaPtr media = TYX_Media::Instance(r.path, kMediaOpenRead);
  // A file that cannot be read now keeps what the row showed.
  if (!media || !media->IsValid()) return false;
  r.title = media->GetText(MediaText::Title);
  if (r.title.empty()) r.title = Util::GetFileTitle(r.path);
  r.artist = media->GetText(MediaText::Artist);
  r.album = media->GetText(MediaText::Album);
  const auto size = static_cast<std::int64_t>(media->GetFileSize());
  if (size > 0) {
    // The overall percent counts with the new size from now on.
    total_ += size - std::max<std::int64_t>(r.size, 0);
    r.size = size;
    r.sizeText = SizeText(size);
  }
  Redraw();
  return true;
}

std::string TYX_DeviceTransDlg::SizeText(std::int64_t bytes) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", static_cast<double>(bytes) / 1024.0 / 1024.0);
  return buf;
}

void TYX_DeviceTransDlg::ShowProgress(int row, int percent) {
  if (row >= 0) {
    fileText_ = Format("%d%%", std::clamp(percent, 0, 100));
    overall_ = OverallPercent(rows_, row, percent);
  }
  overallText_ = Format("전체 전송률 %d%%", overall_);
  Redraw();
}

void TYX_DeviceTransDlg::Redraw() {
  ClearDrawInfo();
  Win::Font font;
  AddDrawText(Win::Rect{20, 60, kWidth - 20, 80}, kWarning, font, kTextColor);
  AddDrawText(Win::Rect{20, 110, kWidth - 100, 130}, overallText_, font, kTextColor);
  AddDrawText(Win::Rect{kWidth - 90, 140, kWidth - 20, 160}, fileText_, font, kTextColor);
  if (GetSafeHwnd() != nullptr) Invalidate();
}

}  // namespace TYX::Library
