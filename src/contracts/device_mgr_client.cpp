#include "contracts/device_mgr_client.h"

#include <mutex>

namespace TYX {

namespace {

std::mutex g_clientMutex;
std::shared_ptr<TYX_DeviceMgrClient> g_client;  // guarded by g_clientMutex; any thread

}  // namespace

std::shared_ptr<TYX_DeviceMgrClient> InstallDeviceMgrClient(std::shared_ptr<TYX_DeviceMgrClient> client) {
  std::lock_guard<std::mutex> lk(g_clientMutex);
  g_client.swap(client);
  return client;
}

std::shared_ptr<TYX_DeviceMgrClient> GetDeviceMgrClient() {
  std::lock_guard<std::mutex> lk(g_clientMutex);
  return g_client;
}

std::string dmDefaultErrorString(int code) {
  switch (code) {
    case dm_tc_success: return "전송이 완료되었습니다.";
    case dm_tc_not_connected: return "기기가 연결되어 있지 않습니다.";
    case dm_tc_source_error: return "원본 파일을 읽을 수 없습니다.";
    case dm_tc_write_error: return "기기에 파일을 쓰지 못했습니다.";
    case dm_tc_refused: return "기기가 파일을 받지 않습니다.";
    case dm_tc_device_gone: return "전송 중에 기기 연결이 끊어졌습니다.";
    case dm_tc_bad_path: return "기기의 경로가 올바르지 않습니다.";
    case dm_tc_cancelled: return "사용자에 의해 취소되었습니다.";
    case dm_tc_not_sendable: return "전송할 수 없는 파일입니다.";
    case dm_tc_no_space: return "기기의 메모리가 부족합니다.";
    case dm_tc_bad_format: return "지원하지 않는 파일 형식입니다.";
    case dm_tc_battery_low: return "기기의 배터리가 부족합니다.";
    default: return "알 수 없는 오류입니다. (" + std::to_string(code) + ")";
  }
}

std::string TYX_DeviceMgrClient::GetErrorString(int code) { return dmDefaultErrorString(code); }

// Each call holds its own reference, so a client replaced meanwhile lives until the call returns.
unsigned dmGetCurrentDevice(int kind) {
  auto c = GetDeviceMgrClient();
  return c ? c->GetCurrentDevice(kind) : DM_NO_DEVICE;
}

std::string dmGetDeviceName(unsigned id) {
  auto c = GetDeviceMgrClient();
  return c ? c->GetDeviceName(id) : std::string();
}

std::string dmGetDeviceSerial(unsigned id) {
  auto c = GetDeviceMgrClient();
  return c ? c->GetDeviceSerial(id) : std::string();
}

DEVICETYPE dmGetDeviceType(unsigned id) {
  auto c = GetDeviceMgrClient();
  return c ? c->GetDeviceType(id) : DEVICETYPE_NONE;
}

Win::BOOL dmGetDeviceInfo(unsigned id, stDeviceInfo& info, int flag) {
  auto c = GetDeviceMgrClient();
  return c ? c->GetDeviceInfo(id, info, flag) : Win::FALSE;
}

Win::BOOL dmGetFileList(unsigned id, FileInfo& list, int flag) {
  auto c = GetDeviceMgrClient();
  return c ? c->GetFileList(id, list, flag) : Win::FALSE;
}

std::string dmGetCurrentDirectory(unsigned id) {
  auto c = GetDeviceMgrClient();
  return c ? c->GetCurrentDirectory(id) : std::string();
}

std::uint64_t dmGetDeviceFreeSpace(unsigned id, int memory) {
  auto c = GetDeviceMgrClient();
  return c ? c->GetDeviceFreeSpace(id, memory) : 0;
}

std::uint64_t dmGetDeviceTotalSpace(unsigned id) {
  auto c = GetDeviceMgrClient();
  return c ? c->GetDeviceTotalSpace(id) : 0;
}

int dmDeleteFile(unsigned id, const std::string& devicePath) {
  auto c = GetDeviceMgrClient();
  return c ? c->DeleteFile(id, devicePath) : 0;
}

int dmDeleteFiles(unsigned id, const std::string& deviceFolder, const std::vector<std::string>& names) {
  auto c = GetDeviceMgrClient();
  return c ? c->DeleteFiles(id, deviceFolder, names) : 0;
}

int dmPutFileMode(int mode) {
  auto c = GetDeviceMgrClient();
  return c ? c->PutFileMode(mode) : 0;
}

int dmPutFile(unsigned id, const std::string& localPath, const std::string& devicePath, Win::HWND hwnd,
              Win::UINT message) {
  auto c = GetDeviceMgrClient();
  return c ? c->PutFile(id, localPath, devicePath, hwnd, message) : 0;
}

int dmPutFileList(unsigned id, std::vector<stTransferFileInfo>& files, Win::HWND hwnd, Win::UINT message) {
  auto c = GetDeviceMgrClient();
  return c ? c->PutFileList(id, files, hwnd, message) : static_cast<int>(dm_tc_not_connected);
}

Win::BOOL dmIOCancel(unsigned id) {
  auto c = GetDeviceMgrClient();
  return c ? c->IOCancel(id) : Win::FALSE;
}

Win::BOOL dmRegisterNotify(Win::HWND hwnd, Win::UINT message) {
  auto c = GetDeviceMgrClient();
  return c ? c->RegisterNotify(hwnd, message) : Win::FALSE;
}

Win::BOOL dmIsBluetoothConnected(unsigned id) {
  auto c = GetDeviceMgrClient();
  return c ? c->IsBluetoothConnected(id) : Win::FALSE;
}

int dmBluetoothCheckSuspendStatus(unsigned id, Win::HWND hwnd) {
  auto c = GetDeviceMgrClient();
  return c ? c->BluetoothCheckSuspendStatus(id, hwnd) : 0;
}

int dmBluetoothWaitTime(unsigned id, int intervalMs, int tries) {
  auto c = GetDeviceMgrClient();
  return c ? c->BluetoothWaitTime(id, intervalMs, tries) : 0;
}

Win::BOOL dmBluetoothUpdatePCFileList(unsigned id) {
  auto c = GetDeviceMgrClient();
  return c ? c->BluetoothUpdatePCFileList(id) : Win::FALSE;
}

Win::BOOL dmBluetoothIsStatusParam(const stBTStatusParam* p) {
  return (p != nullptr && p->dwSignature == stBTStatusParam::kSignature) ? Win::TRUE : Win::FALSE;
}

std::string dmGetBTStatusDescription(const stBTStatusParam* p) {
  if (!dmBluetoothIsStatusParam(p)) return {};
  switch (p->nCode) {
    case DM_BT_BATCH_START: return "블루투스 전송 시작 (" + p->strText + "개 파일)";
    case DM_BT_SENDING: return "블루투스 전송 중 : " + p->strText;
    case DM_BT_BATCH_END: return "블루투스 전송 종료 (" + p->strText + ")";
    default: return "블루투스 상태 " + std::to_string(p->nCode) + " : " + p->strText;
  }
}

std::string dmGetErrorString(int code) {
  auto c = GetDeviceMgrClient();
  return c ? c->GetErrorString(code) : dmDefaultErrorString(code);
}

int dmGetLastError() {
  auto c = GetDeviceMgrClient();
  return c ? c->GetLastError() : static_cast<int>(dm_tc_not_connected);
}

Win::BOOL dmEnumDevice(int& count, std::vector<DeviceInfo>& devices, int flag) {
  auto c = GetDeviceMgrClient();
  if (!c) {
    devices.clear();
    count = 0;
    return Win::FALSE;
  }
  return c->EnumDevice(count, devices, flag);
}

unsigned dmConnectDevice(const std::string& port, const std::string& code) {
  auto c = GetDeviceMgrClient();
  return c ? c->ConnectDevice(port, code) : DM_NO_DEVICE;
}

Win::BOOL dmExecuteQuickLink(int number) {
  auto c = GetDeviceMgrClient();
  return c ? c->ExecuteQuickLink(number) : Win::FALSE;
}

}  // namespace TYX
