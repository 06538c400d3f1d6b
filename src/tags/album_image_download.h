#pragma once
// The album-image service of the tagging worker: a search on the music service's web host (named in the
// configuration attribute "ALBUMIMAGE_HOST") answers with the address of an image, which is then
// downloaded into a temporary file. Only bytes that decode as an image are kept.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace TYX::Tags {

constexpr const char* kAlbumImageHostAttribute = "ALBUMIMAGE_HOST";
// Longest wait for data from the service, in milliseconds (default 15000).
constexpr const char* kAlbumImageTimeoutAttribute = "ALBUMIMAGE_TIMEOUT_MS";
constexpr const char* kAlbumImageSearchPath = "/tavelstore/search/search_album_image.asp?%s";

struct AlbumImageSettings {
  std::string base;  // "http://host[:port]"; empty: no service
  std::uint32_t connectTimeoutMs = 5000;
  std::uint32_t idleTimeoutMs = 15000;
  std::size_t maxImageBytes = 8u << 20;
  const std::atomic<bool>* cancel = nullptr;

  static AlbumImageSettings FromConfiguration();
};

struct AlbumImageResult {
  std::string path;   // a new temporary ".jpg" file (the caller deletes it); empty on failure
  std::string error;  // why, on failure
};

// The search query: "qa=%s&qb=%s&qc=%s" with title, artist and album, each URL-escaped.
std::string AlbumImageQuery(const std::string& title, const std::string& artist, const std::string& album);
AlbumImageResult DownloadAlbumImage(const AlbumImageSettings& settings, const std::string& title,
                                    const std::string& artist, const std::string& album);
// True when the bytes decode as an image (JPEG, PNG, GIF, BMP, ...).
bool IsDecodableImage(const std::vector<std::uint8_t>& bytes);

}  // namespace TYX::Tags
