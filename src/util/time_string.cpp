#include "util/time_string.h"

#include <cstdio>

namespace TYX::Util {

std::string ToTimeString(std::int64_t seconds) {
  if (seconds < 0) seconds = 0;
  char text[48];
  const long long h = seconds / 3600;
  const int m = static_cast<int>((seconds / 60) % 60);
  const int s = static_cast<int>(seconds % 60);
  if (h > 0) {
    std::snprintf(text, sizeof text, "%lld:%02d:%02d", h, m, s);
  } else {
    std::snprintf(text, sizeof text, "%02d:%02d", m, s);
  }
  return text;
}

std::string ToTimeStringMs(std::int64_t milliseconds) { return ToTimeString(milliseconds / 1000); }

}  // namespace TYX::Util
