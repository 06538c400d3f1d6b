#pragma once
// The model profile of a folder device: a small text file in the device's root folder, so that any
// folder (a USB storage player mounted somewhere, a temporary folder in a test) can act as a device.
//
// Format: one "Key=Value" per line; blank lines and lines starting with '#' or ';' are ignored; keys
// ignore case; an unknown key or a bad value is an error (a typo must not silently change a limit).
//   Model=SPH-M4650        (required) model name
//   Serial=0123456789      serial number
//   Kind=2                 device kind: phones 2, 3, 5, 6; storage players 7, 9, 10
//   Type=1                 DEVICETYPE: 1 music mode, 2 storage player, 4 ring-tone mode
//   MaxFileName=36         longest music file name (0: the model gives none)
//   MaxFileName2=20        longest ring-tone file name
//   MaxBitrate=192         highest bit rate in kbps (0: none given)
//   Polyphony=0x76         DM_POLY_* bits, decimal or 0x hexadecimal
//   Capacity=104857600     bytes the device may hold (0: as much as the disk under it)
//   Link=cable             cable or bluetooth
//   Folder=\MUSIC          the device's current folder
//   Battery=ok             ok or low (a low battery refuses writes with 40052)
//   Family=Pelago          model family
//   ConnectCode=1234       code dmConnectDevice must give (empty: any)
//   Lyrics=yes             yes or no: the phone shows synchronised lyrics (no when missing)
#include <cstdint>
#include <filesystem>
#include <string>

#include "contracts/device_records.h"

namespace TYX::DeviceMgr {

// Name of the profile file in a device's root folder.
constexpr const char* kProfileFileName = "tyx_device.ini";

struct DeviceProfile {
  std::string model;
  std::string serial;
  int kind = 7;
  DEVICETYPE type = DEVICETYPE_STORAGE;
  int maxFileName = 0;
  int maxFileName2 = 0;
  int maxBitrate = 0;
  std::uint32_t polyphony = 0;
  std::uint64_t capacity = 0;
  bool bluetooth = false;
  std::string folder = "\\";
  bool batteryLow = false;
  std::string family;
  std::string connectCode;
  bool lyrics = false;

  bool operator==(const DeviceProfile&) const = default;
};

struct ProfileResult {
  DeviceProfile profile;
  std::string error;  // empty on success
  bool ok() const { return error.empty(); }
};

ProfileResult ParseDeviceProfile(const std::string& text);
std::string FormatDeviceProfile(const DeviceProfile& profile);
ProfileResult ReadDeviceProfile(const std::filesystem::path& root);
// Writes the profile file of a device root (through a temporary file and a rename, so a reader never
// sees half a profile). Returns an error text, empty on success.
std::string WriteDeviceProfile(const std::filesystem::path& root, const DeviceProfile& profile);

}  // namespace TYX::DeviceMgr
