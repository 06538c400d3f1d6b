#include "components/devicemgr/device_profile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>

#include "components/devicemgr/device_path.h"

namespace TYX::DeviceMgr {

namespace {

// A profile is a few lines; anything far larger is not one.
constexpr std::size_t kMaxProfileBytes = 1u << 20;

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t\r\n");
  return s.substr(first, last - first + 1);
}

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

// Whole-text unsigned number, decimal or 0x hexadecimal.
bool ParseUnsigned(const std::string& text, std::uint64_t& out) {
  int base = 10;
  std::string digits = text;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits = digits.substr(2);
  }
  if (digits.empty()) return false;
  const char* end = digits.data() + digits.size();
  auto [ptr, ec] = std::from_chars(digits.data(), end, out, base);
  return ec == std::errc() && ptr == end;
}

bool ParseInt(const std::string& text, int& out, int lowest, int highest) {
  std::uint64_t v = 0;
  if (!ParseUnsigned(text, v) || v < static_cast<std::uint64_t>(lowest) || v > static_cast<std::uint64_t>(highest)) {
    return false;
  }
  out = static_cast<int>(v);
  return true;
}

}  // namespace

ProfileResult ParseDeviceProfile(const std::string& text) {
  ProfileResult result;
  DeviceProfile& p = result.profile;
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  auto fail = [&](const std::string& why) {
    result.error = "device profile line " + std::to_string(lineNo) + ": " + why;
    return result;
  };
  while (std::getline(in, line)) {
    ++lineNo;
    const std::string t = Trim(line);
    if (t.empty() || t[0] == '#' || t[0] == ';') continue;
    const auto eq = t.find('=');
    if (eq == std::string::npos) return fail("expected Key=Value, got \"" + t + "\"");
    const std::string key = Lower(Trim(t.substr(0, eq)));
    const std::string value = Trim(t.substr(eq + 1));
    std::uint64_t number = 0;
    if (key == "model") {
      p.model = value;
    } else if (key == "serial") {
      p.serial = value;
    } else if (key == "kind") {
      if (!ParseInt(value, p.kind, 1, 255)) return fail("Kind must be a number from 1 to 255");
    } else if (key == "type") {
      int type = 0;
      if (!ParseInt(value, type, 1, 4) || type == 3) return fail("Type must be 1 (music), 2 (storage) or 4 (ring-tone)");
      p.type = static_cast<DEVICETYPE>(type);
    } else if (key == "maxfilename") {
      if (!ParseInt(value, p.maxFileName, 0, 4096)) return fail("MaxFileName must be a number from 0 to 4096");
    } else if (key == "maxfilename2") {
      if (!ParseInt(value, p.maxFileName2, 0, 4096)) return fail("MaxFileName2 must be a number from 0 to 4096");
    } else if (key == "maxbitrate") {
      if (!ParseInt(value, p.maxBitrate, 0, 100000)) return fail("MaxBitrate must be a number of kbps");
    } else if (key == "polyphony") {
      if (!ParseUnsigned(value, number) || number > 0xFFFFFFFFu) return fail("Polyphony must be a 32-bit mask");
      p.polyphony = static_cast<std::uint32_t>(number);
    } else if (key == "capacity") {
      if (!ParseUnsigned(value, number)) return fail("Capacity must be a number of bytes");
      p.capacity = number;
    } else if (key == "link") {
      const std::string v = Lower(value);
      if (v == "cable") p.bluetooth = false;
      else if (v == "bluetooth") p.bluetooth = true;
      else return fail("Link must be cable or bluetooth");
    } else if (key == "folder") {
      const SplitResult split = SplitDevicePath(value, {});
      if (!split.ok()) return fail("Folder: " + split.error);
      // A name with an outer space would not survive the trimming of the next read of this file.
      for (const std::string& name : split.names) {
        if (name.front() == ' ' || name.back() == ' ')
          return fail("Folder: the folder name \"" + name + "\" begins or ends with a space");
      }
      p.folder = JoinDeviceFolder(split.names);
    } else if (key == "battery") {
      const std::string v = Lower(value);
      if (v == "ok") p.batteryLow = false;
      else if (v == "low") p.batteryLow = true;
      else return fail("Battery must be ok or low");
    } else if (key == "family") {
      p.family = value;
    } else if (key == "connectcode") {
      p.connectCode = value;
    } else if (key == "lyrics") {
      const std::string v = Lower(value);
      if (v == "yes") p.lyrics = true;
      else if (v == "no") p.lyrics = false;
      else return fail("Lyrics must be yes or no");
    } else {
      return fail("unknown key \"" + Trim(t.substr(0, eq)) + "\"");
    }
  }
  if (p.model.empty()) {
    lineNo = 0;
    result.error = "device profile: Model is missing";
  }
  return result;
}

std::string FormatDeviceProfile(const DeviceProfile& p) {
  std::ostringstream out;
  char poly[16];
  std::snprintf(poly, sizeof poly, "0x%X", static_cast<unsigned>(p.polyphony));
  out << "# Folder device profile\n"
      << "Model=" << p.model << "\n"
      << "Serial=" << p.serial << "\n"
      << "Kind=" << p.kind << "\n"
      << "Type=" << static_cast<int>(p.type) << "\n"
      << "MaxFileName=" << p.maxFileName << "\n"
      << "MaxFileName2=" << p.maxFileName2 << "\n"
      << "MaxBitrate=" << p.maxBitrate << "\n"
      << "Polyphony=" << poly << "\n"
      << "Capacity=" << p.capacity << "\n"
      << "Link=" << (p.bluetooth ? "bluetooth" : "cable") << "\n"
      << "Folder=" << p.folder << "\n"
      << "Battery=" << (p.batteryLow ? "low" : "ok") << "\n"
      << "Family=" << p.family << "\n"
      << "ConnectCode=" << p.connectCode << "\n"
      << "Lyrics=" << (p.lyrics ? "yes" : "no") << "\n";
  return out.str();
}

ProfileResult ReadDeviceProfile(const std::filesystem::path& root) {
  ProfileResult result;
  const auto file = root / kProfileFileName;
  // Never through a link: the profile is the device's own file, not one somewhere else.
  const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    result.error = errno == ELOOP ? file.string() + " is a link, not a device profile"
                                  : "no device profile at " + file.string();
    return result;
  }
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || text.size() > kMaxProfileBytes) {
      ::close(fd);
      result.error = n < 0 ? "cannot read " + file.string() : file.string() + " is too large for a device profile";
      return result;
    }
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  result = ParseDeviceProfile(text);
  if (!result.ok()) result.error = file.string() + ": " + result.error;
  return result;
}

std::string WriteDeviceProfile(const std::filesystem::path& root, const DeviceProfile& profile) {
  for (const std::string* text : {&profile.model, &profile.serial, &profile.folder, &profile.family, &profile.connectCode}) {
    if (text->find_first_of("\r\n") != std::string::npos) return "a profile text may not hold a line break";
  }
  if (profile.model.empty()) return "a profile needs a model name";
  const SplitResult folder = SplitDevicePath(profile.folder, {});
  if (!folder.ok()) return "profile folder: " + folder.error;
  std::error_code ec;
  if (!std::filesystem::is_directory(root, ec)) return "not a folder: " + root.string();
  const auto file = root / kProfileFileName;
  const auto temp = root / (std::string(kProfileFileName) + ".new");
  // A link left under the temporary name is removed, not written through.
  std::filesystem::remove(temp, ec);
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return "cannot write " + temp.string();
    out << FormatDeviceProfile(profile);
    out.flush();
    if (!out) {
      out.close();
      std::filesystem::remove(temp, ec);
      return "cannot write " + temp.string();
    }
  }
  std::filesystem::rename(temp, file, ec);
  if (ec) {
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
    return "cannot replace " + file.string() + ": " + ec.message();
  }
  return {};
}

}  // namespace TYX::DeviceMgr
