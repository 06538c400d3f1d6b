// The device profile reader: any text either gives a profile that writes out and reads back the same,
// or is refused with an error text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "components/devicemgr/device_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace TYX::DeviceMgr;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const ProfileResult parsed = ParseDeviceProfile(text);
  if (!parsed.ok()) return 0;
  if (parsed.profile.model.empty()) abort();  // the model is required
  const ProfileResult again = ParseDeviceProfile(FormatDeviceProfile(parsed.profile));
  if (!again.ok() || !(again.profile == parsed.profile)) abort();
  return 0;
}
