#include "device/phone_file_util.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#include <stb/stb_image.h>
#define STB_IMAGE_RESIZE_STATIC
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb/stb_image_resize.h>
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

#include "contracts/media.h"
#include "util/file_system.h"
#include "util/log.h"
#include "util/log_scope.h"

namespace TYX::Device {

namespace fs = std::filesystem;

namespace {

constexpr int kJpegQuality = 90;

struct PixelsFree {
  void operator()(stbi_uc* p) const { stbi_image_free(p); }
};

void AppendBytes(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(context);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

// A new empty "tyx_album_XXXXXX.mp3" in the temporary folder; empty when none can be made.
std::string NewCopyName() {
  std::string pattern = Util::GetTempFolder() + "tyx_album_XXXXXX.mp3";
  const int fd = ::mkstemps(pattern.data(), 4);
  if (fd < 0) return {};
  ::close(fd);
  return pattern;
}

void Log(const char* what, const std::string& path) {
  Util::TYX_Log::Instance()->Add("TYX_PhoneFileUtil::AlbumImgAdjust %s : %s", what, path.c_str());
}

}  // namespace

std::string TYX_PhoneFileUtil::AlbumImgAdjust(const std::string& path, int width, int height) {
  TYX_LogScope scope("TYX_PhoneFileUtil::AlbumImgAdjust");
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return {};
  TYX_MediaPtr media = TYX_Media::Instance(path, kMediaOpenRead);
  if (!media || !media->IsValid()) return {};
  const std::vector<std::uint8_t> image = media->GetAlbumImageData();
  if (image.empty() || image.size() > static_cast<std::size_t>(INT32_MAX)) return {};
  const auto* data = image.data();
  const int length = static_cast<int>(image.size());
  int w = 0, h = 0, channels = 0;
  // The size first: a huge picture is refused before anything is decoded.
  if (stbi_info_from_memory(data, length, &w, &h, &channels) == 0 || w > kMaxSide || h > kMaxSide) {
    Log("cannot load the album image of", path);
    return {};
  }
  std::unique_ptr<stbi_uc, PixelsFree> pixels(stbi_load_from_memory(data, length, &w, &h, &channels, 3));
  if (!pixels) {
    Log("cannot load the album image of", path);
    return {};
  }
  if (w <= kKeepSide && h <= kKeepSide) return {};

  std::vector<unsigned char> resized(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  if (stbir_resize_uint8(pixels.get(), w, h, 0, resized.data(), width, height, 0, 3) == 0) return {};
  std::vector<std::uint8_t> jpeg;
  if (stbi_write_jpg_to_func(&AppendBytes, &jpeg, width, height, 3, resized.data(), kJpegQuality) == 0 ||
      jpeg.empty()) {
    return {};
  }

  const std::string copy = NewCopyName();
  if (copy.empty()) return {};
  auto fail = [&copy](const char* why) {
    Log(why, copy);
    std::error_code ignored;
    fs::remove(copy, ignored);
    return std::string();
  };
  std::error_code ec;
  fs::copy_file(path, copy, fs::copy_options::overwrite_existing, ec);
  if (ec) return fail("cannot copy the song to");
  TYX_MediaPtr target = TYX_Media::Instance(copy, kMediaOpenRead);
  if (!target || !target->IsValid()) return fail("cannot read the copy");
  if (!target->SetAlbumImageData(jpeg)) return fail("cannot set the album image of");
  if (target->Save() != 0) return fail("cannot save the copy");
  return copy;
}

}  // namespace TYX::Device
