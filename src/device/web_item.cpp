#include "device/web_item.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "util/file_name.h"
#include "util/file_system.h"
#include "util/web_download.h"

namespace TYX::Device {

namespace {

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

bool IsWebScheme(const std::string& path, const std::string& separator) {
  const std::size_t end = path.find(separator);
  if (end == std::string::npos) return false;
  const std::string scheme = Util::ToLowerAscii(path.substr(0, end));
  return scheme == "http" || scheme == "https";
}

}  // namespace

std::string GetWebDownloadPath(const std::string& path, std::int64_t* size) {
  if (size != nullptr) *size = 0;
  if (!IsWebScheme(path, "://")) return {};
  const std::size_t name = path.find("&name=");
  const std::size_t sizeKey = path.find("&size=");
  if (name == std::string::npos || sizeKey == std::string::npos || sizeKey < name) return {};
  const std::string fileName = Trim(path.substr(name + 6, sizeKey - name - 6));
  // The name comes from the address: it must stay a plain name inside the copies' folder.
  if (fileName.empty() || fileName == "." || fileName == ".." || fileName.find_first_of("/\\") != std::string::npos ||
      fileName.find('\0') != std::string::npos) {
    return {};
  }
  const std::string folder = Util::GetTempFolder() + "/" + kWebItemFolder + "/";
  if (!Util::CreateAllFolder(folder)) return {};
  if (size != nullptr) *size = std::strtoll(path.c_str() + sizeKey + 6, nullptr, 10);
  return folder + fileName;
}

std::string DownloadWebItem(const std::string& address, const std::string& localPath,
                            const std::function<bool()>& keepGoing, const WebItemProgress& progress) {
  if (progress) progress(-1);
  if (!IsWebScheme(address, ":")) return {};
  Util::WebDownloadOptions options;
  // A song may be larger than a page; the limit still bounds what is held in memory.
  options.maxBytes = 512u * 1024u * 1024u;
  options.progress = [&](std::uint64_t received, std::int64_t total) {
    if (progress && total > 0) progress(static_cast<int>(static_cast<std::int64_t>(received) * 100 / total));
    return !keepGoing || keepGoing();
  };
  const Util::WebDownloadResult result = Util::WebDownload(address, options);
  if (!result.ok()) return {};
  const std::string temp = localPath + ".part";
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (f == nullptr) return {};
  const bool written = result.body.empty() || std::fwrite(result.body.data(), 1, result.body.size(), f) == result.body.size();
  const bool closed = std::fclose(f) == 0;
  std::error_code ec;
  if (!written || !closed) {
    std::filesystem::remove(temp, ec);
    return {};
  }
  std::filesystem::rename(temp, localPath, ec);
  if (ec) {
    std::filesystem::remove(temp, ec);
    return {};
  }
  return localPath;
}

}  // namespace TYX::Device
