#pragma once
// The music identification component behind TYX_MusicIdentifier: Chromaprint fingerprints of a file's
// first two minutes, looked up first in the local fingerprint index beside the library and, when that
// finds nothing, at the web identification service named in the configuration.
//
// Candidates of a local match carry the index's ids (song, artist, album) and no web id; candidates of
// the web service carry the service's ids. A local match never asks the network.
//
// Wiring: a program that links this component whole (the system library does) gets its factory and
// registrar installed when it loads, unless another factory was installed first. Tests call
// InstallTaggingSonvar() themselves.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "components/tagging/web_identify_service.h"
#include "contracts/music_identifier.h"

namespace TYX::Tagging {

class FingerprintIndex;

struct Candidate {
  std::string artist;
  std::string title;
  std::string album;
  std::string genre;
  int score = 0;
  std::optional<std::int64_t> songId, webId, albumId, artistId, track;
};

class TYX_TaggingSonvar final : public TYX_MusicIdentifier {
 public:
  TYX_TaggingSonvar();
  ~TYX_TaggingSonvar() override;

  std::int32_t Initialize() override;
  std::int32_t IdentifyFile(const std::string& path) override;
  std::int32_t GetStatus() const override { return status_; }
  std::string GetStatusText() const override { return statusText_; }
  std::int32_t GetCandidateCount() const override { return static_cast<std::int32_t>(candidates_.size()); }
  std::string GetArtist(std::int32_t index) const override;
  std::string GetTitle(std::int32_t index) const override;
  std::string GetAlbum(std::int32_t index) const override;
  std::string GetGenre(std::int32_t index) const override;
  std::int32_t GetScore(std::int32_t index) const override;
  std::string GetId(std::int32_t index, CandidateId which) const override;
  std::int32_t Remember(const std::string& path) override;

  // True when the last identification was answered by the local index.
  bool LastAnsweredLocally() const { return answeredLocally_; }
  // Settings are read from the configuration at Initialize; tests may set them afterwards.
  void SetWebSettings(const WebServiceSettings& settings) { web_ = settings; }

 private:
  const Candidate* At(std::int32_t index) const;
  void SetStatus(std::int32_t status, std::string text);

  bool initialised_ = false;
  std::unique_ptr<FingerprintIndex> index_;  // null when the index could not be opened
  std::string indexError_;
  WebServiceSettings web_;
  std::int32_t status_ = kIdentifyStatusNotRun;
  std::string statusText_;
  std::vector<Candidate> candidates_;
  bool answeredLocally_ = false;
};

// Installs the factory (a new TYX_TaggingSonvar) and the registrar (which installs the factory again).
void InstallTaggingSonvar();

}  // namespace TYX::Tagging
