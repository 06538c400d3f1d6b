#include "device/device_file_prep_default.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "contracts/device_mgr_client.h"
#include "contracts/media.h"
#include "device/device_texts.h"
#include "device/phone_lyric_copy.h"
#include "device/web_item.h"
#include "util/file_name.h"
#include "util/file_system.h"
#include "util/file_type.h"
#include "util/init.h"
#include "util/log.h"
#include "util/log_scope.h"

namespace TYX::Device {

namespace {

std::string Format1(const char* format, int value) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

bool IsPhoneFamily(const stDeviceInfo& info) { return dmIsPhoneKind(info.nDeviceKind); }
bool IsStorageFamily(const stDeviceInfo& info) { return dmIsStoragePlayerKind(info.nDeviceKind); }

// Whether a "," separated list names the model (blanks around each name ignored).
bool ListNames(const std::string& list, const std::string& model) {
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    const std::string item = list.substr(start, end - start);
    const std::size_t first = item.find_first_not_of(" \t");
    if (first != std::string::npos) {
      const std::size_t last = item.find_last_not_of(" \t");
      if (item.compare(first, last - first + 1, model) == 0) return true;
    }
    start = end + 1;
  }
  return false;
}

}  // namespace

int TYX_DeviceFilePrepDefault::NameLimit(const stDeviceInfo& info) {
  if (!IsPhoneFamily(info)) return -1;
  const int limit = info.pModelInfo != nullptr ? info.pModelInfo->nMaxFileName : 0;
  return limit > 0 ? limit : 36;
}

int TYX_DeviceFilePrepDefault::MaxBitrate(const stDeviceInfo& info) {
  const int rate = info.pModelInfo != nullptr ? info.pModelInfo->nMaxBitrate : 0;
  return rate > 0 ? rate : 320;
}

std::string TYX_DeviceFilePrepDefault::GetDeviceFileName(unsigned device, const std::string& path,
                                                         std::string& deviceName, std::string& sourcePath) {
  TYX_LogScope scope("TYX_DeviceTransControl::GetDeviceFileName");
  stDeviceInfo info;
  dmGetDeviceInfo(device, info, 0);
  sourcePath = path;
  // A web item is named after its local copy.
  const std::string local = GetWebDownloadPath(path);
  deviceName = Util::GetFileName(local.empty() ? path : local);
  if (!Util::CheckFileName(deviceName, 1, NameLimit(info), -1)) return Texts::kBadName;
  return {};
}

std::string TYX_DeviceFilePrepDefault::FormatRefusal(const stDeviceInfo& info, const std::string& path) {
  const std::string local = GetWebDownloadPath(path);
  const std::string ext = "." + Util::ToLowerAscii(Util::GetFileExt(local.empty() ? path : local));
  static const std::vector<std::string> kPhone{".mp3"};
  static const std::vector<std::string> kStorage{".mp3", ".wma", ".ogg", ".asf"};
  const std::vector<std::string>* accepted = nullptr;
  if (IsPhoneFamily(info)) accepted = &kPhone;
  if (IsStorageFamily(info)) accepted = &kStorage;
  if (accepted != nullptr && std::find(accepted->begin(), accepted->end(), ext) != accepted->end()) return {};
  return Texts::kFormatRefused;
}

std::string TYX_DeviceFilePrepDefault::CanCopyFormat(unsigned device, const std::string& path) {
  Util::TYX_Log::Instance()->Add("TYX_DeviceTransControl::CanCopyFormat strFullPathName : %s", path.c_str());
  stDeviceInfo info;
  dmGetDeviceInfo(device, info, 0);
  std::string refusal = FormatRefusal(info, path);
  if (!refusal.empty()) Util::TYX_Log::Instance()->Add("TYX_DeviceTransControl::CanCopyFormat End");
  return refusal;
}

FileCheck TYX_DeviceFilePrepDefault::Check(const stDeviceInfo& info, const std::string& path) {
  FileCheck result;
  result.message = FormatRefusal(info, path);
  if (!result.message.empty()) {
    result.check = TransferCheck::Format;
    result.code = dm_tc_bad_format;
    return result;
  }
  // A web item not fetched yet is judged by its name; the music itself is checked once it is here.
  const std::string local = GetWebDownloadPath(path);
  if (!local.empty()) {
    result.deviceName = Util::GetFileName(local);
    if (!Util::CheckFileName(result.deviceName, 1, NameLimit(info), -1)) {
      result.check = TransferCheck::Name;
      result.message = Texts::kBadName;
      result.code = dm_tc_refused;
    }
    return result;
  }
  TYX_MediaPtr media = TYX_Media::Instance(path, kMediaOpenPlay);
  if (!media || !media->IsValid()) {
    result.check = TransferCheck::Media;
    result.message = Texts::kBadMusic;
    result.code = dm_tc_refused;
    return result;
  }
  const TYX_FILETYPE type = Util::GetFileType(path);
  if (IsPhoneFamily(info) && type != FileType::GPP && type != 15) {
    const int kbps = static_cast<int>(media->GetBitRate() / 1000);
    const std::string model = info.pModelInfo != nullptr ? info.pModelInfo->strModelName : info.strModelName;
    if (kbps <= 64 && RefusesLowBitrate(model)) {
      result.check = TransferCheck::Bitrate;
      result.message = Format1(Texts::kLowBitrate, kbps);
      result.code = dm_tc_refused;
      return result;
    }
    if (kbps > MaxBitrate(info)) {
      result.check = TransferCheck::Bitrate;
      result.message = Format1(Texts::kHighBitrate, MaxBitrate(info));
      result.code = dm_tc_refused;
      return result;
    }
  }
  result.deviceName = Util::GetFileName(path);
  if (!Util::CheckFileName(result.deviceName, 1, NameLimit(info), -1)) {
    result.check = TransferCheck::Name;
    result.message = Texts::kBadName;
    result.code = dm_tc_refused;
  }
  return result;
}

bool TYX_DeviceFilePrepDefault::RefusesLowBitrate(const std::string& model) const {
  if (model.empty()) return false;
  const auto& low = options_.lowBitrateModels;
  if (std::find(low.begin(), low.end(), model) != low.end()) return true;
  return ListNames(TYX_INIT::Instance()->GetAttributeStr(kLowBitrateModelsAttribute), model);
}

FileCheck TYX_DeviceFilePrepDefault::CheckFile(unsigned device, const std::string& path) {
  stDeviceInfo info;
  dmGetDeviceInfo(device, info, 0);
  return Check(info, path);
}

std::string TYX_DeviceFilePrepDefault::ProcessFile(TYX_DeviceTransContext& context, unsigned device,
                                                   const std::string& path) {
  Util::TYX_Log::Instance()->Add("TYX_DeviceTransControl::ProcessFile strLocal : %s", path.c_str());
  TYX_LogScope scope("TYX_DeviceTransControl::ProcessFile");
  context.ResetFileDone();
  stDeviceInfo info;
  dmGetDeviceInfo(device, info, 0);

  std::string source = path;
  const std::string local = GetWebDownloadPath(path);
  if (!local.empty()) {
    // A fresh copy every time: an old one may be stale.
    std::error_code ec;
    std::filesystem::remove(local, ec);
    const std::string name = Util::GetFileName(local);
    const std::string fetched = DownloadWebItem(
        path, local, [&context] { return !context.IsCancelled(); },
        [&context, &name](int percent) {
          char text[512];
          if (percent < 0) {
            std::snprintf(text, sizeof text, Texts::kDownloadStart, name.c_str());
          } else {
            std::snprintf(text, sizeof text, Texts::kDownloadProgress, name.c_str(), percent);
          }
          context.NotifyText(text);
        });
    if (fetched.empty()) {
      context.NotifyDownloadResult(-2);
      context.NotifyText(Texts::kDownloadFailed);
      // Told as what it is, not as a format the phone refuses.
      context.SendFileEnd(context.IsCancelled() ? dm_tc_cancelled : dm_tc_source_error);
      return context.IsCancelled() ? Texts::kCancelled : Texts::kDownloadFailed;
    }
    context.NotifyDownloadResult(0);
    context.NotifyText(Texts::kDownloadDone);
    source = fetched;
  }

  const FileCheck check = Check(info, source);
  if (check.check != TransferCheck::None) {
    context.SendFileEnd(check.code);
    return check.message;
  }
  // A phone that shows lyrics gets the song's lyric copy, stored under the song's own name; the copy is
  // removed when this step ends, after the put.
  TYX_PhoneLyricCopy lyricCopy;
  if (TYX_PhoneLyricCopy::AppliesTo(info.nDeviceKind, Util::GetFileType(source)) && lyricCopy.Make(source)) {
    source = lyricCopy.Path();
  }
  const bool phone = IsPhoneFamily(info);
  if (phone) context.SetNameLimit(NameLimit(info));
  const std::string& name = check.deviceName;
  if (context.IsCancelled()) {
    // Phones report the cancel as the file's end; the controller reports it for storage players.
    if (phone) context.SendFileEnd(dm_tc_cancelled);
    return Texts::kCancelled;
  }
  const std::string folder = context.DeviceFolder();
  // The put replaces a phone file of the same name only once the new copy is whole, so the old copy
  // is not deleted first: a failed or cancelled put leaves the phone's song as it was.
  context.SetCurrentFileSize(static_cast<std::int64_t>(Util::GetFileSize(source)));
  if (phone) dmPutFileMode(0);
  if (dmPutFile(device, source, folder + name, nullptr, 0) != 1) return Texts::kTransferError;
  return context.WaitForFileEnd(device);
}

}  // namespace TYX::Device
