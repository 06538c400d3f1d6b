#pragma once
// The tag editor's search: asks the music identification component which songs a file holds and keeps
// the candidates, without touching the file. Lookup is the synchronous core; Start runs it on a thread
// of its own and posts kTagSearchStatus to the notify window: state 0 when it starts, 2 when the result
// is ready (TakeResult). A message for a window that is gone is dropped.
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/types.h"

namespace TYX::Dialog {

// The search status message, as the tagging worker posts it: wParam the state (0 searching, 2 done),
// lParam the number of the search.
constexpr Win::UINT kTagSearchStatus = 0x10DB;
constexpr Win::WPARAM kTagSearchStarted = 0;
constexpr Win::WPARAM kTagSearchDone = 2;

// One candidate song.
struct TYX_TagCandidate {
  std::string artist;
  std::string title;
  std::string album;
  std::string genre;  // the fourth text
  std::string number;  // the candidate's number, "%d"
  // Identifier texts: song "MI" + 10 digits, web "WM" + 10 digits (empty without a value), album and
  // artist "MI" + 10 digits, track "MI" + 5 digits.
  std::array<std::string, 5> ids;
  bool operator==(const TYX_TagCandidate&) const = default;
};

struct TYX_TagSearchResult {
  bool ran = false;            // the component was created, initialised and asked
  std::int32_t status = -1;    // the component's status after the identification (0: candidates)
  std::string error;           // why there are no candidates, when known
  std::vector<TYX_TagCandidate> candidates;
};

class TYX_TagCandidateSearch {
 public:
  TYX_TagCandidateSearch() = default;
  ~TYX_TagCandidateSearch();  // waits for a running search
  TYX_TagCandidateSearch(const TYX_TagCandidateSearch&) = delete;
  TYX_TagCandidateSearch& operator=(const TYX_TagCandidateSearch&) = delete;

  // The candidates of a file. Never writes to the file.
  static TYX_TagSearchResult Lookup(const std::string& path);
  // prefix + value read as a decimal number (0 when it is none), zero-padded to digits ("MI0000012345");
  // an empty value gives an empty text when allowEmpty.
  static std::string GetID(const std::string& prefix, int digits, const std::string& value, bool allowEmpty);

  // Starts a search; false while one runs. Returns the search's number through number when given.
  bool Start(Win::HWND notify, const std::string& path, Win::LPARAM* number = nullptr);
  bool IsRunning() const { return running_.load(); }
  // The finished search's result (once), or nothing while it runs or when there is none.
  std::optional<TYX_TagSearchResult> TakeResult();
  // Waits for a running search to end.
  void Join();

 private:
  std::thread thread_;                // started and joined by the owner's thread
  std::atomic<bool> running_{false};  // written by the search thread at its end
  std::mutex mutex_;                  // guards result_
  std::optional<TYX_TagSearchResult> result_;
  Win::LPARAM serial_ = 0;            // owner's thread
};

}  // namespace TYX::Dialog
