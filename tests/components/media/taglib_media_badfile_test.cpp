// Files that cannot be parsed give no media object, an error text, and stay byte for byte as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "components/media/taglib_media_factory.h"
#include "contracts/media.h"
#include "media_test_support.h"

namespace TYX::Test {
namespace {

std::vector<std::uint8_t> RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> v(n);
  for (auto& b : v) b = static_cast<std::uint8_t>(rng());
  return v;
}

class MediaBadFiles : public ::testing::TestWithParam<FormatCase> {
 protected:
  void SetUp() override { Media::InstallTagLibMediaFactory(); }
  TempDir dir_;
};

TEST_P(MediaBadFiles, RandomBytesGiveNoObjectAndAreLeftAlone) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    const std::string path = dir_.File("random" + std::to_string(seed) + "." + GetParam().ext);
    const auto bytes = RandomBytes(1000 + seed * 7919, seed);
    WriteFileBytes(path, bytes);
    std::string error;
    TYX_MediaPtr m = TYX_Media::Instance(path, kMediaOpenRead, &error);
    EXPECT_FALSE(m) << path;
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadBytes(path), bytes);
  }
}

TEST_P(MediaBadFiles, EmptyAndTinyFilesGiveNoObject) {
  for (std::size_t n : {0u, 1u, 4u, 16u, 64u}) {
    const std::string path = dir_.File("tiny" + std::to_string(n) + "." + GetParam().ext);
    const auto bytes = RandomBytes(n, 99);
    WriteFileBytes(path, bytes);
    std::string error;
    EXPECT_FALSE(TYX_Media::Instance(path, kMediaOpenRead, &error)) << n;
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadBytes(path), bytes);
  }
}

TEST_P(MediaBadFiles, TruncatedFilesNeverCrashAndAreOnlyChangedBySaveOfAParsedFile) {
  const auto whole = ReadBytes(PristineFile(GetParam().format));
  ASSERT_GT(whole.size(), 1000u);
  int opened = 0;
  for (std::size_t cut : {std::size_t{10}, std::size_t{30}, std::size_t{100}, std::size_t{400}, whole.size() / 8,
                          whole.size() / 2, whole.size() - 100}) {
    const std::string path = dir_.File("cut" + std::to_string(cut) + "." + GetParam().ext);
    const std::vector<std::uint8_t> bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
    WriteFileBytes(path, bytes);
    std::string error;
    TYX_MediaPtr m = TYX_Media::Instance(path, kMediaOpenRead, &error);
    EXPECT_EQ(ReadBytes(path), bytes) << "opening changed a file cut at " << cut;
    if (cut <= 100) {
      EXPECT_FALSE(m) << "a file cut at " << cut << " bytes was accepted";
    }
    if (cut == whole.size() - 100 && GetParam().format != SynthFormat::WAV) {
      // Only the end of the stream is missing: still a playable file.
      EXPECT_TRUE(m) << "a file missing its last 100 bytes was refused: " << error;
    }
    if (!m) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    ++opened;
    // A file that still parses (its stream is only shortened) takes tags and stays parseable.
    m->SetTitle("cut");
    m->SetHighlight(500, 1000);
    const std::int32_t saved = m->Save();
    if (saved != 0) {
      EXPECT_EQ(ReadBytes(path), bytes) << "a failed save changed the file cut at " << cut;
      continue;
    }
    TYX_MediaPtr again = TYX_Media::Instance(path, kMediaOpenRead, &error);
    ASSERT_TRUE(again) << "saved file cut at " << cut << " no longer parses: " << error;
    EXPECT_EQ(again->GetTitle(), "cut");
    EXPECT_EQ(again->GetHighlightStart(), 500u);
  }
  if (GetParam().format != SynthFormat::WAV) {
    EXPECT_GE(opened, 1);
  }
}

TEST_P(MediaBadFiles, SaveAfterTheFileWasDamagedOnDiskChangesNothing) {
  const std::string path = CopyPristine(dir_, GetParam().format, std::string("song.") + GetParam().ext);
  TYX_MediaPtr m = TYX_Media::Instance(path);
  ASSERT_TRUE(m);
  const auto garbage = RandomBytes(50000, 7);
  WriteFileBytes(path, garbage);
  m->SetTitle("must not be written");
  EXPECT_NE(m->Save(), 0);
  EXPECT_FALSE(m->GetLastError().empty());
  EXPECT_EQ(ReadBytes(path), garbage);
  // No scratch copy is left beside it.
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir_.Path())) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1);
}

TEST_P(MediaBadFiles, SaveAfterTheFileWasRemovedFailsCleanly) {
  const std::string path = CopyPristine(dir_, GetParam().format, std::string("song.") + GetParam().ext);
  TYX_MediaPtr m = TYX_Media::Instance(path);
  ASSERT_TRUE(m);
  std::filesystem::remove(path);
  m->SetTitle("x");
  EXPECT_NE(m->Save(), 0);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(std::filesystem::is_empty(dir_.Path()));
}

TEST_P(MediaBadFiles, AnotherFormatUnderThisExtensionIsRefused) {
  // A real file of another format renamed to this extension is not this format.
  const SynthFormat other = GetParam().format == SynthFormat::WAV ? SynthFormat::OGG : SynthFormat::WAV;
  const std::string path = CopyPristine(dir_, other, std::string("renamed.") + GetParam().ext);
  const auto bytes = ReadBytes(path);
  std::string error;
  EXPECT_FALSE(TYX_Media::Instance(path, kMediaOpenRead, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(ReadBytes(path), bytes);
}

INSTANTIATE_TEST_SUITE_P(Formats, MediaBadFiles, ::testing::ValuesIn(AllFormats()),
                         [](const ::testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.ext); });
INSTANTIATE_TEST_SUITE_P(LibraryFormats, MediaBadFiles, ::testing::ValuesIn(LibraryFormats()),
                         [](const ::testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.ext); });

TEST(MediaOpen, MissingFilesFoldersAndOtherExtensionsGiveReasons) {
  Media::InstallTagLibMediaFactory();
  TempDir dir;
  std::string error;
  EXPECT_FALSE(TYX_Media::Instance(dir.File("missing.mp3"), kMediaOpenRead, &error));
  EXPECT_NE(error.find("no such file"), std::string::npos) << error;
  std::filesystem::create_directory(dir.File("folder.mp3"));
  EXPECT_FALSE(TYX_Media::Instance(dir.File("folder.mp3"), kMediaOpenRead, &error));
  EXPECT_FALSE(error.empty());
  const std::string mp3 = CopyPristine(dir, SynthFormat::MP3, "song.mid");
  EXPECT_FALSE(TYX_Media::Instance(mp3, kMediaOpenRead, &error));
  EXPECT_NE(error.find("not a supported media format"), std::string::npos) << error;
  // The extension chooses the format: MP3 audio under a FLAC name is no FLAC file.
  const std::string misnamed = CopyPristine(dir, SynthFormat::MP3, "song.flac");
  EXPECT_FALSE(TYX_Media::Instance(misnamed, kMediaOpenRead, &error));
  EXPECT_NE(error.find("FLAC"), std::string::npos) << error;
  EXPECT_FALSE(TYX_Media::Instance("", kMediaOpenRead, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(TYX_Media::Instance("E:\\Track01.cda", kMediaOpenPlay, &error));
  // The error is optional.
  EXPECT_FALSE(TYX_Media::Instance(dir.File("missing.ogg")));
}

// The offset of the first ASF object with the GUID inside the header, or 0.
std::size_t FindAsfObject(const std::vector<std::uint8_t>& wma, const std::vector<std::uint8_t>& guid) {
  for (std::size_t at = 30; at + 26 <= wma.size(); ++at) {
    if (std::equal(guid.begin(), guid.end(), wma.begin() + static_cast<std::ptrdiff_t>(at))) return at;
  }
  return 0;
}

TEST(MediaOpen, AnAsfAttributeCountBeyondItsObjectIsADamagedFile) {
  Media::InstallTagLibMediaFactory();
  TempDir dir;
  const auto wma = ReadBytes(PristineFile(SynthFormat::WMA));
  // The extended content description object, which the encoder fills with its settings.
  const std::size_t at = FindAsfObject(wma, {0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11, 0x97, 0xF0, 0x00, 0xA0,
                                             0xC9, 0x5E, 0xA8, 0x50});
  ASSERT_NE(at, 0u);
  for (const std::uint16_t count : {std::uint16_t{0xFFFF}, std::uint16_t{200}}) {
    auto damaged = wma;
    damaged[at + 24] = static_cast<std::uint8_t>(count & 0xFF);
    damaged[at + 25] = static_cast<std::uint8_t>(count >> 8);
    const std::string path = dir.File("count" + std::to_string(count) + ".wma");
    WriteFileBytes(path, damaged);
    std::string error;
    EXPECT_FALSE(TYX_Media::Instance(path, kMediaOpenRead, &error)) << count;
    EXPECT_NE(error.find("damaged"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(path), damaged);
  }
  // A header whose objects run past it is damaged as well.
  auto damaged = wma;
  damaged[at + 16] = 0xFF;
  damaged[at + 17] = 0xFF;
  const std::string path = dir.File("size.wma");
  WriteFileBytes(path, damaged);
  std::string error;
  EXPECT_FALSE(TYX_Media::Instance(path, kMediaOpenRead, &error));
  EXPECT_FALSE(error.empty());
}

TEST(MediaOpen, ExtensionsAreMatchedIgnoringCase) {
  Media::InstallTagLibMediaFactory();
  TempDir dir;
  EXPECT_TRUE(TYX_Media::Instance(CopyPristine(dir, SynthFormat::MP3, "a.MP3")));
  EXPECT_TRUE(TYX_Media::Instance(CopyPristine(dir, SynthFormat::WMA, "b.Asf")));
  EXPECT_TRUE(TYX_Media::Instance(CopyPristine(dir, SynthFormat::WAV, "c.WaV")));
}

TEST(MediaFactory, InstanceGoesThroughTheInstalledFactory) {
  TempDir dir;
  const std::string path = CopyPristine(dir, SynthFormat::WAV, "song.wav");
  TYX_Media::Factory previous = TYX_Media::SetFactory({});
  std::string error;
  EXPECT_FALSE(TYX_Media::HasFactory());
  EXPECT_FALSE(TYX_Media::Instance(path, kMediaOpenRead, &error));
  EXPECT_EQ(error, "no media component installed");

  std::vector<std::pair<std::string, std::uint32_t>> calls;
  TYX_Media::SetFactory([&calls](const std::string& p, std::uint32_t flag, std::string& e) -> TYX_MediaPtr {
    calls.emplace_back(p, flag);
    return Media::OpenTagLibMedia(p, flag, e);
  });
  EXPECT_TRUE(TYX_Media::HasFactory());
  TYX_MediaPtr m = TYX_Media::Instance(path, kMediaOpenPlay, &error);
  ASSERT_TRUE(m);
  EXPECT_EQ(error, "");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].first, path);
  EXPECT_EQ(calls[0].second, kMediaOpenPlay);

  // A factory that gives null without a reason still yields a reason.
  TYX_Media::SetFactory([](const std::string&, std::uint32_t, std::string&) { return TYX_MediaPtr(); });
  EXPECT_FALSE(TYX_Media::Instance(path, kMediaOpenRead, &error));
  EXPECT_NE(error.find(path), std::string::npos);

  Media::InstallTagLibMediaFactory();
  EXPECT_TRUE(TYX_Media::Instance(path));
  TYX_Media::SetFactory(previous);
}

}  // namespace
}  // namespace TYX::Test
