// Phone file names: any name, limit and variant gives a name the phone accepts, or a refusal.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "util/file_name.h"

namespace {

// The part before the first dot, trailing spaces ignored, names a device.
bool IsDeviceName(const std::string& name) {
  std::string s = TYX::Util::ToLowerAscii(name.substr(0, name.find('.')));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  if (s == "con" || s == "prn" || s == "aux" || s == "nul") return true;
  return s.size() == 4 && (s.compare(0, 3, "com") == 0 || s.compare(0, 3, "lpt") == 0) && s[3] >= '1' &&
         s[3] <= '9';
}

// What a phone's file system refuses.
bool PhoneRefuses(const std::string& name) {
  if (name.empty() || name.back() == '.' || name.back() == ' ' || name.front() == ' ') return true;
  constexpr std::string_view kRefused = "\\/:*?\"<>|";
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || kRefused.find(c) != std::string_view::npos) return true;
  }
  return IsDeviceName(name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int mode = data[0] & 1;
  const int maxChars = static_cast<int8_t>(data[1]);
  const int variant = static_cast<int8_t>(data[2]);
  std::string name(reinterpret_cast<const char*>(data + 3), size - 3);
  const std::string original = name;
  const bool ok = TYX::Util::CheckFileName(name, mode, maxChars, variant);
  if (!ok && !name.empty()) abort();  // a refusal empties the name
  if (ok && name.empty()) abort();
  if (ok && maxChars > 0 && TYX::Util::CountUtf8Chars(name) > static_cast<std::size_t>(maxChars)) abort();
  if (ok && mode == 1) {
    if (PhoneRefuses(name)) abort();
    // Without a limit, a name the rules gave is kept as it is by them.
    if (variant <= 0 && maxChars <= 0) {
      std::string again = name;
      if (!TYX::Util::CheckFileName(again, mode, -1, -1) || again != name) abort();
    }
  }
  TYX::Util::GetFileName(original);
  TYX::Util::GetFilePath(original);
  TYX::Util::GetFileExt(original);
  TYX::Util::GetFileTitle(original);
  return 0;
}
