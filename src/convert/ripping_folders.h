#pragma once
// The folders a rip goes to: the save folder, and below it a folder for the artist and one for the
// album, both named from what the user typed. A typed text never leaves the save folder: each becomes
// one clean folder name, lower-cased in ASCII only, and the folders created are exactly the target.
#include <string>

namespace TYX::Convert {

class TYX_RippingFolders {
 public:
  // Longest folder name most file systems hold, in bytes.
  static constexpr std::size_t kMaxNameBytes = 255;

  // One folder name from a text: "/", "\", control characters and the characters removable-media file
  // systems refuse (: * ? " < > |) become "_"; outer blanks and trailing dots go (a name of dots only
  // would name the folder itself or its parent); a name left empty becomes "_"; a name over 255 bytes
  // is cut at a character boundary. Multi-byte text is kept as it is.
  static std::string CleanName(const std::string& text);
  // A-Z to a-z; every other byte (UTF-8 sequences included) unchanged.
  static std::string LowerAscii(std::string text);
  // A chosen folder as a save folder: a final "/" added, doubled slashes made single.
  static std::string NormalizeFolder(const std::string& folder);
  // True for the root of a mounted file system (the drive root of the desktop).
  static bool IsDriveRoot(const std::string& folder);
  // The album folder: save folder + artist + "/" + album + "/", names cleaned and lower-cased.
  static std::string TargetFolder(const std::string& saveFolder, const std::string& artist, const std::string& album);

  struct Prepared {
    std::string target;        // the album folder, ending with "/"; empty on failure
    std::string failedFolder;  // the folder that could not be made
    std::string reason;
  };
  // Creates the save folder (unless it is a drive root), then the artist and the album folder. A folder
  // that exists already is fine; anything else that stops one from being made is a failure.
  static Prepared Prepare(const std::string& saveFolder, const std::string& artist, const std::string& album);
};

}  // namespace TYX::Convert
