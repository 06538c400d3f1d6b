#pragma once
// The library file: one SQLite database per library. Each function is one database operation with a
// checked result; failures carry SQLite's error text. Not thread-safe: the store's lock serialises
// every call.
//
// Schema (PRAGMA user_version):
//   1  meta (next song index), songs (one row per library index, removed songs flagged until packed),
//      playlists (stock and user, with parent and order), entries (playlist, sequence, song).
//   2  an index of entries by song, for removing a song from every playlist.
// Upgrade steps run in one transaction after the whole file has been checked; a file written by a
// newer version, a file of another program and a damaged file are refused before anything is written.
//
// Read-only libraries: an intact file on a read-only disk or in a read-only folder (where the
// write-ahead log cannot be made) is opened read-only; then every write fails with a text that says
// so. A file that needs an upgrade, or whose write-ahead log still holds changes, cannot be read
// there and is refused with a text that says read-only.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "contracts/library_item.h"

struct sqlite3;
struct sqlite3_stmt;

namespace TYX::Store {

constexpr int kSchemaVersion = 2;
// PRAGMA application_id of a library file ("TYXL").
constexpr std::int32_t kApplicationId = 0x5459584C;

// A playlist row.
struct PlaylistRow {
  std::uint32_t id = 0;        // stock playlists use their stock id; user playlists 100 and up
  std::uint32_t parent = 0;    // 0 for none
  std::uint32_t stockId = 0;   // 0 for a user playlist
  std::uint64_t order = 0;     // order among the parent's children
  std::string title;
  std::uint32_t attribute = 0;
  std::string userString;
  std::uint32_t userData = 0xFFFFFFFFu;
};

// A song row.
struct SongRow {
  std::uint32_t index = 0;
  bool removed = false;
  TYX_LibraryItemData data;
};

class TYX_StoreDatabase {
 public:
  ~TYX_StoreDatabase();
  TYX_StoreDatabase(const TYX_StoreDatabase&) = delete;
  TYX_StoreDatabase& operator=(const TYX_StoreDatabase&) = delete;

  // Opens (or creates) the file and checks it without writing: null with the reason for a damaged
  // file, a newer schema or another program's database. Call Prepare() after loading.
  static std::unique_ptr<TYX_StoreDatabase> Open(const std::string& path, std::string& error);

  // The version the file had when opened (0 for a new file).
  int FileVersion() const { return fileVersion_; }
  // True when the file was opened read-only: every write and transaction fails with ReadOnlyText().
  bool ReadOnly() const { return readOnly_; }
  std::string ReadOnlyText() const;
  // True while a transaction is open (the batch's, or one an operation's savepoint started). SQLite
  // ends a transaction on its own after some failures (a full disk, an I/O error).
  bool InTransaction() const;
  // Runs the upgrade steps up to kSchemaVersion, switches to write-ahead logging and prepares the
  // statements. False with the reason on failure (the file is left as it was).
  bool Prepare(std::string& error);

  // Loading (read only; valid before and after Prepare for an up-to-date file).
  bool ReadNextIndex(std::uint32_t& next, std::string& error);
  // Rows in index order; the row given to each call is reused for the next.
  bool LoadSongs(const std::function<void(const SongRow&)>& each, std::string& error);
  bool LoadPlaylists(const std::function<void(PlaylistRow&&)>& each, std::string& error);
  // Entries in playlist and sequence order.
  bool LoadEntries(const std::function<void(std::uint32_t playlist, std::uint64_t seq, std::uint32_t song)>& each,
                   std::string& error);

  // Transactions. Savepoints nest inside a batch transaction.
  bool Begin(std::string& error);
  bool Commit(std::string& error);
  void Rollback();
  bool Savepoint(std::string& error);
  bool Release(std::string& error);
  void RollbackToSavepoint();

  // Writes.
  bool WriteNextIndex(std::uint32_t next, std::string& error);
  bool InsertSong(const SongRow& row, std::string& error);
  bool UpdateSong(const SongRow& row, std::string& error);
  bool MarkSongRemoved(std::uint32_t index, std::string& error);
  bool DeleteRemovedSongs(std::string& error);
  bool InsertPlaylist(const PlaylistRow& row, std::string& error);
  bool UpdatePlaylist(const PlaylistRow& row, std::string& error);
  bool DeletePlaylist(std::uint32_t id, std::string& error);
  bool InsertEntry(std::uint32_t playlist, std::uint64_t seq, std::uint32_t song, std::string& error);
  bool DeleteEntry(std::uint32_t playlist, std::uint64_t seq, std::string& error);
  bool DeleteEntriesOfPlaylist(std::uint32_t playlist, std::string& error);
  bool DeleteEntriesOfSong(std::uint32_t song, std::string& error);

 private:
  TYX_StoreDatabase(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}
  // Runs the checks of Open on the open connection: true for a usable file, else false with the reason.
  bool Check(std::string& error);
  bool Writable(std::string& error) const;
  bool Exec(const char* sql, std::string& error);
  sqlite3_stmt* Statement(int id, const char* sql, std::string& error);
  bool Step(sqlite3_stmt* st, const char* what, std::string& error);
  bool BindSong(sqlite3_stmt* st, const SongRow& row);

  sqlite3* db_ = nullptr;
  const std::string path_;
  int fileVersion_ = 0;
  bool readOnly_ = false;
  bool busy_ = false;  // Check found the file locked by another program
  sqlite3_stmt* statements_[16] = {};
};

}  // namespace TYX::Store
