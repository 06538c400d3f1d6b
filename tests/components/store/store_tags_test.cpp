// Songs with real tags: reading at insertion, re-reading, media objects and lyrics.
#include <filesystem>

#include "components/media/taglib_media_factory.h"
#include "components/store/store_fixture.h"
#include "contracts/media.h"
#include "contracts/now_playing_list.h"

namespace TYX::Store::Test {
namespace {

class StoreTagsTest : public StoreTest {
 protected:
  void SetUp() override { TYX::Media::InstallTagLibMediaFactory(); }

  void Tag(const std::string& path, const std::string& title, const std::string& artist, const std::string& lyrics = {}) {
    std::string error;
    TYX_MediaPtr media = TYX_Media::Instance(path, kMediaOpenRead, &error);
    ASSERT_TRUE(media) << error;
    media->SetTitle(title);
    media->SetArtist(artist);
    media->SetAlbum("앨범");
    media->SetGenre("Ballad");
    media->SetYear("2004");
    media->SetTrack(7);
    media->SetLyrics(lyrics);
    media->SetHighlight(1000, 2000);
    ASSERT_EQ(media->Save(), 0) << media->GetLastError();
  }
};

TEST_F(StoreTagsTest, InsertReadsTagsAndUpdateReadsThemAgain) {
  std::string path = MakeWav("tagged.wav", 3);
  Tag(path, "봄날", "가수");
  auto store = OpenStore();
  ASSERT_TRUE(store);
  std::uint32_t idx = store->GetLibrary()->InsertItem(path, kItemKindFile);
  ASSERT_NE(idx, kNoLibraryIndex);
  TYX_LibraryItem* item = store->GetLibraryItem(idx);
  EXPECT_EQ(item->GetTitle(), "봄날");
  EXPECT_EQ(item->GetArtist(), "가수");
  EXPECT_EQ(item->GetAlbum(), "앨범");
  EXPECT_EQ(item->GetGenre(), "Ballad");
  EXPECT_EQ(item->GetYear(), "2004");
  EXPECT_EQ(item->GetTrack(), 7u);
  EXPECT_EQ(item->GetDuration(), 3u);
  EXPECT_EQ(item->GetSampleRate(), 8000u);
  EXPECT_EQ(item->GetBitRate(), 128000u);
  EXPECT_NE(item->GetChannelMode().find("Mono"), std::string::npos) << item->GetChannelMode();
  EXPECT_EQ(item->GetHighlightStart(), 1000u);
  EXPECT_EQ(item->GetHighlightLength(), 2000u);
  EXPECT_EQ(item->GetFileSize(), std::filesystem::file_size(path));
  EXPECT_EQ(item->GetSmartTitle(kSmartTitleWithArtist), "가수 - 봄날");
  EXPECT_EQ(item->GetLyricFlags(), 0u);

  // Fields of the system survive a re-read; the tags come from the file again.
  item->SetTransferState(4);
  item->SetIdText(0, "MI0000000001");
  Tag(path, "", "다른 가수", "[00:01.00]첫 줄\n[00:02.00]둘째 줄");
  EXPECT_TRUE(item->Update());
  EXPECT_EQ(item->GetTitle(), "");
  EXPECT_EQ(item->GetSmartTitle(), "tagged");
  EXPECT_EQ(item->GetArtist(), "다른 가수");
  EXPECT_EQ(item->GetTransferState(), 4u);
  EXPECT_EQ(item->GetIdText(0), "MI0000000001");
  EXPECT_EQ(item->GetLyricFlags(), kLyricTimedTag);
  EXPECT_EQ(store->ExtractFullLyrics(path), "[00:01.00]첫 줄\n[00:02.00]둘째 줄");

  // The media object of an item knows its library index.
  TYX_MediaPtr media = item->CreateMediaInstance(kMediaOpenPlay);
  ASSERT_TRUE(media);
  EXPECT_EQ(media->GetLibraryIndex(), idx);
  EXPECT_EQ(store->GetLibrary()->InsertItem(media.get()), idx);

  // A file that is gone: Update and CheckFileExist say so.
  std::filesystem::remove(path);
  EXPECT_TRUE(item->IsFileExist());
  EXPECT_FALSE(item->CheckFileExist());
  EXPECT_FALSE(item->IsFileExist());
  EXPECT_FALSE(item->Update());
  EXPECT_EQ(item->GetArtist(), "다른 가수");
  EXPECT_EQ(item->CreateMediaInstance(), nullptr);
}

TEST_F(StoreTagsTest, MediaObjectOfAFileNotYetInTheLibraryIsInserted) {
  std::string path = MakeWav("m.wav", 1);
  Tag(path, "m", "a");
  auto store = OpenStore();
  ASSERT_TRUE(store);
  TYX_MediaPtr media = TYX_Media::Instance(path, kMediaOpenRead);
  ASSERT_TRUE(media);
  std::uint32_t idx = store->GetLibrary()->InsertItem(media.get());
  ASSERT_NE(idx, kNoLibraryIndex);
  EXPECT_EQ(store->GetLibraryItem(idx)->GetTitle(), "m");
  EXPECT_EQ(store->GetLibrary()->InsertItem(path, media.get()), idx);
  EXPECT_EQ(store->GetLibrary()->InsertItem(static_cast<TYX_Media*>(nullptr)), kNoLibraryIndex);
}

TEST_F(StoreTagsTest, LyricsComeFromTheTagElseALrcElseATextFile) {
  auto store = OpenStore();
  ASSERT_TRUE(store);
  std::string song = MakeWav("l.wav", 1);
  EXPECT_EQ(store->ExtractFullLyrics(song), "");
  dir_.Write("music/l.txt", "text lyrics");
  EXPECT_EQ(store->ExtractFullLyrics(song), "text lyrics");
  dir_.Write("music/l.lrc", "[00:01]lrc lyrics");
  EXPECT_EQ(store->ExtractFullLyrics(song), "[00:01]lrc lyrics");
  Tag(song, "l", "a", "tag lyrics");
  EXPECT_EQ(store->ExtractFullLyrics(song), "tag lyrics");
  std::uint32_t idx = store->GetLibrary()->InsertItem(song, kItemKindFile);
  EXPECT_EQ(store->GetLibraryItem(idx)->GetLyricFlags(), kLyricTag | kLyricFileLrc | kLyricFileText);
  // A song file that is gone still has its lyric files.
  std::filesystem::remove(song);
  EXPECT_EQ(store->ExtractFullLyrics(song), "[00:01]lrc lyrics");
  EXPECT_EQ(store->ExtractFullLyrics(""), "");
  // A file the media component cannot read is still a song, titled by its name.
  std::uint32_t odd = store->GetLibrary()->InsertItem(MakeSong("벨소리.mmf", "MMMD"), kItemKindFile);
  ASSERT_NE(odd, kNoLibraryIndex);
  EXPECT_EQ(store->GetLibraryItem(odd)->GetSmartTitle(), "벨소리");
  EXPECT_EQ(store->GetLibraryItem(odd)->GetFileSize(), 4u);
}

TEST_F(StoreTagsTest, NowPlayingStateKeepsTheLastMediaAndPlayState) {
  TYX_NowPlayingList state;
  std::shared_ptr<TYX_Media> media;
  std::uint32_t playState = 0;
  EXPECT_FALSE(state.GetLastPlayState(&media, &playState));
  EXPECT_EQ(media, nullptr);
  EXPECT_EQ(playState, 0xFFFFFFFFu);
  std::string path = MakeWav("np.wav", 1);
  {
    TYX_MediaPtr opened = TYX_Media::Instance(path, kMediaOpenPlay);
    ASSERT_TRUE(opened);
    state.SetLastPlayState(opened, 0);
  }
  // The state keeps the media object alive after its maker let it go.
  EXPECT_TRUE(state.GetLastPlayState(&media, &playState));
  ASSERT_NE(media, nullptr);
  EXPECT_EQ(media->GetPath(), path);
  EXPECT_EQ(playState, 0u);
  state.SetLastPlayState(nullptr, 1);
  EXPECT_TRUE(state.GetLastPlayState(&media, &playState));
  EXPECT_EQ(media, nullptr);
  EXPECT_EQ(playState, 1u);
  // A fresh object writes nothing; a stored state is saved and read back by path.
  TYX_NowPlayingList fresh;
  EXPECT_TRUE(fresh.Load(dir_.File("sonvarmusic.imx")));
  EXPECT_TRUE(fresh.Save(dir_.File("sonvarmusic.imx")));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("sonvarmusic.imx")));
  state.SetLastPlayState(TYX_Media::Instance(path, kMediaOpenPlay), 1);
  EXPECT_TRUE(state.Save(dir_.File("sonvarmusic.imx")));
  ASSERT_TRUE(fresh.Load(dir_.File("sonvarmusic.imx")));
  EXPECT_TRUE(fresh.GetLastPlayState(nullptr, &playState));
  EXPECT_EQ(playState, 1u);
  EXPECT_EQ(fresh.GetLastPath(), path);
}

}  // namespace
}  // namespace TYX::Store::Test
