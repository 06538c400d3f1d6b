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

bool TYX_StorePlaylist::LoadEntryLocked(std::uint64_t seq, std::uint32_t song) {
  if (!entries_.empty() && seq <= entries_.back().seq) return false;
  if (HoldsEachOnce() && !seqOfSong_.emplace(song, seq).second) return false;
  entries_.push_back({seq, song});
  nextSeq_ = std::max(nextSeq_, seq + 1);
  return true;
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
  if (!core_.BeginOpLocked()) return kNoPosition;
  bool ok = core_.Db().InsertEntry(row_.id, seq, song, error);
  if (!ok) core_.FailLocked(error);
  if (!core_.EndOpLocked(ok)) return kNoPosition;
  ++nextSeq_;
  entries_.push_back({seq, song});
  if (HoldsEachOnce()) seqOfSong_.emplace(song, seq);
  Notify(notices, LIBRARY_EVENT_ADDED, song);
  return static_cast<std::uint32_t>(entries_.size() - 1);
}

std::uint32_t TYX_StorePlaylist::InsertLocked(std::uint32_t libraryIndex, NoticeList& notices) {
  TYX_StoreItem* item = core_.ItemLocked(libraryIndex);
  if (removed_ || item == nullptr || item->StateLocked() != TYX_StoreItem::State::Live) return kNoPosition;
  if (HoldsEachOnce()) {
    std::uint32_t position = FindLocked(libraryIndex);
    if (position != kNoPosition) return position;
  }
  if (stockId_ != STOCK_PLAYLIST_OLDNOWPLAYING) return AppendLocked(libraryIndex, notices);
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
  return static_cast<std::uint32_t>(entries_.size() - 1);
}

std::uint32_t TYX_StorePlaylist::InsertItem(std::uint32_t libraryIndex, std::uint32_t flags) {
  (void)flags;
  NoticeList notices;
  std::uint32_t position;
  {
    std::lock_guard<std::mutex> lock(core_.mu);
    position = InsertLocked(libraryIndex, notices);
  }
  core_.Post(notices);
  return position;
}

std::uint32_t TYX_StorePlaylist::InsertItem(const std::string& path, std::uint32_t flags, std::uint32_t kind) {
  std::uint32_t index = core_.InsertFile(path, kind, nullptr);
  if (index == kNoLibraryIndex) return kNoPosition;
  return InsertItem(index, flags);
}

std::vector<std::uint32_t> TYX_StorePlaylist::PositionsOfLocked(const SongSet& songs) const {
  std::vector<std::uint32_t> positions;
  if (songs.IsOne() && HoldsEachOnce()) {
    // At most one entry, found through the index of songs.
    std::uint32_t position = FindLocked(songs.One());
    if (position != kNoPosition) positions.push_back(position);
    return positions;
  }
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (songs.Has(entries_[i].song)) positions.push_back(static_cast<std::uint32_t>(i));
  }
  return positions;
}

std::uint32_t TYX_StorePlaylist::UserDataAfterLocked(const std::vector<std::uint32_t>& positions) const {
  if (stockId_ != STOCK_PLAYLIST_NOWPLAYING || row_.userData == kNoPosition) return row_.userData;
  auto before = std::lower_bound(positions.begin(), positions.end(), row_.userData) - positions.begin();
  return row_.userData - static_cast<std::uint32_t>(before);
}

void TYX_StorePlaylist::DropPositionsLocked(const std::vector<std::uint32_t>& positions, std::uint32_t userData,
                                            NoticeList& notices) {
  if (userData != row_.userData) {
    row_.userData = userData;
    Notify(notices, LIBRARY_EVENT_PROPERTY_CHANGED, kNoLibraryIndex);
  }
  // One pass from the first dropped entry on, keeping the rest in order.
  std::size_t out = positions.empty() ? entries_.size() : positions.front();
  std::size_t next = 0;
  for (std::size_t i = out; i < entries_.size(); ++i) {
    if (next < positions.size() && positions[next] == i) {
      ++next;
      if (HoldsEachOnce()) seqOfSong_.erase(entries_[i].song);
      Notify(notices, LIBRARY_EVENT_REMOVED, entries_[i].song);
      continue;
    }
    entries_[out++] = entries_[i];
  }
  entries_.resize(out);
}

std::int32_t TYX_StorePlaylist::RemoveAtLocked(std::uint32_t position, NoticeList& notices) {
  if (position >= entries_.size()) return Win::E_INVALIDARG;
  const std::vector<std::uint32_t> positions = {position};
  const std::uint32_t userData = UserDataAfterLocked(positions);
  // The entry and the play position that moves with it are one change.
  if (!core_.BeginOpLocked()) return Win::E_FAIL;
  std::string error;
  bool ok = core_.Db().DeleteEntry(row_.id, entries_[position].seq, error);
  if (ok && userData != row_.userData) {
    PlaylistRow next = row_;
    next.userData = userData;
    ok = core_.Db().UpdatePlaylist(next, error);
  }
  if (!ok) core_.FailLocked(error);
  if (!core_.EndOpLocked(ok)) return Win::E_FAIL;
  DropPositionsLocked(positions, userData, notices);
  return Win::S_OK;
}

std::int32_t TYX_StorePlaylist::RemoveItem(std::uint32_t position) {
  NoticeList notices;
  std::int32_t hr;
  {
    std::lock_guard<std::mutex> lock(core_.mu);
    if (position >= entries_.size()) {
      hr = Win::E_INVALIDARG;
    } else if (stockId_ == STOCK_PLAYLIST_LIBRARY) {
      // The whole library: taking a song out of it takes it out of the library.
      hr = core_.RemoveSongLocked(entries_[position].song, notices);
    } else {
      hr = RemoveAtLocked(position, notices);
    }
  }
  core_.Post(notices);
  return hr;
}

std::int32_t TYX_StorePlaylist::ClearLocked(NoticeList& notices) {
  if (entries_.empty()) return Win::S_OK;
  if (stockId_ == STOCK_PLAYLIST_LIBRARY) {
    // Every song of the list leaves the library, in one step.
    std::vector<std::uint32_t> songs;
    for (std::size_t i = entries_.size(); i-- > 0;) songs.push_back(entries_[i].song);
    std::vector<std::uint32_t> ascending = songs;
    std::sort(ascending.begin(), ascending.end());
    return core_.RemoveSongsLocked(songs, SongSet(std::move(ascending)), notices);
  }
  const bool resetPosition = stockId_ == STOCK_PLAYLIST_NOWPLAYING && row_.userData != kNoPosition;
  if (!core_.BeginOpLocked()) return Win::E_FAIL;
  std::string error;
  bool ok = core_.Db().DeleteEntriesOfPlaylist(row_.id, error);
  if (ok && resetPosition) {
    PlaylistRow next = row_;
    next.userData = kNoPosition;
    ok = core_.Db().UpdatePlaylist(next, error);
  }
  if (!ok) core_.FailLocked(error);
  if (!core_.EndOpLocked(ok)) return Win::E_FAIL;
  entries_.clear();
  seqOfSong_.clear();
  if (resetPosition) {
    row_.userData = kNoPosition;
    Notify(notices, LIBRARY_EVENT_PROPERTY_CHANGED, kNoLibraryIndex);
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
  if (!core_.BeginOpLocked()) return false;
  bool ok = core_.Db().UpdatePlaylist(row, error);
  if (!ok) core_.FailLocked(error);
  if (!core_.EndOpLocked(ok)) return false;
  row_ = row;
  Notify(notices, LIBRARY_EVENT_PROPERTY_CHANGED, kNoLibraryIndex);
  return true;
}

void TYX_StorePlaylist::ForgetLocked() {
  removed_ = true;
  entries_.clear();
  seqOfSong_.clear();
  children_.clear();
  nextSeq_ = 1;
}

void TYX_StorePlaylist::ReviveLocked(PlaylistRow row) {
  row_ = std::move(row);
  removed_ = false;
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
  TYX_StorePlaylist* child = nullptr;
  {
    std::lock_guard<std::mutex> lock(core_.mu);
    if (removed_) return nullptr;
    child = core_.NewPlaylistLocked(this, title);
    if (child != nullptr) children_.push_back(child);
  }
  core_.Post({});
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
  std::int32_t hr = Win::S_OK;
  {
    std::lock_guard<std::mutex> lock(core_.mu);
    if (i >= children_.size()) return Win::E_INVALIDARG;
    TYX_StorePlaylist* child = children_[i];
    if (!core_.BeginOpLocked()) {
      hr = Win::E_FAIL;
    } else if (!core_.EndOpLocked(child->DeleteTreeLocked())) {
      hr = Win::E_FAIL;
    } else {
      child->MarkRemovedTreeLocked();
      children_.erase(children_.begin() + i);
    }
  }
  core_.Post({});
  return hr;
}

}  // namespace TYX::Store
