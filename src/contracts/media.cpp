#include "contracts/media.h"

#include <mutex>
#include <utility>

namespace TYX {
namespace {

// The installed factory; any thread reads or replaces it under the lock.
struct FactorySlot {
  std::mutex lock;
  TYX_Media::Factory factory;
};

// Made on first use, so a component may install its factory from a static initialiser.
FactorySlot& Slot() {
  static FactorySlot slot;
  return slot;
}

}  // namespace

TYX_MediaPtr TYX_Media::Instance(const std::string& path, std::uint32_t flag, std::string* error) {
  Factory factory;
  {
    std::lock_guard<std::mutex> guard(Slot().lock);
    factory = Slot().factory;
  }
  std::string reason;
  TYX_MediaPtr media;
  if (!factory) {
    reason = "no media component installed";
  } else if (path.empty()) {
    reason = "empty path";
  } else {
    media = factory(path, flag, reason);
    if (!media && reason.empty()) reason = "the file cannot be opened as media: " + path;
  }
  if (media) reason.clear();
  if (error) *error = reason;
  return media;
}

TYX_Media::Factory TYX_Media::SetFactory(Factory factory) {
  std::lock_guard<std::mutex> guard(Slot().lock);
  return std::exchange(Slot().factory, std::move(factory));
}

bool TYX_Media::HasFactory() {
  std::lock_guard<std::mutex> guard(Slot().lock);
  return static_cast<bool>(Slot().factory);
}

bool CopyMediaTags(const TYX_Media& from, TYX_Media& to) {
  for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(MediaText::Count); ++i) {
    to.SetText(static_cast<MediaText>(i), from.GetText(static_cast<MediaText>(i)));
  }
  for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(MediaNumber::Count); ++i) {
    to.SetNumber(static_cast<MediaNumber>(i), from.GetNumber(static_cast<MediaNumber>(i)));
  }
  return to.SetAlbumImageData(from.GetAlbumImageData());
}

}  // namespace TYX
