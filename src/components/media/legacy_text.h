#pragma once
// Texts in 8-bit tag fields (ID3v1, ID3v2 Latin-1 frames, RIFF INFO, and WMA texts that old software
// widened byte by byte). Much Korean software of its time wrote CP949 bytes there, which read as
// Latin-1 look like "»ç¶ûÀÇ ³ë·¡". Such bytes are read as CP949 when they are valid CP949 and not
// plausible Latin-1; the configuration attribute kLegacyTagCharsetAttribute ("CP949" or "LATIN1")
// forces either reading. Texts are always written as Unicode where the format allows it.
#include <string>
#include <string_view>

namespace TYX::Media {

inline constexpr const char* kLegacyTagCharsetAttribute = "LegacyTagCharset";

enum class LegacyCharset { Auto, Latin1, CP949 };

// The reading the configuration asks for; Auto when the attribute is missing or names neither.
LegacyCharset LegacyCharsetSetting();

// The bytes as UTF-8. ASCII stays as it is; other bytes follow mode (Auto guesses as described above).
std::string DecodeLegacyBytes(std::string_view bytes, LegacyCharset mode);

// True with the CP949 bytes of a UTF-8 text when every character has a CP949 form.
bool EncodeCp949(std::string_view utf8, std::string& out);

// Makes TagLib read 8-bit texts through DecodeLegacyBytes. Safe to call any number of times, from any
// thread; the handlers live as long as the process.
void InstallLegacyTextHandlers();

}  // namespace TYX::Media
