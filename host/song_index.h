#pragma once
// The identification component's local index, as the host uses it: songs whose tags are known are
// remembered by their sound, so that an untagged copy of one of them is identified without the network.
// The index file lies beside the library (music_fingerprints.db in the data folder).
#include <string>
#include <memory>

#include "contracts/music_identifier.h"

namespace TYX::Host {

class SongIndex {
 public:
  // The index file that goes with a library file: the same folder.
  static std::string FileBeside(const std::string& libraryFile);
  // Points the component at the index beside the library. Done before any search or remembering.
  static void UseIndexBeside(const std::string& libraryFile);

  SongIndex();
  ~SongIndex();

  // Adds or refreshes one song from its current tags. Empty on success, else the reason.
  std::string Remember(const std::string& path);

 private:
  std::string Ready();

  std::unique_ptr<TYX_MusicIdentifier> component_;  // made on first use; the command's thread
  std::string error_;                              // why the component is not ready
  bool tried_ = false;
};

}  // namespace TYX::Host
