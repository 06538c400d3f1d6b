#include "import/folder_walker.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace TYX::Library {
namespace {

std::string Join(const std::string& folder, const char* name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

}  // namespace

std::string TYX_FolderWalker::TrimFolder(const std::string& folder) {
  if (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) return folder.substr(0, folder.size() - 1);
  return folder;
}

bool TYX_FolderWalker::IsPseudoFileSystem(long magic) {
  switch (static_cast<unsigned long>(magic) & 0xFFFFFFFFul) {
    case 0x9FA0:      // proc
    case 0x62656572:  // sysfs
    case 0x1CD1:      // devpts
    case 0x64626720:  // debugfs
    case 0x74726163:  // tracefs
    case 0x27E0EB:    // cgroup
    case 0x63677270:  // cgroup2
    case 0x73636673:  // securityfs
    case 0x6165676C:  // pstore
    case 0xCAFE4A11:  // bpf
    case 0x62656570:  // configfs
    case 0x65735543:  // fusectl
    case 0x19800202:  // mqueue
    case 0x958458F6:  // hugetlbfs
    case 0x42494E4D:  // binfmt_misc
    case 0x0187:      // autofs
    case 0x50495045:  // pipefs
    case 0x534F434B:  // sockfs
    case 0x6E736673:  // nsfs
      return true;
    default:
      return false;
  }
}

bool TYX_FolderWalker::Walk(const std::string& folder, const Callbacks& callbacks) {
  return WalkOne(TrimFolder(folder), 0, true, callbacks);
}

bool TYX_FolderWalker::WalkOne(const std::string& folder, dev_t parentDev, bool isRoot, const Callbacks& cb) {
  struct stat self {};
  std::string why;
  if (::stat(folder.c_str(), &self) != 0) {
    why = std::strerror(errno);
  } else if (!S_ISDIR(self.st_mode)) {
    why = "not a folder";
  }
  if (!why.empty()) return !cb.onFailure || cb.onFailure(folder, why) == Visit::Continue;
  if (!visited_.insert({self.st_dev, self.st_ino}).second) return true;
  if (isRoot || self.st_dev != parentDev) {
    struct statfs fs {};
    if (::statfs(folder.c_str(), &fs) == 0 && IsPseudoFileSystem(static_cast<long>(fs.f_type))) return true;
  }

  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) {
    const std::string why = std::strerror(errno);
    return !cb.onFailure || cb.onFailure(folder, why) == Visit::Continue;
  }
  if (cb.onFolder && cb.onFolder(folder) == Visit::Stop) {
    ::closedir(dir);
    return false;
  }
  // The listing is read whole first, so deep trees hold one open folder at a time.
  std::vector<std::pair<std::string, EntryKind>> files;
  std::vector<std::string> folders;
  errno = 0;
  while (const dirent* e = ::readdir(dir)) {
    const char* name = e->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    const std::string path = Join(folder, name);
    struct stat lst {};
    if (::lstat(path.c_str(), &lst) != 0) continue;  // gone since it was listed
    if (S_ISDIR(lst.st_mode)) {
      if (recursive_ && !(skipHidden_ && name[0] == '.')) folders.push_back(path);
      continue;
    }
    if (S_ISREG(lst.st_mode)) {
      files.emplace_back(path, EntryKind::Regular);
    } else if (S_ISLNK(lst.st_mode)) {
      struct stat target {};
      if (::stat(path.c_str(), &target) != 0) {
        files.emplace_back(path, EntryKind::Broken);
      } else {
        // A link to a folder is never followed.
        files.emplace_back(path, S_ISREG(target.st_mode) ? EntryKind::Regular : EntryKind::Other);
      }
    } else {
      files.emplace_back(path, EntryKind::Other);
    }
  }
  const int readError = errno;
  ::closedir(dir);
  if (readError != 0 && cb.onFailure && cb.onFailure(folder, std::strerror(readError)) == Visit::Stop) return false;

  for (const auto& [path, kind] : files) {
    if (cb.onFile && cb.onFile(path, kind) == Visit::Stop) return false;
  }
  for (const std::string& sub : folders) {
    if (!WalkOne(sub, self.st_dev, false, cb)) return false;
  }
  if (cb.onFolderEnd) cb.onFolderEnd(folder);
  return true;
}

}  // namespace TYX::Library
