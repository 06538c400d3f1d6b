// Path parts and phone file names.
#include <gtest/gtest.h>

#include "util/file_name.h"

namespace TYX::Util {
namespace {

TEST(FileName, PartsOfPathsWithEitherSeparator) {
  EXPECT_EQ(GetFileName("/music/a/b.mp3"), "b.mp3");
  EXPECT_EQ(GetFileName("C:\\Music\\노래.MP3"), "노래.MP3");
  EXPECT_EQ(GetFileName("plain.ogg"), "plain.ogg");
  EXPECT_EQ(GetFileName("/music/"), "");
  EXPECT_EQ(GetFilePath("/music/a/b.mp3"), "/music/a/");
  EXPECT_EQ(GetFilePath("E:\\Track01.cda"), "E:\\");
  EXPECT_EQ(GetFilePath("b.mp3"), "");
  EXPECT_EQ(GetFileExt("/a.b/c.tar.GZ"), "GZ");
  EXPECT_EQ(GetFileExt("/a.b/c"), "");
  EXPECT_EQ(GetFileExt("/a/.hidden"), "");
  EXPECT_EQ(GetFileExt("/a/name."), "");
  EXPECT_EQ(GetFileTitle("/a/b.c.mp3"), "b.c");
  EXPECT_EQ(GetFileTitle("/a/.hidden"), ".hidden");
  EXPECT_EQ(ToLowerAscii("AbC가"), "abc가");
  EXPECT_EQ(CountUtf8Chars("ab가나"), 4u);
}

std::string Checked(std::string name, int mode, int limit, int variant, bool* ok = nullptr) {
  const bool result = CheckFileName(name, mode, limit, variant);
  if (ok) *ok = result;
  return name;
}

TEST(CheckFileName, ReplacesWhatPhoneFileSystemsRefuse) {
  EXPECT_EQ(Checked("a:b*c?d\"e<f>g|h.mp3", 1, -1, -1), "a_b_c_d_e_f_g_h.mp3");
  EXPECT_EQ(Checked("tab\there.mp3", 1, -1, -1), "tab_here.mp3");
  EXPECT_EQ(Checked("  lead and trail. .mp3", 1, -1, -1), "lead and trail.mp3");
  EXPECT_EQ(Checked("....mp3", 1, -1, -1), "_.mp3");
  EXPECT_EQ(Checked("con.mp3", 1, -1, -1), "_con.mp3");
  EXPECT_EQ(Checked("LPT1.wma", 1, -1, -1), "_LPT1.wma");
  EXPECT_EQ(Checked("console.mp3", 1, -1, -1), "console.mp3");
  EXPECT_EQ(Checked("봄날 - 방탄소년단.mp3", 1, -1, -1), "봄날 - 방탄소년단.mp3");
  // Mode 0 only shortens and numbers.
  EXPECT_EQ(Checked("a:b.mp3", 0, -1, -1), "a:b.mp3");
}

TEST(CheckFileName, ShortensToTheLimitKeepingTheExtension) {
  // 36 characters, extension included.
  const std::string longName = std::string(50, 'x') + ".mp3";
  const std::string cut = Checked(longName, 1, 36, -1);
  EXPECT_EQ(cut, std::string(32, 'x') + ".mp3");
  EXPECT_EQ(CountUtf8Chars(cut), 36u);
  // Counted in characters, never cutting one in half.
  const std::string korean = "가나다라마바사아자차카타파하.mp3";  // 14 + 4 characters
  EXPECT_EQ(Checked(korean, 1, 10, -1), "가나다라마바.mp3");
  // A name within the limit is kept; 0 and -1 mean no limit.
  EXPECT_EQ(Checked("short.mp3", 1, 36, -1), "short.mp3");
  EXPECT_EQ(Checked(longName, 1, 0, -1), longName);
  EXPECT_EQ(Checked(longName, 1, -1, -1), longName);
  // Cutting never leaves a trailing dot or space before the extension.
  EXPECT_EQ(Checked("abc d.ef.mp3", 1, 8, -1), "abc.mp3");
  // No room for the extension: the name is cut as a whole.
  EXPECT_EQ(Checked("abcdef.mpeg3", 1, 4, -1), "abcd");
}

// What a phone's file system refuses: a device name as the part before the first dot (trailing spaces
// ignored), and a name ending in a dot or a space.
bool PhoneRefuses(const std::string& name) {
  if (name.empty() || name.back() == '.' || name.back() == ' ') return true;
  std::string first = name.substr(0, name.find('.'));
  while (!first.empty() && first.back() == ' ') first.pop_back();
  const std::string s = ToLowerAscii(first);
  if (s == "con" || s == "prn" || s == "aux" || s == "nul") return true;
  return s.size() == 4 && (s.rfind("com", 0) == 0 || s.rfind("lpt", 0) == 0) && s[3] >= '1' && s[3] <= '9';
}

TEST(CheckFileName, ShorteningNeverMakesANameAPhoneRefuses) {
  struct Case {
    const char* name;
    int limit;
    int variant;
  };
  const Case cases[] = {
      {"Concert.mp3", 7, -1},   {"Auxiliary.mp3", 7, -1}, {"Nullify.mp3", 7, -1}, {"Com1ng.mp3", 8, -1},
      {"Printer.mp3", 7, -1},   {"LPT9x.wma", 8, -1},     {"ab.mp3", 3, -1},      {"ab .mp3", 3, -1},
      {"a. b.mp3", 6, -1},      {"Concert.mp3", 3, -1},   {"Concert.mp3", 5, -1}, {"x.y.mp3", 6, -1},
      {".a.mp3", 5, -1},        {". a.mp3", 6, -1},       {"ab.mp3", 5, 1},       {"Aux.mp3", 5, -1},
      {"song.mp3 ", -1, -1},    {"song.mp3 .", -1, -1},   {"song.mp3 ", 9, -1},   {"Con .txt.mp3", -1, -1},
  };
  for (const Case& c : cases) {
    bool ok = false;
    const std::string out = Checked(c.name, 1, c.limit, c.variant, &ok);
    ASSERT_TRUE(ok) << c.name << " at " << c.limit;
    EXPECT_FALSE(PhoneRefuses(out)) << c.name << " at " << c.limit << " gave \"" << out << "\"";
    if (c.limit > 0) {
      EXPECT_LE(CountUtf8Chars(out), static_cast<std::size_t>(c.limit)) << c.name;
    }
  }
  // A device name followed by more dots is still that device.
  EXPECT_EQ(Checked("CON.txt.mp3", 1, -1, -1), "_CON.txt.mp3");
  EXPECT_EQ(Checked("nul.tar.gz", 1, -1, -1), "_nul.tar.gz");
  // Names a phone takes are not changed by the check.
  EXPECT_EQ(Checked("Concert.mp3", 1, 11, -1), "Concert.mp3");
  EXPECT_EQ(Checked("Conc.mp3", 1, -1, -1), "Conc.mp3");
  EXPECT_EQ(Checked("COM0.mp3", 1, -1, -1), "COM0.mp3");
  // Dots and spaces ending the whole name go first; the stem before the extension then loses its own.
  EXPECT_EQ(Checked("Printer .mp3 .", 1, -1, -1), "Printer.mp3");
}

TEST(CheckFileName, NumberedVariantsStayWithinTheLimit) {
  EXPECT_EQ(Checked("song.mp3", 1, -1, 0), "song.mp3");
  EXPECT_EQ(Checked("song.mp3", 1, -1, 1), "song(1).mp3");
  EXPECT_EQ(Checked("song.mp3", 1, -1, 12), "song(12).mp3");
  const std::string v = Checked(std::string(40, 'y') + ".mp3", 1, 36, 3);
  EXPECT_EQ(v, std::string(29, 'y') + "(3).mp3");
  EXPECT_EQ(CountUtf8Chars(v), 36u);
  // Successive variants are all different.
  EXPECT_NE(Checked("a.mp3", 1, 10, 1), Checked("a.mp3", 1, 10, 2));
}

TEST(CheckFileName, NothingUsableGivesFalse) {
  bool ok = true;
  EXPECT_EQ(Checked("", 1, 36, -1, &ok), "");
  EXPECT_FALSE(ok);
  EXPECT_EQ(Checked("name.mp3", 1, 3, 100, &ok), "");
  EXPECT_FALSE(ok);
  Checked("name.mp3", 1, 36, -1, &ok);
  EXPECT_TRUE(ok);
  // A folder without a file name.
  EXPECT_EQ(Checked("music/", 0, -1, -1, &ok), "");
  EXPECT_FALSE(ok);
  EXPECT_EQ(Checked("music/", 1, -1, -1, &ok), "_");
  EXPECT_TRUE(ok);
}

}  // namespace
}  // namespace TYX::Util
