#include "components/lyrics/lrc_lyrics.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "components/media/legacy_text.h"

namespace TYX::Lyrics {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

// Digits only, 1 to maxDigits of them.
bool ReadNumber(const std::string& s, std::size_t maxDigits, std::uint32_t& out) {
  if (s.empty() || s.size() > maxDigits) return false;
  std::uint32_t v = 0;
  for (char c : s) {
    if (!IsDigit(c)) return false;
    v = v * 10 + static_cast<std::uint32_t>(c - '0');
  }
  out = v;
  return true;
}

// "m:ss", "mm:ss.f", "mm:ss.ff", "mm:ss.fff" or "mm:ss:ff" -> milliseconds.
bool ParseTime(const std::string& tag, std::uint32_t& ms) {
  const auto colon = tag.find(':');
  if (colon == std::string::npos) return false;
  std::uint32_t minutes = 0, seconds = 0, fraction = 0;
  if (!ReadNumber(tag.substr(0, colon), 3, minutes)) return false;
  std::string rest = tag.substr(colon + 1);
  std::string secondsText = rest, fractionText;
  const auto sep = rest.find_first_of(".:");
  if (sep != std::string::npos) {
    secondsText = rest.substr(0, sep);
    fractionText = rest.substr(sep + 1);
    if (fractionText.empty()) return false;
  }
  if (!ReadNumber(secondsText, 2, seconds) || seconds >= 60) return false;
  if (!fractionText.empty()) {
    if (!ReadNumber(fractionText, 3, fraction)) return false;
    // ".5" is half a second, ".05" five hundredths, ".005" five thousandths.
    if (fractionText.size() == 1) fraction *= 100;
    if (fractionText.size() == 2) fraction *= 10;
  }
  ms = (minutes * 60 + seconds) * 1000 + fraction;
  return true;
}

bool ParseOffset(const std::string& text, std::int64_t& out) {
  std::string t = Trim(text);
  bool negative = false;
  if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
    negative = t[0] == '-';
    t.erase(0, 1);
  }
  std::uint32_t v = 0;
  if (!ReadNumber(t, 9, v)) return false;
  out = negative ? -static_cast<std::int64_t>(v) : static_cast<std::int64_t>(v);
  return true;
}

std::string LineError(int lineNo, const std::string& why) {
  return "lyric line " + std::to_string(lineNo) + ": " + why;
}

}  // namespace

bool TYX_LrcLyrics::IsUtf8(const std::string& text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    const unsigned char c = p[i];
    std::size_t len = 0;
    std::uint32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      len = 2;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + len > n) return false;
    for (std::size_t k = 1; k < len; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode are not UTF-8.
    if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    i += len;
  }
  return true;
}

LrcParseResult TYX_LrcLyrics::Parse(const std::string& input) {
  LrcParseResult result;
  std::string text = input;
  if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  if (!IsUtf8(text)) text = Media::DecodeLegacyBytes(text, Media::LegacyCharset::Auto);

  struct Timed {
    std::int64_t ms;
    std::size_t order;
    std::string text;
  };
  std::vector<Timed> timed;
  std::int64_t offset = 0;
  int lineNo = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trim(text.substr(start, end - start));
    start = end + 1;
    ++lineNo;
    std::vector<std::uint32_t> times;
    std::size_t pos = 0;
    while (pos < line.size() && line[pos] == '[') {
      const auto close = line.find(']', pos + 1);
      if (close == std::string::npos) {
        result.error = LineError(lineNo, "the tag \"" + line.substr(pos) + "\" is not closed");
        return result;
      }
      const std::string tag = Trim(line.substr(pos + 1, close - pos - 1));
      if (!tag.empty() && IsDigit(tag[0])) {
        std::uint32_t ms = 0;
        if (!ParseTime(tag, ms)) {
          result.error = LineError(lineNo, "\"[" + tag + "]\" is not a time (mm:ss.xx, seconds below 60)");
          return result;
        }
        times.push_back(ms);
      } else if (!tag.empty() && IsAlpha(tag[0]) && tag.find(':') != std::string::npos) {
        const auto colon = tag.find(':');
        const std::string key = Lower(Trim(tag.substr(0, colon)));
        const std::string value = Trim(tag.substr(colon + 1));
        if (key == "offset") {
          if (!ParseOffset(value, offset)) {
            result.error = LineError(lineNo, "the offset \"" + value + "\" is not a number of milliseconds");
            return result;
          }
        } else if (key == "ti") {
          result.title = value;
        } else if (key == "ar") {
          result.artist = value;
        } else if (key == "al") {
          result.album = value;
        }
      } else {
        // "[Chorus]" and the like: text, not a tag.
        break;
      }
      pos = close + 1;
    }
    if (times.empty()) continue;
    const std::string words = Trim(line.substr(pos));
    for (std::uint32_t t : times) timed.push_back({static_cast<std::int64_t>(t), timed.size(), words});
  }
  if (timed.empty()) {
    result.error = "the lyrics have no timed line ([mm:ss.xx]text)";
    return result;
  }
  std::stable_sort(timed.begin(), timed.end(), [](const Timed& a, const Timed& b) { return a.ms < b.ms; });
  result.lines.reserve(timed.size());
  for (auto& t : timed) {
    // A positive offset shows the lines earlier; none is shown before the start.
    const std::int64_t ms = std::max<std::int64_t>(0, t.ms - offset);
    result.lines.push_back({static_cast<std::uint32_t>(std::min<std::int64_t>(ms, UINT32_MAX)), std::move(t.text)});
  }
  return result;
}

LrcParseResult TYX_LrcLyrics::ReadFile(const std::string& path) {
  LrcParseResult result;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    result.error = "cannot open the lyric file " + path + ": " + std::strerror(errno);
    return result;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    result.error = "not a lyric file: " + path;
    return result;
  }
  if (static_cast<std::uint64_t>(st.st_size) > kMaxLrcBytes) {
    ::close(fd);
    result.error = "the lyric file " + path + " is too large (" + std::to_string(st.st_size) + " bytes)";
    return result;
  }
  std::string text;
  char buffer[8192];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      ::close(fd);
      result.error = "cannot read the lyric file " + path + ": " + std::strerror(err);
      return result;
    }
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
    if (text.size() > kMaxLrcBytes) {
      ::close(fd);
      result.error = "the lyric file " + path + " is too large";
      return result;
    }
  }
  ::close(fd);
  result = Parse(text);
  if (!result.ok()) result.error = path + ": " + result.error;
  return result;
}

std::string TYX_LrcLyrics::Format(const std::vector<LyricLine>& lines) {
  std::string out;
  char stamp[32];
  for (const LyricLine& line : lines) {
    const std::uint32_t minutes = line.ms / 60000;
    const std::uint32_t seconds = (line.ms / 1000) % 60;
    const std::uint32_t hundredths = (line.ms % 1000) / 10;
    std::snprintf(stamp, sizeof stamp, "[%02u:%02u.%02u]", minutes, seconds, hundredths);
    out += stamp;
    out += line.text;
    out += '\n';
  }
  return out;
}

}  // namespace TYX::Lyrics
