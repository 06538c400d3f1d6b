#include "components/media/legacy_text.h"

#include <iconv.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/tbytevector.h>

#include <cerrno>
#include <mutex>

#include "components/media/taglib_text.h"
#include "util/init.h"
#include "util/file_name.h"

namespace TYX::Media {
namespace {

bool IsHigh(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// Converts the whole input or nothing: false on any byte sequence the source charset does not have.
bool Convert(const char* from, const char* to, std::string_view in, std::string& out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out.assign(in.size() * 4 + 4, '\0');
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  char* dst = out.data();
  std::size_t dstLeft = out.size();
  const std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  // The shift state is flushed too, so a truncated double-byte character is refused.
  const bool ok = r != static_cast<std::size_t>(-1) && srcLeft == 0 &&
                  iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (!ok) return false;
  out.resize(out.size() - dstLeft);
  return true;
}

std::string Latin1ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x80) {
      out.push_back(c);
    } else {
      out.push_back(static_cast<char>(0xC0 | (u >> 6)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    }
  }
  return out;
}

// Strict UTF-8 (no overlong forms, no surrogates). Newer software writes UTF-8 even into 8-bit fields,
// and its multi-byte sequences are seldom valid by chance in CP949 or Latin-1 text.
bool IsUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    std::size_t n = 0;
    unsigned cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    }
    if (c >= 0xC2 && c <= 0xDF) n = 1, cp = c & 0x1Fu;
    else if (c >= 0xE0 && c <= 0xEF) n = 2, cp = c & 0x0Fu;
    else if (c >= 0xF0 && c <= 0xF4) n = 3, cp = c & 0x07u;
    else return false;
    if (i + n >= bytes.size()) return false;
    for (std::size_t k = 1; k <= n; ++k) {
      const auto t = static_cast<unsigned char>(bytes[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (t & 0x3Fu);
    }
    if ((n == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (n == 3 && (cp < 0x10000 || cp > 0x10FFFF))) return false;
    i += n + 1;
  }
  return true;
}

bool HasHangul(const std::string& utf8) {
  // Hangul syllables U+AC00..U+D7A3 and compatibility jamo U+3131..U+318E, as UTF-8 lead bytes.
  for (std::size_t i = 0; i + 2 < utf8.size(); ++i) {
    const auto a = static_cast<unsigned char>(utf8[i]);
    const auto b = static_cast<unsigned char>(utf8[i + 1]);
    if (a >= 0xEA && a <= 0xED) {
      const unsigned cp = ((a & 0x0Fu) << 12) | ((b & 0x3Fu) << 6) | (static_cast<unsigned char>(utf8[i + 2]) & 0x3Fu);
      if (cp >= 0xAC00 && cp <= 0xD7A3) return true;
    }
    if (a == 0xE3) {
      const unsigned cp = ((a & 0x0Fu) << 12) | ((b & 0x3Fu) << 6) | (static_cast<unsigned char>(utf8[i + 2]) & 0x3Fu);
      if (cp >= 0x3131 && cp <= 0x318E) return true;
    }
  }
  return false;
}

// Latin-1 text puts a lone accented letter between plain ones ("Café", "Señor"); CP949 Hangul is
// written as pairs of high bytes. Two high bytes in a row are taken as a sign of a double-byte text.
bool HasHighPair(std::string_view bytes) {
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
    if (IsHigh(bytes[i]) && IsHigh(bytes[i + 1])) return true;
  }
  return false;
}

// TagLib passes the raw bytes of an 8-bit field through these. The configuration is consulted only
// for texts that have bytes past ASCII.
TagLib::String ParseLegacy(const TagLib::ByteVector& data, bool strip) {
  std::string_view bytes(data.data(), data.size());
  // Fixed-size fields are padded with NULs (and sometimes spaces after them).
  const std::size_t nul = bytes.find('\0');
  if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);
  bool high = false;
  for (const char c : bytes) high = high || IsHigh(c);
  const TagLib::String text = high ? ToTag(DecodeLegacyBytes(bytes, LegacyCharsetSetting()))
                                   : TagLib::String(std::string(bytes), TagLib::String::Latin1);
  return strip ? text.stripWhiteSpace() : text;
}

class Id3v1Handler final : public TagLib::ID3v1::StringHandler {
 public:
  TagLib::String parse(const TagLib::ByteVector& data) const override { return ParseLegacy(data, true); }
  // A simple tag cannot hold Unicode: Latin-1 when the text is Latin-1, else CP949 for the players
  // that read only this tag (TagLib would write nothing at all).
  TagLib::ByteVector render(const TagLib::String& s) const override {
    if (s.isLatin1()) return s.data(TagLib::String::Latin1);
    std::string bytes;
    if (!EncodeCp949(FromTag(s), bytes)) return TagLib::ByteVector();
    return TagLib::ByteVector(bytes.data(), static_cast<unsigned int>(bytes.size()));
  }
};

// RIFF INFO texts are written as UTF-8 (TagLib's own rendering is kept); older files hold 8-bit texts.
class InfoHandler final : public TagLib::RIFF::Info::StringHandler {
 public:
  TagLib::String parse(const TagLib::ByteVector& data) const override { return ParseLegacy(data, true); }
};

class Id3v2Latin1Handler final : public TagLib::ID3v2::Latin1StringHandler {
 public:
  TagLib::String parse(const TagLib::ByteVector& data) const override { return ParseLegacy(data, false); }
};

}  // namespace

LegacyCharset LegacyCharsetSetting() {
  std::string value = Util::ToLowerAscii(Util::TYX_INIT::Instance()->GetAttributeStr(kLegacyTagCharsetAttribute));
  const std::size_t first = value.find_first_not_of(" \t");
  value = first == std::string::npos ? std::string() : value.substr(first, value.find_last_not_of(" \t") - first + 1);
  if (value == "cp949" || value == "uhc" || value == "euc-kr") return LegacyCharset::CP949;
  if (value == "latin1" || value == "latin-1" || value == "iso-8859-1") return LegacyCharset::Latin1;
  return LegacyCharset::Auto;
}

std::string DecodeLegacyBytes(std::string_view bytes, LegacyCharset mode) {
  if (mode == LegacyCharset::Latin1) return Latin1ToUtf8(bytes);
  if (mode == LegacyCharset::Auto && IsUtf8(bytes)) return std::string(bytes);
  std::string cp949;
  bool valid = Convert("CP949", "UTF-8", bytes, cp949);
  // A fixed-width field (ID3v1 keeps 30 bytes) may end in the first half of a character.
  if (!valid && bytes.size() > 1 && IsHigh(bytes.back())) valid = Convert("CP949", "UTF-8", bytes.substr(0, bytes.size() - 1), cp949);
  if (!valid) return Latin1ToUtf8(bytes);  // even when forced: bytes CP949 does not have stay readable
  if (mode == LegacyCharset::CP949) return cp949;
  return HasHighPair(bytes) && HasHangul(cp949) ? cp949 : Latin1ToUtf8(bytes);
}

std::string FromWidenedTag(const TagLib::String& s) {
  if (!s.isLatin1()) return FromTag(s);
  const TagLib::ByteVector bytes = s.data(TagLib::String::Latin1);
  return DecodeLegacyBytes(std::string_view(bytes.data(), bytes.size()), LegacyCharsetSetting());
}

bool EncodeCp949(std::string_view utf8, std::string& out) { return Convert("UTF-8", "CP949", utf8, out); }

void InstallLegacyTextHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    static const Id3v1Handler id3v1;
    static const InfoHandler info;
    static const Id3v2Latin1Handler id3v2;
    TagLib::ID3v1::Tag::setStringHandler(&id3v1);
    TagLib::RIFF::Info::Tag::setStringHandler(&info);
    TagLib::ID3v2::Tag::setLatin1StringHandler(&id3v2);
  });
}

}  // namespace TYX::Media
