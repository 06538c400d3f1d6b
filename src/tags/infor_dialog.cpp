#include "tags/infor_dialog.h"

#include "platform/os_services.h"
#include "tags/link_text.h"
#include "toolkit/check_box.h"
#include "toolkit/radio_button.h"
#include "util/init.h"
#include "util/log_scope.h"

namespace TYX::Dialog {

using namespace TYX::Win;

namespace {
constexpr COLORREF kLineColor = 0x4C4C4C;
constexpr int kLineTop = 50;
constexpr int kLineHeight = 20;
constexpr int kLeft = 30;
}  // namespace

const TYX_Dialog_Infor::StepInfo* TYX_Dialog_Infor::FindStep(int step) {
  static const std::vector<StepInfo> steps = {
      {kStepChooseMode, 223, kButtonSetNextCancel,
       {"1. [내 기기에 담을 곡 목록]의 음악을 기기로 전송하는", "방식을 선택해 주십시오."}},
      {kStepAutoOn, 195, kButtonSetConfirm,
       {"기기를 연결하면, [내기기에 담을 곡 목록]의", "음악이 자동으로 전송 됩니다.",
        "관련된 환경설정을 확인하여 주십시오."}},
      {kStepAddToSend, 176, kButtonSetConfirm,
       {"내 PC의 음악을 [내 기기에 담을 곡 목록]에 추가하시면", "기기에 자동으로 전송됩니다."}},
      {kStepAskSend, 217, kButtonSetYesNo, {"[내 기기에 담을 곡 목록]의 음악을 기기에", "전송하시겠습니까?"}},
      {kStepSending, 261, kButtonSetConfirm,
       {"[내 기기에 담을 곡 목록]의 음악이 자동으로", "기기에 전송되고 있습니다.",
        "기기연결을 해제하거나 PC의 전원을 끄지 마십시오.", "전체 전송 상태는 화면 하단의 상태 표시줄을 확인 하세요."}},
  };
  for (const StepInfo& s : steps)
    if (s.step == step) return &s;
  return nullptr;
}

TYX_Dialog_Infor::TYX_Dialog_Infor(HWND parent) : TYX_Skin_PopupDialog(0, parent) {
  SetWindowSize(kWidth, 223);
  OnCommand(kRadioAutoId, [this] { OnRadioAuto(); });
  OnCommand(kRadioManualId, [this] { OnRadioManual(); });
  OnCommand(kCheckDontShowId, [this] { OnCheckDontShow(); });
  OnCommand(kHelpLinkId, [this] { OnHelpLink(); });
}

TYX_Dialog_Infor::~TYX_Dialog_Infor() = default;

std::string TYX_Dialog_Infor::HelpUrl() {
  std::string host = TYX_INIT::Instance()->GetAttributeStr(kHelpHostAttribute, kDefaultHelpHost);
  while (!host.empty() && host.back() == '/') host.pop_back();
  return host + kHelpPath;
}

BOOL TYX_Dialog_Infor::OnInitDialog() {
  TYX_LogScope scope("TYX_Dialog_Infor::OnInitDialog");
  SetTitle("안내");
  const StepInfo* info = FindStep(step);
  if (info != nullptr) {
    SetButtonSet(info->buttonSet);
    SetWindowSize(kWidth, info->height);
  } else {
    SetButtonSet(kButtonSetConfirm);
  }
  TYX_Skin_PopupDialog::OnInitDialog();
  CenterWindow();
  ClearDrawInfo();
  int y = kLineTop;
  if (info != nullptr) {
    for (const std::string& line : info->lines) {
      AddDrawText(Rect{kLeft, y, kWidth - 20, y + kLineHeight}, line, Controls::DefaultFont(12, false), kLineColor);
      y += kLineHeight;
    }
  }
  y += 10;
  const HWND self = GetSafeHwnd();
  if (step == kStepChooseMode) {
    auto a = std::make_unique<Controls::TYX_RadioButton>();
    if (a->CreateRadio(self, Rect{kLeft + 10, y, kWidth - 30, y + 18}, kRadioAutoId, "기기를 연결하면, 자동으로 전송", 1))
      autoRadio_ = AdoptControl(std::move(a));
    y += 24;
    auto m = std::make_unique<Controls::TYX_RadioButton>();
    if (m->CreateRadio(self, Rect{kLeft + 10, y, kWidth - 30, y + 18}, kRadioManualId, "내가 선택하여 직접 전송", 1))
      manualRadio_ = AdoptControl(std::move(m));
    if (autoRadio_) autoRadio_->SetCheck(autoMode == 1);
    if (manualRadio_) manualRadio_->SetCheck(autoMode != 1);
  }
  if (step == kStepAskSend) {
    auto link = std::make_unique<TYX_LinkText>();
    if (link->CreateStatic(self, Rect{kLeft, y, kWidth - 20, y + 18}, kHelpLinkId,
                           "내 기기에 담을 곡 목록, 자동 싱크에 대해서 자세히 알아보기"))
      helpLink_ = AdoptControl(std::move(link));
    y += 26;
  }
  if (step == kStepAskSend || step == kStepSending) {
    auto box = std::make_unique<Controls::TYX_CheckBox>();
    if (box->CreateCheckBox(self, Rect{kLeft, y, kWidth - 20, y + 18}, kCheckDontShowId,
                            "다른 기기를 연결할 때 까지 이 창을 열지 않음")) {
      checkBox_ = AdoptControl(std::move(box));
      checkBox_->SetCheck(dontShowAgain);
    }
  }
  Invalidate();
  return TRUE;
}

void TYX_Dialog_Infor::OnRadioAuto() {
  if (step != kStepChooseMode) return;
  autoMode = 1;
  if (autoRadio_) autoRadio_->SetCheck(true);
  if (manualRadio_) manualRadio_->SetCheck(false);
}

void TYX_Dialog_Infor::OnRadioManual() {
  if (step != kStepChooseMode) return;
  autoMode = 0;
  if (manualRadio_) manualRadio_->SetCheck(true);
  if (autoRadio_) autoRadio_->SetCheck(false);
}

void TYX_Dialog_Infor::OnCheckDontShow() {
  if (checkBox_) dontShowAgain = checkBox_->GetCheck();
}

void TYX_Dialog_Infor::OnHelpLink() {
  TYX_LogScope scope("TYX_Dialog_Infor::OnHelpLink");
  Os::OpenUrl(HelpUrl());
}

}  // namespace TYX::Dialog
