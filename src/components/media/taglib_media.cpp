#include "components/media/taglib_media.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "components/media/media_file.h"
#include "util/file_name.h"

namespace TYX::Media {
namespace fs = std::filesystem;

namespace {

constexpr std::int32_t kSaveOk = 0;
constexpr std::int32_t kSaveFailed = static_cast<std::int32_t>(0x80004005u);
constexpr std::uintmax_t kMaxImageBytes = 16u << 20;

// A scratch copy beside the file, removed unless it was renamed over the original.
class ScratchCopy {
 public:
  explicit ScratchCopy(const std::string& original) {
    std::string pattern = Util::GetFilePath(original) + "." + Util::GetFileName(original) + ".tyxsave-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd >= 0) {
      close(fd);
      path_ = pattern;
    }
  }
  ~ScratchCopy() {
    if (!path_.empty() && !kept_) {
      std::error_code ec;
      fs::remove(path_, ec);
    }
  }
  ScratchCopy(const ScratchCopy&) = delete;
  ScratchCopy& operator=(const ScratchCopy&) = delete;
  const std::string& path() const { return path_; }
  void Keep() { kept_ = true; }

 private:
  std::string path_;
  bool kept_ = false;
};

}  // namespace

TYX_TagLibMedia::TYX_TagLibMedia(std::string path, std::uint32_t flag, MediaFormat format)
    : path_(std::move(path)), flag_(flag), format_(format) {}

std::shared_ptr<TYX_TagLibMedia> TYX_TagLibMedia::Open(const std::string& path, std::uint32_t flag,
                                                        std::string& error) {
  const std::optional<MediaFormat> format = FormatOfPath(path);
  if (!format) {
    error = "not a supported media format (mp3, ogg, wma, asf, wav): " + path;
    return nullptr;
  }
  std::error_code ec;
  if (!fs::is_regular_file(fs::path(path), ec)) {
    error = "no such file: " + path;
    return nullptr;
  }
  std::shared_ptr<TYX_TagLibMedia> media(new TYX_TagLibMedia(path, flag, *format));
  if (!ReadMediaFile(path, *format, true, media->tags_, media->facts_, error)) return nullptr;
  error.clear();
  return media;
}

std::string TYX_TagLibMedia::GetText(MediaText field) const {
  return field < MediaText::Count ? tags_.Text(field) : std::string();
}

void TYX_TagLibMedia::SetText(MediaText field, const std::string& value) {
  if (field < MediaText::Count) tags_.Text(field) = value;
}

std::uint32_t TYX_TagLibMedia::GetNumber(MediaNumber field) const {
  return field < MediaNumber::Count ? tags_.Number(field) : 0;
}

void TYX_TagLibMedia::SetNumber(MediaNumber field, std::uint32_t value) {
  if (field < MediaNumber::Count) tags_.Number(field) = value;
}

std::string TYX_TagLibMedia::GetAlbumImagePath() const {
  if (tags_.image.empty()) return std::string();
  std::error_code ec;
  std::string dir = fs::temp_directory_path(ec).string();
  if (ec || dir.empty()) dir = "/tmp";
  const std::string ext = ImageExtension(tags_.imageMime);
  std::string pattern = dir + "/tyx_album_XXXXXX" + ext;
  const int fd = mkstemps(pattern.data(), static_cast<int>(ext.size()));
  if (fd < 0) return std::string();
  std::size_t written = 0;
  while (written < tags_.image.size()) {
    const ssize_t n = write(fd, tags_.image.data() + written, tags_.image.size() - written);
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  close(fd);
  if (written != tags_.image.size()) {
    unlink(pattern.c_str());
    return std::string();
  }
  return pattern;
}

bool TYX_TagLibMedia::SetAlbumImagePath(const std::string& imagePath) {
  if (imagePath.empty()) return SetAlbumImageData({});
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(fs::path(imagePath), ec);
  if (ec || size == 0 || size > kMaxImageBytes) {
    lastError_ = "the image file cannot be read: " + imagePath;
    return false;
  }
  std::ifstream in(imagePath, std::ios::binary);
  std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    lastError_ = "the image file cannot be read: " + imagePath;
    return false;
  }
  return SetAlbumImageData(data);
}

std::vector<std::uint8_t> TYX_TagLibMedia::GetAlbumImageData(std::string* mimeType) const {
  if (mimeType) *mimeType = tags_.imageMime;
  return tags_.image;
}

bool TYX_TagLibMedia::SetAlbumImageData(const std::vector<std::uint8_t>& data) {
  if (data.empty()) {
    tags_.image.clear();
    tags_.imageMime.clear();
    return true;
  }
  const std::string mime = SniffImageMime(data);
  if (mime.empty()) {
    lastError_ = "not a JPEG, PNG, GIF or BMP image";
    return false;
  }
  tags_.image = data;
  tags_.imageMime = mime;
  return true;
}

bool TYX_TagLibMedia::CanWriteTags() const {
  std::string folder = Util::GetFilePath(path_);
  if (folder.empty()) folder.push_back('.');
  return access(path_.c_str(), R_OK | W_OK) == 0 && access(folder.c_str(), W_OK | X_OK) == 0;
}

std::int32_t TYX_TagLibMedia::Save() {
  lastError_.clear();
  if (!CanWriteTags()) {
    lastError_ = "the file or its folder is read-only: " + path_;
    return kSaveFailed;
  }
  ScratchCopy scratch(path_);
  if (scratch.path().empty()) {
    lastError_ = "cannot make a scratch file beside " + path_;
    return kSaveFailed;
  }
  std::error_code ec;
  fs::copy_file(fs::path(path_), fs::path(scratch.path()), fs::copy_options::overwrite_existing, ec);
  if (ec) {
    lastError_ = "cannot copy the file: " + ec.message();
    return kSaveFailed;
  }
  std::string error;
  if (!WriteMediaFile(scratch.path(), format_, tags_, error)) {
    lastError_ = error;
    return kSaveFailed;
  }
  // The written copy must parse again before it replaces the file.
  MediaTags check;
  StreamFacts facts;
  if (!ReadMediaFile(scratch.path(), format_, false, check, facts, error)) {
    lastError_ = "the saved file did not parse again: " + error;
    return kSaveFailed;
  }
  const fs::perms mode = fs::status(fs::path(path_), ec).permissions();
  if (!ec) fs::permissions(fs::path(scratch.path()), mode, ec);
  if (std::rename(scratch.path().c_str(), path_.c_str()) != 0) {
    lastError_ = "cannot replace the file: " + path_;
    return kSaveFailed;
  }
  scratch.Keep();
  facts_.fileSize = facts.fileSize;
  return kSaveOk;
}

}  // namespace TYX::Media
