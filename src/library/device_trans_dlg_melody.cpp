#include "library/device_trans_dlg_melody.h"

#include <cstdio>
#include <filesystem>

#include "contracts/device_mgr_client.h"
#include "contracts/file_info.h"
#include "toolkit/message_box.h"
#include "util/log.h"

namespace TYX::Library {

namespace {

constexpr char kNoDevice[] = "연결된 디바이스를 찾을 수 없습니다.";
constexpr char kSuccess[] = "나만의 멜로디 전송 성공";
constexpr char kMemory[] =
    "휴대폰 메모리가 부족하면 전송이 불가능할 수 있습니다.\r\n휴대폰 상태를 확인하신 후 다시 시도해주세요.";
constexpr char kBattery[] =
    "휴대폰 배터리가 부족하면 전송이 불가능할 수 있습니다.\r\n휴대폰 상태를 확인하신 후 다시 시도해주세요.";
constexpr char kOther[] = "벨소리 다운로드 오류가 있습니다.\r\n다시 시도해 주세요";

}  // namespace

TYX_DeviceTransDlg_Melody1::TYX_DeviceTransDlg_Melody1(Win::HWND parent, std::string path, std::string connectCode)
    : Controls::TYX_Skin_PopupDialog(0, parent), path_(std::move(path)), code_(std::move(connectCode)) {
  SetInitialRect(Win::Rect{0, 0, kWidth, kHeight});
  OnCommand(kCmdSend, [this] { Send(); });
  OnMessage(WM_MELODY_NOTICE, [this](Win::WPARAM w, Win::LPARAM l) { return OnNotice(w, l); });
}

std::string TYX_DeviceTransDlg_Melody1::ResultText(int code) {
  if (code == 0) return kSuccess;
  if (code == kErrorMemory) return kMemory;
  if (code == kErrorBattery) return kBattery;
  return kOther;
}

Win::BOOL TYX_DeviceTransDlg_Melody1::OnInitDialog() {
  Controls::TYX_Skin_PopupDialog::OnInitDialog();
  PostMessage(Win::WM_COMMAND, kCmdSend, 0);
  return Win::TRUE;
}

void TYX_DeviceTransDlg_Melody1::Send() {
  if (sent_) return;
  sent_ = true;
  // Connect to the first phone in ring-tone mode.
  device_ = DM_NO_DEVICE;
  int count = 0;
  std::vector<DeviceInfo> devices;
  if (dmEnumDevice(count, devices, 0)) {
    for (const DeviceInfo& d : devices) {
      if (d.nDeviceKind != DM_KIND_RINGTONE && d.eDeviceType != DEVICETYPE_RINGTONE) continue;
      const unsigned id = dmConnectDevice(d.strPort, code_);
      if (id == DM_NO_DEVICE) continue;
      stDeviceInfo info;
      if (!dmGetDeviceInfo(id, info, 1) || info.pModelInfo == nullptr) continue;
      device_ = id;
      break;
    }
  }
  if (device_ == DM_NO_DEVICE) return Finish(kNoDevice, 0);
  FileInfo list;
  if (!dmGetFileList(device_, list, 0)) return Finish(kNoDevice, 0);
  const std::string title = std::filesystem::path(path_).stem().string();
  for (int i = 0; i < list.Count(); ++i) {
    const FileItem& item = list[i];
    if (item.IsFolder()) continue;
    const std::string stem = item.strName.substr(0, item.strName.find('.'));
    if (stem == title) {
      char text[512];
      std::snprintf(text, sizeof text, "[%s] 파일명이 존재합니다.", title.c_str());
      return Finish(text, 0);
    }
  }
  ShowWindow(Win::SW_HIDE);
  const int previous = dmPutFileMode(1);
  const int started = dmPutFile(device_, path_, "0", GetSafeHwnd(), WM_MELODY_NOTICE);
  dmPutFileMode(previous);
  // The dialog stays until the end notice: closing now would lose the outcome.
  if (started != 1) Finish(ResultText(dmGetLastError() != 0 ? dmGetLastError() : -1), 1);
}

Win::LRESULT TYX_DeviceTransDlg_Melody1::OnNotice(Win::WPARAM status, Win::LPARAM value) {
  if (status == dm_ts_start && value == 0) {
    animating_ = true;
  } else if (status == dm_ts_end) {
    animating_ = false;
    int code = static_cast<int>(value);
    if (code != 0) {
      const int last = dmGetLastError();
      if (last != 0) code = last;
    }
    Finish(ResultText(code), 1);
  }
  return 0;
}

void TYX_DeviceTransDlg_Melody1::Finish(const std::string& text, int result) {
  Controls::TYX_MessageBox::Show(GetSafeHwnd(), text);
  EndDialog(result);
}

}  // namespace TYX::Library
