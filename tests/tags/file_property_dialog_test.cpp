// The song information dialog and its entry point: the texts it shows for real files, the sizes it
// opens with, and the refusals of indexes without a live song.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "helpers/scripted_user_agent.h"
#include "tags/file_property_dialog.h"
#include "tags/tag_dialogs.h"
#include "tags_test_support.h"

namespace TYX::Tags::Test {
namespace {

using namespace TYX::Win;
using Dialog::TYX_Dialog_FileProperty;
using TYX::Test::ScopedUserAgent;
using TYX::Test::SynthFormat;
using Prop = TYX_Dialog_FileProperty;

TEST(FilePropertyTextTest, SizesAreDecimalMegabytesCutNotRounded) {
  EXPECT_EQ(Prop::SizeText(999999), "0.9 MB");
  EXPECT_EQ(Prop::SizeText(1000000), "1.0 MB");
  EXPECT_EQ(Prop::SizeText(3456789), "3.4 MB");
  EXPECT_EQ(Prop::SizeText(0), "0.0 MB");
  // Past 2 GiB the size stays positive and whole.
  EXPECT_EQ(Prop::SizeText(2147483648ull), "2147.4 MB");
  EXPECT_EQ(Prop::SizeText(5368709120ull), "5368.7 MB");
}

TEST(FilePropertyTextTest, RatesAndHighlight) {
  EXPECT_EQ(Prop::BitRateText(192000), "192 Kbps");
  EXPECT_EQ(Prop::BitRateText(127999), "127 Kbps");
  EXPECT_EQ(Prop::SampleRateText(44100), "44.1 Khz");
  EXPECT_EQ(Prop::SampleRateText(22050), "22.1 Khz");
  EXPECT_EQ(Prop::SampleRateText(11025), "11.0 Khz");
  EXPECT_EQ(Prop::HighlightText(0, 0), "미적용 (00:00~00:00)");
  EXPECT_EQ(Prop::HighlightText(75000, 0), "미적용 (00:00~00:00)");
  // A length under a second counts as none: both are whole seconds.
  EXPECT_EQ(Prop::HighlightText(75000, 999), "미적용 (00:00~00:00)");
  EXPECT_EQ(Prop::HighlightText(65500, 30900), "적용 (01:05~01:35)");
}

class FilePropertyTest : public TagsTest {};

TEST_F(FilePropertyTest, SetFileReadsTheTagsAndStreamFactsOfARealFile) {
  const std::string path = Song("songs/봄날.mp3");
  Tag(path, [](TYX_Media& m) {
    m.SetTitle("봄날");
    m.SetAlbum("사계절");
    m.SetHighlight(10000, 30000);
  });
  Prop dlg;
  ASSERT_TRUE(dlg.SetFile(path));
  TYX_MediaPtr media = Read(path);
  const Prop::Texts& t = dlg.GetTexts();
  EXPECT_EQ(t.fileName, "봄날.mp3");
  EXPECT_EQ(t.title, "봄날");
  EXPECT_EQ(t.album, "사계절");
  EXPECT_EQ(t.format, media->GetFormatText());
  EXPECT_FALSE(t.format.empty());
  EXPECT_EQ(t.size, Prop::SizeText(static_cast<std::uint64_t>(::TYX::Test::ReadFileBytes(path).size())));
  EXPECT_EQ(t.bitRate, Prop::BitRateText(media->GetBitRate()));
  EXPECT_NE(t.bitRate, "0 Kbps");
  EXPECT_EQ(t.sampleRate, "44.1 Khz");
  EXPECT_EQ(t.channels, media->GetChannelText());
  EXPECT_EQ(t.highlight, "적용 (00:10~00:40)");
  EXPECT_EQ(t.location, path);
  EXPECT_EQ(Prop::IsAlbumImage(path), 0);
}

TEST_F(FilePropertyTest, ASongSampledAt22050HzShowsTheRoundedRate) {
  const std::string path = dir_.File("low.wav");
  ::TYX::Test::SynthOptions options;
  options.sampleRate = 22050;
  options.channels = 1;
  options.seconds = 0.3;
  ASSERT_EQ(::TYX::Test::SynthesizeAudio(path, SynthFormat::WAV, options), "");
  Prop dlg;
  ASSERT_TRUE(dlg.SetFile(path));
  EXPECT_EQ(dlg.GetTexts().sampleRate, "22.1 Khz");
  EXPECT_EQ(dlg.GetTexts().bitRate, "352 Kbps");  // 22 050 16-bit mono samples a second
  EXPECT_EQ(dlg.GetTexts().highlight, "미적용 (00:00~00:00)");
}

TEST_F(FilePropertyTest, AFileThatCannotBeOpenedLeavesTheTextsEmpty) {
  Prop dlg;
  EXPECT_FALSE(dlg.SetFile(dir_.File("missing.mp3")));
  EXPECT_EQ(dlg.GetTexts(), Prop::Texts{});
  const std::string junk = dir_.Write("junk.mp3", "not audio at all");
  EXPECT_FALSE(dlg.SetFile(junk));
  EXPECT_EQ(dlg.GetTexts(), Prop::Texts{});
  EXPECT_FALSE(dlg.SetFile(""));
  EXPECT_EQ(Prop::IsAlbumImage(junk), 0);
}

TEST_F(FilePropertyTest, AWaveFilePastTwoGibibytesShowsItsRealSize) {
  const std::string path = Song("big.wav", SynthFormat::WAV, 0.2);
  // Grow the data chunk (sparse, so nothing is written to disk) past 2 GiB.
  const std::uint64_t size = 2300000000ull;
  {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    ASSERT_TRUE(f);
    std::string head(4096, '\0');
    f.read(head.data(), static_cast<std::streamsize>(head.size()));
    const std::size_t data = head.find("data");
    ASSERT_NE(data, std::string::npos);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
      f.clear();
      f.seekp(static_cast<std::streamoff>(at));
      const unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                  static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
      f.write(reinterpret_cast<const char*>(b), 4);
    };
    put32(4, static_cast<std::uint32_t>(size - 8));
    put32(data + 4, static_cast<std::uint32_t>(size - data - 8));
  }
  ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(size)), 0);
  Prop dlg;
  ASSERT_TRUE(dlg.SetFile(path));
  EXPECT_EQ(dlg.GetTexts().size, "2300.0 MB");
}

TEST_F(FilePropertyTest, TheEntryPointShowsTheSongAndLetsTheItemReReadItsFile) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const std::string path = Song("songs/a.mp3");
  const std::uint32_t index = Insert(path);
  // The file changed after it was added; the run's re-read brings the library up to date.
  Tag(path, [](TYX_Media& m) { m.SetTitle("New title"); });
  ASSERT_NE(Item(index)->GetTitle(), "New title");
  Rect rect;
  std::vector<std::string> drawn;
  std::string title;
  agent->OnNextModal([&](Window& w) {
    auto& d = static_cast<Prop&>(w);
    rect = d.GetWindowRect();
    title = d.GetTitle();
    d.UpdateWindow();
    drawn = d.GetLastPaint().Texts();
    EXPECT_TRUE(d.ClickButton(IDOK));
  });
  EXPECT_EQ(Dialog::RunPropertyDialog(nullptr, store_.get(), index), TRUE);
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(title, "곡 정보");
  EXPECT_EQ(rect.Width(), 384);
  EXPECT_EQ(rect.Height(), 416);
  auto has = [&](const std::string& t) { return std::find(drawn.begin(), drawn.end(), t) != drawn.end(); };
  EXPECT_TRUE(has("파일명 : "));
  EXPECT_TRUE(has("a.mp3"));
  EXPECT_TRUE(has("New title"));
  EXPECT_TRUE(has(Prop::kNoImageLine));
  EXPECT_TRUE(has("미적용 (00:00~00:00)"));
  EXPECT_EQ(Item(index)->GetTitle(), "New title");
}

TEST_F(FilePropertyTest, ASongWithAnAlbumImageOpensShorterAndShowsTheImage) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const std::string path = Song("songs/pic.mp3");
  const auto png = ::TYX::Test::MakeImage("png", 40, 30);
  Tag(path, [&](TYX_Media& m) { ASSERT_TRUE(m.SetAlbumImageData(png)); });
  EXPECT_EQ(Prop::IsAlbumImage(path), 1);
  const std::uint32_t index = Insert(path);
  Rect rect;
  std::vector<std::uint8_t> shown;
  std::string type;
  bool noImageLine = true;
  agent->OnNextModal([&](Window& w) {
    auto& d = static_cast<Prop&>(w);
    rect = d.GetWindowRect();
    shown = d.GetImageData();
    type = d.GetImageType();
    d.UpdateWindow();
    noImageLine = d.GetLastPaint().FindText(Prop::kNoImageLine) != nullptr;
    d.EndDialog(IDCANCEL);
  });
  EXPECT_EQ(Dialog::RunPropertyDialog(nullptr, store_.get(), index), TRUE);
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(rect.Height(), 387);
  EXPECT_EQ(shown, png);
  EXPECT_EQ(type, "image/png");
  EXPECT_FALSE(noImageLine);
}

TEST_F(FilePropertyTest, IndexesWithoutALiveSongAreRefusedBeforeAnythingIsShown) {
  ScopedUserAgent agent;  // fails the test on any dialog or prompt
  const std::uint32_t index = Insert(Song("songs/gone.mp3"));
  EXPECT_EQ(Dialog::RunPropertyDialog(nullptr, store_.get(), 0xFFFFFFFFu), FALSE);
  EXPECT_EQ(Dialog::RunPropertyDialog(nullptr, store_.get(), index + 100), FALSE);
  EXPECT_EQ(Dialog::RunPropertyDialog(nullptr, nullptr, index), FALSE);
  ASSERT_EQ(store_->GetLibrary()->RemoveItem(index), 0);
  EXPECT_EQ(Dialog::RunPropertyDialog(nullptr, store_.get(), index), FALSE);
  EXPECT_EQ(agent->ModalCount(), 0);
}

TEST_F(FilePropertyTest, AMissingFileStillOpensTheDialogWithEmptyTextsAndReportsTheFailedReRead) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const std::string path = Song("songs/vanish.mp3");
  const std::uint32_t index = Insert(path);
  ASSERT_EQ(::unlink(path.c_str()), 0);
  Prop::Texts texts{.fileName = "x"};
  agent->OnNextModal([&](Window& w) {
    texts = static_cast<Prop&>(w).GetTexts();
    static_cast<Prop&>(w).EndDialog(IDOK);
  });
  EXPECT_EQ(Dialog::RunPropertyDialog(nullptr, store_.get(), index), FALSE);
  EXPECT_EQ(agent->ModalCount(), 1);
  EXPECT_EQ(texts, Prop::Texts{});
  EXPECT_FALSE(watchdog.Fired());
}

}  // namespace
}  // namespace TYX::Tags::Test
