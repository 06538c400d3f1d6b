#pragma once
// The shared state of one open library: the database, the songs by index, the path index, the
// playlists and the registered notice windows.
//
// Locking: one mutex (mu) guards every field below and every item's and playlist's state; functions
// named ...Locked require it. File reads (tags, presence) happen without it, so a worker reading tags
// never blocks the user-interface thread. Notices are collected under the lock and posted after it is
// released (Post), from the thread that made the change.
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

class TYX_StoreCore {
 public:
  explicit TYX_StoreCore(std::unique_ptr<TYX_StoreDatabase> db);
  ~TYX_StoreCore();
  TYX_StoreCore(const TYX_StoreCore&) = delete;
  TYX_StoreCore& operator=(const TYX_StoreCore&) = delete;

  // Reads the whole file into memory and makes missing stock playlists. Called once, before any use.
  bool Load(std::string& error);

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
  // Stores new fields of a live song; false (fields unchanged) when the write fails.
  bool WriteItemLocked(TYX_StoreItem& item, const TYX_LibraryItemData& data, NoticeList& notices);
  std::int32_t PackLocked(NoticeList& notices);

  // Playlists.
  TYX_StorePlaylist* StockLocked(std::uint32_t stockId) const;
  TYX_StorePlaylist* NewPlaylistLocked(TYX_StorePlaylist* parent, const std::string& title);
  std::uint32_t NextPlaylistIdLocked() { return nextPlaylistId_++; }

  // One change that spans several statements: a savepoint, released or rolled back by EndOp.
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
  void Post(const NoticeList& notices);

  std::string LastError() const;

  mutable std::mutex mu;
  TYX_StoreDatabase& Db() { return *db_; }
  std::uint32_t NextIndexLocked() const { return nextIndex_; }
  std::uint32_t LiveCountLocked() const { return liveCount_; }
  const std::vector<std::unique_ptr<TYX_StorePlaylist>>& PlaylistsLocked() const { return playlists_; }

 private:
  std::unique_ptr<TYX_StoreDatabase> db_;                  // mu
  std::vector<std::unique_ptr<TYX_StoreItem>> items_;      // mu; by index, null for packed before load
  // mu; live songs by normalised path (views of the items' paths, which never change or move)
  std::unordered_map<std::string_view, std::uint32_t> byPath_;
  std::uint32_t nextIndex_ = 0;                            // mu
  std::uint32_t liveCount_ = 0;                            // mu
  std::uint32_t removedCount_ = 0;                         // mu; removed, not yet packed
  std::vector<std::unique_ptr<TYX_StorePlaylist>> playlists_;  // mu; every playlist ever made here
  std::uint32_t nextPlaylistId_ = 100;                     // mu
  int batchDepth_ = 0;                                     // mu
  bool inTransaction_ = false;                             // mu; the batch transaction is open
  bool broken_ = false;                                    // mu; a batch commit failed
  std::string lastError_;                                  // mu

  mutable std::mutex notifyMu_;
  std::vector<Win::HWND> windows_;  // notifyMu_
};

}  // namespace TYX::Store
