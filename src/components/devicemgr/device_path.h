#pragma once
// Device paths ("\\MUSIC\\song.mp3") and where they lie under a device's root folder. Every path a
// caller gives is checked here first, so that no call can reach outside the device's root folder or
// touch the client's own files in it.
#include <filesystem>
#include <string>
#include <vector>

namespace TYX::DeviceMgr {

// Names of in-progress puts start with this; listings hide them and no call may name them.
constexpr const char* kPutTempPrefix = ".tyxput-";

struct SplitResult {
  std::vector<std::string> names;  // folder names from the top, then the file name if any
  std::string error;               // empty on success
  bool ok() const { return error.empty(); }
};

// Splits a device path into names. "\\" and "/" both separate names; a path starting with one is taken
// from the device's top folder, any other from the current folder (given as names). "." is skipped;
// "..", ":" and control characters are refused.
SplitResult SplitDevicePath(const std::string& devicePath, const std::vector<std::string>& currentFolder);

// "\\" for the top folder, else "\\A\\B".
std::string JoinDeviceFolder(const std::vector<std::string>& names);

// The host path of device names under a root folder.
std::filesystem::path HostPathOf(const std::filesystem::path& root, const std::vector<std::string>& names);

// True for names the client keeps for itself: the profile file in the top folder, put temporaries.
bool IsReservedName(const std::vector<std::string>& names);

}  // namespace TYX::DeviceMgr
