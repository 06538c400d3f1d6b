// The now-playing list (stock playlist 4), the previously-played list (5) and the playing mark.
#include "library/band_wnd.h"
#include "library/library_panel.h"
#include "util/file_type.h"

namespace TYX::Library {

std::uint32_t TYX_LibraryPanel::CurrentIndexOf(TYX_Playlist* nowPlaying) const {
  if (nowPlaying == nullptr) return kNoPosition;
  const std::uint32_t position = nowPlaying->GetUserData();
  return position < nowPlaying->CountItem() ? position : kNoPosition;
}

std::uint32_t TYX_LibraryPanel::GetPlayListCount() const {
  TYX_Playlist* np = manager_ != nullptr ? manager_->GetStockPlaylist(STOCK_PLAYLIST_NOWPLAYING) : nullptr;
  return np != nullptr ? np->CountItem() : 0;
}

std::uint32_t TYX_LibraryPanel::GetPlayListCurIndex() const {
  return CurrentIndexOf(manager_ != nullptr ? manager_->GetStockPlaylist(STOCK_PLAYLIST_NOWPLAYING) : nullptr);
}

std::uint32_t TYX_LibraryPanel::SetNowPlayList(bool clear, bool all, bool unused) {
  (void)unused;
  if (!IsAlive() || manager_ == nullptr) return kNoPosition;
  if (!ListType(listType_).songRows) return kNoPosition;
  TYX_Playlist* np = manager_->GetStockPlaylist(STOCK_PLAYLIST_NOWPLAYING);
  if (np == nullptr) return kNoPosition;
  // The indexes are read before the list is emptied: on the now-playing list itself the rows point
  // into the playlist that is about to be cleared.
  std::vector<std::uint32_t> indexes;
  GetSelectedMediaLibIndex(indexes, nullptr, all ? 1 : 0);
  if (clear) np->ClearItem();
  return NPL_AddLibraryIndex(indexes);
}

std::uint32_t TYX_LibraryPanel::NPL_AddLibraryIndex(const std::vector<std::uint32_t>& indexes) {
  TYX_Playlist* np = manager_ != nullptr ? manager_->GetStockPlaylist(STOCK_PLAYLIST_NOWPLAYING) : nullptr;
  if (np == nullptr) return kNoPosition;
  std::uint32_t first = kNoPosition;
  for (std::uint32_t index : indexes) {
    const std::uint32_t position = np->InsertItem(index, 0);
    if (first == kNoPosition) first = position;
  }
  return first;
}

TYX_MediaPtr TYX_LibraryPanel::NPL_GetMedia(std::uint32_t position) {
  TYX_Playlist* np = manager_ != nullptr ? manager_->GetStockPlaylist(STOCK_PLAYLIST_NOWPLAYING) : nullptr;
  if (np == nullptr) return nullptr;
  TYX_LibraryItem* item = np->GetItem_LibraryItem(position);
  return item != nullptr ? item->CreateMediaInstance() : nullptr;
}

std::list<TYX_MediaPtr> TYX_LibraryPanel::NPL_GetMedia() {
  std::list<TYX_MediaPtr> media;
  TYX_Playlist* np = manager_ != nullptr ? manager_->GetStockPlaylist(STOCK_PLAYLIST_NOWPLAYING) : nullptr;
  if (np == nullptr) return media;
  const std::uint32_t count = np->CountItem();
  for (std::uint32_t pos = 0; pos < count; ++pos) media.push_back(NPL_GetMedia(pos));
  return media;
}

long TYX_LibraryPanel::NPL_RemoveItem(std::uint32_t position) {
  TYX_Playlist* np = manager_ != nullptr ? manager_->GetStockPlaylist(STOCK_PLAYLIST_NOWPLAYING) : nullptr;
  if (np == nullptr || position >= np->CountItem()) return Win::E_FAIL;
  TYX_LibraryItem* item = np->GetItem_LibraryItem(position);
  // Only entries whose file is gone (or of no known type) are dropped.
  if (item != nullptr && Util::GetFileType(item->GetPath()) == FileType::Unknown) np->RemoveItem(position);
  return Win::S_OK;
}

long TYX_LibraryPanel::RemoveItemOldPlayList(int unused) {
  (void)unused;
  TYX_Playlist* old = manager_ != nullptr ? manager_->GetStockPlaylist(STOCK_PLAYLIST_OLDNOWPLAYING) : nullptr;
  if (old == nullptr || old->CountItem() == 0) return Win::E_FAIL;
  TYX_LibraryItem* item = old->GetItem_LibraryItem(0);
  if (item != nullptr && Util::GetFileType(item->GetPath()) == FileType::Unknown) old->RemoveItem(0);
  return Win::S_OK;
}

long TYX_LibraryPanel::NPL_RemoveItemAll() {
  if (band_ == nullptr) return Win::E_INVALIDARG;
  TYX_Playlist* np = manager_ != nullptr ? manager_->GetStockPlaylist(STOCK_PLAYLIST_NOWPLAYING) : nullptr;
  if (np == nullptr || np->CountItem() == 0) return Win::E_FAIL;
  while (np->CountItem() > 0) {
    if (np->RemoveItem(0) != Win::S_OK) return Win::E_FAIL;  // a failed write would loop forever
  }
  const std::string page = band_->GetSelectedPageID();
  if (GetLibraryType(page) == kNowPlaying) Refresh(page, REFRESH_LEVEL_NONE, 1);
  return Win::S_OK;
}

long TYX_LibraryPanel::SetNowPlayingMedia(TYX_MediaPtr media, std::uint32_t playState) {
  ListCtrl* list = lists_[LIST_NOWPLAYING].get();
  if (lists_[LIST_LIBRARY] == nullptr || list == nullptr || manager_ == nullptr || !nowPlaying_) return Win::E_FAIL;
  if (playState != kNoPosition) {
    nowPlaying_->SetLastPlayState(media, playState);
  } else {
    nowPlaying_->GetLastPlayState(&media, &playState);
    // A state read back from the file names its song by path; the media object is opened on demand.
    if (!media && !nowPlaying_->GetLastPath().empty()) {
      media = TYX_Media::Instance(nowPlaying_->GetLastPath(), kMediaOpenRead);
      if (media) nowPlaying_->SetLastPlayState(media, playState);
    }
  }
  if (listType_ != kNowPlaying) return Win::E_FAIL;
  const std::uint32_t current = GetPlayListCurIndex();
  if (current == kNoPosition || !media) {
    list->SetFieldNowPlaying(0, 0);
    return Win::S_OK;
  }
  const int row = list->FindRowFromFieldKey(current);
  if (row < 0) {
    list->SetFieldNowPlaying(0, 0);
  } else {
    list->SetFieldNowPlaying(row, playState != 0 ? 1 : 2);
  }
  return Win::S_OK;
}

void TYX_LibraryPanel::DisplayCurrentPlayItem() {
  if (GetPlayListCurIndex() == kNoPosition || listType_ != kNowPlaying) return;
  ListCtrl* list = lists_[LIST_NOWPLAYING].get();
  if (list == nullptr) return;
  list->SetRedraw(false);
  const int top = list->GetTopIndex();
  Refresh(kPageNowPlaying, REFRESH_LEVEL_NONE, 1);
  EnsureVisible(top);
  list->SetRedraw(true);
}

std::string TYX_LibraryPanel::GetPlayListTitle(std::uint32_t position) const {
  TYX_Playlist* np = manager_ != nullptr ? manager_->GetStockPlaylist(STOCK_PLAYLIST_NOWPLAYING) : nullptr;
  TYX_LibraryItem* item = np != nullptr ? np->GetItem_LibraryItem(position) : nullptr;
  if (item == nullptr) return {};
  const std::string artist = item->GetArtist();
  if (artist.empty()) return item->GetTitle();
  return item->GetTitle() + " - " + artist;
}

std::string TYX_LibraryPanel::GetNextPlayTitle() const {
  TYX_Playlist* np = manager_ != nullptr ? manager_->GetStockPlaylist(STOCK_PLAYLIST_NOWPLAYING) : nullptr;
  const std::uint32_t current = CurrentIndexOf(np);
  if (current == kNoPosition) return {};
  const std::uint32_t next = current + 1 < np->CountItem() ? current + 1 : 0;
  TYX_LibraryItem* item = np->GetItem_LibraryItem(next);
  return item != nullptr ? item->GetSmartTitle() : std::string();
}

}  // namespace TYX::Library
