#pragma once
// The ring-tone transfer dialog: connects to the phone in ring-tone mode, refuses a melody whose title
// is on the phone already, puts the file and stays open (hidden) until the phone's end notice, then
// tells the person the outcome. Ends with 1 once the put was made, whatever the phone answered; 0 when
// no phone was found or the title is taken (nothing was sent).
#include <string>

#include "toolkit/skin_popup_dialog.h"

namespace TYX::Library {

class TYX_DeviceTransDlg_Melody1 : public Controls::TYX_Skin_PopupDialog {
 public:
  static constexpr Win::UINT WM_MELODY_NOTICE = 1228;  // the put's notices (dm_transfer_status)
  static constexpr Win::UINT kCmdSend = 0xAA0D;
  static constexpr int kWidth = 494;
  static constexpr int kHeight = 239;
  // Phone-side error codes of a put that did not get through.
  static constexpr int kErrorMemory = 40040;
  static constexpr int kErrorBattery = 40052;

  TYX_DeviceTransDlg_Melody1(Win::HWND parent, std::string path, std::string connectCode);

  bool IsAnimating() const { return animating_; }
  // The text shown for a finished put with that phone error code (0 success).
  static std::string ResultText(int code);

 protected:
  Win::BOOL OnInitDialog() override;

 private:
  void Send();
  Win::LRESULT OnNotice(Win::WPARAM status, Win::LPARAM value);
  void Finish(const std::string& text, int result);

  std::string path_;  // owner thread, like every field below
  std::string code_;
  unsigned device_ = 0;
  bool sent_ = false;
  bool animating_ = false;
};

}  // namespace TYX::Library
