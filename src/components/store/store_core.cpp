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
  if (!db_->ReadNextIndex(nextIndex_, error)) return false;
  items_.reserve(nextIndex_);
  byPath_.reserve(nextIndex_);
  bool bad = false;
  bool ok = db_->LoadSongs(
      [&](SongRow&& row) {
        if (row.index >= nextIndex_ || bad) {
          bad = true;
          return;
        }
        if (items_.size() <= row.index) items_.resize(row.index + 1);
        auto state = row.removed ? TYX_StoreItem::State::Removed : TYX_StoreItem::State::Live;
        auto item = std::make_unique<TYX_StoreItem>(*this, row.index, row.data, state);
        // Stored paths are normalised already: they are the keys.
        if (!row.removed) {
          if (item->PathRef().empty() || !byPath_.emplace(item->PathRef(), row.index).second) {
            bad = true;
            return;
          }
          ++liveCount_;
        } else {
          ++removedCount_;
        }
        items_[row.index] = std::move(item);
      },
      error);
  if (!ok) return false;
  if (bad) {
    error = "the library file is damaged: a song has a bad index or path, or appears twice";
    return false;
  }
  items_.resize(nextIndex_);

  std::map<std::uint32_t, TYX_StorePlaylist*> byId;
  ok = db_->LoadPlaylists(
      [&](PlaylistRow&& row) {
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
        nextPlaylistId_ = std::max(nextPlaylistId_, id + 1);
        playlists_.push_back(std::make_unique<TYX_StorePlaylist>(*this, std::move(row), parent));
        byId[id] = playlists_.back().get();
        if (parent != nullptr) parent->LoadChildLocked(playlists_.back().get());
      },
      error);
  if (!ok) return false;
  if (bad) {
    error = "the library file is damaged: a playlist names a missing parent";
    return false;
  }
  ok = db_->LoadEntries(
      [&](std::uint32_t playlist, std::uint64_t seq, std::uint32_t song) {
        auto it = byId.find(playlist);
        TYX_StoreItem* item = ItemLocked(song);
        if (it == byId.end() || item == nullptr || item->StateLocked() != TYX_StoreItem::State::Live) {
          bad = true;
          return;
        }
        it->second->LoadEntryLocked(seq, song);
      },
      error);
  if (!ok) return false;
  if (bad) {
    error = "the library file is damaged: a playlist entry names a missing song or playlist";
    return false;
  }
  for (std::uint32_t id : kStockIds) {
    if (byId.count(id) != 0) continue;
    PlaylistRow row;
    row.id = id;
    row.stockId = id;
    row.order = id;
    row.title = StockTitle(id);
    if (!db_->InsertPlaylist(row, error)) return false;
    playlists_.push_back(std::make_unique<TYX_StorePlaylist>(*this, std::move(row), nullptr));
    byId[id] = playlists_.back().get();
  }
  return true;
}

TYX_StoreItem* TYX_StoreCore::ItemLocked(std::uint32_t index) const {
  if (index >= items_.size() || !items_[index]) return nullptr;
  TYX_StoreItem* item = items_[index].get();
  return item->StateLocked() == TYX_StoreItem::State::Packed ? nullptr : item;
}

std::uint32_t TYX_StoreCore::FindLocked(std::string_view key) const {
  auto it = byPath_.find(key);
  return it == byPath_.end() ? kNoLibraryIndex : it->second;
}

void TYX_StoreCore::FailLocked(const std::string& error) { lastError_ = error; }

bool TYX_StoreCore::BeginOpLocked() {
  if (broken_) {
    lastError_ = "the library file cannot be written since a batch failed to commit; reopen the library";
    return false;
  }
  std::string error;
  if (!db_->Savepoint(error)) {
    lastError_ = error;
    return false;
  }
  return true;
}

bool TYX_StoreCore::EndOpLocked(bool ok) {
  if (!ok) {
    db_->RollbackToSavepoint();
    return false;
  }
  std::string error;
  if (!db_->Release(error)) {
    lastError_ = error;
    db_->RollbackToSavepoint();
    return false;
  }
  return true;
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
  items_.push_back(std::make_unique<TYX_StoreItem>(*this, row.index, row.data, TYX_StoreItem::State::Live));
  byPath_.emplace(items_.back()->PathRef(), row.index);
  ++nextIndex_;
  ++liveCount_;
  notices.push_back({WM_LIBRARY_NOTIFY_LIBRARY, LIBRARY_EVENT_SONG_ENTERED, row.index});
  return row.index;
}

std::int32_t TYX_StoreCore::RemoveSongLocked(std::uint32_t index, NoticeList& notices) {
  TYX_StoreItem* item = ItemLocked(index);
  if (item == nullptr || item->StateLocked() != TYX_StoreItem::State::Live) return Win::E_INVALIDARG;
  std::string error;
  if (!BeginOpLocked()) return Win::E_FAIL;
  bool ok = db_->MarkSongRemoved(index, error) && db_->DeleteEntriesOfSong(index, error);
  if (!ok) lastError_ = error;
  if (!EndOpLocked(ok)) return Win::E_FAIL;
  for (auto& playlist : playlists_) playlist->DropSongLocked(index, notices);
  byPath_.erase(item->PathRef());
  item->SetStateLocked(TYX_StoreItem::State::Removed);
  --liveCount_;
  ++removedCount_;
  notices.push_back({WM_LIBRARY_NOTIFY_LIBRARY, LIBRARY_EVENT_SONG_LEFT, index});
  return Win::S_OK;
}

bool TYX_StoreCore::WriteItemLocked(TYX_StoreItem& item, const TYX_LibraryItemData& data, NoticeList& notices) {
  if (item.StateLocked() != TYX_StoreItem::State::Live) {
    lastError_ = "the song " + std::to_string(item.GetLibraryIndex()) + " is no longer in the library";
    return false;
  }
  if (item.EqualsLocked(data)) return true;
  if (broken_) {
    lastError_ = "the library file cannot be written since a batch failed to commit; reopen the library";
    return false;
  }
  SongRow row;
  row.index = item.GetLibraryIndex();
  row.data = data;
  std::string error;
  if (!db_->UpdateSong(row, error)) {
    lastError_ = error;
    return false;
  }
  item.SetDataLocked(row.data);
  notices.push_back({WM_LIBRARY_NOTIFY_LIBRARY, LIBRARY_EVENT_ITEM_CHANGED, row.index});
  return true;
}

std::int32_t TYX_StoreCore::PackLocked(NoticeList& notices) {
  if (removedCount_ == 0) return Win::S_OK;
  if (broken_) return Win::E_FAIL;
  std::string error;
  if (!db_->DeleteRemovedSongs(error)) {
    lastError_ = error;
    return Win::E_FAIL;
  }
  for (auto& item : items_) {
    if (item && item->StateLocked() == TYX_StoreItem::State::Removed) item->SetStateLocked(TYX_StoreItem::State::Packed);
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
  if (broken_) {
    lastError_ = "the library file cannot be written since a batch failed to commit; reopen the library";
    return nullptr;
  }
  PlaylistRow row;
  row.id = nextPlaylistId_;
  row.parent = parent ? parent->RowLocked().id : 0;
  row.order = row.id;
  row.title = title;
  std::string error;
  if (!db_->InsertPlaylist(row, error)) {
    lastError_ = error;
    return nullptr;
  }
  ++nextPlaylistId_;
  playlists_.push_back(std::make_unique<TYX_StorePlaylist>(*this, std::move(row), parent));
  return playlists_.back().get();
}

void TYX_StoreCore::BeginUpdate() {
  std::lock_guard<std::mutex> lock(mu);
  if (batchDepth_++ > 0 || broken_) return;
  std::string error;
  inTransaction_ = db_->Begin(error);
  // Without the transaction every write simply commits on its own; EndUpdate reports the failure.
  if (!inTransaction_) lastError_ = "cannot start a batch: " + error;
}

bool TYX_StoreCore::EndUpdate() {
  std::lock_guard<std::mutex> lock(mu);
  if (batchDepth_ == 0) return false;
  if (--batchDepth_ > 0) return !broken_;
  if (!inTransaction_) return false;
  inTransaction_ = false;
  std::string error;
  if (!db_->Commit(error)) {
    db_->Rollback();
    broken_ = true;
    lastError_ = "cannot commit the library changes: " + error;
    return false;
  }
  return true;
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
  if (notices.empty()) return;
  std::lock_guard<std::mutex> lock(notifyMu_);
  for (const Notice& n : notices) {
    // A failed post means the window is gone: it gets no further notices.
    windows_.erase(std::remove_if(windows_.begin(), windows_.end(),
                                  [&](Win::HWND w) {
                                    return !Win::PostMessage(w, n.message, n.code, static_cast<Win::LPARAM>(n.param));
                                  }),
                   windows_.end());
  }
}

std::string TYX_StoreCore::LastError() const {
  std::lock_guard<std::mutex> lock(mu);
  return lastError_;
}

}  // namespace TYX::Store
