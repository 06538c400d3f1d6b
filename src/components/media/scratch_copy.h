#pragma once
// The scratch copy a save writes beside the file before it replaces the file.
#include <cstddef>
#include <string>

namespace TYX::Media {

// A hidden name for the scratch copy of `name` that fits a file system allowing names of at most
// maxName bytes: the file's own name is shortened, at a character boundary, to leave room for the
// marker and the six random characters that replace the trailing "XXXXXX".
std::string ScratchName(const std::string& name, std::size_t maxName);

class ScratchCopy {
 public:
  // Creates an empty scratch file in the folder of target; path() stays empty (error() says why) when
  // it cannot.
  explicit ScratchCopy(const std::string& target);
  // Removes the scratch file unless Keep() was called.
  ~ScratchCopy();
  ScratchCopy(const ScratchCopy&) = delete;
  ScratchCopy& operator=(const ScratchCopy&) = delete;

  const std::string& path() const { return path_; }
  const std::string& error() const { return error_; }
  // The scratch file was renamed over the original and is no longer ours to remove.
  void Keep() { kept_ = true; }

  // Copies the regular file `source` into the scratch file with its mode and owner, flushes it to the
  // disk and closes it; false with the reason when any read or write fails or source is no regular
  // file.
  bool CopyFrom(const std::string& source);

 private:
  bool CopyAll(int in, const std::string& source);
  bool Fail(const std::string& what, int error);

  // Belongs to the thread that saves.
  int fd_ = -1;
  std::string path_;
  std::string error_;
  bool kept_ = false;
};

}  // namespace TYX::Media
