#include "tags/tag_candidate_search.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "contracts/music_identifier.h"
#include "platform/messaging.h"
#include "util/log.h"
#include "util/log_scope.h"

namespace TYX::Dialog {

TYX_TagCandidateSearch::~TYX_TagCandidateSearch() { Join(); }

std::string TYX_TagCandidateSearch::GetID(const std::string& prefix, int digits, const std::string& value,
                                          bool allowEmpty) {
  long long n = 0;
  if (!value.empty()) {
    errno = 0;
    char* end = nullptr;
    n = std::strtoll(value.c_str(), &end, 10);
    if (end == value.c_str() || errno != 0 || n < 0) n = 0;
  } else if (allowEmpty) {
    return {};
  }
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%0*lld", prefix.c_str(), digits, n);
  return buf;
}

TYX_TagSearchResult TYX_TagCandidateSearch::Lookup(const std::string& path) {
  TYX_LogScope scope("TYX_TagCandidateSearch::Lookup");
  TYX_TagSearchResult result;
  std::string error;
  std::unique_ptr<TYX_MusicIdentifier> component = TYX_MusicIdentifier::Create(&error);
  if (!component && TYX_MusicIdentifier::Register()) component = TYX_MusicIdentifier::Create(&error);
  if (!component) {
    result.error = error;
    return result;
  }
  if (component->Initialize() != kIdentifyOk) {
    result.error = "the identification component could not be initialised";
    return result;
  }
  if (component->IdentifyFile(path) != kIdentifyOk) {
    result.error = "the identification did not run";
    return result;
  }
  result.ran = true;
  result.status = component->GetStatus();
  if (result.status != kIdentifyStatusFound) {
    result.error = component->GetStatusText();
    return result;
  }
  const std::int32_t count = component->GetCandidateCount();
  for (std::int32_t i = 0; i < count; ++i) {
    TYX_TagCandidate c;
    c.artist = component->GetArtist(i);
    c.title = component->GetTitle(i);
    c.album = component->GetAlbum(i);
    c.genre = component->GetGenre(i);
    c.number = std::to_string(i + 1);
    c.ids[0] = GetID("MI", 10, component->GetId(i, CandidateId::Song), false);
    c.ids[1] = GetID("WM", 10, component->GetId(i, CandidateId::Web), true);
    c.ids[2] = GetID("MI", 10, component->GetId(i, CandidateId::Album), false);
    c.ids[3] = GetID("MI", 10, component->GetId(i, CandidateId::Artist), false);
    c.ids[4] = GetID("MI", 5, component->GetId(i, CandidateId::Track), false);
    result.candidates.push_back(std::move(c));
  }
  return result;
}

bool TYX_TagCandidateSearch::Start(Win::HWND notify, const std::string& path, Win::LPARAM* number) {
  if (running_.load()) return false;
  Join();
  {
    std::lock_guard lock(mutex_);
    result_.reset();
  }
  const Win::LPARAM serial = ++serial_;
  if (number != nullptr) *number = serial;
  running_ = true;
  Win::PostMessage(notify, kTagSearchStatus, kTagSearchStarted, serial);
  thread_ = std::thread([this, notify, path, serial] {
    TYX_TagSearchResult result;
    try {
      result = Lookup(path);
    } catch (const std::exception& e) {
      TYX_Log::Instance()->Add("TYX_TagCandidateSearch : the lookup failed : %s", e.what());
      result = TYX_TagSearchResult{};
      result.error = e.what();
    }
    {
      std::lock_guard lock(mutex_);
      result_ = std::move(result);
    }
    running_ = false;
    Win::PostMessage(notify, kTagSearchStatus, kTagSearchDone, serial);
  });
  return true;
}

std::optional<TYX_TagSearchResult> TYX_TagCandidateSearch::TakeResult() {
  if (running_.load()) return std::nullopt;
  std::lock_guard lock(mutex_);
  return std::exchange(result_, std::nullopt);
}

void TYX_TagCandidateSearch::Join() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace TYX::Dialog
