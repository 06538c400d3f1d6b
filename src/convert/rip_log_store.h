#pragma once
// The checksums of every verified rip, kept per disc so that ripping the same disc again can be
// compared with the rips before it. One text file per disc in the history folder; each verified track
// appends one line ("track crc v1 v2 frames when target", tab-separated), so a rip that is cancelled
// keeps what it verified and a torn last line is skipped on reading.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "convert/accurate_rip.h"

namespace TYX::Convert {

class TYX_RipLogStore {
 public:
  struct Entry {
    int track = -1;  // zero-based
    TYX_TrackChecksums sums;
    std::string when;    // "YYYY-MM-DD HH:MM:SS", local time of the rip
    std::string target;  // the file the track was ripped to
  };

  // The history folder: the user's state folder (XDG) + "/rips".
  static std::string DefaultFolder();
  explicit TYX_RipLogStore(std::string folder = DefaultFolder());

  // Names a disc by its table of contents: the track count and every track's length in bytes.
  static std::string DiscId(const std::vector<std::int64_t>& trackLengths);

  // The latest entry of each track of the disc; empty when the disc was never verified.
  std::map<int, Entry> Latest(const std::string& discId) const;
  // Appends one entry; false with the reason when the history cannot be written.
  bool Append(const std::string& discId, const Entry& entry, std::string* error) const;

  const std::string& Folder() const { return folder_; }
  std::string FileOf(const std::string& discId) const { return folder_ + "/" + discId + ".txt"; }

 private:
  std::string folder_;
};

}  // namespace TYX::Convert
