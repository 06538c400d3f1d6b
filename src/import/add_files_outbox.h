#pragma once
// The copies that travel with the worker's progress messages. The worker puts a notice in and sends or
// posts its number; the receiver takes it out by number. A notice is never shared: taking moves it out,
// so the worker can rewrite its own records at once. Notices nobody takes are dropped oldest first past
// a bound, and all go with the outbox, so a window that closes with messages still queued leaks nothing.
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>

#include "import/add_files_records.h"

namespace TYX::Library {

class TYX_Library_AddFilesOutbox {
 public:
  static constexpr std::size_t kMaxKept = 1024;

  // The number to put in a message; never 0.
  std::uint64_t Put(const TYX_AddFilesNotice& notice);
  // The notice of a number, once; nothing when it was taken or dropped, or for 0.
  std::optional<TYX_AddFilesNotice> Take(std::uint64_t number);
  // Drops a notice that a finished send left behind.
  void Drop(std::uint64_t number);
  void Clear();
  std::size_t Size() const;

 private:
  mutable std::mutex mutex_;  // guards the fields below; the worker and the window thread
  std::uint64_t next_ = 1;
  std::map<std::uint64_t, TYX_AddFilesNotice> notices_;
};

}  // namespace TYX::Library
