#pragma once
// Query values for web requests.
#include <cstddef>
#include <string>

namespace TYX::Util {

constexpr std::size_t kUrlEscapeLimit = 2048;

// Every byte other than A-Z, a-z, 0-9 and "-_.~" becomes "%" and two upper-case hexadecimal digits
// (UTF-8 texts are escaped byte by byte). The result is at most maxBytes long; it is cut before an
// escape that would not fit whole.
std::string UrlEscape(const std::string& text, std::size_t maxBytes = kUrlEscapeLimit);
// The reverse; "+" becomes a space. A "%" not followed by two hexadecimal digits stays as it is.
std::string UrlUnescape(const std::string& text);

}  // namespace TYX::Util
