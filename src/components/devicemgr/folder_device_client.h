#pragma once
// The device manager client over folder devices. A device is a root folder holding a profile file
// (device_profile.h); the host or a test plugs it in with Connect and pulls it out with Disconnect. A
// USB storage player mounted at a folder becomes a device once its profile file is written.
//
// A transfer session runs from a window's registration for notices (dmRegisterNotify with a message)
// to its end (message 0): inside it the client keeps what it listed (listing_cache.h), and its end
// flushes what the session's puts wrote, as does pulling a device out.
//
// Threads: every operation may be called from any thread. Puts run on the client's own thread, batches
// on the calling thread (see device_mgr_client.h for where and how the notices go). No lock is held
// while a notice is posted or sent, so a notice handler may call any operation, dmIOCancel included.
#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "components/devicemgr/device_copy.h"
#include "components/devicemgr/device_profile.h"
#include "components/devicemgr/folder_device.h"
#include "components/devicemgr/folder_handle.h"
#include "components/devicemgr/put_worker.h"
#include "contracts/device_mgr_client.h"

namespace TYX::DeviceMgr {

class TYX_FolderDeviceClient : public TYX_DeviceMgrClient {
 public:
  struct Options {
    // Bytes copied between two progress notices (and two looks at the cancel flag).
    std::size_t chunkSize = 1024 * 1024;
    // Model names starting with one of these (ignoring ASCII case) are of the Pelago family; so are the
    // models of connected devices whose profile says Family=Pelago.
    std::vector<std::string> pelagoPrefixes{"PELAGO"};
  };

  struct ConnectResult {
    unsigned id = DM_NO_DEVICE;
    std::string error;  // empty on success
    bool ok() const { return error.empty(); }
  };

  TYX_FolderDeviceClient();
  explicit TYX_FolderDeviceClient(Options options);
  // Cancels every transfer; each still gets its end notice.
  ~TYX_FolderDeviceClient() override;

  // Plugs in the device whose root folder this is (reads its profile). A root already connected
  // answers its id.
  ConnectResult Connect(const std::string& rootFolder);
  // Pulls the device out: its transfers end with dm_tc_device_gone. False for an unknown id.
  bool Disconnect(unsigned id);
  // Suspends or resumes the Bluetooth link. False for an unknown id.
  bool SetBluetoothSuspended(unsigned id, bool suspended);

  // What the phone was asked to do, in order: quick links opened, file-list refreshes.
  std::vector<std::pair<unsigned, int>> QuickLinks() const;
  int PCFileListUpdates(unsigned id) const;

  // Called after every chunk of every copy, on the copying thread, with no lock held.
  void SetChunkHook(ChunkHook hook);

  unsigned GetCurrentDevice(int kind) override;
  std::string GetDeviceName(unsigned id) override;
  std::string GetDeviceSerial(unsigned id) override;
  DEVICETYPE GetDeviceType(unsigned id) override;
  Win::BOOL GetDeviceInfo(unsigned id, stDeviceInfo& info, int flag) override;
  Win::BOOL GetFileList(unsigned id, FileInfo& list, int flag) override;
  std::string GetCurrentDirectory(unsigned id) override;
  std::uint64_t GetDeviceFreeSpace(unsigned id, int memory) override;
  std::uint64_t GetDeviceTotalSpace(unsigned id) override;
  int DeleteFile(unsigned id, const std::string& devicePath) override;
  int DeleteFiles(unsigned id, const std::string& deviceFolder, const std::vector<std::string>& names) override;
  int PutFileMode(int mode) override;
  int PutFile(unsigned id, const std::string& localPath, const std::string& devicePath, Win::HWND hwnd,
              Win::UINT message) override;
  int PutFileList(unsigned id, std::vector<stTransferFileInfo>& files, Win::HWND hwnd, Win::UINT message) override;
  Win::BOOL IOCancel(unsigned id) override;
  Win::BOOL RegisterNotify(Win::HWND hwnd, Win::UINT message) override;
  Win::BOOL IsBluetoothConnected(unsigned id) override;
  int BluetoothCheckSuspendStatus(unsigned id, Win::HWND hwnd) override;
  int BluetoothWaitTime(unsigned id, int intervalMs, int tries) override;
  Win::BOOL BluetoothUpdatePCFileList(unsigned id) override;
  int GetLastError() override;
  Win::BOOL EnumDevice(int& count, std::vector<DeviceInfo>& devices, int flag) override;
  unsigned ConnectDevice(const std::string& port, const std::string& code) override;
  Win::BOOL ExecuteQuickLink(int number) override;
  int HasPelagoModels(const std::string& modelName) override;

 private:
  struct NoticeTarget {
    Win::HWND hwnd = nullptr;
    Win::UINT message = 0;
  };

  std::shared_ptr<FolderDevice> Find(unsigned id) const;
  // A model record for a profile, kept until the client is destroyed.
  const stModelInfo* MakeModel(const DeviceProfile& profile);
  // The device's kind as callers see it: ring-tone mode reports DM_KIND_RINGTONE.
  static int ReportedKind(const DeviceProfile& profile);
  static bool MatchesKind(const DeviceProfile& profile, int kind);
  // Resolves a device path to a file name under the device (not the top folder, not a reserved name).
  static bool ResolveFile(const FolderDevice& device, const std::string& devicePath, std::vector<std::string>& names);
  void RunPut(const std::shared_ptr<FolderDevice>& device, const CopyJob& job, NoticeTarget target);
  // Every entry of an open folder but the reserved ones, links and special files, sorted by name.
  static bool ReadFolder(const FolderHandle& folder, const std::vector<std::string>& current,
                         std::vector<FileItem>& items);
  std::vector<std::shared_ptr<FolderDevice>> AllDevices() const;
  // Starts or ends the transfer session of every device; an end flushes what was put.
  void BeginSessions();
  void EndSessions();

  const Options options_;
  mutable std::mutex mutex_;
  std::map<unsigned, std::shared_ptr<FolderDevice>> devices_;  // guarded by mutex_; ids grow with each connect
  unsigned nextId_ = 1;                                         // guarded by mutex_
  NoticeTarget registered_;                                     // guarded by mutex_
  int putMode_ = 0;                                             // guarded by mutex_
  std::deque<std::unique_ptr<stModelInfo>> models_;             // guarded by mutex_; never shrinks
  std::vector<std::pair<unsigned, int>> quickLinks_;            // guarded by mutex_
  std::map<unsigned, int> pcFileListUpdates_;                   // guarded by mutex_
  ChunkHook chunkHook_;                                         // guarded by mutex_
  std::atomic<int> lastError_{0};                               // any thread
  std::atomic<std::uint64_t> nextJobId_{1};                     // any thread
  std::unique_ptr<PutWorker> worker_;                           // the client's thread; made last, ended first
};

}  // namespace TYX::DeviceMgr
