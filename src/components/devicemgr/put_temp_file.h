#pragma once
// The unfinished copy of a put, inside its target folder: made under a name no other file has, renamed
// onto the target when complete, and removed in every other case.
#include <string>

#include "components/devicemgr/folder_device.h"
#include "components/devicemgr/folder_handle.h"

namespace TYX::DeviceMgr {

class PutTempFile {
 public:
  // The folder and the device must outlive this object.
  PutTempFile(const FolderHandle& folder, std::string name, const FolderDevice& device);
  // Closes the file and removes it unless the rename took it.
  ~PutTempFile();
  PutTempFile(const PutTempFile&) = delete;
  PutTempFile& operator=(const PutTempFile&) = delete;

  // Makes the file; false (errno set) when it cannot be made or a file of that name exists already.
  bool Create();
  int Fd() const { return fd_; }
  // Closes the file; false (errno set) when the close reports a write error.
  bool Close();
  // Renames the file onto `target` in the same folder, replacing a file or a link of that name (never
  // what a link points to). False (errno set) on failure.
  bool RenameTo(const std::string& target);

 private:
  const FolderHandle& folder_;
  const std::string name_;
  const FolderDevice& device_;
  int fd_ = -1;
  bool made_ = false;  // the file exists under name_
};

}  // namespace TYX::DeviceMgr
