#pragma once
// The local fingerprint index: the library's tagged songs remembered by their sound, in one SQLite file
// beside the library, so that an untagged copy of a known song is identified without the network.
//
// Each song keeps its tags and the first kIndexItems values of its raw fingerprint; a few of those
// values, picked by hash (the smallest hashes of the set), are the terms by which a query finds it.
// A query's candidates share at least one term and are then compared item by item; a candidate
// matches when its bit error rate is at most kMatchBitErrorRate at some shift of a few items.
//
// The schema is versioned (PRAGMA user_version) and upgraded step by step at open; a file of a newer
// version, or one that is not an index, is refused and left as it is.
//
// One index object is used by one thread at a time; several objects may open the same file (SQLite
// serialises their writes, waiting up to a few seconds for one another).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;

namespace TYX::Tagging {

constexpr std::size_t kIndexItems = 256;       // about 32 seconds of sound
constexpr std::size_t kIndexTerms = 16;
constexpr double kMatchBitErrorRate = 0.25;
constexpr int kIndexSchemaVersion = 1;

struct IndexedSong {
  std::int64_t id = 0;  // stable while the path stays in the index
  std::string path;
  std::string title;
  std::string artist;
  std::string album;
  std::string genre;
  std::uint32_t track = 0;
  std::uint32_t durationMs = 0;
  std::int64_t artistId = 0;
  std::int64_t albumId = 0;
};

struct IndexMatch {
  IndexedSong song;
  int score = 0;  // 0 to 100: 100 is the same sound
};

class FingerprintIndex {
 public:
  ~FingerprintIndex();
  FingerprintIndex(const FingerprintIndex&) = delete;
  FingerprintIndex& operator=(const FingerprintIndex&) = delete;

  // Opens (creating when missing, with its folder) the index file; null with the reason on failure.
  static std::unique_ptr<FingerprintIndex> Open(const std::string& path, std::string& error);

  // Adds the song or, for a path already there, replaces its tags and fingerprint (its id stays).
  // False with LastError() when the write failed.
  bool Put(const IndexedSong& song, const std::vector<std::uint32_t>& raw);
  bool Remove(const std::string& path);
  // The songs whose sound matches, best first; at most maxResults.
  std::vector<IndexMatch> Lookup(const std::vector<std::uint32_t>& raw, std::size_t maxResults = 10);
  std::int64_t Count();

  // Many puts in one transaction (the benchmark's and an import's bulk fill).
  bool Begin();
  bool Commit();

  const std::string& LastError() const { return error_; }
  int SchemaVersion();

  // The terms a fingerprint is indexed by (exposed for the tests of the matching).
  static std::vector<std::int64_t> TermsOf(const std::vector<std::uint32_t>& raw);

 private:
  explicit FingerprintIndex(sqlite3* db) : db_(db) {}
  bool Upgrade(std::string& error);
  bool Exec(const char* sql);
  std::int64_t NameId(int kind, const std::string& name);
  bool LoadSong(std::int64_t id, IndexedSong& song, std::vector<std::uint32_t>& raw);

  sqlite3* db_;       // the thread that uses this object
  std::string error_;
};

}  // namespace TYX::Tagging
