// The checksums of a ripped track against a small independent reckoning written from their definitions
// (CRC32 bit by bit; AccurateRip: frames numbered from 1, the first track leaving out its first
// 5 x 588 - 1 frames and the last track its last 5 x 588), and the history and cue sheet they feed.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "convert/accurate_rip.h"
#include "convert/cue_sheet.h"
#include "convert/rip_log.h"
#include "convert/rip_log_store.h"
#include "helpers/temp_dir.h"

namespace TYX::Convert {
namespace {

// CRC32 one bit at a time, reflected polynomial 0xEDB88320, initial and final inversion.
std::uint32_t ReferenceCrc32(const std::vector<std::uint8_t>& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::uint8_t b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ ((crc & 1u) ? 0xEDB88320u : 0u);
  }
  return ~crc;
}

struct ReferenceSums {
  std::uint32_t v1 = 0;
  std::uint32_t v2 = 0;
};

// AccurateRip as defined: frame value = left | right << 16 (as one little-endian word), index from 1.
ReferenceSums ReferenceAccurateRip(const std::vector<std::uint8_t>& bytes, bool first, bool last) {
  const std::size_t frames = bytes.size() / 4;
  ReferenceSums r;
  for (std::size_t i = 1; i <= frames; ++i) {
    if (first && i < 5 * 588) continue;           // 2939 frames left out at the start
    if (last && i + 5 * 588 > frames) continue;   // 2940 frames left out at the end
    const std::size_t o = (i - 1) * 4;
    const std::uint32_t left = bytes[o] | (bytes[o + 1] << 8);
    const std::uint32_t right = bytes[o + 2] | (bytes[o + 3] << 8);
    const std::uint32_t value = left | (right << 16);
    const unsigned __int128 product = static_cast<unsigned __int128>(value) * i;
    r.v1 = static_cast<std::uint32_t>(r.v1 + static_cast<std::uint32_t>(product));
    const std::uint64_t p64 = static_cast<std::uint64_t>(value) * static_cast<std::uint32_t>(i);
    r.v2 = static_cast<std::uint32_t>(r.v2 + static_cast<std::uint32_t>(p64) + static_cast<std::uint32_t>(p64 >> 32));
  }
  return r;
}

std::vector<std::uint8_t> Noise(std::size_t bytes, unsigned seed) {
  std::mt19937 gen(seed);
  std::vector<std::uint8_t> out(bytes);
  for (auto& b : out) b = static_cast<std::uint8_t>(gen());
  return out;
}

TYX_TrackChecksums Sum(const std::vector<std::uint8_t>& pcm, bool first, bool last, std::size_t piece) {
  TYX_AccurateRip sums(pcm.size() / 4, first, last);
  for (std::size_t off = 0; off < pcm.size(); off += piece) {
    sums.Update(pcm.data() + off, std::min(piece, pcm.size() - off));
  }
  return sums.Result();
}

TEST(AccurateRipTest, Crc32MatchesTheStandardCheckValueAndABitwiseReckoning) {
  const std::string check = "123456789";
  EXPECT_EQ(TYX_AccurateRip::Crc32(0, check.data(), check.size()), 0xCBF43926u);
  EXPECT_EQ(TYX_AccurateRip::Crc32(0, nullptr, 0), 0u);
  for (std::size_t size : {1u, 3u, 4u, 5u, 1000u, 4099u}) {
    const auto bytes = Noise(size, static_cast<unsigned>(size));
    EXPECT_EQ(TYX_AccurateRip::Crc32(0, bytes.data(), bytes.size()), ReferenceCrc32(bytes)) << size;
    // Continued over two pieces it is the same as over the whole.
    const std::size_t half = size / 2;
    const std::uint32_t a = TYX_AccurateRip::Crc32(0, bytes.data(), half);
    EXPECT_EQ(TYX_AccurateRip::Crc32(a, bytes.data() + half, size - half), ReferenceCrc32(bytes)) << size;
  }
}

TEST(AccurateRipTest, TrackSumsMatchTheReferenceForEveryPlaceOnTheDisc) {
  // Long enough that the index passes 2^16 (the high half of each product matters for v2), with
  // pieces that split frames.
  const auto pcm = Noise(4 * 70001, 7);
  for (int place = 0; place < 4; ++place) {
    const bool first = (place & 1) != 0;
    const bool last = (place & 2) != 0;
    const ReferenceSums want = ReferenceAccurateRip(pcm, first, last);
    for (std::size_t piece : {pcm.size(), std::size_t{4096}, std::size_t{4095}, std::size_t{7}}) {
      const TYX_TrackChecksums got = Sum(pcm, first, last, piece);
      EXPECT_EQ(got.accurateRipV1, want.v1) << "first " << first << " last " << last << " piece " << piece;
      EXPECT_EQ(got.accurateRipV2, want.v2) << "first " << first << " last " << last << " piece " << piece;
      EXPECT_EQ(got.crc32, ReferenceCrc32(pcm));
      EXPECT_EQ(got.frames, 70001u);
    }
  }
}

TEST(AccurateRipTest, SkippedFramesAreExactlyTheOnesAccurateRipLeavesOut) {
  const std::size_t frames = 20000;
  const auto base = Noise(frames * 4, 11);
  auto changedAt = [&](std::size_t frame1) {  // 1-based frame
    auto pcm = base;
    pcm[(frame1 - 1) * 4] ^= 0x01;
    return pcm;
  };
  const auto firstBase = Sum(base, true, false, base.size());
  // Frame 2939 of the first track is left out, 2940 is taken.
  EXPECT_EQ(Sum(changedAt(2939), true, false, base.size()).accurateRipV1, firstBase.accurateRipV1);
  EXPECT_NE(Sum(changedAt(2940), true, false, base.size()).accurateRipV1, firstBase.accurateRipV1);
  EXPECT_NE(Sum(changedAt(2939), true, false, base.size()).crc32, firstBase.crc32);
  // The last track's final 2940 frames are left out.
  const auto lastBase = Sum(base, false, true, base.size());
  EXPECT_EQ(Sum(changedAt(frames - 2939), false, true, base.size()).accurateRipV2, lastBase.accurateRipV2);
  EXPECT_NE(Sum(changedAt(frames - 2940), false, true, base.size()).accurateRipV2, lastBase.accurateRipV2);
  // A middle track takes every frame.
  const auto middle = Sum(base, false, false, base.size());
  EXPECT_NE(Sum(changedAt(1), false, false, base.size()).accurateRipV1, middle.accurateRipV1);
  EXPECT_NE(Sum(changedAt(frames), false, false, base.size()).accurateRipV1, middle.accurateRipV1);
  // A one-track disc shorter than both skips sums nothing.
  const auto tiny = Noise(4 * 3000, 3);
  EXPECT_EQ(Sum(tiny, true, true, tiny.size()).accurateRipV1, 0u);
  EXPECT_EQ(Sum(tiny, true, true, tiny.size()).accurateRipV2, 0u);
}

TEST(RipLogStoreTest, KeepsTheLatestEntryPerTrackAndSurvivesATornLine) {
  TYX::Test::TempDir dir;
  const TYX_RipLogStore store(dir.File("history"));
  const std::string disc = TYX_RipLogStore::DiscId({705600, 1058400});
  EXPECT_NE(disc, TYX_RipLogStore::DiscId({705600, 1058400 + 2352}));
  EXPECT_NE(disc, TYX_RipLogStore::DiscId({705600}));
  EXPECT_TRUE(store.Latest(disc).empty());
  TYX_RipLogStore::Entry a;
  a.track = 0;
  a.sums = {0x11111111, 0x22222222, 0x33333333, 176400};
  a.when = "2026-01-01 10:00:00";
  a.target = "/m/a/b/Track01.ogg";
  std::string error;
  ASSERT_TRUE(store.Append(disc, a, &error)) << error;
  // A crash mid-write leaves a torn line; the next entry must still be read.
  {
    std::ofstream torn(store.FileOf(disc), std::ios::app);
    torn << "1\tdeadbe";
  }
  TYX_RipLogStore::Entry b = a;
  b.track = 1;
  b.sums.crc32 = 0xABCDEF01;
  b.target = "/m/a/b/Track02\tx.ogg";
  ASSERT_TRUE(store.Append(disc, b, &error)) << error;
  TYX_RipLogStore::Entry a2 = a;
  a2.sums.accurateRipV1 = 0x44444444;
  a2.when = "2026-01-02 10:00:00";
  ASSERT_TRUE(store.Append(disc, a2, &error)) << error;
  const auto latest = store.Latest(disc);
  ASSERT_EQ(latest.size(), 2u);
  EXPECT_EQ(latest.at(0).sums.accurateRipV1, 0x44444444u);
  EXPECT_EQ(latest.at(0).when, "2026-01-02 10:00:00");
  EXPECT_EQ(latest.at(1).sums.crc32, 0xABCDEF01u);
  EXPECT_EQ(latest.at(1).sums.frames, 176400u);
  EXPECT_EQ(latest.at(1).target, "/m/a/b/Track02 x.ogg");
  // A history folder that cannot be made is an error with a reason, not a silent loss.
  const TYX_RipLogStore blocked(dir.Write("file", "x") + "/history");
  EXPECT_FALSE(blocked.Append(disc, a, &error));
  EXPECT_NE(error, "");
}

TEST(RipLogTest, NamesDifferingTracksAndWritesWholeFiles) {
  TYX::Test::TempDir dir;
  TYX_RipLog log;
  log.drive = "/x/d.cue";
  log.discId = "002-00000000";
  TYX_RipLogTrack same;
  same.track = 0;
  same.lengthBytes = 2352 * 75 * 61 + 2352 * 3;
  same.target = "/m/Track01.ogg";
  same.state = TYX_RipLogTrack::State::Ripped;
  same.verified = true;
  same.sums = {1, 2, 3, 4};
  same.hasEarlier = true;
  same.earlier.sums = same.sums;
  TYX_RipLogTrack other = same;
  other.track = 1;
  other.earlier.sums.accurateRipV2 = 9;
  TYX_RipLogTrack firstRip = same;
  firstRip.track = 2;
  firstRip.hasEarlier = false;
  TYX_RipLogTrack failed;
  failed.track = 3;
  failed.state = TYX_RipLogTrack::State::Failed;
  failed.failure = "CD를 읽을 수 없습니다 (1)";
  log.tracks = {same, other, firstRip, failed};
  EXPECT_EQ(log.DifferingTracks(), std::vector<int>{1});
  const std::string text = log.Text();
  EXPECT_NE(text.find("Track 02\n"), std::string::npos);
  EXPECT_NE(text.find("DIFFERS"), std::string::npos);
  EXPECT_NE(text.find("Tracks that differ from an earlier rip: 02\n"), std::string::npos);
  EXPECT_NE(text.find("rip failed: CD를 읽을 수 없습니다 (1)"), std::string::npos);
  EXPECT_NE(text.find("1:01.03"), std::string::npos);
  EXPECT_EQ(TYX_RipLog::LengthText(2352 * 75 + 2351), "0:01.00");
  std::string error;
  ASSERT_TRUE(TYX_RipLog::WriteTextFile(dir.File("rip.log"), text, &error)) << error;
  EXPECT_EQ(TYX::Test::ReadFileBytes(dir.File("rip.log")), text);
  EXPECT_FALSE(TYX_RipLog::WriteTextFile(dir.File("missing/rip.log"), text, &error));
  EXPECT_NE(error, "");
}

TEST(CueSheetTest, OneFileEntryPerTrackWithSafeQuotes) {
  TYX_CueSheet cue;
  cue.performer = "The \"Band\"";
  cue.title = "Live\nOne";
  cue.tracks = {{2, "Track02.ogg", "Track02"}, {5, "Track05[1].mp3", "Track05[1]"}};
  EXPECT_EQ(cue.Text(),
            "REM COMMENT \"Sonvar CD ripping\"\n"
            "PERFORMER \"The 'Band'\"\n"
            "TITLE \"Live One\"\n"
            "FILE \"Track02.ogg\" WAVE\n"
            "  TRACK 01 AUDIO\n"
            "    TITLE \"Track02\"\n"
            "    PERFORMER \"The 'Band'\"\n"
            "    REM DISC_TRACK 02\n"
            "    INDEX 01 00:00:00\n"
            "FILE \"Track05[1].mp3\" MP3\n"
            "  TRACK 02 AUDIO\n"
            "    TITLE \"Track05[1]\"\n"
            "    PERFORMER \"The 'Band'\"\n"
            "    REM DISC_TRACK 05\n"
            "    INDEX 01 00:00:00\n");
}

}  // namespace
}  // namespace TYX::Convert
