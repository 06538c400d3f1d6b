#pragma once
// The phones this run of sonvar finds connected. A phone is a folder holding a model profile
// (tyx_device.ini: a USB storage player mounted somewhere, or any folder set up as a phone). They are
// the folders given with --phone DIR, or else every folder (or link to one) in the devices folder beside
// the library. Each is plugged into the folder-backed device manager client, which the system reaches
// through the dm* functions while the connection lives. The phone plugged in last is the current one.
#include <memory>
#include <string>
#include <vector>

namespace TYX::DeviceMgr {
class TYX_FolderDeviceClient;
}

namespace TYX::Host {

class DataLocation;

class PhoneConnection {
 public:
  struct Phone {
    unsigned id = 0;
    std::string root;
  };
  struct Problem {
    std::string root;
    std::string error;
  };

  PhoneConnection();
  // Takes the client away from the system again; every transfer still running is cancelled.
  ~PhoneConnection();
  PhoneConnection(const PhoneConnection&) = delete;
  PhoneConnection& operator=(const PhoneConnection&) = delete;

  // The devices folder of a library: "devices" beside its library file.
  static std::string DevicesFolder(const DataLocation& location);

  // Plugs in the folders given (in order), or, with none given, the devices folder's entries in name
  // order, and installs the client. A folder given that is no phone stops it: the reason is returned
  // and nothing is installed. An entry of the devices folder that is no phone is skipped and listed in
  // Problems().
  std::string Connect(const std::vector<std::string>& givenRoots, const std::string& devicesFolder);

  const std::vector<Phone>& Phones() const { return phones_; }
  const std::vector<Problem>& Problems() const { return problems_; }
  // Where the phones were looked for, for messages: "--phone" or the devices folder.
  const std::string& Source() const { return source_; }

 private:
  std::shared_ptr<DeviceMgr::TYX_FolderDeviceClient> client_;
  bool installed_ = false;
  std::vector<Phone> phones_;
  std::vector<Problem> problems_;
  std::string source_;
};

}  // namespace TYX::Host
