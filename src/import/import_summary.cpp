#include "import/import_summary.h"

namespace TYX::Library {

const char* ImportFailureText(TYX_ImportFailure reason) {
  switch (reason) {
    case TYX_ImportFailure::None: return "";
    case TYX_ImportFailure::Missing: return "missing";
    case TYX_ImportFailure::Unreadable: return "unreadable";
    case TYX_ImportFailure::NotAudio: return "not audio";
    case TYX_ImportFailure::Damaged: return "damaged";
    case TYX_ImportFailure::Refused: return "refused by the library";
  }
  return "";
}

void TYX_ImportSummary::Merge(const TYX_ImportSummary& other) {
  added += other.added;
  alreadyThere += other.alreadyThere;
  failures.insert(failures.end(), other.failures.begin(), other.failures.end());
}

std::string TYX_ImportSummary::Text() const {
  return "added " + std::to_string(added) + ", already there " + std::to_string(alreadyThere) + ", failed " +
         std::to_string(Failed());
}

}  // namespace TYX::Library
