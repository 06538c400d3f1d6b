#include "components/store/store_core.h"

#include <algorithm>
#include <map>

#include "components/store/song_file.h"
#include "components/store/store_item.h"
#include "components/store/store_playlist.h"
#include "contracts/stock_playlist.h"
#include "platform/messaging.h"

namespace TYX::Store {

namespace {

constexpr std::uint32_t kStockIds[] = {2, 4, 5, 6, 7, 8};
// The most songs a load reserves room for before reading them.
constexpr std::size_t kReserveCap = std::size_t{1} << 20;

const char* StockTitle(std::uint32_t id) {
  switch (id) {
    case 2: return "보관함";
    case 4: return "현재재생목록";
    case 5: return "최근들은 100곡";
    case 6: return "내 기기에 담을 곡 목록";
    case 7: return "CD";
    case 8: return "전송 곡 목록";
    default: return "";
  }
}

}  // namespace

bool SongSet::Has(std::uint32_t song) const {
  return isOne_ ? song == one_ : std::binary_search(many_.begin(), many_.end(), song);
}

void CoalesceNotices(NoticeList& notices) {
  if (notices.size() < 2) return;
  NoticeList folded;
  for (const Notice& n : notices) {
    bool seen = std::any_of(folded.begin(), folded.end(),
                            [&](const Notice& f) { return f.message == n.message && f.code == n.code; });
    if (!seen) folded.push_back({n.message, n.code, kNoLibraryIndex});
  }
  notices = std::move(folded);
}

TYX_StoreCore::TYX_StoreCore(std::unique_ptr<TYX_StoreDatabase> db) : db_(std::move(db)) {}

TYX_StoreCore::~TYX_StoreCore() = default;

std::uint32_t TYX_StoreCore::MessageOf(std::uint32_t stockId) {
  switch (stockId) {
    case 2: return WM_LIBRARY_NOTIFY_LIBRARY;
    case 4: return WM_LIBRARY_NOTIFY_NOWPLAYING;
    case 5: return WM_LIBRARY_NOTIFY_OLDNOWPLAYING;
    case 6: return WM_LIBRARY_NOTIFY_SYNC;
    default: return 0;
  }
}

bool TYX_StoreCore::Load(std::string& error) {
  std::lock_guard<std::mutex> lock(mu);
  return ReadFileLocked(true, error);
}

bool TYX_StoreCore::ReadFileLocked(bool initial, std::string& error) {
  std::uint32_t fileNext = 0;
  if (!db_->ReadNextIndex(fileNext, error)) return false;
  nextIndex_ = std::max(nextIndex_, fileNext);
  byPath_.clear();
  liveCount_ = 0;
  removedCount_ = 0;
  // Rows come in ascending index order (the index is the table's key), so the indexes seen form a
  // sorted list. The next index bounds the count; a damaged file may name any, so the hint is capped.
  const std::size_t expected = std::min<std::size_t>(fileNext, kReserveCap);
  std::vector<std::uint32_t> seen;
  seen.reserve(expected);
  items_.reserve(expected);
  byPath_.reserve(expected);
  bool bad = false;
  bool ok = db_->LoadSongs(
      [&](const SongRow& row) {
        if (row.index >= fileNext || bad || (!seen.empty() && row.index <= seen.back())) {
          bad = true;
          return;
        }
        seen.push_back(row.index);
        auto state = row.removed ? TYX_StoreItem::State::Removed : TYX_StoreItem::State::Live;
        std::unique_ptr<TYX_StoreItem>& slot = items_[row.index];
        if (slot && slot->PathRef() == row.data.Text(ItemText::Path)) {
          slot->SetDataLocked(row.data);
          slot->SetStateLocked(state);
        } else {
          if (slot) retired_.push_back(std::move(slot));
          slot = std::make_unique<TYX_StoreItem>(*this, row.index, row.data, state);
        }
        // Stored paths are normalised already: they are the keys.
        if (!row.removed) {
          if (slot->PathRef().empty() || !byPath_.emplace(slot->PathRef(), row.index).second) {
            bad = true;
            return;
          }
          ++liveCount_;
        } else {
          ++removedCount_;
        }
      },
      error);
  if (!ok) return false;
  if (bad) {
    error = "the library file is damaged: a song has a bad index or path, or appears twice";
    return false;
  }
  // Objects of songs the file no longer has (packed, or added by a lost batch) stay dead.
  if (items_.size() != seen.size()) {
    for (auto& [index, item] : items_) {
      if (!std::binary_search(seen.begin(), seen.end(), index)) item->SetStateLocked(TYX_StoreItem::State::Packed);
    }
  }

  std::map<std::uint32_t, TYX_StorePlaylist*> known;
  for (auto& p : playlists_) {
    known[p->RowLocked().id] = p.get();
    p->ForgetLocked();
  }
  std::map<std::uint32_t, TYX_StorePlaylist*> byId;
  ok = db_->LoadPlaylists(
      [&](PlaylistRow&& row) {
        if (bad) return;
        TYX_StorePlaylist* parent = nullptr;
        if (row.parent != 0) {
          auto it = byId.find(row.parent);
          if (it == byId.end()) {
            bad = true;
            return;
          }
          parent = it->second;
        }
        std::uint32_t id = row.id;
        // Stock playlists are top-level rows under their own id; user playlists have ids of their own.
        bool stock = row.stockId != 0;
        if (stock ? (!IsStockPlaylistId(row.stockId) || id != row.stockId || parent != nullptr)
                  : IsStockPlaylistId(id)) {
          bad = true;
          return;
        }
        if (byId.count(id) != 0) {
          bad = true;
          return;
        }
        nextPlaylistId_ = std::max(nextPlaylistId_, id + 1);
        TYX_StorePlaylist* playlist = nullptr;
        auto old = known.find(id);
        if (old != known.end()) {
          // The same playlist again: its parent and stock id never change.
          if (old->second->GetParent() != parent || old->second->GetStockId() != row.stockId) {
            bad = true;
            return;
          }
          playlist = old->second;
          playlist->ReviveLocked(std::move(row));
        } else {
          playlists_.push_back(std::make_unique<TYX_StorePlaylist>(*this, std::move(row), parent));
          playlist = playlists_.back().get();
        }
        byId[id] = playlist;
        if (parent != nullptr) parent->LoadChildLocked(playlist);
      },
      error);
  if (!ok) return false;
  if (bad) {
    error = "the library file is damaged: a playlist names a missing parent, has a bad id or appears twice";
    return false;
  }
  ok = db_->LoadEntries(
      [&](std::uint32_t playlist, std::uint64_t seq, std::uint32_t song) {
        auto it = byId.find(playlist);
        TYX_StoreItem* item = ItemLocked(song);
        if (bad || it == byId.end() || item == nullptr || item->StateLocked() != TYX_StoreItem::State::Live ||
            !it->second->LoadEntryLocked(seq, song)) {
          bad = true;
        }
      },
      error);
  if (!ok) return false;
  if (bad) {
    error = "the library file is damaged: a playlist entry names a missing song or playlist, or is out of order";
    return false;
  }
  for (std::uint32_t id : kStockIds) {
    if (byId.count(id) != 0) continue;
    if (!initial) {
      // Made at the first opening and never deleted: a file without one changed under us.
      error = "the library file lost its stock playlist " + std::to_string(id);
      return false;
    }
    PlaylistRow row;
    row.id = id;
    row.stockId = id;
    row.order = id;
    row.title = StockTitle(id);
    playlists_.push_back(std::make_unique<TYX_StorePlaylist>(*this, std::move(row), nullptr));
    byId[id] = playlists_.back().get();
    newStock_.push_back(playlists_.back().get());
  }
  return true;
}

bool TYX_StoreCore::StoreNewStock(std::string& error) {
  std::lock_guard<std::mutex> lock(mu);
  // A read-only file that lacks one keeps an empty one in memory: there is nothing to store in it.
  if (db_->ReadOnly() || newStock_.empty()) return true;
  if (!db_->Begin(error)) return false;
  for (TYX_StorePlaylist* p : newStock_) {
    if (!db_->InsertPlaylist(p->RowLocked(), error)) {
      db_->Rollback();
      return false;
    }
  }
  if (!db_->Commit(error)) {
    db_->Rollback();
    return false;
  }
  newStock_.clear();
  return true;
}

void TYX_StoreCore::ReloadLocked() {
  std::string error;
  if (!ReadFileLocked(false, error)) {
    broken_ = true;
    lastError_ = "the library file could not be read again after a failed write (" + error + "); reopen the library";
  }
  // Anything may have changed: every kind of notice of every list, for all songs.
  for (std::uint32_t code : {LIBRARY_EVENT_SONG_ENTERED, LIBRARY_EVENT_SONG_LEFT, LIBRARY_EVENT_ITEM_CHANGED}) {
    pendingNotices_.push_back({WM_LIBRARY_NOTIFY_LIBRARY, code, kNoLibraryIndex});
  }
  for (std::uint32_t message : {WM_LIBRARY_NOTIFY_LIBRARY, WM_LIBRARY_NOTIFY_SYNC, WM_LIBRARY_NOTIFY_NOWPLAYING,
                                WM_LIBRARY_NOTIFY_OLDNOWPLAYING}) {
    for (std::uint32_t code : {LIBRARY_EVENT_ADDED, LIBRARY_EVENT_REMOVED, LIBRARY_EVENT_PROPERTY_CHANGED}) {
      pendingNotices_.push_back({message, code, kNoLibraryIndex});
    }
  }
}

void TYX_StoreCore::RecoverLocked() {
  if (!inTransaction_) {
    // Outside a batch an operation is its own transaction: never leave one open.
    if (db_->InTransaction()) db_->Rollback();
    return;
  }
  if (db_->InTransaction()) return;  // only the operation was undone; the batch goes on
  // SQLite rolled back the whole batch: what it had stored is gone from the file, so from memory too.
  // The rest of the batch commits operation by operation; EndUpdate reports the loss.
  inTransaction_ = false;
  batchLost_ = true;
  lastError_ = "the batch of library changes was lost (" + lastError_ + ")";
  ReloadLocked();
}

TYX_StoreItem* TYX_StoreCore::ItemLocked(std::uint32_t index) const {
  auto it = items_.find(index);
  if (it == items_.end()) return nullptr;
  TYX_StoreItem* item = it->second.get();
  return item->StateLocked() == TYX_StoreItem::State::Packed ? nullptr : item;
}

std::uint32_t TYX_StoreCore::FindLocked(std::string_view key) const {
  auto it = byPath_.find(key);
  return it == byPath_.end() ? kNoLibraryIndex : it->second;
}

void TYX_StoreCore::FailLocked(const std::string& error) { lastError_ = error; }

bool TYX_StoreCore::BeginOpLocked() {
  if (broken_) {
    lastError_ = "the library file cannot be written since it could not be read again after a failed write; "
                 "reopen the library";
    return false;
  }
  std::string error;
  if (!db_->Savepoint(error)) {
    lastError_ = error;
    RecoverLocked();
    return false;
  }
  return true;
}

bool TYX_StoreCore::EndOpLocked(bool ok) {
  if (ok) {
    std::string error;
    // Outside a batch this is the commit, which a full disk can refuse.
    if (db_->Release(error)) return true;
    lastError_ = error;
  }
  db_->RollbackToSavepoint();
  RecoverLocked();
  return false;
}

std::uint32_t TYX_StoreCore::InsertFile(const std::string& path, std::uint32_t kind, TYX_Media* media) {
  if (kind != kItemKindFile && kind != kItemKindCDTrack) return kNoLibraryIndex;
  std::string key = TYX_SongFile::NormalisePath(path, kind);
  if (key.empty()) {
    std::lock_guard<std::mutex> lock(mu);
    lastError_ = "not a song path: \"" + path + "\"";
    return kNoLibraryIndex;
  }
  {
    std::lock_guard<std::mutex> lock(mu);
    std::uint32_t found = FindLocked(key);
    if (found != kNoLibraryIndex) return found;
  }
  TYX_LibraryItemData data;
  data.Text(ItemText::Path) = key;
  data.Number(ItemNumber::Kind) = kind;
  if (kind == kItemKindFile) {
    // Tags are read without the lock; a file without readable tags is taken all the same.
    if (!TYX_SongFile::Read(key, media, data)) {
      std::lock_guard<std::mutex> lock(mu);
      lastError_ = "not a file: " + key;
      return kNoLibraryIndex;
    }
  } else {
    data.fileExists = true;
  }
  NoticeList notices;
  std::uint32_t index;
  {
    std::lock_guard<std::mutex> lock(mu);
    index = FindLocked(key);  // another thread may have put it in meanwhile
    if (index == kNoLibraryIndex) index = AddSongLocked(key, data, notices);
  }
  Post(notices);
  return index;
}

std::uint32_t TYX_StoreCore::AddSongLocked(const std::string& key, const TYX_LibraryItemData& data,
                                           NoticeList& notices) {
  if (nextIndex_ == kNoLibraryIndex) {
    lastError_ = "the library has used every song index";
    return kNoLibraryIndex;
  }
  SongRow row;
  row.index = nextIndex_;
  row.data = data;
  std::string error;
  if (!BeginOpLocked()) return kNoLibraryIndex;
  bool ok = db_->InsertSong(row, error) && db_->WriteNextIndex(nextIndex_ + 1, error);
  if (!ok) lastError_ = error;
  if (!EndOpLocked(ok)) return kNoLibraryIndex;
  std::unique_ptr<TYX_StoreItem>& slot = items_[row.index];
  // An object left from a lost batch keeps its (dead) state for whoever still holds it.
  if (slot) retired_.push_back(std::move(slot));
  slot = std::make_unique<TYX_StoreItem>(*this, row.index, row.data, TYX_StoreItem::State::Live);
  byPath_.emplace(slot->PathRef(), row.index);
  ++nextIndex_;
  ++liveCount_;
  notices.push_back({WM_LIBRARY_NOTIFY_LIBRARY, LIBRARY_EVENT_SONG_ENTERED, row.index});
  return row.index;
}

std::int32_t TYX_StoreCore::RemoveSongLocked(std::uint32_t index, NoticeList& notices) {
  TYX_StoreItem* item = ItemLocked(index);
  if (item == nullptr || item->StateLocked() != TYX_StoreItem::State::Live) return Win::E_INVALIDARG;
  return RemoveSongsLocked({index}, SongSet(index), notices);
}

std::int32_t TYX_StoreCore::RemoveAllSongsLocked(NoticeList& notices) {
  std::vector<std::uint32_t> songs;
  for (const auto& [index, item] : items_) {
    if (item->StateLocked() == TYX_StoreItem::State::Live) songs.push_back(index);
  }
  if (songs.empty()) return Win::S_OK;
  std::sort(songs.begin(), songs.end());
  SongSet set(songs);
  std::reverse(songs.begin(), songs.end());  // the last index first
  return RemoveSongsLocked(songs, set, notices);
}

std::int32_t TYX_StoreCore::RemoveSongsLocked(const std::vector<std::uint32_t>& songs, const SongSet& set,
                                              NoticeList& notices) {
  // What leaves each playlist, and where the play position goes, before anything changes.
  struct Change {
    TYX_StorePlaylist* playlist;
    std::vector<std::uint32_t> positions;
    std::uint32_t userData;
  };
  std::vector<Change> changes;
  for (auto& p : playlists_) {
    std::vector<std::uint32_t> positions = p->PositionsOfLocked(set);
    if (positions.empty()) continue;
    std::uint32_t userData = p->UserDataAfterLocked(positions);
    changes.push_back({p.get(), std::move(positions), userData});
  }
  if (!BeginOpLocked()) return Win::E_FAIL;
  std::string error;
  bool ok = true;
  for (std::size_t i = 0; ok && i < songs.size(); ++i) {
    ok = db_->MarkSongRemoved(songs[i], error) && db_->DeleteEntriesOfSong(songs[i], error);
  }
  for (std::size_t i = 0; ok && i < changes.size(); ++i) {
    const PlaylistRow& now = changes[i].playlist->RowLocked();
    if (changes[i].userData == now.userData) continue;
    PlaylistRow next = now;
    next.userData = changes[i].userData;
    ok = db_->UpdatePlaylist(next, error);
  }
  if (!ok) lastError_ = error;
  if (!EndOpLocked(ok)) return Win::E_FAIL;
  for (Change& c : changes) c.playlist->DropPositionsLocked(c.positions, c.userData, notices);
  for (std::uint32_t index : songs) {
    TYX_StoreItem* item = items_.at(index).get();
    byPath_.erase(item->PathRef());
    item->SetStateLocked(TYX_StoreItem::State::Removed);
    --liveCount_;
    ++removedCount_;
    notices.push_back({WM_LIBRARY_NOTIFY_LIBRARY, LIBRARY_EVENT_SONG_LEFT, index});
  }
  return Win::S_OK;
}

bool TYX_StoreCore::WriteItemLocked(TYX_StoreItem& item, const TYX_LibraryItemData& data, NoticeList& notices) {
  if (item.StateLocked() != TYX_StoreItem::State::Live) {
    lastError_ = "the song " + std::to_string(item.GetLibraryIndex()) + " is no longer in the library";
    return false;
  }
  if (item.EqualsLocked(data)) return true;
  SongRow row;
  row.index = item.GetLibraryIndex();
  row.data = data;
  std::string error;
  if (!BeginOpLocked()) return false;
  bool ok = db_->UpdateSong(row, error);
  if (!ok) lastError_ = error;
  if (!EndOpLocked(ok)) return false;
  item.SetDataLocked(row.data);
  notices.push_back({WM_LIBRARY_NOTIFY_LIBRARY, LIBRARY_EVENT_ITEM_CHANGED, row.index});
  return true;
}

std::int32_t TYX_StoreCore::PackLocked(NoticeList& notices) {
  if (removedCount_ == 0) return Win::S_OK;
  std::string error;
  if (!BeginOpLocked()) return Win::E_FAIL;
  bool ok = db_->DeleteRemovedSongs(error);
  if (!ok) lastError_ = error;
  if (!EndOpLocked(ok)) return Win::E_FAIL;
  for (auto& [index, item] : items_) {
    if (item->StateLocked() == TYX_StoreItem::State::Removed) item->SetStateLocked(TYX_StoreItem::State::Packed);
  }
  removedCount_ = 0;
  notices.push_back({WM_LIBRARY_NOTIFY_LIBRARY, LIBRARY_EVENT_PACKED, kNoLibraryIndex});
  return Win::S_OK;
}

TYX_StorePlaylist* TYX_StoreCore::StockLocked(std::uint32_t stockId) const {
  if (!IsStockPlaylistId(stockId)) return nullptr;
  for (const auto& p : playlists_) {
    if (p->GetStockId() == stockId) return p.get();
  }
  return nullptr;
}

TYX_StorePlaylist* TYX_StoreCore::NewPlaylistLocked(TYX_StorePlaylist* parent, const std::string& title) {
  PlaylistRow row;
  row.id = nextPlaylistId_;
  row.parent = parent ? parent->RowLocked().id : 0;
  row.order = row.id;
  row.title = title;
  std::string error;
  if (!BeginOpLocked()) return nullptr;
  bool ok = db_->InsertPlaylist(row, error);
  if (!ok) lastError_ = error;
  if (!EndOpLocked(ok)) return nullptr;
  ++nextPlaylistId_;
  playlists_.push_back(std::make_unique<TYX_StorePlaylist>(*this, std::move(row), parent));
  return playlists_.back().get();
}

void TYX_StoreCore::BeginUpdate() {
  std::lock_guard<std::mutex> lock(mu);
  if (batchDepth_++ > 0) return;
  batchLost_ = false;
  if (broken_) return;
  std::string error;
  inTransaction_ = db_->Begin(error);
  // Without the transaction every write simply commits on its own; EndUpdate reports the failure.
  if (!inTransaction_) lastError_ = "cannot start a batch: " + error;
}

bool TYX_StoreCore::EndUpdate() {
  bool ok = true;
  {
    std::lock_guard<std::mutex> lock(mu);
    if (batchDepth_ == 0) return false;
    if (--batchDepth_ > 0) return !batchLost_ && !broken_;
    if (!inTransaction_) return false;  // never started, or lost (its reload is posted already)
    inTransaction_ = false;
    std::string error;
    if (!db_->Commit(error)) {
      lastError_ = "cannot commit the library changes: " + error;
      db_->Rollback();
      // The file is as before the batch: so is memory.
      ReloadLocked();
      ok = false;
    }
  }
  Post({});
  return ok;
}

void TYX_StoreCore::Register(Win::HWND hwnd) {
  if (hwnd == nullptr) return;
  std::lock_guard<std::mutex> lock(notifyMu_);
  if (std::find(windows_.begin(), windows_.end(), hwnd) == windows_.end()) windows_.push_back(hwnd);
}

void TYX_StoreCore::Unregister(Win::HWND hwnd) {
  std::lock_guard<std::mutex> lock(notifyMu_);
  windows_.erase(std::remove(windows_.begin(), windows_.end(), hwnd), windows_.end());
}

void TYX_StoreCore::Post(const NoticeList& notices) {
  NoticeList pending;
  {
    std::lock_guard<std::mutex> lock(mu);
    pending.swap(pendingNotices_);
  }
  if (notices.empty() && pending.empty()) return;
  std::lock_guard<std::mutex> lock(notifyMu_);
  for (const NoticeList* list : {&notices, static_cast<const NoticeList*>(&pending)}) {
    for (const Notice& n : *list) {
      // A failed post means the window is gone: it gets no further notices.
      windows_.erase(std::remove_if(windows_.begin(), windows_.end(),
                                    [&](Win::HWND w) {
                                      return !Win::PostMessage(w, n.message, n.code, static_cast<Win::LPARAM>(n.param));
                                    }),
                     windows_.end());
    }
  }
}

std::string TYX_StoreCore::LastError() const {
  std::lock_guard<std::mutex> lock(mu);
  return lastError_;
}

}  // namespace TYX::Store
