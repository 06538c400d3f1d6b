#include "convert/media_converting_option_dlg.h"

#include <cctype>

#include "convert/extractor_thread.h"
#include "platform/os_services.h"
#include "platform/user_agent.h"
#include "toolkit/check_box.h"
#include "toolkit/combo_box.h"
#include "toolkit/edit.h"
#include "toolkit/list_ctrl_ex.h"
#include "toolkit/message_box.h"
#include "toolkit/radio_button.h"
#include "toolkit/skin_button.h"
#include "util/log_scope.h"
#include "util/reg.h"

namespace TYX::Dialog {

using namespace TYX::Win;
using namespace TYX::Controls;

namespace {

constexpr const char* kCaption = "미디어 파일변환";
constexpr COLORREF kLabelColor = 0x6B6056;
constexpr int kViaMonoBelow = 45;
constexpr int kViaStereoAbove = 224;

const TYX_MediaConverting_OptionDlg::OutputTypeInfo kOutputTypes[] = {
    {"MP3", ".mp3", Convert::EXTRACT_FORMAT_MP3, FileType::MP3},
    {"VIA", ".via", Convert::EXTRACT_FORMAT_VIA, FileType::VIA},
};

bool CannotConvert(TYX_FILETYPE type) {
  return type == FileType::M4A || type == FileType::AAC || type == FileType::ODF || type == FileType::OMA ||
         type == FileType::DCF;
}

std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

const TYX_MediaConverting_OptionDlg::OutputTypeInfo& TYX_MediaConverting_OptionDlg::OutputType(int index) {
  return kOutputTypes[index == OUTPUT_VIA ? OUTPUT_VIA : OUTPUT_MP3];
}

std::string TYX_MediaConverting_OptionDlg::SettingsKey() {
  return std::string(TYX_Reg::kMusicSettingsRoot) + "\\MediaConverting";
}

const std::vector<std::string>& TYX_MediaConverting_OptionDlg::BitrateTexts() {
  static const std::vector<std::string> texts = {"32 kbps",  "40 kbps",  "48 kbps",  "56 kbps",  "64 kbps",
                                                 "80 kbps",  "112 kbps", "128 kbps", "160 kbps", "192 kbps",
                                                 "224 kbps", "256 kbps", "320 kbps"};
  return texts;
}

int TYX_MediaConverting_OptionDlg::BitrateOfText(const std::string& text) {
  int value = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) break;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string TYX_MediaConverting_OptionDlg::DefaultChooserFolder() {
  return Os::GetDocumentsFolder() + "/Sonvar PC Manager/뮤직";
}

std::string TYX_MediaConverting_OptionDlg::NormalizeChosenFolder(const std::string& folder) {
  std::string out = folder + "/";
  for (std::size_t i; (i = out.find("//")) != std::string::npos;) out.erase(i, 1);
  return out;
}

TYX_MediaConverting_OptionDlg::TYX_MediaConverting_OptionDlg(HWND parent) : TYX_Skin_PopupDialog(0, parent) {
  SetWindowSize(494, 631);
  SetTitle(kCaption);
  SetButtonSet(kButtonSetOkCancel);
  OnCommandCode(kFormatComboId, CBN_SELCHANGE, [this] { ApplyViaChannelRule(true); });
  OnCommandCode(kBitrateComboId, CBN_SELCHANGE, [this] { ApplyViaChannelRule(false); });
  OnCommandCode(kChannelComboId, CBN_SELCHANGE, [this] { ApplyViaChannelRule(false); });
  OnCommandCode(kSourceFolderRadioId, BN_CLICKED, [this] { OnRadio(false); });
  OnCommandCode(kUserFolderRadioId, BN_CLICKED, [this] { OnRadio(true); });
  OnCommandCode(kChangeButtonId, BN_CLICKED, [this] { OnChangeFolder(); });
}

TYX_MediaConverting_OptionDlg::~TYX_MediaConverting_OptionDlg() = default;

void TYX_MediaConverting_OptionDlg::SetConvertOption(int outputType, int) {
  if (outputType != 4) defaultFormat_ = outputType == OUTPUT_VIA ? OUTPUT_VIA : OUTPUT_MP3;
}

BOOL TYX_MediaConverting_OptionDlg::OnInitDialog() {
  TYX_LogScope scope("TYX_MediaConverting_OptionDlg::OnInitDialog");
  TYX_Skin_PopupDialog::OnInitDialog();
  CenterWindow();
  const HWND self = GetSafeHwnd();

  auto list = std::make_unique<TYX_ListCtrlEx>();
  if (list->CreateListCtrl(self, Rect{20, 60, 474, 330}, kFileListId)) {
    const std::vector<TYX_ListColumn> columns = {{0, 0, 180, 60, kListDrawText, "제목", {}},
                                                 {1, 0, 274, 60, kListDrawText, "파일", {}}};
    list->InitListExControl(columns, 22);
    list_ = AdoptControl(std::move(list));
  }
  auto combo = [&](UINT id, int y) -> TYX_ComboBox* {
    auto c = std::make_unique<TYX_ComboBox>();
    if (!c->CreateCombo(self, Rect{140, y, 300, y + 20}, id)) return nullptr;
    return AdoptControl(std::move(c));
  };
  format_ = combo(kFormatComboId, 350);
  bitrates_ = combo(kBitrateComboId, 380);
  channels_ = combo(kChannelComboId, 410);
  if (format_ != nullptr) {
    for (const OutputTypeInfo& t : kOutputTypes) format_->AddString(t.text);
  }
  if (bitrates_ != nullptr) {
    for (const std::string& t : BitrateTexts()) bitrates_->AddString(t);
  }
  if (channels_ != nullptr) {
    for (const char* t : {"Mono", "변환없음", "Stereo"}) channels_->AddString(t);
  }
  auto radio = [&](UINT id, int y, const char* text) -> TYX_RadioButton* {
    auto r = std::make_unique<TYX_RadioButton>();
    if (!r->CreateRadio(self, Rect{20, y, 300, y + 18}, id, text, 1)) return nullptr;
    return AdoptControl(std::move(r));
  };
  sourceRadio_ = radio(kSourceFolderRadioId, 450, "원본파일과 같은 폴더에 저장");
  userRadio_ = radio(kUserFolderRadioId, 475, "사용자 지정");
  auto edit = std::make_unique<TYX_Edit>();
  if (edit->CreateEdit(self, Rect{40, 500, 390, 520}, kPathEditId)) path_ = AdoptControl(std::move(edit));
  auto change = std::make_unique<TYX_SkinButton>();
  if (change->CreateSkinButton(self, Rect{400, 498, 474, 520}, kChangeButtonId, "변경")) AdoptControl(std::move(change));
  auto transfer = std::make_unique<TYX_CheckBox>();
  if (transfer->CreateCheckBox(self, Rect{20, 535, 474, 553}, kTransferCheckId, "변환 후 휴대폰으로 전송")) {
    transfer_ = AdoptControl(std::move(transfer));
  }

  // The stored choices, else the first-use defaults.
  const std::string key = SettingsKey();
  const int format = static_cast<int>(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, key, "Format",
                                                            static_cast<unsigned>(defaultFormat_)));
  const int bitrate = static_cast<int>(
      TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, key, "Bitrate", static_cast<unsigned>(kDefaultBitrateIndex)));
  if (format_ != nullptr && format_->SetCurSel(format) < 0) format_->SetCurSel(defaultFormat_);
  if (bitrates_ != nullptr && bitrates_->SetCurSel(bitrate) < 0) bitrates_->SetCurSel(kDefaultBitrateIndex);
  if (channels_ != nullptr) channels_->SetCurSel(CHANNEL_KEEP);
  if (path_ != nullptr) path_->SetText(TYX_Reg::ReadString(HKEY_LOCAL_MACHINE, key, "SavePath", ""));
  if (sourceRadio_ != nullptr) sourceRadio_->SetCheck(true);
  if (path_ != nullptr) path_->EnableWindow(false);
  if (format_ != nullptr && format_->GetCurSel() == OUTPUT_VIA) ApplyViaChannelRule(true);
  FillFileList();
  return TRUE;
}

void TYX_MediaConverting_OptionDlg::FillFileList() {
  if (list_ == nullptr) return;
  list_->DeleteAllItem();
  for (const _Media_FileList& f : files_) {
    const int row = list_->InsertField();
    list_->SetCell(row, 0, f.text);
    list_->SetCell(row, 1, FileNameOf(f.path));
  }
}

int TYX_MediaConverting_OptionDlg::SelectedBitrate() const {
  return bitrates_ == nullptr ? 128 : BitrateOfText(bitrates_->GetSelectedText());
}

void TYX_MediaConverting_OptionDlg::ApplyViaChannelRule(bool fromFormat) {
  if (format_ == nullptr || channels_ == nullptr || format_->GetCurSel() != OUTPUT_VIA) return;
  const int kbps = SelectedBitrate();
  if (kbps < kViaMonoBelow) {
    channels_->SetCurSel(CHANNEL_MONO);
  } else if (kbps > kViaStereoAbove) {
    channels_->SetCurSel(CHANNEL_STEREO);
  } else if (fromFormat) {
    channels_->SetCurSel(CHANNEL_KEEP);
  }
  if (fromFormat) channels_->EnableWindow(true);
}

void TYX_MediaConverting_OptionDlg::OnRadio(bool userFolder) {
  if (path_ != nullptr) path_->EnableWindow(userFolder);
}

void TYX_MediaConverting_OptionDlg::OnChangeFolder() {
  FolderRequest request;
  request.owner = GetSafeHwnd();
  request.title = "저장 폴더를 선택하세요";
  request.initialFolder = DefaultChooserFolder();
  const std::optional<std::string> chosen = GetUserAgent()->ChooseFolder(request);
  if (!chosen || chosen->empty()) return;
  const std::string folder = NormalizeChosenFolder(*chosen);
  if (path_ != nullptr) path_->SetText(folder);
  TYX_Reg::SHRegWriteString(HKEY_LOCAL_MACHINE, SettingsKey(), "SavePath", folder);
}

bool TYX_MediaConverting_OptionDlg::FilterFiles() {
  const TYX_FILETYPE same = OutputType(outputType_).fileType;
  bool askedSame = false;
  bool toldUnsupported = false;
  FileList kept;
  for (std::size_t i = 0; i < files_.size(); ++i) {
    const _Media_FileList& f = files_[i];
    if (f.fileType == same) {
      if (!askedSame) {
        askedSame = true;
        const int answer = TYX_MessageBox::Show(
            GetSafeHwnd(),
            "선택 파일포멧과 변환 파일포멧이 같은 파일이 존재합니다.\n해당 파일을 변환 리스트에서 삭제하고 계속 "
            "하시겠습니까?",
            kCaption, MB_OKCANCEL);
        if (answer != IDOK) {
          // What was removed so far stays removed; the rest is shown as it is.
          kept.insert(kept.end(), files_.begin() + static_cast<std::ptrdiff_t>(i), files_.end());
          files_ = std::move(kept);
          FillFileList();
          return false;
        }
      }
      continue;
    }
    if (CannotConvert(f.fileType)) {
      if (!toldUnsupported) {
        toldUnsupported = true;
        TYX_MessageBox::Show(GetSafeHwnd(),
                             "미디어 파일 변환은 MP3, WMA, OGG, WAVE, VIA 파일에 대해서만 이용 가능합니다.\n지원되지 "
                             "않는 포맷의 음악 파일은, 미디어파일 변환 대상 목록에서 삭제됩니다.\n",
                             kCaption, MB_OK);
      }
      continue;
    }
    kept.push_back(f);
  }
  files_ = std::move(kept);
  FillFileList();
  return true;
}

void TYX_MediaConverting_OptionDlg::OnOK() {
  TYX_LogScope scope("TYX_MediaConverting_OptionDlg::OnOK");
  outputType_ = format_ != nullptr && format_->GetCurSel() == OUTPUT_VIA ? OUTPUT_VIA : OUTPUT_MP3;
  bitrate_ = SelectedBitrate();
  channelOption_ = channels_ != nullptr && channels_->GetCurSel() >= 0 ? channels_->GetCurSel() : CHANNEL_KEEP;
  saveToSource_ = userRadio_ == nullptr || !userRadio_->GetCheck();
  userFolder_ = path_ != nullptr ? path_->GetText() : std::string();
  transferAfter_ = transfer_ != nullptr && transfer_->GetCheck();
  if (!saveToSource_ && userFolder_.empty()) {
    TYX_MessageBox::Show(GetSafeHwnd(), "경로가 선택되지 않았습니다.", "오류", MB_OK);
    return;
  }
  const std::string key = SettingsKey();
  if (bitrates_ != nullptr) {
    TYX_Reg::SHRegWriteInt(HKEY_LOCAL_MACHINE, key, "Bitrate", static_cast<unsigned>(bitrates_->GetCurSel()));
  }
  TYX_Reg::SHRegWriteInt(HKEY_LOCAL_MACHINE, key, "Format", static_cast<unsigned>(outputType_));
  if (!FilterFiles()) return;
  if (files_.empty()) {
    TYX_MessageBox::Show(GetSafeHwnd(),
                         "변환할 미디어 파일이 없습니다.\n변환할 미디어 파일 리스트를 확인 하시고 다시 시도하여 "
                         "주십시오.",
                         kCaption, MB_OK);
    EndDialog(IDCANCEL);
    return;
  }
  EndDialog(IDOK);
}

void TYX_MediaConverting_OptionDlg::PaintContent(DisplayList& dc) {
  TYX_Skin_PopupDialog::PaintContent(dc);
  const Font normal = DefaultFont(12, false);
  dc.Text(Rect{20, 40, 474, 56}, "변환할 파일", normal, kLabelColor);
  dc.Text(Rect{20, 352, 130, 368}, "파일 포맷", normal, kLabelColor);
  dc.Text(Rect{20, 382, 130, 398}, "비트레이트", normal, kLabelColor);
  dc.Text(Rect{20, 412, 130, 428}, "채널", normal, kLabelColor);
}

}  // namespace TYX::Dialog
