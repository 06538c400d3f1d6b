// Phone file names: any name, limit and variant gives a name the phone accepts, or a refusal.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "util/file_name.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int mode = data[0] & 1;
  const int maxChars = static_cast<int8_t>(data[1]);
  const int variant = static_cast<int8_t>(data[2]);
  std::string name(reinterpret_cast<const char*>(data + 3), size - 3);
  const std::string original = name;
  const bool ok = TYX::Util::CheckFileName(name, mode, maxChars, variant);
  if (!ok && !name.empty()) abort();  // a refusal empties the name
  if (ok && maxChars > 0 && TYX::Util::CountUtf8Chars(name) > static_cast<std::size_t>(maxChars)) abort();
  TYX::Util::GetFileName(original);
  TYX::Util::GetFilePath(original);
  TYX::Util::GetFileExt(original);
  TYX::Util::GetFileTitle(original);
  return 0;
}
