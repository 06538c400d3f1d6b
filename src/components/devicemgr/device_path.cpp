#include "components/devicemgr/device_path.h"

#include "components/devicemgr/device_profile.h"

namespace TYX::DeviceMgr {

namespace {

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

SplitResult SplitDevicePath(const std::string& devicePath, const std::vector<std::string>& currentFolder) {
  SplitResult result;
  for (const char c : devicePath) {
    if (static_cast<unsigned char>(c) < 0x20) {
      result.error = "device path has a control character";
      return result;
    }
    if (c == ':') {
      result.error = "device path has a ':': \"" + devicePath + "\"";
      return result;
    }
  }
  const bool fromTop = !devicePath.empty() && (devicePath[0] == '\\' || devicePath[0] == '/');
  if (!fromTop) result.names = currentFolder;
  std::string name;
  auto flush = [&]() -> bool {
    if (name.empty() || name == ".") {
      name.clear();
      return true;
    }
    if (name == "..") {
      result.error = "device path leaves its folder: \"" + devicePath + "\"";
      result.names.clear();
      return false;
    }
    result.names.push_back(name);
    name.clear();
    return true;
  };
  for (const char c : devicePath) {
    if (c == '\\' || c == '/') {
      if (!flush()) return result;
    } else {
      name.push_back(c);
    }
  }
  flush();
  return result;
}

std::string JoinDeviceFolder(const std::vector<std::string>& names) {
  if (names.empty()) return "\\";
  std::string out;
  for (const auto& n : names) out += "\\" + n;
  return out;
}

std::filesystem::path HostPathOf(const std::filesystem::path& root, const std::vector<std::string>& names) {
  std::filesystem::path p = root;
  for (const auto& n : names) p /= n;
  return p;
}

bool IsReservedName(const std::vector<std::string>& names) {
  if (names.empty()) return false;
  if (names.size() == 1 && EqualsIgnoringAsciiCase(names[0], kProfileFileName)) return true;
  const std::string prefix = kPutTempPrefix;
  for (const auto& n : names) {
    if (n.compare(0, prefix.size(), prefix) == 0) return true;
  }
  return false;
}

}  // namespace TYX::DeviceMgr
