// The settings file parser: any bytes either parse into values that write out and read back the same,
// or are refused with an error text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "util/settings_store.h"

using TYX::Util::TYX_SettingsStore;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  std::vector<TYX_SettingsStore::Entry> entries;
  std::string error;
  if (!TYX_SettingsStore::Parse(content, entries, error)) {
    if (error.empty()) abort();  // a refusal says why
    return 0;
  }
  const std::string written = TYX_SettingsStore::Serialize(entries);
  std::vector<TYX_SettingsStore::Entry> again;
  std::string againError;
  if (!TYX_SettingsStore::Parse(written, again, againError)) abort();
  if (again.size() != entries.size()) abort();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (again[i].section != entries[i].section || again[i].name != entries[i].name ||
        !(again[i].value == entries[i].value)) {
      abort();
    }
  }
  // The written form is the one form of these values.
  if (TYX_SettingsStore::Serialize(again) != written) abort();
  return 0;
}
