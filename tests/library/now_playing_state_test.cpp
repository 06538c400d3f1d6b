// The now-playing state kept across starts: its file, and the panel that writes it at Final and
// marks the same song after the next creation.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "components/media/taglib_media_factory.h"
#include "contracts/now_playing_list.h"
#include "helpers/media_fixtures.h"
#include "helpers/small_file_system.h"
#include "library/library_panel_fixture.h"
#include "util/skin.h"

namespace TYX::Library::Test {
namespace {

using LP = TYX_LibraryPanel;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class NowPlayingStateTest : public PanelTest {
 protected:
  void TearDown() override { std::remove(NowPlayingStateFile().c_str()); }

  TYX_MediaPtr MakeMedia(const std::string& name) {
    Media::InstallTagLibMediaFactory();
    const std::string path = dir_.File(name);
    TYX::Test::SynthOptions options;
    options.seconds = 0.2;
    EXPECT_EQ(TYX::Test::SynthesizeAudio(path, TYX::Test::SynthFormat::WAV, options), "");
    return TYX_Media::Instance(path, kMediaOpenPlay);
  }
};

TEST_F(NowPlayingStateTest, TheFileKeepsTheSongAndThePlayStateWholeOrNotAtAll) {
  const std::string file = dir_.File("state.imx");
  TYX_NowPlayingList state;
  // Nothing stored and no file: nothing is written.
  EXPECT_TRUE(state.Save(file));
  EXPECT_NE(::access(file.c_str(), F_OK), 0);
  // A missing file is an empty state.
  EXPECT_TRUE(state.Load(file));
  EXPECT_FALSE(state.GetLastPlayState(nullptr, nullptr));

  TYX_MediaPtr media = MakeMedia("가 노래 #1.wav");
  ASSERT_TRUE(media);
  state.SetLastPlayState(media, 7);
  std::string error;
  ASSERT_TRUE(state.Save(file, &error)) << error;

  TYX_NowPlayingList back;
  ASSERT_TRUE(back.Load(file, &error)) << error;
  TYX_MediaPtr restored;
  std::uint32_t playState = 0;
  EXPECT_TRUE(back.GetLastPlayState(&restored, &playState));
  EXPECT_EQ(restored, nullptr);  // opened on demand by the panel
  EXPECT_EQ(playState, 7u);
  EXPECT_EQ(back.GetLastPath(), media->GetPath());
  // No temporary file is left beside it.
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir_.Path())) entries += e.path().filename().string().rfind("state.imx", 0) == 0;
  EXPECT_EQ(entries, 1);

  // A path that the line format cannot hold is not kept, and the file keeps the last state.
  const std::string kept = ReadAll(file);
  TYX_NowPlayingList odd;
  odd.SetLastPlayState(MakeMedia("two\nlines.wav"), 3);
  error.clear();
  EXPECT_FALSE(odd.Save(file, &error));
  EXPECT_NE(error.find("line break"), std::string::npos) << error;
  EXPECT_EQ(ReadAll(file), kept);

  // Damaged files are refused, change nothing here and stay as they were.
  for (const std::string& bad : {std::string("garbage"), std::string("sonvar-now-playing 1\nstate x\npath /a\n"),
                                 std::string("sonvar-now-playing 1\nstate 99999999999\npath /a\n"),
                                 std::string("sonvar-now-playing 1\nstate 1\n")}) {
    const std::string damaged = dir_.Write("damaged.imx", bad);
    error.clear();
    EXPECT_FALSE(back.Load(damaged, &error)) << bad;
    EXPECT_NE(error.find("damaged.imx"), std::string::npos) << error;
    EXPECT_EQ(back.GetLastPath(), media->GetPath());
    EXPECT_EQ(ReadAll(damaged), bad);
  }
}

TEST_F(NowPlayingStateTest, AFullOrReadOnlyDiskIsReportedAndTheOldStateSurvives) {
  TYX::Test::SmallFileSystem disk(64 * 1024);
  if (!disk.Mounted()) GTEST_SKIP() << disk.Error();
  const std::string file = disk.File("state.imx");
  TYX_NowPlayingList state;
  state.SetLastPlayState(MakeMedia("a.wav"), 1);
  ASSERT_TRUE(state.Save(file));
  const std::string before = ReadAll(file);

  state.SetLastPlayState(MakeMedia("b.wav"), 2);
  disk.FillUp();
  std::string error;
  EXPECT_FALSE(state.Save(file, &error));
  EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
  disk.Release();
  EXPECT_EQ(ReadAll(file), before);
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(disk.Path())) entries += e.path().filename() != "state.imx";
  EXPECT_EQ(entries, 0) << "a temporary file was left";

  TYX::Test::ReadOnlyView view(disk.Path());
  ASSERT_TRUE(view.Mounted()) << view.Error();
  error.clear();
  EXPECT_FALSE(state.Save(view.File("state.imx"), &error));
  EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
  EXPECT_EQ(ReadAll(file), before);
}

TEST_F(NowPlayingStateTest, FinalKeepsTheStateAndTheNextPanelMarksTheSameSong) {
  TYX_MediaPtr media = MakeMedia("play.wav");
  ASSERT_TRUE(media);
  const std::uint32_t index = AddSong("a.mp3", "Alpha");
  TYX_Playlist* np = Playlist(STOCK_PLAYLIST_NOWPLAYING);
  ASSERT_NE(np->InsertItem(index, 0), kNoPosition);
  ASSERT_TRUE(np->SetUserData(0));
  EXPECT_EQ(panel_.SetNowPlayingMedia(media, 0), Win::E_FAIL);  // kept while another page shows
  panel_.Final();
  EXPECT_NE(ReadAll(NowPlayingStateFile()).find(media->GetPath()), std::string::npos);

  LP next;
  next.SetLibraryManager(store_.get());
  ASSERT_TRUE(next.CreatePanel(host_.GetSafeHwnd(), Win::Rect{0, 0, 800, 600}, 101));
  ASSERT_EQ(next.Refresh("200000"), 0);
  LP::ListCtrl* list = next.GetListCtrl(LP::LIST_NOWPLAYING);
  EXPECT_EQ(next.SetNowPlayingMedia(nullptr, kNoPosition), 0);
  EXPECT_EQ(NowPlayingMark(list), (std::pair<int, int>{0, 2}));  // paused, as it was left
  TYX_MediaPtr reopened;
  ASSERT_TRUE(next.GetNowPlayList()->GetLastPlayState(&reopened, nullptr));
  ASSERT_NE(reopened, nullptr);
  EXPECT_EQ(reopened->GetPath(), media->GetPath());
}

TEST_F(NowPlayingStateTest, StartedFromCreationToFinal) {
  EXPECT_EQ(panel_.IsStarted(), 1);
  // The host names the song being synchronised through the panel itself.
  panel_.SetCurrentSyncFile("/음악/동기화 중.mp3");
  EXPECT_EQ(panel_.Transfer().GetCurrentSyncFile(), "/음악/동기화 중.mp3");
  LP unborn;
  EXPECT_EQ(unborn.IsStarted(), 0);
  panel_.Final();
  EXPECT_EQ(panel_.IsStarted(), 0);
}

TEST_F(NowPlayingStateTest, TheDropTargetReachesTheLibraryListBeforeOrAfterCreation) {
  Win::Window target;
  ASSERT_TRUE(target.Create(nullptr, Win::Rect{0, 0, 10, 10}, Win::WS_POPUP));
  panel_.SetDropTargetWnd(target.GetSafeHwnd());
  EXPECT_EQ(List(LP::LIST_LIBRARY)->GetDropTargetWnd(), target.GetSafeHwnd());
  EXPECT_EQ(List(LP::LIST_NOWPLAYING)->GetDropTargetWnd(), nullptr);

  LP early;
  early.SetLibraryManager(store_.get());
  early.SetDropTargetWnd(target.GetSafeHwnd());
  ASSERT_TRUE(early.CreatePanel(host_.GetSafeHwnd(), Win::Rect{0, 0, 800, 600}, 102));
  EXPECT_EQ(early.GetListCtrl(LP::LIST_LIBRARY)->GetDropTargetWnd(), target.GetSafeHwnd());
}

TEST_F(NowPlayingStateTest, ReloadNeedsTheSkinAndReadsTheListColourAgain) {
  const bool hadSkin = Util::TYX_Skin::IsLoaded();
  Util::TYX_Skin::Unload();
  EXPECT_EQ(panel_.Reload(), Win::E_FAIL);
  ASSERT_NE(Util::TYX_Skin::LoadTable("test", {}, {{LP::kSkinColorList, 0x123456, "list"}}), nullptr);
  EXPECT_EQ(panel_.Reload(), 0);
  EXPECT_EQ(panel_.GetListSkinColor(), 0x123456u);
  ASSERT_NE(Util::TYX_Skin::LoadTable("test", {}, {{LP::kSkinColorList, 0x654321, "list"}}), nullptr);
  EXPECT_EQ(panel_.Reload(), 0);
  EXPECT_EQ(panel_.GetListSkinColor(), 0x654321u);
  if (hadSkin) {
    Util::TYX_Skin::LoadDefault();
  } else {
    Util::TYX_Skin::Unload();
  }
}

}  // namespace
}  // namespace TYX::Library::Test
