#pragma once
// A small file-backed store of named values, shared by the registry stand-in (TYX_Reg) and the
// configuration service (TYX_INIT).
//
// The file is text: a header line, then one line per value ("<section>\t<name>\t<type>\t<value>", with
// backslash escapes for tab, newline, carriage return and backslash), then an end line carrying the
// number of values. Sections and names compare without regard to ASCII case, as registry keys do.
//
// Loading happens on first use. A missing file reads as empty. A file that does not parse (torn,
// truncated, edited badly) is logged, moved aside as "<file>.damaged-<time>" and read as empty; if it
// cannot be moved aside, the store refuses writes so the damaged file is never overwritten.
// Every write replaces the whole file atomically: a temporary file beside it is written, flushed to
// disk and renamed over the old one. A failed write leaves memory and disk as they were.
// All operations are safe from any thread.
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace TYX::Util {

class TYX_SettingsStore {
 public:
  enum class Type { Int, Text };
  struct Value {
    Type type = Type::Text;
    std::uint32_t number = 0;  // for Type::Int
    std::string text;          // for Type::Text
    bool operator==(const Value&) const = default;
  };
  struct Entry {
    std::string section;
    std::string name;
    Value value;
  };

  explicit TYX_SettingsStore(std::string path = {});
  TYX_SettingsStore(const TYX_SettingsStore&) = delete;
  TYX_SettingsStore& operator=(const TYX_SettingsStore&) = delete;

  // Points the store at another file; the new file is loaded on next use.
  void SetPath(const std::string& path);
  std::string GetPath() const;

  std::optional<Value> Get(const std::string& section, const std::string& name);
  // False when the value could not be stored on disk; memory then keeps the previous value.
  bool Set(const std::string& section, const std::string& name, const Value& value);
  bool Remove(const std::string& section, const std::string& name);
  // Every value, ordered by section and name.
  std::vector<Entry> Entries();

  // Where a damaged file was moved on the last load; empty when none was.
  std::string DamagedCopyPath() const;
  // False while writes are refused (a damaged file that could not be moved aside, or an unreadable one).
  bool IsWritable();

  // Text form of a set of values, and its parser (exposed for tests). Parse gives an error text on
  // failure, naming the line.
  static std::string Serialize(const std::vector<Entry>& entries);
  static bool Parse(const std::string& content, std::vector<Entry>& entries, std::string& error);

 private:
  using Key = std::pair<std::string, std::string>;
  struct KeyLess {
    bool operator()(const Key& a, const Key& b) const;
  };
  using Map = std::map<Key, Entry, KeyLess>;

  void EnsureLoadedLocked();
  bool WriteLocked(const Map& values);
  static std::vector<Entry> ToEntries(const Map& values);

  mutable std::mutex mutex_;  // guards everything below; any thread
  std::string path_;
  bool loaded_ = false;
  bool writable_ = true;
  std::string damagedCopy_;
  Map values_;
};

}  // namespace TYX::Util
