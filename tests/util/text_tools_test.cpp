// Time strings, URL escaping and audio-CD track names.
#include <gtest/gtest.h>

#include "util/cd_track_name.h"
#include "util/time_string.h"
#include "util/url_escape.h"

namespace TYX::Util {
namespace {

TEST(TimeString, MinutesAndSecondsThenHours) {
  EXPECT_EQ(ToTimeString(0), "00:00");
  EXPECT_EQ(ToTimeString(7), "00:07");
  EXPECT_EQ(ToTimeString(187), "03:07");
  EXPECT_EQ(ToTimeString(3599), "59:59");
  EXPECT_EQ(ToTimeString(3600), "1:00:00");
  EXPECT_EQ(ToTimeString(36000 + 61), "10:01:01");
  EXPECT_EQ(ToTimeString(-5), "00:00");
  EXPECT_EQ(ToTimeStringMs(30999), "00:30");
}

TEST(UrlEscape, UnsafeBytesBecomePercentHex) {
  EXPECT_EQ(UrlEscape("abc-XYZ_0.9~"), "abc-XYZ_0.9~");
  EXPECT_EQ(UrlEscape("a b&c=d/e?"), "a%20b%26c%3Dd%2Fe%3F");
  EXPECT_EQ(UrlEscape("봄"), "%EB%B4%84");
  EXPECT_EQ(UrlUnescape(UrlEscape("봄날 & Spring/Day")), "봄날 & Spring/Day");
  EXPECT_EQ(UrlUnescape("a+b%2"), "a b%2");
  EXPECT_EQ(UrlUnescape("%zz"), "%zz");
}

TEST(UrlEscape, ResultsAreCutAtTheLimitBetweenEscapes) {
  const std::string escaped = UrlEscape(std::string(5000, ' '));
  EXPECT_EQ(escaped.size(), 2046u);  // 682 whole escapes; a 683rd would pass 2048
  EXPECT_EQ(escaped.substr(escaped.size() - 3), "%20");
  EXPECT_EQ(UrlEscape(std::string(3000, 'a')).size(), 2048u);
  EXPECT_EQ(UrlEscape("a b", 4), "a%20");
  EXPECT_EQ(UrlEscape("a b", 3), "a");
}

class CDTrackNames : public ::testing::Test {
 protected:
  void TearDown() override { SetCDDriveLetters("DEFGHIJKLMNOPQRSTUVWXYZ"); }
};

TEST_F(CDTrackNames, TrackNamesGiveDriveAndZeroBasedTrack) {
  SetCDDriveLetters("EG");
  int drive = -1;
  int track = -1;
  ASSERT_TRUE(GetCDAInfo("E:\\Track01.cda", drive, track));
  EXPECT_EQ(drive, 0);
  EXPECT_EQ(track, 0);
  ASSERT_TRUE(GetCDAInfo("g:\\track12.CDA", drive, track));
  EXPECT_EQ(drive, 1);
  EXPECT_EQ(track, 11);
  ASSERT_TRUE(GetCDAInfo("E:\\Track100.cda", drive, track));
  EXPECT_EQ(track, 99);
  drive = track = -7;
  for (const char* bad : {"F:\\Track01.cda", "E:\\Track00.cda", "E:\\Track1.cda", "E:/Track01.cda",
                          "E:\\Song01.cda", "E:\\Track01.mp3", "E:\\TrackAB.cda", "", "E:"}) {
    EXPECT_FALSE(GetCDAInfo(bad, drive, track)) << bad;
  }
  EXPECT_EQ(drive, -7);
  EXPECT_EQ(track, -7);
}

TEST_F(CDTrackNames, DriveLettersAndNamesRoundTrip) {
  SetCDDriveLetters("ef");
  std::string letter;
  ASSERT_TRUE(GetCDDriveLetter(1, letter));
  EXPECT_EQ(letter, "F:\\");
  EXPECT_FALSE(GetCDDriveLetter(2, letter));
  EXPECT_EQ(letter, "");
  EXPECT_FALSE(GetCDDriveLetter(-1, letter));
  EXPECT_EQ(MakeCDATrackName(0, 0), "E:\\Track01.cda");
  EXPECT_EQ(MakeCDATrackName(1, 9), "F:\\Track10.cda");
  EXPECT_EQ(MakeCDATrackName(2, 0), "");
  int drive = -1;
  int track = -1;
  ASSERT_TRUE(GetCDAInfo(MakeCDATrackName(1, 4), drive, track));
  EXPECT_EQ(drive, 1);
  EXPECT_EQ(track, 4);
}

}  // namespace
}  // namespace TYX::Util
