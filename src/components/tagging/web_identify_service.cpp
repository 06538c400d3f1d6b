#include "components/tagging/web_identify_service.h"

#include <nlohmann/json.hpp>

#include <cctype>

#include "util/init.h"
#include "util/url_escape.h"
#include "util/web_download.h"

namespace TYX::Tagging {
namespace {

using nlohmann::json;

std::optional<std::int64_t> IdOf(const json& object, const char* key) {
  if (!object.is_object()) return std::nullopt;
  auto it = object.find(key);
  if (it == object.end()) return std::nullopt;
  if (it->is_number_integer()) {
    const std::int64_t v = it->get<std::int64_t>();
    if (v >= 0) return v;
    return std::nullopt;
  }
  if (it->is_number_unsigned()) {
    const std::uint64_t v = it->get<std::uint64_t>();
    if (v <= static_cast<std::uint64_t>(INT64_MAX)) return static_cast<std::int64_t>(v);
    return std::nullopt;
  }
  if (it->is_string()) {
    const std::string s = it->get<std::string>();
    if (s.empty() || s.size() > 18) return std::nullopt;
    for (char c : s) {
      if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    }
    return std::stoll(s);
  }
  return std::nullopt;
}

std::string TextOf(const json& object, const char* key) {
  if (!object.is_object()) return {};
  auto it = object.find(key);
  return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

}  // namespace

std::string WebServiceSettings::BaseOf(const std::string& hostValue) {
  std::string v = hostValue;
  while (!v.empty() && std::isspace(static_cast<unsigned char>(v.back()))) v.pop_back();
  std::size_t start = 0;
  while (start < v.size() && std::isspace(static_cast<unsigned char>(v[start]))) ++start;
  v = v.substr(start);
  while (!v.empty() && v.back() == '/') v.pop_back();
  if (v.empty()) return {};
  std::string lower = v.substr(0, 8);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0) return v;
  return "http://" + v;
}

WebServiceSettings WebServiceSettings::FromConfiguration() {
  WebServiceSettings s;
  s.base = BaseOf(Util::TYX_INIT::Instance()->GetAttributeStr(kServiceHostAttribute));
  const int timeout = Util::TYX_INIT::Instance()->GetAttributeInt(kServiceTimeoutAttribute, 0);
  if (timeout > 0) s.idleTimeoutMs = static_cast<std::uint32_t>(timeout);
  return s;
}

WebLookupResult ParseWebAnswer(const std::string& text, std::size_t maxRecordings) {
  WebLookupResult result;
  json doc = json::parse(text, nullptr, false);
  if (doc.is_discarded() || !doc.is_object()) {
    result.error = "the identification service's answer is not JSON";
    return result;
  }
  const std::string status = TextOf(doc, "status");
  if (status != "ok") {
    const std::string message = doc.contains("error") && doc["error"].is_object() ? TextOf(doc["error"], "message")
                                                                                  : TextOf(doc, "error");
    result.error = "the identification service answered " + (status.empty() ? std::string("no status") : "\"" + status + "\"") +
                   (message.empty() ? "" : ": " + message);
    return result;
  }
  auto it = doc.find("recordings");
  if (it != doc.end() && it->is_array()) {
    for (const json& r : *it) {
      if (!r.is_object()) continue;
      if (result.recordings.size() >= maxRecordings) break;
      WebRecording rec;
      rec.id = IdOf(r, "id");
      rec.webId = IdOf(r, "web_id");
      rec.track = IdOf(r, "track");
      rec.title = TextOf(r, "title");
      rec.genre = TextOf(r, "genre");
      if (auto a = r.find("artist"); a != r.end()) {
        if (a->is_object()) {
          rec.artist = TextOf(*a, "name");
          rec.artistId = IdOf(*a, "id");
        } else if (a->is_string()) {
          rec.artist = a->get<std::string>();
        }
      }
      if (auto a = r.find("album"); a != r.end()) {
        if (a->is_object()) {
          rec.album = TextOf(*a, "title");
          rec.albumId = IdOf(*a, "id");
        } else if (a->is_string()) {
          rec.album = a->get<std::string>();
        }
      }
      if (auto s = r.find("score"); s != r.end() && s->is_number()) rec.score = s->get<double>();
      // A recording with neither title nor artist tells the user nothing.
      if (rec.title.empty() && rec.artist.empty()) continue;
      result.recordings.push_back(std::move(rec));
    }
  }
  result.ok = true;
  return result;
}

WebLookupResult WebIdentify(const WebServiceSettings& settings, const AudioFingerprint& fingerprint) {
  WebLookupResult result;
  if (settings.base.empty()) {
    result.error = "no identification service is configured";
    return result;
  }
  if (fingerprint.encoded.empty()) {
    result.error = "no fingerprint to look up";
    return result;
  }
  const std::string url = settings.base + "/v1/identify?duration=" + std::to_string(fingerprint.durationMs / 1000) +
                          "&fingerprint=" + Util::UrlEscape(fingerprint.encoded, 1u << 20);
  Util::WebDownloadOptions o;
  o.connectTimeoutMs = settings.connectTimeoutMs;
  o.idleTimeoutMs = settings.idleTimeoutMs;
  o.maxBytes = settings.maxAnswerBytes;
  o.headers = {"Accept: application/json"};
  const Util::WebDownloadResult answer = Util::WebDownload(url, o);
  if (!answer.ok()) {
    result.error = "the identification service could not be asked: " + answer.error;
    return result;
  }
  return ParseWebAnswer(answer.Text(), settings.maxRecordings);
}

}  // namespace TYX::Tagging
