#include "import/add_files_popup.h"

#include <cstdio>

#include "import/add_files_messages.h"
#include "import/audio_formats.h"
#include "platform/messaging.h"
#include "toolkit/message_box.h"
#include "toolkit/progress_bar.h"
#include "util/log.h"

namespace TYX::Library {

using namespace TYX::Win;
using Controls::TYX_ProgressBar;

namespace {
constexpr COLORREF kHeadlineColor = 0x663A3A;
constexpr COLORREF kNoteColor = 0x6B6056;
constexpr COLORREF kAddedColor = 0xFF0000;   // blue
constexpr COLORREF kFailedColor = 0x0000FF;  // red
constexpr UINT kBarTrackImage = 20427;
constexpr UINT kBarImage = 20347;
constexpr COLORREF kBarTrackColor = 0x784A47;
constexpr COLORREF kBarColor = 0xF9F3EE;
}  // namespace

TYX_Library_AddFilesPopup::TYX_Library_AddFilesPopup(HWND parent) : TYX_Skin_PopupDialog(0, parent) {
  SetWindowSize(400, 260);
  SetButtonSet(kButtonSetCancel);
  // Every worker message is accepted; those with copies give them up here so none is left behind.
  for (UINT msg = WM_ADDFILES_FIRST; msg <= WM_ADDFILES_LAST; ++msg) {
    OnMessage(msg, [this, msg](WPARAM w, LPARAM l) -> LRESULT {
      std::optional<TYX_AddFilesNotice> notice = TakeNotice(w, l);
      switch (msg) {
        case WM_ADDFILES_ONEITEM_END:
          if (notice) OnItemEnd(*notice, true);
          break;
        case WM_ADD_ONEFILE_END:
          if (notice) OnItemEnd(*notice, false);
          break;
        case WM_ADDFILES_COMPLETE:
        case WM_ADDFOLDERS_COMPLETE:
          FinishRun(IDOK);
          break;
        case WM_ADDFILES_STOP:
        case WM_ADDFOLDERS_STOP:
        case WM_ADDFILES_ERROR:
        case WM_ADDFOLDERS_ERROR:
          FinishRun(IDCANCEL);
          break;
        default:
          break;
      }
      return 0;
    });
  }
  OnMessage(WM_TIMER, [this](WPARAM id, LPARAM) -> LRESULT {
    if (id != kStartTimerId) return 0;
    KillTimer(kStartTimerId);
    if (worker_.Start(GetSafeHwnd()) != S_OK) {
      TYX_Log::Instance()->Add("TYX_Library_AddFilesPopup - the worker could not start");
      FinishRun(IDCANCEL);
    }
    return 0;
  });
}

TYX_Library_AddFilesPopup::~TYX_Library_AddFilesPopup() { worker_.Stop(); }

std::string TYX_Library_AddFilesPopup::TitleOfType(int type) {
  if (type == ADDTYPE_FILES) return "파일 추가 중";
  if (type == ADDTYPE_FOLDER) return "폴더 추가 중";
  return {};
}

std::string TYX_Library_AddFilesPopup::PercentText(int processed, int total) {
  const long long percent = total == 0 ? 0 : static_cast<long long>(processed) * 100 / total;
  return std::to_string(percent) + " %";
}

HRESULT TYX_Library_AddFilesPopup::SetFromFileList(TYX_LibraryManager* manager, const std::vector<std::string>& files,
                                                   int type, std::uint32_t target) {
  if (manager == nullptr) return E_FAIL;
  SetTitle(TitleOfType(type));
  SetTitleIcon(kTitleIcon);
  worker_.SetLibraryManager(manager);
  return worker_.SetFromFileList(files, type, target);
}

HRESULT TYX_Library_AddFilesPopup::SetFromFolderList(TYX_LibraryManager* manager,
                                                     const std::vector<std::string>& folders, int type,
                                                     std::uint32_t target, bool recursive,
                                                     const std::string& extFilter) {
  if (manager == nullptr) return E_FAIL;
  SetTitle(TitleOfType(type));
  SetTitleIcon(kTitleIcon);
  worker_.SetLibraryManager(manager);
  return worker_.SetFromFolderList(folders, type, target, recursive, extFilter);
}

BOOL TYX_Library_AddFilesPopup::OnInitDialog() {
  TYX_Skin_PopupDialog::OnInitDialog();
  CenterWindow();
  auto bar = std::make_unique<TYX_ProgressBar>();
  if (bar->CreateProgress(GetSafeHwnd(), Rect{20, 170, 380, 182}, kProgressId)) {
    bar->SetImages(kBarTrackImage, kBarImage);
    bar->SetColors(kBarTrackColor, kBarColor);
    progress_ = AdoptControl(std::move(bar));
  }
  collected_.clear();
  info_ = {};
  finished_ = false;
  SetTimer(kStartTimerId, kStartDelayMs);
  return TRUE;
}

std::optional<TYX_AddFilesNotice> TYX_Library_AddFilesPopup::TakeNotice(WPARAM w, LPARAM l) {
  std::optional<TYX_AddFilesNotice> notice;
  if (w != 0) notice = worker_.TakeNotice(static_cast<std::uint64_t>(w));
  if (l != 0 && static_cast<WPARAM>(l) != w) {
    if (auto other = worker_.TakeNotice(static_cast<std::uint64_t>(l))) notice = std::move(other);
  }
  return notice;
}

void TYX_Library_AddFilesPopup::OnItemEnd(const TYX_AddFilesNotice& notice, bool collect) {
  if (finished_) return;
  if (collect) collected_.push_back(notice.item);
  info_ = notice.info;
  ShowProgress();
}

void TYX_Library_AddFilesPopup::ShowProgress() {
  if (progress_ != nullptr && progress_->IsAlive()) {
    progress_->SetRange32(0, info_.total > 0 ? info_.total : 1);
    progress_->SetPos(info_.processed);
  }
  Invalidate();
}

void TYX_Library_AddFilesPopup::FinishRun(int result) {
  if (finished_) return;
  finished_ = true;
  KillTimer(kStartTimerId);
  // The end message is the worker's last act but one, so this wait is short.
  worker_.Stop();
  // The worker's own record is the whole truth: a progress send that was given up left a gap above.
  collected_ = worker_.TakeResults();
  if (worker_.GetOutcome() != TYX_Library_AddFilesImpl::Outcome::NotRun) info_ = worker_.Info();
  ShowProgress();
  // The final counts are drawn before the popup goes.
  UpdateWindow();
  EndDialog(result);
}

void TYX_Library_AddFilesPopup::OnCancel() {
  if (finished_) return;
  worker_.Suspend();
  const int answer = Controls::TYX_MessageBox::Show(GetSafeHwnd(), "파일을 추가하는 작업을 중단하시겠습니까?",
                                                    "작업 중단", MB_OKCANCEL);
  worker_.Resume();
  if (answer == IDOK) FinishRun(IDOK);
}

void TYX_Library_AddFilesPopup::PaintContent(DisplayList& dc) {
  TYX_Skin_PopupDialog::PaintContent(dc);
  const Font normal = Controls::DefaultFont(12, false);
  const Font bold = Controls::DefaultFont(12, true);
  dc.Text(Rect{20, 45, 380, 61}, "선택하신 파일(들)을 추가중입니다.", bold, kHeadlineColor);
  dc.Text(Rect{20, 65, 380, 81}, "작업도중 PC의 전원을 끄거나 재부팅하지 마시기 바랍니다.", normal, kNoteColor);
  dc.Text(Rect{20, 100, 380, 116}, "파일명: " + FileNamePart(info_.path), normal, kNoteColor);
  // " (성공:" n ", 실패:" m ")" on one line, the counts in their colours.
  int x = 20;
  auto piece = [&](const std::string& text, COLORREF color, int width) {
    dc.Text(Rect{x, 120, x + width, 136}, text, normal, color);
    x += width;
  };
  piece(" (성공:", kNoteColor, 44);
  piece(std::to_string(info_.added), kAddedColor, 40);
  piece(", 실패:", kNoteColor, 44);
  piece(std::to_string(info_.failed), kFailedColor, 40);
  piece(")", kNoteColor, 10);
  char total[64];
  std::snprintf(total, sizeof total, "(전체 : %d of %d)", info_.processed, info_.total);
  dc.Text(Rect{20, 145, 300, 161}, total, normal, kNoteColor);
  dc.Text(Rect{300, 145, 380, 161}, PercentText(info_.processed, info_.total), bold, kNoteColor);
}

}  // namespace TYX::Library
