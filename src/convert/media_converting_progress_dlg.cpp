#include "convert/media_converting_progress_dlg.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "contracts/library_manager.h"
#include "contracts/media.h"
#include "convert/extractor_slot.h"
#include "convert/extractor_thread.h"
#include "convert/new_file.h"
#include "platform/messaging.h"
#include "toolkit/list_ctrl_ex.h"
#include "toolkit/message_box.h"
#include "toolkit/progress_bar.h"
#include "toolkit/static_text.h"
#include "util/log.h"
#include "util/log_scope.h"

namespace TYX::Dialog {

using namespace TYX::Win;
using namespace TYX::Controls;
using Convert::CExtractorThread;
using FileEntry = TYX_MediaConverting_OptionDlg::_Media_FileList;

namespace {

constexpr COLORREF kLineColor = 0x6B6056;
constexpr UINT kBarTrackImage = 20427;
constexpr UINT kBarImage = 20347;

std::string Format2(const char* format, int a, int b) {
  char text[64];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

std::string PercentText(int percent) { return std::to_string(percent) + " %"; }

std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

TYX_MediaConverting_ProgressDlg::TYX_MediaConverting_ProgressDlg(HWND parent) : TYX_Skin_PopupDialog(0, parent) {
  SetWindowSize(400, 380);
  SetTitle("미디어 파일변환");
  SetButtonSet(kButtonSetCancel);
  OnMessage(Convert::WM_EXTRACTOR_PROGRESS, [this](WPARAM w, LPARAM l) { return OnExtractorProgress(w, l); });
}

TYX_MediaConverting_ProgressDlg::~TYX_MediaConverting_ProgressDlg() {
  // A dialog that goes without being stopped (its loop ended by a quit) takes its job with it.
  if (!jobOpen_ || !workerJob_) return;
  CExtractorThread* worker = Convert::GetExtractorThread();
  if (worker != nullptr && worker->Owner() == jobOwner_) {
    worker->StopJob();
    DropHalfFile();
  }
}

int TYX_MediaConverting_ProgressDlg::FilePercent(std::uint32_t position, std::uint32_t total) {
  if (total == 0) return 0;
  return static_cast<int>(std::min<double>(100.0, static_cast<double>(position) / total * 100.0));
}

int TYX_MediaConverting_ProgressDlg::TotalPercent(std::uint32_t position, std::uint32_t total, int index, int count) {
  if (count <= 0) return 0;
  const double a = total == 0 ? 0.0 : static_cast<int>(static_cast<double>(position) / total / count * 100.0);
  const double b = static_cast<double>(index) / count * 100.0;
  const int percent = count == 1 ? static_cast<int>(a) + static_cast<int>(b) : static_cast<int>(a + b + 1);
  return std::min(percent, 100);
}

int TYX_MediaConverting_ProgressDlg::SourceKindOfFileType(TYX_FILETYPE type) {
  switch (type) {
    case FileType::MP3:
    case FileType::MP2:
    case FileType::MP1:
      return 0;
    case FileType::OGG:
      return 1;
    case FileType::WAV:
      return 3;
    case FileType::WMA:
    case FileType::ASF:
      return Convert::EXTRACT_SOURCE_WMA;
    case FileType::VIA:
      return Convert::EXTRACT_SOURCE_VIA;
    default:
      return -1;
  }
}

int TYX_MediaConverting_ProgressDlg::TargetChannels(int channelOption, int sourceChannels) {
  if (channelOption == TYX_MediaConverting_OptionDlg::CHANNEL_MONO) return 1;
  if (channelOption == TYX_MediaConverting_OptionDlg::CHANNEL_STEREO) return 2;
  return sourceChannels;
}

bool TYX_MediaConverting_ProgressDlg::NeedsNoConversion(const FileEntry& file, const Options& options) {
  // The file's type is compared with the type the target format has, not with the format's list index.
  if (file.fileType != TYX_MediaConverting_OptionDlg::OutputType(options.outputType).fileType) return false;
  if ((file.bitrate + 500) / 1000 != options.bitrate) return false;
  return TargetChannels(options.channelOption, file.channels) == file.channels;
}

std::string TYX_MediaConverting_ProgressDlg::StatusOf(int row) const {
  return list_ != nullptr ? list_->GetCellText(row, kStatusColumn) : std::string();
}

BOOL TYX_MediaConverting_ProgressDlg::OnInitDialog() {
  TYX_LogScope scope("TYX_MediaConverting_ProgressDlg::OnInitDialog");
  TYX_Skin_PopupDialog::OnInitDialog();
  CenterWindow();
  const HWND self = GetSafeHwnd();
  auto list = std::make_unique<TYX_ListCtrlEx>();
  if (list->CreateListCtrl(self, Rect{20, 40, 380, 200}, kFileListId)) {
    const std::vector<TYX_ListColumn> columns = {{0, 0, 270, 60, kListDrawText, "파일", {}},
                                                 {1, 1, 90, 40, kListDrawText, "상태", {}}};
    list->InitListExControl(columns, 22);
    list_ = AdoptControl(std::move(list));
  }
  auto line = [&](UINT id, const Rect& rc) -> TYX_StaticText* {
    auto s = std::make_unique<TYX_StaticText>();
    if (!s->CreateStatic(self, rc, id, "")) return nullptr;
    s->SetTextColor(kLineColor);
    return AdoptControl(std::move(s));
  };
  auto bar = [&](UINT id, const Rect& rc) -> TYX_ProgressBar* {
    auto b = std::make_unique<TYX_ProgressBar>();
    if (!b->CreateProgress(self, rc, id)) return nullptr;
    b->SetImages(kBarTrackImage, kBarImage);
    return AdoptControl(std::move(b));
  };
  currentFile_ = line(kCurrentFileId, Rect{20, 210, 380, 226});
  fileBar_ = bar(kFileBarId, Rect{20, 232, 320, 244});
  filePercent_ = line(kFilePercentId, Rect{330, 230, 380, 246});
  totalBar_ = bar(kTotalBarId, Rect{20, 262, 320, 274});
  totalPercent_ = line(kTotalPercentId, Rect{330, 260, 380, 276});
  info_ = line(kInfoId, Rect{20, 284, 380, 300});
  doneLabel_ = line(kDoneLabelId, Rect{20, 306, 380, 322});
  if (totalBar_ != nullptr) totalBar_->SetRange32(0, 100);

  count_ = static_cast<int>(files_.size());
  targets_.assign(files_.size(), std::string());
  if (list_ != nullptr) {
    for (const FileEntry& f : files_) {
      const int row = list_->InsertField();
      list_->SetCell(row, 0, FileNameOf(f.path));
      list_->SetCell(row, kStatusColumn, "");
    }
  }
  if (StartsOnOpen()) StartConversion();
  return TRUE;
}

void TYX_MediaConverting_ProgressDlg::StartConversion() {
  if (running_ || finished_) return;
  added_.clear();
  problems_ = 0;
  running_ = true;
  if (count_ == 0) {
    FinishRun();
  } else {
    StartFile(0);
  }
}

void TYX_MediaConverting_ProgressDlg::SetStatus(int row, const std::string& text) {
  if (list_ != nullptr) list_->SetCell(row, kStatusColumn, text);
}

void TYX_MediaConverting_ProgressDlg::SetLine(TYX_StaticText* line, const std::string& text) {
  if (line != nullptr) line->SetText(text);
}

void TYX_MediaConverting_ProgressDlg::PostResult(int code) {
  workerJob_ = false;
  PostMessage(Convert::WM_EXTRACTOR_PROGRESS, Convert::EXTRACTOR_DONE, code);
}

void TYX_MediaConverting_ProgressDlg::StartFile(int index) {
  TYX_LogScope scope("TYX_MediaConverting_ProgressDlg::StartFile");
  index_ = index;
  const FileEntry& file = files_[static_cast<std::size_t>(index)];
  total_ = 0;
  position_ = 0;
  target_.clear();
  jobOpen_ = true;
  worker_ = Convert::AcquireExtractorThread(GetSafeHwnd());
  const int targetChannels = TargetChannels(options_.channelOption, file.channels);
  SetStatus(index, "처리중");
  SetLine(info_, Format2("전체: %d of %d", index + 1, count_));
  if (fileBar_ != nullptr) {
    fileBar_->SetRange32(0, 1);
    fileBar_->SetPos(0);
  }
  const int kind = SourceKindOfFileType(file.fileType);
  if (kind < 0 || worker_ == nullptr) {
    if (worker_ == nullptr) TYX_Log::Instance()->Add("TYX_MediaConverting_ProgressDlg - no extraction worker");
    PostResult(Convert::EXTRACT_STALLED);
    return;
  }
  const auto& out = TYX_MediaConverting_OptionDlg::OutputType(options_.outputType);
  const std::string folder = options_.saveToSource ? Convert::FolderOf(file.path) : options_.userFolder;
  target_ = Convert::NewFile(Convert::JoinPath(folder, Convert::StemOf(file.path) + out.extension));
  targets_[static_cast<std::size_t>(index)] = target_;
  targetExisted_ = ::access(target_.c_str(), F_OK) == 0;
  SetLine(currentFile_, "현재파일 : " + FileNameOf(file.path));
  if (target_.empty()) {
    TYX_Log::Instance()->Add("TYX_MediaConverting_ProgressDlg - no free target name for : %s", file.path.c_str());
    PostResult(Convert::EXTRACT_CREATE_FAILED);
    return;
  }
  if (NeedsNoConversion(file, options_)) {
    PostResult(Convert::EXTRACT_NO_CONVERSION);
    return;
  }
  worker_->SetJob(0, 0, file.path, kind, target_, out.workerFormat, options_.bitrate, file.duration,
                  static_cast<unsigned>(file.sampleRate), file.channels, targetChannels);
  workerJob_ = true;
  jobOwner_ = GetSafeHwnd();
  worker_->ResumeThread();
  worker_->PostThreadMessage(Convert::WM_EXTRACTOR_START, 1);
}

LRESULT TYX_MediaConverting_ProgressDlg::OnExtractorProgress(WPARAM wParam, LPARAM lParam) {
  switch (wParam) {
    case Convert::EXTRACTOR_TOTAL:
      if (!jobOpen_) return 0;
      total_ = static_cast<std::uint32_t>(lParam);
      position_ = 0;
      if (fileBar_ != nullptr) {
        fileBar_->SetRange32(0, total_ > 0 ? static_cast<int>(std::min<std::uint32_t>(total_, 0x7FFFFFFF)) : 1);
        fileBar_->SetPos(0);
      }
      return 0;
    case Convert::EXTRACTOR_POSITION: {
      if (!jobOpen_) return 0;
      position_ = static_cast<std::uint32_t>(lParam);
      if (fileBar_ != nullptr) fileBar_->SetPos(static_cast<int>(std::min<std::uint32_t>(position_, 0x7FFFFFFF)));
      SetLine(filePercent_, PercentText(FilePercent(position_, total_)));
      const int overall = TotalPercent(position_, total_, index_, count_);
      if (totalBar_ != nullptr) totalBar_->SetPos(overall);
      SetLine(totalPercent_, PercentText(overall));
      return 0;
    }
    case Convert::EXTRACTOR_DONE:
      // A result for a job this dialog gave up, or for none, is not this dialog's business.
      if (!jobOpen_) return 0;
      if (asking_) {
        deferred_ = static_cast<int>(lParam);
        return 0;
      }
      TakeResult(static_cast<int>(lParam), true);
      return 0;
    default:
      return 0;
  }
}

void TYX_MediaConverting_ProgressDlg::TakeResult(int code, bool goOn) {
  TYX_LogScope scope("TYX_MediaConverting_ProgressDlg::TakeResult");
  jobOpen_ = false;
  const FileEntry& file = files_[static_cast<std::size_t>(index_)];
  if (code == Convert::EXTRACT_OK) {
    UpdateTag(file, target_);
    SetStatus(index_, "완료");
    if (store_ != nullptr) {
      if (TYX_Playlist* library = store_->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY)) {
        const std::uint32_t position = library->InsertItem(target_, 0, 1);
        const std::uint32_t index = position == kNoPosition ? kNoLibraryIndex : library->GetItem(position);
        if (index != kNoLibraryIndex) {
          added_.push_back(index);
        } else {
          TYX_Log::Instance()->Add("TYX_MediaConverting_ProgressDlg - not added to the library : %s", target_.c_str());
        }
      }
    }
  } else if (code == Convert::EXTRACT_NO_CONVERSION) {
    SetStatus(index_, "skip");
    total_ = 100;
    ++problems_;
  } else {
    SetStatus(index_, "변환오류");
    ++problems_;
  }
  if (fileBar_ != nullptr) fileBar_->SetPos(fileBar_->GetUpper());
  if (!goOn) return;
  if (index_ + 1 < count_) {
    StartFile(index_ + 1);
  } else {
    FinishRun();
  }
}

void TYX_MediaConverting_ProgressDlg::FillBars() {
  if (fileBar_ != nullptr) fileBar_->SetPos(fileBar_->GetUpper());
  if (totalBar_ != nullptr) totalBar_->SetPos(totalBar_->GetUpper());
  SetLine(filePercent_, PercentText(100));
  SetLine(totalPercent_, PercentText(100));
}

void TYX_MediaConverting_ProgressDlg::FinishRun() {
  SetLine(info_, Format2("전체: %i of %i", count_, count_));
  FillBars();
  SetLine(doneLabel_, "파일변환을 완료하였습니다");
  running_ = false;
  finished_ = true;
  if (problems_ == 0) PostMessage(WM_CLOSE);
}

void TYX_MediaConverting_ProgressDlg::UpdateTag(const FileEntry& file, const std::string& target) {
  TYX_LogScope scope("TYX_MediaConverting_ProgressDlg::UpdateTag");
  const TYX_MediaPtr source = TYX_Media::Instance(file.path, kMediaOpenRead);
  std::string error;
  const TYX_MediaPtr made = TYX_Media::Instance(target, kMediaOpenRead, &error);
  if (!made || !made->IsValid()) {
    TYX_Log::Instance()->Add("TYX_MediaConverting_ProgressDlg - no tags for : %s (%s)", target.c_str(), error.c_str());
    return;
  }
  if (source && source->IsValid()) CopyMediaTags(*source, *made);
  if (Util::GetFileType(target) == FileType::WMA) made->SetBitRate(static_cast<std::uint32_t>(options_.bitrate) * 1000);
  if (made->Save() != 0) {
    TYX_Log::Instance()->Add("TYX_MediaConverting_ProgressDlg - tags not saved to : %s (%s)", target.c_str(),
                             made->GetLastError().c_str());
  }
}

void TYX_MediaConverting_ProgressDlg::DropHalfFile() {
  if (!workerJob_ || target_.empty()) return;
  // The name was free or held an empty file; what the stopped job wrote there goes.
  if (targetExisted_) {
    if (::truncate(target_.c_str(), 0) != 0) {
      TYX_Log::Instance()->Add("TYX_MediaConverting_ProgressDlg - cannot empty : %s", target_.c_str());
    }
  } else if (std::remove(target_.c_str()) != 0 && ::access(target_.c_str(), F_OK) == 0) {
    TYX_Log::Instance()->Add("TYX_MediaConverting_ProgressDlg - cannot delete : %s", target_.c_str());
  }
}

void TYX_MediaConverting_ProgressDlg::OnCancel() {
  TYX_LogScope scope("TYX_MediaConverting_ProgressDlg::OnCancel");
  if (!running_) {
    EndDialog(finished_ ? IDOK : IDCANCEL);
    return;
  }
  if (asking_) return;
  CExtractorThread* worker = Convert::GetExtractorThread();
  if (worker != nullptr) worker->PauseJob();
  asking_ = true;
  deferred_.reset();
  const int answer = TYX_MessageBox::Show(
      GetSafeHwnd(), "파일변환을 취소하시겠습니까?\n확인을 클릭하시면, 변환 완료된 곡만 저장됩니다", "파일변환 취소",
      MB_OKCANCEL);
  asking_ = false;
  if (worker != nullptr) worker->ResumeJob();
  const std::optional<int> result = deferred_;
  deferred_.reset();
  if (answer != IDOK) {
    // The result that came meanwhile is taken now, and the conversion goes on.
    if (result) TakeResult(*result, true);
    return;
  }
  if (worker != nullptr) worker->StopJob();
  if (jobOpen_) {
    if (result) {
      // The song was finished before the stop: it is one of those converted so far.
      TakeResult(*result, false);
    } else {
      jobOpen_ = false;
      DropHalfFile();
    }
  }
  running_ = false;
  EndDialog(IDCANCEL);
}

}  // namespace TYX::Dialog
