#include "device/phone_music_index.h"

#include "util/file_name.h"
#include "util/file_type.h"

namespace TYX::Device {

std::string TYX_PhoneMusicIndex::Key(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return Util::ToLowerAscii(dot == std::string::npos ? name : name.substr(0, dot));
}

bool TYX_PhoneMusicIndex::SameSize(std::int64_t localSize, std::int64_t phoneSize) {
  // Signed 64-bit: a small file gives a negative lower bound instead of wrapping around.
  return localSize - kSizeTolerance < phoneSize && phoneSize < localSize + kSizeTolerance;
}

void TYX_PhoneMusicIndex::Build(const FileInfo& listing, bool withBoundContent) {
  entries_.clear();
  for (int i = 0; i < listing.Count(); ++i) {
    const FileItem& item = listing[i];
    if (item.IsFolder()) continue;
    const TYX_FILETYPE type = Util::GetFileTypeByName(item.strName);
    if (!Util::IsDeviceMusicFileType(type)) continue;
    if (type == FileType::DCF && !withBoundContent) continue;
    entries_.push_back(Entry{item.strName, item.nSize, false});
  }
}

bool TYX_PhoneMusicIndex::MatchAndKeep(const std::string& deviceName, std::int64_t localSize) {
  const std::string key = Key(deviceName);
  for (auto& entry : entries_) {
    if (Key(entry.name) != key) continue;
    if (SameSize(localSize, static_cast<std::int64_t>(entry.size))) {
      entry.keep = true;
      return true;
    }
  }
  return false;
}

std::vector<TYX_PhoneMusicIndex::Entry> TYX_PhoneMusicIndex::Unkept() const {
  std::vector<Entry> out;
  for (const auto& entry : entries_) {
    if (!entry.keep) out.push_back(entry);
  }
  return out;
}

}  // namespace TYX::Device
