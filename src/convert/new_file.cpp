#include "convert/new_file.h"

#include <sys/stat.h>

#include <cctype>

namespace TYX::Convert {

namespace {

constexpr int kMaxNumber = 100000;

// A file of at least one byte is there (a folder counts: it must not be written over either).
bool Taken(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) || st.st_size >= 1;
}

// "song(1)" gives "song"; "Hit (2U)", "(1)" and "song(123)" stay as they are.
std::string CutCopyNumber(const std::string& stem) {
  if (stem.size() < 4 || stem.back() != ')') return stem;
  const std::size_t open = stem.rfind('(');
  if (open == std::string::npos || open == 0) return stem;
  const std::size_t digits = stem.size() - 2 - open;
  if (digits < 1 || digits > 2) return stem;
  for (std::size_t i = open + 1; i + 1 < stem.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(stem[i]))) return stem;
  }
  return stem.substr(0, open);
}

}  // namespace

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string StemOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  // A leading dot names a hidden file, not an extension.
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  std::string out = folder;
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  if (out != "/") out += '/';
  std::size_t start = 0;
  while (start < name.size() && name[start] == '/') ++start;
  return out + name.substr(start);
}

std::string NewFile(const std::string& path) {
  if (!Taken(path)) return path;
  const std::string folder = FolderOf(path);
  const std::string name = path.substr(folder.size());
  const std::string stem = StemOf(name);
  const std::string ext = name.substr(stem.size());
  const std::string base = CutCopyNumber(stem);
  std::string candidate = folder + base + ext;
  for (int n = 1; Taken(candidate); ++n) {
    if (n > kMaxNumber) return std::string();
    candidate = folder + base + "[" + std::to_string(n) + "]" + ext;
  }
  return candidate;
}

}  // namespace TYX::Convert
