#include "components/tagging/tagging_sonvar.h"

#include <utility>

#include "components/tagging/audio_fingerprint.h"
#include "components/tagging/fingerprint_index.h"
#include "contracts/media.h"
#include "util/log.h"

namespace TYX::Tagging {
namespace {

std::string IdText(const std::optional<std::int64_t>& v) { return v ? std::to_string(*v) : std::string(); }

}  // namespace

TYX_TaggingSonvar::TYX_TaggingSonvar() = default;
TYX_TaggingSonvar::~TYX_TaggingSonvar() = default;

void TYX_TaggingSonvar::SetStatus(std::int32_t status, std::string text) {
  status_ = status;
  statusText_ = std::move(text);
}

std::int32_t TYX_TaggingSonvar::Initialize() {
  const std::string file = TYX_MusicIdentifier::GetIndexFile();
  index_ = FingerprintIndex::Open(file, indexError_);
  if (!index_) {
    // Identification still works through the web service; only the offline part is missing.
    Util::TYX_Log::Instance()->Add("TYX_TaggingSonvar::Initialize : local index unusable : %s", indexError_.c_str());
  }
  web_ = WebServiceSettings::FromConfiguration();
  initialised_ = true;
  SetStatus(kIdentifyStatusNotRun, {});
  return kIdentifyOk;
}

std::int32_t TYX_TaggingSonvar::IdentifyFile(const std::string& path) {
  candidates_.clear();
  answeredLocally_ = false;
  if (!initialised_) {
    SetStatus(kIdentifyStatusNotRun, "the component is not initialised");
    return kIdentifyFail;
  }
  if (path.empty()) {
    SetStatus(kIdentifyStatusNotRun, "no file named");
    return kIdentifyBadArgument;
  }
  const FingerprintResult fp = FingerprintFile(path);
  if (!fp.ok) {
    SetStatus(kIdentifyStatusUnreadable, fp.error);
    return kIdentifyOk;
  }
  if (index_) {
    for (IndexMatch& m : index_->Lookup(fp.fingerprint.raw)) {
      Candidate c;
      c.artist = std::move(m.song.artist);
      c.title = std::move(m.song.title);
      c.album = std::move(m.song.album);
      c.genre = std::move(m.song.genre);
      c.score = m.score;
      c.songId = m.song.id;
      c.artistId = m.song.artistId;
      c.albumId = m.song.albumId;
      if (m.song.track > 0) c.track = m.song.track;
      candidates_.push_back(std::move(c));
    }
    if (!candidates_.empty()) {
      answeredLocally_ = true;
      SetStatus(kIdentifyStatusFound, {});
      return kIdentifyOk;
    }
  }
  if (web_.base.empty()) {
    SetStatus(kIdentifyStatusNoMatch, "no song of the library sounds like this, and no identification service is configured");
    return kIdentifyOk;
  }
  WebLookupResult web = WebIdentify(web_, fp.fingerprint);
  if (!web.ok) {
    SetStatus(kIdentifyStatusServiceError, web.error);
    return kIdentifyOk;
  }
  for (WebRecording& r : web.recordings) {
    Candidate c;
    c.artist = std::move(r.artist);
    c.title = std::move(r.title);
    c.album = std::move(r.album);
    c.genre = std::move(r.genre);
    c.score = static_cast<int>(r.score * 100.0 + 0.5);
    c.score = c.score < 0 ? 0 : (c.score > 100 ? 100 : c.score);
    c.songId = r.id;
    c.webId = r.webId;
    c.artistId = r.artistId;
    c.albumId = r.albumId;
    c.track = r.track;
    candidates_.push_back(std::move(c));
  }
  if (candidates_.empty()) {
    SetStatus(kIdentifyStatusNoMatch, "the identification service knows no song that sounds like this");
  } else {
    SetStatus(kIdentifyStatusFound, {});
  }
  return kIdentifyOk;
}

const Candidate* TYX_TaggingSonvar::At(std::int32_t index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= candidates_.size()) return nullptr;
  return &candidates_[static_cast<std::size_t>(index)];
}

std::string TYX_TaggingSonvar::GetArtist(std::int32_t index) const { return At(index) ? At(index)->artist : std::string(); }
std::string TYX_TaggingSonvar::GetTitle(std::int32_t index) const { return At(index) ? At(index)->title : std::string(); }
std::string TYX_TaggingSonvar::GetAlbum(std::int32_t index) const { return At(index) ? At(index)->album : std::string(); }
std::string TYX_TaggingSonvar::GetGenre(std::int32_t index) const { return At(index) ? At(index)->genre : std::string(); }
std::int32_t TYX_TaggingSonvar::GetScore(std::int32_t index) const { return At(index) ? At(index)->score : 0; }

std::string TYX_TaggingSonvar::GetId(std::int32_t index, CandidateId which) const {
  const Candidate* c = At(index);
  if (!c) return {};
  switch (which) {
    case CandidateId::Song: return IdText(c->songId);
    case CandidateId::Web: return IdText(c->webId);
    case CandidateId::Album: return IdText(c->albumId);
    case CandidateId::Artist: return IdText(c->artistId);
    case CandidateId::Track: return IdText(c->track);
  }
  return {};
}

std::int32_t TYX_TaggingSonvar::Remember(const std::string& path) {
  if (!initialised_) {
    SetStatus(status_, "the component is not initialised");
    return kIdentifyFail;
  }
  if (path.empty()) return kIdentifyBadArgument;
  if (!index_) {
    statusText_ = "the local index is not available: " + indexError_;
    return kIdentifyFail;
  }
  std::string error;
  TYX_MediaPtr media = TYX_Media::Instance(path, kMediaOpenRead, &error);
  if (!media || !media->IsValid()) {
    statusText_ = "the file's tags cannot be read: " + error;
    return kIdentifyFail;
  }
  IndexedSong song;
  song.path = path;
  song.title = media->GetTitle();
  song.artist = media->GetArtist();
  song.album = media->GetAlbum();
  song.genre = media->GetGenre();
  song.track = media->GetTrack();
  if (song.title.empty()) {
    // A song without a title would identify others as nothing; it is left out (and any old entry goes).
    index_->Remove(path);
    statusText_ = "the file has no title to remember: " + path;
    return kIdentifyFail;
  }
  const FingerprintResult fp = FingerprintFile(path);
  if (!fp.ok) {
    statusText_ = fp.error;
    return kIdentifyFail;
  }
  song.durationMs = fp.fingerprint.durationMs;
  if (!index_->Put(song, fp.fingerprint.raw)) {
    statusText_ = "the local index could not be written: " + index_->LastError();
    return kIdentifyFail;
  }
  return kIdentifyOk;
}

void InstallTaggingSonvar() {
  TYX_MusicIdentifier::SetFactory([](std::string&) -> std::unique_ptr<TYX_MusicIdentifier> {
    return std::make_unique<TYX_TaggingSonvar>();
  });
  TYX_MusicIdentifier::SetRegistrar([] {
    if (!TYX_MusicIdentifier::HasFactory()) {
      TYX_MusicIdentifier::SetFactory([](std::string&) -> std::unique_ptr<TYX_MusicIdentifier> {
        return std::make_unique<TYX_TaggingSonvar>();
      });
    }
    return true;
  });
}

namespace {

// Installs the component at load time when it is linked in and nothing else was installed.
const bool kInstalledAtLoad = [] {
  if (!TYX_MusicIdentifier::HasFactory()) InstallTaggingSonvar();
  return true;
}();

}  // namespace
}  // namespace TYX::Tagging
