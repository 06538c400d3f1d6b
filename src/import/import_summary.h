#pragma once
// What one import run did, for the host to show: how many songs were added, how many were in the
// library already, and each failure with its path and reason.
#include <string>
#include <vector>

namespace TYX::Library {

enum class TYX_ImportFailure {
  None,
  Missing,     // the path names nothing (any more)
  Unreadable,  // a file or folder that cannot be opened or listed
  NotAudio,    // not a regular file, or not one of the audio formats
  Damaged,     // an audio name whose content is empty or not that format
  Refused,     // the library store did not take it
};

// "missing", "unreadable", "not audio", "damaged", "refused by the library"; empty for None.
const char* ImportFailureText(TYX_ImportFailure reason);

struct TYX_ImportSummary {
  struct Failure {
    std::string path;
    TYX_ImportFailure reason = TYX_ImportFailure::None;
  };
  int added = 0;
  int alreadyThere = 0;
  std::vector<Failure> failures;

  int Failed() const { return static_cast<int>(failures.size()); }
  void AddFailure(const std::string& path, TYX_ImportFailure reason) { failures.push_back({path, reason}); }
  // Adds another run's figures and failures.
  void Merge(const TYX_ImportSummary& other);
  // One line: "added 3, already there 1, failed 2".
  std::string Text() const;
};

}  // namespace TYX::Library
