// A save either writes every field with the audio intact, or fails and leaves the file byte for byte:
// on a full disk, past a file-size limit, through symbolic links, and under names the file system allows.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>

#include "components/media/media_file.h"
#include "components/media/scratch_copy.h"
#include "components/media/taglib_media_factory.h"
#include "contracts/media.h"
#include "helpers/small_file_system.h"
#include "media_test_support.h"

namespace TYX::Test {
namespace {
namespace fs = std::filesystem;

constexpr std::uint64_t kPage = 4096;

// The fields every save in this file writes: long texts and a large image, so the tags grow the file
// by many pages.
struct BigTags {
  std::vector<std::uint8_t> image = MakeImage("bmp", 120, 100);
  std::string lyrics;
  BigTags() {
    for (int i = 0; i < 400; ++i) lyrics += "[00:" + std::to_string(10 + i % 50) + ".00]보고 싶다 이렇게 말하니까\n";
  }
  void Apply(TYX_Media& m) const {
    m.SetTitle("봄날");
    m.SetArtist("방탄소년단");
    m.SetAlbum("You Never Walk Alone");
    m.SetGenre("K-Pop");
    m.SetReleaseDate("2017");
    m.SetComment("written on a tight disk");
    m.SetLyrics(lyrics);
    m.SetTrack(3);
    m.SetHighlight(1000, 5000);
    ASSERT_TRUE(m.SetAlbumImageData(image));
  }
  void ExpectIn(const TYX_Media& m, std::uint32_t durationMs) const {
    EXPECT_EQ(m.GetTitle(), "봄날");
    EXPECT_EQ(m.GetArtist(), "방탄소년단");
    EXPECT_EQ(m.GetAlbum(), "You Never Walk Alone");
    EXPECT_EQ(m.GetGenre(), "K-Pop");
    EXPECT_EQ(m.GetComment(), "written on a tight disk");
    EXPECT_EQ(m.GetLyrics(), lyrics);
    EXPECT_EQ(m.GetTrack(), 3u);
    EXPECT_EQ(m.GetHighlightStart(), 1000u);
    EXPECT_EQ(m.GetHighlightLength(), 5000u);
    EXPECT_EQ(m.GetAlbumImageData(), image);
    EXPECT_EQ(m.GetDurationMs(), durationMs);
  }
};

// Leaves exactly `bytes` free on the small file system with a filler file; false when it cannot.
bool LeaveFree(const SmallFileSystem& small, std::uint64_t bytes) {
  unlink(small.File("filler").c_str());
  const std::uint64_t free = small.FreeBytes();
  if (free < bytes) return false;
  const int fd = open(small.File("filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  std::vector<char> block(kPage, 'f');
  std::uint64_t left = free - bytes;
  while (left > 0) {
    const ssize_t n = write(fd, block.data(), static_cast<std::size_t>(std::min<std::uint64_t>(left, kPage)));
    if (n <= 0) break;
    left -= static_cast<std::uint64_t>(n);
  }
  close(fd);
  return left == 0 && small.FreeBytes() == bytes;
}

class MediaSaveSafety : public ::testing::TestWithParam<FormatCase> {
 protected:
  void SetUp() override { Media::InstallTagLibMediaFactory(); }
  std::string Name(const std::string& stem) const { return stem + "." + GetParam().ext; }
  TempDir dir_;
};

TEST_P(MediaSaveSafety, FullDiskAtAnyPointOfTheSaveLeavesTheFileWhole) {
  SmallFileSystem small(8u << 20);
  if (!small.Mounted()) GTEST_SKIP() << small.Error();
  const std::string path = small.File(Name("song"));
  fs::copy_file(PristineFile(GetParam().format), path);
  const auto original = ReadBytes(path);
  const std::uint64_t copyBytes = (original.size() + kPage - 1) / kPage * kPage;
  std::uint32_t durationMs = 0;
  {
    TYX_MediaPtr m = TYX_Media::Instance(path);
    ASSERT_TRUE(m);
    durationMs = m->GetDurationMs();
  }
  const BigTags tags;

  // Too little room for the scratch copy itself.
  ASSERT_TRUE(LeaveFree(small, copyBytes / 2 / kPage * kPage));
  {
    TYX_MediaPtr m = TYX_Media::Instance(path);
    ASSERT_TRUE(m);
    tags.Apply(*m);
    EXPECT_NE(m->Save(), 0);
    EXPECT_FALSE(m->GetLastError().empty());
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_EQ(FolderNames(small.Path()), (std::vector<std::string>{"filler", Name("song")}));
  }

  // Room for the copy and then a page more at each step: every save before the first that fits fails
  // after the copy was made, while the tags are written.
  int failedWhileWriting = 0;
  bool saved = false;
  for (std::uint64_t extra = 0; extra <= 64 && !saved; ++extra) {
    ASSERT_TRUE(LeaveFree(small, copyBytes + extra * kPage)) << extra;
    TYX_MediaPtr m = TYX_Media::Instance(path);
    ASSERT_TRUE(m);
    tags.Apply(*m);
    if (m->Save() == 0) {
      saved = true;
      TYX_MediaPtr r = TYX_Media::Instance(path);
      ASSERT_TRUE(r) << "the saved file does not parse, with " << extra << " pages to spare";
      tags.ExpectIn(*r, durationMs);
    } else {
      ++failedWhileWriting;
      EXPECT_FALSE(m->GetLastError().empty());
      ASSERT_EQ(ReadBytes(path), original) << "a failed save changed the file, with " << extra << " pages to spare";
    }
    EXPECT_EQ(FolderNames(small.Path()), (std::vector<std::string>{"filler", Name("song")}))
        << "a scratch copy was left, with " << extra << " pages to spare";
  }
  EXPECT_TRUE(saved) << "no save succeeded even with 64 pages to spare";
  EXPECT_GT(failedWhileWriting, 0) << "the tags needed no room beyond the copy";
}

TEST_P(MediaSaveSafety, FileSizeLimitLeavesTheFileWhole) {
  const std::string path = CopyPristine(dir_, GetParam().format, Name("song"));
  const auto original = ReadBytes(path);
  const BigTags tags;
  for (const rlim_t limit : {static_cast<rlim_t>(original.size() / 2), static_cast<rlim_t>(original.size() + 2048),
                             static_cast<rlim_t>(original.size() + 16384)}) {
    const ChildOutcome outcome = RunInChild([&]() -> std::pair<int, std::string> {
      signal(SIGXFSZ, SIG_IGN);
      rlimit r{};
      getrlimit(RLIMIT_FSIZE, &r);
      r.rlim_cur = limit;
      if (setrlimit(RLIMIT_FSIZE, &r) != 0) return {-2, "setrlimit failed"};
      TYX_MediaPtr m = TYX_Media::Instance(path);
      if (!m) return {-3, "cannot open"};
      tags.Apply(*m);
      const std::int32_t rc = m->Save();
      return {rc == 0 ? 0 : 1, m->GetLastError()};
    });
    ASSERT_TRUE(outcome.finished) << "the save under a limit of " << limit << " bytes did not finish";
    EXPECT_EQ(outcome.code, 1) << "a save past a limit of " << limit << " bytes did not fail: " << outcome.text;
    EXPECT_FALSE(outcome.text.empty());
    EXPECT_EQ(ReadBytes(path), original) << "limit " << limit;
    EXPECT_EQ(FolderNames(dir_.Path()), std::vector<std::string>{Name("song")}) << "limit " << limit;
  }
  // Without the limit the same save goes through.
  TYX_MediaPtr m = TYX_Media::Instance(path);
  ASSERT_TRUE(m);
  const std::uint32_t durationMs = m->GetDurationMs();
  tags.Apply(*m);
  ASSERT_EQ(m->Save(), 0) << m->GetLastError();
  TYX_MediaPtr r = TYX_Media::Instance(path);
  ASSERT_TRUE(r);
  tags.ExpectIn(*r, durationMs);
}

TEST_P(MediaSaveSafety, SavingThroughSymbolicLinksWritesTheTargetAndKeepsTheLinks) {
  fs::create_directories(dir_.File("music"));
  fs::create_directories(dir_.File("links"));
  const std::string real = CopyPristine(dir_, GetParam().format, "music/" + Name("real"));
  const std::string link = dir_.File("links/" + Name("link"));
  const std::string chain = dir_.File(Name("chain"));
  fs::create_symlink("../music/" + Name("real"), link);
  fs::create_symlink("links/" + Name("link"), chain);
  const auto mode = fs::status(real).permissions();

  TYX_MediaPtr m = TYX_Media::Instance(link);
  ASSERT_TRUE(m);
  EXPECT_TRUE(m->CanWriteTags());
  m->SetTitle("through the link");
  ASSERT_EQ(m->Save(), 0) << m->GetLastError();
  EXPECT_EQ(m->GetPath(), link);
  ASSERT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::read_symlink(link), "../music/" + Name("real"));
  EXPECT_EQ(fs::status(real).permissions(), mode);

  TYX_MediaPtr c = TYX_Media::Instance(chain);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->GetTitle(), "through the link");
  c->SetArtist("through two links");
  ASSERT_EQ(c->Save(), 0) << c->GetLastError();
  EXPECT_TRUE(fs::is_symlink(chain));
  EXPECT_TRUE(fs::is_symlink(link));

  TYX_MediaPtr r = TYX_Media::Instance(real);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->GetTitle(), "through the link");
  EXPECT_EQ(r->GetArtist(), "through two links");
  EXPECT_EQ(FolderNames(dir_.File("music")), std::vector<std::string>{Name("real")});
  EXPECT_EQ(FolderNames(dir_.File("links")), std::vector<std::string>{Name("link")});

  // A link whose target is gone is no file to save.
  fs::remove(real);
  m->SetTitle("nowhere");
  EXPECT_NE(m->Save(), 0);
  EXPECT_FALSE(fs::exists(real));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_TRUE(fs::is_empty(dir_.File("music")));
}

TEST_P(MediaSaveSafety, BackslashesAreOrdinaryCharactersOfANativeName) {
  fs::create_directories(dir_.File("R&B\\Soul"));
  for (const std::string& name : {Name("AC\\DC"), "R&B\\Soul/" + Name("x\\y"), Name("\\lead")}) {
    const std::string path = CopyPristine(dir_, GetParam().format, name);
    TYX_MediaPtr m = TYX_Media::Instance(path);
    ASSERT_TRUE(m) << name;
    EXPECT_TRUE(m->CanWriteTags()) << name;
    m->SetTitle("Highway to Hell");
    ASSERT_EQ(m->Save(), 0) << name << ": " << m->GetLastError();
    TYX_MediaPtr r = TYX_Media::Instance(path);
    ASSERT_TRUE(r) << name;
    EXPECT_EQ(r->GetTitle(), "Highway to Hell") << name;
  }
  EXPECT_EQ(FolderNames(dir_.File("R&B\\Soul")), std::vector<std::string>{Name("x\\y")});
}

TEST_P(MediaSaveSafety, NamesAsLongAsTheFileSystemAllowsCanBeSaved) {
  const std::string ext = std::string(".") + GetParam().ext;
  std::string korean;
  while (korean.size() + 3 + ext.size() <= 255) korean += "가";
  for (const std::string& name : {std::string(255 - ext.size(), 'a') + ext, korean + ext,
                                  std::string(239 - ext.size(), 'b') + ext}) {
    const std::string path = CopyPristine(dir_, GetParam().format, name);
    TYX_MediaPtr m = TYX_Media::Instance(path);
    ASSERT_TRUE(m) << name.size();
    m->SetTitle("long name");
    ASSERT_EQ(m->Save(), 0) << name.size() << " bytes: " << m->GetLastError();
    TYX_MediaPtr r = TYX_Media::Instance(path);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->GetTitle(), "long name");
    fs::remove(path);
    EXPECT_TRUE(fs::is_empty(dir_.Path())) << "a scratch copy was left for a name of " << name.size() << " bytes";
  }
}

TEST_P(MediaSaveSafety, ReadOnlyFileSystemRefusesTheSaveAndKeepsTheFile) {
  const std::string path = CopyPristine(dir_, GetParam().format, Name("song"));
  const auto original = ReadBytes(path);
  ReadOnlyView view(dir_.Path());
  if (!view.Mounted()) GTEST_SKIP() << view.Error();
  TYX_MediaPtr m = TYX_Media::Instance(view.File(Name("song")));
  ASSERT_TRUE(m);
  EXPECT_FALSE(m->CanWriteTags());
  m->SetTitle("x");
  EXPECT_NE(m->Save(), 0);
  EXPECT_NE(m->GetLastError().find("read-only"), std::string::npos) << m->GetLastError();
  EXPECT_EQ(ReadBytes(path), original);
  EXPECT_EQ(FolderNames(dir_.Path()), std::vector<std::string>{Name("song")});
}

TEST_P(MediaSaveSafety, AFifoOrAFolderWhereTheFileWasIsNeitherReadNorReplaced) {
  // Opening a FIFO would wait for a writer forever; the child's watchdog catches that.
  const std::string fifo = dir_.File(Name("pipe"));
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  ChildOutcome opened = RunInChild([&]() -> std::pair<int, std::string> {
    std::string error;
    TYX_MediaPtr m = TYX_Media::Instance(fifo, kMediaOpenRead, &error);
    return {m ? 0 : 1, error};
  });
  ASSERT_TRUE(opened.finished) << "opening a FIFO blocked";
  EXPECT_EQ(opened.code, 1);
  EXPECT_FALSE(opened.text.empty());

  for (const bool folder : {false, true}) {
    const std::string song = CopyPristine(dir_, GetParam().format, Name("song"));
    TYX_MediaPtr m = TYX_Media::Instance(song);
    ASSERT_TRUE(m);
    fs::remove(song);
    if (folder) {
      fs::create_directory(song);
    } else {
      ASSERT_EQ(mkfifo(song.c_str(), 0644), 0);
    }
    m->SetTitle("x");
    const ChildOutcome saved = RunInChild([&]() -> std::pair<int, std::string> {
      return {m->Save() == 0 ? 0 : 1, m->GetLastError()};
    });
    ASSERT_TRUE(saved.finished) << "saving over a " << (folder ? "folder" : "FIFO") << " blocked";
    EXPECT_EQ(saved.code, 1);
    EXPECT_FALSE(saved.text.empty());
    EXPECT_EQ(fs::is_directory(song), folder);
    EXPECT_EQ(fs::is_fifo(song), !folder);
    EXPECT_EQ(FolderNames(dir_.Path()), (std::vector<std::string>{Name("pipe"), Name("song")}));
    fs::remove(song);
  }
}

TEST_P(MediaSaveSafety, TheAudioLengthSeesACutStreamThatTheTagsDoNot) {
  const Media::MediaFormat format = *Media::FormatOfPath(Name("x"));
  const std::string path = CopyPristine(dir_, GetParam().format, Name("song"));
  Media::MediaTags tags;
  Media::StreamFacts whole;
  std::string error;
  ASSERT_TRUE(Media::ReadMediaFile(path, format, true, tags, whole, error, true)) << error;
  EXPECT_GT(whole.audioLength, 0u);

  // Tags of any size leave it as it was.
  {
    TYX_MediaPtr m = TYX_Media::Instance(path);
    ASSERT_TRUE(m);
    BigTags().Apply(*m);
    ASSERT_EQ(m->Save(), 0) << m->GetLastError();
  }
  Media::StreamFacts tagged;
  ASSERT_TRUE(Media::ReadMediaFile(path, format, true, tags, tagged, error, true)) << error;
  EXPECT_EQ(tagged.audioLength, whole.audioLength);
  EXPECT_EQ(tagged.durationMs, whole.durationMs);

  // A stream that lost its last bytes is shorter, even where the headers still give the old duration.
  auto bytes = ReadBytes(PristineFile(GetParam().format));
  bytes.resize(bytes.size() - 700);
  const std::string cut = dir_.File(Name("cut"));
  WriteFileBytes(cut, bytes);
  Media::StreamFacts shorter;
  const bool parsed = Media::ReadMediaFile(cut, format, true, tags, shorter, error, true);
  if (GetParam().format == SynthFormat::WAV) {
    // A data chunk that runs past the end makes the whole file unreadable.
    EXPECT_FALSE(parsed);
    return;
  }
  ASSERT_TRUE(parsed) << error;
  EXPECT_GT(shorter.audioLength, 0u);
  EXPECT_LT(shorter.audioLength, whole.audioLength);
}

TEST(MediaScratchName, FitsTheNameLimitAndCutsAtACharacterBoundary) {
  EXPECT_EQ(Media::ScratchName("song.mp3", 255), ".song.mp3.tyxsave-XXXXXX");
  const std::string longName = std::string(255, 'a');
  EXPECT_EQ(Media::ScratchName(longName, 255).size(), 255u);
  EXPECT_EQ(Media::ScratchName(longName, 100).size(), 100u);
  // "가" is three bytes: a cut inside it backs off to the character before.
  EXPECT_EQ(Media::ScratchName("가나다.mp3", 16 + 4), ".가.tyxsave-XXXXXX");
  EXPECT_EQ(Media::ScratchName("가나다.mp3", 16 + 6), ".가나.tyxsave-XXXXXX");
  EXPECT_EQ(Media::ScratchName("가나다.mp3", 16 + 2), "..tyxsave-XXXXXX");
}

INSTANTIATE_TEST_SUITE_P(Formats, MediaSaveSafety, ::testing::ValuesIn(AllFormats()),
                         [](const ::testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.ext); });
INSTANTIATE_TEST_SUITE_P(LibraryFormats, MediaSaveSafety, ::testing::ValuesIn(LibraryFormats()),
                         [](const ::testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.ext); });

}  // namespace
}  // namespace TYX::Test
