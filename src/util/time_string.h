#pragma once
// Play times as texts.
#include <cstdint>
#include <string>

namespace TYX::Util {

// "mm:ss" below an hour ("00:00", "03:07", "59:59"), then "h:mm:ss" ("1:00:00"). Negative values show
// as "00:00".
std::string ToTimeString(std::int64_t seconds);
// The same for milliseconds, rounded down to whole seconds.
std::string ToTimeStringMs(std::int64_t milliseconds);

}  // namespace TYX::Util
