#include "components/tagging/fingerprint_index.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <set>

#include "components/tagging/audio_fingerprint.h"

namespace TYX::Tagging {
namespace {

constexpr int kNameArtist = 1;
constexpr int kNameAlbum = 2;
constexpr int kMaxShift = 8;
constexpr std::size_t kMinOverlap = 24;
constexpr int kMaxVerified = 50;

// A prepared statement freed with its scope.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) { ok_ = sqlite3_prepare_v2(db, sql, -1, &st_, nullptr) == SQLITE_OK; }
  ~Statement() { sqlite3_finalize(st_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  bool ok() const { return ok_; }
  sqlite3_stmt* get() const { return st_; }
  void Text(int i, const std::string& s) { sqlite3_bind_text(st_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT); }
  void Int(int i, std::int64_t v) { sqlite3_bind_int64(st_, i, v); }
  int Step() { return sqlite3_step(st_); }
  std::int64_t ColInt(int i) const { return sqlite3_column_int64(st_, i); }
  std::string ColText(int i) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st_, i));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(st_, i))) : std::string();
  }

 private:
  sqlite3_stmt* st_ = nullptr;
  bool ok_ = false;
};

std::uint64_t Mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

std::vector<std::uint8_t> ToBlob(const std::vector<std::uint32_t>& raw) {
  const std::size_t n = std::min(raw.size(), kIndexItems);
  std::vector<std::uint8_t> blob(n * 4);
  for (std::size_t i = 0; i < n; ++i) {
    blob[i * 4] = static_cast<std::uint8_t>(raw[i]);
    blob[i * 4 + 1] = static_cast<std::uint8_t>(raw[i] >> 8);
    blob[i * 4 + 2] = static_cast<std::uint8_t>(raw[i] >> 16);
    blob[i * 4 + 3] = static_cast<std::uint8_t>(raw[i] >> 24);
  }
  return blob;
}

std::vector<std::uint32_t> FromBlob(const void* data, int bytes) {
  std::vector<std::uint32_t> raw(static_cast<std::size_t>(bytes > 0 ? bytes : 0) / 4);
  const auto* p = static_cast<const std::uint8_t*>(data);
  for (std::size_t i = 0; i < raw.size(); ++i) {
    raw[i] = static_cast<std::uint32_t>(p[i * 4]) | static_cast<std::uint32_t>(p[i * 4 + 1]) << 8 |
             static_cast<std::uint32_t>(p[i * 4 + 2]) << 16 | static_cast<std::uint32_t>(p[i * 4 + 3]) << 24;
  }
  return raw;
}

// Upgrade steps: step i brings the schema from version i to i + 1.
const char* const kUpgradeSteps[] = {
    "CREATE TABLE names(id INTEGER PRIMARY KEY, kind INTEGER NOT NULL, name TEXT NOT NULL, UNIQUE(kind, name));"
    "CREATE TABLE songs(id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE, title TEXT NOT NULL,"
    " artist TEXT NOT NULL, album TEXT NOT NULL, genre TEXT NOT NULL, track INTEGER NOT NULL,"
    " duration_ms INTEGER NOT NULL, artist_id INTEGER NOT NULL, album_id INTEGER NOT NULL,"
    " fingerprint BLOB NOT NULL);"
    "CREATE TABLE terms(term INTEGER NOT NULL, song INTEGER NOT NULL, PRIMARY KEY(term, song)) WITHOUT ROWID;"
    "CREATE INDEX terms_by_song ON terms(song);",
};
static_assert(sizeof(kUpgradeSteps) / sizeof(kUpgradeSteps[0]) == kIndexSchemaVersion);

}  // namespace

FingerprintIndex::~FingerprintIndex() { sqlite3_close_v2(db_); }

std::unique_ptr<FingerprintIndex> FingerprintIndex::Open(const std::string& path, std::string& error) {
  if (path.empty()) {
    error = "no index file named";
    return nullptr;
  }
  std::error_code ec;
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder, ec);
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr) !=
      SQLITE_OK) {
    error = "the fingerprint index cannot be opened: " + path + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
    sqlite3_close_v2(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, 5000);
  std::unique_ptr<FingerprintIndex> index(new FingerprintIndex(db));
  if (!index->Upgrade(error)) return nullptr;
  return index;
}

bool FingerprintIndex::Exec(const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    error_ = message ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    return false;
  }
  return true;
}

int FingerprintIndex::SchemaVersion() {
  Statement st(db_, "PRAGMA user_version");
  return st.ok() && st.Step() == SQLITE_ROW ? static_cast<int>(st.ColInt(0)) : -1;
}

bool FingerprintIndex::Upgrade(std::string& error) {
  const int version = SchemaVersion();
  if (version < 0) {
    error = "the fingerprint index cannot be read (not a database?): " + std::string(sqlite3_errmsg(db_));
    return false;
  }
  if (version > kIndexSchemaVersion) {
    error = "the fingerprint index was written by a newer version (" + std::to_string(version) + ")";
    return false;
  }
  if (version == 0) {
    // A version-0 file must be empty: anything else is another program's database.
    Statement st(db_, "SELECT count(*) FROM sqlite_master");
    if (!st.ok() || st.Step() != SQLITE_ROW || st.ColInt(0) != 0) {
      error = "the file is not a fingerprint index";
      return false;
    }
  }
  for (int v = version; v < kIndexSchemaVersion; ++v) {
    const std::string sql = std::string("BEGIN IMMEDIATE;") + kUpgradeSteps[v] + "PRAGMA user_version = " +
                            std::to_string(v + 1) + ";COMMIT;";
    if (!Exec(sql.c_str())) {
      error = "the fingerprint index could not be upgraded to version " + std::to_string(v + 1) + ": " + error_;
      Exec("ROLLBACK");
      return false;
    }
  }
  return true;
}

std::vector<std::int64_t> FingerprintIndex::TermsOf(const std::vector<std::uint32_t>& raw) {
  std::set<std::uint64_t> hashes;
  const std::size_t n = std::min(raw.size(), kIndexItems);
  for (std::size_t i = 0; i < n; ++i) {
    hashes.insert(Mix(raw[i]) >> 1);  // >> 1: a positive SQLite integer
    if (hashes.size() > kIndexTerms) hashes.erase(std::prev(hashes.end()));
  }
  return {hashes.begin(), hashes.end()};
}

std::int64_t FingerprintIndex::NameId(int kind, const std::string& name) {
  Statement ins(db_, "INSERT OR IGNORE INTO names(kind, name) VALUES(?, ?)");
  if (!ins.ok()) return -1;
  ins.Int(1, kind);
  ins.Text(2, name);
  if (ins.Step() != SQLITE_DONE) return -1;
  Statement sel(db_, "SELECT id FROM names WHERE kind = ? AND name = ?");
  sel.Int(1, kind);
  sel.Text(2, name);
  return sel.ok() && sel.Step() == SQLITE_ROW ? sel.ColInt(0) : -1;
}

bool FingerprintIndex::Begin() { return Exec("BEGIN IMMEDIATE"); }
bool FingerprintIndex::Commit() { return Exec("COMMIT"); }

bool FingerprintIndex::Put(const IndexedSong& song, const std::vector<std::uint32_t>& raw) {
  if (song.path.empty() || raw.empty()) {
    error_ = "a song needs a path and a fingerprint";
    return false;
  }
  const bool own = sqlite3_get_autocommit(db_) != 0;
  if (own && !Exec("SAVEPOINT put")) return false;
  auto fail = [&] {
    if (error_.empty()) error_ = sqlite3_errmsg(db_);
    if (own) Exec("ROLLBACK TO put; RELEASE put");
    return false;
  };
  error_.clear();
  const std::int64_t artistId = NameId(kNameArtist, song.artist);
  const std::int64_t albumId = NameId(kNameAlbum, song.album);
  if (artistId < 0 || albumId < 0) return fail();
  Statement up(db_,
               "INSERT INTO songs(path, title, artist, album, genre, track, duration_ms, artist_id, album_id, fingerprint)"
               " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10) ON CONFLICT(path) DO UPDATE SET title = ?2,"
               " artist = ?3, album = ?4, genre = ?5, track = ?6, duration_ms = ?7, artist_id = ?8, album_id = ?9,"
               " fingerprint = ?10");
  if (!up.ok()) return fail();
  up.Text(1, song.path);
  up.Text(2, song.title);
  up.Text(3, song.artist);
  up.Text(4, song.album);
  up.Text(5, song.genre);
  up.Int(6, song.track);
  up.Int(7, song.durationMs);
  up.Int(8, artistId);
  up.Int(9, albumId);
  const std::vector<std::uint8_t> blob = ToBlob(raw);
  sqlite3_bind_blob(up.get(), 10, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT);
  if (up.Step() != SQLITE_DONE) return fail();
  Statement id(db_, "SELECT id FROM songs WHERE path = ?");
  if (!id.ok()) return fail();
  id.Text(1, song.path);
  if (id.Step() != SQLITE_ROW) return fail();
  const std::int64_t songId = id.ColInt(0);
  Statement del(db_, "DELETE FROM terms WHERE song = ?");
  if (!del.ok()) return fail();
  del.Int(1, songId);
  if (del.Step() != SQLITE_DONE) return fail();
  Statement term(db_, "INSERT OR IGNORE INTO terms(term, song) VALUES(?, ?)");
  if (!term.ok()) return fail();
  for (std::int64_t t : TermsOf(raw)) {
    sqlite3_reset(term.get());
    term.Int(1, t);
    term.Int(2, songId);
    if (term.Step() != SQLITE_DONE) return fail();
  }
  if (own && !Exec("RELEASE put")) return fail();
  return true;
}

bool FingerprintIndex::Remove(const std::string& path) {
  error_.clear();
  if (!Exec("SAVEPOINT remove")) return false;
  Statement terms(db_, "DELETE FROM terms WHERE song IN (SELECT id FROM songs WHERE path = ?)");
  Statement songs(db_, "DELETE FROM songs WHERE path = ?");
  bool ok = terms.ok() && songs.ok();
  if (ok) {
    terms.Text(1, path);
    songs.Text(1, path);
    ok = terms.Step() == SQLITE_DONE && songs.Step() == SQLITE_DONE;
  }
  if (!ok) {
    error_ = sqlite3_errmsg(db_);
    Exec("ROLLBACK TO remove; RELEASE remove");
    return false;
  }
  return Exec("RELEASE remove");
}

std::int64_t FingerprintIndex::Count() {
  Statement st(db_, "SELECT count(*) FROM songs");
  return st.ok() && st.Step() == SQLITE_ROW ? st.ColInt(0) : -1;
}

bool FingerprintIndex::LoadSong(std::int64_t id, IndexedSong& song, std::vector<std::uint32_t>& raw) {
  Statement st(db_,
               "SELECT path, title, artist, album, genre, track, duration_ms, artist_id, album_id, fingerprint"
               " FROM songs WHERE id = ?");
  if (!st.ok()) return false;
  st.Int(1, id);
  if (st.Step() != SQLITE_ROW) return false;
  song.id = id;
  song.path = st.ColText(0);
  song.title = st.ColText(1);
  song.artist = st.ColText(2);
  song.album = st.ColText(3);
  song.genre = st.ColText(4);
  song.track = static_cast<std::uint32_t>(st.ColInt(5));
  song.durationMs = static_cast<std::uint32_t>(st.ColInt(6));
  song.artistId = st.ColInt(7);
  song.albumId = st.ColInt(8);
  raw = FromBlob(sqlite3_column_blob(st.get(), 9), sqlite3_column_bytes(st.get(), 9));
  return true;
}

std::vector<IndexMatch> FingerprintIndex::Lookup(const std::vector<std::uint32_t>& raw, std::size_t maxResults) {
  std::vector<IndexMatch> matches;
  const std::vector<std::int64_t> terms = TermsOf(raw);
  if (terms.empty()) return matches;
  std::string sql = "SELECT song, count(*) AS shared FROM terms WHERE term IN (";
  for (std::size_t i = 0; i < terms.size(); ++i) sql += i ? ",?" : "?";
  sql += ") GROUP BY song ORDER BY shared DESC, song LIMIT " + std::to_string(kMaxVerified);
  Statement st(db_, sql.c_str());
  if (!st.ok()) {
    error_ = sqlite3_errmsg(db_);
    return matches;
  }
  for (std::size_t i = 0; i < terms.size(); ++i) st.Int(static_cast<int>(i + 1), terms[i]);
  std::vector<std::int64_t> ids;
  while (st.Step() == SQLITE_ROW) ids.push_back(st.ColInt(0));
  const std::vector<std::uint32_t> query(raw.begin(), raw.begin() + static_cast<std::ptrdiff_t>(std::min(raw.size(), kIndexItems + kMaxShift)));
  for (std::int64_t id : ids) {
    IndexMatch m;
    std::vector<std::uint32_t> stored;
    if (!LoadSong(id, m.song, stored)) continue;
    const std::size_t overlap = std::min<std::size_t>(kMinOverlap, std::min(stored.size(), query.size()));
    const double ber = BestBitErrorRate(stored, query, kMaxShift, overlap);
    if (ber > kMatchBitErrorRate) continue;
    m.score = std::clamp(static_cast<int>(std::lround(100.0 * (1.0 - 2.0 * ber))), 0, 100);
    matches.push_back(std::move(m));
  }
  std::stable_sort(matches.begin(), matches.end(), [](const IndexMatch& a, const IndexMatch& b) { return a.score > b.score; });
  if (matches.size() > maxResults) matches.resize(maxResults);
  return matches;
}

}  // namespace TYX::Tagging
