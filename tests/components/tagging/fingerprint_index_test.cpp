#include "components/tagging/fingerprint_index.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "components/tagging/audio_fingerprint.h"
#include "helpers/melody_audio.h"
#include "helpers/temp_dir.h"

namespace TYX::Tagging {
namespace {

std::vector<std::uint32_t> MelodyPrint(std::uint32_t seed, double seconds = 40) {
  const auto pcm = TYX::Test::MelodyPcm(seed, seconds, 22050, 1);
  FingerprintResult r = FingerprintPcm(pcm.data(), pcm.size(), 22050, 1);
  EXPECT_TRUE(r.ok) << r.error;
  return r.fingerprint.raw;
}

IndexedSong Song(const std::string& path, const std::string& title) {
  IndexedSong s;
  s.path = path;
  s.title = title;
  s.artist = "Neon Coast";
  s.album = "Midnight";
  s.genre = "Ballad";
  s.track = 3;
  return s;
}

TEST(AudioFingerprintTest, SameSoundSamePrintOtherSoundFarApart) {
  const auto a = MelodyPrint(1);
  const auto again = MelodyPrint(1);
  const auto b = MelodyPrint(2);
  ASSERT_GT(a.size(), 200u);
  EXPECT_EQ(a, again);
  EXPECT_DOUBLE_EQ(BestBitErrorRate(a, again, 8, 24), 0.0);
  EXPECT_GT(BestBitErrorRate(a, b, 8, 24), 0.3);
}

TEST(AudioFingerprintTest, TooShortOrUndecodableSoundIsRefused) {
  const auto pcm = TYX::Test::MelodyPcm(3, 0.2, 22050, 1);
  EXPECT_FALSE(FingerprintPcm(pcm.data(), pcm.size(), 22050, 1).ok);
  EXPECT_FALSE(FingerprintPcm(pcm.data(), pcm.size(), 0, 1).ok);
  TYX::Test::TempDir dir;
  const FingerprintResult r = FingerprintFile(dir.Write("notes.mp3", "this is not audio at all"));
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.error.empty());
  EXPECT_FALSE(FingerprintFile(dir.File("missing.wav")).ok);
}

TEST(AudioFingerprintTest, FileFingerprintCoversTwoMinutesAndKnowsTheWholeDuration) {
  TYX::Test::TempDir dir;
  const std::string path = dir.File("long.wav");
  ASSERT_TRUE(TYX::Test::WriteMelodyWav(path, 4, 150, 11025, 1));
  const FingerprintResult r = FingerprintFile(path);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_NEAR(r.fingerprint.durationMs, 150000u, 50u);
  // About 8 values a second over the first 120 seconds, not over all 150.
  EXPECT_GT(r.fingerprint.raw.size(), 900u);
  EXPECT_LT(r.fingerprint.raw.size(), 1000u);
  EXPECT_FALSE(r.fingerprint.encoded.empty());
}

TEST(BitErrorRateTest, ShiftsAndOverlap) {
  const std::vector<std::uint32_t> a{0xFFFFFFFFu, 0, 0, 0xF0F0F0F0u};
  const std::vector<std::uint32_t> b{0, 0, 0xF0F0F0F0u};
  EXPECT_DOUBLE_EQ(BitErrorRate(a, b, 1, 1), 0.0);
  EXPECT_DOUBLE_EQ(BitErrorRate(a, b, 0, 1), (32.0 + 0 + 16) / 96.0);
  EXPECT_DOUBLE_EQ(BitErrorRate(a, b, 10, 1), 1.0);  // no overlap
  EXPECT_DOUBLE_EQ(BitErrorRate(a, b, 1, 4), 1.0);   // overlap too short
  EXPECT_DOUBLE_EQ(BestBitErrorRate(a, b, 2, 1), 0.0);
}

class FingerprintIndexTest : public ::testing::Test {
 protected:
  std::unique_ptr<FingerprintIndex> Open() {
    std::string error;
    auto index = FingerprintIndex::Open(dir_.File("sub/index.db"), error);
    EXPECT_TRUE(index) << error;
    return index;
  }
  TYX::Test::TempDir dir_;
};

TEST_F(FingerprintIndexTest, FindsTheSongItWasGivenAndNothingElse) {
  auto index = Open();
  ASSERT_TRUE(index);
  EXPECT_EQ(index->SchemaVersion(), kIndexSchemaVersion);
  ASSERT_TRUE(index->Put(Song("/music/a.wav", "Night Drive"), MelodyPrint(10)));
  ASSERT_TRUE(index->Put(Song("/music/b.wav", "Morning"), MelodyPrint(11)));
  EXPECT_EQ(index->Count(), 2);

  const auto hits = index->Lookup(MelodyPrint(10));
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_EQ(hits[0].song.title, "Night Drive");
  EXPECT_EQ(hits[0].song.path, "/music/a.wav");
  EXPECT_EQ(hits[0].song.track, 3u);
  EXPECT_EQ(hits[0].score, 100);
  EXPECT_GT(hits[0].song.albumId, 0);
  EXPECT_GT(hits[0].song.artistId, 0);

  EXPECT_TRUE(index->Lookup(MelodyPrint(12)).empty());
  EXPECT_TRUE(index->Lookup({}).empty());
}

TEST_F(FingerprintIndexTest, SongsOfOneAlbumShareItsIdAndAPutAgainKeepsTheSongId) {
  auto index = Open();
  ASSERT_TRUE(index);
  ASSERT_TRUE(index->Put(Song("/music/a.wav", "One"), MelodyPrint(20)));
  ASSERT_TRUE(index->Put(Song("/music/b.wav", "Two"), MelodyPrint(21)));
  const auto a = index->Lookup(MelodyPrint(20));
  const auto b = index->Lookup(MelodyPrint(21));
  ASSERT_EQ(a.size(), 1u);
  ASSERT_EQ(b.size(), 1u);
  EXPECT_EQ(a[0].song.albumId, b[0].song.albumId);
  EXPECT_NE(a[0].song.id, b[0].song.id);

  // New tags and new sound for the same path: same id, old sound forgotten.
  IndexedSong changed = Song("/music/a.wav", "One (edit)");
  changed.album = "Other";
  ASSERT_TRUE(index->Put(changed, MelodyPrint(22)));
  EXPECT_EQ(index->Count(), 2);
  EXPECT_TRUE(index->Lookup(MelodyPrint(20)).empty());
  const auto c = index->Lookup(MelodyPrint(22));
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].song.id, a[0].song.id);
  EXPECT_EQ(c[0].song.title, "One (edit)");
  EXPECT_NE(c[0].song.albumId, a[0].song.albumId);

  ASSERT_TRUE(index->Remove("/music/a.wav"));
  EXPECT_TRUE(index->Lookup(MelodyPrint(22)).empty());
  EXPECT_EQ(index->Count(), 1);
  EXPECT_FALSE(index->Put(Song("", "x"), MelodyPrint(23)));
  EXPECT_FALSE(index->Put(Song("/music/c.wav", "x"), {}));
}

TEST_F(FingerprintIndexTest, SurvivesReopeningAndBulkPuts) {
  {
    auto index = Open();
    ASSERT_TRUE(index);
    ASSERT_TRUE(index->Begin());
    for (std::uint32_t i = 0; i < 5; ++i) ASSERT_TRUE(index->Put(Song("/m/" + std::to_string(i), "T" + std::to_string(i)), MelodyPrint(30 + i, 20)));
    ASSERT_TRUE(index->Commit());
  }
  auto index = Open();
  ASSERT_TRUE(index);
  EXPECT_EQ(index->Count(), 5);
  const auto hits = index->Lookup(MelodyPrint(33, 20));
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_EQ(hits[0].song.title, "T3");
}

TEST_F(FingerprintIndexTest, RefusesNewerForeignAndDamagedFilesAndLeavesThemAlone) {
  std::string error;
  const std::string newer = dir_.File("newer.db");
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(newer.c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "PRAGMA user_version = 7", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  const std::string before = TYX::Test::ReadFileBytes(newer);
  EXPECT_FALSE(FingerprintIndex::Open(newer, error));
  EXPECT_NE(error.find("newer"), std::string::npos) << error;
  EXPECT_EQ(TYX::Test::ReadFileBytes(newer), before);

  const std::string foreign = dir_.File("foreign.db");
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(foreign.c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "CREATE TABLE photos(x)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  error.clear();
  EXPECT_FALSE(FingerprintIndex::Open(foreign, error));
  EXPECT_FALSE(error.empty());

  const std::string junk = dir_.Write("junk.db", std::string(4096, 'x'));
  error.clear();
  EXPECT_FALSE(FingerprintIndex::Open(junk, error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(TYX::Test::ReadFileBytes(junk), std::string(4096, 'x'));
}

}  // namespace
}  // namespace TYX::Tagging
