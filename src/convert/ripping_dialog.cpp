#include "convert/ripping_dialog.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "components/audio/cd_drive.h"
#include "contracts/library_manager.h"
#include "contracts/media.h"
#include "convert/cue_sheet.h"
#include "convert/extractor_slot.h"
#include "convert/extractor_thread.h"
#include "convert/ripping_folders.h"
#include "platform/messaging.h"
#include "platform/os_services.h"
#include "platform/user_agent.h"
#include "toolkit/check_box.h"
#include "toolkit/combo_box.h"
#include "toolkit/edit.h"
#include "toolkit/list_ctrl_ex.h"
#include "toolkit/message_box.h"
#include "toolkit/progress_bar.h"
#include "toolkit/skin_button.h"
#include "toolkit/static_text.h"
#include "util/file_system.h"
#include "util/log.h"
#include "util/log_scope.h"
#include "util/reg.h"

namespace TYX::Dialog {

using namespace TYX::Win;
using namespace TYX::Controls;
using Convert::CExtractorThread;
using Convert::TYX_RipLogTrack;

namespace {

constexpr COLORREF kLabelColor = 0x663A3A;
constexpr COLORREF kTextColor = 0x6B6056;
constexpr UINT kBarTrackImage = 20427;
constexpr UINT kBarImage = 20347;
constexpr COLORREF kBarTrackColor = 0x784A47;
constexpr COLORREF kBarColor = 0xF9F3EE;

constexpr const char* kWaiting = "대기중";
constexpr const char* kProcessing = "처리중";
constexpr const char* kDone = "완료";
constexpr const char* kFailed = "변환오류";

std::string Printf(const char* format, int a, int b) {
  char s[128];
  std::snprintf(s, sizeof s, format, a, b);
  return s;
}

std::string TrackName(int track, const char* ext) {
  char s[64];
  std::snprintf(s, sizeof s, "Track%02d.%s", track + 1, ext);
  return s;
}

std::string Stem(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string PercentText(int percent) { return std::to_string(percent) + " %"; }

}  // namespace

std::string TYX_Dialog_Ripping::SettingsKey() { return std::string(TYX_Reg::kMusicSettingsRoot) + "\\Ripping"; }

std::string TYX_Dialog_Ripping::DefaultSavePath() {
  std::string base = Os::GetMusicFolder();
  if (base.empty()) base = Os::GetHomeFolder() + "/Downloads";
  return Convert::TYX_RippingFolders::NormalizeFolder(base + "/SonvarMusic");
}

const std::vector<std::string>& TYX_Dialog_Ripping::FormatNames() {
  static const std::vector<std::string> names = {"MP3", "OGG", "WMA", "WAV", "VIA"};
  return names;
}

const char* TYX_Dialog_Ripping::Extension(int format) {
  static const char* const ext[] = {"mp3", "ogg", "wma", "wav", "via"};
  return format >= 0 && format < 5 ? ext[format] : "";
}

const std::vector<std::string>& TYX_Dialog_Ripping::BitrateEntries(int format) {
  static const std::vector<std::string> mp3 = {"32kbps",  "40kbps",  "48kbps",  "56kbps",  "64kbps",
                                               "80kbps",  "112kbps", "128kbps", "160kbps", "192kbps",
                                               "224kbps", "256kbps", "320kbps"};
  static const std::vector<std::string> ogg = {"48kbps",  "56kbps",  "64kbps",  "80kbps",  "112kbps", "128kbps",
                                               "160kbps", "192kbps", "224kbps", "256kbps", "320kbps"};
  static const std::vector<std::string> wma = {"32kbps",  "48kbps",  "56kbps",  "80kbps", "128kbps",
                                               "160kbps", "192kbps", "256kbps", "320kbps"};
  static const std::vector<std::string> none;
  switch (format) {
    case FORMAT_MP3:
    case FORMAT_VIA: return mp3;
    case FORMAT_OGG: return ogg;
    case FORMAT_WMA: return wma;
    default: return none;
  }
}

int TYX_Dialog_Ripping::DefaultBitrateIndex(int format) {
  switch (format) {
    case FORMAT_MP3:
    case FORMAT_VIA: return 7;
    case FORMAT_OGG: return 5;
    case FORMAT_WMA: return 4;
    default: return -1;
  }
}

int TYX_Dialog_Ripping::BitrateOfEntry(const std::string& entry) {
  int value = 0;
  for (char c : entry) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
  }
  return value;
}

TYX_Dialog_Ripping::TYX_Dialog_Ripping(HWND parent) : TYX_Skin_PopupDialog(0, parent) {
  SetWindowSize(kWidth, kHeight);
  SetButtonSet(kButtonSetOkCancel);
  OnCommandCode(kFormatComboId, CBN_SELCHANGE, [this] {
    if (format_ != nullptr) OnCBSelChange(kFormatComboId, format_->GetCurSel());
  });
  OnCommand(kVbrCheckId, [this] { OnVBRCheckClick(); });
  OnCommand(kPathButtonId, [this] { OnPathChange(); });
  OnMessage(Convert::WM_EXTRACTOR_PROGRESS, [this](WPARAM w, LPARAM l) { return OnExtractorProgress(w, l); });
  OnMessage(Convert::WM_RIPPING_VERIFIED, [this](WPARAM w, LPARAM l) { return OnVerified(w, l); });
}

TYX_Dialog_Ripping::~TYX_Dialog_Ripping() {
  verifier_.Stop();
  // A dialog that goes while ripping (its loop was ended from outside) leaves no job behind; what the
  // worker still posts finds no window and is dropped.
  if (ripping_) {
    if (CExtractorThread* worker = Convert::GetExtractorThread()) worker->StopJob();
  }
}

BOOL TYX_Dialog_Ripping::OnInitDialog() {
  TYX_LogScope scope("TYX_Dialog_Ripping::OnInitDialog");
  SetTitle("CD 리핑");
  SetTitleIcon(kTitleIcon);
  TYX_Skin_PopupDialog::OnInitDialog();
  CenterWindow();
  if (!CreateControls()) {
    EndDialog(IDCANCEL);
    return TRUE;
  }
  count_ = static_cast<int>(tracks_.size());
  for (int i = 0; i < count_; ++i) {
    const int row = list_->InsertField();
    list_->SetFieldKey(row, static_cast<UINT>(i));
    list_->SetCell(row, 0, TrackName(tracks_[static_cast<std::size_t>(i)].track, "cda"));
    list_->SetCell(row, 1, std::string(kWaiting));
  }
  LoadSettings();
  return TRUE;
}

bool TYX_Dialog_Ripping::CreateControls() {
  const HWND me = GetSafeHwnd();
  auto edit = [&](UINT id, const Rect& rc) {
    auto e = std::make_unique<TYX_Edit>();
    return e->CreateEdit(me, rc, id) ? AdoptControl(std::move(e)) : nullptr;
  };
  auto combo = [&](UINT id, const Rect& rc) {
    auto c = std::make_unique<TYX_ComboBox>();
    return c->CreateCombo(me, rc, id) ? AdoptControl(std::move(c)) : nullptr;
  };
  auto line = [&](UINT id, const Rect& rc) {
    auto s = std::make_unique<TYX_StaticText>();
    if (!s->CreateStatic(me, rc, id, "")) return static_cast<TYX_StaticText*>(nullptr);
    s->SetTextColor(kTextColor);
    return AdoptControl(std::move(s));
  };
  auto bar = [&](UINT id, const Rect& rc) {
    auto b = std::make_unique<TYX_ProgressBar>();
    if (!b->CreateProgress(me, rc, id)) return static_cast<TYX_ProgressBar*>(nullptr);
    b->SetImages(kBarTrackImage, kBarImage);
    b->SetColors(kBarTrackColor, kBarColor);
    b->SetRange32(0, 100);
    return AdoptControl(std::move(b));
  };
  artist_ = edit(kArtistEditId, Rect{90, 38, 380, 57});
  album_ = edit(kAlbumEditId, Rect{90, 62, 380, 81});
  format_ = combo(kFormatComboId, Rect{90, 86, 170, 105});
  bitrate_ = combo(kBitrateComboId, Rect{176, 86, 270, 105});
  quality_ = combo(kQualityComboId, Rect{176, 86, 270, 105});
  auto check = std::make_unique<TYX_CheckBox>();
  if (check->CreateCheckBox(me, Rect{280, 86, 380, 105}, kVbrCheckId, "가변 비트레이트")) {
    vbr_ = AdoptControl(std::move(check));
  }
  path_ = edit(kPathEditId, Rect{90, 110, 310, 129});
  auto button = std::make_unique<TYX_SkinButton>();
  if (button->CreateSkinButton(me, Rect{316, 108, 380, 130}, kPathButtonId, "변경")) {
    pathButton_ = AdoptControl(std::move(button));
  }
  auto list = std::make_unique<TYX_ListCtrlEx>();
  if (list->CreateListCtrl(me, Rect{20, 138, 380, 268}, kTrackListId)) {
    std::vector<TYX_ListColumn> columns(2);
    columns[0].width = columns[0].secondWidth = 250;
    columns[0].title = "트랙";
    columns[1].flag = 1;
    columns[1].width = columns[1].secondWidth = 110;
    columns[1].title = "상태";
    list->InitListExControl(columns, 20);
    list_ = AdoptControl(std::move(list));
  }
  currentFile_ = line(kCurrentFileTextId, Rect{20, 274, 380, 290});
  trackBar_ = bar(kTrackBarId, Rect{20, 294, 330, 304});
  trackPercent_ = line(kTrackPercentId, Rect{336, 290, 380, 306});
  info_ = line(kInfoTextId, Rect{20, 310, 380, 326});
  totalBar_ = bar(kTotalBarId, Rect{20, 330, 330, 340});
  totalPercent_ = line(kTotalPercentId, Rect{336, 326, 380, 342});
  status_ = line(kStatusTextId, Rect{20, 350, 380, 366});
  if (artist_ == nullptr || album_ == nullptr || format_ == nullptr || bitrate_ == nullptr || quality_ == nullptr ||
      vbr_ == nullptr || path_ == nullptr || pathButton_ == nullptr || list_ == nullptr || trackBar_ == nullptr ||
      totalBar_ == nullptr || currentFile_ == nullptr || trackPercent_ == nullptr || info_ == nullptr ||
      totalPercent_ == nullptr || status_ == nullptr) {
    // The toolkit makes its controls in memory; a failure here is a broken build, not a user's problem.
    TYX_Log::Instance()->Add("TYX_Dialog_Ripping - a control could not be created");
    return false;
  }
  path_->SetReadOnly(true);
  for (const auto& name : FormatNames()) format_->AddString(name);
  for (int q = 1; q <= 9; ++q) quality_->AddString("Q" + std::to_string(q));
  quality_->ShowWindow(SW_HIDE);
  return true;
}

void TYX_Dialog_Ripping::LoadSettings() {
  const std::string key = SettingsKey();
  int format = static_cast<int>(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, key, "Format", kDefaultFormat));
  if (format < 0 || format >= static_cast<int>(FormatNames().size())) format = kDefaultFormat;
  format_->SetCurSel(format);
  OnCBSelChange(kFormatComboId, format);
  if (format != FORMAT_WAV) {
    const int bitrate = static_cast<int>(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, key, "Bitrate", kDefaultBitrate));
    if (bitrate >= 0 && bitrate < bitrate_->GetCount()) bitrate_->SetCurSel(bitrate);
  }
  int quality = static_cast<int>(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, key, "VBR_Quality", kDefaultQuality));
  if (quality < 0 || quality >= quality_->GetCount()) quality = kDefaultQuality;
  quality_->SetCurSel(quality);
  const bool vbr = TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, key, "VBRYN", 0) != 0;
  if (vbr && format == FORMAT_OGG) {
    vbr_->SetCheck(true);
    OnVBRCheckClick();
  }
  path_->SetText(TYX_Reg::ReadString(HKEY_LOCAL_MACHINE, key, "SavePath", DefaultSavePath()));
}

void TYX_Dialog_Ripping::SaveSettings() {
  const std::string key = SettingsKey();
  TYX_Reg::SHRegWriteInt(HKEY_LOCAL_MACHINE, key, "Format", static_cast<unsigned>(format_->GetCurSel()));
  // WAV has no entry selected: -1 is stored, as the list reports it.
  TYX_Reg::SHRegWriteInt(HKEY_LOCAL_MACHINE, key, "Bitrate", static_cast<unsigned>(bitrate_->GetCurSel()));
  TYX_Reg::SHRegWriteInt(HKEY_LOCAL_MACHINE, key, "VBRYN", vbr_->GetCheck() ? 1u : 0u);
  TYX_Reg::SHRegWriteInt(HKEY_LOCAL_MACHINE, key, "VBR_Quality", static_cast<unsigned>(quality_->GetCurSel()));
}

void TYX_Dialog_Ripping::OnCBSelChange(UINT control, int index) {
  if (control != kFormatComboId) return;
  vbr_->EnableWindow(false);
  quality_->ShowWindow(SW_HIDE);
  bitrate_->ResetContent();
  if (index != FORMAT_OGG) vbr_->SetCheck(false);
  if (!vbr_->GetCheck()) bitrate_->ShowWindow(SW_SHOW);
  for (const auto& entry : BitrateEntries(index)) bitrate_->AddString(entry);
  bitrate_->SetCurSel(DefaultBitrateIndex(index));
  if (index == FORMAT_OGG) {
    vbr_->EnableWindow(ripping_ ? false : true);
    // A ticked box keeps its quality list in view.
    if (vbr_->GetCheck()) quality_->ShowWindow(SW_SHOW);
  }
  if (index == FORMAT_WAV) bitrate_->ShowWindow(SW_HIDE);
}

void TYX_Dialog_Ripping::OnVBRCheckClick() {
  const bool ticked = vbr_->GetCheck();
  quality_->ShowWindow(ticked ? SW_SHOW : SW_HIDE);
  bitrate_->ShowWindow(ticked || format_->GetCurSel() == FORMAT_WAV ? SW_HIDE : SW_SHOW);
}

void TYX_Dialog_Ripping::OnPathChange() {
  TYX_LogScope scope("TYX_Dialog_Ripping::OnPathChange");
  FolderRequest request;
  request.owner = GetSafeHwnd();
  request.title = "저장 폴더를 선택하세요";
  request.initialFolder = SavePath();
  std::optional<std::string> chosen = GetUserAgent()->ChooseFolder(request);
  if (!chosen || chosen->empty()) return;
  const std::string folder = Convert::TYX_RippingFolders::NormalizeFolder(*chosen);
  path_->SetText(folder);
  TYX_Reg::SHRegWriteString(HKEY_LOCAL_MACHINE, SettingsKey(), "SavePath", folder);
}

std::string TYX_Dialog_Ripping::SavePath() const { return path_ != nullptr ? path_->GetText() : std::string(); }

void TYX_Dialog_Ripping::EnableOptions(bool enable) {
  for (Window* w : std::initializer_list<Window*>{artist_, album_, format_, bitrate_, quality_, path_, pathButton_}) {
    w->EnableWindow(enable);
  }
  vbr_->EnableWindow(enable && format_->GetCurSel() == FORMAT_OGG);
  if (TYX_SkinButton* ok = GetFrameButton(IDOK)) ok->EnableWindow(enable);
}

void TYX_Dialog_Ripping::SetRowStatus(int row, const std::string& status) {
  if (list_ != nullptr) list_->SetCell(row, 1, status);
}

void TYX_Dialog_Ripping::SetLine(TYX_StaticText* line, const std::string& text) {
  if (line != nullptr) line->SetText(text);
}

std::string TYX_Dialog_Ripping::StatusLine() const { return status_ ? status_->GetText() : std::string(); }
std::string TYX_Dialog_Ripping::InfoLine() const { return info_ ? info_->GetText() : std::string(); }
std::string TYX_Dialog_Ripping::CurrentFileLine() const { return currentFile_ ? currentFile_->GetText() : std::string(); }
std::string TYX_Dialog_Ripping::TrackPercentLine() const { return trackPercent_ ? trackPercent_->GetText() : std::string(); }
std::string TYX_Dialog_Ripping::TotalPercentLine() const { return totalPercent_ ? totalPercent_->GetText() : std::string(); }

std::string TYX_Dialog_Ripping::FormatText() const {
  const int format = format_->GetCurSel();
  std::string text = format >= 0 && format < 5 ? FormatNames()[static_cast<std::size_t>(format)] : "?";
  if (format == FORMAT_OGG && vbr_->GetCheck()) return text + " " + quality_->GetSelectedText();
  if (format != FORMAT_WAV) text += " " + bitrate_->GetSelectedText();
  return text;
}

void TYX_Dialog_Ripping::OnBnClickedOk() {
  TYX_LogScope scope("TYX_Dialog_Ripping::OnBnClickedOk");
  if (ripping_) return;
  if (artist_->GetText().empty()) {
    TYX_MessageBox::Show(GetSafeHwnd(), "아티스트명이 입력되지 않았습니다.", "오류", MB_OK);
    return;
  }
  if (album_->GetText().empty()) {
    TYX_MessageBox::Show(GetSafeHwnd(), "앨범명이 입력되지 않았습니다.", "오류", MB_OK);
    return;
  }
  if (SavePath().empty()) {
    TYX_MessageBox::Show(GetSafeHwnd(), "경로가 선택되지 않았습니다.", "오류", MB_OK);
    return;
  }
  if (tracks_.empty()) return;
  ripping_ = true;
  EnableOptions(false);
  if (Convert::AcquireExtractorThread(GetSafeHwnd()) == nullptr) {
    TYX_Log::Instance()->Add("TYX_Dialog_Ripping - the extraction worker cannot be started");
    ripping_ = false;
    EnableOptions(true);
    TYX_MessageBox::Show(GetSafeHwnd(), CExtractorThread::ResultText(Convert::EXTRACT_CREATE_FAILED), "오류", MB_OK);
    return;
  }
  SaveSettings();
  SetLine(status_, "CD 리핑중입니다.");
  if (!PrepareRip()) {
    ripping_ = false;
    EnableOptions(true);
    SetLine(status_, "");
    return;
  }
  StartTrack(0);
}

bool TYX_Dialog_Ripping::PrepareRip() {
  const Convert::TYX_RippingFolders::Prepared folders =
      Convert::TYX_RippingFolders::Prepare(SavePath(), artist_->GetText(), album_->GetText());
  if (folders.target.empty()) {
    TYX_Log::Instance()->Add("TYX_Dialog_Ripping - folder : %s (%s)", folders.failedFolder.c_str(),
                             folders.reason.c_str());
    char text[2048];
    std::snprintf(text, sizeof text, "[%s] 저장 경로 에러입니다.", folders.failedFolder.c_str());
    TYX_MessageBox::Show(GetSafeHwnd(), text, "저장 경로 오류", MB_OK);
    return false;
  }
  targetFolder_ = folders.target;
  problems_ = 0;
  finished_ = false;
  index_ = 0;
  if (TYX_SkinButton* cancel = GetFrameButton(IDCANCEL)) cancel->SetCaption("취소");
  for (int i = 0; i < count_; ++i) SetRowStatus(i, kWaiting);
  trackBar_->SetPos(0);
  totalBar_->SetPos(0);

  // The disc as the drive describes it names the rip's history.
  auto cd = Audio::AudioCD();
  const int drive = tracks_.front().drive;
  discLengths_.clear();
  const int discTracks = cd ? cd->TrackCount(drive) : -1;
  for (int t = 0; t < discTracks; ++t) discLengths_.push_back(cd->TrackLength(drive, t));
  log_ = Convert::TYX_RipLog{};
  log_.drive = cd ? cd->DriveName(drive) : std::string();
  log_.discId = Convert::TYX_RipLogStore::DiscId(discLengths_);
  log_.artist = artist_->GetText();
  log_.album = album_->GetText();
  log_.format = FormatText();
  log_.folder = targetFolder_;
  log_.started = Convert::TYX_RipLog::Now();
  for (const TYX_Rip_Info& info : tracks_) {
    TYX_RipLogTrack t;
    t.track = info.track;
    t.lengthBytes = info.track >= 0 && info.track < static_cast<int>(discLengths_.size())
                        ? discLengths_[static_cast<std::size_t>(info.track)]
                        : static_cast<std::int64_t>(info.length) * Audio::kCdBytesPerSecond;
    log_.tracks.push_back(t);
  }
  const Convert::TYX_RipLogStore store(historyFolder_.empty() ? Convert::TYX_RipLogStore::DefaultFolder()
                                                              : historyFolder_);
  earlier_ = discTracks > 0 ? store.Latest(log_.discId) : std::map<int, Convert::TYX_RipLogStore::Entry>{};
  logPath_.clear();
  cuePath_.clear();
  return true;
}

void TYX_Dialog_Ripping::StartTrack(int index) {
  TYX_LogScope scope("TYX_Dialog_Ripping::StartTrack");
  index_ = index;
  const TYX_Rip_Info& info = tracks_[static_cast<std::size_t>(index)];
  SetRowStatus(index, kProcessing);
  SetLine(info_, Printf("전체: %d of %d", index + 1, count_));
  const int format = format_->GetCurSel();
  target_ = Util::NewFile(targetFolder_ + TrackName(info.track, Extension(format)));
  CExtractorThread* worker = Convert::AcquireExtractorThread(GetSafeHwnd());
  if (target_.empty() || worker == nullptr) {
    TYX_Log::Instance()->Add("TYX_Dialog_Ripping - no target for track : %d", info.track + 1);
    phase_ = Phase::Encoding;
    TrackEnded(Convert::EXTRACT_CREATE_FAILED);
    return;
  }
  worker->StopJob();
  int bitrate = 0;
  if (format == FORMAT_OGG && vbr_->GetCheck()) {
    bitrate = quality_->GetCurSel() + 1001;
  } else {
    bitrate = BitrateOfEntry(bitrate_->GetSelectedText());
  }
  SetLine(currentFile_, "현재파일 : " + TrackName(info.track, "cda"));
  total_ = 0;
  position_ = 0;
  trackBar_->SetRange32(0, 100);
  trackBar_->SetPos(0);
  SetLine(trackPercent_, PercentText(0));
  worker->SetJob(info.drive, info.track, "", format, target_, format, bitrate, info.length, 44100, 2, 2);
  phase_ = Phase::Encoding;
  worker->ResumeThread();
  worker->PostThreadMessage(Convert::WM_EXTRACTOR_START, 0);
}

void TYX_Dialog_Ripping::ShowOverall(std::int64_t position) {
  if (count_ <= 0) return;
  const double fraction = total_ > 0 ? static_cast<double>(position) / static_cast<double>(total_) : 0.0;
  const int a = static_cast<int>(fraction / count_ * 100.0);
  const double b = static_cast<double>(index_) / count_ * 100.0;
  int overall = count_ == 1 ? a + static_cast<int>(b) : static_cast<int>(a + b + 1);
  overall = std::clamp(overall, 0, 100);
  totalBar_->SetPos(overall);
  SetLine(totalPercent_, PercentText(overall));
}

LRESULT TYX_Dialog_Ripping::OnExtractorProgress(WPARAM wParam, LPARAM lParam) {
  // Reports of a job this dialog no longer follows (a cancelled one) are dropped.
  if (!ripping_ || phase_ != Phase::Encoding) return 0;
  if (wParam == Convert::EXTRACTOR_TOTAL) {
    total_ = static_cast<std::uint32_t>(lParam);
    trackBar_->SetRange32(0, 100);
    trackBar_->SetPos(0);
  } else if (wParam == Convert::EXTRACTOR_POSITION) {
    position_ = static_cast<std::uint32_t>(lParam);
    int percent = total_ > 0 ? static_cast<int>(static_cast<double>(position_) / static_cast<double>(total_) * 100.0) : 0;
    percent = std::clamp(percent, 0, 100);
    trackBar_->SetPos(percent);
    SetLine(trackPercent_, PercentText(percent));
    ShowOverall(position_);
  } else if (wParam == Convert::EXTRACTOR_DONE) {
    TrackEnded(static_cast<int>(lParam));
  }
  return 0;
}

void TYX_Dialog_Ripping::TrackEnded(int result) {
  TYX_LogScope scope("TYX_Dialog_Ripping::TrackEnded");
  TYX_Log::Instance()->Add("TYX_Dialog_Ripping::TrackEnded - result : %d", result);
  TYX_RipLogTrack& logged = log_.tracks[static_cast<std::size_t>(index_)];
  logged.target = result == Convert::EXTRACT_OK ? target_ : std::string();
  if (result != Convert::EXTRACT_OK) {
    SetRowStatus(index_, kFailed);
    total_ = 100;
    trackBar_->SetPos(100);
    ++problems_;
    logged.state = TYX_RipLogTrack::State::Failed;
    logged.failure = CExtractorThread::ResultText(result) + " (" + std::to_string(result) + ")";
    NextTrack();
    return;
  }
  UpdateTag();
  if (manager_ != nullptr) {
    if (TYX_Playlist* library = manager_->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY)) {
      if (library->InsertItem(target_, 0, 1) == kNoPosition) {
        TYX_Log::Instance()->Add("TYX_Dialog_Ripping - not added to the library : %s", target_.c_str());
      }
    }
  }
  SetRowStatus(index_, kDone);
  logged.state = TYX_RipLogTrack::State::Ripped;
  const TYX_Rip_Info& info = tracks_[static_cast<std::size_t>(index_)];
  phase_ = Phase::Verifying;
  if (!verifier_.Start(GetSafeHwnd(), info.drive, info.track, ++serial_)) {
    logged.verifyError = "the checksum reader could not start";
    NextTrack();
  }
}

LRESULT TYX_Dialog_Ripping::OnVerified(WPARAM, LPARAM serial) {
  std::optional<Convert::TYX_RipTrackCheck> check = verifier_.TakeResult();
  if (!ripping_ || phase_ != Phase::Verifying || serial != serial_ || !check) return 0;
  TYX_RipLogTrack& logged = log_.tracks[static_cast<std::size_t>(index_)];
  if (!check->ok) {
    logged.verifyError = check->error;
  } else {
    logged.verified = true;
    logged.sums = check->sums;
    if (auto it = earlier_.find(logged.track); it != earlier_.end()) {
      logged.hasEarlier = true;
      logged.earlier = it->second;
    }
    Convert::TYX_RipLogStore::Entry entry;
    entry.track = logged.track;
    entry.sums = check->sums;
    entry.when = Convert::TYX_RipLog::Now();
    entry.target = target_;
    const Convert::TYX_RipLogStore store(historyFolder_.empty() ? Convert::TYX_RipLogStore::DefaultFolder()
                                                                : historyFolder_);
    std::string error;
    if (discLengths_.empty() || !store.Append(log_.discId, entry, &error)) {
      TYX_Log::Instance()->Add("TYX_Dialog_Ripping - rip history : %s", error.c_str());
    }
  }
  NextTrack();
  return 0;
}

void TYX_Dialog_Ripping::NextTrack() {
  phase_ = Phase::Idle;
  if (index_ + 1 < count_) {
    StartTrack(index_ + 1);
    return;
  }
  Finish();
}

void TYX_Dialog_Ripping::Finish() {
  TYX_LogScope scope("TYX_Dialog_Ripping::Finish");
  SetLine(info_, Printf("전체: %i of %i", count_, count_));
  trackBar_->SetPos(100);
  totalBar_->SetPos(100);
  SetLine(trackPercent_, PercentText(100));
  SetLine(totalPercent_, PercentText(100));
  SetLine(status_, "CD 리핑을 완료하였습니다");
  if (TYX_SkinButton* cancel = GetFrameButton(IDCANCEL)) cancel->SetCaption("닫기");
  EnableOptions(true);
  ripping_ = false;
  finished_ = true;
  WriteRipFiles();
  const std::vector<int> differing = log_.DifferingTracks();
  if (!differing.empty()) {
    std::string names;
    for (int t : differing) names += (names.empty() ? "" : ", ") + TrackName(t, "cda");
    TYX_MessageBox::Show(GetSafeHwnd(),
                         "이전에 리핑한 결과와 다른 트랙이 있습니다.\n" + names +
                             "\n자세한 내용은 리핑 로그(" + BaseName(logPath_) + ")를 확인하세요.",
                         "CD 리핑 검증", MB_OK | MB_ICONWARNING);
  }
  if (problems_ == 0) PostMessage(WM_CLOSE);
}

void TYX_Dialog_Ripping::WriteRipFiles() {
  if (targetFolder_.empty()) return;
  std::string error;
  logPath_ = Util::NewFile(targetFolder_ + "rip.log");
  if (logPath_.empty() || !Convert::TYX_RipLog::WriteTextFile(logPath_, log_.Text(), &error)) {
    TYX_Log::Instance()->Add("TYX_Dialog_Ripping - rip log : %s", error.c_str());
    logPath_.clear();
  }
  Convert::TYX_CueSheet cue;
  cue.performer = log_.artist;
  cue.title = log_.album;
  for (const auto& t : log_.tracks) {
    if (t.state != TYX_RipLogTrack::State::Ripped) continue;
    cue.tracks.push_back({t.track + 1, BaseName(t.target), Stem(t.target)});
  }
  if (cue.tracks.empty()) return;
  cuePath_ = Util::NewFile(targetFolder_ + "rip.cue");
  if (cuePath_.empty() || !Convert::TYX_RipLog::WriteTextFile(cuePath_, cue.Text(), &error)) {
    TYX_Log::Instance()->Add("TYX_Dialog_Ripping - cue sheet : %s", error.c_str());
    cuePath_.clear();
  }
}

void TYX_Dialog_Ripping::UpdateTag() {
  TYX_MediaPtr media = TYX_Media::Instance(target_, kMediaOpenRead);
  if (!media || !media->IsValid()) return;
  media->SetTitle(Stem(target_));
  media->SetArtist(artist_->GetText());
  media->SetAlbum(album_->GetText());
  if (media->Save() != 0) {
    TYX_Log::Instance()->Add("TYX_Dialog_Ripping - tags not saved : %s (%s)", target_.c_str(),
                             media->GetLastError().c_str());
  }
}

void TYX_Dialog_Ripping::OnCancel() {
  TYX_LogScope scope("TYX_Dialog_Ripping::OnCancel");
  if (!ripping_) {
    EndDialog(finished_ ? IDOK : IDCANCEL);
    return;
  }
  // The job is held between two blocks while the question is open; what it reported before waits in
  // this queue.
  CExtractorThread* worker = Convert::GetExtractorThread();
  if (worker != nullptr) worker->PauseJob();
  const int answer = TYX_MessageBox::Show(
      GetSafeHwnd(), "음악 파일 변환을 취소하시겠습니까?\n확인을 클릭하시면, 변환 완료된 곡만 저장됩니다",
      "음악 파일 변환 취소", MB_OKCANCEL);
  if (answer != IDOK) {
    if (worker != nullptr) worker->ResumeJob();
    return;
  }
  if (phase_ == Phase::Encoding) {
    // A job that ended while the question was open is a finished song, and is kept as one.
    bool finished = false;
    MSG msg;
    while (PeekMessage(&msg, GetSafeHwnd(), Convert::WM_EXTRACTOR_PROGRESS, Convert::WM_EXTRACTOR_PROGRESS, PM_REMOVE)) {
      if (msg.wParam == Convert::EXTRACTOR_DONE) finished = msg.lParam == Convert::EXTRACT_OK;
    }
    if (worker != nullptr) worker->StopJob();
    TYX_RipLogTrack& logged = log_.tracks[static_cast<std::size_t>(index_)];
    if (finished) {
      UpdateTag();
      if (manager_ != nullptr) {
        if (TYX_Playlist* library = manager_->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY)) library->InsertItem(target_, 0, 1);
      }
      SetRowStatus(index_, kDone);
      logged.state = TYX_RipLogTrack::State::Ripped;
      logged.target = target_;
      logged.verifyError = "cancelled";
    } else {
      // Only finished songs are kept, as the question promised: the half track goes.
      if (!target_.empty() && ::unlink(target_.c_str()) != 0 && Util::FileExists(target_)) {
        TYX_Log::Instance()->Add("TYX_Dialog_Ripping - partial file kept : %s", target_.c_str());
      }
      logged.state = TYX_RipLogTrack::State::Cancelled;
      logged.target.clear();
    }
  } else if (phase_ == Phase::Verifying) {
    if (worker != nullptr) worker->ResumeJob();
    verifier_.Stop();
    verifier_.TakeResult();
    log_.tracks[static_cast<std::size_t>(index_)].verifyError = "cancelled";
  } else if (worker != nullptr) {
    worker->ResumeJob();
  }
  for (auto& t : log_.tracks) {
    if (t.state == TYX_RipLogTrack::State::Waiting) t.state = TYX_RipLogTrack::State::Cancelled;
  }
  phase_ = Phase::Idle;
  ripping_ = false;
  WriteRipFiles();
  EndDialog(IDCANCEL);
}

void TYX_Dialog_Ripping::PaintContent(DisplayList& dc) {
  TYX_Skin_PopupDialog::PaintContent(dc);
  const Font bold = DefaultFont(12, true);
  dc.Text(Rect{20, 40, 88, 56}, "아티스트", bold, kLabelColor);
  dc.Text(Rect{20, 64, 88, 80}, "앨범", bold, kLabelColor);
  dc.Text(Rect{20, 88, 88, 104}, "포맷", bold, kLabelColor);
  dc.Text(Rect{20, 112, 88, 128}, "저장 폴더", bold, kLabelColor);
}

}  // namespace TYX::Dialog
