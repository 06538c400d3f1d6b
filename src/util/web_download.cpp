#include "util/web_download.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cctype>
#include <mutex>

namespace TYX::Util {
namespace {

using SteadyTime = std::chrono::steady_clock::time_point;

void GlobalInitOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool HasWebScheme(const std::string& url) {
  std::string head = url.substr(0, 8);
  std::transform(head.begin(), head.end(), head.begin(), [](unsigned char c) { return std::tolower(c); });
  return head.rfind("http://", 0) == 0 || head.rfind("https://", 0) == 0;
}

// State of one transfer; lives on the calling thread for the length of the call.
struct Transfer {
  CURL* curl = nullptr;
  const WebDownloadOptions* options = nullptr;
  WebDownloadResult* result = nullptr;
  SteadyTime lastData;
  bool checkedHead = false;
  // Why the transfer was aborted from a callback; Ok when it was not.
  WebDownloadOutcome abortedFor = WebDownloadOutcome::Ok;
  std::string abortText;

  bool Cancelled() const { return options->cancel != nullptr && options->cancel->load(); }

  void Abort(WebDownloadOutcome why, std::string text) {
    if (abortedFor == WebDownloadOutcome::Ok) {
      abortedFor = why;
      abortText = std::move(text);
    }
  }
};

// The first body bytes: the status must be 200 and an announced length must fit the limit.
bool CheckHead(Transfer& t) {
  t.checkedHead = true;
  long status = 0;
  curl_easy_getinfo(t.curl, CURLINFO_RESPONSE_CODE, &status);
  t.result->httpStatus = status;
  curl_off_t length = -1;
  curl_easy_getinfo(t.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
  t.result->announcedLength = length;
  if (status != 200) {
    t.Abort(WebDownloadOutcome::HttpStatus, "the server answered with status " + std::to_string(status));
    return false;
  }
  if (length >= 0 && static_cast<std::uint64_t>(length) > t.options->maxBytes) {
    t.Abort(WebDownloadOutcome::TooLarge, "the answer announces " + std::to_string(length) +
                                              " bytes, over the limit of " + std::to_string(t.options->maxBytes));
    return false;
  }
  return true;
}

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  const std::size_t bytes = size * count;
  if (!t.checkedHead && !CheckHead(t)) return 0;
  t.lastData = std::chrono::steady_clock::now();
  std::size_t done = 0;
  while (done < bytes) {
    const std::size_t piece = std::min(kWebChunkBytes, bytes - done);
    if (t.result->body.size() + piece > t.options->maxBytes) {
      t.Abort(WebDownloadOutcome::TooLarge, "the answer is over the limit of " + std::to_string(t.options->maxBytes) +
                                                " bytes");
      return 0;
    }
    t.result->body.insert(t.result->body.end(), data + done, data + done + piece);
    t.result->largestChunk = std::max(t.result->largestChunk, piece);
    done += piece;
    if (t.Cancelled()) {
      t.Abort(WebDownloadOutcome::Cancelled, "cancelled");
      return 0;
    }
    if (t.options->progress && !t.options->progress(t.result->body.size(), t.result->announcedLength)) {
      t.Abort(WebDownloadOutcome::Cancelled, "cancelled");
      return 0;
    }
  }
  return bytes;
}

// Polled by libcurl while the transfer runs, also when no data comes: cancel and the idle time-out.
int OnPoll(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto& t = *static_cast<Transfer*>(user);
  if (t.Cancelled()) {
    t.Abort(WebDownloadOutcome::Cancelled, "cancelled");
    return 1;
  }
  const auto idle = std::chrono::steady_clock::now() - t.lastData;
  if (idle > std::chrono::milliseconds(t.options->idleTimeoutMs)) {
    t.Abort(WebDownloadOutcome::TimedOut,
            "no data for " + std::to_string(t.options->idleTimeoutMs) + " ms");
    return 1;
  }
  return 0;
}

WebDownloadOutcome OutcomeOfCode(CURLcode code) {
  switch (code) {
    case CURLE_OPERATION_TIMEDOUT: return WebDownloadOutcome::TimedOut;
    case CURLE_PARTIAL_FILE: return WebDownloadOutcome::Incomplete;
    case CURLE_FILESIZE_EXCEEDED: return WebDownloadOutcome::TooLarge;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL: return WebDownloadOutcome::BadAddress;
    default: return WebDownloadOutcome::Network;
  }
}

}  // namespace

WebDownloadResult WebDownload(const std::string& url, const WebDownloadOptions& options) {
  WebDownloadResult result;
  if (url.empty() || !HasWebScheme(url)) {
    result.outcome = WebDownloadOutcome::BadAddress;
    result.error = "not a web address: \"" + url + "\"";
    return result;
  }
  GlobalInitOnce();
  CURL* curl = curl_easy_init();
  if (curl == nullptr) {
    result.error = "no connection could be prepared";
    return result;
  }
  Transfer t;
  t.curl = curl;
  t.options = &options;
  t.result = &result;
  t.lastData = std::chrono::steady_clock::now();

  curl_slist* headers = nullptr;
  headers = curl_slist_append(headers, "Cache-Control: no-cache");
  headers = curl_slist_append(headers, "Pragma: no-cache");
  for (const std::string& h : options.headers) {
    // A header line may not carry a line break: it would smuggle further lines into the request.
    if (h.find_first_of("\r\n") != std::string::npos) {
      curl_slist_free_all(headers);
      curl_easy_cleanup(curl);
      result.outcome = WebDownloadOutcome::BadAddress;
      result.error = "a request header holds a line break";
      return result;
    }
    headers = curl_slist_append(headers, h.c_str());
  }

  char errorBuffer[CURL_ERROR_SIZE] = {0};
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, static_cast<long>(kWebChunkBytes));
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::max<std::uint32_t>(1, options.connectTimeoutMs)));
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.maxBytes));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &OnPoll);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "SonvarManager");

  const CURLcode code = curl_easy_perform(curl);
  if (result.httpStatus == 0) curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.httpStatus);
  if (code == CURLE_OK && !t.checkedHead) CheckHead(t);  // an empty body still has a status to check

  if (t.abortedFor != WebDownloadOutcome::Ok) {
    result.outcome = t.abortedFor;
    result.error = t.abortText;
  } else if (code != CURLE_OK) {
    result.outcome = OutcomeOfCode(code);
    result.error = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(code);
  } else {
    result.outcome = WebDownloadOutcome::Ok;
  }
  if (!result.ok()) result.body.clear();

  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);
  return result;
}

bool InternetFileDown(const std::string& url, std::vector<std::uint8_t>& body, const WebDownloadOptions& options) {
  WebDownloadResult r = WebDownload(url, options);
  body = std::move(r.body);
  return r.ok();
}

}  // namespace TYX::Util
