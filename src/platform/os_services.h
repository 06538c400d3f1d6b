#pragma once
// Operating-system services: drives, well-known folders, and opening URLs and help files.
#include <string>
#include <vector>

namespace TYX::Win {

constexpr unsigned DRIVE_UNKNOWN = 0;
constexpr unsigned DRIVE_REMOVABLE = 2;
constexpr unsigned DRIVE_FIXED = 3;
constexpr unsigned DRIVE_REMOTE = 4;
constexpr unsigned DRIVE_CDROM = 5;

struct DriveInfo {
  std::string root;    // mount point, ending without a slash except for "/"
  unsigned kind = DRIVE_UNKNOWN;
  std::string fsType;  // as the kernel names it
};

struct OpenRequest {
  enum class Kind { Url, HelpFile } kind = Kind::Url;
  std::string target;  // the URL or help file path
  std::string topic;   // help topic, when given
};

class Os {
 public:
  // The mounted local file systems (fixed), network ones (remote) and optical media (CD-ROM); pseudo
  // file systems are left out. Tests may replace the list.
  static std::vector<DriveInfo> GetDrives();
  static void SetDrivesForTesting(const std::vector<DriveInfo>& drives);
  static void ClearDrivesForTesting();
  // Parses a mount table in the format of /proc/self/mounts.
  static std::vector<DriveInfo> ParseMountTable(const std::string& text);

  static std::string GetTempFolder();       // $TMPDIR or /tmp
  static std::string GetModuleFolder();     // folder of the running program
  static std::string GetHomeFolder();       // $HOME
  static std::string GetDocumentsFolder();  // $XDG_DOCUMENTS_DIR or ~/Documents
  static std::string GetMusicFolder();      // $XDG_MUSIC_DIR or ~/Music
  static std::string GetConfigFolder();     // $XDG_CONFIG_HOME/sonvar or ~/.config/sonvar
  static std::string GetStateFolder();      // $XDG_STATE_HOME/sonvar or ~/.local/state/sonvar
  static std::string GetDataFolder();       // $XDG_DATA_HOME/sonvar or ~/.local/share/sonvar

  // Recorded; also handed to the desktop's opener when TYX_USE_DESKTOP_OPENER is set and one exists.
  static void OpenUrl(const std::string& url);
  static void OpenHelpFile(const std::string& path, const std::string& topic = {});
  static std::vector<OpenRequest> GetOpenRequests();
  static void ClearOpenRequests();
};

}  // namespace TYX::Win
