#include "components/lyrics/lrc_lyrics.h"

#include <gtest/gtest.h>

#include <string>

#include "helpers/temp_dir.h"

namespace TYX::Lyrics {
namespace {

TEST(LrcLyricsTest, TimesInEveryWrittenFormGiveMilliseconds) {
  const LrcParseResult r = TYX_LrcLyrics::Parse(
      "[00:01]one\n[00:02.5]two\n[00:03.25]three\n[00:04.125]four\n[1:05:50]five\n[12:00.00]six\n");
  ASSERT_TRUE(r.ok()) << r.error;
  ASSERT_EQ(r.lines.size(), 6u);
  EXPECT_EQ(r.lines[0], (LyricLine{1000, "one"}));
  EXPECT_EQ(r.lines[1], (LyricLine{2500, "two"}));
  EXPECT_EQ(r.lines[2], (LyricLine{3250, "three"}));
  EXPECT_EQ(r.lines[3], (LyricLine{4125, "four"}));
  EXPECT_EQ(r.lines[4], (LyricLine{65500, "five"}));
  EXPECT_EQ(r.lines[5], (LyricLine{720000, "six"}));
}

TEST(LrcLyricsTest, RepeatedLinesMetadataOffsetAndOrder) {
  // A chorus under two times, lines out of order, CR LF endings, a BOM and metadata.
  const LrcParseResult r = TYX_LrcLyrics::Parse(
      "\xEF\xBB\xBF[ti:봄날]\r\n[ar:하늘빛]\r\n[al:사계절]\r\n[by:someone]\r\n[offset:+500]\r\n"
      "[00:20.00]second verse\r\n[00:10.00][00:30.00]후렴\r\n\r\n[00:00.20]starts early\r\nplain text line\r\n");
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.title, "봄날");
  EXPECT_EQ(r.artist, "하늘빛");
  EXPECT_EQ(r.album, "사계절");
  ASSERT_EQ(r.lines.size(), 4u);
  // 500 ms earlier, never before the start.
  EXPECT_EQ(r.lines[0], (LyricLine{0, "starts early"}));
  EXPECT_EQ(r.lines[1], (LyricLine{9500, "후렴"}));
  EXPECT_EQ(r.lines[2], (LyricLine{19500, "second verse"}));
  EXPECT_EQ(r.lines[3], (LyricLine{29500, "후렴"}));
}

TEST(LrcLyricsTest, NegativeOffsetAndBracketedWordsAfterTheTime) {
  const LrcParseResult r = TYX_LrcLyrics::Parse("[offset:-250]\n[00:01.00][Chorus] la la\n[00:02.00]\n");
  ASSERT_TRUE(r.ok()) << r.error;
  ASSERT_EQ(r.lines.size(), 2u);
  EXPECT_EQ(r.lines[0], (LyricLine{1250, "[Chorus] la la"}));
  EXPECT_EQ(r.lines[1], (LyricLine{2250, ""}));
}

TEST(LrcLyricsTest, BadTimesAndUnclosedTagsAreErrorsNamingTheLine) {
  const struct {
    const char* text;
    const char* lineName;
  } cases[] = {
      {"[00:01.00]ok\n[00:75.00]seconds past 59\n", "line 2"},
      {"[00:60.00]sixty seconds\n", "line 1"},
      {"[0a:01.00]letters\n", "line 1"},
      {"[00:01.]no fraction\n", "line 1"},
      {"[00:01.1234]four fraction digits\n", "line 1"},
      {"[1000:00.00]minutes past 999\n", "line 1"},
      {"\n\n[00:01.00 never closed\n", "line 3"},
      {"[offset:soon]\n[00:01.00]x\n", "line 1"},
  };
  for (const auto& c : cases) {
    const LrcParseResult r = TYX_LrcLyrics::Parse(c.text);
    EXPECT_FALSE(r.ok()) << c.text;
    EXPECT_NE(r.error.find(c.lineName), std::string::npos) << r.error;
    EXPECT_TRUE(r.lines.empty());
  }
}

TEST(LrcLyricsTest, LinesOfTheSameTimeKeepTheirOrder) {
  std::string text;
  for (int i = 0; i < 40; ++i) text += "[00:0" + std::to_string(i % 2) + ".00]line " + std::to_string(i) + "\n";
  const LrcParseResult r = TYX_LrcLyrics::Parse(text);
  ASSERT_TRUE(r.ok()) << r.error;
  ASSERT_EQ(r.lines.size(), 40u);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(r.lines[static_cast<std::size_t>(i)].text, "line " + std::to_string(2 * i));
    EXPECT_EQ(r.lines[static_cast<std::size_t>(20 + i)].text, "line " + std::to_string(2 * i + 1));
  }
}

TEST(LrcLyricsTest, TextWithoutTimedLinesIsAnError) {
  EXPECT_FALSE(TYX_LrcLyrics::Parse("").ok());
  EXPECT_FALSE(TYX_LrcLyrics::Parse("[ti:title only]\njust words\n").ok());
}

TEST(LrcLyricsTest, Cp949FilesAreReadAsKorean) {
  // "사랑" in CP949.
  const LrcParseResult r = TYX_LrcLyrics::Parse("[00:01.00]\xBB\xE7\xB6\xFB\n");
  ASSERT_TRUE(r.ok()) << r.error;
  ASSERT_EQ(r.lines.size(), 1u);
  EXPECT_EQ(r.lines[0].text, "사랑");
}

TEST(LrcLyricsTest, FormatWritesHundredthsAndReadsBackTheSame) {
  const std::vector<LyricLine> lines{{0, "a"}, {61230, "b"}, {600990, "다"}};
  const std::string text = TYX_LrcLyrics::Format(lines);
  EXPECT_EQ(text, "[00:00.00]a\n[01:01.23]b\n[10:00.99]다\n");
  const LrcParseResult back = TYX_LrcLyrics::Parse(text);
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(back.lines, lines);
}

TEST(LrcLyricsTest, Utf8Check) {
  EXPECT_TRUE(TYX_LrcLyrics::IsUtf8("plain 한글 €"));
  EXPECT_FALSE(TYX_LrcLyrics::IsUtf8("\xBB\xE7"));
  EXPECT_FALSE(TYX_LrcLyrics::IsUtf8("\xC0\xAF"));          // overlong "/"
  EXPECT_FALSE(TYX_LrcLyrics::IsUtf8("\xED\xA0\x80"));      // a surrogate
  EXPECT_FALSE(TYX_LrcLyrics::IsUtf8("\xE2\x82"));          // cut short
}

TEST(LrcLyricsTest, ReadFileRefusesMissingOversizedAndFolders) {
  ::TYX::Test::TempDir dir;
  EXPECT_FALSE(TYX_LrcLyrics::ReadFile(dir.File("missing.lrc")).ok());
  EXPECT_FALSE(TYX_LrcLyrics::ReadFile(dir.Path()).ok());
  const std::string big = dir.Write("big.lrc", std::string(TYX_LrcLyrics::kMaxLrcBytes + 1, 'x'));
  const LrcParseResult r = TYX_LrcLyrics::ReadFile(big);
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.error.find("too large"), std::string::npos) << r.error;
  const std::string good = dir.Write("good.lrc", "[00:01.00]hello\n");
  const LrcParseResult ok = TYX_LrcLyrics::ReadFile(good);
  ASSERT_TRUE(ok.ok()) << ok.error;
  EXPECT_EQ(ok.lines, (std::vector<LyricLine>{{1000, "hello"}}));
  // The file's path leads an error about its contents.
  const std::string bad = dir.Write("bad.lrc", "[00:99.00]x\n");
  EXPECT_EQ(TYX_LrcLyrics::ReadFile(bad).error.rfind(bad, 0), 0u);
}

}  // namespace
}  // namespace TYX::Lyrics
