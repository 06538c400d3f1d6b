#pragma once
// The notice about the list of songs to put on the phone ("안내"). The host sets a step before
// showing it; each step has its own height, button set and lines. Step 44121 asks for automatic or
// manual transfer (autoMode 1 or 0); steps 44124 and 44125 carry the check box that keeps the notice
// closed until another device is connected (dontShowAgain); step 44124 links to the help page about the
// sync list.
#include <string>
#include <vector>

#include "toolkit/skin_popup_dialog.h"

namespace TYX::Controls {
class TYX_CheckBox;
class TYX_RadioButton;
}  // namespace TYX::Controls

namespace TYX::Dialog {

class TYX_LinkText;

class TYX_Dialog_Infor : public Controls::TYX_Skin_PopupDialog {
 public:
  static constexpr int kStepChooseMode = 44121;
  static constexpr int kStepAutoOn = 44122;
  static constexpr int kStepAddToSend = 44123;
  static constexpr int kStepAskSend = 44124;
  static constexpr int kStepSending = 44125;
  static constexpr Win::UINT kCheckDontShowId = 43408;
  static constexpr Win::UINT kRadioAutoId = 43440;
  static constexpr Win::UINT kRadioManualId = 43441;
  static constexpr Win::UINT kHelpLinkId = 1000;
  static constexpr int kWidth = 384;
  // The help page's path on the vendor's web host; the host is the configuration attribute
  // kHelpHostAttribute (kDefaultHelpHost when unset).
  static constexpr const char* kHelpPath = "/music/music_index3.jsp";
  static constexpr const char* kHelpHostAttribute = "MusicWebHost";
  static constexpr const char* kDefaultHelpHost = "http://www.sonvar.co.kr";

  struct StepInfo {
    int step = 0;
    int height = 0;
    Win::UINT buttonSet = 0;
    std::vector<std::string> lines;
  };
  // The table of steps; null for an unknown step.
  static const StepInfo* FindStep(int step);

  explicit TYX_Dialog_Infor(Win::HWND parent = nullptr);
  ~TYX_Dialog_Infor() override;

  // Read and set by the host.
  bool dontShowAgain = false;
  int autoMode = 1;
  int step = kStepChooseMode;

  void SetStep(int newStep) { step = newStep; }
  // The address the help link opens.
  static std::string HelpUrl();

  Controls::TYX_RadioButton* GetAutoRadio() const { return autoRadio_; }
  Controls::TYX_RadioButton* GetManualRadio() const { return manualRadio_; }
  Controls::TYX_CheckBox* GetCheckBox() const { return checkBox_; }
  TYX_LinkText* GetHelpLink() const { return helpLink_; }

 protected:
  Win::BOOL OnInitDialog() override;

 private:
  void OnRadioAuto();
  void OnRadioManual();
  void OnCheckDontShow();
  void OnHelpLink();

  Controls::TYX_RadioButton* autoRadio_ = nullptr;  // window thread, like every field below
  Controls::TYX_RadioButton* manualRadio_ = nullptr;
  Controls::TYX_CheckBox* checkBox_ = nullptr;
  TYX_LinkText* helpLink_ = nullptr;
};

}  // namespace TYX::Dialog
