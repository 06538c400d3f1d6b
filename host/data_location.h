#pragma once
// Where sonvar keeps a library, its settings and its log. By default the library lives in the XDG data
// folder, the settings in the XDG configuration folder and the log in the XDG state folder; --data DIR
// keeps all three in DIR, so another library carries its own settings.
#include <string>

namespace TYX::Host {

class DataLocation {
 public:
  // The default folders, or everything under dataFolder when it is not empty.
  explicit DataLocation(const std::string& dataFolder);

  const std::string& LibraryFile() const { return libraryFile_; }
  const std::string& SettingsFile() const { return settingsFile_; }
  const std::string& RegistryFile() const { return registryFile_; }
  const std::string& LogFile() const { return logFile_; }
  bool IsCustom() const { return custom_; }

  // Points the configuration service, the registry stand-in and the log at these files. Nothing is
  // written until a component writes.
  void Apply() const;

 private:
  bool custom_ = false;
  std::string libraryFile_;
  std::string settingsFile_;
  std::string registryFile_;
  std::string logFile_;
};

}  // namespace TYX::Host
