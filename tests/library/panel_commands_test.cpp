// The panel's commands and events as a person and the store cause them: store notifications folded
// by one-shot timers (manual clock), context menus with their greyed items and where the chosen
// command goes, removal, play requests, the requests passed to the host, and the conversion, ripping,
// CD tray and help entry points.
#include <filesystem>
#include <tuple>

#include "components/audio/cd_drive.h"
#include "components/devicemgr/folder_device_client.h"
#include "components/media/taglib_media_factory.h"
#include "convert/media_converting_option_dlg.h"
#include "library/library_panel_fixture.h"
#include "library/panel_commands.h"
#include "helpers/manual_clock_guard.h"
#include "helpers/media_fixtures.h"
#include "helpers/scripted_user_agent.h"
#include "platform/dialog.h"
#include "platform/messaging.h"
#include "platform/os_services.h"
#include "tags/file_id3_edit2_dialog.h"
#include "tags/file_id3_edit_dialog.h"
#include "tags/file_property_dialog.h"
#include "toolkit/check_box.h"
#include "toolkit/edit.h"
#include "toolkit/contents_footer.h"
#include "toolkit/list_types.h"

namespace TYX::Library::Test {
namespace {

using LP = TYX_LibraryPanel;

// A drive whose tracks and door the test sets; records the door actions asked for.
class FakeCD : public Audio::TYX_AudioCD {
 public:
  std::vector<std::int64_t> lengths;
  bool open = false;
  std::vector<std::pair<int, int>> doorCalls;  // drive, action

  int DriveCount() override { return 1; }
  std::string DriveName(int drive) override { return drive == 0 ? "fake" : std::string(); }
  int TrackCount(int drive) override { return drive == 0 ? static_cast<int>(lengths.size()) : -1; }
  std::int64_t TrackLength(int drive, int track) override {
    if (drive != 0 || track < 0 || track >= static_cast<int>(lengths.size())) return -1;
    return lengths[static_cast<std::size_t>(track)];
  }
  bool Door(int drive, int action) override {
    doorCalls.emplace_back(drive, action);
    open = action == Audio::BASS_CD_DOOR_OPEN;
    return true;
  }
  bool DoorIsOpen(int) override { return open; }
  bool DoorIsLocked(int) override { return false; }
  std::unique_ptr<Audio::TYX_PcmSource> OpenTrack(int, int) override { return nullptr; }
  int LastError() override { return 0; }
};

struct HostMessage {
  Win::UINT msg;
  Win::WPARAM wParam;
  Win::LPARAM lParam;
};

class CommandsTest : public PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    for (Win::UINT msg : {WM_LIBRARY_PLAY_SELECTION, WM_LIBRARY_HAS_SELECTION, WM_LIBRARY_TRACK_POPUP,
                          WM_LIBRARY_FILE_DRAG, WM_LIBRARY_SHOW_LYRICS}) {
      host_.OnMessage(msg, [this, msg](Win::WPARAM w, Win::LPARAM l) {
        hostMessages_.push_back({msg, w, l});
        return Win::LRESULT{hostAnswer_};
      });
    }
    for (Win::UINT command : {kCmdMainAddFiles, kCmdMainAddFolder}) {
      host_.OnCommand(command, [this, command] { mainCommands_.push_back(command); });
    }
    panel_.SetMainWnd(host_.GetSafeHwnd());
    ASSERT_TRUE(band_.Create(host_.GetSafeHwnd(), Win::Rect{0, 0, 150, 400}, Win::WS_CHILD, 200));
    for (const char* page : kPages) band_.AddItem(1, nullptr, 0, page, page);
    panel_.SetLibraryTreeCtrl(&band_);
    cd_ = std::make_shared<FakeCD>();
    Audio::SetAudioCD(cd_);
  }
  void TearDown() override {
    Audio::SetAudioCD(nullptr);
    InstallDeviceMgrClient(nullptr);
    Win::PumpMessages();
  }

  // Selects the page in the sidebar and shows it, as the host does on a sidebar click.
  void ShowPage(const std::string& page) {
    for (int i = 0; i < static_cast<int>(std::size(kPages)); ++i) {
      if (page == kPages[i]) band_.SetSelectBandItem(i, -1, false);
    }
    ASSERT_EQ(band_.GetSelectedPageID(), page);
    ASSERT_EQ(panel_.Refresh(page), 0);
    Win::PumpMessages();
  }

  // A phone of the given type (1 music mode, 4 ring-tone mode) plugged in through a folder device.
  void PlugPhone(int type = 1, bool bluetooth = false) {
    auto client = std::make_shared<DeviceMgr::TYX_FolderDeviceClient>();
    DeviceMgr::DeviceProfile profile;
    profile.model = "SPH-TEST";
    profile.kind = 2;
    profile.type = static_cast<DEVICETYPE>(type);
    profile.bluetooth = bluetooth;
    const std::string root = dir_.File("phone");
    std::filesystem::create_directories(root);
    ASSERT_EQ(DeviceMgr::WriteDeviceProfile(root, profile), "");
    const auto connected = client->Connect(root);
    ASSERT_TRUE(connected.ok());
    phone_ = client;
    phoneId_ = connected.id;
    InstallDeviceMgrClient(client);
  }

  std::vector<HostMessage> HostMessages(Win::UINT msg) const {
    std::vector<HostMessage> out;
    for (const HostMessage& m : hostMessages_) {
      if (m.msg == msg) out.push_back(m);
    }
    return out;
  }
  const TYX::Test::Prompt* LastMenu() {
    for (auto it = agent_->Prompts().rbegin(); it != agent_->Prompts().rend(); ++it) {
      if (it->kind == TYX::Test::Prompt::Kind::Menu) return &*it;
    }
    return nullptr;
  }
  // The menu's items as "text" or "text(grey)", in order.
  static std::vector<std::string> Items(const TYX::Test::Prompt* prompt) {
    std::vector<std::string> out;
    if (prompt == nullptr) return out;
    for (const Win::MenuItem& item : prompt->menuItems) out.push_back(item.text + (item.grayed ? "(grey)" : ""));
    return out;
  }
  void Command(Win::UINT id) { panel_.SendMessage(Win::WM_COMMAND, Win::MAKEWPARAM(id, 0), 0); }
  void MissingFile(const std::string& name, std::uint32_t index) {
    std::filesystem::remove(SongPath(name));
    ASSERT_FALSE(Item(index)->CheckFileExist());
  }

  static constexpr const char* kPages[] = {"000000", "200000", "800000", "300001", "700000", "900000", "100001", "600000"};

  TYX::Test::ManualClockGuard clock_;
  TYX::Test::ScopedUserAgent agent_;
  TYX_BandWnd band_;
  std::shared_ptr<FakeCD> cd_;
  std::shared_ptr<DeviceMgr::TYX_FolderDeviceClient> phone_;
  unsigned phoneId_ = DM_NO_DEVICE;
  std::vector<HostMessage> hostMessages_;
  std::vector<Win::UINT> mainCommands_;
  Win::LRESULT hostAnswer_ = 0;
};


// ---- Store notifications and their timers ------------------------------------------------------------

TEST_F(CommandsTest, NowPlayingBurstRefreshesOnceAfterTheLastNotice) {
  const std::uint32_t a = AddSong("a.mp3", "A"), b = AddSong("b.mp3", "B"), c = AddSong("c.mp3", "C");
  ShowPage("200000");
  ASSERT_TRUE(panel_.Commands().ListenToStore());
  TYX_Playlist* np = Playlist(STOCK_PLAYLIST_NOWPLAYING);
  LP::ListCtrl* list = List(LP::LIST_NOWPLAYING);
  barMessages_.clear();

  np->InsertItem(a, 0);
  Win::PumpMessages();
  clock_.Advance(60);
  np->InsertItem(b, 0);
  np->InsertItem(c, 0);
  Win::PumpMessages();
  clock_.Advance(40);  // 100 ms after the first notice, 40 after the last: the timer was restarted
  Win::PumpMessages();
  EXPECT_EQ(Rows(list), 0);
  EXPECT_TRUE(barMessages_.empty());

  clock_.Advance(60);
  Win::PumpMessages();
  EXPECT_EQ(Rows(list), 3);
  EXPECT_EQ(barMessages_.size(), 1u) << "one refresh for the burst";
  clock_.Advance(1000);
  Win::PumpMessages();
  EXPECT_EQ(barMessages_.size(), 1u) << "the timer is a one-shot";
}

TEST_F(CommandsTest, PlayListNoticesRefreshOnlyTheirOwnListWhenShown) {
  const std::uint32_t a = AddSong("a.mp3");
  ShowPage("000000");
  ASSERT_TRUE(panel_.Commands().ListenToStore());
  barMessages_.clear();
  Playlist(STOCK_PLAYLIST_NOWPLAYING)->InsertItem(a, 0);
  Playlist(STOCK_PLAYLIST_OLDNOWPLAYING)->InsertItem(a, 0);
  Win::PumpMessages();
  clock_.Advance(500);
  Win::PumpMessages();
  EXPECT_EQ(panel_.GetCurrentListType(), kLibrary);
  EXPECT_EQ(Rows(List(LP::LIST_NOWPLAYING)), 0);
  EXPECT_TRUE(barMessages_.empty());

  ShowPage("800000");
  ASSERT_EQ(Rows(List(LP::LIST_OLDNOWPLAYING)), 1);
  const std::uint32_t b = AddSong("b.mp3");
  Win::PumpMessages();
  Playlist(STOCK_PLAYLIST_OLDNOWPLAYING)->InsertItem(b, 0);
  Win::PumpMessages();
  clock_.Advance(100);
  Win::PumpMessages();
  EXPECT_EQ(Rows(List(LP::LIST_OLDNOWPLAYING)), 2);
}

TEST_F(CommandsTest, OnlyAddedAndRemovedEventsStartATimer) {
  ShowPage("200000");
  for (Win::WPARAM event : {1u, 2u, 5u, 6u, 7u}) {
    panel_.SendMessage(WM_LIBRARY_NOTIFY_LIBRARY, event, 0);
    panel_.SendMessage(WM_LIBRARY_NOTIFY_SYNC, event, 0);
    EXPECT_EQ(panel_.Commands().GetRefreshTimerId(), 0u) << event;
    panel_.SendMessage(WM_LIBRARY_NOTIFY_NOWPLAYING, event, 0);
  }
  barMessages_.clear();
  clock_.Advance(500);
  Win::PumpMessages();
  EXPECT_TRUE(barMessages_.empty());

  panel_.SendMessage(WM_LIBRARY_NOTIFY_SYNC, LIBRARY_EVENT_REMOVED, 0);
  EXPECT_EQ(panel_.Commands().GetRefreshTimerId(), kTimerLibraryRefresh);
  panel_.SendMessage(WM_LIBRARY_NOTIFY_NOWPLAYING, LIBRARY_EVENT_REMOVED, 0);
  clock_.Advance(100);
  Win::PumpMessages();
  EXPECT_EQ(barMessages_.size(), 1u);
}

TEST_F(CommandsTest, LibraryAndSyncBurstRefillTheSearchOnce) {
  ShowPage("000000");
  ASSERT_TRUE(panel_.Commands().ListenToStore());
  TYX_Library_SearchWnd* search = panel_.GetSearchWnd();
  const int before = search->RebuildCount();
  std::vector<std::uint32_t> songs;
  for (int i = 0; i < 20; ++i) songs.push_back(AddSong("s" + std::to_string(i) + ".mp3", "S", "Artist" + std::to_string(i % 3)));
  for (std::uint32_t s : songs) Playlist(STOCK_PLAYLIST_SYNC)->InsertItem(s, 0);
  Win::PumpMessages();
  clock_.Advance(399);
  Win::PumpMessages();
  EXPECT_EQ(search->RebuildCount(), before);
  EXPECT_NE(panel_.Commands().GetRefreshTimerId(), 0u);
  clock_.Advance(1);
  Win::PumpMessages();
  EXPECT_EQ(search->RebuildCount(), before + 1);
  EXPECT_EQ(panel_.Commands().GetRefreshTimerId(), 0u);
  clock_.Advance(2000);
  Win::PumpMessages();
  EXPECT_EQ(search->RebuildCount(), before + 1);
}

// ---- Context menus ------------------------------------------------------------------------------------

TEST_F(CommandsTest, NowPlayingMenuGreysListenForDimmedRowsAndDeletes) {
  const std::uint32_t a = AddSong("a.mp3"), b = AddSong("b.mp3");
  TYX_Playlist* np = Playlist(STOCK_PLAYLIST_NOWPLAYING);
  np->InsertItem(a, 0);
  np->InsertItem(b, 0);
  ASSERT_TRUE(Item(b)->SetMark(7));
  MissingFile("a.mp3", a);
  ShowPage("200000");
  LP::ListCtrl* list = List(LP::LIST_NOWPLAYING);
  ASSERT_EQ(Status(list, 0), LP::kRowStatusMissing);

  agent_->ExpectMenu(0);
  ASSERT_TRUE(list->RightClick(0, 1));
  EXPECT_EQ(Items(LastMenu()), (std::vector<std::string>{"듣기(grey)", "삭제"}));

  agent_->ExpectMenu(kCmdFileDelete);
  Select(list, 1);
  ASSERT_TRUE(list->RightClick(1, 1));
  EXPECT_EQ(Items(LastMenu()), (std::vector<std::string>{"듣기", "삭제"}));
  EXPECT_EQ(np->CountItem(), 2u) << "the command is posted, not run inside the menu";
  Win::PumpMessages();
  EXPECT_EQ(np->CountItem(), 0u);
  EXPECT_EQ(Playlist(STOCK_PLAYLIST_LIBRARY)->CountItem(), 2u) << "the songs stay in the library";
  EXPECT_EQ(Item(b)->GetNumber(ItemNumber::Mark), 0u);
  EXPECT_EQ(Rows(list), 0);
  EXPECT_TRUE(HostMessages(WM_LIBRARY_TRACK_POPUP).empty());
}

TEST_F(CommandsTest, MenusWithoutSelectionOfferAddingThroughTheMainWindow) {
  ShowPage("200000");
  agent_->ExpectMenu(kCmdMenuAddFolder);
  ASSERT_TRUE(List(LP::LIST_NOWPLAYING)->RightClick(-1, 0));
  EXPECT_EQ(Items(LastMenu()), (std::vector<std::string>{"파일추가", "폴더추가"}));
  EXPECT_EQ(mainCommands_, (std::vector<Win::UINT>{kCmdMainAddFolder}));

  ShowPage("700000");
  agent_->ExpectMenu(kCmdMenuAddFiles);
  ASSERT_TRUE(List(LP::LIST_SYNC)->RightClick(-1, 0));
  EXPECT_EQ(Items(LastMenu()), (std::vector<std::string>{"파일추가", "폴더추가"}));
  EXPECT_EQ(mainCommands_, (std::vector<Win::UINT>{kCmdMainAddFolder, kCmdMainAddFiles}));

  agent_->ExpectMenu(kCmdMenuAddFiles);
  Command(kCmdAddMenu);
  EXPECT_EQ(Items(LastMenu()), (std::vector<std::string>{"파일추가", "폴더추가"}));
  EXPECT_EQ(mainCommands_.size(), 3u);
  EXPECT_TRUE(agent_->AllAnswersUsed());
}

TEST_F(CommandsTest, TransferredSongsMenuGreysSendWithoutAPhone) {
  const std::uint32_t a = AddSong("a.mp3"), b = AddSong("b.mp3");
  Playlist(STOCK_PLAYLIST_TRANSFERRED)->InsertItem(a, 0);
  Playlist(STOCK_PLAYLIST_TRANSFERRED)->InsertItem(b, 0);
  MissingFile("b.mp3", b);
  ShowPage("900000");
  LP::ListCtrl* list = List(LP::LIST_WEBDOWNLOAD);

  // Nothing selected: an empty menu, which shows nothing and is not passed on.
  ASSERT_TRUE(list->RightClick(-1, 0));
  Win::PumpMessages();
  EXPECT_EQ(LastMenu(), nullptr);
  EXPECT_TRUE(HostMessages(WM_LIBRARY_TRACK_POPUP).empty());

  agent_->ExpectMenu(0);
  ASSERT_TRUE(list->RightClick(0, 2));
  EXPECT_EQ(Items(LastMenu()), (std::vector<std::string>{"듣기", "전송(grey)", "삭제"}));

  PlugPhone();
  EXPECT_EQ(panel_.IsDeviceConnected(), 1);
  agent_->ExpectMenu(0);
  ASSERT_TRUE(list->RightClick(0, 2));
  EXPECT_EQ(Items(LastMenu()), (std::vector<std::string>{"듣기", "전송", "삭제"}));

  agent_->ExpectMenu(0);
  ASSERT_TRUE(list->RightClick(1, 2));  // the missing file alone
  EXPECT_EQ(Items(LastMenu()), (std::vector<std::string>{"듣기(grey)", "전송(grey)", "삭제"}));
}

TEST_F(CommandsTest, ListsWithoutAMenuPassTheRequestToTheHost) {
  AddSong("a.mp3");
  ShowPage("000000");
  ASSERT_TRUE(List(LP::LIST_LIBRARY)->RightClick(0, 3));
  EXPECT_TRUE(HostMessages(WM_LIBRARY_TRACK_POPUP).empty()) << "posted, not sent";
  Win::PumpMessages();
  const auto forwarded = HostMessages(WM_LIBRARY_TRACK_POPUP);
  ASSERT_EQ(forwarded.size(), 1u);
  EXPECT_EQ(forwarded[0].wParam, 0u);
  EXPECT_EQ(forwarded[0].lParam, 3);
  EXPECT_EQ(LastMenu(), nullptr);
}

// ---- Removal, delete and listen --------------------------------------------------------------------------

TEST_F(CommandsTest, DeleteKeyRemovesSelectedRowsFromTheHighestPositionDown) {
  std::vector<std::uint32_t> songs;
  for (int i = 0; i < 7; ++i) songs.push_back(AddSong("s" + std::to_string(i) + ".mp3", "S" + std::to_string(i)));
  ShowPage("000000");
  LP::ListCtrl* list = List(LP::LIST_LIBRARY);
  Select(list, 2);
  Select(list, 5);
  ASSERT_TRUE(list->PressDelete());
  TYX_Playlist* library = Playlist(STOCK_PLAYLIST_LIBRARY);
  ASSERT_EQ(library->CountItem(), 5u);
  std::vector<std::uint32_t> left;
  for (std::uint32_t p = 0; p < library->CountItem(); ++p) left.push_back(library->GetItem(p));
  EXPECT_EQ(left, (std::vector<std::uint32_t>{songs[0], songs[1], songs[3], songs[4], songs[6]}));
  EXPECT_EQ(Rows(list), 5);
  EXPECT_EQ(Text(list, 2, 2), "S3");
}

TEST_F(CommandsTest, RemovalFollowsTheSidebarPage) {
  AddSong("a.mp3");
  ShowPage("300001");
  EXPECT_EQ(panel_.RemoveSelectedMedia(), Win::E_FAIL);
  ShowPage("100001");
  EXPECT_EQ(panel_.RemoveSelectedMedia(), 0);
  EXPECT_EQ(panel_.GetCurrentListType(), kSavedList);
  EXPECT_EQ(Playlist(STOCK_PLAYLIST_LIBRARY)->CountItem(), 1u);

  LP lone;
  EXPECT_EQ(lone.RemoveSelectedMedia(), Win::E_INVALIDARG);
}

TEST_F(CommandsTest, RemovingLibrarySongsTellsABluetoothPhoneItsPCListChanged) {
  const std::uint32_t a = AddSong("a.mp3");
  AddSong("b.mp3");
  AddSong("c.mp3");
  Playlist(STOCK_PLAYLIST_NOWPLAYING)->InsertItem(a, 0);
  PlugPhone(1, true);
  ASSERT_EQ(phone_->PCFileListUpdates(phoneId_), 0);

  // Removing from the now-playing list leaves the library as it was: the phone is not told.
  ShowPage("200000");
  Select(List(LP::LIST_NOWPLAYING), 0);
  ASSERT_EQ(panel_.RemoveSelectedMedia(), 0);
  EXPECT_EQ(Playlist(STOCK_PLAYLIST_NOWPLAYING)->CountItem(), 0u);
  EXPECT_EQ(phone_->PCFileListUpdates(phoneId_), 0);

  ShowPage("000000");
  Select(List(LP::LIST_LIBRARY), 1);
  ASSERT_EQ(panel_.RemoveSelectedMedia(), 0);
  EXPECT_EQ(Playlist(STOCK_PLAYLIST_LIBRARY)->CountItem(), 2u);
  EXPECT_EQ(phone_->PCFileListUpdates(phoneId_), 1);
  // The list shows what is left.
  EXPECT_EQ(Rows(List(LP::LIST_LIBRARY)), 2);
}

TEST_F(CommandsTest, TagAndPropertyDialogsOpenForTheLibrarySelection) {
  const std::uint32_t a = AddRealMp3("a.mp3");
  const std::uint32_t b = AddRealMp3("b.mp3");
  ASSERT_TRUE(Item(a)->SetArtist("Old"));
  ASSERT_TRUE(Item(b)->SetArtist("Old"));
  ShowPage("000000");
  LP::ListCtrl* list = List(LP::LIST_LIBRARY);
  ASSERT_EQ(Rows(list), 2);

  // Nothing selected: no dialog.
  EXPECT_EQ(panel_.ShowFilePropertyDlg(), Win::E_FAIL);
  EXPECT_EQ(agent_->ModalCount(), 0);

  // One row: the song's own tag editor and its information dialog.
  Select(list, 0);
  std::string opened;
  agent_->OnNextModal([&](Win::Window& w) {
    if (dynamic_cast<Dialog::TYX_Dialog_FileID3Edit*>(&w) != nullptr) opened = "one";
    if (dynamic_cast<Dialog::TYX_Dialog_FileID3Edit2*>(&w) != nullptr) opened = "many";
    static_cast<Win::Dialog&>(w).EndDialog(Win::IDCANCEL);
  });
  EXPECT_EQ(panel_.ShowFileID3EditDlg(), 0);
  EXPECT_EQ(opened, "one");
  agent_->OnNextModal([&](Win::Window& w) {
    opened = dynamic_cast<Dialog::TYX_Dialog_FileProperty*>(&w) != nullptr ? "property" : "other";
    static_cast<Win::Dialog&>(w).EndDialog(Win::IDCANCEL);
  });
  EXPECT_EQ(panel_.ShowFilePropertyDlg(), 0);
  EXPECT_EQ(opened, "property");

  // Two rows: the batch editor; a change shows in the rows at once. The property dialog is for one
  // song only.
  Select(list, 1);
  EXPECT_EQ(panel_.ShowFilePropertyDlg(), Win::E_FAIL);
  agent_->OnNextModal([&](Win::Window& w) {
    auto* d = dynamic_cast<Dialog::TYX_Dialog_FileID3Edit2*>(&w);
    ASSERT_NE(d, nullptr);
    opened = "many";
    EXPECT_TRUE(d->GetCheckBox(Dialog::TYX_Dialog_FileID3Edit2::kArtist)->Click());
    EXPECT_TRUE(d->GetFieldEdit(Dialog::TYX_Dialog_FileID3Edit2::kArtist)->TypeText("New"));
    EXPECT_TRUE(d->ClickButton(Win::IDOK));
  });
  opened.clear();
  EXPECT_EQ(panel_.ShowFileID3EditDlg(), 0);
  EXPECT_EQ(opened, "many");
  EXPECT_EQ(Text(list, 0, 3), "New");
  EXPECT_EQ(Text(list, 1, 3), "New");
  EXPECT_TRUE(agent_->AllAnswersUsed());

  // Only the library list has these dialogs.
  Playlist(STOCK_PLAYLIST_NOWPLAYING)->InsertItem(a, 0);
  ShowPage("200000");
  Select(List(LP::LIST_NOWPLAYING), 0);
  const int modals = agent_->ModalCount();
  EXPECT_EQ(panel_.ShowFileID3EditDlg(), Win::E_FAIL);
  EXPECT_EQ(panel_.ShowFilePropertyDlg(), Win::E_FAIL);
  EXPECT_EQ(agent_->ModalCount(), modals);
}

TEST_F(CommandsTest, DeleteAndListenWithoutSelectionTellThePerson) {
  const std::uint32_t a = AddSong("a.mp3");
  AddSong("b.mp3");
  MissingFile("a.mp3", a);
  ShowPage("000000");
  agent_->ExpectMessageBox(Win::IDOK, false, "선택한 곡이 없습니다.");
  Command(kCmdDeleteButton);  // posts the delete command
  Win::PumpMessages();
  agent_->ExpectMessageBox(Win::IDOK, false, "선택한 곡이 없습니다.");
  Command(kCmdFileListen);
  EXPECT_EQ(Playlist(STOCK_PLAYLIST_LIBRARY)->CountItem(), 2u);

  LP::ListCtrl* list = List(LP::LIST_LIBRARY);
  Select(list, 0);
  agent_->ExpectMessageBox(Win::IDOK, false, "재생할 곡이 삭제되었거나 파일이 손상되었습니다.");
  Command(kCmdFileListen);
  EXPECT_TRUE(HostMessages(WM_LIBRARY_PLAY_SELECTION).empty());
  Select(list, 1);
  Command(kCmdFileListen);
  EXPECT_EQ(HostMessages(WM_LIBRARY_PLAY_SELECTION).size(), 1u);
  EXPECT_TRUE(agent_->AllAnswersUsed());
}

TEST_F(CommandsTest, DoubleClickPlaysAndRingtonesGoToTheTransfer) {
  AddSong("a.mp3");
  ShowPage("000000");
  ASSERT_TRUE(List(LP::LIST_LIBRARY)->DoubleClickRow(0, 2));
  EXPECT_EQ(HostMessages(WM_LIBRARY_PLAY_SELECTION).size(), 1u);

  ShowPage("600000");
  agent_->ExpectMessageBox(Win::IDOK, false, "나만의 벨소리는 파일 하나만 선택하셔야 합니다.");
  panel_.SendMessage(Controls::WM_LISTEX_BTNDBLCLK, 0, 2);
  EXPECT_EQ(HostMessages(WM_LIBRARY_PLAY_SELECTION).size(), 1u);
  EXPECT_TRUE(agent_->AllAnswersUsed());
}

TEST_F(CommandsTest, SendCommandRefusesWithoutSelectionOrDevice) {
  AddSong("a.mp3");
  ShowPage("000000");
  agent_->ExpectMessageBox(Win::IDOK, false, "선택한 곡이 없습니다.");
  Command(kCmdTransferDevice);
  Select(List(LP::LIST_LIBRARY), 0);
  agent_->ExpectMessageBox(Win::IDOK, false, "연결된 기기가 없습니다.");
  Command(kCmdTransferDevice);
  EXPECT_TRUE(agent_->AllAnswersUsed());
  EXPECT_FALSE(panel_.Transfer().IsBusy());
}

TEST_F(CommandsTest, ToNowPlayingAppendsTheSelection) {
  const std::uint32_t a = AddSong("a.mp3"), b = AddSong("b.mp3");
  AddSong("c.mp3");
  ShowPage("000000");
  Select(List(LP::LIST_LIBRARY), 0);
  Select(List(LP::LIST_LIBRARY), 1);
  Command(kCmdToNowPlaying);
  TYX_Playlist* np = Playlist(STOCK_PLAYLIST_NOWPLAYING);
  ASSERT_EQ(np->CountItem(), 2u);
  EXPECT_EQ(np->GetItem(0), a);
  EXPECT_EQ(np->GetItem(1), b);
}

// ---- Play one song ---------------------------------------------------------------------------------------

TEST_F(CommandsTest, PlayOneSongSendsAMediaObjectWithItsLibraryIndex) {
  Media::InstallTagLibMediaFactory();
  const std::string path = dir_.File("music/play.wav");
  std::filesystem::create_directories(dir_.File("music"));
  TYX::Test::SynthOptions options;
  options.seconds = 0.2;
  ASSERT_EQ(TYX::Test::SynthesizeAudio(path, TYX::Test::SynthFormat::WAV, options), "");
  AddSong("a.mp3");
  const std::uint32_t song = store_->GetLibrary()->InsertItem(path, kItemKindFile);
  ASSERT_NE(Playlist(STOCK_PLAYLIST_LIBRARY)->InsertItem(song, 0), kNoPosition);

  std::string sentPath;
  std::uint32_t sentIndex = kNoLibraryIndex;
  host_.OnMessage(WM_LIBRARY_PLAY_ONE_SONG, [&](Win::WPARAM w, Win::LPARAM) {
    const TYX_MediaPtr* media = Win::RecordFromWParam<TYX_MediaPtr>(w);
    sentPath = (*media)->GetPath();
    sentIndex = (*media)->GetLibraryIndex();
    return Win::LRESULT{77};
  });
  EXPECT_EQ(panel_.PlayOneSong(song), Win::E_FAIL) << "the library list is empty";
  ShowPage("000000");
  EXPECT_EQ(panel_.PlayOneSong(song), 77);
  EXPECT_EQ(sentPath, Item(song)->GetPath());
  EXPECT_EQ(sentIndex, song);
  EXPECT_EQ(panel_.PlayOneSong(kNoLibraryIndex), Win::E_INVALIDARG);
  EXPECT_EQ(panel_.PlayOneSong(song + 100), Win::E_FAIL);
}

// ---- Row clicks and the footer --------------------------------------------------------------------------

TEST_F(CommandsTest, RowClickUpdatesTheFooterAndTellsTheHostAboutTheSelection) {
  Contents::TYX_ContentsFooter footer;
  ASSERT_TRUE(footer.CreateFooter(host_.GetSafeHwnd(), Win::Rect{0, 600, 800, 630}, 300));
  panel_.SetFooter(&footer);
  const std::uint32_t a = AddSong("a.mp3"), b = AddSong("b.mp3");
  ASSERT_TRUE(Item(a)->SetFileSize(1000));
  ASSERT_TRUE(Item(b)->SetFileSize(3000));
  ShowPage("000000");  // the toolbar asks for the counts
  EXPECT_EQ(footer.GetRowCount(), 2);
  EXPECT_EQ(footer.GetSelectedCount(), 0);
  EXPECT_EQ(footer.GetListedBytes(), 4000u);

  LP::ListCtrl* list = List(LP::LIST_LIBRARY);
  ASSERT_TRUE(list->ClickRow(1, 2));
  EXPECT_EQ(footer.GetSelectedCount(), 1);
  EXPECT_EQ(footer.GetSelectedBytes(), 3000u);
  ASSERT_FALSE(HostMessages(WM_LIBRARY_HAS_SELECTION).empty());
  EXPECT_EQ(HostMessages(WM_LIBRARY_HAS_SELECTION).back().lParam, 1);

  ASSERT_TRUE(list->ClickColumnHeader(3));
  ASSERT_TRUE(Item(b)->SetFileSize(0));
  list->ClickRow(1, 2);
  EXPECT_EQ(HostMessages(WM_LIBRARY_HAS_SELECTION).back().lParam, 0) << "nothing to send without bytes";
  PlugPhone(4);  // in ring-tone mode a selected row is enough
  list->ClickRow(1, 2);
  EXPECT_EQ(HostMessages(WM_LIBRARY_HAS_SELECTION).back().lParam, 1);
  EXPECT_EQ(footer.GetShowMode(), 0);

  ShowPage("200000");
  EXPECT_EQ(footer.GetShowMode(), 2);
}

// ---- Requests passed to the host ------------------------------------------------------------------------

TEST_F(CommandsTest, DragsGoToTheHostAndDropsDoNothing) {
  AddSong("a.mp3");
  ShowPage("000000");
  LP::ListCtrl* list = List(LP::LIST_LIBRARY);
  Select(list, 0);
  hostAnswer_ = 5;
  Win::LRESULT result = 0;
  ASSERT_TRUE(list->DragFilesOut(&result));
  EXPECT_EQ(result, 5);
  ASSERT_EQ(HostMessages(WM_LIBRARY_FILE_DRAG).size(), 1u);
  EXPECT_EQ(HostMessages(WM_LIBRARY_FILE_DRAG)[0].wParam, 1u);

  hostMessages_.clear();
  const std::string other = dir_.Write("music/new.mp3", "not audio");
  ASSERT_TRUE(list->DropFiles({other}, 0, &result));
  EXPECT_EQ(result, 0);
  Win::PumpMessages();
  EXPECT_EQ(Playlist(STOCK_PLAYLIST_LIBRARY)->CountItem(), 1u);
  EXPECT_TRUE(hostMessages_.empty());
}

TEST_F(CommandsTest, ParentRequestsFailWithoutAParent) {
  EXPECT_EQ(panel_.SendMessageToParent(WM_LIBRARY_PLAY_SELECTION, 0, 0), 0);
  LP lone;
  EXPECT_EQ(lone.SendMessageToParent(WM_LIBRARY_PLAY_SELECTION, 0, 0), Win::E_FAIL);
  EXPECT_EQ(lone.PostMessageToParent(WM_LIBRARY_PLAY_SELECTION, 0, 0), Win::E_FAIL);
  ASSERT_TRUE(lone.CreatePanel(nullptr, Win::Rect{0, 0, 400, 300}, 0));
  EXPECT_EQ(lone.SendMessageToParent(WM_LIBRARY_PLAY_SELECTION, 0, 0), Win::E_FAIL);
}

TEST_F(CommandsTest, LyricsOfAStoreSongAreTheHostsByItsSongNumber) {
  const std::uint32_t a = AddSong("a.mp3"), b = AddSong("b.mp3");
  for (std::uint32_t s : {a, b}) {
    ASSERT_TRUE(Item(s)->SetSourceCode(kSourceCodeStore));
    ASSERT_TRUE(Item(s)->SetNumber(ItemNumber::LyricFlags, kLyricFileLrc));
    Playlist(STOCK_PLAYLIST_NOWPLAYING)->InsertItem(s, 0);
  }
  ASSERT_TRUE(Item(a)->SetText(ItemText::SongId, "12345"));
  ASSERT_TRUE(Item(b)->SetText(ItemText::SongId, "not-a-number"));
  ShowPage("200000");
  LP::ListCtrl* list = List(LP::LIST_NOWPLAYING);
  ASSERT_EQ(list->GetColTypeFromColIndex(5), kColTypeLyrics);
  ASSERT_TRUE(list->ClickImage(0, 5));
  Win::PumpMessages();
  auto posted = HostMessages(WM_LIBRARY_SHOW_LYRICS);
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].wParam, 3u);
  EXPECT_EQ(posted[0].lParam, 12345);
  EXPECT_EQ(panel_.ShowLyricsPopupDlg(1), Win::E_INVALIDARG);
  EXPECT_EQ(panel_.ShowLyricsPopupDlg(2), Win::E_FAIL);
  Win::PumpMessages();
  EXPECT_EQ(HostMessages(WM_LIBRARY_SHOW_LYRICS).size(), 1u);
}

TEST_F(CommandsTest, LyricsOfALocalSongGoToTheLyricsViewFromTheLyricsColumnOnly) {
  const std::uint32_t a = AddRealMp3("a.mp3");
  ASSERT_TRUE(Item(a)->SetNumber(ItemNumber::LyricFlags, kLyricTag));
  Playlist(STOCK_PLAYLIST_NOWPLAYING)->InsertItem(a, 0);
  ShowPage("200000");
  LP::ListCtrl* list = List(LP::LIST_NOWPLAYING);
  ASSERT_EQ(Number(list, 0, 5), 2u);

  // The type icon is no lyrics column: nothing opens.
  ASSERT_TRUE(list->ClickImage(0, 6));
  Win::PumpMessages();
  EXPECT_TRUE(agent_->Prompts().empty());
  // The lyrics column opens the lyrics view of the song's file; this file holds none, which the
  // person is told. Nothing goes to the host.
  agent_->ExpectMessageBox(Win::IDOK, false, "가사가 존재하지 않습니다.");
  ASSERT_TRUE(list->ClickImage(0, 5));
  Win::PumpMessages();
  EXPECT_TRUE(HostMessages(WM_LIBRARY_SHOW_LYRICS).empty());

  // Without a row the library list's form needs exactly one selected row.
  ShowPage("000000");
  EXPECT_EQ(panel_.ShowLyricsPopupDlg(), Win::E_FAIL);
  Select(List(LP::LIST_LIBRARY), 0);
  agent_->ExpectMessageBox(Win::IDOK, false, "가사가 존재하지 않습니다.");
  EXPECT_EQ(panel_.ShowLyricsPopupDlg(), 0);
  EXPECT_TRUE(agent_->AllAnswersUsed());
  EXPECT_EQ(agent_->Prompts().size(), 2u);
}

// ---- Conversion, ripping, CD tray, help -----------------------------------------------------------------

TEST_F(CommandsTest, ConversionOpensForSelectedLibrarySongsOnly) {
  AddSong("a.mp3");
  ShowPage("000000");
  panel_.SendMessage(WM_LIBRARY_MEDIA_CONVERTING, 0, 0);
  EXPECT_EQ(agent_->ModalCount(), 0) << "nothing selected";
  Select(List(LP::LIST_LIBRARY), 0);
  agent_->OnNextModal([](Win::Window& dialog) { dynamic_cast<Win::Dialog&>(dialog).EndDialog(Win::IDCANCEL); });
  panel_.SendMessage(WM_LIBRARY_MEDIA_CONVERTING, 0, 0);
  EXPECT_EQ(agent_->ModalCount(), 1);

  Playlist(STOCK_PLAYLIST_NOWPLAYING)->InsertItem(Playlist(STOCK_PLAYLIST_LIBRARY)->GetItem(0), 0);
  ShowPage("200000");
  Select(List(LP::LIST_NOWPLAYING), 0);
  panel_.SendMessage(WM_LIBRARY_MEDIA_CONVERTING, 0, 0);
  EXPECT_EQ(agent_->ModalCount(), 1) << "not from the now-playing list";
}

TEST_F(CommandsTest, ConvertedSongsGoToThePhoneWhenTheOptionDialogAskedForIt) {
  AddRealMp3("keep.mp3");
  AddRealMp3("tune.mp3");
  ShowPage("000000");
  LP::ListCtrl* list = List(LP::LIST_LIBRARY);
  ASSERT_EQ(Rows(list), 2);
  for (const bool tick : {false, true}) {
    SCOPED_TRACE(tick);
    const int before = Rows(list);
    std::vector<int> earlier;
    list->GetSelectedRows(earlier);
    for (int row : earlier) Select(list, row, false);
    Select(list, 1);
    agent_->OnNextModal([&](Win::Window& w) {
      auto& option = static_cast<Dialog::TYX_MediaConverting_OptionDlg&>(w);
      auto* box = option.GetControl<Controls::TYX_CheckBox>(Dialog::TYX_MediaConverting_OptionDlg::kTransferCheckId);
      ASSERT_NE(box, nullptr);
      if (tick) {
        EXPECT_TRUE(box->Click());
      }
      EXPECT_TRUE(option.ClickButton(Win::IDOK));
    });
    // No phone is connected: the transfer of the new rows starts and says so.
    if (tick) {
      agent_->ExpectMessageBox(Win::IDOK, false, "연결된 기기가 없습니다. 기기 연결후 다시 시도해 주세요.");
    }
    // MP3 songs are converted to VIA, preset as the host's menu does.
    panel_.SendMessage(WM_LIBRARY_MEDIA_CONVERTING, Dialog::TYX_MediaConverting_OptionDlg::OUTPUT_VIA, 1);
    Win::PumpMessages();
    ASSERT_EQ(Rows(list), before + 1) << "the converted song joined the library list";
    std::vector<int> selected;
    list->GetSelectedRows(selected);
    if (tick) {
      EXPECT_EQ(selected, std::vector<int>{before}) << "the new rows are the ones sent";
    } else {
      EXPECT_TRUE(agent_->Prompts().empty()) << "no transfer was started";
    }
  }
  EXPECT_TRUE(agent_->AllAnswersUsed());
  EXPECT_EQ(agent_->Prompts().size(), 1u);
}

TEST_F(CommandsTest, RippingTakesTheSelectedTracksOrAll) {
  cd_->lengths = {176400 * 3, 176400 * 4};
  ShowPage("300001");
  ASSERT_EQ(Rows(List(LP::LIST_CD)), 2);
  panel_.SendMessage(WM_LIBRARY_CD_RIPPING, 0, 0);
  EXPECT_EQ(agent_->ModalCount(), 0) << "no track selected";
  agent_->OnNextModal([](Win::Window& dialog) { dynamic_cast<Win::Dialog&>(dialog).EndDialog(Win::IDCANCEL); });
  panel_.SendMessage(WM_LIBRARY_CD_RIPPING, 1, 0);
  EXPECT_EQ(agent_->ModalCount(), 1);
  Select(List(LP::LIST_CD), 1);
  agent_->OnNextModal([](Win::Window& dialog) { dynamic_cast<Win::Dialog&>(dialog).EndDialog(Win::IDCANCEL); });
  Command(kCmdCDRipping);
  EXPECT_EQ(agent_->ModalCount(), 2);

  ShowPage("000000");
  panel_.SendMessage(WM_LIBRARY_CD_RIPPING, 1, 0);
  EXPECT_EQ(agent_->ModalCount(), 2) << "only from the CD list";
}

TEST_F(CommandsTest, TrayOpensAndClosesAndADiscChangeRelistsTheCd) {
  cd_->lengths = {176400 * 3};
  ShowPage("300001");
  Command(kCmdCDEject);
  Command(kCmdCDEject);
  EXPECT_EQ(cd_->doorCalls, (std::vector<std::pair<int, int>>{{0, Audio::BASS_CD_DOOR_OPEN}, {0, Audio::BASS_CD_DOOR_CLOSE}}));

  cd_->lengths = {176400 * 3, 176400 * 5, 176400 * 6};
  panel_.SendMessage(WM_LIBRARY_CDROM_INOUT, 0, 0);
  EXPECT_EQ(Rows(List(LP::LIST_CD)), 3);
  // The sidebar still names the CD, but the panel shows the library: a disc change leaves it alone.
  ASSERT_EQ(panel_.Refresh("000000"), 0);
  panel_.SendMessage(WM_LIBRARY_CDROM_INOUT, 0, 0);
  EXPECT_EQ(panel_.GetCurrentListType(), kLibrary);
}

TEST_F(CommandsTest, SyncGuideOpensTheHelpFileBesideTheProgram) {
  Win::Os::ClearOpenRequests();
  Command(kCmdSyncGuide);
  Command(kCmdSyncGuide2);
  const auto requests = Win::Os::GetOpenRequests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].kind, Win::OpenRequest::Kind::HelpFile);
  EXPECT_EQ(std::filesystem::path(requests[0].target).filename(), "syncguide.chm");
  EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::path(requests[0].target).parent_path(),
                                          Win::Os::GetModuleFolder()));
  Win::Os::ClearOpenRequests();
}

}  // namespace
}  // namespace TYX::Library::Test
