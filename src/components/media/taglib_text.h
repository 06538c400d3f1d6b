#pragma once
// UTF-8 texts to and from TagLib strings. Included only by the component's sources.
#include <taglib/tstring.h>

#include <string>

namespace TYX::Media {

inline TagLib::String ToTag(const std::string& s) { return TagLib::String(s, TagLib::String::UTF8); }
inline std::string FromTag(const TagLib::String& s) { return s.to8Bit(true); }
// A text of a Unicode field that old software filled by widening 8-bit bytes one by one (every
// character below U+0100): read like the bytes of an 8-bit field (see legacy_text.h).
std::string FromWidenedTag(const TagLib::String& s);

}  // namespace TYX::Media
