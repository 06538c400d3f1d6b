#include "platform/os_services.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>

namespace TYX::Win {
namespace {

std::mutex g_osMutex;
std::optional<std::vector<DriveInfo>> g_testDrives;  // guarded by g_osMutex
std::vector<OpenRequest> g_openRequests;            // guarded by g_osMutex

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

// Mount tables escape spaces and a few other bytes as octal.
std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size()) {
      const std::string oct = s.substr(i + 1, 3);
      if (oct.size() == 3 && oct.find_first_not_of("01234567") == std::string::npos) {
        out.push_back(static_cast<char>(std::stoi(oct, nullptr, 8)));
        i += 3;
        continue;
      }
    }
    out.push_back(s[i]);
  }
  return out;
}

unsigned KindOf(const std::string& fs) {
  static const std::set<std::string> fixed = {"ext2", "ext3", "ext4", "xfs", "btrfs", "vfat", "exfat",
                                              "ntfs", "ntfs3", "f2fs", "jfs", "reiserfs", "zfs", "hfsplus",
                                              "fuseblk"};
  static const std::set<std::string> remote = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs",
                                               "9p", "afs", "ceph", "glusterfs"};
  static const std::set<std::string> optical = {"iso9660", "udf"};
  if (fixed.count(fs)) return DRIVE_FIXED;
  if (remote.count(fs)) return DRIVE_REMOTE;
  if (optical.count(fs)) return DRIVE_CDROM;
  return DRIVE_UNKNOWN;
}

std::string HomeOr(const std::string& envName, const std::string& fallbackUnderHome) {
  std::string v = Env(envName.c_str());
  if (!v.empty()) return v;
  return Os::GetHomeFolder() + "/" + fallbackUnderHome;
}

void HandToDesktop(const std::string& target) {
  if (Env("TYX_USE_DESKTOP_OPENER").empty()) return;
  if (::access("/usr/bin/xdg-open", X_OK) != 0) return;
  // Double fork, so the opener is never left as a zombie of ours.
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::fork() == 0) {
      ::execl("/usr/bin/xdg-open", "xdg-open", target.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::_exit(0);
  }
  if (pid > 0) ::waitpid(pid, nullptr, 0);
}

}  // namespace

std::vector<DriveInfo> Os::ParseMountTable(const std::string& text) {
  std::vector<DriveInfo> drives;
  std::istringstream in(text);
  std::string line;
  std::set<std::string> seen;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string device, mountPoint, fs;
    if (!(fields >> device >> mountPoint >> fs)) continue;
    const unsigned kind = KindOf(fs);
    if (kind == DRIVE_UNKNOWN) continue;
    mountPoint = Unescape(mountPoint);
    if (!seen.insert(mountPoint).second) continue;
    drives.push_back(DriveInfo{mountPoint, kind, fs});
  }
  return drives;
}

std::vector<DriveInfo> Os::GetDrives() {
  {
    std::lock_guard<std::mutex> lk(g_osMutex);
    if (g_testDrives) return *g_testDrives;
  }
  std::ifstream f("/proc/self/mounts");
  std::stringstream ss;
  ss << f.rdbuf();
  return ParseMountTable(ss.str());
}

void Os::SetDrivesForTesting(const std::vector<DriveInfo>& drives) {
  std::lock_guard<std::mutex> lk(g_osMutex);
  g_testDrives = drives;
}

void Os::ClearDrivesForTesting() {
  std::lock_guard<std::mutex> lk(g_osMutex);
  g_testDrives.reset();
}

std::string Os::GetTempFolder() {
  std::string t = Env("TMPDIR");
  return t.empty() ? "/tmp" : t;
}

std::string Os::GetModuleFolder() {
  char buf[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return ".";
  std::string path(buf, static_cast<size_t>(n));
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string Os::GetHomeFolder() {
  std::string h = Env("HOME");
  return h.empty() ? GetTempFolder() : h;
}

std::string Os::GetDocumentsFolder() { return HomeOr("XDG_DOCUMENTS_DIR", "Documents"); }
std::string Os::GetMusicFolder() { return HomeOr("XDG_MUSIC_DIR", "Music"); }
std::string Os::GetConfigFolder() { return HomeOr("XDG_CONFIG_HOME", ".config") + "/sonvar"; }
std::string Os::GetStateFolder() { return HomeOr("XDG_STATE_HOME", ".local/state") + "/sonvar"; }
std::string Os::GetDataFolder() { return HomeOr("XDG_DATA_HOME", ".local/share") + "/sonvar"; }

void Os::OpenUrl(const std::string& url) {
  {
    std::lock_guard<std::mutex> lk(g_osMutex);
    g_openRequests.push_back(OpenRequest{OpenRequest::Kind::Url, url, {}});
  }
  HandToDesktop(url);
}

void Os::OpenHelpFile(const std::string& path, const std::string& topic) {
  {
    std::lock_guard<std::mutex> lk(g_osMutex);
    g_openRequests.push_back(OpenRequest{OpenRequest::Kind::HelpFile, path, topic});
  }
  HandToDesktop(path);
}

std::vector<OpenRequest> Os::GetOpenRequests() {
  std::lock_guard<std::mutex> lk(g_osMutex);
  return g_openRequests;
}

void Os::ClearOpenRequests() {
  std::lock_guard<std::mutex> lk(g_osMutex);
  g_openRequests.clear();
}

}  // namespace TYX::Win
