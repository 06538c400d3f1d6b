#include "components/lyrics/phone_lyric_merge.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "contracts/device_mgr_client.h"
#include "contracts/media.h"

namespace TYX::Lyrics {

namespace fs = std::filesystem;

CPhoneLyricMerge::CPhoneLyricMerge(std::string serial) : serial_(std::move(serial)) {}

LyricResult CPhoneLyricMerge::Keep(LyricResult result) {
  lastError_ = result.error;
  return result;
}

bool CPhoneLyricMerge::Init() {
  model_.clear();
  if (serial_.empty()) {
    Keep({"no phone serial"});
    return false;
  }
  int count = 0;
  std::vector<DeviceInfo> devices;
  if (!dmEnumDevice(count, devices, 0)) {
    Keep({"no device is connected"});
    return false;
  }
  for (const DeviceInfo& d : devices) {
    if (dmGetDeviceSerial(d.nDeviceId) != serial_) continue;
    stDeviceInfo info;
    if (!dmGetDeviceInfo(d.nDeviceId, info, 0) || info.pModelInfo == nullptr) {
      Keep({"the phone " + serial_ + " has no model record"});
      return false;
    }
    model_ = info.pModelInfo->strModelName.empty() ? info.strModelName : info.pModelInfo->strModelName;
    Keep({});
    return true;
  }
  Keep({"no connected phone has the serial " + serial_});
  return false;
}

bool CPhoneLyricMerge::IsLyricEnablePhone(const std::string& model) {
  if (model.empty()) return false;
  int count = 0;
  std::vector<DeviceInfo> devices;
  if (!dmEnumDevice(count, devices, 0)) return false;
  for (const DeviceInfo& d : devices) {
    stDeviceInfo info;
    if (!dmGetDeviceInfo(d.nDeviceId, info, 0) || info.pModelInfo == nullptr) continue;
    const std::string& name = info.pModelInfo->strModelName.empty() ? info.strModelName : info.pModelInfo->strModelName;
    if (name == model) return info.pModelInfo->bLyrics != 0;
  }
  return false;
}

bool CPhoneLyricMerge::IsEmbededLyric(const std::string& path) {
  embeddedPath_.clear();
  embeddedLines_.clear();
  std::string error;
  TYX_MediaPtr media = TYX_Media::Instance(path, kMediaOpenRead, &error);
  if (!media || !media->IsValid()) {
    Keep({"cannot read the song " + path + ": " + error});
    return false;
  }
  const std::string lyrics = media->GetLyrics();
  if (lyrics.find_first_not_of(" \t\r\n") == std::string::npos) {
    Keep({"the song carries no lyrics"});
    return false;
  }
  LrcParseResult parsed = TYX_LrcLyrics::Parse(lyrics);
  if (!parsed.ok()) {
    // Plain lyrics without times cannot be shown in step with the song.
    Keep({"the song's lyrics are not time-coded: " + parsed.error});
    return false;
  }
  embeddedPath_ = path;
  embeddedLines_ = std::move(parsed.lines);
  Keep({});
  return true;
}

LyricResult CPhoneLyricMerge::MakeEmbededLyricKCP(const std::string& newPath) {
  if (embeddedPath_.empty()) return Keep({"no song with time-coded lyrics was chosen"});
  return Keep(TYX_KcpWriter::Write(embeddedPath_, embeddedLines_, newPath));
}

std::string CPhoneLyricMerge::FindLyricFile(const std::string& path) {
  if (path.empty()) return {};
  const fs::path song(path);
  std::error_code ec;
  for (const char* ext : {".lrc", ".LRC"}) {
    fs::path lrc = song;
    lrc.replace_extension(ext);
    if (lrc != song && fs::is_regular_file(lrc, ec)) return lrc.string();
  }
  return {};
}

bool CPhoneLyricMerge::IsLyricFile(const std::string& path) {
  if (FindLyricFile(path).empty()) {
    Keep({"no lyric file beside " + path});
    return false;
  }
  Keep({});
  return true;
}

LyricResult CPhoneLyricMerge::ConvertLyricFileKCP(const std::string& path, const std::string& newPath) {
  const std::string lrc = FindLyricFile(path);
  if (lrc.empty()) return Keep({"no lyric file beside " + path});
  LrcParseResult parsed = TYX_LrcLyrics::ReadFile(lrc);
  if (!parsed.ok()) return Keep({parsed.error});
  return Keep(TYX_KcpWriter::Write(path, parsed.lines, newPath));
}

}  // namespace TYX::Lyrics
