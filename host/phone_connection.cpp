#include "phone_connection.h"

#include <algorithm>
#include <filesystem>

#include "components/devicemgr/folder_device_client.h"
#include "contracts/device_mgr_client.h"
#include "data_location.h"

namespace TYX::Host {

namespace fs = std::filesystem;

PhoneConnection::PhoneConnection() : client_(std::make_shared<DeviceMgr::TYX_FolderDeviceClient>()) {}

PhoneConnection::~PhoneConnection() {
  if (installed_) InstallDeviceMgrClient(nullptr);
}

std::string PhoneConnection::DevicesFolder(const DataLocation& location) {
  return (fs::path(location.LibraryFile()).parent_path() / "devices").string();
}

std::string PhoneConnection::Connect(const std::vector<std::string>& givenRoots, const std::string& devicesFolder) {
  if (!givenRoots.empty()) {
    source_ = "--phone";
    for (const std::string& root : givenRoots) {
      const auto plugged = client_->Connect(root);
      if (!plugged.ok()) {
        phones_.clear();
        return "no phone at " + root + ": " + plugged.error;
      }
      phones_.push_back({plugged.id, root});
    }
  } else {
    source_ = devicesFolder;
    std::error_code ec;
    std::vector<fs::path> entries;
    if (fs::is_directory(devicesFolder, ec)) {
      for (fs::directory_iterator it(devicesFolder, ec), end; !ec && it != end; it.increment(ec)) {
        // A link to a mounted player counts as the player; hidden names are not phones.
        if (it->path().filename().string().rfind('.', 0) == 0) continue;
        std::error_code kindError;
        if (fs::is_directory(it->path(), kindError)) entries.push_back(it->path());
      }
      if (ec) return "the devices folder " + devicesFolder + " cannot be read: " + ec.message();
    }
    std::sort(entries.begin(), entries.end());
    for (const fs::path& entry : entries) {
      const auto plugged = client_->Connect(entry.string());
      if (plugged.ok()) {
        phones_.push_back({plugged.id, entry.string()});
      } else {
        problems_.push_back({entry.string(), plugged.error});
      }
    }
  }
  InstallDeviceMgrClient(client_);
  installed_ = true;
  return {};
}

}  // namespace TYX::Host
