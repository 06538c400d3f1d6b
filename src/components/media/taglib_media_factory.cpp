#include "components/media/taglib_media_factory.h"

#include <exception>

#include "components/media/taglib_media.h"

namespace TYX::Media {

TYX_MediaPtr OpenTagLibMedia(const std::string& path, std::uint32_t flag, std::string& error) {
  try {
    return TYX_TagLibMedia::Open(path, flag, error);
  } catch (const std::exception& e) {
    // A hostile file can make the parser ask for huge buffers; that is a bad file, not a crash.
    error = std::string("the file cannot be parsed: ") + e.what();
    return nullptr;
  }
}

void InstallTagLibMediaFactory() { TYX_Media::SetFactory(&OpenTagLibMedia); }

namespace {

// Installs the factory at load time when this object is linked in and nothing else was installed.
const bool kInstalledAtLoad = [] {
  if (!TYX_Media::HasFactory()) TYX_Media::SetFactory(&OpenTagLibMedia);
  return true;
}();

}  // namespace
}  // namespace TYX::Media
