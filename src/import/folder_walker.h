#pragma once
// Walks a folder tree for the import. Contracts:
//  - links to folders are never followed, and each folder is entered once (by device and inode), so
//    link cycles and bind mounts cannot loop;
//  - folders on pseudo file systems (proc, sys, debug, cgroup, ...) are not entered;
//  - a folder that cannot be listed is reported through onFailure and the walk goes on;
//  - in each folder the files come first, in listing order, then the subfolders, depth first;
//  - a callback that returns Stop ends the whole walk.
// The visited set lives as long as the walker, so walking overlapping roots with one walker enters each
// folder once.
#include <sys/types.h>

#include <functional>
#include <set>
#include <string>
#include <utility>

namespace TYX::Library {

class TYX_FolderWalker {
 public:
  enum class Visit { Continue, Stop };
  enum class EntryKind {
    Regular,  // a regular file, or a link to one
    Other,    // a FIFO, socket, device, or a link to one of those or to a folder
    Broken,   // a link whose target cannot be reached
  };

  struct Callbacks {
    std::function<Visit(const std::string& folder)> onFolder;     // before a folder's entries
    std::function<void(const std::string& folder)> onFolderEnd;  // after its subfolders
    std::function<Visit(const std::string& path, EntryKind kind)> onFile;
    std::function<Visit(const std::string& path, const std::string& why)> onFailure;
  };

  TYX_FolderWalker(bool recursive, bool skipHidden) : recursive_(recursive), skipHidden_(skipHidden) {}

  // False when a callback stopped the walk.
  bool Walk(const std::string& folder, const Callbacks& callbacks);

  // Removes one trailing '/' or '\\' (the root "/" stays).
  static std::string TrimFolder(const std::string& folder);
  // True for file systems whose folders are no user data (proc, sysfs, ...), by statfs magic.
  static bool IsPseudoFileSystem(long magic);

 private:
  bool WalkOne(const std::string& folder, dev_t parentDev, bool isRoot, const Callbacks& cb);

  const bool recursive_;
  const bool skipHidden_;
  std::set<std::pair<dev_t, ino_t>> visited_;  // the walking thread
};

}  // namespace TYX::Library
