#pragma once
// An open folder inside a device, reached from the device's root folder one name at a time without
// following a symbolic link. Files are then looked at, made, renamed and removed relative to it, so
// nothing done through it lands outside the root, whatever links the device holds or gains meanwhile.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace TYX::DeviceMgr {

class FolderHandle {
 public:
  enum class State {
    Open,     // the folder is open
    Missing,  // a folder on the way does not exist (and was not to be made)
    Refused,  // a name on the way is a link or not a folder: the path leads nowhere inside the device
    Failed,   // the file system refused (the root is gone, no room for a folder, ...)
  };

  // Opens the folder of `names` under `root` (the root itself for no names). With `create`, missing
  // folders below the root are made; the root itself never is.
  FolderHandle(const std::filesystem::path& root, const std::vector<std::string>& names, bool create);
  ~FolderHandle();
  FolderHandle(const FolderHandle&) = delete;
  FolderHandle& operator=(const FolderHandle&) = delete;

  State GetState() const { return state_; }
  bool IsOpen() const { return state_ == State::Open; }
  // Why the folder is not open; empty when it is.
  const std::string& Error() const { return error_; }
  // The open folder's descriptor, for the *at calls; -1 when not open.
  int Fd() const { return fd_; }

  // What the entry `name` of the folder is, the entry itself, never what a link points to.
  enum class Entry { None, File, Folder, Link, Other };
  Entry EntryKind(const std::string& name, std::uint64_t* size = nullptr) const;

 private:
  int fd_ = -1;
  State state_ = State::Failed;
  std::string error_;
};

}  // namespace TYX::DeviceMgr
