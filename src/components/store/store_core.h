#pragma once
// The shared state of one open library: the database, the songs by index, the path index, the
// playlists and the registered notice windows.
//
// Locking: one mutex (mu) guards every field below and every item's and playlist's state; functions
// named ...Locked require it. File reads (tags, presence) happen without it, so a worker reading tags
// never blocks the user-interface thread. Notices are collected under the lock and posted after it is
// released (Post), from the thread that made the change.
//
// Memory follows the file: every change is written first, in a savepoint (BeginOpLocked/EndOpLocked),
// and applied to memory only once the write succeeded. When a batch's transaction is lost (its commit
// fails, or SQLite ends it early, as it may after an I/O error), the whole file is read again into
// the same item and playlist objects (ReloadLocked), so pointers stay valid and memory equals the file.
// Song indexes given out by the lost batch are not given again in this session.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "components/store/store_database.h"
#include "contracts/library_item.h"
#include "platform/types.h"

namespace TYX {
class TYX_Media;
}

namespace TYX::Store {

class TYX_StoreItem;
class TYX_StorePlaylist;

struct Notice {
  std::uint32_t message = 0;
  std::uint32_t code = 0;
  std::uint32_t param = 0;
};
using NoticeList = std::vector<Notice>;

// Folds a long list into one notice per message and code, with param ~0 (emptying a list).
void CoalesceNotices(NoticeList& notices);

// The songs of a removal: one, or many (ascending).
class SongSet {
 public:
  explicit SongSet(std::uint32_t one) : one_(one) {}
  explicit SongSet(std::vector<std::uint32_t> ascending) : many_(std::move(ascending)), isOne_(false) {}
  bool Has(std::uint32_t song) const;
  bool IsOne() const { return isOne_; }
  std::uint32_t One() const { return one_; }

 private:
  std::uint32_t one_ = 0;
  std::vector<std::uint32_t> many_;
  bool isOne_ = true;
};

class TYX_StoreCore {
 public:
  explicit TYX_StoreCore(std::unique_ptr<TYX_StoreDatabase> db);
  ~TYX_StoreCore();
  TYX_StoreCore(const TYX_StoreCore&) = delete;
  TYX_StoreCore& operator=(const TYX_StoreCore&) = delete;

  // Reads the whole file into memory, without writing, and makes the stock playlists it lacks in
  // memory. Called once, before any use.
  bool Load(std::string& error);
  // Stores the stock playlists Load made (not for a file opened read-only). Called after Load.
  bool StoreNewStock(std::string& error);
  bool ReadOnly() const { return db_->ReadOnly(); }

  // The notice message of a stock playlist, 0 for one without notices.
  static std::uint32_t MessageOf(std::uint32_t stockId);

  // Songs.
  // The whole insertion of a file (TYX_Library::InsertItem): takes and releases the lock itself and
  // reads the file's tags without it.
  std::uint32_t InsertFile(const std::string& path, std::uint32_t kind, TYX_Media* media);
  TYX_StoreItem* ItemLocked(std::uint32_t index) const;  // live or removed, not packed
  std::uint32_t FindLocked(std::string_view key) const;
  // Stores a new song (data filled by the caller) and returns its index, or ~0 with lastError set.
  std::uint32_t AddSongLocked(const std::string& key, const TYX_LibraryItemData& data, NoticeList& notices);
  std::int32_t RemoveSongLocked(std::uint32_t index, NoticeList& notices);
  // Removes every live song (the last index first) in one step: all or, when the write fails, none.
  std::int32_t RemoveAllSongsLocked(NoticeList& notices);
  // Removes live songs (songs in the order to store, set the same ones for look-ups) in one step:
  // marks them removed, takes them out of every playlist and moves the play position with them; all
  // or none.
  std::int32_t RemoveSongsLocked(const std::vector<std::uint32_t>& songs, const SongSet& set, NoticeList& notices);
  // Stores new fields of a live song; false (fields unchanged) when the write fails.
  bool WriteItemLocked(TYX_StoreItem& item, const TYX_LibraryItemData& data, NoticeList& notices);
  std::int32_t PackLocked(NoticeList& notices);

  // Playlists.
  TYX_StorePlaylist* StockLocked(std::uint32_t stockId) const;
  TYX_StorePlaylist* NewPlaylistLocked(TYX_StorePlaylist* parent, const std::string& title);
  std::uint32_t NextPlaylistIdLocked() { return nextPlaylistId_++; }

  // One change: a savepoint, released (ok) or rolled back by EndOp. EndOp is false when the change is
  // not stored; memory is then as the file is (reloaded when a batch was lost with it).
  bool BeginOpLocked();
  bool EndOpLocked(bool ok);
  // Records a failed write.
  void FailLocked(const std::string& error);

  // Batches (TYX_Library::BeginUpdate / EndUpdate).
  void BeginUpdate();
  bool EndUpdate();

  // Notices.
  void Register(Win::HWND hwnd);
  void Unregister(Win::HWND hwnd);
  // Posts the notices of a change, and those of a reload after a lost batch. Called without the lock
  // at the end of every operation that writes, also when it failed.
  void Post(const NoticeList& notices);

  std::string LastError() const;

  mutable std::mutex mu;
  TYX_StoreDatabase& Db() { return *db_; }
  std::uint32_t NextIndexLocked() const { return nextIndex_; }
  std::uint32_t LiveCountLocked() const { return liveCount_; }
  const std::vector<std::unique_ptr<TYX_StorePlaylist>>& PlaylistsLocked() const { return playlists_; }

 private:
  std::unique_ptr<TYX_StoreDatabase> db_;                  // mu
  // Reads the file into memory: new objects on the first load, the same objects on a reload.
  bool ReadFileLocked(bool initial, std::string& error);
  // After a failed write: ends a transaction SQLite left open, and reloads the file when the batch's
  // transaction is gone.
  void RecoverLocked();
  void ReloadLocked();

  // mu; by index: every song of the file, and the dead objects of songs packed or lost in this session.
  // A map, as indexes are sparse after many removals (and a damaged file may name any number).
  std::unordered_map<std::uint32_t, std::unique_ptr<TYX_StoreItem>> items_;
  std::vector<std::unique_ptr<TYX_StoreItem>> retired_;    // mu; objects a reload replaced, kept for their holders
  // mu; live songs by normalised path (views of the items' paths, which never change or move)
  std::unordered_map<std::string_view, std::uint32_t> byPath_;
  std::uint32_t nextIndex_ = 0;                            // mu; never lowered, also by a reload
  std::uint32_t liveCount_ = 0;                            // mu
  std::uint32_t removedCount_ = 0;                         // mu; removed, not yet packed
  std::vector<std::unique_ptr<TYX_StorePlaylist>> playlists_;  // mu; every playlist ever made here
  std::uint32_t nextPlaylistId_ = 100;                     // mu
  int batchDepth_ = 0;                                     // mu
  bool inTransaction_ = false;                             // mu; the batch transaction is open
  bool batchLost_ = false;                                 // mu; the open batch's transaction was lost
  bool broken_ = false;                                    // mu; a reload failed: memory may differ from the file
  std::string lastError_;                                  // mu
  NoticeList pendingNotices_;                              // mu; a reload's, for the next Post
  std::vector<TYX_StorePlaylist*> newStock_;               // mu; made by Load, not stored yet

  mutable std::mutex notifyMu_;
  std::vector<Win::HWND> windows_;  // notifyMu_
};

}  // namespace TYX::Store
