#include "components/media/taglib_media.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "components/media/media_file.h"
#include "components/media/scratch_copy.h"

namespace TYX::Media {
namespace fs = std::filesystem;

namespace {

constexpr std::int32_t kSaveOk = 0;
constexpr std::int32_t kSaveFailed = static_cast<std::int32_t>(0x80004005u);
constexpr std::uintmax_t kMaxImageBytes = 16u << 20;

std::string ErrnoText(int error) { return std::strerror(error); }

// The file a save replaces: the path with every symbolic link resolved, so a link keeps pointing at
// the saved file. Empty with a reason when there is no regular file there.
std::string SaveTarget(const std::string& path, std::string& error) {
  std::error_code ec;
  const fs::path target = fs::canonical(fs::path(path), ec);
  if (ec) {
    error = "no such file: " + path;
    return std::string();
  }
  if (!fs::is_regular_file(target, ec)) {
    error = "not a regular file: " + path;
    return std::string();
  }
  return target.string();
}

std::string FolderOf(const std::string& path) {
  const fs::path folder = fs::path(path).parent_path();
  return folder.empty() ? std::string(".") : folder.string();
}

bool Writable(const std::string& target) {
  return access(target.c_str(), R_OK | W_OK) == 0 && access(FolderOf(target).c_str(), W_OK | X_OK) == 0;
}

// The field of the record where two records first differ, for the error text.
std::string FirstDifference(const MediaTags& a, const MediaTags& b) {
  static const char* const kTexts[] = {"title", "artist", "album", "genre", "year",
                                       "comment", "composer", "label", "lyrics", "extra text"};
  static const char* const kNumbers[] = {"track", "track count", "disc", "disc count", "highlight start",
                                         "highlight length"};
  static_assert(std::size(kTexts) == static_cast<std::size_t>(MediaText::Count));
  static_assert(std::size(kNumbers) == static_cast<std::size_t>(MediaNumber::Count));
  for (std::size_t i = 0; i < a.texts.size(); ++i) {
    if (a.texts[i] != b.texts[i]) return kTexts[i];
  }
  for (std::size_t i = 0; i < a.numbers.size(); ++i) {
    if (a.numbers[i] != b.numbers[i]) return kNumbers[i];
  }
  return "album image";
}

bool SameAudio(const StreamFacts& a, const StreamFacts& b) {
  return a.durationMs == b.durationMs && a.sampleRate == b.sampleRate && a.channels == b.channels &&
         a.audioLength == b.audioLength;
}

// Makes the rename itself durable. The file is already complete in its new place, so a folder that
// cannot be flushed does not undo the save.
void FlushFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

TYX_TagLibMedia::TYX_TagLibMedia(std::string path, std::uint32_t flag, MediaFormat format)
    : path_(std::move(path)), flag_(flag), format_(format) {}

std::shared_ptr<TYX_TagLibMedia> TYX_TagLibMedia::Open(const std::string& path, std::uint32_t flag,
                                                        std::string& error) {
  const std::optional<MediaFormat> format = FormatOfPath(path);
  if (!format) {
    error = "not a supported media format (mp3, ogg, wma, asf, wav, flac, m4a, opus): " + path;
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
  std::string error;
  const std::string target = SaveTarget(path_, error);
  return !target.empty() && Writable(target);
}

std::int32_t TYX_TagLibMedia::Save() {
  lastError_.clear();
  std::string error;
  const std::string target = SaveTarget(path_, error);
  if (target.empty()) {
    lastError_ = error;
    return kSaveFailed;
  }
  if (!Writable(target)) {
    lastError_ = "the file or its folder is read-only: " + path_;
    return kSaveFailed;
  }
  // The audio as the file holds it now: the saved copy must hold the same.
  MediaTags current;
  StreamFacts before;
  if (!ReadMediaFile(target, format_, false, current, before, error, true)) {
    lastError_ = "the file cannot be parsed any more: " + error;
    return kSaveFailed;
  }
  ScratchCopy scratch(target);
  if (scratch.path().empty() || !scratch.CopyFrom(target)) {
    lastError_ = scratch.error();
    return kSaveFailed;
  }
  MediaTags expected;
  if (!WriteMediaFile(scratch.path(), format_, tags_, expected, error)) {
    lastError_ = error;
    return kSaveFailed;
  }
  // Read back from the disk: the copy replaces the file only when it parses, keeps the audio whole and
  // holds every field written.
  MediaTags check;
  StreamFacts after;
  if (!ReadMediaFile(scratch.path(), format_, true, check, after, error, true)) {
    lastError_ = "the saved file did not parse again: " + error;
    return kSaveFailed;
  }
  if (!SameAudio(before, after)) {
    lastError_ = "the saved file lost audio: " + path_;
    return kSaveFailed;
  }
  if (!(check == expected)) {
    lastError_ = "the saved file did not keep the " + FirstDifference(check, expected) + ": " + path_;
    return kSaveFailed;
  }
  if (std::rename(scratch.path().c_str(), target.c_str()) != 0) {
    lastError_ = "cannot replace the file " + path_ + ": " + ErrnoText(errno);
    return kSaveFailed;
  }
  scratch.Keep();
  FlushFolder(FolderOf(target));
  facts_.fileSize = after.fileSize;
  return kSaveOk;
}

}  // namespace TYX::Media
