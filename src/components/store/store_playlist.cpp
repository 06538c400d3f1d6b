#include "components/store/store_playlist.h"

#include <algorithm>

#include "components/store/store_item.h"
#include "contracts/library.h"
#include "platform/types.h"

namespace TYX::Store {

void TYX_StorePlaylist::Notify(NoticeList& notices, std::uint32_t code, std::uint32_t param) const {
  std::uint32_t msg = TYX_StoreCore::MessageOf(stockId_);
  if (msg != 0) notices.push_back({msg, code, param});
}

void TYX_StorePlaylist::LoadEntryLocked(std::uint64_t seq, std::uint32_t song) {
  entries_.push_back({seq, song});
  nextSeq_ = std::max(nextSeq_, seq + 1);
  if (HoldsEachOnce()) seqOfSong_.emplace(song, seq);
}

std::uint32_t TYX_StorePlaylist::PositionOfSeqLocked(std::uint64_t seq) const {
  auto it = std::lower_bound(entries_.begin(), entries_.end(), seq,
                             [](const Entry& e, std::uint64_t s) { return e.seq < s; });
  if (it == entries_.end() || it->seq != seq) return kNoPosition;
  return static_cast<std::uint32_t>(it - entries_.begin());
}

std::uint32_t TYX_StorePlaylist::FindLocked(std::uint32_t song) const {
  if (HoldsEachOnce()) {
    auto it = seqOfSong_.find(song);
    return it == seqOfSong_.end() ? kNoPosition : PositionOfSeqLocked(it->second);
  }
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].song == song) return static_cast<std::uint32_t>(i);
  }
  return kNoPosition;
}

std::uint32_t TYX_StorePlaylist::CountItem() const {
  std::lock_guard<std::mutex> lock(core_.mu);
  return static_cast<std::uint32_t>(entries_.size());
}

std::uint32_t TYX_StorePlaylist::GetItem(std::uint32_t position) const {
  std::lock_guard<std::mutex> lock(core_.mu);
  return position < entries_.size() ? entries_[position].song : kNoLibraryIndex;
}

TYX_LibraryItem* TYX_StorePlaylist::GetItem_LibraryItem(std::uint32_t position) const {
  std::lock_guard<std::mutex> lock(core_.mu);
  return position < entries_.size() ? core_.ItemLocked(entries_[position].song) : nullptr;
}

std::uint32_t TYX_StorePlaylist::FindItem(std::uint32_t libraryIndex) const {
  std::lock_guard<std::mutex> lock(core_.mu);
  return FindLocked(libraryIndex);
}

std::uint32_t TYX_StorePlaylist::AppendLocked(std::uint32_t song, NoticeList& notices) {
  std::uint64_t seq = nextSeq_;
  std::string error;
  if (!core_.Db().InsertEntry(row_.id, seq, song, error)) {
    core_.FailLocked(error);
    return kNoPosition;
  }
  ++nextSeq_;
  entries_.push_back({seq, song});
  if (HoldsEachOnce()) seqOfSong_.emplace(song, seq);
  Notify(notices, LIBRARY_EVENT_ADDED, song);
  return static_cast<std::uint32_t>(entries_.size() - 1);
}

std::uint32_t TYX_StorePlaylist::InsertItem(std::uint32_t libraryIndex, std::uint32_t flags) {
  (void)flags;
  NoticeList notices;
  std::uint32_t position = kNoPosition;
  {
    std::lock_guard<std::mutex> lock(core_.mu);
    TYX_StoreItem* item = core_.ItemLocked(libraryIndex);
    if (removed_ || item == nullptr || item->StateLocked() != TYX_StoreItem::State::Live) return kNoPosition;
    if (HoldsEachOnce()) {
      position = FindLocked(libraryIndex);
      if (position != kNoPosition) return position;
    }
    if (stockId_ != STOCK_PLAYLIST_OLDNOWPLAYING) {
      position = AppendLocked(libraryIndex, notices);
    } else {
      // A song played again moves to the end; the oldest entries go beyond the limit. The file is
      // changed first, memory only once every row is stored.
      std::vector<std::size_t> drop;
      std::uint32_t old = FindLocked(libraryIndex);
      if (old != kNoPosition) drop.push_back(old);
      std::size_t kept = entries_.size() - drop.size();
      for (std::size_t i = 0; kept >= kOldNowPlayingLimit && i < entries_.size(); ++i) {
        if (i == old) continue;
        drop.push_back(i);
        --kept;
      }
      std::sort(drop.begin(), drop.end());
      if (!core_.BeginOpLocked()) return kNoPosition;
      std::string error;
      bool ok = true;
      for (std::size_t i : drop) ok = ok && core_.Db().DeleteEntry(row_.id, entries_[i].seq, error);
      ok = ok && core_.Db().InsertEntry(row_.id, nextSeq_, libraryIndex, error);
      if (!ok) core_.FailLocked(error);
      if (!core_.EndOpLocked(ok)) return kNoPosition;
      for (std::size_t k = drop.size(); k-- > 0;) {
        Notify(notices, LIBRARY_EVENT_REMOVED, entries_[drop[k]].song);
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(drop[k]));
      }
      entries_.push_back({nextSeq_++, libraryIndex});
      Notify(notices, LIBRARY_EVENT_ADDED, libraryIndex);
      position = static_cast<std::uint32_t>(entries_.size() - 1);
    }
  }
  core_.Post(notices);
  return position;
}

std::uint32_t TYX_StorePlaylist::InsertItem(const std::string& path, std::uint32_t flags, std::uint32_t kind) {
  std::uint32_t index = core_.InsertFile(path, kind, nullptr);
  if (index == kNoLibraryIndex) return kNoPosition;
  return InsertItem(index, flags);
}

std::int32_t TYX_StorePlaylist::RemoveAtLocked(std::uint32_t position, NoticeList& notices) {
  if (position >= entries_.size()) return Win::E_INVALIDARG;
  Entry e = entries_[position];
  std::string error;
  if (!core_.Db().DeleteEntry(row_.id, e.seq, error)) {
    core_.FailLocked(error);
    return Win::E_FAIL;
  }
  entries_.erase(entries_.begin() + position);
  if (HoldsEachOnce()) seqOfSong_.erase(e.song);
  // The play position of the now-playing list keeps naming the same song.
  if (stockId_ == STOCK_PLAYLIST_NOWPLAYING && row_.userData != kNoPosition && position < row_.userData) {
    PlaylistRow next = row_;
    --next.userData;
    WriteRowLocked(next, notices);
  }
  Notify(notices, LIBRARY_EVENT_REMOVED, e.song);
  return Win::S_OK;
}

std::int32_t TYX_StorePlaylist::RemoveItem(std::uint32_t position) {
  NoticeList notices;
  std::int32_t hr;
  {
    std::lock_guard<std::mutex> lock(core_.mu);
    if (position >= entries_.size()) return Win::E_INVALIDARG;
    if (stockId_ == STOCK_PLAYLIST_LIBRARY) {
      // The whole library: taking a song out of it takes it out of the library.
      hr = core_.RemoveSongLocked(entries_[position].song, notices);
    } else {
      if (!core_.BeginOpLocked()) return Win::E_FAIL;
      hr = RemoveAtLocked(position, notices);
      if (!core_.EndOpLocked(hr == Win::S_OK)) hr = Win::E_FAIL;
    }
  }
  core_.Post(notices);
  return hr;
}

void TYX_StorePlaylist::DropSongLocked(std::uint32_t song, NoticeList& notices) {
  auto dropAt = [&](std::size_t i) {
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
    if (stockId_ == STOCK_PLAYLIST_NOWPLAYING && row_.userData != kNoPosition && i < row_.userData) {
      --row_.userData;
      std::string error;
      if (!core_.Db().UpdatePlaylist(row_, error)) core_.FailLocked(error);
      Notify(notices, LIBRARY_EVENT_PROPERTY_CHANGED, kNoLibraryIndex);
    }
    Notify(notices, LIBRARY_EVENT_REMOVED, song);
  };
  if (HoldsEachOnce()) {
    // At most one entry, found through the index of songs.
    std::uint32_t position = FindLocked(song);
    if (position != kNoPosition) dropAt(position);
    seqOfSong_.erase(song);
    return;
  }
  for (std::size_t i = entries_.size(); i-- > 0;) {
    if (entries_[i].song == song) dropAt(i);
  }
}

std::int32_t TYX_StorePlaylist::ClearLocked(NoticeList& notices) {
  if (entries_.empty()) return Win::S_OK;
  if (stockId_ == STOCK_PLAYLIST_LIBRARY) {
    if (!core_.BeginOpLocked()) return Win::E_FAIL;
    std::int32_t hr = Win::S_OK;
    while (!entries_.empty() && hr == Win::S_OK) hr = core_.RemoveSongLocked(entries_.back().song, notices);
    core_.EndOpLocked(true);  // songs removed so far stay removed, in the file as in memory
    return hr;
  }
  std::string error;
  if (!core_.Db().DeleteEntriesOfPlaylist(row_.id, error)) {
    core_.FailLocked(error);
    return Win::E_FAIL;
  }
  entries_.clear();
  seqOfSong_.clear();
  if (stockId_ == STOCK_PLAYLIST_NOWPLAYING && row_.userData != kNoPosition) {
    PlaylistRow next = row_;
    next.userData = kNoPosition;
    WriteRowLocked(next, notices);
  }
  Notify(notices, LIBRARY_EVENT_REMOVED, kNoLibraryIndex);
  return Win::S_OK;
}

std::int32_t TYX_StorePlaylist::ClearItem() {
  NoticeList notices;
  std::int32_t hr;
  {
    std::lock_guard<std::mutex> lock(core_.mu);
    hr = ClearLocked(notices);
  }
  CoalesceNotices(notices);
  core_.Post(notices);
  return hr;
}

bool TYX_StorePlaylist::WriteRowLocked(const PlaylistRow& row, NoticeList& notices) {
  if (removed_) return false;
  std::string error;
  if (!core_.Db().UpdatePlaylist(row, error)) {
    core_.FailLocked(error);
    return false;
  }
  row_ = row;
  Notify(notices, LIBRARY_EVENT_PROPERTY_CHANGED, kNoLibraryIndex);
  return true;
}

#define TYX_PLAYLIST_SETTER(Name, Type, member)                      \
  bool TYX_StorePlaylist::Name(Type value) {                         \
    NoticeList notices;                                              \
    bool ok;                                                         \
    {                                                                \
      std::lock_guard<std::mutex> lock(core_.mu);                    \
      if (row_.member == value) return !removed_;                    \
      PlaylistRow next = row_;                                       \
      next.member = value;                                           \
      ok = WriteRowLocked(next, notices);                            \
    }                                                                \
    core_.Post(notices);                                             \
    return ok;                                                       \
  }

TYX_PLAYLIST_SETTER(SetTitle, const std::string&, title)
TYX_PLAYLIST_SETTER(SetAttribute, std::uint32_t, attribute)
TYX_PLAYLIST_SETTER(SetUserString, const std::string&, userString)
TYX_PLAYLIST_SETTER(SetUserData, std::uint32_t, userData)
#undef TYX_PLAYLIST_SETTER

std::string TYX_StorePlaylist::GetTitle() const {
  std::lock_guard<std::mutex> lock(core_.mu);
  return row_.title;
}
std::uint32_t TYX_StorePlaylist::GetAttribute() const {
  std::lock_guard<std::mutex> lock(core_.mu);
  return row_.attribute;
}
std::string TYX_StorePlaylist::GetUserString() const {
  std::lock_guard<std::mutex> lock(core_.mu);
  return row_.userString;
}
std::uint32_t TYX_StorePlaylist::GetUserData() const {
  std::lock_guard<std::mutex> lock(core_.mu);
  return row_.userData;
}

std::uint32_t TYX_StorePlaylist::CountPlaylist() const {
  std::lock_guard<std::mutex> lock(core_.mu);
  return static_cast<std::uint32_t>(children_.size());
}

TYX_Playlist* TYX_StorePlaylist::GetPlaylist(std::uint32_t i) const {
  std::lock_guard<std::mutex> lock(core_.mu);
  return i < children_.size() ? children_[i] : nullptr;
}

TYX_Playlist* TYX_StorePlaylist::AddPlaylist(const std::string& title) {
  std::lock_guard<std::mutex> lock(core_.mu);
  if (removed_) return nullptr;
  TYX_StorePlaylist* child = core_.NewPlaylistLocked(this, title);
  if (child != nullptr) children_.push_back(child);
  return child;
}

bool TYX_StorePlaylist::DeleteTreeLocked() {
  std::string error;
  for (TYX_StorePlaylist* c : children_) {
    if (!c->DeleteTreeLocked()) return false;
  }
  if (!core_.Db().DeleteEntriesOfPlaylist(row_.id, error) || !core_.Db().DeletePlaylist(row_.id, error)) {
    core_.FailLocked(error);
    return false;
  }
  return true;
}

void TYX_StorePlaylist::MarkRemovedTreeLocked() {
  for (TYX_StorePlaylist* c : children_) c->MarkRemovedTreeLocked();
  removed_ = true;
  entries_.clear();
  seqOfSong_.clear();
  children_.clear();
}

std::int32_t TYX_StorePlaylist::RemovePlaylist(std::uint32_t i) {
  std::lock_guard<std::mutex> lock(core_.mu);
  if (i >= children_.size()) return Win::E_INVALIDARG;
  TYX_StorePlaylist* child = children_[i];
  if (!core_.BeginOpLocked()) return Win::E_FAIL;
  bool ok = child->DeleteTreeLocked();
  if (!core_.EndOpLocked(ok)) return Win::E_FAIL;
  child->MarkRemovedTreeLocked();
  children_.erase(children_.begin() + i);
  return Win::S_OK;
}

}  // namespace TYX::Store
