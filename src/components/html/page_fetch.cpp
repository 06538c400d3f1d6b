#include "components/html/page_fetch.h"

#include <curl/curl.h>
#include <sys/stat.h>

#include <cctype>
#include <fstream>
#include <mutex>
#include <system_error>
#include <thread>

namespace TYX::Html {

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && Lower(text.substr(0, prefix.size())) == prefix;
}

// Undoes %XX escapes of a file address; a malformed escape is kept as it stands.
std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

FetchResult ReadFile(const std::string& address, const FetchOptions& options) {
  FetchResult result;
  result.address = address;
  const std::string path = FilePathOfAddress(address);
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) {
    result.error = "no such file: " + (path.empty() ? address : path);
    return result;
  }
  if (!S_ISREG(st.st_mode)) {
    result.error = "not a regular file: " + path;
    return result;
  }
  if (static_cast<std::size_t>(st.st_size) > options.maxBytes) {
    result.error = "the page is larger than " + std::to_string(options.maxBytes) + " bytes: " + path;
    return result;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    result.error = "cannot read " + path;
    return result;
  }
  result.text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    result.text.clear();
    result.error = "cannot read " + path;
    return result;
  }
  result.ok = true;
  return result;
}

struct Transfer {
  std::string body;
  std::size_t maxBytes = 0;
  bool tooLarge = false;
  const std::atomic<bool>* cancel = nullptr;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const std::size_t n = size * count;
  if (t->body.size() + n > t->maxBytes) {
    t->tooLarge = true;
    return 0;  // ends the transfer
  }
  t->body.append(data, n);
  return n;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* t = static_cast<Transfer*>(user);
  return t->cancel != nullptr && t->cancel->load() ? 1 : 0;
}

void GlobalInitOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool IsPageType(const char* contentType) {
  if (contentType == nullptr) return true;  // a server that does not say is trusted to send a page
  const std::string type = Lower(contentType);
  return type.rfind("text/", 0) == 0 || type.rfind("application/xhtml+xml", 0) == 0;
}

FetchResult FetchWeb(const std::string& address, const FetchOptions& options, const std::atomic<bool>* cancel) {
  FetchResult result;
  result.address = address;
  GlobalInitOnce();
  CURL* curl = curl_easy_init();
  if (curl == nullptr) {
    result.error = "no transfer could be made";
    return result;
  }
  Transfer transfer;
  transfer.maxBytes = options.maxBytes;
  transfer.cancel = cancel;
  char errorBuffer[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, options.maxRedirects);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, options.connectTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, options.totalTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "Sonvar page view");
  const CURLcode code = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  const char* contentType = nullptr;
  curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &contentType);
  const bool pageType = IsPageType(contentType);
  const std::string typeText = contentType != nullptr ? contentType : "";
  curl_easy_cleanup(curl);
  result.httpStatus = status;

  if (transfer.tooLarge) {
    result.error = "the page is larger than " + std::to_string(options.maxBytes) + " bytes";
  } else if (code == CURLE_ABORTED_BY_CALLBACK) {
    result.error = "cancelled";
  } else if (code != CURLE_OK) {
    result.error = std::string(curl_easy_strerror(code)) + (errorBuffer[0] ? std::string(": ") + errorBuffer : "");
  } else if (status < 200 || status > 299) {
    result.error = "the server answered " + std::to_string(status);
  } else if (!pageType) {
    result.error = "not a page: " + typeText;
  } else {
    result.ok = true;
    result.text = std::move(transfer.body);
  }
  return result;
}

}  // namespace

AddressKind ClassifyAddress(const std::string& address) {
  if (StartsWithNoCase(address, "http://") || StartsWithNoCase(address, "https://")) return AddressKind::Web;
  if (StartsWithNoCase(address, "file:") || (!address.empty() && address[0] == '/')) return AddressKind::File;
  return AddressKind::Unsupported;
}

std::string FilePathOfAddress(const std::string& address) {
  if (!address.empty() && address[0] == '/') return address;
  if (!StartsWithNoCase(address, "file:")) return {};
  std::string rest = address.substr(5);
  if (rest.rfind("//", 0) == 0) {
    rest = rest.substr(2);
    // Only this machine's files: "file:///p" or "file://localhost/p".
    if (StartsWithNoCase(rest, "localhost/")) rest = rest.substr(9);
    if (rest.empty() || rest[0] != '/') return {};
  }
  if (rest.empty() || rest[0] != '/') return {};
  const std::size_t cut = rest.find_first_of("?#");
  if (cut != std::string::npos) rest.resize(cut);
  return Unescape(rest);
}

FetchResult FetchPage(const std::string& address, const FetchOptions& options, const std::atomic<bool>* cancel) {
  switch (ClassifyAddress(address)) {
    case AddressKind::Web: return FetchWeb(address, options, cancel);
    case AddressKind::File: return ReadFile(address, options);
    case AddressKind::Unsupported: break;
  }
  FetchResult result;
  result.address = address;
  result.error = "not an address the view can open: '" + address + "'";
  return result;
}

TYX_PageFetchJob::TYX_PageFetchJob(std::string address, FetchOptions options)
    : address_(std::move(address)), options_(options), shared_(std::make_shared<Shared>()) {}

TYX_PageFetchJob::~TYX_PageFetchJob() { shared_->cancel = true; }

bool TYX_PageFetchJob::Start(std::function<void()> done) {
  if (started_) return false;
  started_ = true;
  try {
    std::thread([shared = shared_, address = address_, options = options_, done = std::move(done)] {
      FetchResult result = FetchPage(address, options, &shared->cancel);
      {
        std::lock_guard<std::mutex> lock(shared->mutex);
        shared->result = std::move(result);
      }
      shared->done = true;
      if (done) done();
    }).detach();
  } catch (const std::system_error& e) {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->result.address = address_;
    shared_->result.error = std::string("no fetch thread could be made: ") + e.what();
    shared_->done = true;
    return false;
  }
  return true;
}

FetchResult TYX_PageFetchJob::TakeResult() {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  if (!shared_->done) {
    FetchResult pending;
    pending.address = address_;
    pending.error = "still loading";
    return pending;
  }
  return std::move(shared_->result);
}

}  // namespace TYX::Html
