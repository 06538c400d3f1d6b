#include "components/devicemgr/listing_cache.h"

#include <sys/stat.h>

#include <algorithm>

namespace TYX::DeviceMgr {

namespace {

bool SameTime(const std::timespec& a, const std::timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

bool ByName(const FileItem& a, const FileItem& b) { return a.strName < b.strName; }

}  // namespace

bool FolderStamp::operator==(const FolderStamp& other) const {
  return dev == other.dev && ino == other.ino && SameTime(mtime, other.mtime) && SameTime(ctime, other.ctime);
}

bool ReadFolderStamp(int folderFd, FolderStamp& out) {
  struct stat st {};
  if (folderFd < 0 || ::fstat(folderFd, &st) != 0) return false;
  out.dev = st.st_dev;
  out.ino = st.st_ino;
  out.mtime = st.st_mtim;
  out.ctime = st.st_ctim;
  return true;
}

std::string ListingCache::Key(const std::vector<std::string>& folder) {
  // Names never hold "/" (they come from splitting a device path), so the joined text is unambiguous.
  std::string key;
  for (const auto& name : folder) key += "/" + name;
  return key;
}

void ListingCache::Begin() {
  std::lock_guard<std::mutex> lk(mutex_);
  active_ = true;
  folders_.clear();
  used_.reset();
}

void ListingCache::End() {
  std::lock_guard<std::mutex> lk(mutex_);
  active_ = false;
  folders_.clear();
  used_.reset();
}

bool ListingCache::Active() const {
  std::lock_guard<std::mutex> lk(mutex_);
  return active_;
}

bool ListingCache::Get(const std::vector<std::string>& folder, const FolderStamp& stamp,
                       std::vector<FileItem>& out) const {
  std::lock_guard<std::mutex> lk(mutex_);
  if (!active_) return false;
  auto it = folders_.find(Key(folder));
  if (it == folders_.end() || !(it->second.stamp == stamp)) return false;
  out = it->second.items;
  return true;
}

void ListingCache::Put(const std::vector<std::string>& folder, const FolderStamp& stamp, std::vector<FileItem> items) {
  std::lock_guard<std::mutex> lk(mutex_);
  if (!active_) return;
  std::sort(items.begin(), items.end(), ByName);
  folders_[Key(folder)] = Entry{stamp, std::move(items)};
}

void ListingCache::Changed(const std::vector<std::string>& folder, const FolderStamp& before,
                           const FolderStamp& after, const std::string& name, std::optional<std::uint64_t> size) {
  std::lock_guard<std::mutex> lk(mutex_);
  auto it = folders_.find(Key(folder));
  if (it == folders_.end()) return;
  if (!(it->second.stamp == before)) {
    folders_.erase(it);
    return;
  }
  auto& items = it->second.items;
  auto pos = std::lower_bound(items.begin(), items.end(), name,
                              [](const FileItem& item, const std::string& n) { return item.strName < n; });
  const bool present = pos != items.end() && pos->strName == name;
  if (size.has_value()) {
    if (present) {
      pos->nSize = *size;
      pos->dwAttributes = 0;
    } else {
      FileItem item;
      item.strName = name;
      item.nSize = *size;
      items.insert(pos, std::move(item));
    }
  } else if (present) {
    items.erase(pos);
  }
  it->second.stamp = after;
}

void ListingCache::Forget(const std::vector<std::string>& folder) {
  std::lock_guard<std::mutex> lk(mutex_);
  folders_.erase(Key(folder));
}

std::optional<std::uint64_t> ListingCache::Used() const {
  std::lock_guard<std::mutex> lk(mutex_);
  if (!active_) return std::nullopt;
  return used_;
}

void ListingCache::SetUsed(std::uint64_t used) {
  std::lock_guard<std::mutex> lk(mutex_);
  if (active_) used_ = used;
}

void ListingCache::AdjustUsed(std::int64_t delta) {
  std::lock_guard<std::mutex> lk(mutex_);
  if (!used_.has_value()) return;
  if (delta >= 0) {
    used_ = *used_ + static_cast<std::uint64_t>(delta);
  } else {
    const std::uint64_t less = static_cast<std::uint64_t>(-delta);
    used_ = *used_ > less ? *used_ - less : 0;
  }
}

}  // namespace TYX::DeviceMgr
