#include "util/file_system.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "util/file_name.h"

namespace TYX::Util {
namespace fs = std::filesystem;

std::uint64_t GetFileSize(const std::string& path) {
  std::error_code ec;
  if (path.empty() || !fs::is_regular_file(fs::path(path), ec)) return 0;
  const std::uintmax_t size = fs::file_size(fs::path(path), ec);
  return ec ? 0 : static_cast<std::uint64_t>(size);
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(fs::path(path), ec);
}

bool CreateAllFolder(const std::string& folder) {
  if (folder.empty()) return false;
  std::error_code ec;
  fs::create_directories(fs::path(folder), ec);
  return fs::is_directory(fs::path(folder), ec);
}

std::string GetTempFolder() {
  std::error_code ec;
  std::string dir = fs::temp_directory_path(ec).string();
  if (ec || dir.empty()) dir = "/tmp";
  if (dir.back() != '/') dir += '/';
  return dir;
}

std::string GetTempFileName(const std::string& prefix) {
  std::string pattern = GetTempFolder() + (prefix.empty() ? std::string("tyx") : prefix) + "XXXXXX";
  const int fd = mkstemp(pattern.data());
  if (fd < 0) return std::string();
  close(fd);
  return pattern;
}

namespace {

bool Taken(const std::string& path) { return GetFileSize(path) >= 1; }

// Cuts the name before the first "(" that closes after one or two characters.
std::string CutNumbering(const std::string& title) {
  for (std::size_t open = title.find('('); open != std::string::npos; open = title.find('(', open + 1)) {
    const std::size_t close = title.find(')', open + 1);
    if (close == std::string::npos) break;
    const std::size_t inside = CountUtf8Chars(title.substr(open + 1, close - open - 1));
    if (inside == 1 || inside == 2) return title.substr(0, open);
  }
  return title;
}

}  // namespace

std::string NewFile(const std::string& path) {
  if (!Taken(path)) return path;
  const std::string folder = GetFilePath(path);
  const std::string ext = GetFileExt(path);
  const std::string dotExt = ext.empty() ? std::string() : "." + ext;
  const std::string title = CutNumbering(GetFileTitle(path));
  std::string candidate = folder + title + dotExt;
  for (int n = 1; Taken(candidate); ++n) {
    if (n > 100000) return std::string();
    candidate = folder + title + "[" + std::to_string(n) + "]" + dotExt;
  }
  return candidate;
}

}  // namespace TYX::Util
