#include "util/init.h"

#include <charconv>

#include "platform/os_services.h"
#include "util/settings_store.h"

namespace TYX::Util {

namespace {

std::string Trim(const std::string& s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && blank(s[b])) ++b;
  while (e > b && blank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool EqualsNoCase(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    char c = a[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != b[i]) return false;
  }
  return i == a.size() && b[i] == '\0';
}

bool ParseInt(const std::string& text, long long& out) {
  const std::string t = Trim(text);
  if (t.empty()) return false;
  const char* begin = t.data();
  if (*begin == '+') ++begin;
  const auto [ptr, ec] = std::from_chars(begin, t.data() + t.size(), out);
  return ec == std::errc() && ptr == t.data() + t.size();
}

}  // namespace

Win::BOOL ToBOOL(const std::string& text) {
  const std::string t = Trim(text);
  if (EqualsNoCase(t, "TRUE") || EqualsNoCase(t, "YES") || EqualsNoCase(t, "ON")) return Win::TRUE;
  long long n = 0;
  if (ParseInt(t, n)) return n != 0 ? Win::TRUE : Win::FALSE;
  return Win::FALSE;
}

TYX_INIT* TYX_INIT::Instance() {
  // Never destroyed: attributes may be read by threads that outlive main's statics.
  static TYX_INIT* const instance = new TYX_INIT();
  return instance;
}

TYX_INIT::TYX_INIT() : store_(new TYX_SettingsStore(DefaultStoreFile())) {}

std::string TYX_INIT::DefaultStoreFile() { return Win::Os::GetConfigFolder() + "/settings.ini"; }

void TYX_INIT::SetStoreFile(const std::string& path) { store_->SetPath(path); }

std::string TYX_INIT::GetStoreFile() const { return store_->GetPath(); }

std::string TYX_INIT::GetAttributeStr(const std::string& name, const std::string& defaultValue) const {
  const auto value = store_->Get(kSection, name);
  if (!value) return defaultValue;
  if (value->type == TYX_SettingsStore::Type::Int) return std::to_string(value->number);
  return value->text;
}

int TYX_INIT::GetAttributeInt(const std::string& name, int defaultValue) const {
  const auto value = store_->Get(kSection, name);
  if (!value) return defaultValue;
  if (value->type == TYX_SettingsStore::Type::Int) return static_cast<int>(value->number);
  long long n = 0;
  if (!ParseInt(value->text, n) || n < INT32_MIN || n > INT32_MAX) return defaultValue;
  return static_cast<int>(n);
}

bool TYX_INIT::HasAttribute(const std::string& name) const { return store_->Get(kSection, name).has_value(); }

bool TYX_INIT::SetAttribute(const std::string& name, const std::string& value) {
  TYX_SettingsStore::Value v;
  v.type = TYX_SettingsStore::Type::Text;
  v.text = value;
  return store_->Set(kSection, name, v);
}

bool TYX_INIT::SetAttributeInt(const std::string& name, int value) { return SetAttribute(name, std::to_string(value)); }

bool TYX_INIT::RemoveAttribute(const std::string& name) { return store_->Remove(kSection, name); }

}  // namespace TYX::Util
