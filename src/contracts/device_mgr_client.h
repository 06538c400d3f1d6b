#pragma once
// The device manager client: the only way to the phone. The system calls the dm* free functions below;
// they forward to the client object the host (or a test) installs with InstallDeviceMgrClient.
// Without an installed client every operation answers "no device" (DM_NO_DEVICE, 0, empty texts).
//
// Notices. A transfer reports with a window message whose wParam is a dm_transfer_status:
//   dm_ts_start (lParam 0) first, dm_ts_progress (lParam bytes sent) while copying, dm_ts_end (lParam
//   the outcome code) last; every put that dmPutFile answered 1 for gets exactly one start and one end
//   notice, also when it is cancelled before it began. The client never sends "job done" (start with
//   lParam 1): the caller that runs a job posts that itself.
// Where the notices go:
//   dmPutFile: to the window and message of the call when a window is given (the ring-tone dialog
//     passes its own window and 1228); otherwise to the window registered with dmRegisterNotify.
//   dmPutFileList: to the registered window and message (the transfer controller registers 0x7E8 and
//     then names its window and 1228 in the call); the call's own window only when none is registered.
//   The target is taken when the call is made; a window destroyed since then just misses the notices.
// How they go:
//   dmPutFile copies on the client's own thread and POSTS its notices, which carry plain values only;
//     the client thread never waits for a window.
//   dmPutFileList runs on the calling thread and SENDS its notices, status records included: the
//     stBTStatusParam behind a dm_ts_status notice lives on the sender's stack and is valid only until
//     the handler returns (read it there, keep a copy if needed). Sending keeps the status notice of a
//     file in order with the start, progress and end notices around it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "contracts/device_records.h"
#include "contracts/file_info.h"
#include "platform/types.h"

namespace TYX {

class TYX_DeviceMgrClient {
 public:
  virtual ~TYX_DeviceMgrClient() = default;

  // kind 0: the current device of any kind; 1: the current phone; 2: the current storage player.
  virtual unsigned GetCurrentDevice(int kind) = 0;
  virtual std::string GetDeviceName(unsigned id) = 0;
  virtual std::string GetDeviceSerial(unsigned id) = 0;
  virtual DEVICETYPE GetDeviceType(unsigned id) = 0;
  // flag 1 reads the device's model information afresh (at the start of a job, on Bluetooth);
  // 0 may answer from what was read before. FALSE when the device is not there.
  virtual Win::BOOL GetDeviceInfo(unsigned id, stDeviceInfo& info, int flag) = 0;
  // The entries of the device's current folder. flag 0: files and folders; 1: files only.
  virtual Win::BOOL GetFileList(unsigned id, FileInfo& list, int flag) = 0;
  // The current device folder ("\\" for the top, else "\\MUSIC" and the like, without a final "\\").
  virtual std::string GetCurrentDirectory(unsigned id) = 0;
  virtual std::uint64_t GetDeviceFreeSpace(unsigned id, int memory) = 0;
  virtual std::uint64_t GetDeviceTotalSpace(unsigned id) = 0;
  // 1 when the file was deleted. Folders are never deleted.
  virtual int DeleteFile(unsigned id, const std::string& devicePath) = 0;
  // 1 when every named file of the folder was deleted.
  virtual int DeleteFiles(unsigned id, const std::string& deviceFolder, const std::vector<std::string>& names) = 0;
  // 0 music, 1 ring-tone; answers the previous mode.
  virtual int PutFileMode(int mode) = 0;
  // 1 when the put started (notices follow); 0 when it could not start (no notice; dmGetLastError
  // tells why). In ring-tone mode a device path of "0" or "" means the current folder under the local
  // file's own name.
  virtual int PutFile(unsigned id, const std::string& localPath, const std::string& devicePath, Win::HWND hwnd,
                      Win::UINT message) = 0;
  // Sends a batch and returns when it ended: 0 when every file was tried (each record's nResult tells
  // its outcome), dm_tc_cancelled when cancelled, another code when the batch stopped early.
  virtual int PutFileList(unsigned id, std::vector<stTransferFileInfo>& files, Win::HWND hwnd,
                          Win::UINT message) = 0;
  // Stops the device's running and waiting transfers; each ends with a file-end notice.
  virtual Win::BOOL IOCancel(unsigned id) = 0;
  // message 0 stops the notices of that window (or of any window when hwnd is null).
  virtual Win::BOOL RegisterNotify(Win::HWND hwnd, Win::UINT message) = 0;
  virtual Win::BOOL IsBluetoothConnected(unsigned id) = 0;
  // Non-zero when the Bluetooth link is suspended.
  virtual int BluetoothCheckSuspendStatus(unsigned id, Win::HWND hwnd) = 0;
  // Waits up to tries x intervalMs for the Bluetooth link to be ready; non-zero when it is.
  virtual int BluetoothWaitTime(unsigned id, int intervalMs, int tries) = 0;
  virtual Win::BOOL BluetoothUpdatePCFileList(unsigned id) = 0;
  // The text of an outcome code; the default gives the client's standard texts.
  virtual std::string GetErrorString(int code);
  // The outcome of the last put that ended (or failed to start).
  virtual int GetLastError() = 0;
  // flag 0: every device; 1: phones; 2: storage players. count is devices.size().
  virtual Win::BOOL EnumDevice(int& count, std::vector<DeviceInfo>& devices, int flag) = 0;
  // The id of the device attached at port, or DM_NO_DEVICE.
  virtual unsigned ConnectDevice(const std::string& port, const std::string& code) = 0;
  // Opens phone function 0 to 8; FALSE for other numbers or without a phone.
  virtual Win::BOOL ExecuteQuickLink(int number) = 0;
  // Non-zero for a model of the Pelago family.
  virtual int HasPelagoModels(const std::string& modelName) = 0;
};

// Installs the client the dm* functions use (null: none) and answers the previous one. A call in
// progress keeps the client it started with alive until it returns.
std::shared_ptr<TYX_DeviceMgrClient> InstallDeviceMgrClient(std::shared_ptr<TYX_DeviceMgrClient> client);
std::shared_ptr<TYX_DeviceMgrClient> GetDeviceMgrClient();

// The standard texts of the outcome codes.
std::string dmDefaultErrorString(int code);

unsigned dmGetCurrentDevice(int kind);
std::string dmGetDeviceName(unsigned id);
std::string dmGetDeviceSerial(unsigned id);
DEVICETYPE dmGetDeviceType(unsigned id);
Win::BOOL dmGetDeviceInfo(unsigned id, stDeviceInfo& info, int flag);
Win::BOOL dmGetFileList(unsigned id, FileInfo& list, int flag);
std::string dmGetCurrentDirectory(unsigned id);
std::uint64_t dmGetDeviceFreeSpace(unsigned id, int memory);
std::uint64_t dmGetDeviceTotalSpace(unsigned id);
int dmDeleteFile(unsigned id, const std::string& devicePath);
int dmDeleteFiles(unsigned id, const std::string& deviceFolder, const std::vector<std::string>& names);
int dmPutFileMode(int mode);
int dmPutFile(unsigned id, const std::string& localPath, const std::string& devicePath, Win::HWND hwnd,
              Win::UINT message);
int dmPutFileList(unsigned id, std::vector<stTransferFileInfo>& files, Win::HWND hwnd, Win::UINT message);
Win::BOOL dmIOCancel(unsigned id);
Win::BOOL dmRegisterNotify(Win::HWND hwnd, Win::UINT message);
Win::BOOL dmIsBluetoothConnected(unsigned id);
int dmBluetoothCheckSuspendStatus(unsigned id, Win::HWND hwnd);
int dmBluetoothWaitTime(unsigned id, int intervalMs, int tries);
Win::BOOL dmBluetoothUpdatePCFileList(unsigned id);
// TRUE when p is a status record (non-null, with the record's signature).
Win::BOOL dmBluetoothIsStatusParam(const stBTStatusParam* p);
// A readable description of a status record; empty for anything dmBluetoothIsStatusParam refuses.
std::string dmGetBTStatusDescription(const stBTStatusParam* p);
std::string dmGetErrorString(int code);
int dmGetLastError();
Win::BOOL dmEnumDevice(int& count, std::vector<DeviceInfo>& devices, int flag);
unsigned dmConnectDevice(const std::string& port, const std::string& code);
Win::BOOL dmExecuteQuickLink(int number);

}  // namespace TYX
