#include "util/log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "platform/messaging.h"
#include "platform/os_services.h"

namespace TYX::Util {

namespace {

constexpr long kOk = 0;
constexpr long kFail = static_cast<long>(static_cast<std::int32_t>(0x80004005u));

std::string TimeStamp() {
  const auto now = std::chrono::system_clock::now();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", tm.tm_year + 1900, tm.tm_mon + 1,
                tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ms));
  return buf;
}

std::string FormatV(const char* format, va_list args) {
  if (format == nullptr) return {};
  va_list copy;
  va_copy(copy, args);
  char small[512];
  const int n = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (n < 0) return std::string("(bad log format) ") + format;
  if (static_cast<std::size_t>(n) < sizeof small) return std::string(small, static_cast<std::size_t>(n));
  std::string out(static_cast<std::size_t>(n) + 1, '\0');
  std::vsnprintf(out.data(), out.size(), format, args);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

bool WriteAll(int fd, const std::string& data) {
  const char* p = data.data();
  std::size_t left = data.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

TYX_Log* TYX_Log::Instance() {
  // Never destroyed, so entries written by threads that outlive main's statics still land safely.
  static TYX_Log* const instance = new TYX_Log(DefaultTarget());
  return instance;
}

std::string TYX_Log::DefaultTarget() {
  if (const char* env = std::getenv("TYX_LOG_FILE"); env != nullptr && *env != '\0') return env;
  return Win::Os::GetStateFolder() + "/sonvar.log";
}

TYX_Log::TYX_Log() = default;

TYX_Log::TYX_Log(std::string target) : target_(std::move(target)) {}

TYX_Log::~TYX_Log() {
  std::lock_guard lock(mutex_);
  CloseLocked();
}

TYX_Log::TYX_Log(const TYX_Log& other) {
  std::lock_guard lock(other.mutex_);
  target_ = other.target_;
  recent_ = other.recent_;
  enabled_ = other.enabled_;
  maxFileSize_ = other.maxFileSize_;
}

TYX_Log& TYX_Log::operator=(const TYX_Log& other) {
  if (this == &other) return *this;
  std::scoped_lock lock(mutex_, other.mutex_);
  CloseLocked();
  target_ = other.target_;
  recent_ = other.recent_;
  enabled_ = other.enabled_;
  maxFileSize_ = other.maxFileSize_;
  openFailedReported_ = false;
  return *this;
}

void TYX_Log::SetTarget(const std::string& path) {
  std::lock_guard lock(mutex_);
  CloseLocked();
  target_ = path;
  openFailedReported_ = false;
}

std::string TYX_Log::GetTarget() const {
  std::lock_guard lock(mutex_);
  return target_;
}

void TYX_Log::SetEnabled(bool enabled) {
  std::lock_guard lock(mutex_);
  enabled_ = enabled;
}

void TYX_Log::SetMaxFileSize(std::size_t bytes) {
  std::lock_guard lock(mutex_);
  maxFileSize_ = bytes;
}

std::vector<std::string> TYX_Log::RecentEntries() const {
  std::lock_guard lock(mutex_);
  return {recent_.begin(), recent_.end()};
}

long TYX_Log::Add(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const long r = AddV(format, args);
  va_end(args);
  return r;
}

long TYX_Log::AddV(const char* format, va_list args) {
  std::string text = FormatV(format, args);
  // One entry is one line: a caller's own final line break is not doubled.
  if (!text.empty() && text.back() == '\n') text.pop_back();
  std::string line = TimeStamp() + " [" + std::to_string(Win::GetCurrentThreadId()) + "] " + text;

  std::lock_guard lock(mutex_);
  if (!enabled_) return kOk;
  recent_.push_back(line);
  while (recent_.size() > kKeptEntries) recent_.pop_front();
  if (target_.empty()) return kOk;
  line.push_back('\n');
  RotateIfNeededLocked(line.size());
  if (!OpenLocked()) return kFail;
  // An entry cut short by a failed write (a full disk) is ended first, so this one starts its own line.
  if (endsMidLine_) line.insert(line.begin(), '\n');
  if (!WriteAll(fd_, line)) {
    std::fprintf(stderr, "TYX_Log: cannot write to %s: %s\n", target_.c_str(), std::strerror(errno));
    CloseLocked();
    return kFail;
  }
  fileSize_ += line.size();
  endsMidLine_ = false;
  return kOk;
}

bool TYX_Log::OpenLocked() {
  if (fd_ >= 0) return true;
  std::error_code ec;
  const std::filesystem::path parent = std::filesystem::path(target_).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent, ec);
  fd_ = ::open(target_.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);  // read: its last byte
  if (fd_ < 0) {
    // Reported once per target, so a broken log folder does not flood standard error.
    if (!openFailedReported_) {
      std::fprintf(stderr, "TYX_Log: cannot open %s: %s\n", target_.c_str(), std::strerror(errno));
      openFailedReported_ = true;
    }
    return false;
  }
  struct stat st{};
  fileSize_ = ::fstat(fd_, &st) == 0 ? static_cast<std::size_t>(st.st_size) : 0;
  char last = '\n';
  endsMidLine_ = fileSize_ > 0 && ::pread(fd_, &last, 1, static_cast<off_t>(fileSize_ - 1)) == 1 && last != '\n';
  return true;
}

void TYX_Log::CloseLocked() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  fileSize_ = 0;
  endsMidLine_ = false;
}

void TYX_Log::RotateIfNeededLocked(std::size_t incoming) {
  if (!OpenLocked()) return;
  if (fileSize_ == 0 || fileSize_ + incoming <= maxFileSize_) return;
  CloseLocked();
  const std::string old = target_ + ".1";
  if (std::rename(target_.c_str(), old.c_str()) != 0)
    std::fprintf(stderr, "TYX_Log: cannot move %s aside: %s\n", target_.c_str(), std::strerror(errno));
}

}  // namespace TYX::Util
