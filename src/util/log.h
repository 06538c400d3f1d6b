#pragma once
// The process-wide diagnostic log. Callers take the instance afresh and add printf-style entries from
// any thread; the log serialises its appends itself, so lines from different threads never mix.
//
// Each entry becomes one line "<yyyy-mm-dd hh:mm:ss.mmm> [<thread id>] <text>" appended to the log
// file (by default "sonvar.log" in the user's state folder; the environment variable TYX_LOG_FILE or
// SetTarget() points it elsewhere). A file past the size limit is moved to "<file>.1" and a new one is
// started. The last entries are also kept in memory.
#include <cstdarg>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace TYX::Util {

class TYX_Log {
 public:
  // The one log object, made on first use.
  static TYX_Log* Instance();

  TYX_Log();
  explicit TYX_Log(std::string target);
  virtual ~TYX_Log();
  // Copies take the target and the kept entries; each copy has its own file handle and lock.
  TYX_Log(const TYX_Log& other);
  TYX_Log& operator=(const TYX_Log& other);

  // Formats like printf and appends one entry. 0 when written to the file, 0x80004005 otherwise (the
  // entry is then still kept in memory).
  long Add(const char* format, ...) __attribute__((format(printf, 2, 3)));
  long AddV(const char* format, va_list args) __attribute__((format(printf, 2, 0)));

  // The log file; an empty target turns file output off.
  void SetTarget(const std::string& path);
  std::string GetTarget() const;
  void SetEnabled(bool enabled);
  // Size past which the file is moved to "<file>.1" before the next append.
  void SetMaxFileSize(std::size_t bytes);

  // The most recent entries (with their prefix), oldest first.
  std::vector<std::string> RecentEntries() const;
  static constexpr std::size_t kKeptEntries = 256;
  static constexpr std::size_t kDefaultMaxFileSize = 8u * 1024u * 1024u;

  static std::string DefaultTarget();

 private:
  bool OpenLocked();
  void CloseLocked();
  void RotateIfNeededLocked(std::size_t incoming);

  mutable std::mutex mutex_;  // guards every field below; any thread
  std::string target_;
  std::deque<std::string> recent_;
  int fd_ = -1;               // open log file, appended with one write per entry
  std::size_t fileSize_ = 0;  // size of the open file as far as we wrote it
  bool endsMidLine_ = false;  // the open file's last byte is not a line break (an entry was cut short)
  bool enabled_ = true;
  bool openFailedReported_ = false;
  std::size_t maxFileSize_ = kDefaultMaxFileSize;
};

}  // namespace TYX::Util

namespace TYX {
using Util::TYX_Log;
}  // namespace TYX
