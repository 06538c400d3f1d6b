#pragma once
// A playlist of the SQLite store: entries (sequence number, song) in order, written through to the file.
// State is guarded by the core's lock. The object lives as long as the core, also after the playlist
// was removed.
#include <unordered_map>
#include <vector>

#include "components/store/store_core.h"
#include "contracts/playlist.h"

namespace TYX::Store {

class TYX_StorePlaylist final : public TYX_Playlist {
 public:
  TYX_StorePlaylist(TYX_StoreCore& core, PlaylistRow row, TYX_StorePlaylist* parent)
      : core_(core), stockId_(row.stockId), row_(std::move(row)), parent_(parent) {}

  std::uint32_t GetStockId() const override { return stockId_; }
  std::uint32_t CountItem() const override;
  std::uint32_t GetItem(std::uint32_t position) const override;
  TYX_LibraryItem* GetItem_LibraryItem(std::uint32_t position) const override;
  std::uint32_t InsertItem(std::uint32_t libraryIndex, std::uint32_t flags) override;
  std::uint32_t InsertItem(const std::string& path, std::uint32_t flags, std::uint32_t kind) override;
  std::int32_t RemoveItem(std::uint32_t position) override;
  std::uint32_t FindItem(std::uint32_t libraryIndex) const override;
  std::int32_t ClearItem() override;
  std::string GetTitle() const override;
  bool SetTitle(const std::string& title) override;
  std::uint32_t GetAttribute() const override;
  bool SetAttribute(std::uint32_t attribute) override;
  std::string GetUserString() const override;
  bool SetUserString(const std::string& text) override;
  std::uint32_t GetUserData() const override;
  bool SetUserData(std::uint32_t data) override;
  TYX_Playlist* GetParent() const override { return parent_; }
  bool IsUserType() const override { return stockId_ == 0; }
  std::uint32_t CountPlaylist() const override;
  TYX_Playlist* GetPlaylist(std::uint32_t i) const override;
  TYX_Playlist* AddPlaylist(const std::string& title) override;
  std::int32_t RemovePlaylist(std::uint32_t i) override;

  // For the core, under its lock.
  const PlaylistRow& RowLocked() const { return row_; }
  // Adds an entry read from the file; false when it breaks the order of sequence numbers, or names a
  // song twice in a list that holds each song once (a damaged file).
  bool LoadEntryLocked(std::uint64_t seq, std::uint32_t song);
  void LoadChildLocked(TYX_StorePlaylist* child) { children_.push_back(child); }
  // Reloading the file: forgets entries and children and counts as removed until ReviveLocked gives
  // it its row again.
  void ForgetLocked();
  void ReviveLocked(PlaylistRow row);
  // Positions (ascending) of the entries of these songs.
  std::vector<std::uint32_t> PositionsOfLocked(const SongSet& songs) const;
  // The user data once the entries at these positions are gone: the play position of the now-playing
  // list keeps naming the same entry; other lists keep theirs.
  std::uint32_t UserDataAfterLocked(const std::vector<std::uint32_t>& positions) const;
  // Takes the entries at these positions out of memory once the removal is stored.
  void DropPositionsLocked(const std::vector<std::uint32_t>& positions, std::uint32_t userData, NoticeList& notices);
  std::uint32_t FindLocked(std::uint32_t song) const;
  std::int32_t RemoveAtLocked(std::uint32_t position, NoticeList& notices);
  std::int32_t ClearLocked(NoticeList& notices);
  // Deletes this playlist's rows and its children's (inside the caller's operation).
  bool DeleteTreeLocked();
  void MarkRemovedTreeLocked();

 private:
  struct Entry {
    std::uint64_t seq;
    std::uint32_t song;
  };
  // Playlists 2, 6, 7 and 8 hold each song once.
  bool HoldsEachOnce() const { return stockId_ == 2 || stockId_ == 6 || stockId_ == 7 || stockId_ == 8; }
  std::uint32_t PositionOfSeqLocked(std::uint64_t seq) const;
  std::uint32_t AppendLocked(std::uint32_t song, NoticeList& notices);
  std::uint32_t InsertLocked(std::uint32_t libraryIndex, NoticeList& notices);
  bool WriteRowLocked(const PlaylistRow& row, NoticeList& notices);
  void Notify(NoticeList& notices, std::uint32_t code, std::uint32_t param) const;

  TYX_StoreCore& core_;
  const std::uint32_t stockId_;                             // never changes
  PlaylistRow row_;                                         // core lock
  TYX_StorePlaylist* const parent_;
  std::vector<Entry> entries_;                              // core lock; ascending seq
  std::unordered_map<std::uint32_t, std::uint64_t> seqOfSong_;  // core lock; HoldsEachOnce lists only
  std::uint64_t nextSeq_ = 1;                               // core lock
  std::vector<TYX_StorePlaylist*> children_;                // core lock; owned by the core
  bool removed_ = false;                                    // core lock
};

}  // namespace TYX::Store
