#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it at the end.
#include <string>

namespace TYX::Test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Writes a file (creating folders) and returns its path.
  std::string Write(const std::string& name, const std::string& content) const;

 private:
  std::string path_;
};

std::string ReadFileBytes(const std::string& path);

}  // namespace TYX::Test
