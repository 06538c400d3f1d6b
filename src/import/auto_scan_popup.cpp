#include "import/auto_scan_popup.h"

#include <cctype>

#include "import/add_files_messages.h"
#include "import/audio_formats.h"
#include "platform/os_services.h"
#include "toolkit/message_box.h"
#include "toolkit/progress_bar.h"
#include "util/log.h"
#include "util/skin.h"

namespace TYX::Library {

using namespace TYX::Win;
using Controls::TYX_ProgressBar;

namespace {
constexpr COLORREF kHeadlineColor = 0x663A3A;
constexpr COLORREF kTextColor = 0x6B6056;
}  // namespace

TYX_Library_AutoScanPopup::TYX_Library_AutoScanPopup(HWND parent) : TYX_Skin_PopupDialog(0, parent) {
  SetTitle("음악파일 자동추가");
  SetWindowSize(434, 340);
  SetButtonSet(kButtonSetCancel);
  for (UINT msg = WM_ADDFILES_FIRST; msg <= WM_ADDFILES_LAST; ++msg) {
    OnMessage(msg, [this, msg](WPARAM w, LPARAM l) -> LRESULT {
      std::optional<TYX_AddFilesNotice> notice;
      if (w != 0) notice = worker_.TakeNotice(static_cast<std::uint64_t>(w));
      if (l != 0 && static_cast<WPARAM>(l) != w) {
        if (auto other = worker_.TakeNotice(static_cast<std::uint64_t>(l))) notice = std::move(other);
      }
      if (finished_) return 0;
      switch (msg) {
        case WM_ADD_ONEFOLDER_START:
          if (notice) {
            info_ = notice->info;
            currentFolder_ = info_.path;
            Invalidate();
          }
          break;
        case WM_ADD_ONEFILE_END:
          if (notice) {
            collected_.push_back(notice->item);
            info_ = notice->info;
            Invalidate();
          }
          break;
        case WM_ADDFOLDERS_COMPLETE:
          FinishRun(IDOK);
          break;
        case WM_ADDFOLDERS_STOP:
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
    if (id == kStartTimerId) {
      KillTimer(kStartTimerId);
      StartScan();
    } else if (id == kStepTimerId) {
      Step();
    }
    return 0;
  });
}

TYX_Library_AutoScanPopup::~TYX_Library_AutoScanPopup() { worker_.Stop(); }

HRESULT TYX_Library_AutoScanPopup::SetExtFilter(const std::string& patterns) {
  extFilter_ = patterns;
  formatsText_ = FormatsText(patterns);
  return SplitPatterns(patterns).empty() ? E_FAIL : S_OK;
}

std::string TYX_Library_AutoScanPopup::FormatsText(const std::string& patterns) {
  std::string text;
  for (const std::string& p : SplitPatterns(patterns)) {
    const auto dot = p.find_last_of('.');
    std::string ext = dot == std::string::npos ? p : p.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!text.empty()) text += ", ";
    text += ext;
  }
  return text;
}

std::vector<std::string> TYX_Library_AutoScanPopup::DriveFolders() {
  std::vector<std::string> folders;
  for (const DriveInfo& d : Os::GetDrives()) {
    if (folders.size() >= kMaxDrives) break;
    if (d.root.empty()) break;
    if (d.kind != DRIVE_FIXED && d.kind != DRIVE_REMOTE) continue;
    std::string root = d.root;
    if (root.size() > 1 && root.back() == '/') root.pop_back();
    folders.push_back(root);
  }
  return folders;
}

BOOL TYX_Library_AutoScanPopup::OnInitDialog() {
  TYX_Skin_PopupDialog::OnInitDialog();
  CenterWindow();
  auto bar = std::make_unique<TYX_ProgressBar>();
  if (bar->CreateProgress(GetSafeHwnd(), Rect{20, 210, 414, 222}, kProgressId)) {
    bar->SetImages(kProgressImage, kProgressImage);
    bar_ = AdoptControl(std::move(bar));
  }
  collected_.clear();
  info_ = {};
  progress_ = 0;
  started_ = false;
  finished_ = false;
  SetTimer(kStartTimerId, kStartDelayMs);
  return TRUE;
}

void TYX_Library_AutoScanPopup::StartScan() {
  if (libraryManager_ == nullptr) {
    // Nothing can run without a library: the scan has failed.
    TYX_Log::Instance()->Add("TYX_Library_AutoScanPopup - no library manager");
    FinishRun(IDCANCEL);
    return;
  }
  std::vector<std::string> folders;
  if (!searchPath_.empty()) {
    folders.push_back(searchPath_);
  } else {
    folders = DriveFolders();
  }
  if (folders.empty() || TYX_Skin::Instance() == nullptr) {
    // Nothing to walk: the scan is complete at once.
    FinishRun(IDOK);
    return;
  }
  worker_.SetLibraryManager(libraryManager_);
  HRESULT hr = worker_.SetFromFolderList(folders, ADDTYPE_SCAN, kNoLibraryIndex, true, extFilter_);
  if (hr == S_OK) hr = worker_.Start(GetSafeHwnd());
  if (hr != S_OK) {
    TYX_Log::Instance()->Add("TYX_Library_AutoScanPopup - the scan could not start : 0x%08X", static_cast<unsigned>(hr));
    FinishRun(IDCANCEL);
    return;
  }
  started_ = true;
  SetTimer(kStepTimerId, kStepMs);
}

void TYX_Library_AutoScanPopup::Step() {
  progress_ += 5;
  if (progress_ > 100) progress_ = 0;
  if (bar_ != nullptr && bar_->IsAlive()) bar_->SetPos(progress_);
}

void TYX_Library_AutoScanPopup::FinishRun(int result) {
  if (finished_) return;
  finished_ = true;
  KillTimer(kStartTimerId);
  KillTimer(kStepTimerId);
  worker_.Stop();
  if (started_) {
    // The worker's own record: every file it found, even where a progress send was given up.
    collected_ = worker_.TakeResults();
    info_ = worker_.Info();
  }
  // The final counts are drawn before the popup goes.
  Invalidate();
  UpdateWindow();
  EndDialog(result);
}

void TYX_Library_AutoScanPopup::OnCancel() {
  if (finished_) return;
  worker_.Suspend();
  const int answer = Controls::TYX_MessageBox::Show(
      GetSafeHwnd(), "음악파일 자동추가를 중단하시겠습니까?\r\n중단하시려면 '확인'을 클릭해주십시오.",
      "음악파일 자동 추가 중단", MB_OKCANCEL);
  worker_.Resume();
  if (answer != IDOK) return;
  worker_.Stop();
  const bool completed = worker_.GetOutcome() == TYX_Library_AddFilesImpl::Outcome::Completed;
  FinishRun(completed ? IDOK : IDCANCEL);
}

void TYX_Library_AutoScanPopup::PaintContent(DisplayList& dc) {
  TYX_Skin_PopupDialog::PaintContent(dc);
  const Font normal = Controls::DefaultFont(12, false);
  const Font bold = Controls::DefaultFont(12, true);
  dc.Text(Rect{20, 45, 414, 61}, "보관함에 음악파일을 추가하고 있습니다.", bold, kHeadlineColor);
  dc.Text(Rect{20, 80, 414, 96}, "검색 파일 포맷 : " + formatsText_, normal, kTextColor);
  dc.Text(Rect{20, 100, 414, 116}, "검색 범위 : 사용자 지정 폴더 검색", normal, kTextColor);
  dc.Text(Rect{20, 120, 414, 136}, "현재 폴더 : " + currentFolder_, normal, kTextColor);
  dc.Text(Rect{20, 140, 414, 156}, "추가한 파일수 : " + std::to_string(info_.added) + "곡", normal, kTextColor);
  dc.Text(Rect{20, 240, 414, 256}, "음악파일 자동추가를 실행할 검색범위와 검색포맷은", normal, kTextColor);
  dc.Text(Rect{20, 258, 414, 274}, "[도구>환경설정>보관함]의 음악파일 자동추가에서 변경하실 수 있습니다.", normal,
          kTextColor);
}

}  // namespace TYX::Library
