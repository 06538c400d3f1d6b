#include "components/store/store_library.h"

#include "components/store/song_file.h"
#include "components/store/store_item.h"
#include "contracts/media.h"

namespace TYX::Store {

std::uint32_t TYX_StoreLibrary::InsertItem(const std::string& path, std::uint32_t kind) {
  return core_.InsertFile(path, kind, nullptr);
}

std::uint32_t TYX_StoreLibrary::InsertItem(const std::string& path, TYX_Media* media) {
  return core_.InsertFile(path, kItemKindFile, media);
}

std::uint32_t TYX_StoreLibrary::InsertItem(TYX_Media* media) {
  if (media == nullptr) return kNoLibraryIndex;
  std::string key = TYX_SongFile::NormalisePath(media->GetPath(), kItemKindFile);
  {
    std::lock_guard<std::mutex> lock(core_.mu);
    // The index the media object carries counts only when it still names the same file.
    TYX_StoreItem* item = core_.ItemLocked(media->GetLibraryIndex());
    if (item != nullptr && item->StateLocked() == TYX_StoreItem::State::Live &&
        item->PathRef() == key) {
      return media->GetLibraryIndex();
    }
  }
  return core_.InsertFile(media->GetPath(), kItemKindFile, media->IsValid() ? media : nullptr);
}

std::uint32_t TYX_StoreLibrary::FindItem(const std::string& path) const {
  // A CD-track name is tried as such first; anything else as a file path.
  std::string key = TYX_SongFile::NormalisePath(path, kItemKindCDTrack);
  std::lock_guard<std::mutex> lock(core_.mu);
  if (!key.empty()) {
    std::uint32_t found = core_.FindLocked(key);
    if (found != kNoLibraryIndex) return found;
  }
  key = TYX_SongFile::NormalisePath(path, kItemKindFile);
  return key.empty() ? kNoLibraryIndex : core_.FindLocked(key);
}

std::int32_t TYX_StoreLibrary::RemoveItem(std::uint32_t index) {
  NoticeList notices;
  std::int32_t hr;
  {
    std::lock_guard<std::mutex> lock(core_.mu);
    hr = core_.RemoveSongLocked(index, notices);
  }
  core_.Post(notices);
  return hr;
}

std::uint32_t TYX_StoreLibrary::CountItem() const {
  std::lock_guard<std::mutex> lock(core_.mu);
  return core_.NextIndexLocked();
}

std::uint32_t TYX_StoreLibrary::CountLiveItem() const {
  std::lock_guard<std::mutex> lock(core_.mu);
  return core_.LiveCountLocked();
}

std::int32_t TYX_StoreLibrary::ClearItem() {
  NoticeList notices;
  std::int32_t hr;
  {
    std::lock_guard<std::mutex> lock(core_.mu);
    hr = core_.RemoveAllSongsLocked(notices);
  }
  CoalesceNotices(notices);
  core_.Post(notices);
  return hr;
}

}  // namespace TYX::Store
