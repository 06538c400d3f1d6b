#pragma once
// The configuration service: feature switches and remembered choices as named text attributes
// ("SyncAutoStart", "AUTOTAGGING-TRANS", "AddMP3", ...), kept in "settings.ini" in the user's
// configuration folder with the same atomic writes and damage handling as the registry stand-in.
// Attribute names compare without regard to ASCII case. Safe from any thread.
#include <string>

#include "platform/types.h"

namespace TYX::Util {

class TYX_SettingsStore;

class TYX_INIT {
 public:
  // The one configuration service, made on first use.
  static TYX_INIT* Instance();

  // The attribute's text, or defaultValue when it was never set.
  std::string GetAttributeStr(const std::string& name, const std::string& defaultValue = {}) const;
  // The attribute read as a decimal number; defaultValue when missing or not a number.
  int GetAttributeInt(const std::string& name, int defaultValue = 0) const;
  bool HasAttribute(const std::string& name) const;
  // False when the value could not be stored; the previous value is then kept.
  bool SetAttribute(const std::string& name, const std::string& value);
  bool SetAttributeInt(const std::string& name, int value);
  bool RemoveAttribute(const std::string& name);

  // The file behind the service; another path (tests) is loaded on next use.
  void SetStoreFile(const std::string& path);
  std::string GetStoreFile() const;
  static std::string DefaultStoreFile();
  TYX_SettingsStore& Store() const { return *store_; }

  static constexpr const char* kSection = "Config";

 private:
  TYX_INIT();
  TYX_SettingsStore* store_;  // never destroyed, like the service itself
};

// A configuration text read as a boolean: "TRUE", "YES", "ON" (any case, surrounding blanks ignored)
// and non-zero numbers are TRUE; everything else, the empty text included, is FALSE.
Win::BOOL ToBOOL(const std::string& text);

}  // namespace TYX::Util

namespace TYX {
using Util::ToBOOL;
using Util::TYX_INIT;
}  // namespace TYX
