#include "convert/ripping_folders.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/os_services.h"
#include "util/file_system.h"

namespace TYX::Convert {

namespace {

constexpr const char* kRefused = "/\\:*?\"<>|";

// Makes one folder; true when it exists as a folder afterwards.
bool MakeFolder(const std::string& folder, std::string& reason) {
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (::mkdir(path.c_str(), 0755) == 0) return true;
  const int err = errno;
  struct stat st {};
  if (err == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
  reason = err == EEXIST ? "a file of that name is in the way" : std::strerror(err);
  return false;
}

}  // namespace

std::string TYX_RippingFolders::CleanName(const std::string& text) {
  std::string name;
  name.reserve(text.size());
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    name += (u < 0x20 || u == 0x7F || std::strchr(kRefused, c) != nullptr) ? '_' : c;
  }
  const std::size_t first = name.find_first_not_of(' ');
  name = first == std::string::npos ? std::string() : name.substr(first);
  while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.pop_back();
  if (name.size() > kMaxNameBytes) {
    std::size_t cut = kMaxNameBytes;
    // Back to the start of a UTF-8 sequence.
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.resize(cut);
    while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.pop_back();
  }
  if (name.empty()) name = "_";
  return name;
}

std::string TYX_RippingFolders::LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string TYX_RippingFolders::NormalizeFolder(const std::string& folder) {
  std::string in = folder + "/";
  std::string out;
  out.reserve(in.size());
  for (char c : in) {
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out += c;
  }
  return out;
}

bool TYX_RippingFolders::IsDriveRoot(const std::string& folder) {
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.empty()) return false;
  for (const auto& drive : Win::Os::GetDrives()) {
    if (drive.root == path) return true;
  }
  return false;
}

std::string TYX_RippingFolders::TargetFolder(const std::string& saveFolder, const std::string& artist,
                                             const std::string& album) {
  return NormalizeFolder(saveFolder) + LowerAscii(CleanName(artist)) + "/" + LowerAscii(CleanName(album)) + "/";
}

TYX_RippingFolders::Prepared TYX_RippingFolders::Prepare(const std::string& saveFolder, const std::string& artist,
                                                         const std::string& album) {
  Prepared p;
  const std::string save = NormalizeFolder(saveFolder);
  if (!IsDriveRoot(save)) {
    // The save folder may lie below folders that do not exist yet (the first use's default does).
    std::string path = save;
    path.pop_back();
    struct stat st {};
    if (!Util::CreateAllFolder(path) || ::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      p.failedFolder = save;
      p.reason = "the folder cannot be made";
      return p;
    }
  }
  const std::string artistFolder = save + LowerAscii(CleanName(artist)) + "/";
  if (!MakeFolder(artistFolder, p.reason)) {
    p.failedFolder = artistFolder;
    return p;
  }
  const std::string albumFolder = artistFolder + LowerAscii(CleanName(album)) + "/";
  if (!MakeFolder(albumFolder, p.reason)) {
    p.failedFolder = albumFolder;
    return p;
  }
  p.target = albumFolder;
  return p;
}

}  // namespace TYX::Convert
