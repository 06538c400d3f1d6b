#pragma once
// A listing of one device folder, filled by dmGetFileList.
#include <cstdint>
#include <string>
#include <vector>

namespace TYX {

// Attribute bit of a folder entry.
constexpr std::uint32_t DM_FILE_ATTRIBUTE_DIRECTORY = 0x10;

struct FileItem {
  std::string strName;   // name inside the folder, no path
  std::uint64_t nSize = 0;  // bytes; 0 for folders
  std::uint32_t dwAttributes = 0;  // DM_FILE_ATTRIBUTE_* bits

  bool IsFolder() const { return (dwAttributes & DM_FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

class FileInfo {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  // The entry at an index; index must be below Count().
  const FileItem& GetItem(int index) const { return items_.at(static_cast<std::size_t>(index)); }
  const FileItem& operator[](int index) const { return GetItem(index); }
  // Index of the entry of that name, or -1. Names compare ignoring ASCII case, as device file
  // systems do.
  int Find(const std::string& name) const;
  void Add(FileItem item) { items_.push_back(std::move(item)); }
  void Clear() { items_.clear(); }

 private:
  std::vector<FileItem> items_;
};

}  // namespace TYX
