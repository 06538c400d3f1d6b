#pragma once
// Downloads one web resource into memory over HTTP(S) with libcurl.
//
// Never from a cache (the request asks every cache to revalidate); the proxy comes from the environment
// (http_proxy, https_proxy, no_proxy) as for every program. Only a final status 200 counts: a redirect
// is followed (at most five times) and any other status fails without keeping the body. The body is
// read to its announced length, or until the connection ends when none is announced; a body that ends
// before its announced length fails.
//
// Data arrives in chunks of at most kWebChunkBytes; after each one the progress callback runs, and the
// cancel flag is read, so a cancel takes effect within one chunk (or within the poll interval while no
// data comes). Connect and idle time-outs bound a server that does not answer or stops sending; a size
// limit bounds what is kept (an announced length over the limit fails before the body is read).
//
// Safe from any thread; each call has its own connection.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace TYX::Util {

constexpr std::size_t kWebChunkBytes = 10240;

enum class WebDownloadOutcome {
  Ok,
  BadAddress,   // empty, or not http/https
  Network,      // could not connect, or the connection broke
  TimedOut,     // connect or idle time-out
  HttpStatus,   // the final status was not 200
  TooLarge,     // over the size limit
  Incomplete,   // fewer bytes than announced
  Cancelled,
};

struct WebDownloadOptions {
  std::uint32_t connectTimeoutMs = 10000;
  // Longest stretch without a byte received, from the request on.
  std::uint32_t idleTimeoutMs = 30000;
  std::size_t maxBytes = 16u * 1024u * 1024u;
  // Extra request lines, "Name: value" each.
  std::vector<std::string> headers;
  // Called after each chunk with the bytes so far and the announced total (-1 when none); returning
  // false cancels. Runs on the calling thread.
  std::function<bool(std::uint64_t received, std::int64_t total)> progress;
  // Set from any thread to cancel; read after each chunk and at every poll.
  const std::atomic<bool>* cancel = nullptr;
};

struct WebDownloadResult {
  WebDownloadOutcome outcome = WebDownloadOutcome::Network;
  long httpStatus = 0;                 // the last status seen, 0 when none
  std::int64_t announcedLength = -1;   // Content-Length of the final answer, -1 when none
  std::vector<std::uint8_t> body;      // empty unless ok
  std::string error;                   // why, unless ok
  std::size_t largestChunk = 0;        // the largest chunk handed on, for callers that check pacing

  bool ok() const { return outcome == WebDownloadOutcome::Ok; }
  std::string Text() const { return std::string(body.begin(), body.end()); }
};

WebDownloadResult WebDownload(const std::string& url, const WebDownloadOptions& options = {});

// The system's name for the same download: true with the body on success; an empty body and false
// otherwise.
bool InternetFileDown(const std::string& url, std::vector<std::uint8_t>& body,
                      const WebDownloadOptions& options = {});

}  // namespace TYX::Util
