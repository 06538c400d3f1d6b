#include "contracts/file_info.h"

#include <cctype>

namespace TYX {

namespace {

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto ca = static_cast<unsigned char>(a[i]);
    const auto cb = static_cast<unsigned char>(b[i]);
    if (std::tolower(ca) != std::tolower(cb)) return false;
  }
  return true;
}

}  // namespace

int FileInfo::Find(const std::string& name) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (EqualsIgnoringAsciiCase(items_[i].strName, name)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace TYX
