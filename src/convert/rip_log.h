#pragma once
// The log of one rip, written beside the ripped tracks: the drive, the disc, and for every track its
// length, file, CRC32, AccurateRip v1 and v2 checksums and the result, compared with the latest
// earlier rip of the same disc.
#include <cstdint>
#include <string>
#include <vector>

#include "convert/accurate_rip.h"
#include "convert/rip_log_store.h"

namespace TYX::Convert {

struct TYX_RipLogTrack {
  enum class State { Waiting, Ripped, Failed, Cancelled };

  int track = -1;  // zero-based
  std::int64_t lengthBytes = 0;
  std::string target;  // the file written; empty when none
  State state = State::Waiting;
  std::string failure;  // why the rip failed
  bool verified = false;
  TYX_TrackChecksums sums;
  std::string verifyError;  // why the checksums could not be taken
  bool hasEarlier = false;
  TYX_RipLogStore::Entry earlier;

  // Verified, an earlier rip exists, and one of the checksums differs from it.
  bool Differs() const;
};

class TYX_RipLog {
 public:
  std::string drive;   // device node or image path
  std::string discId;  // TYX_RipLogStore::DiscId of the disc
  std::string artist;
  std::string album;
  std::string format;  // "OGG Q5", "MP3 128kbps", ...
  std::string folder;  // the target folder
  std::string started;
  std::vector<TYX_RipLogTrack> tracks;

  std::string Text() const;
  // Zero-based numbers of the tracks that differ from an earlier rip.
  std::vector<int> DifferingTracks() const;

  // "m:ss.ff" (ff in 1/75 s) of a length in bytes of CD audio.
  static std::string LengthText(std::int64_t bytes);
  // Writes the text to a file beside the final one and renames it into place, so the file is whole or
  // absent. False with the reason on failure (the partial copy is removed).
  static bool WriteTextFile(const std::string& path, const std::string& text, std::string* error);
  // Local time as "YYYY-MM-DD HH:MM:SS".
  static std::string Now();
};

}  // namespace TYX::Convert
