#pragma once
// Shared pieces of the transfer tests: folder phones behind the device manager client, songs the tests
// synthesise, a parent window that records every report, a read-out and an observer that record what
// they get, and a job runner with a watchdog.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "components/devicemgr/device_path.h"
#include "components/devicemgr/device_profile.h"
#include "components/devicemgr/folder_device_client.h"
#include "components/media/taglib_media_factory.h"
#include "contracts/device_mgr_client.h"
#include "contracts/media.h"
#include "device/device_trans_control.h"
#include "helpers/media_fixtures.h"
#include "helpers/temp_dir.h"
#include "platform/messaging.h"
#include "platform/window.h"

namespace TYX::Test {

constexpr Win::DWORD kJobWatchdogMs = 60000;

// Bytes that differ from position to position.
inline std::string PatternBytes(std::size_t size, unsigned seed = 7) {
  std::string out(size, '\0');
  unsigned x = seed;
  for (auto& c : out) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>((x >> 16) & 0xFF);
  }
  return out;
}

// Writes a file at a full path (creating folders).
inline void WriteAt(const std::string& path, const std::string& content) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  ASSERT_EQ(std::fwrite(content.data(), 1, content.size(), f), content.size());
  std::fclose(f);
}

// Files under a folder whose name marks an unfinished put.
inline int UnfinishedPutsUnder(const std::string& folder) {
  int n = 0;
  std::error_code ec;
  for (std::filesystem::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().filename().string().rfind(DeviceMgr::kPutTempPrefix, 0) == 0) ++n;
  }
  return n;
}
constexpr Win::UINT WM_TRANSFER_REPORT = Win::WM_APP + 0x51;

struct Report {
  int code = 0;
  std::string path;  // empty for the job's end
  bool end = false;  // (101, 0)
};

// The transfer dialog's stand-in: a window on the test thread that records the controller's reports.
class ReportWindow {
 public:
  ReportWindow() {
    window_.OnMessage(WM_TRANSFER_REPORT, [this](Win::WPARAM w, Win::LPARAM l) -> Win::LRESULT {
      Report r;
      r.code = static_cast<int>(static_cast<std::intptr_t>(w));
      const std::string* path = Device::TransferReportPath(l);
      r.end = path == nullptr;
      if (path != nullptr) r.path = *path;
      reports.push_back(r);
      if (onReport) onReport(r);
      return 0;
    });
    EXPECT_TRUE(window_.Create(nullptr, Win::Rect{0, 0, 100, 100}, 0));
  }
  Win::HWND Hwnd() const { return window_.GetSafeHwnd(); }
  int Ends() const {
    int n = 0;
    for (const auto& r : reports) n += r.end ? 1 : 0;
    return n;
  }
  // The codes a path got, in order, leaving out the progress percents (0..100 except 0 = start).
  std::vector<int> Outcomes(const std::string& path) const {
    std::vector<int> out;
    for (const auto& r : reports) {
      if (r.end || r.path != path) continue;
      if (r.code == -1 || r.code == -2 || r.code == -10 || r.code == 101) out.push_back(r.code);
    }
    return out;
  }
  int Count(const std::string& path, int code) const {
    int n = 0;
    for (const auto& r : reports) n += (!r.end && r.path == path && r.code == code) ? 1 : 0;
    return n;
  }

  std::vector<Report> reports;                 // test thread
  std::function<void(const Report&)> onReport;  // test thread, after recording

 private:
  Win::Window window_;
};

class RecordingReadout : public Device::TYX_DeviceTransReadout {
 public:
  void SetAutosyncInfo(int state) override { states.push_back(state); }
  void SetDeviceInfo(std::uint64_t u, std::uint64_t d, std::uint64_t t, Device::eAutoSyncMethod m) override {
    used = u;
    done = d;
    total = t;
    method = m;
    ++updates;
  }
  std::vector<int> states;
  std::uint64_t used = 0, done = 0, total = 0;
  Device::eAutoSyncMethod method = Device::eAutoSyncAdd;
  int updates = 0;
};

class RecordingObserver : public Device::TYX_DeviceTransControl_WebDownloadNotify {
 public:
  void OnDownloadResult(int result) override { results.push_back(result); }
  void OnNotifyText(const std::string& text) override { texts.push_back(text); }
  std::vector<int> results;
  std::vector<std::string> texts;
};

// Holds the client's copy after a chosen chunk until released; the test thread decides meanwhile.
class ChunkGate {
 public:
  // Blocks the copy once `sent` bytes of any put reached at least `atBytes`.
  void Arm(std::uint64_t atBytes) {
    std::lock_guard<std::mutex> lk(m_);
    armedAt_ = atBytes;
    held_ = false;
    released_ = false;
  }
  void OnChunk(std::uint64_t sent) {
    std::unique_lock<std::mutex> lk(m_);
    if (armedAt_ == 0 || sent < armedAt_ || released_) return;
    held_ = true;
    cv_.notify_all();
    cv_.wait_for(lk, std::chrono::milliseconds(kJobWatchdogMs), [this] { return released_; });
  }
  bool Held() const {
    std::lock_guard<std::mutex> lk(m_);
    return held_;
  }
  void Release() {
    std::lock_guard<std::mutex> lk(m_);
    released_ = true;
    cv_.notify_all();
  }

 private:
  mutable std::mutex m_;
  std::condition_variable cv_;
  std::uint64_t armedAt_ = 0;
  bool held_ = false;
  bool released_ = false;
};

class TransferTest : public ::testing::Test {
 protected:
  static constexpr std::size_t kChunk = 4096;

  void SetUp() override {
    Media::InstallTagLibMediaFactory();
    DeviceMgr::TYX_FolderDeviceClient::Options options;
    options.chunkSize = kChunk;
    client_ = std::make_shared<DeviceMgr::TYX_FolderDeviceClient>(options);
    client_->SetChunkHook([this](unsigned, std::uint64_t sent) { gate_.OnChunk(sent); });
    previous_ = InstallDeviceMgrClient(client_);
  }
  void TearDown() override {
    gate_.Release();
    controller_.reset();
    InstallDeviceMgrClient(previous_);
    client_.reset();
    Win::PumpMessages();
  }

  DeviceMgr::DeviceProfile PhoneProfile(bool bluetooth = false) const {
    DeviceMgr::DeviceProfile p;
    p.model = "SPH-M4650";
    p.serial = "SN-0001";
    p.kind = 2;
    p.type = DEVICETYPE_MUSIC;
    p.maxFileName = 36;
    p.maxBitrate = 192;
    p.folder = "\\MUSIC";
    p.bluetooth = bluetooth;
    return p;
  }
  DeviceMgr::DeviceProfile PlayerProfile() const {
    DeviceMgr::DeviceProfile p;
    p.model = "YP-U3";
    p.kind = 7;
    p.type = DEVICETYPE_STORAGE;
    p.folder = "\\MUSIC";
    return p;
  }
  unsigned Plug(const std::string& name, const DeviceMgr::DeviceProfile& profile) {
    const std::string root = Root(name);
    std::filesystem::create_directories(root + "/MUSIC");
    EXPECT_EQ(DeviceMgr::WriteDeviceProfile(root, profile), "");
    auto result = client_->Connect(root);
    EXPECT_TRUE(result.ok()) << result.error;
    return result.id;
  }
  std::string Root(const std::string& name) const { return temp_.File(name); }
  std::string PhoneFile(const std::string& device, const std::string& name) const {
    return Root(device) + "/MUSIC/" + name;
  }

  // A synthesised MP3 (made once per bit rate and length, then copied under the asked name).
  std::string Song(const std::string& name, int kbps = 128, double seconds = 2.0) {
    const std::string key = std::to_string(kbps) + "-" + std::to_string(seconds);
    auto it = made_.find(key);
    if (it == made_.end()) {
      const std::string master = temp_.File("masters/" + key + ".mp3");
      std::filesystem::create_directories(temp_.File("masters"));
      SynthOptions options;
      options.bitRateKbps = kbps;
      options.seconds = seconds;
      EXPECT_EQ(SynthesizeAudio(master, SynthFormat::MP3, options), "");
      it = made_.emplace(key, master).first;
    }
    const std::string path = temp_.File("songs/" + name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::filesystem::copy_file(it->second, path, std::filesystem::copy_options::overwrite_existing);
    return path;
  }

  Device::TYX_DeviceTransControl& Controller(std::unique_ptr<Device::TYX_DeviceFilePrep> prep = nullptr) {
    controller_ = std::make_unique<Device::TYX_DeviceTransControl>(std::move(prep));
    EXPECT_TRUE(controller_->Create(parent_.Hwnd(), WM_TRANSFER_REPORT,
                                    [this](const std::string& path, stTransferFileInfo*) {
                                      queuedByCallback_.push_back(path);
                                      return 0;
                                    },
                                    &readout_));
    controller_->Subscribe(&observer_);
    return *controller_;
  }

  // Starts a job and handles messages until its end report arrived; false when the watchdog ran out.
  bool Run(unsigned device, const std::vector<std::string>& files, int sync = 0) {
    auto& c = controller_ ? *controller_ : Controller();
    const int endsBefore = parent_.Ends();
    if (c.Start(device, files, 0, sync) != 1) return false;
    return WaitEnd(endsBefore + 1);
  }
  bool WaitEnd(int ends) {
    return Win::PumpUntil([&] { return parent_.Ends() >= ends; }, kJobWatchdogMs);
  }
  bool WaitHeld() {
    return Win::PumpUntil([&] { return gate_.Held(); }, kJobWatchdogMs);
  }

  TempDir temp_;
  std::shared_ptr<DeviceMgr::TYX_FolderDeviceClient> client_;
  std::shared_ptr<TYX_DeviceMgrClient> previous_;
  ChunkGate gate_;
  ReportWindow parent_;
  RecordingReadout readout_;
  RecordingObserver observer_;
  std::vector<std::string> queuedByCallback_;
  std::unique_ptr<Device::TYX_DeviceTransControl> controller_;
  std::map<std::string, std::string> made_;
};

}  // namespace TYX::Test
