#include "components/devicemgr/folder_device_client.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "components/devicemgr/device_path.h"
#include "components/devicemgr/folder_handle.h"

namespace TYX::DeviceMgr {

namespace fs = std::filesystem;

namespace {

bool StartsWithIgnoringAsciiCase(const std::string& text, const std::string& prefix) {
  if (prefix.empty() || text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char a = text[i], b = prefix[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

}  // namespace

TYX_FolderDeviceClient::TYX_FolderDeviceClient() : TYX_FolderDeviceClient(Options{}) {}

TYX_FolderDeviceClient::TYX_FolderDeviceClient(Options options)
    : options_(std::move(options)), worker_(std::make_unique<PutWorker>()) {}

TYX_FolderDeviceClient::~TYX_FolderDeviceClient() {
  {
    std::lock_guard<std::mutex> lk(mutex_);
    for (auto& [id, device] : devices_) device->CancelTransfers();
  }
  // Waiting puts now end at once with their end notices; the thread ends after the last of them.
  worker_.reset();
  for (const auto& device : AllDevices()) device->Flush();
}

std::vector<std::shared_ptr<FolderDevice>> TYX_FolderDeviceClient::AllDevices() const {
  std::vector<std::shared_ptr<FolderDevice>> out;
  std::lock_guard<std::mutex> lk(mutex_);
  for (const auto& [id, device] : devices_) out.push_back(device);
  return out;
}

void TYX_FolderDeviceClient::BeginSessions() {
  for (const auto& device : AllDevices()) device->Listings().Begin();
}

void TYX_FolderDeviceClient::EndSessions() {
  for (const auto& device : AllDevices()) {
    device->Listings().End();
    device->Flush();
  }
}

TYX_FolderDeviceClient::ConnectResult TYX_FolderDeviceClient::Connect(const std::string& rootFolder) {
  ConnectResult result;
  std::error_code ec;
  if (rootFolder.empty() || !fs::is_directory(rootFolder, ec)) {
    result.error = "not a folder: \"" + rootFolder + "\"";
    return result;
  }
  fs::path root = fs::weakly_canonical(fs::absolute(rootFolder, ec), ec);
  if (ec) {
    result.error = "cannot resolve \"" + rootFolder + "\": " + ec.message();
    return result;
  }
  ProfileResult profile = ReadDeviceProfile(root);
  if (!profile.ok()) {
    result.error = profile.error;
    return result;
  }
  {
    std::lock_guard<std::mutex> lk(mutex_);
    for (const auto& [id, device] : devices_) {
      if (device->Root() == root) {
        result.id = id;
        return result;
      }
    }
  }
  const stModelInfo* model = MakeModel(profile.profile);
  std::lock_guard<std::mutex> lk(mutex_);
  // Another thread may have plugged in the same root meanwhile.
  for (const auto& [id, device] : devices_) {
    if (device->Root() == root) {
      result.id = id;
      return result;
    }
  }
  const unsigned id = nextId_++;
  auto device = std::make_shared<FolderDevice>(id, root, std::move(profile.profile), model);
  // A device plugged in during a session joins it.
  if (registered_.hwnd != nullptr) device->Listings().Begin();
  devices_[id] = std::move(device);
  result.id = id;
  return result;
}

bool TYX_FolderDeviceClient::Disconnect(unsigned id) {
  std::shared_ptr<FolderDevice> device;
  {
    std::lock_guard<std::mutex> lk(mutex_);
    auto it = devices_.find(id);
    if (it == devices_.end()) return false;
    device = it->second;
    devices_.erase(it);
  }
  device->MarkDisconnected();
  device->Listings().End();
  // A device pulled out gets what was put on it written out first, as a safe removal does.
  device->Flush();
  return true;
}

bool TYX_FolderDeviceClient::SetBluetoothSuspended(unsigned id, bool suspended) {
  auto device = Find(id);
  if (!device) return false;
  device->SetSuspended(suspended);
  return true;
}

std::vector<std::pair<unsigned, int>> TYX_FolderDeviceClient::QuickLinks() const {
  std::lock_guard<std::mutex> lk(mutex_);
  return quickLinks_;
}

int TYX_FolderDeviceClient::PCFileListUpdates(unsigned id) const {
  std::lock_guard<std::mutex> lk(mutex_);
  auto it = pcFileListUpdates_.find(id);
  return it == pcFileListUpdates_.end() ? 0 : it->second;
}

void TYX_FolderDeviceClient::SetChunkHook(ChunkHook hook) {
  std::lock_guard<std::mutex> lk(mutex_);
  chunkHook_ = std::move(hook);
}

std::shared_ptr<FolderDevice> TYX_FolderDeviceClient::Find(unsigned id) const {
  std::lock_guard<std::mutex> lk(mutex_);
  auto it = devices_.find(id);
  return it == devices_.end() ? nullptr : it->second;
}

const stModelInfo* TYX_FolderDeviceClient::MakeModel(const DeviceProfile& profile) {
  auto record = std::make_unique<stModelInfo>();
  record->strModelName = profile.model;
  record->nMaxFileName = profile.maxFileName;
  record->nMaxFileName2 = profile.maxFileName2;
  record->nMaxBitrate = profile.maxBitrate;
  record->dwPolyphony = profile.polyphony;
  record->bLyrics = profile.lyrics ? 1 : 0;
  const stModelInfo* model = record.get();
  std::lock_guard<std::mutex> lk(mutex_);
  models_.push_back(std::move(record));
  return model;
}

int TYX_FolderDeviceClient::ReportedKind(const DeviceProfile& profile) {
  return profile.type == DEVICETYPE_RINGTONE ? DM_KIND_RINGTONE : profile.kind;
}

bool TYX_FolderDeviceClient::MatchesKind(const DeviceProfile& profile, int kind) {
  const int reported = ReportedKind(profile);
  switch (kind) {
    case 0: return true;
    case 1: return dmIsPhoneKind(reported) || reported == DM_KIND_RINGTONE;
    case 2: return dmIsStoragePlayerKind(reported);
    default: return false;
  }
}

bool TYX_FolderDeviceClient::ResolveFile(const FolderDevice& device, const std::string& devicePath,
                                         std::vector<std::string>& names) {
  SplitResult split = SplitDevicePath(devicePath, device.CurrentFolder());
  if (!split.ok() || split.names.empty() || IsReservedName(split.names)) return false;
  names = std::move(split.names);
  return true;
}

unsigned TYX_FolderDeviceClient::GetCurrentDevice(int kind) {
  std::lock_guard<std::mutex> lk(mutex_);
  // The most recently connected device of that kind.
  for (auto it = devices_.rbegin(); it != devices_.rend(); ++it) {
    if (MatchesKind(it->second->Profile(), kind)) return it->first;
  }
  return DM_NO_DEVICE;
}

std::string TYX_FolderDeviceClient::GetDeviceName(unsigned id) {
  auto device = Find(id);
  return device ? device->Profile().model : std::string();
}

std::string TYX_FolderDeviceClient::GetDeviceSerial(unsigned id) {
  auto device = Find(id);
  return device ? device->Profile().serial : std::string();
}

DEVICETYPE TYX_FolderDeviceClient::GetDeviceType(unsigned id) {
  auto device = Find(id);
  return device ? device->Profile().type : DEVICETYPE_NONE;
}

Win::BOOL TYX_FolderDeviceClient::GetDeviceInfo(unsigned id, stDeviceInfo& info, int flag) {
  auto device = Find(id);
  if (!device) return Win::FALSE;
  if (flag != 0) {
    // A fresh read of the model information; the device keeps what it had when that fails.
    if (!device->IsReachable()) return Win::FALSE;
    ProfileResult fresh = ReadDeviceProfile(device->Root());
    if (!fresh.ok()) return Win::FALSE;
    if (!(fresh.profile == device->Profile())) {
      const stModelInfo* model = MakeModel(fresh.profile);
      device->SetProfile(std::move(fresh.profile), model);
    }
  }
  const DeviceProfile profile = device->Profile();
  info.nDeviceKind = ReportedKind(profile);
  info.eDeviceType = profile.type;
  info.strModelName = profile.model;
  info.strSerial = profile.serial;
  info.strPort = device->Root().string();
  info.bBluetooth = profile.bluetooth ? 1 : 0;
  info.pModelInfo = device->Model();
  return Win::TRUE;
}

Win::BOOL TYX_FolderDeviceClient::GetFileList(unsigned id, FileInfo& list, int flag) {
  list.Clear();
  auto device = Find(id);
  if (!device || !device->IsReachable()) return Win::FALSE;
  const std::vector<std::string> current = device->CurrentFolder();
  // Opened link by link from the root: a link in the current folder's place is not listed as the device's.
  const FolderHandle folder(device->Root(), current, false);
  if (folder.GetState() == FolderHandle::State::Missing) return Win::TRUE;  // a folder not made yet holds nothing
  if (!folder.IsOpen()) return Win::FALSE;
  // The stamp is read before the entries, so a change made while they are read shows at the next look.
  FolderStamp stamp;
  const bool stamped = ReadFolderStamp(folder.Fd(), stamp);
  std::vector<FileItem> items;
  if (!stamped || !device->Listings().Get(current, stamp, items)) {
    if (!ReadFolder(folder, current, items)) return Win::FALSE;
    if (stamped) device->Listings().Put(current, stamp, items);
  }
  for (auto& item : items) {
    if (flag == 1 && item.IsFolder()) continue;
    list.Add(std::move(item));
  }
  return Win::TRUE;
}

bool TYX_FolderDeviceClient::ReadFolder(const FolderHandle& folder, const std::vector<std::string>& current,
                                        std::vector<FileItem>& items) {
  const int fd = ::dup(folder.Fd());
  if (fd < 0) return false;
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    ::close(fd);
    return false;
  }
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (entry == nullptr) break;
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    std::vector<std::string> names = current;
    names.push_back(name);
    if (IsReservedName(names)) continue;
    FileItem item;
    item.strName = name;
    std::uint64_t size = 0;
    // Links are not files of the device: what they point to may lie outside it.
    switch (folder.EntryKind(name, &size)) {
      case FolderHandle::Entry::Folder:
        item.dwAttributes = DM_FILE_ATTRIBUTE_DIRECTORY;
        break;
      case FolderHandle::Entry::File:
        item.nSize = size;
        break;
      default:
        continue;  // a link, a special file, or removed while listing
    }
    items.push_back(std::move(item));
  }
  const bool readFailed = errno != 0;  // readdir ends with errno set when the folder could not be read
  ::closedir(dir);
  if (readFailed) return false;
  std::sort(items.begin(), items.end(), [](const FileItem& a, const FileItem& b) { return a.strName < b.strName; });
  return true;
}

std::string TYX_FolderDeviceClient::GetCurrentDirectory(unsigned id) {
  auto device = Find(id);
  return device ? device->Profile().folder : std::string();
}

std::uint64_t TYX_FolderDeviceClient::GetDeviceFreeSpace(unsigned id, int memory) {
  auto device = Find(id);
  SpaceFigures space;
  // A folder device has one memory, number 0.
  if (!device || memory != 0 || !device->IsConnected() || !device->ComputeSpace(space)) return 0;
  return space.free;
}

std::uint64_t TYX_FolderDeviceClient::GetDeviceTotalSpace(unsigned id) {
  auto device = Find(id);
  SpaceFigures space;
  if (!device || !device->IsConnected() || !device->ComputeSpace(space)) return 0;
  return space.total;
}

int TYX_FolderDeviceClient::DeleteFile(unsigned id, const std::string& devicePath) {
  auto device = Find(id);
  std::vector<std::string> names;
  if (!device || !device->IsReachable() || !ResolveFile(*device, devicePath, names)) return 0;
  const std::string name = names.back();
  names.pop_back();
  // The folder is reached without following a link; a link named here is removed itself.
  const FolderHandle folder(device->Root(), names, false);
  if (!folder.IsOpen()) return 0;
  std::uint64_t size = 0;
  const FolderHandle::Entry kind = folder.EntryKind(name, &size);
  if (kind != FolderHandle::Entry::File && kind != FolderHandle::Entry::Link) return 0;
  FolderStamp before, after;
  const bool stamped = ReadFolderStamp(folder.Fd(), before);
  if (::unlinkat(folder.Fd(), name.c_str(), 0) != 0) return 0;
  if (stamped && ReadFolderStamp(folder.Fd(), after)) {
    device->Listings().Changed(names, before, after, name, std::nullopt);
  } else {
    device->Listings().Forget(names);
  }
  // A link's own size was never counted as used.
  if (kind == FolderHandle::Entry::File) device->Listings().AdjustUsed(-static_cast<std::int64_t>(size));
  return 1;
}

int TYX_FolderDeviceClient::DeleteFiles(unsigned id, const std::string& deviceFolder,
                                        const std::vector<std::string>& names) {
  std::string folder = deviceFolder;
  if (folder.empty()) folder = GetCurrentDirectory(id);
  if (folder.empty()) return 0;
  if (folder.back() != '\\' && folder.back() != '/') folder += "\\";
  int all = 1;
  for (const auto& name : names) {
    // A name with a folder in it would reach outside the folder the caller named.
    if (name.find_first_of("\\/") != std::string::npos || DeleteFile(id, folder + name) != 1) all = 0;
  }
  return all;
}

int TYX_FolderDeviceClient::PutFileMode(int mode) {
  std::lock_guard<std::mutex> lk(mutex_);
  const int previous = putMode_;
  putMode_ = mode == 1 ? 1 : 0;
  return previous;
}

Win::BOOL TYX_FolderDeviceClient::IOCancel(unsigned id) {
  auto device = Find(id);
  if (!device) return Win::FALSE;
  device->CancelTransfers();
  return Win::TRUE;
}

Win::BOOL TYX_FolderDeviceClient::RegisterNotify(Win::HWND hwnd, Win::UINT message) {
  if (message == 0) {
    bool ended = false;
    {
      std::lock_guard<std::mutex> lk(mutex_);
      // Stopping is for the registered window only, so one caller cannot silence another's notices.
      if (hwnd == nullptr || hwnd == registered_.hwnd) {
        ended = registered_.hwnd != nullptr;
        registered_ = {};
      }
    }
    // Flushed with no lock held: writing out may take a while on a slow device.
    if (ended) EndSessions();
    return Win::TRUE;
  }
  if (hwnd == nullptr) return Win::FALSE;
  {
    std::lock_guard<std::mutex> lk(mutex_);
    registered_ = {hwnd, message};
  }
  // A new session trusts nothing listed before it.
  BeginSessions();
  return Win::TRUE;
}

Win::BOOL TYX_FolderDeviceClient::IsBluetoothConnected(unsigned id) {
  auto device = Find(id);
  return device && device->Profile().bluetooth ? Win::TRUE : Win::FALSE;
}

int TYX_FolderDeviceClient::BluetoothCheckSuspendStatus(unsigned id, Win::HWND) {
  auto device = Find(id);
  return device && device->Profile().bluetooth && device->IsSuspended() ? 1 : 0;
}

int TYX_FolderDeviceClient::BluetoothWaitTime(unsigned id, int intervalMs, int tries) {
  auto device = Find(id);
  if (!device || !device->Profile().bluetooth) return 0;
  const long long total = static_cast<long long>(std::max(intervalMs, 0)) * std::max(tries, 0);
  return device->WaitUntilReady(static_cast<std::uint32_t>(std::min<long long>(total, 600000))) ? 1 : 0;
}

Win::BOOL TYX_FolderDeviceClient::BluetoothUpdatePCFileList(unsigned id) {
  auto device = Find(id);
  if (!device || !device->Profile().bluetooth) return Win::FALSE;
  std::lock_guard<std::mutex> lk(mutex_);
  ++pcFileListUpdates_[id];
  return Win::TRUE;
}

int TYX_FolderDeviceClient::GetLastError() { return lastError_.load(); }

Win::BOOL TYX_FolderDeviceClient::EnumDevice(int& count, std::vector<DeviceInfo>& devices, int flag) {
  devices.clear();
  std::lock_guard<std::mutex> lk(mutex_);
  for (const auto& [id, device] : devices_) {
    const DeviceProfile profile = device->Profile();
    if (!MatchesKind(profile, flag)) continue;
    DeviceInfo entry;
    entry.nDeviceId = id;
    entry.nDeviceKind = ReportedKind(profile);
    entry.eDeviceType = profile.type;
    entry.strPort = device->Root().string();
    entry.strModelName = profile.model;
    entry.bBluetooth = profile.bluetooth ? 1 : 0;
    devices.push_back(std::move(entry));
  }
  count = static_cast<int>(devices.size());
  return Win::TRUE;
}

unsigned TYX_FolderDeviceClient::ConnectDevice(const std::string& port, const std::string& code) {
  std::error_code ec;
  const fs::path root = fs::weakly_canonical(fs::absolute(port, ec), ec);
  if (ec || port.empty()) return DM_NO_DEVICE;
  std::lock_guard<std::mutex> lk(mutex_);
  for (const auto& [id, device] : devices_) {
    if (device->Root() != root) continue;
    const std::string expected = device->Profile().connectCode;
    return expected.empty() || expected == code ? id : DM_NO_DEVICE;
  }
  return DM_NO_DEVICE;
}

Win::BOOL TYX_FolderDeviceClient::ExecuteQuickLink(int number) {
  if (number < 0 || number > 8) return Win::FALSE;
  const unsigned phone = GetCurrentDevice(1);
  if (phone == DM_NO_DEVICE) return Win::FALSE;
  std::lock_guard<std::mutex> lk(mutex_);
  quickLinks_.emplace_back(phone, number);
  return Win::TRUE;
}

int TYX_FolderDeviceClient::HasPelagoModels(const std::string& modelName) {
  if (modelName.empty()) return 0;
  for (const auto& prefix : options_.pelagoPrefixes) {
    if (StartsWithIgnoringAsciiCase(modelName, prefix)) return 1;
  }
  std::lock_guard<std::mutex> lk(mutex_);
  for (const auto& [id, device] : devices_) {
    const DeviceProfile profile = device->Profile();
    if (profile.model == modelName && StartsWithIgnoringAsciiCase(profile.family, "pelago") &&
        profile.family.size() == 6) {
      return 1;
    }
  }
  return 0;
}

}  // namespace TYX::DeviceMgr
