#pragma once
// Fetching a page's text: a local file (a path or a file: address) or an http(s) address over
// libcurl. FetchPage is the synchronous core; TYX_PageFetchJob runs it on a thread of its own so the
// window thread never waits for the network.
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace TYX::Html {

struct FetchOptions {
  long connectTimeoutMs = 10000;
  long totalTimeoutMs = 30000;
  std::size_t maxBytes = 8u * 1024u * 1024u;
  long maxRedirects = 5;
};

struct FetchResult {
  bool ok = false;
  std::string text;     // the page
  std::string error;    // why it failed, for the log
  std::string address;  // the address asked for
  long httpStatus = 0;  // 0 for files
};

// What kind of address a text is: a web page, a local file, or neither.
enum class AddressKind { Web, File, Unsupported };
AddressKind ClassifyAddress(const std::string& address);
// The local path of a file address ("file:///x" or "/x"); empty for anything else.
std::string FilePathOfAddress(const std::string& address);

// Fetches a page. A set cancel flag ends a transfer within a moment with "cancelled". Web pages must
// answer 2xx with a text or HTML type; redirects stay on http and https.
FetchResult FetchPage(const std::string& address, const FetchOptions& options,
                      const std::atomic<bool>* cancel = nullptr);

// One fetch on its own thread. The done callback runs on that thread once the result is stored; the
// owner then takes the result on its own thread. Destroying the job cancels it without waiting: the
// thread keeps only its own copy of what it needs and ends within a moment, so the callback must not
// refer to anything the owner frees (post to a window handle, which is dropped once the window is gone).
class TYX_PageFetchJob {
 public:
  TYX_PageFetchJob(std::string address, FetchOptions options);
  ~TYX_PageFetchJob();
  TYX_PageFetchJob(const TYX_PageFetchJob&) = delete;
  TYX_PageFetchJob& operator=(const TYX_PageFetchJob&) = delete;

  // False when no thread could be made (the result then says so).
  bool Start(std::function<void()> done);
  void Cancel() { shared_->cancel = true; }
  bool IsDone() const { return shared_->done; }
  // The result once done; an empty failure before.
  FetchResult TakeResult();
  const std::string& Address() const { return address_; }

 private:
  // What the fetch thread and the owner share; the thread holds it as long as it runs.
  struct Shared {
    std::atomic<bool> cancel{false};  // written by the owner, read by the fetch thread
    std::atomic<bool> done{false};    // written by the fetch thread after result is stored
    std::mutex mutex;
    FetchResult result;  // guarded by mutex
  };
  const std::string address_;
  const FetchOptions options_;
  std::shared_ptr<Shared> shared_;
  bool started_ = false;  // owner thread
};

}  // namespace TYX::Html
