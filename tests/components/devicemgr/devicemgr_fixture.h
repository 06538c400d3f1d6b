#pragma once
// Shared pieces of the device manager tests: a folder device in a temporary folder, the client
// installed behind the dm* functions, and a real window that records the notices it receives.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "components/devicemgr/device_path.h"
#include "components/devicemgr/device_profile.h"
#include "components/devicemgr/folder_device_client.h"
#include "contracts/device_mgr_client.h"
#include "platform/messaging.h"
#include "platform/window.h"
#include "helpers/temp_dir.h"

namespace TYX::Test {

constexpr Win::DWORD kWatchdogMs = 10000;
constexpr std::size_t kChunk = 4096;

struct Notice {
  Win::UINT message = 0;
  int status = 0;          // wParam
  Win::LPARAM value = 0;   // lParam (for a status notice: the record's address)
  int btCode = -1;         // status notices: the record's code, copied while it was valid
  std::string btText;
};

// A top-level window on the test thread that records the device notices (0x7E8 and 1228).
class NoticeWindow {
 public:
  NoticeWindow() {
    for (Win::UINT message : {WM_DM_NOTIFY, WM_DM_PUT_NOTIFY}) {
      window_.OnMessage(message, [this, message](Win::WPARAM w, Win::LPARAM l) -> Win::LRESULT {
        Notice n;
        n.message = message;
        n.status = static_cast<int>(w);
        n.value = l;
        if (n.status == dm_ts_status) {
          const auto* record = Win::RecordFromLParam<stBTStatusParam>(l);
          if (dmBluetoothIsStatusParam(record)) {
            n.btCode = record->nCode;
            n.btText = record->strText;
          }
        }
        notices.push_back(n);
        if (onNotice) onNotice(n);
        return 0;
      });
    }
    EXPECT_TRUE(window_.Create(nullptr, Win::Rect{0, 0, 10, 10}, 0));
  }

  Win::HWND Hwnd() const { return window_.GetSafeHwnd(); }
  void Destroy() { window_.DestroyWindow(); }

  int Count(int status) const {
    int n = 0;
    for (const auto& x : notices) n += x.status == status ? 1 : 0;
    return n;
  }
  // Pumps until `ends` file-end notices arrived; false when the watchdog ran out.
  bool WaitForEnds(int ends) {
    return Win::PumpUntil([&] { return Count(dm_ts_end) >= ends; }, kWatchdogMs);
  }
  std::vector<Notice> Of(int status) const {
    std::vector<Notice> out;
    for (const auto& x : notices) {
      if (x.status == status) out.push_back(x);
    }
    return out;
  }

  std::vector<Notice> notices;                  // test thread
  std::function<void(const Notice&)> onNotice;  // called on the test thread, after recording

 private:
  Win::Window window_;
};

// Bytes that differ from position to position, so a misplaced chunk shows.
inline std::string PatternBytes(std::size_t size, unsigned seed = 7) {
  std::mt19937 gen(seed);
  std::string out(size, '\0');
  for (auto& c : out) c = static_cast<char>(gen() & 0xFF);
  return out;
}

// Files in a host folder whose name starts with the put temporary prefix.
inline int TemporaryFilesUnder(const std::string& folder) {
  int n = 0;
  std::error_code ec;
  for (std::filesystem::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().filename().string().rfind(DeviceMgr::kPutTempPrefix, 0) == 0) ++n;
  }
  return n;
}

class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeviceMgr::TYX_FolderDeviceClient::Options options;
    options.chunkSize = kChunk;
    client_ = std::make_shared<DeviceMgr::TYX_FolderDeviceClient>(options);
    previous_ = InstallDeviceMgrClient(client_);
  }
  void TearDown() override {
    InstallDeviceMgrClient(previous_);
    client_.reset();
    // Notices posted to windows of this thread that are gone by now are dropped here.
    Win::PumpMessages();
  }

  DeviceMgr::DeviceProfile PhoneProfile() const {
    DeviceMgr::DeviceProfile p;
    p.model = "SPH-M4650";
    p.serial = "SN-0001";
    p.kind = 2;
    p.type = DEVICETYPE_MUSIC;
    p.maxFileName = 36;
    p.maxFileName2 = 20;
    p.maxBitrate = 192;
    p.polyphony = DM_POLY_16 | DM_POLY_64;
    p.folder = "\\MUSIC";
    return p;
  }

  // Makes a device root folder with this profile and plugs it in.
  unsigned Plug(const std::string& name, const DeviceMgr::DeviceProfile& profile) {
    const std::string root = Root(name);
    std::filesystem::create_directories(root);
    EXPECT_EQ(DeviceMgr::WriteDeviceProfile(root, profile), "");
    auto result = client_->Connect(root);
    EXPECT_TRUE(result.ok()) << result.error;
    return result.id;
  }
  std::string Root(const std::string& name) const { return temp_.File(name); }

  TempDir temp_;
  std::shared_ptr<DeviceMgr::TYX_FolderDeviceClient> client_;
  std::shared_ptr<TYX_DeviceMgrClient> previous_;
};

}  // namespace TYX::Test
