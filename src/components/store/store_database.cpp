#include "components/store/store_database.h"

#include <sqlite3.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <string_view>

namespace TYX::Store {
namespace {

// Column names of the item fields, in the order of ItemText and ItemNumber.
constexpr const char* kTextColumns[] = {
    "path",    "title",    "artist",   "album",    "genre",    "year",     "comment",
    "composer", "label",   "format",   "channel_mode", "song_id", "id_text0", "id_text1",
    "id_text2", "id_text3", "id_text4", "extra_text"};
constexpr const char* kNumberColumns[] = {
    "kind",     "source_code", "mark",         "track",          "disc",           "file_size",     "bit_rate",
    "sample_rate", "duration", "lyric_flags", "transfer_state", "highlight_start", "highlight_length"};
static_assert(std::size(kTextColumns) == static_cast<std::size_t>(ItemText::Count));
static_assert(std::size(kNumberColumns) == static_cast<std::size_t>(ItemNumber::Count));

constexpr int kTextCount = static_cast<int>(ItemText::Count);
constexpr int kNumberCount = static_cast<int>(ItemNumber::Count);

// "a, b, c" of every field column.
std::string FieldColumns() {
  std::string s;
  for (const char* c : kTextColumns) s += std::string(s.empty() ? "" : ", ") + c;
  for (const char* c : kNumberColumns) s += std::string(", ") + c;
  return s;
}

std::string SchemaV1() {
  std::string songs = "CREATE TABLE songs(idx INTEGER PRIMARY KEY, removed INTEGER NOT NULL DEFAULT 0, "
                      "file_exists INTEGER NOT NULL DEFAULT 0";
  for (const char* c : kTextColumns) songs += std::string(", ") + c + " TEXT NOT NULL DEFAULT ''";
  for (const char* c : kNumberColumns) songs += std::string(", ") + c + " INTEGER NOT NULL DEFAULT 0";
  songs += ");";
  return "CREATE TABLE meta(key TEXT PRIMARY KEY, value INTEGER NOT NULL);"
         "INSERT INTO meta(key, value) VALUES('next_index', 0);" +
         songs +
         "CREATE TABLE playlists(id INTEGER PRIMARY KEY, parent INTEGER NOT NULL, stock_id INTEGER NOT NULL, "
         "ord INTEGER NOT NULL, title TEXT NOT NULL, attribute INTEGER NOT NULL, user_string TEXT NOT NULL, "
         "user_data INTEGER NOT NULL);"
         "CREATE TABLE entries(playlist INTEGER NOT NULL, seq INTEGER NOT NULL, song INTEGER NOT NULL, "
         "PRIMARY KEY(playlist, seq)) WITHOUT ROWID;";
}

constexpr const char* kSchemaV2 = "CREATE INDEX entries_by_song ON entries(song);";

enum StatementId {
  kStWriteNext,
  kStInsertSong,
  kStUpdateSong,
  kStMarkRemoved,
  kStDeleteRemoved,
  kStInsertPlaylist,
  kStUpdatePlaylist,
  kStDeletePlaylist,
  kStInsertEntry,
  kStDeleteEntry,
  kStDeleteEntriesOfPlaylist,
  kStDeleteEntriesOfSong,
  kStCount
};
static_assert(kStCount <= 16);

std::string ColumnText(sqlite3_stmt* st, int col) {
  const unsigned char* t = sqlite3_column_text(st, col);
  int n = sqlite3_column_bytes(st, col);
  return t ? std::string(reinterpret_cast<const char*>(t), static_cast<std::size_t>(n)) : std::string();
}

// True when a column holds a whole number that fits 32 unsigned bits.
bool IsUint32(sqlite3_stmt* st, int col) {
  if (sqlite3_column_type(st, col) != SQLITE_INTEGER) return false;
  std::int64_t v = sqlite3_column_int64(st, col);
  return v >= 0 && v <= 0xFFFFFFFFLL;
}

// Reads one integer answer of a statement without a parameter.
bool QueryInt(sqlite3* db, const char* sql, std::int64_t& out, std::string& error) {
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) {
      out = sqlite3_column_int64(st, 0);
      rc = SQLITE_OK;
    }
  }
  if (rc != SQLITE_OK) error = std::string(sql) + ": " + sqlite3_errmsg(db);
  sqlite3_finalize(st);
  return rc == SQLITE_OK;
}

// True when this process may write the file or folder.
bool CanWrite(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

std::string FolderOf(const std::string& path) {
  std::string parent = std::filesystem::path(path).parent_path().string();
  return parent.empty() ? "." : parent;
}

// "file:" URI of a path, read as a file that does not change (no locks, no write-ahead log).
std::string ImmutableUri(const std::string& path) {
  static const char* kHex = "0123456789ABCDEF";
  std::string absolute = std::filesystem::absolute(path).string();
  std::string uri = "file:";
  for (unsigned char c : absolute) {
    if (std::isalnum(c) != 0 || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 0xF];
    }
  }
  return uri + "?immutable=1";
}

}  // namespace

TYX_StoreDatabase::~TYX_StoreDatabase() {
  for (sqlite3_stmt* st : statements_) sqlite3_finalize(st);
  if (db_ != nullptr) sqlite3_close(db_);
}

std::unique_ptr<TYX_StoreDatabase> TYX_StoreDatabase::Open(const std::string& path, std::string& error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (path.empty()) {
    error = "no library file given";
    return nullptr;
  }
  bool exists = fs::exists(path, ec);
  if (exists && !fs::is_regular_file(path, ec)) {
    error = "the library path is not a regular file: " + path;
    return nullptr;
  }
  if (!exists) {
    fs::path parent = fs::path(path).parent_path();
    if (!parent.empty()) fs::create_directories(parent, ec);
    std::error_code dirEc;
    if (!fs::is_directory(FolderOf(path), dirEc)) {
      error = "cannot create the folder of the library file " + path + (ec ? ": " + ec.message() : std::string());
      return nullptr;
    }
    if (!CanWrite(FolderOf(path))) {
      error = "cannot create the library file " + path + ": its folder is read-only or not writable";
      return nullptr;
    }
  }
  sqlite3* raw = nullptr;
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (exists ? 0 : SQLITE_OPEN_CREATE);
  int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
  std::unique_ptr<TYX_StoreDatabase> db(new TYX_StoreDatabase(raw, path));
  if (rc != SQLITE_OK) {
    error = "cannot open the library file " + path + ": " + (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc));
    return nullptr;
  }
  if (db->Check(error)) return db;
  // A file another program holds is never read behind its back.
  if (!exists || db->busy_ || (CanWrite(path) && CanWrite(FolderOf(path)))) return nullptr;

  // A read-only disk or folder: SQLite cannot make the write-ahead log it needs beside the file, so
  // the file is read as one that cannot change. Changes still in a log there cannot be read so.
  const std::string wal = path + "-wal";
  if (fs::exists(wal, ec) && fs::file_size(wal, ec) > 0 && !ec) {
    error = "the library file " + path + " is on a read-only disk or in a read-only folder and its last changes "
            "are still in " + wal + ": open it once where it can be written";
    return nullptr;
  }
  db.reset();
  raw = nullptr;
  rc = sqlite3_open_v2(ImmutableUri(path).c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI,
                       nullptr);
  db.reset(new TYX_StoreDatabase(raw, path));
  if (rc != SQLITE_OK) {
    error = "cannot open the library file " + path + " read-only: " +
            (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc));
    return nullptr;
  }
  db->readOnly_ = true;
  if (!db->Check(error)) return nullptr;
  return db;
}

bool TYX_StoreDatabase::Check(std::string& error) {
  sqlite3* raw = db_;
  const std::string& path = path_;
  sqlite3_extended_result_codes(raw, 1);
  sqlite3_busy_timeout(raw, 250);

  std::int64_t appId = 0, version = 0, tables = 0;
  std::string why;
  // One program at a time: the file stays locked while this store has it open.
  if (!QueryInt(raw, "PRAGMA locking_mode = EXCLUSIVE", appId, why)) {
    error = "cannot open the library file " + path + ": " + why;
    return false;
  }
  if (!QueryInt(raw, "PRAGMA application_id", appId, why) || !QueryInt(raw, "PRAGMA user_version", version, why) ||
      !QueryInt(raw, "SELECT count(*) FROM sqlite_master", tables, why)) {
    const int code = sqlite3_errcode(raw) & 0xFF;
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED) {
      busy_ = true;
      error = "the library file " + path + " is in use by another program";
    } else if (code == SQLITE_NOTADB || code == SQLITE_CORRUPT) {
      error = "the library file " + path + " is damaged or not a database (" + why + ")";
    } else {
      // Not the file's fault: the disk, the folder or the rights refused to give it.
      error = "cannot read the library file " + path + " (" + why + ")";
    }
    return false;
  }
  if (appId == 0 && version == 0 && tables == 0) {
    fileVersion_ = 0;  // new or empty file
  } else {
    if (appId != kApplicationId) {
      error = "the file " + path + " is not a music library file";
      return false;
    }
    if (version > kSchemaVersion) {
      error = "the library file " + path + " was written by a newer version (schema " + std::to_string(version) +
              "; this program reads up to " + std::to_string(kSchemaVersion) + ")";
      return false;
    }
    if (version < 1) {
      error = "the library file " + path + " is damaged (schema version " + std::to_string(version) + ")";
      return false;
    }
    // The full check: a quick one misses an index that disagrees with its table, and writes through
    // such an index (removing a song's entries) would break the library for good.
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(raw, "PRAGMA integrity_check", -1, &st, nullptr);
    std::string verdict;
    if (rc == SQLITE_OK) {
      while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        std::string line = ColumnText(st, 0);
        if (line != "ok") verdict += (verdict.empty() ? "" : "; ") + line;
      }
      if (rc == SQLITE_DONE) rc = SQLITE_OK;
    }
    if (rc != SQLITE_OK && verdict.empty()) verdict = sqlite3_errmsg(raw);
    sqlite3_finalize(st);
    if (!verdict.empty()) {
      if (verdict.size() > 300) verdict = verdict.substr(0, 300) + "...";
      error = "the library file " + path + " is damaged (" + verdict + ")";
      return false;
    }
    fileVersion_ = static_cast<int>(version);
  }
  // SQLite opens a file it may not write read-only by itself.
  if (sqlite3_db_readonly(raw, "main") == 1) readOnly_ = true;
  return true;
}

std::string TYX_StoreDatabase::ReadOnlyText() const {
  return "the library file " + path_ + " is open read-only (its disk or folder cannot be written): "
         "the change was not stored";
}

bool TYX_StoreDatabase::Writable(std::string& error) const {
  if (!readOnly_) return true;
  error = ReadOnlyText();
  return false;
}

bool TYX_StoreDatabase::InTransaction() const { return sqlite3_get_autocommit(db_) == 0; }

bool TYX_StoreDatabase::Exec(const char* sql, std::string& error) {
  char* msg = nullptr;
  int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &msg);
  if (rc != SQLITE_OK) {
    error = msg ? msg : sqlite3_errstr(rc);
    sqlite3_free(msg);
    return false;
  }
  return true;
}

bool TYX_StoreDatabase::Prepare(std::string& error) {
  if (readOnly_) {
    if (fileVersion_ < kSchemaVersion) {
      error = "the library file " + path_ + " is read-only (its disk or folder cannot be written) and " +
              (fileVersion_ == 0 ? std::string("empty") :
                                   "of an older version (schema " + std::to_string(fileVersion_) + ") that needs an upgrade");
      return false;
    }
    return true;  // nothing to prepare for reading
  }
  if (fileVersion_ < kSchemaVersion) {
    if (!Exec("BEGIN IMMEDIATE", error)) {
      error = "cannot upgrade the library file: " + error;
      return false;
    }
    bool ok = true;
    std::string v1 = SchemaV1();
    if (ok && fileVersion_ < 1) ok = Exec(v1.c_str(), error);
    if (ok && fileVersion_ < 2) ok = Exec(kSchemaV2, error);
    std::string pragmas = "PRAGMA application_id = " + std::to_string(kApplicationId) +
                          "; PRAGMA user_version = " + std::to_string(kSchemaVersion) + ";";
    if (ok) ok = Exec(pragmas.c_str(), error);
    if (ok) ok = Exec("COMMIT", error);
    if (!ok) {
      std::string ignored;
      Exec("ROLLBACK", ignored);
      error = "cannot upgrade the library file from schema " + std::to_string(fileVersion_) + ": " + error;
      return false;
    }
  }
  std::string mode;
  {
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db_, "PRAGMA journal_mode = WAL", -1, &st, nullptr);
    if (rc == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW) mode = ColumnText(st, 0);
    sqlite3_finalize(st);
  }
  if (mode != "wal") {
    error = "cannot switch the library file to write-ahead logging: " + std::string(sqlite3_errmsg(db_));
    return false;
  }
  return Exec("PRAGMA synchronous = NORMAL", error);
}

bool TYX_StoreDatabase::ReadNextIndex(std::uint32_t& next, std::string& error) {
  std::int64_t v = 0;
  if (!QueryInt(db_, "SELECT value FROM meta WHERE key = 'next_index'", v, error)) return false;
  if (v < 0 || v > 0xFFFFFFFELL) {
    error = "damaged library file: next index " + std::to_string(v);
    return false;
  }
  next = static_cast<std::uint32_t>(v);
  return true;
}

bool TYX_StoreDatabase::LoadSongs(const std::function<void(const SongRow&)>& each, std::string& error) {
  static const std::string sql = "SELECT idx, removed, file_exists, " + FieldColumns() + " FROM songs ORDER BY idx";
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &st, nullptr);
  // One row object for the whole read: its texts keep their buffers from row to row.
  SongRow row;
  while (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) {
    std::int64_t idx = sqlite3_column_int64(st, 0);
    if (idx < 0 || idx >= 0xFFFFFFFFLL) {
      error = "damaged library file: song index " + std::to_string(idx);
      sqlite3_finalize(st);
      return false;
    }
    row.index = static_cast<std::uint32_t>(idx);
    row.removed = sqlite3_column_int(st, 1) != 0;
    row.data.fileExists = sqlite3_column_int(st, 2) != 0;
    for (int i = 0; i < kTextCount; ++i) {
      const unsigned char* t = sqlite3_column_text(st, 3 + i);
      const int n = sqlite3_column_bytes(st, 3 + i);
      std::string& out = row.data.texts[static_cast<std::size_t>(i)];
      if (t != nullptr) out.assign(reinterpret_cast<const char*>(t), static_cast<std::size_t>(n));
      else out.clear();
    }
    for (int i = 0; i < kNumberCount; ++i) {
      row.data.numbers[static_cast<std::size_t>(i)] =
          static_cast<std::uint64_t>(sqlite3_column_int64(st, 3 + kTextCount + i));
    }
    each(row);
    rc = SQLITE_OK;
  }
  bool ok = rc == SQLITE_DONE;
  if (!ok) error = "cannot read the songs: " + std::string(sqlite3_errmsg(db_));
  sqlite3_finalize(st);
  return ok;
}

bool TYX_StoreDatabase::LoadPlaylists(const std::function<void(PlaylistRow&&)>& each, std::string& error) {
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db_,
                              "SELECT id, parent, stock_id, ord, title, attribute, user_string, user_data "
                              "FROM playlists ORDER BY parent, ord",
                              -1, &st, nullptr);
  while (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) {
    PlaylistRow row;
    if (!IsUint32(st, 0) || !IsUint32(st, 1) || !IsUint32(st, 2) || sqlite3_column_int64(st, 0) == 0) {
      error = "damaged library file: a playlist has a bad id (" + ColumnText(st, 0) + ")";
      sqlite3_finalize(st);
      return false;
    }
    row.id = static_cast<std::uint32_t>(sqlite3_column_int64(st, 0));
    row.parent = static_cast<std::uint32_t>(sqlite3_column_int64(st, 1));
    row.stockId = static_cast<std::uint32_t>(sqlite3_column_int64(st, 2));
    row.order = static_cast<std::uint64_t>(sqlite3_column_int64(st, 3));
    row.title = ColumnText(st, 4);
    row.attribute = static_cast<std::uint32_t>(sqlite3_column_int64(st, 5));
    row.userString = ColumnText(st, 6);
    row.userData = static_cast<std::uint32_t>(sqlite3_column_int64(st, 7));
    each(std::move(row));
    rc = SQLITE_OK;
  }
  bool ok = rc == SQLITE_DONE;
  if (!ok) error = "cannot read the playlists: " + std::string(sqlite3_errmsg(db_));
  sqlite3_finalize(st);
  return ok;
}

bool TYX_StoreDatabase::LoadEntries(
    const std::function<void(std::uint32_t, std::uint64_t, std::uint32_t)>& each, std::string& error) {
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db_, "SELECT playlist, seq, song FROM entries ORDER BY playlist, seq", -1, &st,
                              nullptr);
  while (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) {
    if (!IsUint32(st, 0) || !IsUint32(st, 2) || sqlite3_column_int64(st, 1) < 0) {
      error = "damaged library file: a playlist entry has a bad number";
      sqlite3_finalize(st);
      return false;
    }
    each(static_cast<std::uint32_t>(sqlite3_column_int64(st, 0)), static_cast<std::uint64_t>(sqlite3_column_int64(st, 1)),
         static_cast<std::uint32_t>(sqlite3_column_int64(st, 2)));
    rc = SQLITE_OK;
  }
  bool ok = rc == SQLITE_DONE;
  if (!ok) error = "cannot read the playlist entries: " + std::string(sqlite3_errmsg(db_));
  sqlite3_finalize(st);
  return ok;
}

bool TYX_StoreDatabase::Begin(std::string& error) { return Writable(error) && Exec("BEGIN IMMEDIATE", error); }
bool TYX_StoreDatabase::Commit(std::string& error) { return Exec("COMMIT", error); }
void TYX_StoreDatabase::Rollback() {
  std::string ignored;
  Exec("ROLLBACK", ignored);
}
bool TYX_StoreDatabase::Savepoint(std::string& error) { return Writable(error) && Exec("SAVEPOINT op", error); }
bool TYX_StoreDatabase::Release(std::string& error) { return Exec("RELEASE op", error); }
void TYX_StoreDatabase::RollbackToSavepoint() {
  // Two steps: when SQLite already ended the transaction, the savepoint is gone and both fail alike.
  std::string ignored;
  Exec("ROLLBACK TO op", ignored);
  Exec("RELEASE op", ignored);
}

sqlite3_stmt* TYX_StoreDatabase::Statement(int id, const char* sql, std::string& error) {
  // Every prepared statement writes.
  if (!Writable(error)) return nullptr;
  sqlite3_stmt*& st = statements_[id];
  if (st == nullptr) {
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr) != SQLITE_OK) {
      error = std::string("cannot prepare a library statement: ") + sqlite3_errmsg(db_);
      st = nullptr;
      return nullptr;
    }
  }
  sqlite3_reset(st);
  sqlite3_clear_bindings(st);
  return st;
}

bool TYX_StoreDatabase::Step(sqlite3_stmt* st, const char* what, std::string& error) {
  int rc = sqlite3_step(st);
  sqlite3_reset(st);
  if (rc != SQLITE_DONE) {
    error = std::string(what) + ": " + sqlite3_errmsg(db_);
    return false;
  }
  return true;
}

bool TYX_StoreDatabase::WriteNextIndex(std::uint32_t next, std::string& error) {
  sqlite3_stmt* st = Statement(kStWriteNext, "UPDATE meta SET value = ?1 WHERE key = 'next_index'", error);
  if (st == nullptr) return false;
  sqlite3_bind_int64(st, 1, next);
  return Step(st, "cannot store the next song index", error);
}

bool TYX_StoreDatabase::BindSong(sqlite3_stmt* st, const SongRow& row) {
  sqlite3_bind_int64(st, 1, row.index);
  sqlite3_bind_int(st, 2, row.removed ? 1 : 0);
  sqlite3_bind_int(st, 3, row.data.fileExists ? 1 : 0);
  for (int i = 0; i < kTextCount; ++i) {
    const std::string& t = row.data.texts[static_cast<std::size_t>(i)];
    sqlite3_bind_text(st, 4 + i, t.data(), static_cast<int>(t.size()), SQLITE_STATIC);
  }
  for (int i = 0; i < kNumberCount; ++i) {
    sqlite3_bind_int64(st, 4 + kTextCount + i,
                       static_cast<sqlite3_int64>(row.data.numbers[static_cast<std::size_t>(i)]));
  }
  return true;
}

bool TYX_StoreDatabase::InsertSong(const SongRow& row, std::string& error) {
  static const std::string sql = [] {
    std::string s = "INSERT INTO songs(idx, removed, file_exists, " + FieldColumns() + ") VALUES(?1, ?2, ?3";
    for (int i = 0; i < kTextCount + kNumberCount; ++i) s += ", ?" + std::to_string(4 + i);
    return s + ")";
  }();
  sqlite3_stmt* st = Statement(kStInsertSong, sql.c_str(), error);
  if (st == nullptr) return false;
  BindSong(st, row);
  return Step(st, "cannot store a new song", error);
}

bool TYX_StoreDatabase::UpdateSong(const SongRow& row, std::string& error) {
  static const std::string sql = [] {
    std::string s = "UPDATE songs SET removed = ?2, file_exists = ?3";
    int n = 4;
    for (const char* c : kTextColumns) s += std::string(", ") + c + " = ?" + std::to_string(n++);
    for (const char* c : kNumberColumns) s += std::string(", ") + c + " = ?" + std::to_string(n++);
    return s + " WHERE idx = ?1";
  }();
  sqlite3_stmt* st = Statement(kStUpdateSong, sql.c_str(), error);
  if (st == nullptr) return false;
  BindSong(st, row);
  if (!Step(st, "cannot store the song's fields", error)) return false;
  if (sqlite3_changes(db_) != 1) {
    error = "the song " + std::to_string(row.index) + " is missing from the library file";
    return false;
  }
  return true;
}

bool TYX_StoreDatabase::MarkSongRemoved(std::uint32_t index, std::string& error) {
  sqlite3_stmt* st = Statement(kStMarkRemoved, "UPDATE songs SET removed = 1 WHERE idx = ?1", error);
  if (st == nullptr) return false;
  sqlite3_bind_int64(st, 1, index);
  return Step(st, "cannot mark the song removed", error);
}

bool TYX_StoreDatabase::DeleteRemovedSongs(std::string& error) {
  sqlite3_stmt* st = Statement(kStDeleteRemoved, "DELETE FROM songs WHERE removed = 1", error);
  if (st == nullptr) return false;
  return Step(st, "cannot drop the removed songs", error);
}

bool TYX_StoreDatabase::InsertPlaylist(const PlaylistRow& row, std::string& error) {
  sqlite3_stmt* st = Statement(kStInsertPlaylist,
                               "INSERT INTO playlists(id, parent, stock_id, ord, title, attribute, user_string, "
                               "user_data) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)",
                               error);
  if (st == nullptr) return false;
  sqlite3_bind_int64(st, 1, row.id);
  sqlite3_bind_int64(st, 2, row.parent);
  sqlite3_bind_int64(st, 3, row.stockId);
  sqlite3_bind_int64(st, 4, static_cast<sqlite3_int64>(row.order));
  sqlite3_bind_text(st, 5, row.title.data(), static_cast<int>(row.title.size()), SQLITE_STATIC);
  sqlite3_bind_int64(st, 6, row.attribute);
  sqlite3_bind_text(st, 7, row.userString.data(), static_cast<int>(row.userString.size()), SQLITE_STATIC);
  sqlite3_bind_int64(st, 8, row.userData);
  return Step(st, "cannot store a new playlist", error);
}

bool TYX_StoreDatabase::UpdatePlaylist(const PlaylistRow& row, std::string& error) {
  sqlite3_stmt* st = Statement(kStUpdatePlaylist,
                               "UPDATE playlists SET title = ?2, attribute = ?3, user_string = ?4, user_data = ?5 "
                               "WHERE id = ?1",
                               error);
  if (st == nullptr) return false;
  sqlite3_bind_int64(st, 1, row.id);
  sqlite3_bind_text(st, 2, row.title.data(), static_cast<int>(row.title.size()), SQLITE_STATIC);
  sqlite3_bind_int64(st, 3, row.attribute);
  sqlite3_bind_text(st, 4, row.userString.data(), static_cast<int>(row.userString.size()), SQLITE_STATIC);
  sqlite3_bind_int64(st, 5, row.userData);
  if (!Step(st, "cannot store the playlist's properties", error)) return false;
  if (sqlite3_changes(db_) != 1) {
    error = "the playlist " + std::to_string(row.id) + " is missing from the library file";
    return false;
  }
  return true;
}

bool TYX_StoreDatabase::DeletePlaylist(std::uint32_t id, std::string& error) {
  sqlite3_stmt* st = Statement(kStDeletePlaylist, "DELETE FROM playlists WHERE id = ?1", error);
  if (st == nullptr) return false;
  sqlite3_bind_int64(st, 1, id);
  return Step(st, "cannot delete the playlist", error);
}

bool TYX_StoreDatabase::InsertEntry(std::uint32_t playlist, std::uint64_t seq, std::uint32_t song,
                                    std::string& error) {
  sqlite3_stmt* st =
      Statement(kStInsertEntry, "INSERT INTO entries(playlist, seq, song) VALUES(?1, ?2, ?3)", error);
  if (st == nullptr) return false;
  sqlite3_bind_int64(st, 1, playlist);
  sqlite3_bind_int64(st, 2, static_cast<sqlite3_int64>(seq));
  sqlite3_bind_int64(st, 3, song);
  return Step(st, "cannot store a playlist entry", error);
}

bool TYX_StoreDatabase::DeleteEntry(std::uint32_t playlist, std::uint64_t seq, std::string& error) {
  sqlite3_stmt* st = Statement(kStDeleteEntry, "DELETE FROM entries WHERE playlist = ?1 AND seq = ?2", error);
  if (st == nullptr) return false;
  sqlite3_bind_int64(st, 1, playlist);
  sqlite3_bind_int64(st, 2, static_cast<sqlite3_int64>(seq));
  return Step(st, "cannot delete a playlist entry", error);
}

bool TYX_StoreDatabase::DeleteEntriesOfPlaylist(std::uint32_t playlist, std::string& error) {
  sqlite3_stmt* st = Statement(kStDeleteEntriesOfPlaylist, "DELETE FROM entries WHERE playlist = ?1", error);
  if (st == nullptr) return false;
  sqlite3_bind_int64(st, 1, playlist);
  return Step(st, "cannot empty the playlist", error);
}

bool TYX_StoreDatabase::DeleteEntriesOfSong(std::uint32_t song, std::string& error) {
  sqlite3_stmt* st = Statement(kStDeleteEntriesOfSong, "DELETE FROM entries WHERE song = ?1", error);
  if (st == nullptr) return false;
  sqlite3_bind_int64(st, 1, song);
  return Step(st, "cannot remove the song from the playlists", error);
}

}  // namespace TYX::Store
