#pragma once
// The web identification service: a fingerprint and a duration in, recordings out.
//
// Request: GET <base>/v1/identify?duration=<seconds>&fingerprint=<compressed fingerprint>, where base is
// "http://<host>" for a host named in the configuration attribute "MTAGGING_HOST" (a value that already
// starts with http:// or https:// is taken as the base). Answer (JSON):
//   {"status": "ok", "recordings": [{"id": 1234, "web_id": 5678, "score": 0.97, "title": "...",
//     "artist": {"id": 12, "name": "..."}, "album": {"id": 34, "title": "..."}, "genre": "...",
//     "track": 3}, ...]}
// A missing text is empty and a missing id has no value; recordings that are not objects are skipped.
// Any other status, an answer that is not such JSON, and every transport failure are errors.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "components/tagging/audio_fingerprint.h"

namespace TYX::Tagging {

constexpr const char* kServiceHostAttribute = "MTAGGING_HOST";
// Longest wait for data from the service, in milliseconds (default 15000).
constexpr const char* kServiceTimeoutAttribute = "MTAGGING_TIMEOUT_MS";

struct WebRecording {
  std::optional<std::int64_t> id;
  std::optional<std::int64_t> webId;
  std::optional<std::int64_t> artistId;
  std::optional<std::int64_t> albumId;
  std::optional<std::int64_t> track;
  double score = 0.0;  // 0 to 1
  std::string title;
  std::string artist;
  std::string album;
  std::string genre;
};

struct WebLookupResult {
  bool ok = false;
  std::vector<WebRecording> recordings;  // as the service ranked them
  std::string error;
};

struct WebServiceSettings {
  std::string base;  // "http://host:port"; empty: no service
  std::uint32_t connectTimeoutMs = 5000;
  std::uint32_t idleTimeoutMs = 15000;
  std::size_t maxAnswerBytes = 1u << 20;
  std::size_t maxRecordings = 20;

  // From the configuration service.
  static WebServiceSettings FromConfiguration();
  // "host", "host:port" or a full http(s) base; trailing slashes dropped. Empty for an empty value.
  static std::string BaseOf(const std::string& hostValue);
};

WebLookupResult WebIdentify(const WebServiceSettings& settings, const AudioFingerprint& fingerprint);
// Reads an answer of the service (exposed for the tests of odd answers).
WebLookupResult ParseWebAnswer(const std::string& json, std::size_t maxRecordings);

}  // namespace TYX::Tagging
