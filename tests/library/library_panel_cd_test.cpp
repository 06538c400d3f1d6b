// The CD list over a scripted drive: track rows, the wait for a drive that spins up (on the manual
// clock), and a category change while waiting.
#include <functional>

#include "components/audio/audio_error.h"
#include "components/audio/cd_drive.h"
#include "library/library_panel_fixture.h"
#include "helpers/manual_clock_guard.h"
#include "toolkit/list_text.h"

namespace TYX::Library::Test {
namespace {

using LP = TYX_LibraryPanel;

// A drive that fails a given number of track-count reads with an error code, then answers. Every
// read lets the manual clock move on, as a real drive takes its time.
class ScriptedCD : public Audio::TYX_AudioCD {
 public:
  std::vector<std::int64_t> lengths;  // bytes per track
  int failures = 0;                   // track-count reads that fail before the disc answers
  int failureCode = 1;                // the error reported with a failure (0: none)
  std::function<void()> onFailedRead;
  int countReads = 0;
  int lastError = 0;

  int DriveCount() override { return 1; }
  std::string DriveName(int drive) override { return drive == 0 ? "scripted" : std::string(); }
  int TrackCount(int drive) override {
    ++countReads;
    if (drive != 0 || failures > 0) {
      if (failures > 0) --failures;
      lastError = failureCode;
      if (onFailedRead) onFailedRead();
      return -1;
    }
    lastError = 0;
    return static_cast<int>(lengths.size());
  }
  std::int64_t TrackLength(int drive, int track) override {
    if (drive != 0 || track < 0 || track >= static_cast<int>(lengths.size())) return -1;
    return lengths[static_cast<std::size_t>(track)];
  }
  bool Door(int, int) override { return true; }
  bool DoorIsOpen(int) override { return false; }
  bool DoorIsLocked(int) override { return false; }
  std::unique_ptr<Audio::TYX_PcmSource> OpenTrack(int, int) override { return nullptr; }
  int LastError() override { return lastError; }
};

class CdPanelTest : public PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    cd_ = std::make_shared<ScriptedCD>();
    Audio::SetAudioCD(cd_);
  }
  void TearDown() override { Audio::SetAudioCD(nullptr); }

  std::shared_ptr<ScriptedCD> cd_;
};

TEST_F(CdPanelTest, TracksBecomeRowsOfFortyFourBytes) {
  cd_->lengths = {176400 * 75, 176400 * 3601 + 5, 176400 * 2};
  ASSERT_EQ(panel_.Refresh("300001"), 0);
  EXPECT_EQ(panel_.GetCurrentListType(), TYX_BandWnd::kAudioCd);
  LP::ListCtrl* list = List(LP::LIST_CD);
  ASSERT_EQ(panel_.GetCurrentListCtrl(), list);
  ASSERT_EQ(Rows(list), 3);
  EXPECT_EQ(Number(list, 0, 1), 1u);
  EXPECT_EQ(Number(list, 2, 1), 3u);
  EXPECT_EQ(Text(list, 0, 2), "Track01.cda");
  EXPECT_EQ(Text(list, 0, 5), "1:15");
  EXPECT_EQ(Text(list, 1, 5), "60:01");
  EXPECT_EQ(Number(list, 0, 6), 1u);
  EXPECT_FALSE(IsText(list, 0, 3));
  EXPECT_EQ(Text(list, 0, 3), "");
  EXPECT_EQ(Text(list, 0, 4), "");

  // Each row is keyed by its track's position in the CD-track playlist.
  TYX_Playlist* tracks = Playlist(STOCK_PLAYLIST_CDTRACK);
  ASSERT_EQ(tracks->CountItem(), 3u);
  for (int row = 0; row < 3; ++row) {
    TYX_LibraryItem* item = tracks->GetItem_LibraryItem(Key(list, row));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetFileSize(), 44u);
    EXPECT_EQ(item->GetBitRate(), 1411200u);
    EXPECT_EQ(item->GetSampleRate(), 44100u);
    EXPECT_EQ(item->GetKind(), kItemKindCDTrack);
  }
  EXPECT_EQ(tracks->GetItem_LibraryItem(Key(list, 1))->GetDuration(), 3601u);
  EXPECT_EQ(panel_.GetTotalFileSize(), 3u * 44u);
  std::vector<std::uint32_t> indexes;
  std::uint64_t total = 0;
  ASSERT_EQ(panel_.GetSelectedMediaLibIndex(indexes, &total, 1), 0);
  EXPECT_EQ(indexes.size(), 3u);
  EXPECT_EQ(total, 132u);
  EXPECT_EQ(panel_.GetRowMediaLibIndex(2), tracks->GetItem(Key(list, 2)));
  // As the current playlist the CD list answers with the library, whose songs its tracks are.
  EXPECT_EQ(panel_.GetCurrentPlaylist(), Playlist(STOCK_PLAYLIST_LIBRARY));

  // The same disc again reuses its songs and positions.
  ASSERT_EQ(panel_.Refresh("300001"), 0);
  EXPECT_EQ(Rows(list), 3);
  EXPECT_EQ(tracks->CountItem(), 3u);
}

TEST_F(CdPanelTest, CdScreenAsAPersonReadsIt) {
  cd_->lengths = {176400 * 75, 176400 * 9};
  ASSERT_EQ(panel_.Refresh("300001"), 0);
  EXPECT_EQ(Controls::RenderListAsText(*List(LP::LIST_CD)),
            " | 정렬 | 곡명 | 아티스트 | 앨범 | 시간 | 종류\n"
            "[ ] | 1 | Track01.cda |  |  | 1:15 | icon 1\n"
            "[ ] | 2 | Track02.cda |  |  | 0:09 | icon 1\n");
}

TEST_F(CdPanelTest, ShortFirstTrackGivesAnEmptyList) {
  cd_->lengths = {9, 176400 * 60};
  ASSERT_EQ(panel_.Refresh("300001"), 0);
  EXPECT_EQ(Rows(List(LP::LIST_CD)), 0);
  EXPECT_EQ(panel_.GetTotalFileSize(), 0u);
  // A short track later on ends the list there.
  cd_->lengths = {176400 * 60, 3, 176400 * 60};
  ASSERT_EQ(panel_.Refresh("300001"), 0);
  EXPECT_EQ(Rows(List(LP::LIST_CD)), 1);
}

TEST_F(CdPanelTest, SpinningDriveIsWaitedForWhileTheClockMoves) {
  TYX::Test::ManualClockGuard clock;
  cd_->lengths = {176400 * 10, 176400 * 20};
  cd_->failures = 3;
  cd_->onFailedRead = [&] { clock.Advance(400); };
  ASSERT_EQ(panel_.Refresh("300001"), 0);
  EXPECT_EQ(cd_->countReads, 4);
  EXPECT_EQ(Rows(List(LP::LIST_CD)), 2);
}

TEST_F(CdPanelTest, SilentDriveIsGivenUpAfterTwoSeconds) {
  TYX::Test::ManualClockGuard clock;
  cd_->lengths = {176400 * 10};
  cd_->failures = 1000;
  cd_->onFailedRead = [&] { clock.Advance(300); };
  ASSERT_EQ(panel_.Refresh("300001"), 0);
  // Reads at 300, 600, ... ms: the one past 2000 ms is the last.
  EXPECT_EQ(cd_->countReads, 8);
  EXPECT_EQ(Rows(List(LP::LIST_CD)), 0);
  EXPECT_EQ(panel_.GetCurrentListType(), TYX_BandWnd::kAudioCd);
}

TEST_F(CdPanelTest, FailureWithoutErrorCodeEndsTheWait) {
  cd_->lengths = {176400 * 10};
  cd_->failures = 1000;
  cd_->failureCode = 0;
  ASSERT_EQ(panel_.Refresh("300001"), 0);
  EXPECT_EQ(cd_->countReads, 1);
  EXPECT_EQ(Rows(List(LP::LIST_CD)), 0);
}

TEST_F(CdPanelTest, CategoryChangeWhileWaitingAbandonsTheFill) {
  TYX::Test::ManualClockGuard clock;
  AddSong("a.mp3", "A");
  cd_->lengths = {176400 * 10};
  cd_->failures = 1000;
  constexpr Win::UINT kSelectLibrary = Win::WM_APP + 77;
  // The host's reaction to a sidebar click, arriving while the panel waits for the drive.
  panel_.OnMessage(kSelectLibrary, [this](Win::WPARAM, Win::LPARAM) {
    panel_.Refresh("000000");
    return Win::LRESULT{0};
  });
  EXPECT_EQ(panel_.AddListItemCD(0), Win::E_FAIL);  // not on the CD list: abandoned at once
  EXPECT_EQ(cd_->countReads, 1);
  bool posted = false;
  cd_->onFailedRead = [&] {
    clock.Advance(100);
    if (!posted) posted = panel_.PostMessage(kSelectLibrary) != 0;
  };
  panel_.Refresh("300001");
  EXPECT_TRUE(posted);
  EXPECT_EQ(panel_.GetCurrentListType(), TYX_BandWnd::kLibrary);
  EXPECT_EQ(Rows(List(LP::LIST_CD)), 0);
  EXPECT_EQ(Rows(List(LP::LIST_LIBRARY)), 1);
  EXPECT_EQ(cd_->countReads, 2);
  EXPECT_EQ(Playlist(STOCK_PLAYLIST_CDTRACK)->CountItem(), 0u);
}

TEST_F(CdPanelTest, AStoreDetachedWhileWaitingIsNotUsed) {
  TYX::Test::ManualClockGuard clock;
  cd_->lengths = {176400 * 10, 176400 * 20};
  cd_->failures = 2;
  constexpr Win::UINT kDetachStore = Win::WM_APP + 78;
  // The host takes the store away (and closes it) while the panel waits for the drive.
  panel_.OnMessage(kDetachStore, [this](Win::WPARAM, Win::LPARAM) {
    panel_.SetLibraryManager(nullptr);
    store_.reset();
    return Win::LRESULT{0};
  });
  bool posted = false;
  cd_->onFailedRead = [&] {
    clock.Advance(100);
    if (!posted) posted = panel_.PostMessage(kDetachStore) != 0;
  };
  EXPECT_EQ(panel_.Refresh("300001"), 0);
  EXPECT_TRUE(posted);
  EXPECT_EQ(panel_.GetLibraryManager(), nullptr);
  // The drive answered, but there is no store to put its tracks in.
  EXPECT_EQ(cd_->countReads, 3);
  EXPECT_EQ(Rows(List(LP::LIST_CD)), 0);
  EXPECT_EQ(panel_.GetTotalFileSize(), 0u);
  EXPECT_EQ(panel_.AddListItemCD(0), Win::E_FAIL);
}

TEST_F(CdPanelTest, GroupNodeNamesNoDrive) {
  cd_->lengths = {176400 * 10};
  ASSERT_EQ(panel_.Refresh("300000"), 0);
  EXPECT_EQ(cd_->countReads, 0);
  EXPECT_EQ(Rows(List(LP::LIST_CD)), 0);
  EXPECT_EQ(panel_.AddListItemCD(-1), Win::E_INVALIDARG);
}

}  // namespace
}  // namespace TYX::Library::Test
