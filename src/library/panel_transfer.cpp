#include "library/panel_transfer.h"

#include "contracts/device_mgr_client.h"
#include "library/library_panel.h"
#include "toolkit/message_box.h"
#include "util/log.h"

namespace TYX::Library {

namespace {

constexpr char kNoSelection[] = "선택한 곡이 없습니다.";
constexpr char kChooseAgain[] = "곡 선택을 다시 해주시기 바랍니다.";
constexpr char kAllDimmed[] = "전송할 수 없습니다. 파일이 손상되었거나 전송할 수 없는 파일입니다.";
constexpr char kNoDevice[] = "연결된 기기가 없습니다. 기기 연결후 다시 시도해 주세요.";
constexpr char kMelodyOneFile[] = "나만의 벨소리는 파일 하나만 선택하셔야 합니다.";
constexpr char kMelodyTitle[] = "파일 전송 오류";
constexpr char kNoPhone[] = "휴대폰을 연결하고 다시 시도해 주세요.";

// Clears the busy flag on every way out.
class BusyScope {
 public:
  explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~BusyScope() { flag_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

void TYX_PanelTransfer::RegisterMessages() {}

long TYX_PanelTransfer::OnTransferDevice() {
  if (Panel().GetCurrentListType() == kNowPlaying) return FileTransferToDeivceWithNowplayingList();
  return FileTransferToDevice();
}

long TYX_PanelTransfer::FileTransferToDeivceWithNowplayingList() {
  if (Panel().GetCurrentListType() != kNowPlaying) return 0;
  const unsigned phone = dmGetCurrentDevice(1);
  if (phone != DM_NO_DEVICE) dmBluetoothCheckSuspendStatus(phone, Panel().GetSafeHwnd());
  return 0;
}

long TYX_PanelTransfer::FileTransferToDevice() {
  BusyScope busy(busy_);
  TYX_LibraryPanel& panel = Panel();
  const LibraryType type = panel.GetCurrentListType();
  if (type == kRingtone) return FileTransferToDevice_Melody(0);
  if (type != kLibrary && type != kSyncList && type != kTransferred) return 0;
  const Win::HWND owner = panel.GetTopLevelParent();
  if (panel.GetCurrentListCtrl() == nullptr) {
    Controls::TYX_MessageBox::Show(owner, kChooseAgain);
    return 0;
  }
  if (panel.GetSelectedMediaCount() == 0) {
    Controls::TYX_MessageBox::Show(owner, kNoSelection);
    return 0;
  }
  if (panel.IsAllDimmedSelectedItems()) {
    Controls::TYX_MessageBox::Show(owner, kAllDimmed);
    return 0;
  }
  if (dmGetCurrentDevice(1) == DM_NO_DEVICE && dmGetCurrentDevice(2) == DM_NO_DEVICE) {
    Controls::TYX_MessageBox::Show(owner, kNoDevice);
    return 0;
  }
  Util::TYX_Log::Instance()->Add("TYX::Library::TYX_LibraryPanel::FileTransferToDevice : no transfer dialog");
  return Win::E_FAIL;
}

long TYX_PanelTransfer::FileTransferToDevice_Melody(int flag) {
  (void)flag;
  TYX_LibraryPanel& panel = Panel();
  const Win::HWND owner = panel.GetTopLevelParent();
  if (panel.GetSelectedMediaCount() != 1) {
    Controls::TYX_MessageBox::Show(owner, kMelodyOneFile, kMelodyTitle);
    return 0;
  }
  if (dmGetCurrentDevice(1) == DM_NO_DEVICE) {
    Controls::TYX_MessageBox::Show(owner, kNoPhone);
    return 0;
  }
  Util::TYX_Log::Instance()->Add("TYX::Library::TYX_LibraryPanel::FileTransferToDevice_Melody : no transfer dialog");
  return Win::E_FAIL;
}

}  // namespace TYX::Library
