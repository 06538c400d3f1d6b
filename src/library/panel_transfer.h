#pragma once
// The panel's side of sending music to the phone: the transfer commands and the sync list's controls.
//
// The commands part calls in here for every send (command 1014, a double click on a ringtone, message
// 0xAC64). Until the transfer dialog exists, a send stops after the checks that refuse it, with the
// person told why; a send that passes them is logged and reported as not started (E_FAIL).
#include <string>

#include "library/panel_part.h"

namespace TYX::Library {

class TYX_PanelTransfer : public TYX_PanelPart {
 public:
  using TYX_PanelPart::TYX_PanelPart;

  void RegisterMessages() override;

  // Command 1014: the now-playing list on type 3, else the selected rows.
  long OnTransferDevice();
  // The selected rows of the current list (types 1, 9, 10; type 7 sends a ringtone).
  long FileTransferToDevice();
  // On type 3 with a phone present only asks the phone whether its Bluetooth link sleeps.
  long FileTransferToDeivceWithNowplayingList();
  // The selected ringtone.
  long FileTransferToDevice_Melody(int flag);

  bool IsBusy() const { return busy_; }
  void SetTransferTargetFolder(const std::string& folder) { targetFolder_ = folder; }
  const std::string& GetTransferTargetFolder() const { return targetFolder_; }

 private:
  bool busy_ = false;         // panel thread, like every field below
  std::string targetFolder_;
};

}  // namespace TYX::Library
