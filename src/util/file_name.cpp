#include "util/file_name.h"

#include <array>
#include <string_view>

namespace TYX::Util {
namespace {

std::size_t LastSeparator(const std::string& path) { return path.find_last_of("/\\"); }

bool IsUtf8Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The first `chars` characters of a UTF-8 text, never cutting a character.
std::string TakeUtf8Chars(const std::string& text, std::size_t chars) {
  std::size_t i = 0;
  std::size_t taken = 0;
  while (i < text.size()) {
    if (taken == chars) break;
    ++i;
    while (i < text.size() && IsUtf8Continuation(static_cast<unsigned char>(text[i]))) ++i;
    ++taken;
  }
  return text.substr(0, i);
}

bool IsRefusedChar(unsigned char c) {
  if (c < 0x20 || c == 0x7F) return true;
  constexpr std::string_view kRefused = "\\/:*?\"<>|";
  return kRefused.find(static_cast<char>(c)) != std::string_view::npos;
}

// A device name is refused whatever follows its first dot ("CON.txt.mp3") and with spaces after it.
bool IsDeviceName(const std::string& stem) {
  std::string s = ToLowerAscii(stem.substr(0, stem.find('.')));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  if (s == "con" || s == "prn" || s == "aux" || s == "nul") return true;
  return s.size() == 4 && (s.compare(0, 3, "com") == 0 || s.compare(0, 3, "lpt") == 0) && s[3] >= '1' &&
         s[3] <= '9';
}

void DropTrailingDotsAndSpaces(std::string& s) {
  while (!s.empty() && (s.back() == '.' || s.back() == ' ')) s.pop_back();
}

// Makes a stem (or a whole name cut to `room` characters) one a phone takes: no trailing dot or space,
// not empty, not a device name. Never longer than `room` characters (room >= 1).
std::string PhoneSafe(std::string s, std::size_t room) {
  DropTrailingDotsAndSpaces(s);
  if (s.empty()) s.push_back('_');
  if (IsDeviceName(s)) {
    // The "_" in front takes one character of the room; the cut may leave a new trailing dot or space.
    // Built by appending: gcc 12 sees a false overlap in inserting at the front at -O2 and above.
    std::string prefixed(1, '_');
    prefixed += TakeUtf8Chars(s, room - 1);
    s = std::move(prefixed);
    DropTrailingDotsAndSpaces(s);
  }
  return s;
}

}  // namespace

std::string GetFileName(const std::string& path) {
  const std::size_t sep = LastSeparator(path);
  return sep == std::string::npos ? path : path.substr(sep + 1);
}

std::string GetFilePath(const std::string& path) {
  const std::size_t sep = LastSeparator(path);
  return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

std::string GetFileExt(const std::string& path) {
  const std::string name = GetFileName(path);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return std::string();
  return name.substr(dot + 1);
}

std::string GetFileTitle(const std::string& path) {
  const std::string name = GetFileName(path);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return name;
  return name.substr(0, dot);
}

std::string ToLowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::size_t CountUtf8Chars(const std::string& text) {
  std::size_t n = 0;
  for (char c : text) {
    if (!IsUtf8Continuation(static_cast<unsigned char>(c))) ++n;
  }
  return n;
}

bool CheckFileName(std::string& name, int mode, int maxChars, int variant) {
  if (name.empty()) return false;
  const bool phone = mode == 1;
  std::string source = name;
  // Dots and spaces ending the whole name go before it is split, so "a .mp3." splits as "a " and "mp3".
  if (phone) DropTrailingDotsAndSpaces(source);
  std::string stem = GetFileTitle(source);
  std::string ext = GetFileExt(source);

  if (phone) {
    auto clean = [](std::string& s) {
      for (char& c : s) {
        if (IsRefusedChar(static_cast<unsigned char>(c))) c = '_';
      }
    };
    clean(stem);
    clean(ext);
    const std::size_t first = stem.find_first_not_of(' ');
    stem = first == std::string::npos ? std::string() : stem.substr(first);
    stem = PhoneSafe(stem, CountUtf8Chars(stem) + 1);
  }

  // Built by appending: g++ 12 warns falsely (-Wrestrict) on short literal assignments at -O2.
  std::string suffix;
  if (variant >= 1) suffix.append("(").append(std::to_string(variant)).append(")");
  std::string dotExt;
  if (!ext.empty()) dotExt.append(".").append(ext);

  if (maxChars > 0) {
    const std::size_t limit = static_cast<std::size_t>(maxChars);
    const std::size_t fixed = CountUtf8Chars(dotExt) + suffix.size();
    if (fixed + 1 <= limit) {
      const std::size_t stemRoom = limit - fixed;
      if (CountUtf8Chars(stem) > stemRoom) {
        stem = TakeUtf8Chars(stem, stemRoom);
        // A cut can end the stem in a dot or a space, or leave a device name ("Concert" -> "Con").
        if (phone) stem = PhoneSafe(stem, stemRoom);
      }
    } else {
      // No room for the extension: the whole name is cut, the variant suffix kept when it fits.
      if (suffix.size() + 1 > limit) {
        name.clear();
        return false;
      }
      const std::size_t room = limit - suffix.size();
      std::string whole = TakeUtf8Chars(stem + dotExt, room);
      if (phone) whole = PhoneSafe(whole, room);
      name = whole + suffix;
      return !name.empty();
    }
  }
  name = stem + suffix + dotExt;
  // Without phone rules an empty stem stays empty: a text naming only a folder gives nothing usable.
  return !name.empty();
}

}  // namespace TYX::Util
