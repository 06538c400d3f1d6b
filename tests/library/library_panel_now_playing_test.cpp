// The now-playing operations of the panel: the list itself, titles, removal rules and the playing mark.
#include <filesystem>

#include "components/media/taglib_media_factory.h"
#include "library/library_panel_fixture.h"
#include "helpers/media_fixtures.h"
#include "toolkit/list_text.h"

namespace TYX::Library::Test {
namespace {

using LP = TYX_LibraryPanel;

class NowPlayingTest : public PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    a_ = AddSong("a.mp3", "Alpha", "X");
    b_ = AddSong("b.mp3", "Beta");
    c_ = AddSong("c.mp3", "", "Z");
    np_ = Playlist(STOCK_PLAYLIST_NOWPLAYING);
    for (std::uint32_t i : {a_, b_, c_}) ASSERT_NE(np_->InsertItem(i, 0), kNoPosition);
  }

  // A real, playable file for the media objects the player hands the panel.
  TYX_MediaPtr MakeMedia() {
    Media::InstallTagLibMediaFactory();
    const std::string path = dir_.File("play.wav");
    TYX::Test::SynthOptions options;
    options.seconds = 0.2;
    EXPECT_EQ(TYX::Test::SynthesizeAudio(path, TYX::Test::SynthFormat::WAV, options), "");
    std::string error;
    TYX_MediaPtr media = TYX_Media::Instance(path, kMediaOpenPlay, &error);
    EXPECT_TRUE(media) << error;
    return media;
  }

  std::uint32_t a_ = 0, b_ = 0, c_ = 0;
  TYX_Playlist* np_ = nullptr;
};

TEST_F(NowPlayingTest, CurrentIndexTitlesAndWrapAround) {
  EXPECT_EQ(panel_.GetPlayListCount(), 3u);
  EXPECT_EQ(panel_.GetPlayListCurIndex(), kNoPosition);
  EXPECT_EQ(panel_.GetNextPlayTitle(), "");
  ASSERT_TRUE(np_->SetUserData(0));
  EXPECT_EQ(panel_.GetPlayListCurIndex(), 0u);
  EXPECT_EQ(panel_.GetNextPlayTitle(), "Beta");
  ASSERT_TRUE(np_->SetUserData(1));
  EXPECT_EQ(panel_.GetNextPlayTitle(), "c");  // no title: from the file name
  ASSERT_TRUE(np_->SetUserData(2));
  EXPECT_EQ(panel_.GetNextPlayTitle(), "Alpha");  // the last wraps to the first
  ASSERT_TRUE(np_->SetUserData(3));
  EXPECT_EQ(panel_.GetPlayListCurIndex(), kNoPosition);
  EXPECT_EQ(panel_.GetNextPlayTitle(), "");

  EXPECT_EQ(panel_.GetPlayListTitle(0), "Alpha - X");
  EXPECT_EQ(panel_.GetPlayListTitle(1), "Beta");
  EXPECT_EQ(panel_.GetPlayListTitle(2), " - Z");
  EXPECT_EQ(panel_.GetPlayListTitle(3), "");
}

TEST_F(NowPlayingTest, RemoveKeepsEntriesOfKnownFileTypes) {
  EXPECT_EQ(panel_.NPL_RemoveItem(1), 0);
  EXPECT_EQ(np_->CountItem(), 3u);
  std::filesystem::remove(SongPath("b.mp3"));
  EXPECT_EQ(panel_.NPL_RemoveItem(1), 0);
  ASSERT_EQ(np_->CountItem(), 2u);
  EXPECT_EQ(np_->GetItem(1), c_);
  EXPECT_EQ(panel_.NPL_RemoveItem(2), Win::E_FAIL);

  TYX_Playlist* old = Playlist(STOCK_PLAYLIST_OLDNOWPLAYING);
  EXPECT_EQ(panel_.RemoveItemOldPlayList(), Win::E_FAIL);
  old->InsertItem(a_, 0);
  old->InsertItem(c_, 0);
  EXPECT_EQ(panel_.RemoveItemOldPlayList(), 0);
  EXPECT_EQ(old->CountItem(), 2u);
  std::filesystem::remove(SongPath("a.mp3"));
  EXPECT_EQ(panel_.RemoveItemOldPlayList(), 0);
  ASSERT_EQ(old->CountItem(), 1u);
  EXPECT_EQ(old->GetItem(0), c_);
}

TEST_F(NowPlayingTest, RemoveAllNeedsTheSidebarAndRefreshesTheNowPlayingPage) {
  EXPECT_EQ(panel_.NPL_RemoveItemAll(), Win::E_INVALIDARG);
  TYX_BandWnd band;
  ASSERT_TRUE(band.Create(host_.GetSafeHwnd(), Win::Rect{0, 0, 150, 400}, Win::WS_CHILD | Win::WS_VISIBLE, 200));
  band.AddItem(1, nullptr, 0, "현재재생목록", "200000");
  band.SetSelectBandItem(0, -1, false);
  ASSERT_EQ(band.GetSelectedPageID(), "200000");
  panel_.SetLibraryTreeCtrl(&band);
  ASSERT_EQ(panel_.Refresh("200000"), 0);
  ASSERT_EQ(Rows(List(LP::LIST_NOWPLAYING)), 3);
  EXPECT_EQ(panel_.NPL_RemoveItemAll(), 0);
  EXPECT_EQ(np_->CountItem(), 0u);
  EXPECT_EQ(Rows(List(LP::LIST_NOWPLAYING)), 0);
  EXPECT_EQ(panel_.NPL_RemoveItemAll(), Win::E_FAIL);
  panel_.SetLibraryTreeCtrl(nullptr);
}

TEST_F(NowPlayingTest, PlayingMarkFollowsThePlayStateAndSurvivesRefresh) {
  TYX_MediaPtr media = MakeMedia();
  ASSERT_TRUE(media);
  ASSERT_TRUE(np_->SetUserData(1));
  LP::ListCtrl* list = List(LP::LIST_NOWPLAYING);

  // Not on the now-playing list: the state is kept, nothing is marked.
  EXPECT_EQ(panel_.SetNowPlayingMedia(media, 0), Win::E_FAIL);
  EXPECT_EQ(NowPlayingMark(list), (std::pair<int, int>{-1, 0}));

  ASSERT_EQ(panel_.Refresh("200000"), 0);
  EXPECT_EQ(NowPlayingMark(list), (std::pair<int, int>{1, 2}));  // restored from the stored state: paused
  EXPECT_EQ(Controls::RenderListAsText(*list),
            "정렬 | 곡명 | 아티스트 | 앨범 | 시간 | 가사 | 종류\n"
            "0 | Alpha | X |  | 00:00 |  | icon 1\n"
            "1 | Beta |  |  | 00:00 |  | icon 1  (paused)\n"
            "2 | c | Z |  | 00:00 |  | icon 1\n");
  EXPECT_EQ(panel_.SetNowPlayingMedia(media, 7), 0);
  EXPECT_EQ(NowPlayingMark(list), (std::pair<int, int>{1, 1}));
  EXPECT_EQ(panel_.SetNowPlayingMedia(media, 0), 0);
  EXPECT_EQ(NowPlayingMark(list), (std::pair<int, int>{1, 2}));
  EXPECT_EQ(panel_.SetNowPlayingMedia(media, 1), 0);

  ASSERT_EQ(panel_.Refresh("000000"), 0);
  ASSERT_EQ(panel_.Refresh("200000"), 0);
  EXPECT_EQ(NowPlayingMark(list), (std::pair<int, int>{1, 1}));

  // No current entry, or no media: the mark goes.
  ASSERT_TRUE(np_->SetUserData(kNoPosition));
  EXPECT_EQ(panel_.SetNowPlayingMedia(media, 1), 0);
  EXPECT_EQ(NowPlayingMark(list), (std::pair<int, int>{-1, 0}));
  ASSERT_TRUE(np_->SetUserData(2));
  EXPECT_EQ(panel_.SetNowPlayingMedia(nullptr, 1), 0);
  EXPECT_EQ(NowPlayingMark(list), (std::pair<int, int>{-1, 0}));
  EXPECT_EQ(panel_.SetNowPlayingMedia(media, 1), 0);
  EXPECT_EQ(NowPlayingMark(list), (std::pair<int, int>{2, 1}));
}

TEST_F(NowPlayingTest, DisplayCurrentPlayItemRefillsAndKeepsTheTopRow) {
  ASSERT_TRUE(np_->SetUserData(2));
  panel_.DisplayCurrentPlayItem();  // not on the now-playing list: nothing
  EXPECT_EQ(Rows(List(LP::LIST_NOWPLAYING)), 0);
  ASSERT_EQ(panel_.Refresh("200000"), 0);
  ASSERT_TRUE(Item(c_)->SetTitle("Gamma"));
  panel_.DisplayCurrentPlayItem();
  LP::ListCtrl* list = List(LP::LIST_NOWPLAYING);
  ASSERT_EQ(Rows(list), 3);
  EXPECT_EQ(Text(list, 2, 1), "Gamma");
  EXPECT_EQ(list->GetTopIndex(), 0);
  EXPECT_TRUE(list->IsRedrawOn());
}

TEST_F(NowPlayingTest, SetNowPlayListTakesTheSelectionOrEveryRow) {
  ASSERT_EQ(panel_.Refresh("000000"), 0);
  LP::ListCtrl* lib = List(LP::LIST_LIBRARY);
  Select(lib, 2);
  EXPECT_EQ(panel_.SetNowPlayList(false, false), 3u);
  ASSERT_EQ(np_->CountItem(), 4u);
  EXPECT_EQ(np_->GetItem(3), c_);
  EXPECT_EQ(panel_.SetNowPlayList(true, true), 0u);
  ASSERT_EQ(np_->CountItem(), 3u);
  EXPECT_EQ(np_->GetItem(0), a_);
  EXPECT_EQ(np_->GetItem(2), c_);

  // On the now-playing list itself, clearing keeps the chosen songs.
  ASSERT_EQ(panel_.Refresh("200000"), 0);
  Select(List(LP::LIST_NOWPLAYING), 1);
  EXPECT_EQ(panel_.SetNowPlayList(true, false), 0u);
  ASSERT_EQ(np_->CountItem(), 1u);
  EXPECT_EQ(np_->GetItem(0), b_);

  EXPECT_EQ(panel_.NPL_AddLibraryIndex({}), kNoPosition);
  EXPECT_EQ(panel_.NPL_AddLibraryIndex({c_, a_}), 1u);
  panel_.Refresh("600000");
  EXPECT_EQ(panel_.SetNowPlayList(false, true), kNoPosition);  // ringtones are not played from here
}

TEST_F(NowPlayingTest, MediaObjectsOfTheNowPlayingList) {
  Media::InstallTagLibMediaFactory();
  // Entries whose files are no audio give no media object, but keep their place.
  EXPECT_EQ(panel_.NPL_GetMedia().size(), 3u);
  EXPECT_EQ(panel_.NPL_GetMedia(5), nullptr);

  TYX_MediaPtr media = MakeMedia();
  ASSERT_TRUE(media);
  const std::uint32_t index = panel_.GetLibraryIndexFromMedia(media.get());
  ASSERT_NE(index, kNoLibraryIndex);
  EXPECT_EQ(store_->GetLibrary()->FindItem(dir_.File("play.wav")), index);
  EXPECT_EQ(panel_.GetLibraryIndexFromMedia(std::list<TYX_MediaPtr>{media, nullptr}),
            (std::vector<std::uint32_t>{index, kNoLibraryIndex}));
  ASSERT_NE(Playlist(STOCK_PLAYLIST_LIBRARY)->InsertItem(index, 0), kNoPosition);

  ASSERT_EQ(panel_.Refresh("000000"), 0);
  Select(List(LP::LIST_LIBRARY), 3);
  std::list<TYX_MediaPtr> list;
  TYX_MediaPtr current;
  EXPECT_EQ(panel_.GetSelectedMedia(list, current, 1), 0);
  EXPECT_EQ(list.size(), 4u);
  ASSERT_TRUE(current);
  EXPECT_EQ(np_->GetItem(3), index);
  EXPECT_EQ(panel_.GetSelectedMedia(list, current, 0), 0);
  EXPECT_EQ(list.size(), 4u);
  EXPECT_FALSE(current);
  EXPECT_EQ(panel_.GetAllMedia(list, current), 0);
  EXPECT_EQ(list.size(), 8u);
  EXPECT_FALSE(current);  // the first song appended is a.mp3, which is no audio
}

}  // namespace
}  // namespace TYX::Library::Test
