#pragma once
// Records and codes of the device manager client: what callers pass to the dm* operations and what the
// transfer notices carry. Texts are UTF-8; device paths use "\\" between folders, as phones name them.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace TYX {

// Device id of "no device"; dmGetCurrentDevice and dmConnectDevice answer it when there is none.
constexpr unsigned DM_NO_DEVICE = 0xFFFFFFFFu;

// The notice message a transfer controller registers with dmRegisterNotify, and the message the
// ring-tone dialog and the Bluetooth batch name in their calls.
constexpr Win::UINT WM_DM_NOTIFY = 0x7E8;
constexpr Win::UINT WM_DM_PUT_NOTIFY = 1228;

// Connection mode of a device (dmGetDeviceType).
enum DEVICETYPE : int {
  DEVICETYPE_NONE = 0,      // no such device
  DEVICETYPE_MUSIC = 1,     // a phone in music (MP3) connection mode
  DEVICETYPE_STORAGE = 2,   // a storage player
  DEVICETYPE_RINGTONE = 4,  // a phone in ring-tone connection mode: it takes ring-tones, not music
};

// Device kinds of stDeviceInfo::nDeviceKind. Phones are 2, 3, 5 and 6; storage players 7, 9 and 10;
// a phone in ring-tone connection mode reports kind 4 whatever its usual kind.
constexpr int DM_KIND_RINGTONE = 4;
constexpr bool dmIsPhoneKind(int kind) { return kind == 2 || kind == 3 || kind == 5 || kind == 6; }
constexpr bool dmIsStoragePlayerKind(int kind) { return kind == 7 || kind == 9 || kind == 10; }

// wParam of a notice (message 0x7E8 or the one a call names).
enum dm_transfer_status : int {
  dm_ts_start = 1,     // lParam 1: the job is done; otherwise a file starts (lParam 0)
  dm_ts_end = 2,       // lParam: 0 success, dm_tc_cancelled, or another dm_transfer_code
  dm_ts_progress = 3,  // lParam: bytes of the current file sent so far
  dm_ts_status = 5,    // lParam: a stBTStatusParam (Bluetooth batch status)
};

// Outcome codes: the lParam of a file-end notice, dmGetLastError, dmGetErrorString.
enum dm_transfer_code : int {
  dm_tc_success = 0,
  dm_tc_not_connected = 30001,   // no such device, or it was disconnected
  dm_tc_source_error = 30002,    // the local file cannot be read
  dm_tc_write_error = 30003,     // the device refused a write
  dm_tc_refused = 30004,         // the device refuses the file
  dm_tc_device_gone = 30005,     // the device's storage disappeared during the transfer
  dm_tc_bad_path = 30006,        // a device path that names nothing inside the device
  dm_tc_cancelled = 30007,       // cancelled by the user (dmIOCancel)
  dm_tc_not_sendable = 40008,    // the transfer refused the file before sending it
  dm_tc_no_space = 40040,        // the device memory is full
  dm_tc_bad_format = 40041,      // format not supported by the device
  dm_tc_battery_low = 40052,     // the device battery is too low to write
};

// Polyphony bits of stModelInfo::dwPolyphony: which melody files the phone can play.
constexpr std::uint32_t DM_POLY_4 = 0x2;
constexpr std::uint32_t DM_POLY_16 = 0x4;
constexpr std::uint32_t DM_POLY_40 = 0x10;
constexpr std::uint32_t DM_POLY_64 = 0x20;
constexpr std::uint32_t DM_POLY_128 = 0x40;

// The model record of a device: limits a transfer must respect.
struct stModelInfo {
  std::string strModelName;
  int nMaxFileName = 0;        // longest music file name in characters; 0 means 36
  int nMaxFileName2 = 0;       // longest ring-tone (melody) file name in characters; 0 means none given
  int nMaxBitrate = 0;         // highest music bit rate in kbps; 0 means 320
  std::uint32_t dwPolyphony = 0;  // DM_POLY_* bits
  int bLyrics = 0;             // non-zero: the phone shows synchronised lyrics (takes lyric copies)
};

struct stDeviceInfo {
  int nDeviceKind = 0;  // see dmIsPhoneKind, dmIsStoragePlayerKind, DM_KIND_RINGTONE
  DEVICETYPE eDeviceType = DEVICETYPE_NONE;
  std::string strModelName;
  std::string strSerial;
  std::string strPort;   // where the device is attached (for a folder device: its root folder)
  int bBluetooth = 0;    // non-zero: the link is Bluetooth
  // The model record, or null when the device has none. It belongs to the client, which keeps it
  // unchanged until the client itself is destroyed, so a caller may hold the pointer across calls.
  const stModelInfo* pModelInfo = nullptr;
};

// One entry of dmEnumDevice.
struct DeviceInfo {
  unsigned nDeviceId = DM_NO_DEVICE;
  int nDeviceKind = 0;
  DEVICETYPE eDeviceType = DEVICETYPE_NONE;
  std::string strPort;  // give it to dmConnectDevice
  std::string strModelName;
  int bBluetooth = 0;
};

// One file of a Bluetooth batch (dmPutFileList).
struct stTransferFileInfo {
  std::string strFilePath;        // the path the caller knows the file by; named in the status notices
  std::string strLocalPath;       // the file actually read; empty means strFilePath
  std::string strDeviceFileName;  // name on the device
  std::string strDeviceFolder;    // device folder; empty means the device's current folder
  // Filled by the batch: the file's outcome (dm_transfer_code), or -1 when it was not reached.
  int nResult = -1;
};

// A Bluetooth status record, carried by a dm_ts_status notice.
struct stBTStatusParam {
  static constexpr std::uint32_t kSignature = 0x42545354u;  // "BTST"
  std::uint32_t dwSignature = kSignature;
  int nCode = 0;
  std::string strText;
};

// Codes of stBTStatusParam::nCode.
constexpr int DM_BT_BATCH_START = 13;  // text: the number of files
constexpr int DM_BT_SENDING = 14;      // text: strFilePath of the file now sent
constexpr int DM_BT_BATCH_END = 15;    // text: the batch outcome code

}  // namespace TYX
