#include "convert/dialog_media_converting.h"

#include "platform/user_agent.h"
#include "toolkit/combo_box.h"
#include "toolkit/edit.h"
#include "toolkit/message_box.h"
#include "toolkit/radio_button.h"
#include "toolkit/skin_button.h"
#include "util/log_scope.h"
#include "util/reg.h"

namespace TYX::Dialog {

using namespace TYX::Win;
using namespace TYX::Controls;
using Option = TYX_MediaConverting_OptionDlg;

namespace {

constexpr COLORREF kLabelColor = 0x6B6056;
constexpr int kViaMonoBelow = 45;
constexpr int kViaStereoAbove = 224;

}  // namespace

TYX_Dialog_MediaConverting::TYX_Dialog_MediaConverting(HWND parent) : TYX_MediaConverting_ProgressDlg(parent) {
  SetWindowSize(kWidth, kHeight);
  SetButtonSet(kButtonSetOkCancel);
  OnCommandCode(kSourceFolderRadioId, BN_CLICKED, [this] { OnRadio(false); });
  OnCommandCode(kUserFolderRadioId, BN_CLICKED, [this] { OnRadio(true); });
  OnCommandCode(kChangeButtonId, BN_CLICKED, [this] { OnChangeFolder(); });
}

TYX_Dialog_MediaConverting::~TYX_Dialog_MediaConverting() = default;

int TYX_Dialog_MediaConverting::ChannelOptionFor(int outputType, int kbps) {
  if (outputType != Option::OUTPUT_VIA) return Option::CHANNEL_KEEP;
  if (kbps < kViaMonoBelow) return Option::CHANNEL_MONO;
  if (kbps > kViaStereoAbove) return Option::CHANNEL_STEREO;
  return Option::CHANNEL_KEEP;
}

BOOL TYX_Dialog_MediaConverting::OnInitDialog() {
  TYX_LogScope scope("TYX_Dialog_MediaConverting::OnInitDialog");
  TYX_MediaConverting_ProgressDlg::OnInitDialog();
  const HWND self = GetSafeHwnd();
  auto combo = [&](UINT id, int y) -> TYX_ComboBox* {
    auto c = std::make_unique<TYX_ComboBox>();
    if (!c->CreateCombo(self, Rect{120, y, 280, y + 20}, id)) return nullptr;
    return AdoptControl(std::move(c));
  };
  format_ = combo(kFormatComboId, 334);
  bitrates_ = combo(kBitrateComboId, 360);
  if (format_ != nullptr) {
    for (int i = 0; i < Option::OUTPUT_COUNT; ++i) format_->AddString(Option::OutputType(i).text);
  }
  if (bitrates_ != nullptr) {
    for (const std::string& t : Option::BitrateTexts()) bitrates_->AddString(t);
  }
  auto radio = [&](UINT id, int y, const char* text) -> TYX_RadioButton* {
    auto r = std::make_unique<TYX_RadioButton>();
    if (!r->CreateRadio(self, Rect{20, y, 380, y + 18}, id, text, 1)) return nullptr;
    return AdoptControl(std::move(r));
  };
  sourceRadio_ = radio(kSourceFolderRadioId, 388, "원본파일과 같은 폴더에 저장");
  userRadio_ = radio(kUserFolderRadioId, 410, "사용자 지정");
  auto edit = std::make_unique<TYX_Edit>();
  if (edit->CreateEdit(self, Rect{40, 434, 300, 454}, kPathEditId)) path_ = AdoptControl(std::move(edit));
  auto change = std::make_unique<TYX_SkinButton>();
  if (change->CreateSkinButton(self, Rect{306, 432, 380, 454}, kChangeButtonId, "변경")) {
    change_ = AdoptControl(std::move(change));
  }

  // The option dialog's stored choices, else its first-use defaults.
  const std::string key = Option::SettingsKey();
  const int format = static_cast<int>(TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, key, "Format", Option::OUTPUT_MP3));
  const int bitrate = static_cast<int>(
      TYX_Reg::SHRegReadInt(HKEY_LOCAL_MACHINE, key, "Bitrate", static_cast<unsigned>(Option::kDefaultBitrateIndex)));
  if (format_ != nullptr && format_->SetCurSel(format) < 0) format_->SetCurSel(Option::OUTPUT_MP3);
  if (bitrates_ != nullptr && bitrates_->SetCurSel(bitrate) < 0) bitrates_->SetCurSel(Option::kDefaultBitrateIndex);
  if (path_ != nullptr) {
    path_->SetText(TYX_Reg::ReadString(HKEY_LOCAL_MACHINE, key, "SavePath", ""));
    path_->EnableWindow(false);
  }
  if (sourceRadio_ != nullptr) sourceRadio_->SetCheck(true);
  return TRUE;
}

void TYX_Dialog_MediaConverting::OnRadio(bool userFolder) {
  if (path_ != nullptr) path_->EnableWindow(userFolder);
}

void TYX_Dialog_MediaConverting::OnChangeFolder() {
  FolderRequest request;
  request.owner = GetSafeHwnd();
  request.title = "저장 폴더를 선택하세요";
  request.initialFolder = Option::DefaultChooserFolder();
  const std::optional<std::string> chosen = GetUserAgent()->ChooseFolder(request);
  if (!chosen || chosen->empty()) return;
  const std::string folder = Option::NormalizeChosenFolder(*chosen);
  if (path_ != nullptr) path_->SetText(folder);
  TYX_Reg::SHRegWriteString(HKEY_LOCAL_MACHINE, Option::SettingsKey(), "SavePath", folder);
}

void TYX_Dialog_MediaConverting::EnableChoices(bool enable) {
  for (Window* w : std::initializer_list<Window*>{format_, bitrates_, sourceRadio_, userRadio_, path_, change_}) {
    if (w != nullptr) w->EnableWindow(enable);
  }
  if (TYX_SkinButton* ok = GetFrameButton(IDOK)) ok->EnableWindow(enable);
}

void TYX_Dialog_MediaConverting::OnOK() {
  TYX_LogScope scope("TYX_Dialog_MediaConverting::OnOK");
  // One conversion per dialog: the button means nothing while it runs or after it.
  if (IsConverting() || HasFinished()) return;
  Options options;
  options.outputType = format_ != nullptr && format_->GetCurSel() == Option::OUTPUT_VIA ? Option::OUTPUT_VIA
                                                                                         : Option::OUTPUT_MP3;
  options.bitrate = bitrates_ != nullptr ? Option::BitrateOfText(bitrates_->GetSelectedText()) : 128;
  if (options.bitrate <= 0) options.bitrate = 128;
  options.channelOption = ChannelOptionFor(options.outputType, options.bitrate);
  options.saveToSource = userRadio_ == nullptr || !userRadio_->GetCheck();
  options.userFolder = path_ != nullptr ? path_->GetText() : std::string();
  if (!options.saveToSource && options.userFolder.empty()) {
    TYX_MessageBox::Show(GetSafeHwnd(), "경로가 선택되지 않았습니다.", "오류", MB_OK);
    return;
  }
  const std::string key = Option::SettingsKey();
  if (bitrates_ != nullptr) {
    TYX_Reg::SHRegWriteInt(HKEY_LOCAL_MACHINE, key, "Bitrate", static_cast<unsigned>(bitrates_->GetCurSel()));
  }
  TYX_Reg::SHRegWriteInt(HKEY_LOCAL_MACHINE, key, "Format", static_cast<unsigned>(options.outputType));
  SetOptions(options);
  EnableChoices(false);
  StartConversion();
}

void TYX_Dialog_MediaConverting::PaintContent(DisplayList& dc) {
  TYX_MediaConverting_ProgressDlg::PaintContent(dc);
  const Font normal = DefaultFont(12, false);
  dc.Text(Rect{20, 336, 115, 352}, "파일 포맷", normal, kLabelColor);
  dc.Text(Rect{20, 362, 115, 378}, "비트레이트", normal, kLabelColor);
}

}  // namespace TYX::Dialog
