#include "components/store/presence_sweep.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <unordered_map>

namespace TYX::Store {

namespace {

// A listing is given up when it runs past this many entries per file asked for (and the floor below):
// reading a folder of 50 000 files to answer for two of them costs more than two look-ups.
constexpr std::size_t kEntriesPerAsked = 64;
constexpr std::size_t kEntriesFloor = 256;

bool IsRegular(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

struct Folder {
  std::size_t asked = 0;         // files of the sweep in this folder not answered yet
  bool tried = false;            // a listing was attempted
  bool listed = false;           // it succeeded: the names below are the folder's
  std::vector<std::string> regular;  // sorted; entries that are regular files
  std::vector<std::string> unsure;   // sorted; links and entries of unknown type
};

bool Contains(const std::vector<std::string>& sorted, std::string_view name) {
  auto it = std::lower_bound(sorted.begin(), sorted.end(), name,
                             [](const std::string& a, std::string_view b) { return std::string_view(a) < b; });
  return it != sorted.end() && std::string_view(*it) == name;
}

// Reads the folder's entries; false when it cannot be read or holds more than limit entries.
bool List(const std::string& path, std::size_t limit, Folder& folder) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    ::close(fd);
    return false;
  }
  std::size_t entries = 0;
  bool ok = true;
  while (const dirent* e = ::readdir(dir)) {
    if (++entries > limit) {
      ok = false;
      break;
    }
    if (e->d_type == DT_REG) folder.regular.emplace_back(e->d_name);
    else if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) folder.unsure.emplace_back(e->d_name);
  }
  ::closedir(dir);
  if (!ok) {
    folder.regular.clear();
    folder.unsure.clear();
    return false;
  }
  std::sort(folder.regular.begin(), folder.regular.end());
  std::sort(folder.unsure.begin(), folder.unsure.end());
  return true;
}

}  // namespace

std::vector<bool> TYX_PresenceSweep::Check(const std::vector<std::string_view>& paths) {
  // The folder part of each path ("/" for a file at the root); empty when the path has no folder part.
  auto folderOf = [](std::string_view path) -> std::string_view {
    const std::size_t cut = path.rfind('/');
    if (cut == std::string_view::npos || cut + 1 == path.size()) return {};
    return path.substr(0, cut == 0 ? 1 : cut);
  };
  std::unordered_map<std::string_view, Folder> folders;
  for (std::string_view p : paths) {
    const std::string_view f = folderOf(p);
    if (!f.empty()) ++folders[f].asked;
  }
  std::vector<bool> present(paths.size(), false);
  std::string full;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const std::string_view path = paths[i];
    full.assign(path);
    const std::string_view f = folderOf(path);
    auto it = f.empty() ? folders.end() : folders.find(f);
    if (it == folders.end()) {
      present[i] = IsRegular(full);
      continue;
    }
    Folder& folder = it->second;
    if (!folder.tried && folder.asked > 1) {
      folder.tried = true;
      folder.listed = List(std::string(f), std::max(kEntriesFloor, folder.asked * kEntriesPerAsked), folder);
    }
    if (!folder.listed) {
      present[i] = IsRegular(full);
    } else {
      const std::string_view name = path.substr(path.rfind('/') + 1);
      present[i] = Contains(folder.regular, name) || (Contains(folder.unsure, name) && IsRegular(full));
    }
    // A folder's names are let go once its last file is answered.
    if (--folder.asked == 0) {
      folder.regular = {};
      folder.unsure = {};
    }
  }
  return present;
}

}  // namespace TYX::Store
