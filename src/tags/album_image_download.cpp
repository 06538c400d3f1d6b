#include "tags/album_image_download.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#include <stb/stb_image.h>

#include <cctype>
#include <cstdio>
#include <fstream>

#include "util/file_system.h"
#include "util/init.h"
#include "util/url_escape.h"
#include "util/web_download.h"

namespace TYX::Tags {
namespace {

constexpr std::size_t kMaxAddressBytes = 64u * 1024u;
constexpr int kMaxImageSide = 16384;

std::string Trimmed(const std::string& s) {
  std::size_t a = 0;
  std::size_t b = s.size();
  while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
  while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
  return s.substr(a, b - a);
}

bool StartsWithNoCase(const std::string& s, const std::string& prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
  }
  return true;
}

std::string BaseOf(const std::string& host) {
  std::string v = Trimmed(host);
  while (!v.empty() && v.back() == '/') v.pop_back();
  if (v.empty()) return {};
  if (StartsWithNoCase(v, "http://") || StartsWithNoCase(v, "https://")) return v;
  return "http://" + v;
}

Util::WebDownloadOptions OptionsOf(const AlbumImageSettings& s, std::size_t maxBytes) {
  Util::WebDownloadOptions o;
  o.connectTimeoutMs = s.connectTimeoutMs;
  o.idleTimeoutMs = s.idleTimeoutMs;
  o.maxBytes = maxBytes;
  o.cancel = s.cancel;
  return o;
}

}  // namespace

AlbumImageSettings AlbumImageSettings::FromConfiguration() {
  AlbumImageSettings s;
  s.base = BaseOf(Util::TYX_INIT::Instance()->GetAttributeStr(kAlbumImageHostAttribute));
  const int timeout = Util::TYX_INIT::Instance()->GetAttributeInt(kAlbumImageTimeoutAttribute, 0);
  if (timeout > 0) s.idleTimeoutMs = static_cast<std::uint32_t>(timeout);
  return s;
}

std::string AlbumImageQuery(const std::string& title, const std::string& artist, const std::string& album) {
  return "qa=" + Util::UrlEscape(title) + "&qb=" + Util::UrlEscape(artist) + "&qc=" + Util::UrlEscape(album);
}

bool IsDecodableImage(const std::vector<std::uint8_t>& bytes) {
  if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT32_MAX)) return false;
  int w = 0;
  int h = 0;
  int n = 0;
  const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
  const int len = static_cast<int>(bytes.size());
  if (stbi_info_from_memory(data, len, &w, &h, &n) == 0) return false;
  if (w <= 0 || h <= 0 || w > kMaxImageSide || h > kMaxImageSide) return false;
  stbi_uc* pixels = stbi_load_from_memory(data, len, &w, &h, &n, 0);
  if (pixels == nullptr) return false;
  stbi_image_free(pixels);
  return true;
}

AlbumImageResult DownloadAlbumImage(const AlbumImageSettings& settings, const std::string& title,
                                    const std::string& artist, const std::string& album) {
  AlbumImageResult result;
  if (settings.base.empty()) {
    result.error = "no album-image service is configured";
    return result;
  }
  // The three escaped values may together pass any fixed buffer; the address is built whole.
  const std::string query = AlbumImageQuery(title, artist, album);
  std::string path = kAlbumImageSearchPath;
  path.replace(path.find("%s"), 2, query);
  const std::string searchUrl = settings.base + path;
  const Util::WebDownloadResult search = Util::WebDownload(searchUrl, OptionsOf(settings, kMaxAddressBytes));
  if (!search.ok()) {
    result.error = "the album-image search failed: " + search.error;
    return result;
  }
  std::string address = Trimmed(search.Text());
  // An empty answer names no image; the search address is asked once more, as the service expects.
  if (address.empty()) address = searchUrl;
  else if (address.front() == '/') address = settings.base + address;
  const Util::WebDownloadResult image = Util::WebDownload(address, OptionsOf(settings, settings.maxImageBytes));
  if (!image.ok()) {
    result.error = "the album image could not be downloaded: " + image.error;
    return result;
  }
  if (!IsDecodableImage(image.body)) {
    result.error = "the album-image service answered with something that is not an image";
    return result;
  }
  const std::string reserved = Util::GetTempFileName("tyx_album");
  if (reserved.empty()) {
    result.error = "no temporary file could be made";
    return result;
  }
  const std::string target = reserved + ".jpg";
  std::remove(target.c_str());
  {
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.body.data()), static_cast<std::streamsize>(image.body.size()));
    out.close();
    if (!out) {
      std::remove(target.c_str());
      std::remove(reserved.c_str());
      result.error = "the album image could not be written to " + target;
      return result;
    }
  }
  std::remove(reserved.c_str());
  result.path = target;
  return result;
}

}  // namespace TYX::Tags
