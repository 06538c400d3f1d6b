#pragma once
// Observers of a transfer: they get short texts about each file ("... : 전송이 완료되었습니다.") and the
// outcome of each web download. Called on the user-interface thread (the controller's window thread),
// except for download progress, which the preparation may report from the transfer worker.
#include <string>

namespace TYX::Device {

class TYX_DeviceTransControl_WebDownloadNotify {
 public:
  virtual ~TYX_DeviceTransControl_WebDownloadNotify() = default;
  // 0: the web item was downloaded; -2: the download failed.
  virtual void OnDownloadResult(int result) = 0;
  virtual void OnNotifyText(const std::string& text) = 0;
};

}  // namespace TYX::Device
