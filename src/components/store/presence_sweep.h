#pragma once
// Whether the files of many songs are on disk, asked for a whole list at once. A folder that holds
// several of the files is listed once instead of asking for each file (a library of 100 000 songs
// spends most of a presence check in the system's path look-ups otherwise). A folder that cannot be
// listed, or lists far more entries than the files asked for, is asked file by file; so is an entry
// that is a link or whose type the listing does not give. The answers are what a test for a regular
// file (after following links) gives at the time of the sweep.
#include <string_view>
#include <vector>

namespace TYX::Store {

class TYX_PresenceSweep {
 public:
  // One answer per path, in order: true for a regular file.
  static std::vector<bool> Check(const std::vector<std::string_view>& paths);
};

}  // namespace TYX::Store
