#pragma once
// What a folder device held when it was last looked at, kept for one transfer session (from a window's
// registration for notices to its end) so that a job of many puts does not list the phone folder and
// walk the device once per file.
//
// A folder's listing is used again only while the folder's stamp (identity, change and modification
// times) is the one it was read with; the client's own puts and deletions update the listing and its
// stamp, anything else that adds, removes or renames an entry changes the stamp and gets the folder
// listed afresh. A file rewritten in place by another program keeps its old size here until the session
// ends: inside a session the device belongs to the transfer. The first look of every session is fresh.
// The used bytes of the whole device are kept likewise, adjusted by the client's own changes.
#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "contracts/file_info.h"

namespace TYX::DeviceMgr {

struct FolderStamp {
  dev_t dev = 0;
  ino_t ino = 0;
  std::timespec mtime{};
  std::timespec ctime{};
  bool operator==(const FolderStamp& other) const;
};

// The stamp of an open folder; false when it cannot be read.
bool ReadFolderStamp(int folderFd, FolderStamp& out);

class ListingCache {
 public:
  // A session starts: nothing of an earlier look is trusted any more.
  void Begin();
  // The session ends: everything is forgotten and nothing more is kept until the next Begin.
  void End();
  bool Active() const;

  // The listing of `folder` (names from the top) when it was read or kept with exactly this stamp.
  bool Get(const std::vector<std::string>& folder, const FolderStamp& stamp, std::vector<FileItem>& out) const;
  // Keeps a listing just read (every entry, folders included); ignored outside a session.
  void Put(const std::vector<std::string>& folder, const FolderStamp& stamp, std::vector<FileItem> items);
  // A change the client made itself between `before` and `after`: the file `name` now has `size`
  // bytes, or is gone (nullopt); an empty name: only the stamp changed. A listing kept with `before` is
  // changed and restamped; one kept with any other stamp was outdated by someone else and is dropped.
  void Changed(const std::vector<std::string>& folder, const FolderStamp& before, const FolderStamp& after,
               const std::string& name, std::optional<std::uint64_t> size);
  void Forget(const std::vector<std::string>& folder);

  // The device's used bytes, when measured in this session.
  std::optional<std::uint64_t> Used() const;
  // Keeps a fresh measure; ignored outside a session.
  void SetUsed(std::uint64_t used);
  // The client's own change of the used bytes (a put adds its size less what it replaced).
  void AdjustUsed(std::int64_t delta);

 private:
  struct Entry {
    FolderStamp stamp;
    std::vector<FileItem> items;  // sorted by name
  };
  static std::string Key(const std::vector<std::string>& folder);

  mutable std::mutex mutex_;
  bool active_ = false;                     // guarded by mutex_
  std::map<std::string, Entry> folders_;    // guarded by mutex_
  std::optional<std::uint64_t> used_;       // guarded by mutex_
};

}  // namespace TYX::DeviceMgr
