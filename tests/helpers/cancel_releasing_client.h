#pragma once
// A folder phone that calls back once the device was told to cancel a put, as a slow phone would still
// be copying when the cancel reaches it. Tests hold a copy at a chunk and let it go from the callback,
// so the put meets the cancel at its next chunk without any timing.
#include <functional>

#include "components/devicemgr/folder_device_client.h"

namespace TYX::Test {

class CancelReleasingClient : public DeviceMgr::TYX_FolderDeviceClient {
 public:
  using TYX_FolderDeviceClient::TYX_FolderDeviceClient;
  Win::BOOL IOCancel(unsigned id) override {
    const Win::BOOL result = TYX_FolderDeviceClient::IOCancel(id);
    if (onCancel) onCancel();
    return result;
  }
  std::function<void()> onCancel;  // set before the transfer starts
};

}  // namespace TYX::Test
