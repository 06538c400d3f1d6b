// The sync list during a transfer: a song's report code moves its stored state and its row's
// "진행상태" cell; reports of songs that are not on the list change nothing; the two sync messages the
// panel answers do nothing.
#include <string>

#include "library/library_panel_fixture.h"
#include "library/panel_columns.h"
#include "library/panel_commands.h"
#include "library/panel_transfer.h"
#include "platform/messaging.h"

namespace TYX::Library::Test {
namespace {

using LP = TYX_LibraryPanel;

class SyncStateTest : public PanelTest {
 protected:
  // A song on the sync list; its index.
  std::uint32_t AddToSyncList(const std::string& name, const std::string& title) {
    const std::uint32_t index = AddSong(name, title);
    EXPECT_NE(Playlist(STOCK_PLAYLIST_SYNC)->InsertItem(index, 0), kNoPosition);
    return index;
  }
  void ShowSyncList() {
    ASSERT_EQ(panel_.Refresh("700000"), 0);
    Win::PumpMessages();
  }
  // Sends the report as the host passes it on: the path lives during the send.
  Win::LRESULT Report(int code, const std::string& path) {
    return panel_.SendMessage(WM_LIBRARY_SYNC_TRANSFER_STATE, static_cast<Win::WPARAM>(static_cast<std::intptr_t>(code)),
                              Win::RecordToLParam(&path));
  }
  int RowOf(const std::string& title) {
    auto* list = List(LP::LIST_SYNC);
    for (int row = 0; row < Rows(list); ++row) {
      if (Text(list, row, SyncColumn::kTitle) == title) return row;
    }
    ADD_FAILURE() << title;
    return -1;
  }
  Win::UINT ProgressFlags(const std::string& title) { return Flags(List(LP::LIST_SYNC), RowOf(title), SyncColumn::kProgress); }
};

TEST_F(SyncStateTest, AReportMovesTheStoredStateAndTheRowsCell) {
  AddToSyncList("a.mp3", "A");
  const std::uint32_t b = AddToSyncList("b.mp3", "B");
  ShowSyncList();
  auto* list = List(LP::LIST_SYNC);
  ASSERT_EQ(Rows(list), 2);
  list->UpdateWindow();
  const int paintsBefore = list->PaintCount();

  EXPECT_EQ(Report(101, SongPath("b.mp3")), 1);
  EXPECT_EQ(Item(b)->GetTransferState(), 104u) << "the code + 3 is stored";
  EXPECT_EQ(ProgressFlags("B"), 101u);
  EXPECT_TRUE(IsText(list, RowOf("B"), SyncColumn::kProgress));
  EXPECT_EQ(Text(list, RowOf("B"), SyncColumn::kProgress), "");
  EXPECT_EQ(ProgressFlags("A"), static_cast<Win::UINT>(0xFFFD)) << "the other row keeps \"never sent\" (-3)";
  EXPECT_GT(list->PaintCount(), paintsBefore) << "the cell is redrawn at once";
  EXPECT_FALSE(list->IsPaintPending());

  // The same report again changes nothing.
  const int paintsAfter = list->PaintCount();
  EXPECT_EQ(Report(101, SongPath("b.mp3")), 0);
  EXPECT_EQ(list->PaintCount(), paintsAfter);

  // A failure and a cancel: negative codes travel as their 16-bit form in the cell and read back whole.
  EXPECT_EQ(Report(-2, SongPath("b.mp3")), 1);
  EXPECT_EQ(Item(b)->GetTransferState(), 1u);
  EXPECT_EQ(ProgressFlags("B"), static_cast<Win::UINT>(0xFFFE));
  EXPECT_EQ(Report(-10, SongPath("b.mp3")), 1);
  EXPECT_EQ(static_cast<std::int32_t>(Item(b)->GetTransferState()) - 3, -10);
  EXPECT_EQ(ProgressFlags("B"), static_cast<Win::UINT>(0xFFF6));

  // A refill shows what was stored.
  ShowSyncList();
  EXPECT_EQ(ProgressFlags("B"), static_cast<Win::UINT>(0xFFF6));
}

TEST_F(SyncStateTest, ReportsOfSongsOffTheListChangeNothing) {
  const std::uint32_t onList = AddToSyncList("on.mp3", "On");
  const std::uint32_t offList = AddSong("off.mp3", "Off");
  ShowSyncList();

  EXPECT_EQ(Report(101, SongPath("off.mp3")), 0) << "in the library, not on the sync list";
  EXPECT_EQ(Item(offList)->GetTransferState(), 0u);
  EXPECT_EQ(Report(101, SongPath("unknown.mp3")), 0) << "not in the library";
  EXPECT_EQ(panel_.SendMessage(WM_LIBRARY_SYNC_TRANSFER_STATE, 101, 0), 0) << "no path";
  EXPECT_EQ(Item(onList)->GetTransferState(), 0u);
  EXPECT_EQ(ProgressFlags("On"), static_cast<Win::UINT>(0xFFFD));
}

TEST_F(SyncStateTest, TheStateIsStoredWhileAnotherPageIsShown) {
  const std::uint32_t song = AddToSyncList("s.mp3", "S");
  ASSERT_EQ(panel_.Refresh("000000"), 0);
  EXPECT_EQ(Report(50, SongPath("s.mp3")), 1);
  EXPECT_EQ(Item(song)->GetTransferState(), 53u);
  ShowSyncList();
  EXPECT_EQ(ProgressFlags("S"), 50u);
}

TEST_F(SyncStateTest, TheTwoSyncMessagesDoNothing) {
  const std::uint32_t song = AddToSyncList("s.mp3", "S");
  ShowSyncList();
  const int rows = Rows(List(LP::LIST_SYNC));
  EXPECT_EQ(panel_.SendMessage(WM_LIBRARY_SYNC_SET_INDEX, 1, 2), 0);
  EXPECT_EQ(panel_.SendMessage(WM_LIBRARY_SYNC_MODEL_CHANGE, 3, 4), 0);
  EXPECT_EQ(Rows(List(LP::LIST_SYNC)), rows);
  EXPECT_EQ(Item(song)->GetTransferState(), 0u);
  EXPECT_EQ(Playlist(STOCK_PLAYLIST_SYNC)->CountItem(), 1u);
}

}  // namespace
}  // namespace TYX::Library::Test
