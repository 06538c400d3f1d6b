#pragma once
// UTF-8 texts to and from TagLib strings. Included only by the component's sources.
#include <taglib/tstring.h>

#include <string>

namespace TYX::Media {

inline TagLib::String ToTag(const std::string& s) { return TagLib::String(s, TagLib::String::UTF8); }
inline std::string FromTag(const TagLib::String& s) { return s.to8Bit(true); }

}  // namespace TYX::Media
