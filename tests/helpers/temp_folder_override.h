#pragma once
// Points TMPDIR at a folder of the test's own while it lives, so the temporary copies the code makes
// can be found and counted; the earlier value (or its absence) comes back when it goes.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace TYX::Test {

class TempFolderOverride {
 public:
  // Makes the folder when it is missing.
  explicit TempFolderOverride(std::string folder) : folder_(std::move(folder)) {
    const char* old = std::getenv("TMPDIR");
    hadOld_ = old != nullptr;
    if (hadOld_) old_ = old;
    std::filesystem::create_directories(folder_);
    ::setenv("TMPDIR", folder_.c_str(), 1);
  }
  ~TempFolderOverride() {
    if (hadOld_) {
      ::setenv("TMPDIR", old_.c_str(), 1);
    } else {
      ::unsetenv("TMPDIR");
    }
  }
  TempFolderOverride(const TempFolderOverride&) = delete;
  TempFolderOverride& operator=(const TempFolderOverride&) = delete;

  const std::string& Path() const { return folder_; }

 private:
  std::string folder_;
  std::string old_;
  bool hadOld_ = false;
};

}  // namespace TYX::Test
