#include "util/settings_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "util/log.h"

namespace TYX::Util {

namespace {

constexpr const char* kHeader = "# TYX settings 1";
constexpr const char* kEndPrefix = "# end ";

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

int CompareNoCase(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(LowerAscii(a[i]));
    const auto cb = static_cast<unsigned char>(LowerAscii(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::string Escape(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

bool Unescape(const std::string& s, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\') {
      out.push_back(s[i]);
      continue;
    }
    if (++i >= s.size()) return false;
    switch (s[i]) {
      case '\\': out.push_back('\\'); break;
      case 't': out.push_back('\t'); break;
      case 'n': out.push_back('\n'); break;
      case 'r': out.push_back('\r'); break;
      default: return false;
    }
  }
  return true;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    if (tab == std::string::npos) {
      fields.push_back(line.substr(start));
      return fields;
    }
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
}

std::string TimeSuffix() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &tm);
  return buf;
}

bool FsyncFolder(const std::string& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

bool TYX_SettingsStore::KeyLess::operator()(const Key& a, const Key& b) const {
  const int s = CompareNoCase(a.first, b.first);
  if (s != 0) return s < 0;
  return CompareNoCase(a.second, b.second) < 0;
}

TYX_SettingsStore::TYX_SettingsStore(std::string path) : path_(std::move(path)) {}

void TYX_SettingsStore::SetPath(const std::string& path) {
  std::lock_guard lock(mutex_);
  path_ = path;
  loaded_ = false;
  writable_ = true;
  damagedCopy_.clear();
  values_.clear();
}

std::string TYX_SettingsStore::GetPath() const {
  std::lock_guard lock(mutex_);
  return path_;
}

std::string TYX_SettingsStore::DamagedCopyPath() const {
  std::lock_guard lock(mutex_);
  return damagedCopy_;
}

bool TYX_SettingsStore::IsWritable() {
  std::lock_guard lock(mutex_);
  EnsureLoadedLocked();
  return writable_;
}

std::optional<TYX_SettingsStore::Value> TYX_SettingsStore::Get(const std::string& section,
                                                               const std::string& name) {
  std::lock_guard lock(mutex_);
  EnsureLoadedLocked();
  const auto it = values_.find(Key{section, name});
  if (it == values_.end()) return std::nullopt;
  return it->second.value;
}

bool TYX_SettingsStore::Set(const std::string& section, const std::string& name, const Value& value) {
  std::lock_guard lock(mutex_);
  EnsureLoadedLocked();
  if (!writable_) return false;
  Map next = values_;
  const auto it = next.find(Key{section, name});
  if (it != next.end()) {
    if (it->second.value == value) return true;
    it->second.value = value;
  } else {
    next.emplace(Key{section, name}, Entry{section, name, value});
  }
  if (!WriteLocked(next)) return false;
  values_ = std::move(next);
  return true;
}

bool TYX_SettingsStore::Remove(const std::string& section, const std::string& name) {
  std::lock_guard lock(mutex_);
  EnsureLoadedLocked();
  if (!writable_) return false;
  Map next = values_;
  if (next.erase(Key{section, name}) == 0) return true;
  if (!WriteLocked(next)) return false;
  values_ = std::move(next);
  return true;
}

std::vector<TYX_SettingsStore::Entry> TYX_SettingsStore::Entries() {
  std::lock_guard lock(mutex_);
  EnsureLoadedLocked();
  return ToEntries(values_);
}

std::vector<TYX_SettingsStore::Entry> TYX_SettingsStore::ToEntries(const Map& values) {
  std::vector<Entry> out;
  out.reserve(values.size());
  for (const auto& [key, entry] : values) out.push_back(entry);
  return out;
}

std::string TYX_SettingsStore::Serialize(const std::vector<Entry>& entries) {
  std::string out = kHeader;
  out.push_back('\n');
  for (const Entry& e : entries) {
    out += Escape(e.section);
    out.push_back('\t');
    out += Escape(e.name);
    out.push_back('\t');
    if (e.value.type == Type::Int) {
      out += "i\t";
      out += std::to_string(e.value.number);
    } else {
      out += "s\t";
      out += Escape(e.value.text);
    }
    out.push_back('\n');
  }
  out += kEndPrefix;
  out += std::to_string(entries.size());
  out.push_back('\n');
  return out;
}

bool TYX_SettingsStore::Parse(const std::string& content, std::vector<Entry>& entries, std::string& error) {
  entries.clear();
  std::vector<std::string> lines;
  {
    std::size_t start = 0;
    while (start < content.size()) {
      std::size_t nl = content.find('\n', start);
      if (nl == std::string::npos) {
        error = "the last line has no line break (file cut short)";
        return false;
      }
      lines.push_back(content.substr(start, nl - start));
      start = nl + 1;
    }
  }
  if (lines.empty() || lines.front() != kHeader) {
    error = "line 1: not a settings file header";
    return false;
  }
  if (lines.size() < 2 || lines.back().rfind(kEndPrefix, 0) != 0) {
    error = "the end line is missing (file cut short)";
    return false;
  }
  std::map<Key, bool, KeyLess> seen;
  for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
    const std::string where = "line " + std::to_string(i + 1) + ": ";
    const auto fields = SplitTabs(lines[i]);
    if (fields.size() != 4) {
      error = where + "expected section, name, type and value";
      return false;
    }
    Entry e;
    if (!Unescape(fields[0], e.section) || !Unescape(fields[1], e.name)) {
      error = where + "bad escape in a section or name";
      return false;
    }
    if (fields[2] == "i") {
      e.value.type = Type::Int;
      const std::string& v = fields[3];
      const auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), e.value.number);
      if (v.empty() || ec != std::errc() || ptr != v.data() + v.size()) {
        error = where + "bad number \"" + v + "\"";
        return false;
      }
    } else if (fields[2] == "s") {
      e.value.type = Type::Text;
      if (!Unescape(fields[3], e.value.text)) {
        error = where + "bad escape in a text value";
        return false;
      }
    } else {
      error = where + "unknown value type \"" + fields[2] + "\"";
      return false;
    }
    if (!seen.emplace(Key{e.section, e.name}, true).second) {
      error = where + "value given twice";
      return false;
    }
    entries.push_back(std::move(e));
  }
  const std::string countText = lines.back().substr(std::strlen(kEndPrefix));
  std::size_t count = 0;
  const auto [ptr, ec] = std::from_chars(countText.data(), countText.data() + countText.size(), count);
  if (countText.empty() || ec != std::errc() || ptr != countText.data() + countText.size() ||
      count != entries.size()) {
    error = "the end line does not match the number of values";
    return false;
  }
  return true;
}

void TYX_SettingsStore::EnsureLoadedLocked() {
  if (loaded_) return;
  loaded_ = true;
  writable_ = true;
  values_.clear();
  if (path_.empty()) {
    writable_ = false;
    TYX_Log::Instance()->Add("TYX_SettingsStore: no file given; values are not kept");
    return;
  }
  std::error_code ec;
  if (!std::filesystem::exists(path_, ec) && !ec) return;  // first start
  std::ifstream in(path_, std::ios::binary);
  if (!in || std::filesystem::is_directory(path_, ec)) {
    writable_ = false;
    TYX_Log::Instance()->Add("TYX_SettingsStore: cannot read %s (%s); it is left as it is and not written",
                             path_.c_str(), std::strerror(errno));
    return;
  }
  std::ostringstream buf;
  buf << in.rdbuf();
  const std::string content = buf.str();
  if (content.empty()) return;  // an empty file holds nothing to lose
  std::vector<Entry> entries;
  std::string error;
  if (Parse(content, entries, error)) {
    for (Entry& e : entries) {
      Key key{e.section, e.name};
      values_.emplace(std::move(key), std::move(e));
    }
    return;
  }
  // Keep the damaged file for whoever wants to look at it; start empty.
  std::string aside = path_ + ".damaged-" + TimeSuffix();
  for (int n = 1; std::filesystem::exists(aside); ++n)
    aside = path_ + ".damaged-" + TimeSuffix() + "-" + std::to_string(n);
  if (std::rename(path_.c_str(), aside.c_str()) == 0) {
    damagedCopy_ = aside;
    TYX_Log::Instance()->Add("TYX_SettingsStore: %s is damaged (%s); kept as %s, starting empty", path_.c_str(),
                             error.c_str(), aside.c_str());
  } else {
    writable_ = false;
    TYX_Log::Instance()->Add(
        "TYX_SettingsStore: %s is damaged (%s) and cannot be moved aside (%s); it is not written",
        path_.c_str(), error.c_str(), std::strerror(errno));
  }
}

bool TYX_SettingsStore::WriteLocked(const Map& values) {
  const std::filesystem::path target(path_);
  const std::string folder = target.parent_path().string();
  std::error_code ec;
  if (!folder.empty()) std::filesystem::create_directories(folder, ec);
  std::string tmp = path_ + ".tmp-XXXXXX";
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) {
    TYX_Log::Instance()->Add("TYX_SettingsStore: cannot create a temporary file beside %s (%s)", path_.c_str(),
                             std::strerror(errno));
    return false;
  }
  const std::string content = Serialize(ToEntries(values));
  bool ok = true;
  const char* p = content.data();
  std::size_t left = content.size();
  while (ok && left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  ok = ok && ::fchmod(fd, 0644) == 0;
  ok = ok && ::fsync(fd) == 0;
  const int saved = errno;
  ok = (::close(fd) == 0) && ok;
  if (ok && std::rename(tmp.c_str(), path_.c_str()) != 0) ok = false;
  if (!ok) {
    TYX_Log::Instance()->Add("TYX_SettingsStore: cannot write %s (%s)", path_.c_str(),
                             std::strerror(errno ? errno : saved));
    ::unlink(tmp.c_str());
    return false;
  }
  // The rename is only durable once the folder itself is on disk.
  if (!FsyncFolder(folder)) TYX_Log::Instance()->Add("TYX_SettingsStore: cannot flush the folder of %s", path_.c_str());
  return true;
}

}  // namespace TYX::Util
