#pragma once
// Real file-system conditions for fault tests: a small tmpfs that fills up, and a read-only view of a
// folder. Both need the right to mount (root, or a user namespace); where that is missing, Mounted() is
// false and Error() says why, and the test skips with that text.
#include <cstdint>
#include <string>

#include "helpers/temp_dir.h"

namespace TYX::Test {

class SmallFileSystem {
 public:
  // A tmpfs of `bytes` bytes (rounded up to whole pages by the kernel).
  explicit SmallFileSystem(std::uint64_t bytes);
  ~SmallFileSystem();
  SmallFileSystem(const SmallFileSystem&) = delete;
  SmallFileSystem& operator=(const SmallFileSystem&) = delete;

  bool Mounted() const { return mounted_; }
  const std::string& Error() const { return error_; }
  const std::string& Path() const { return dir_.Path(); }
  std::string File(const std::string& name) const { return dir_.File(name); }
  std::string Write(const std::string& name, const std::string& content) const { return dir_.Write(name, content); }

  // Takes every free byte with a filler file, so the next write that needs a block fails with ENOSPC.
  // Returns the bytes taken.
  std::uint64_t FillUp();
  // Removes the filler again.
  void Release();
  std::uint64_t FreeBytes() const;

 private:
  TempDir dir_;
  bool mounted_ = false;
  std::string error_;
};

// A read-only bind mount of an existing folder: every write below Path() fails with EROFS, even for
// root. The source folder itself stays writable.
class ReadOnlyView {
 public:
  explicit ReadOnlyView(const std::string& source);
  ~ReadOnlyView();
  ReadOnlyView(const ReadOnlyView&) = delete;
  ReadOnlyView& operator=(const ReadOnlyView&) = delete;

  bool Mounted() const { return mounted_; }
  const std::string& Error() const { return error_; }
  const std::string& Path() const { return dir_.Path(); }
  std::string File(const std::string& name) const { return dir_.File(name); }

 private:
  TempDir dir_;
  bool mounted_ = false;
  std::string error_;
};

}  // namespace TYX::Test
