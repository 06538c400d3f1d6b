#include "data_location.h"

#include <cstdlib>
#include <filesystem>

#include "platform/os_services.h"
#include "util/init.h"
#include "util/log.h"
#include "util/reg.h"

namespace TYX::Host {

DataLocation::DataLocation(const std::string& dataFolder) {
  if (!dataFolder.empty()) {
    custom_ = true;
    std::error_code ec;
    const std::string dir = std::filesystem::absolute(dataFolder, ec).lexically_normal().string();
    const std::string base = ec ? dataFolder : dir;
    libraryFile_ = base + "/music_library.db";
    settingsFile_ = base + "/settings.ini";
    registryFile_ = base + "/registry.ini";
    logFile_ = base + "/sonvar.log";
    return;
  }
  libraryFile_ = Win::Os::GetDataFolder() + "/music_library.db";
  settingsFile_ = Util::TYX_INIT::DefaultStoreFile();
  registryFile_ = Util::TYX_Reg::DefaultStoreFile();
  logFile_ = Util::TYX_Log::DefaultTarget();
}

void DataLocation::Apply() const {
  Util::TYX_INIT::Instance()->SetStoreFile(settingsFile_);
  Util::TYX_Reg::SetStoreFile(registryFile_);
  // TYX_LOG_FILE still wins for the default location, as it does for every program of the system.
  const char* env = std::getenv("TYX_LOG_FILE");
  if (custom_ || env == nullptr || *env == '\0') Util::TYX_Log::Instance()->SetTarget(logFile_);
}

}  // namespace TYX::Host
