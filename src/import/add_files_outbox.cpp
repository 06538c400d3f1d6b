#include "import/add_files_outbox.h"

namespace TYX::Library {

std::uint64_t TYX_Library_AddFilesOutbox::Put(const TYX_AddFilesNotice& notice) {
  std::lock_guard lock(mutex_);
  const std::uint64_t number = next_++;
  notices_.emplace(number, notice);
  while (notices_.size() > kMaxKept) notices_.erase(notices_.begin());
  return number;
}

std::optional<TYX_AddFilesNotice> TYX_Library_AddFilesOutbox::Take(std::uint64_t number) {
  std::lock_guard lock(mutex_);
  auto it = notices_.find(number);
  if (it == notices_.end()) return std::nullopt;
  TYX_AddFilesNotice notice = std::move(it->second);
  notices_.erase(it);
  return notice;
}

void TYX_Library_AddFilesOutbox::Drop(std::uint64_t number) {
  std::lock_guard lock(mutex_);
  notices_.erase(number);
}

void TYX_Library_AddFilesOutbox::Clear() {
  std::lock_guard lock(mutex_);
  notices_.clear();
}

std::size_t TYX_Library_AddFilesOutbox::Size() const {
  std::lock_guard lock(mutex_);
  return notices_.size();
}

}  // namespace TYX::Library
