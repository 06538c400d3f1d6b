#include "devices_command.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "contracts/device_mgr_client.h"
#include "list_command.h"

namespace TYX::Host {

namespace {

std::string KindName(int kind) {
  if (dmIsPhoneKind(kind)) return "phone";
  if (dmIsStoragePlayerKind(kind)) return "player";
  if (kind == DM_KIND_RINGTONE) return "phone";
  return "kind " + std::to_string(kind);
}

std::string ModeName(DEVICETYPE type) {
  switch (type) {
    case DEVICETYPE_MUSIC: return "music";
    case DEVICETYPE_STORAGE: return "storage";
    case DEVICETYPE_RINGTONE: return "ringtone";
    default: return "none";
  }
}

// Lines of cells, each column as wide as its widest cell; trailing blanks cut.
std::string Layout(const std::vector<std::vector<std::string>>& lines) {
  std::vector<int> widths;
  for (const auto& line : lines) {
    if (widths.size() < line.size()) widths.resize(line.size(), 0);
    for (std::size_t c = 0; c < line.size(); ++c) widths[c] = std::max(widths[c], ListCommand::DisplayWidth(line[c]));
  }
  std::string out;
  for (const auto& line : lines) {
    std::string text;
    for (std::size_t c = 0; c < line.size(); ++c) {
      text += line[c];
      if (c + 1 < line.size()) text += std::string(static_cast<std::size_t>(widths[c] - ListCommand::DisplayWidth(line[c]) + 2), ' ');
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out += text + "\n";
  }
  return out;
}

}  // namespace

std::string DevicesCommand::SizeText(unsigned long long bytes) {
  char buffer[32];
  const double mb = static_cast<double>(bytes) / 1048576.0;
  if (mb >= 1024.0) std::snprintf(buffer, sizeof buffer, "%.1f GB", mb / 1024.0);
  else if (mb >= 1.0) std::snprintf(buffer, sizeof buffer, "%.1f MB", mb);
  else std::snprintf(buffer, sizeof buffer, "%.1f KB", static_cast<double>(bytes) / 1024.0);
  return buffer;
}

std::string DevicesCommand::HowToConnect(const std::string& devicesFolder) {
  return "connect a phone with --phone DIR (a folder holding tyx_device.ini), or put its folder, or a link "
         "to it, into " + devicesFolder;
}

DevicesCommand::Result DevicesCommand::Run(const PhoneConnection& phones, bool header) {
  Result r;
  int count = 0;
  std::vector<DeviceInfo> devices;
  dmEnumDevice(count, devices, 0);
  const unsigned current = dmGetCurrentDevice(0);
  std::vector<std::vector<std::string>> lines;
  if (header) lines.push_back({"", "ID", "MODEL", "KIND", "MODE", "LINK", "FOLDER", "FREE", "TOTAL", "PATH"});
  for (const DeviceInfo& d : devices) {
    lines.push_back({d.nDeviceId == current ? "*" : "", std::to_string(d.nDeviceId), d.strModelName,
                     KindName(d.nDeviceKind), ModeName(d.eDeviceType), d.bBluetooth ? "bluetooth" : "cable",
                     dmGetCurrentDirectory(d.nDeviceId), SizeText(dmGetDeviceFreeSpace(d.nDeviceId, 0)),
                     SizeText(dmGetDeviceTotalSpace(d.nDeviceId)), d.strPort});
  }
  if (!devices.empty()) r.table = Layout(lines);
  if (devices.empty()) {
    r.summary = "no phone connected; " + HowToConnect(phones.Source() == "--phone" ? "the devices folder" : phones.Source());
  } else {
    r.summary = std::to_string(devices.size()) + (devices.size() == 1 ? " device" : " devices");
  }
  // A folder of the devices folder that is no phone is a fault the person has to mend.
  if (!phones.Problems().empty()) r.exitCode = 1;
  return r;
}

}  // namespace TYX::Host
