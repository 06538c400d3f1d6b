// The file-type table and the tests that callers make on its codes.
#include <gtest/gtest.h>

#include "helpers/temp_dir.h"
#include "util/file_type.h"
#include "util/melody.h"

namespace TYX::Util {
namespace {

using Test::TempDir;

TEST(FileType, ExistingFilesAreTypedByExtensionIgnoringCase) {
  TempDir dir;
  const struct {
    const char* name;
    TYX_FILETYPE type;
  } cases[] = {
      {"a.mp3", 1}, {"b.MP3", 1}, {"c.mp2", 2}, {"d.mpa", 3}, {"e.Ogg", 4}, {"f.wav", 5}, {"g.wma", 8},
      {"h.ASF", 9}, {"i.m4a", 10}, {"j.aac", 11}, {"k.amr", 12}, {"l.3ga", 13}, {"m.mid", 16}, {"n.midi", 16},
      {"o.mmf", 20}, {"p.ma2", 21}, {"q.ma3", 22}, {"r.amf", 23}, {"s.via", 24}, {"t.odf", 25}, {"u.oma", 26},
      {"v.dcf", 32}, {"w.txt", 0}, {"x", 0}, {"y.mp3.bak", 0},
  };
  for (const auto& c : cases) {
    const std::string path = dir.Write(c.name, "x");
    EXPECT_EQ(GetFileType(path), c.type) << c.name;
    EXPECT_EQ(GetFileTypeByName(c.name), c.type) << c.name;
  }
}

TEST(FileType, MissingFilesAndFoldersAreZeroButNamesStillHaveTypes) {
  TempDir dir;
  EXPECT_EQ(GetFileType(dir.File("gone.mp3")), 0);
  EXPECT_EQ(GetFileTypeByName(dir.File("gone.mp3")), 1);
  const std::string folder = dir.File("folder.mp3");
  dir.Write("folder.mp3/inner.txt", "x");
  EXPECT_EQ(GetFileType(folder), 0);
  EXPECT_EQ(GetFileType(""), 0);
  // Audio-CD track names are not files but have their type.
  EXPECT_EQ(GetFileType("E:\\Track01.cda"), FileType::CDA);
  EXPECT_EQ(GetFileType("c:\\aaa.cda"), FileType::CDA);
  // Phone listings give bare names.
  EXPECT_EQ(GetFileTypeByName("노래.MP3"), 1);
}

TEST(FileType, ConversionCodesMatchTheDecoderChoice) {
  // 1-3 generic, 4 and 5 generic with their own kinds, 8 and 9 the WMA decoder, 24 VIA.
  for (TYX_FILETYPE t : {1, 2, 3, 4, 5, 8, 9, 24}) EXPECT_TRUE(IsConvertibleFileType(t)) << t;
  // Refused outright by the conversion dialog.
  for (TYX_FILETYPE t : {10, 11, 25, 26, 32}) EXPECT_FALSE(IsConvertibleFileType(t)) << t;
  for (TYX_FILETYPE t : {0, 7, 12, 13, 16, 20, 21, 22, 23}) EXPECT_FALSE(IsConvertibleFileType(t)) << t;
}

TEST(FileType, MusicOnAPhoneIncludesMp3ButNeverMelodies) {
  // The phone index's own codes.
  for (TYX_FILETYPE t : {10, 11, 12, 13, 25, 26, 32}) EXPECT_TRUE(IsDeviceMusicFileType(t)) << t;
  // The formats phones and storage players accept.
  for (TYX_FILETYPE t : {1, 4, 8, 9}) EXPECT_TRUE(IsDeviceMusicFileType(t)) << t;
  // Sync deletes unlisted phone music: ring-tones, CD names and unknown files are never music.
  for (TYX_FILETYPE t : {0, 5, 7, 16, 20, 21, 22, 23, 24}) EXPECT_FALSE(IsDeviceMusicFileType(t)) << t;
  for (TYX_FILETYPE t = 0; t <= 40; ++t) {
    EXPECT_FALSE(IsDeviceMusicFileType(t) && IsMelodyFileType(t)) << t;
  }
}

TEST(FileType, MelodiesAreKnownByName) {
  for (const char* name : {"bell.mmf", "BELL.MMF", "x.ma2", "x.ma3", "x.amf", "x.mid", "x.MIDI"}) {
    EXPECT_TRUE(IsMelody(name)) << name;
  }
  for (const char* name : {"x.mp3", "x.wav", "x", "mmf", "x.mmf.txt"}) EXPECT_FALSE(IsMelody(name)) << name;
}

}  // namespace
}  // namespace TYX::Util
