#include "device/phone_lyric_copy.h"

#include <stdlib.h>

#include <filesystem>
#include <system_error>

#include "components/lyrics/phone_lyric_merge.h"
#include "contracts/device_mgr_client.h"
#include "util/file_name.h"
#include "util/file_system.h"
#include "util/init.h"
#include "util/log.h"

namespace TYX::Device {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFolderPrefix = "tyx_lyric_";

bool OnList(const std::string& list, const std::string& model) {
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    std::string name = list.substr(start, end - start);
    const auto first = name.find_first_not_of(' ');
    const auto last = name.find_last_not_of(' ');
    name = first == std::string::npos ? std::string() : name.substr(first, last - first + 1);
    if (!name.empty() && name == model) return true;
    start = end + 1;
  }
  return false;
}

// A new private folder for one copy; empty when none can be made.
std::string NewCopyFolder() {
  std::string pattern = Util::GetTempFolder() + kFolderPrefix + "XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

}  // namespace

TYX_PhoneLyricCopy::~TYX_PhoneLyricCopy() { Remove(path_); }

bool TYX_PhoneLyricCopy::AppliesTo(int deviceKind, TYX_FILETYPE type) {
  if (deviceKind == 7 || deviceKind == 10) return false;
  return type == FileType::AAC || type == FileType::MP3;
}

bool TYX_PhoneLyricCopy::IsLyricCDC(const std::string& path, std::string& newPath) {
  Util::TYX_Log* log = Util::TYX_Log::Instance();
  log->Add("TYX_DeviceTransControl::IsLyricCDC strPath : %s, strNewPath : %s", path.c_str(), newPath.c_str());
  newPath.clear();
  const unsigned phone = dmGetCurrentDevice(1);
  if (phone == DM_NO_DEVICE) return false;
  const std::string model = dmGetDeviceName(phone);
  const std::string serial = dmGetDeviceSerial(phone);
  if (model.empty()) return false;
  if (OnList(TYX_INIT::Instance()->GetAttributeStr(kRefusedModelsAttribute), model)) return false;

  Lyrics::CPhoneLyricMerge merge(serial);
  if (!merge.IsLyricEnablePhone(model)) return false;
  if (!merge.Init()) {
    log->Add("TYX_DeviceTransControl::IsLyricCDC -> %s", merge.GetLastError().c_str());
    return false;
  }
  const bool embedded = merge.IsEmbededLyric(path);
  if (!embedded && !merge.IsLyricFile(path)) {
    log->Add("TYX_DeviceTransControl::IsLyricCDC End");
    return false;
  }
  const std::string folder = NewCopyFolder();
  if (folder.empty()) {
    log->Add("TYX_DeviceTransControl::IsLyricCDC -> no folder for the lyric copy");
    return false;
  }
  const std::string target = folder + "/" + Util::GetFileTitle(path) + ".kcp";
  const Lyrics::LyricResult made =
      embedded ? merge.MakeEmbededLyricKCP(target) : merge.ConvertLyricFileKCP(path, target);
  if (!made.ok()) {
    log->Add("TYX_DeviceTransControl::IsLyricCDC -> %s", made.error.c_str());
    std::error_code ec;
    fs::remove_all(folder, ec);
    return false;
  }
  newPath = target;
  return true;
}

void TYX_PhoneLyricCopy::Remove(const std::string& newPath) {
  if (newPath.empty()) return;
  const fs::path copy(newPath);
  const fs::path folder = copy.parent_path();
  // Only what IsLyricCDC made: a ".kcp" alone in a private folder of the temporary folder.
  if (copy.extension() != ".kcp" || folder.filename().string().rfind(kFolderPrefix, 0) != 0) return;
  std::error_code ec;
  if (fs::weakly_canonical(folder.parent_path(), ec) != fs::weakly_canonical(Util::GetTempFolder(), ec)) return;
  fs::remove(copy, ec);
  fs::remove(folder, ec);
}

bool TYX_PhoneLyricCopy::Make(const std::string& path) {
  Remove(path_);
  path_.clear();
  return IsLyricCDC(path, path_);
}

}  // namespace TYX::Device
