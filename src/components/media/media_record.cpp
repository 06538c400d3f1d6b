#include "components/media/media_record.h"

#include <cstring>

namespace TYX::Media {

std::string SniffImageMime(const std::vector<std::uint8_t>& d) {
  auto starts = [&d](const char* sig, std::size_t n) {
    return d.size() >= n && std::memcmp(d.data(), sig, n) == 0;
  };
  if (starts("\xFF\xD8\xFF", 3)) return "image/jpeg";
  if (starts("\x89PNG\r\n\x1A\n", 8)) return "image/png";
  if (starts("GIF87a", 6) || starts("GIF89a", 6)) return "image/gif";
  if (starts("BM", 2) && d.size() >= 26) return "image/bmp";
  return std::string();
}

std::string PictureMime(const std::vector<std::uint8_t>& data, const std::string& stored) {
  const std::string sniffed = SniffImageMime(data);
  return sniffed.empty() ? stored : sniffed;
}

std::string ImageExtension(const std::string& mime) {
  if (mime == "image/jpeg" || mime == "image/jpg") return ".jpg";
  if (mime == "image/png") return ".png";
  if (mime == "image/gif") return ".gif";
  if (mime == "image/bmp") return ".bmp";
  return ".img";
}

std::uint32_t ParseUnsigned(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  std::uint64_t v = 0;
  std::size_t digits = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
    v = v * 10 + static_cast<std::uint64_t>(text[i] - '0');
    if (v > 0xFFFFFFFFull) return 0;
  }
  while (i < text.size() && text[i] == ' ') ++i;
  if (digits == 0 || i != text.size()) return 0;
  return static_cast<std::uint32_t>(v);
}

void ParseNumberPair(const std::string& text, std::uint32_t& number, std::uint32_t& total) {
  const std::size_t slash = text.find('/');
  if (slash == std::string::npos) {
    number = ParseUnsigned(text);
    total = 0;
  } else {
    number = ParseUnsigned(text.substr(0, slash));
    total = ParseUnsigned(text.substr(slash + 1));
  }
}

std::string FormatNumberPair(std::uint32_t number, std::uint32_t total) {
  if (number == 0 && total == 0) return std::string();
  std::string s = std::to_string(number);
  if (total != 0) s.append("/").append(std::to_string(total));
  return s;
}

}  // namespace TYX::Media
