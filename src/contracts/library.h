#pragma once
// The song table of a library store, by library index.
//
// Safe from any thread: the add-files worker calls CountItem and InsertItem while the user-interface
// thread reads. A new song always gets an index at or above the CountItem taken before its insert, so
// a caller can tell a new song from one that was already there.
#include <cstdint>
#include <memory>
#include <string>

#include "contracts/stock_playlist.h"

namespace TYX {

class TYX_Media;

class TYX_Library {
 public:
  virtual ~TYX_Library() = default;

  // Puts a song into the table and returns its index: the index of the live entry for the same file
  // (same normalised absolute path) when there is one, else a new one. kind 1: a file on disk, whose
  // tags are read (a file without readable tags is still taken); kind 2: an audio-CD track
  // "%c:\Track%02d.cda" (drive letter compared ignoring case). ~0 on failure: empty path, unknown
  // kind, a kind-1 path that is no regular file, or a failed write.
  virtual std::uint32_t InsertItem(const std::string& path, std::uint32_t kind) = 0;
  // As above with kind 1, taking the tags from an open media object of that file.
  virtual std::uint32_t InsertItem(const std::string& path, TYX_Media* media) = 0;
  // The index of a media object's file (inserting it when it is not in the table yet), ~0 without one.
  virtual std::uint32_t InsertItem(TYX_Media* media) = 0;

  // Index of the live entry of a path, ~0 when none.
  virtual std::uint32_t FindItem(const std::string& path) const = 0;
  // Removes a song: it leaves every playlist, its reference becomes ~0, and PackLibrary drops it.
  // 0; 0x80070057 for an index that is no live song; 0x80004005 on a failed write.
  virtual std::int32_t RemoveItem(std::uint32_t index) = 0;
  // One past the highest index ever given (removed songs keep their numbers), so every index below
  // it either was a song or is one now.
  virtual std::uint32_t CountItem() const = 0;
  // Number of live songs.
  virtual std::uint32_t CountLiveItem() const = 0;
  // Removes every song, the last index first.
  virtual std::int32_t ClearItem() = 0;

  // Groups the writes of many calls into one transaction, until the matching EndUpdate. Calls nest.
  // Other threads' writes in between join the same transaction.
  virtual void BeginUpdate() = 0;
  virtual bool EndUpdate() = 0;
};

}  // namespace TYX
