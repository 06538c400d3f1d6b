// Sending songs to a folder phone from the panel, as a person does it: the refusals before any dialog,
// the transfer dialog that starts by itself, the report that follows only a transfer that ran, the
// automatic-tagging question, and the sync list's commands and switch.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>

#include "components/devicemgr/device_profile.h"
#include "components/devicemgr/folder_device_client.h"
#include "components/media/taglib_media_factory.h"
#include "contracts/music_identifier.h"
#include "device/device_trans_control.h"
#include "device/dialog_error_report.h"
#include "library/device_trans_dlg.h"
#include "library/device_trans_dlg_melody.h"
#include "library/library_panel_fixture.h"
#include "library/panel_commands.h"
#include "library/panel_layout.h"
#include "library/panel_transfer.h"
#include "helpers/media_fixtures.h"
#include "helpers/scripted_user_agent.h"
#include "platform/messaging.h"
#include "toolkit/check_box.h"
#include "util/file_name.h"
#include "util/init.h"

namespace TYX::Library::Test {
namespace {

namespace fs = std::filesystem;
using LP = TYX_LibraryPanel;
using Report = Dialog::TYX_Dialog_Error_Report;
constexpr auto kWatchdog = std::chrono::seconds(60);

// Holds every copy after its first chunk until released, so a transfer stays running.
class ChunkGate {
 public:
  void OnChunk() {
    std::unique_lock<std::mutex> lk(m_);
    if (!armed_) return;
    held_ = true;
    cv_.notify_all();
    cv_.wait_for(lk, kWatchdog, [this] { return !armed_; });
  }
  void Arm() {
    std::lock_guard<std::mutex> lk(m_);
    armed_ = true;
  }
  bool Held() {
    std::lock_guard<std::mutex> lk(m_);
    return held_;
  }
  void Release() {
    std::lock_guard<std::mutex> lk(m_);
    armed_ = false;
    cv_.notify_all();
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool armed_ = false;
  bool held_ = false;
};

// The identification component the transfer's tagging pass asks: it knows no song, so files go as
// they are.
class NoMatchIdentifier final : public TYX_MusicIdentifier {
 public:
  std::int32_t Initialize() override { return kIdentifyOk; }
  std::int32_t IdentifyFile(const std::string&) override { return kIdentifyOk; }
  std::int32_t GetStatus() const override { return kIdentifyStatusNoMatch; }
  std::string GetStatusText() const override { return "no match"; }
  std::int32_t GetCandidateCount() const override { return 0; }
  std::string GetArtist(std::int32_t) const override { return {}; }
  std::string GetTitle(std::int32_t) const override { return {}; }
  std::string GetAlbum(std::int32_t) const override { return {}; }
  std::string GetGenre(std::int32_t) const override { return {}; }
  std::int32_t GetScore(std::int32_t) const override { return 0; }
  std::string GetId(std::int32_t, CandidateId) const override { return {}; }
  std::int32_t Remember(const std::string&) override { return kIdentifyOk; }
};

// Sets configuration attributes; each test has its own settings file.
class Attributes {
 public:
  void Set(const std::string& name, const std::string& value) { TYX_INIT::Instance()->SetAttribute(name, value); }
  void Remove(const std::string& name) { TYX_INIT::Instance()->RemoveAttribute(name); }
};

class TransferPanelTest : public PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    oldSettings_ = TYX_INIT::Instance()->GetStoreFile();
    TYX_INIT::Instance()->SetStoreFile(dir_.File("settings.ini"));
    Media::InstallTagLibMediaFactory();
    agent_ = std::make_shared<TYX::Test::ScriptedUserAgent>();
    Win::SetUserAgent(agent_);
    for (Win::UINT msg : {WM_LIBRARY_TRANSFER_DONE, WM_LIBRARY_SYNC_ADDED, WM_LIBRARY_SYNC_AUTO_CHANGED,
                          WM_LIBRARY_SONG_INFO_MISSING}) {
      host_.OnMessage(msg, [this, msg](Win::WPARAM, Win::LPARAM) {
        hostMessages_.push_back(msg);
        return Win::LRESULT{0};
      });
    }
    host_.OnMessage(WM_LIBRARY_ASK_AUTO_TRANSFER, [this](Win::WPARAM, Win::LPARAM) { return autoAnswer_; });
    host_.OnCommand(kCmdPlaylistToSyncList, [this] { hostMessages_.push_back(kCmdPlaylistToSyncList); });
    attributes_.Set("AUTOTAGGING-TRANS", "TRUE");
    oldIdentifier_ = TYX_MusicIdentifier::SetFactory(
        [](std::string&) -> std::unique_ptr<TYX_MusicIdentifier> { return std::make_unique<NoMatchIdentifier>(); });
  }
  void TearDown() override {
    TYX_MusicIdentifier::SetFactory(oldIdentifier_);
    gate_.Release();
    InstallDeviceMgrClient(nullptr);
    Win::PumpMessages();
    Win::SetUserAgent(nullptr);
  }
  ~TransferPanelTest() override { TYX_INIT::Instance()->SetStoreFile(oldSettings_); }

  // A phone (type 1 music mode, 4 ring-tone mode) behind a folder device; returns its music folder.
  // nameLimit: the model's longest file name (0: the model gives none).
  std::string PlugPhone(int type = 1, bool bluetooth = false, int nameLimit = 36) {
    DeviceMgr::TYX_FolderDeviceClient::Options options;
    options.chunkSize = 4096;
    client_ = std::make_shared<DeviceMgr::TYX_FolderDeviceClient>(options);
    client_->SetChunkHook([this](unsigned, std::uint64_t) { gate_.OnChunk(); });
    DeviceMgr::DeviceProfile profile;
    profile.model = "SPH-M4650";
    profile.kind = 2;
    profile.type = static_cast<DEVICETYPE>(type);
    profile.maxFileName = nameLimit;
    profile.maxBitrate = 320;
    profile.folder = "\\MUSIC";
    profile.bluetooth = bluetooth;
    const std::string root = dir_.File(bluetooth ? "btphone" : "phone");
    fs::create_directories(root + "/MUSIC");
    EXPECT_EQ(DeviceMgr::WriteDeviceProfile(root, profile), "");
    auto result = client_->Connect(root);
    EXPECT_TRUE(result.ok()) << result.error;
    phone_ = result.id;
    InstallDeviceMgrClient(client_);
    return root + "/MUSIC";
  }
  // A real MP3 in the library.
  std::uint32_t AddMp3(const std::string& name, const std::string& title) {
    const std::uint32_t index = AddRealMp3(name);
    EXPECT_TRUE(Item(index)->SetTitle(title));
    return index;
  }
  void ShowLibrary() {
    ASSERT_EQ(panel_.Refresh("000000"), 0);
    Win::PumpMessages();
  }
  void SelectAll() {
    for (int row = 0; row < Rows(List(LP::LIST_LIBRARY)); ++row) Select(List(LP::LIST_LIBRARY), row);
  }
  int RowOf(const std::string& title) {
    auto* list = List(LP::LIST_LIBRARY);
    for (int row = 0; row < Rows(list); ++row) {
      if (Text(list, row, 2) == title) return row;
    }
    ADD_FAILURE() << title;
    return -1;
  }
  // Expects the transfer dialog to open, and, after it, the report; the report's figures are kept.
  // onReport acts on the report once its figures are read (default: closes it).
  void ExpectTransferThenReport(std::function<void(Report&)> onReport = {}) {
    agent_->OnNextModal([this](Win::Window& w) {
      auto* dlg = dynamic_cast<TYX_DeviceTransDlg*>(&w);
      ASSERT_NE(dlg, nullptr) << "the transfer dialog opens first";
      transferOpened_ = true;
      const auto start = std::chrono::steady_clock::now();
      agent_->SetIdleAction([this, dlg, start](Win::Window&) {
        if (std::chrono::steady_clock::now() - start > kWatchdog && !timedOut_) {
          timedOut_ = true;
          dlg->SendMessage(Win::WM_COMMAND, TYX_DeviceTransDlg::kCmdClose, 0);
        }
      });
    });
    agent_->OnNextModal([this, onReport](Win::Window& w) {
      auto* report = dynamic_cast<Report*>(&w);
      ASSERT_NE(report, nullptr) << "the report follows the transfer";
      reportShown_ = true;
      reportTotal_ = report->GetTotal();
      reportFailed_ = report->GetFailedCount();
      reportCompleted_ = report->GetCompletedCount();
      if (onReport) {
        onReport(*report);
      } else {
        report->EndDialog(1);
      }
    });
  }
  int HostCount(Win::UINT msg) const {
    return static_cast<int>(std::count(hostMessages_.begin(), hostMessages_.end(), msg));
  }
  void Command(Win::UINT id) { panel_.SendMessage(Win::WM_COMMAND, id, 0); }

  std::string oldSettings_;
  TYX_MusicIdentifier::Factory oldIdentifier_;
  std::shared_ptr<TYX::Test::ScriptedUserAgent> agent_;
  std::shared_ptr<DeviceMgr::TYX_FolderDeviceClient> client_;
  unsigned phone_ = DM_NO_DEVICE;
  ChunkGate gate_;
  Attributes attributes_;
  std::vector<Win::UINT> hostMessages_;
  Win::LRESULT autoAnswer_ = 0;
  bool transferOpened_ = false;
  bool reportShown_ = false;
  bool timedOut_ = false;
  int reportTotal_ = -1, reportFailed_ = -1, reportCompleted_ = -1;
};

// ---- Sending the selection ----------------------------------------------------------------------------

TEST_F(TransferPanelTest, SendsTheSelectedSongsAndReportsTheOutcome) {
  const std::string folder = PlugPhone();
  AddMp3("one.mp3", "One");
  AddMp3("two.mp3", "Two");
  AddMp3("three.mp3", "Three");
  ShowLibrary();
  Select(List(LP::LIST_LIBRARY), RowOf("One"));
  Select(List(LP::LIST_LIBRARY), RowOf("Three"));
  ExpectTransferThenReport();
  Command(kCmdTransferDevice);

  EXPECT_FALSE(timedOut_);
  EXPECT_TRUE(transferOpened_);
  ASSERT_TRUE(reportShown_);
  EXPECT_EQ(reportTotal_, 2);
  EXPECT_EQ(reportFailed_, 0);
  EXPECT_EQ(reportCompleted_, 2);
  EXPECT_TRUE(fs::exists(folder + "/one.mp3"));
  EXPECT_TRUE(fs::exists(folder + "/three.mp3"));
  EXPECT_FALSE(fs::exists(folder + "/two.mp3")) << "only the selection is sent";
  EXPECT_EQ(fs::file_size(folder + "/one.mp3"), fs::file_size(SongPath("one.mp3")));
  Win::PumpMessages();
  EXPECT_EQ(HostCount(WM_LIBRARY_TRANSFER_DONE), 1);
  EXPECT_FALSE(panel_.Transfer().IsBusy());
  EXPECT_TRUE(agent_->AllAnswersUsed());
}

TEST_F(TransferPanelTest, AFileThatCannotBeSentIsListedInTheReport) {
  PlugPhone();
  AddMp3("good.mp3", "Good");
  const std::uint32_t gone = AddMp3("gone.mp3", "Gone");
  ShowLibrary();
  SelectAll();
  fs::remove(Item(gone)->GetPath());  // the file went away after the list was filled
  ExpectTransferThenReport();
  Command(kCmdTransferDevice);

  EXPECT_FALSE(timedOut_);
  ASSERT_TRUE(reportShown_);
  EXPECT_EQ(reportTotal_, 2);
  EXPECT_EQ(reportFailed_, 1);
  EXPECT_EQ(reportCompleted_, 1);
}

TEST_F(TransferPanelTest, TheReportsStoreLinkGoesToTheContentsWindow) {
  PlugPhone();
  AddMp3("one.mp3", "One");
  ShowLibrary();
  SelectAll();
  std::vector<std::pair<Win::WPARAM, Win::LPARAM>> navigations;
  Win::Window contents;
  contents.OnMessage(Report::WM_STORE_NAVIGATE, [&navigations](Win::WPARAM w, Win::LPARAM l) {
    navigations.emplace_back(w, l);
    return Win::LRESULT{0};
  });
  ASSERT_TRUE(contents.Create(nullptr, Win::Rect{0, 0, 10, 10}, 0));
  panel_.SetContentsWindow(contents.GetSafeHwnd());
  // The person follows the report's store link, which closes the report.
  ExpectTransferThenReport([](Report& report) { report.SendMessage(Report::WM_STORE_COMPLEX_NAVIGATE, 7, 8); });
  Command(kCmdTransferDevice);
  ASSERT_TRUE(reportShown_);
  ASSERT_TRUE(Win::PumpUntil([&] { return !navigations.empty(); }, 60000));
  EXPECT_EQ(navigations, (std::vector<std::pair<Win::WPARAM, Win::LPARAM>>{{7, 8}}));
  EXPECT_FALSE(panel_.Transfer().IsBusy()) << "the link closed the report";
}

TEST_F(TransferPanelTest, ATransferThatNeverStartedShowsNoReport) {
  const std::string folder = PlugPhone();
  AddMp3("mine.mp3", "Mine");
  const std::string other = SongPath("other.mp3");
  TYX::Test::SynthOptions options;
  options.seconds = 2.0;
  ASSERT_EQ(TYX::Test::SynthesizeAudio(other, TYX::Test::SynthFormat::MP3, options), "");

  // Another transfer holds the process-wide slot, stuck after its first chunk.
  gate_.Arm();
  Win::Window parent;
  ASSERT_TRUE(parent.Create(nullptr, Win::Rect{0, 0, 10, 10}, 0));
  auto running = std::make_unique<Device::TYX_DeviceTransControl>();
  ASSERT_TRUE(running->Create(parent.GetSafeHwnd(), Win::WM_APP + 5, {}, nullptr));
  ASSERT_EQ(running->Start(phone_, {other}, 0, 0), 1);
  // The controller sends its reports to its parent here, so messages are handled while waiting.
  ASSERT_TRUE(Win::PumpUntil([this] { return gate_.Held(); }, 60000));

  ShowLibrary();
  SelectAll();
  agent_->OnNextModal([this](Win::Window& w) { transferOpened_ = dynamic_cast<TYX_DeviceTransDlg*>(&w) != nullptr; });
  agent_->ExpectMessageBox(Win::IDOK, false, "다른 전송이 진행중입니다.");
  Command(kCmdTransferDevice);

  EXPECT_TRUE(transferOpened_);
  EXPECT_EQ(agent_->ModalCount(), 1) << "no report after a transfer that never ran";
  EXPECT_TRUE(agent_->AllAnswersUsed());
  EXPECT_FALSE(fs::exists(folder + "/mine.mp3"));
  EXPECT_FALSE(panel_.Transfer().IsBusy());

  gate_.Release();
  running.reset();  // waits for its worker
}

TEST_F(TransferPanelTest, RefusalsComeBeforeAnyDialog) {
  AddMp3("a.mp3", "A");
  ShowLibrary();
  SelectAll();

  // A phone in ring-tone mode takes no music.
  PlugPhone(4);
  agent_->ExpectMessageBox(Win::IDOK, false, "벨소리 연결모드에서는 전송할 수 없습니다.");
  Command(kCmdTransferDevice);
  EXPECT_EQ(agent_->Prompts().back().caption, "다운로드 오류");

  // The host's automatic transfer runs.
  PlugPhone(1);
  autoAnswer_ = 1;
  agent_->ExpectMessageBox(Win::IDOK, false, "자동 전송이 진행중입니다.");
  Command(kCmdTransferDevice);

  // Phones of a refused maker.
  autoAnswer_ = 0;
  attributes_.Set("TRANSFER_REFUSED_MODEL_PREFIX", "SPH");
  agent_->ExpectMessageBox(Win::IDOK, false, "전송할 수 없습니다");
  Command(kCmdTransferDevice);
  EXPECT_EQ(agent_->Prompts().back().caption, "다운로드 오류");

  // The Bluetooth link sleeps.
  attributes_.Remove("TRANSFER_REFUSED_MODEL_PREFIX");
  PlugPhone(1, true);
  ASSERT_TRUE(client_->SetBluetoothSuspended(phone_, true));
  agent_->ExpectMessageBox(Win::IDOK, false, "블루투스 장치가 대기상태 중입니다.");
  Command(kCmdTransferDevice);

  EXPECT_EQ(agent_->ModalCount(), 0);
  EXPECT_TRUE(agent_->AllAnswersUsed());
  EXPECT_FALSE(panel_.Transfer().IsBusy());
  EXPECT_EQ(HostCount(WM_LIBRARY_TRANSFER_DONE), 0);
}

TEST_F(TransferPanelTest, OverallPercentCountsBytesAndSurvivesEmptyFiles) {
  std::vector<TYX_DeviceTransDlg::Row> rows(3);
  rows[0].size = 100;
  rows[1].size = 300;
  rows[2].size = 600;
  EXPECT_EQ(TYX_DeviceTransDlg::OverallPercent(rows, 0, 50), 5);
  EXPECT_EQ(TYX_DeviceTransDlg::OverallPercent(rows, 1, 0), 10);
  EXPECT_EQ(TYX_DeviceTransDlg::OverallPercent(rows, 2, 50), 70);
  EXPECT_EQ(TYX_DeviceTransDlg::OverallPercent(rows, 2, 100), 100);
  EXPECT_EQ(TYX_DeviceTransDlg::OverallPercent(rows, 2, 250), 100) << "a percent above 100 counts as 100";
  EXPECT_EQ(TYX_DeviceTransDlg::OverallPercent(rows, 5, 50), 0) << "no such row";

  std::vector<TYX_DeviceTransDlg::Row> empty(2);
  EXPECT_EQ(TYX_DeviceTransDlg::OverallPercent(empty, 1, 100), 0) << "files without bytes divide by nothing";
}

TEST_F(TransferPanelTest, TransferRowsCarrySizesAndAskForMissingSongInfo) {
  const std::uint32_t a = AddMp3("a.mp3", "A");
  ASSERT_TRUE(Item(a)->SetText(ItemText::SongId, "12345"));
  const auto rows = panel_.Transfer().BuildTransferRows({a, 999999});
  ASSERT_EQ(rows.size(), 1u) << "a song gone from the store is left out";
  EXPECT_EQ(rows[0].path, SongPath("a.mp3"));
  EXPECT_EQ(rows[0].size, static_cast<std::int64_t>(fs::file_size(SongPath("a.mp3"))));
  EXPECT_EQ(rows[0].title, "A");
  Win::PumpMessages();
  EXPECT_EQ(HostCount(WM_LIBRARY_SONG_INFO_MISSING), 1) << "a store song without artist and album";
}

// ---- Store downloads ------------------------------------------------------------------------------------

// The download page's window: records the refusals and the put's notices.
class PageWindow {
 public:
  PageWindow() {
    window_.OnMessage(WM_STORE_TRANSFER_REFUSED, [this](Win::WPARAM w, Win::LPARAM) {
      refusals.push_back(static_cast<int>(w));
      return Win::LRESULT{0};
    });
    window_.OnMessage(WM_STORE_TRANSFER_NOTICE, [this](Win::WPARAM w, Win::LPARAM l) {
      if (w == dm_ts_end) ends.push_back(static_cast<int>(l));
      return Win::LRESULT{0};
    });
    EXPECT_TRUE(window_.Create(nullptr, Win::Rect{0, 0, 10, 10}, 0));
  }
  Win::HWND Hwnd() const { return window_.GetSafeHwnd(); }
  std::vector<int> refusals;
  std::vector<int> ends;  // outcome codes of the puts

 private:
  Win::Window window_;
};

TEST_F(TransferPanelTest, StoreDownloadTakesTheFirstFreeNameAndTellsThePage) {
  const std::string folder = PlugPhone();
  AddMp3("song.mp3", "Song");
  TYX::Test::SynthOptions options;
  // Two files of that name are on the phone already.
  ASSERT_EQ(TYX::Test::SynthesizeAudio(folder + "/song.mp3", TYX::Test::SynthFormat::MP3, options), "");
  ASSERT_EQ(TYX::Test::SynthesizeAudio(folder + "/song(1).mp3", TYX::Test::SynthFormat::MP3, options), "");
  const auto before = fs::file_size(folder + "/song.mp3");

  // A window registered for the client's notices (a running transfer's) keeps them.
  int stolen = 0;
  Win::Window registered;
  registered.OnMessage(Win::WM_APP + 9, [&stolen](Win::WPARAM, Win::LPARAM) {
    ++stolen;
    return Win::LRESULT{0};
  });
  ASSERT_TRUE(registered.Create(nullptr, Win::Rect{0, 0, 10, 10}, 0));
  ASSERT_TRUE(dmRegisterNotify(registered.GetSafeHwnd(), Win::WM_APP + 9));

  PageWindow page;
  ASSERT_EQ(panel_.Transfer().FileTransferToDeviceMS(SongPath("song.mp3"), page.Hwnd()), 0);
  ASSERT_TRUE(Win::PumpUntil([&] { return !page.ends.empty(); }, 60000));
  EXPECT_EQ(page.ends, std::vector<int>{dm_tc_success});
  EXPECT_TRUE(page.refusals.empty());
  ASSERT_TRUE(fs::exists(folder + "/song(2).mp3"));
  EXPECT_EQ(fs::file_size(folder + "/song(2).mp3"), fs::file_size(SongPath("song.mp3")));
  EXPECT_EQ(fs::file_size(folder + "/song.mp3"), before) << "the phone's own file is kept";
  EXPECT_EQ(stolen, 0);
  dmRegisterNotify(nullptr, 0);
}

TEST_F(TransferPanelTest, StoreDownloadToAModelWithoutANameLimitIsNamedWithin36Characters) {
  const std::string folder = PlugPhone(1, false, 0);
  const std::string name = "A store song whose title runs far past what phones keep.mp3";
  ASSERT_GT(Util::CountUtf8Chars(name), 36u);
  AddMp3(name, "Long");
  PageWindow page;
  ASSERT_EQ(panel_.Transfer().FileTransferToDeviceMS(SongPath(name), page.Hwnd()), 0);
  ASSERT_TRUE(Win::PumpUntil([&] { return !page.ends.empty(); }, 60000));
  EXPECT_EQ(page.ends, std::vector<int>{dm_tc_success});
  std::vector<std::string> onPhone;
  for (const auto& entry : fs::directory_iterator(folder)) onPhone.push_back(entry.path().filename().string());
  ASSERT_EQ(onPhone.size(), 1u);
  EXPECT_EQ(Util::CountUtf8Chars(onPhone[0]), 36u) << onPhone[0];
  EXPECT_EQ(fs::path(onPhone[0]).extension(), ".mp3");
}

TEST_F(TransferPanelTest, StoreDownloadRefusalsReachThePage) {
  PageWindow page;
  EXPECT_EQ(panel_.Transfer().FileTransferToDeviceMS(SongPath("x.cdc"), page.Hwnd()), 0);
  EXPECT_EQ(panel_.Transfer().FileTransferToDeviceMS(SongPath("x.mp3"), page.Hwnd()), 0) << "no phone";
  const std::string folder = PlugPhone(1);
  dir_.Write("music/bell.mmf", "melody");
  EXPECT_EQ(panel_.Transfer().FileTransferToDeviceMS(SongPath("bell.mmf"), page.Hwnd()), 0)
      << "a melody needs ring-tone mode";
  EXPECT_EQ(panel_.Transfer().FileTransferToDeviceMS(SongPath("missing.mp3"), page.Hwnd()), Win::E_FAIL);
  EXPECT_EQ(panel_.Transfer().FileTransferToDeviceMS(SongPath("bell.mmf"), nullptr), Win::E_INVALIDARG);
  PlugPhone(4);
  EXPECT_EQ(panel_.Transfer().FileTransferToDeviceMS(SongPath("x.cdc"), page.Hwnd()), 0)
      << "a phone in ring-tone mode refuses by its mode first";
  Win::PumpMessages();
  EXPECT_EQ(page.refusals, (std::vector<int>{1, 0, 0, 0, 0}));
  EXPECT_TRUE(page.ends.empty());
  EXPECT_FALSE(fs::exists(folder + "/bell.mmf"));
}

// ---- Ring-tones --------------------------------------------------------------------------------------------

// A MIDI file with two notes at once: polyphony class 4.
std::string TwoNoteMidi() {
  const unsigned char track[] = {0x00, 0x90, 0x3C, 0x40, 0x00, 0x90, 0x40, 0x40, 0x60, 0x80, 0x3C, 0x00,
                                 0x00, 0x80, 0x40, 0x00, 0x00, 0xFF, 0x2F, 0x00};
  std::string out("MThd\0\0\0\x06\0\0\0\x01\0\x60", 14);
  out += "MTrk";
  out += std::string("\0\0\0", 3) + static_cast<char>(sizeof track);
  out.append(reinterpret_cast<const char*>(track), sizeof track);
  return out;
}

class RingtoneTest : public TransferPanelTest {
 protected:
  // A phone in ring-tone mode taking 4- and 16-voice melodies; returns its folder.
  std::string PlugRingtonePhone(bool batteryLow = false) {
    DeviceMgr::DeviceProfile profile;
    profile.batteryLow = batteryLow;
    profile.model = "SCH-B100";
    profile.kind = DM_KIND_RINGTONE;
    profile.type = DEVICETYPE_RINGTONE;
    profile.polyphony = DM_POLY_4 | DM_POLY_16;
    profile.maxFileName2 = 36;
    profile.folder = "\\BELL";
    const std::string root = dir_.File("bellphone");
    fs::create_directories(root + "/BELL");
    EXPECT_EQ(DeviceMgr::WriteDeviceProfile(root, profile), "");
    client_ = std::make_shared<DeviceMgr::TYX_FolderDeviceClient>();
    auto result = client_->Connect(root);
    EXPECT_TRUE(result.ok()) << result.error;
    phone_ = result.id;
    InstallDeviceMgrClient(client_);
    return root + "/BELL";
  }
  void ShowRingtones() {
    ASSERT_EQ(panel_.Refresh("600000"), 0);
    Win::PumpMessages();
  }
  // The melody dialog opens; the outcome box comes while it is still open.
  void ExpectMelodyDialog() {
    agent_->OnNextModal([this](Win::Window& w) {
      melodyOpened_ = dynamic_cast<TYX_DeviceTransDlg_Melody1*>(&w) != nullptr;
    });
  }
  bool melodyOpened_ = false;
};

TEST_F(RingtoneTest, AMelodyReachesThePhoneAndTheOutcomeIsShown) {
  const std::string folder = PlugRingtonePhone();
  const std::string midi = dir_.Write("music/bell.mid", TwoNoteMidi());
  const std::uint32_t index = store_->GetLibrary()->InsertItem(midi, kItemKindFile);
  ASSERT_NE(Playlist(STOCK_PLAYLIST_LIBRARY)->InsertItem(index, 0), kNoPosition);
  ShowRingtones();
  ASSERT_EQ(Rows(List(LP::LIST_MYMELODY)), 1);
  Select(List(LP::LIST_MYMELODY), 0);

  ExpectMelodyDialog();
  agent_->ExpectMessageBox(Win::IDOK, false, "나만의 멜로디 전송 성공");
  panel_.SendMessage(WM_LIBRARY_RINGTONE_TRANSFER, 0, 0);
  EXPECT_TRUE(melodyOpened_);
  EXPECT_TRUE(agent_->AllAnswersUsed()) << "the result is shown, not lost with an early close";
  ASSERT_TRUE(fs::exists(folder + "/bell.mid"));
  EXPECT_EQ(fs::file_size(folder + "/bell.mid"), fs::file_size(midi));
  Win::PumpMessages();
  EXPECT_EQ(HostCount(WM_LIBRARY_TRANSFER_DONE), 1);

  // The same title again is refused by the dialog; nothing is posted.
  ExpectMelodyDialog();
  agent_->ExpectMessageBox(Win::IDOK, false, "[bell] 파일명이 존재합니다.");
  panel_.SendMessage(WM_LIBRARY_RINGTONE_TRANSFER, 0, 0);
  EXPECT_TRUE(agent_->AllAnswersUsed());
  Win::PumpMessages();
  EXPECT_EQ(HostCount(WM_LIBRARY_TRANSFER_DONE), 1);
}

TEST_F(RingtoneTest, AMelodyThePhoneRefusesIsToldAndTheTransferStillEnds) {
  const std::string folder = PlugRingtonePhone(true);
  const std::string midi = dir_.Write("music/bell.mid", TwoNoteMidi());
  const std::uint32_t index = store_->GetLibrary()->InsertItem(midi, kItemKindFile);
  ASSERT_NE(Playlist(STOCK_PLAYLIST_LIBRARY)->InsertItem(index, 0), kNoPosition);
  ShowRingtones();
  Select(List(LP::LIST_MYMELODY), 0);

  ExpectMelodyDialog();
  agent_->ExpectMessageBox(Win::IDOK, false, "휴대폰 배터리가 부족하면 전송이 불가능할 수 있습니다.");
  panel_.SendMessage(WM_LIBRARY_RINGTONE_TRANSFER, 0, 0);
  EXPECT_TRUE(melodyOpened_);
  EXPECT_TRUE(agent_->AllAnswersUsed());
  EXPECT_FALSE(fs::exists(folder + "/bell.mid"));
  Win::PumpMessages();
  EXPECT_EQ(HostCount(WM_LIBRARY_TRANSFER_DONE), 1) << "the put was made: the parent hears the transfer ended";
}

TEST_F(RingtoneTest, RefusesMusicModeAndUnsupportedPolyphony) {
  const std::string midi = dir_.Write("music/bell.mid", TwoNoteMidi());
  const std::uint32_t index = store_->GetLibrary()->InsertItem(midi, kItemKindFile);
  ASSERT_NE(Playlist(STOCK_PLAYLIST_LIBRARY)->InsertItem(index, 0), kNoPosition);
  ShowRingtones();
  Select(List(LP::LIST_MYMELODY), 0);

  PlugPhone(1);
  agent_->ExpectMessageBox(Win::IDOK, false, "벨소리 모드로 전환 후 전송하여 주십시요.");
  panel_.SendMessage(WM_LIBRARY_RINGTONE_TRANSFER, 0, 0);

  PlugPhone(4);  // a ring-tone phone whose model takes no 4-voice melodies
  agent_->ExpectMessageBox(Win::IDOK, false, "소바르[SPH-M4650]은 멜로디[4폴리]파일을 지원하지 않습니다.");
  panel_.SendMessage(WM_LIBRARY_RINGTONE_TRANSFER, 0, 0);

  PlugRingtonePhone();
  attributes_.Set("MELODY_UNSUPPORTED_MODEL", "SCH-B100");
  agent_->ExpectMessageBox(Win::IDOK, false, "나만의 벨을 지원하지 않는 폰입니다.");
  panel_.SendMessage(WM_LIBRARY_RINGTONE_TRANSFER, 0, 0);
  EXPECT_EQ(agent_->Prompts().back().caption, "연결확인");

  EXPECT_EQ(agent_->ModalCount(), 0);
  EXPECT_TRUE(agent_->AllAnswersUsed());
}

// ---- Automatic tagging question ------------------------------------------------------------------------

TEST_F(TransferPanelTest, TaggingQuestionIsAskedUntilSwitchedOffOrOn) {
  auto* init = TYX_INIT::Instance();
  attributes_.Set("AUTOTAGGING-TRANS", "FALSE");
  attributes_.Set("AUTOTAGGING_TRANS_CONFIRMMSGOFF", "FALSE");
  // No, and do not ask again.
  agent_->ExpectMessageBox(Win::IDNO, true, "Tag 정보 자동 업데이트");
  EXPECT_EQ(panel_.Transfer().CheckAutoTaggingTrans(), 0);
  EXPECT_EQ(agent_->Prompts().back().caption, "Auto Tagging");
  EXPECT_EQ(init->GetAttributeStr("AUTOTAGGING_TRANS_CONFIRMMSGOFF"), "TRUE");
  EXPECT_EQ(panel_.Transfer().CheckAutoTaggingTrans(), 0) << "never asked again";
  EXPECT_EQ(agent_->Prompts().size(), 1u);

  // Yes switches tagging on; it is not asked while on.
  attributes_.Set("AUTOTAGGING_TRANS_CONFIRMMSGOFF", "FALSE");
  agent_->ExpectMessageBox(Win::IDYES, false, "Tag 정보 자동 업데이트");
  EXPECT_EQ(panel_.Transfer().CheckAutoTaggingTrans(), 1);
  EXPECT_EQ(init->GetAttributeStr("AUTOTAGGING-TRANS"), "TRUE");
  EXPECT_EQ(init->GetAttributeStr("AUTOTAGGING_TRANS_CONFIRMMSGOFF"), "FALSE");
  EXPECT_EQ(panel_.Transfer().CheckAutoTaggingTrans(), 1);
  EXPECT_EQ(agent_->Prompts().size(), 2u);
  EXPECT_TRUE(agent_->AllAnswersUsed());
}

// ---- Sync list ------------------------------------------------------------------------------------------

TEST_F(TransferPanelTest, SyncListCopyAddsEachSongOnce) {
  const std::uint32_t a = AddSong("a.mp3", "A");
  const std::uint32_t b = AddSong("b.mp3", "B");
  AddSong("c.mp3", "C");
  ShowLibrary();
  agent_->ExpectMessageBox(Win::IDOK, false, "담을 곡을 한곡이상 선택해 주십시오.");
  EXPECT_EQ(panel_.Transfer().DoSyncListCopy(0), 0);
  EXPECT_EQ(Playlist(STOCK_PLAYLIST_SYNC)->CountItem(), 0u);

  Select(List(LP::LIST_LIBRARY), RowOf("A"));
  agent_->ExpectMessageBox(Win::IDOK, false, "\"내 기기에 담을 곡 목록\"에 추가되었습니다.");
  EXPECT_EQ(panel_.Transfer().DoSyncListCopy(0), 1);
  Select(List(LP::LIST_LIBRARY), RowOf("B"));
  agent_->ExpectMessageBox(Win::IDOK, false, "\"내 기기에 담을 곡 목록\"에 추가되었습니다.");
  EXPECT_EQ(panel_.Transfer().DoSyncListCopy(0), 1);

  TYX_Playlist* sync = Playlist(STOCK_PLAYLIST_SYNC);
  ASSERT_EQ(sync->CountItem(), 2u) << "A, chosen twice, is in the list once";
  EXPECT_EQ(sync->GetItem(0), a);
  EXPECT_EQ(sync->GetItem(1), b);
  Win::PumpMessages();
  EXPECT_EQ(HostCount(WM_LIBRARY_SYNC_ADDED), 2);
  EXPECT_TRUE(agent_->AllAnswersUsed());
}

TEST_F(TransferPanelTest, AutoStartSwitchFollowsTheCheckBoxAndTheCommands) {
  auto* init = TYX_INIT::Instance();
  attributes_.Set("SyncAutoStart", "0");
  panel_.Transfer().OnChkAutoTrans();
  EXPECT_EQ(init->GetAttributeStr("SyncAutoStart"), "1");
  panel_.Transfer().OnChkAutoTrans();
  EXPECT_EQ(init->GetAttributeStr("SyncAutoStart"), "0");
  panel_.Transfer().OnChkAutoTransOn();
  EXPECT_EQ(init->GetAttributeStr("SyncAutoStart"), "1");
  panel_.Transfer().OnChkAutoTransOff();
  EXPECT_EQ(init->GetAttributeStr("SyncAutoStart"), "0");

  // The person ticks the box on the sync list page.
  ASSERT_EQ(panel_.Refresh("700000"), 0);
  Controls::TYX_CheckBox* check = panel_.Layout().GetSyncCheckBox();
  ASSERT_NE(check, nullptr);
  check->SetCheck(true);
  panel_.SendMessage(Win::WM_COMMAND, kSyncAutoCheckId, 0);
  EXPECT_EQ(init->GetAttributeStr("SyncAutoStart"), "1");
  check->SetCheck(false);
  panel_.SendMessage(Win::WM_COMMAND, kSyncAutoCheckId, 0);
  EXPECT_EQ(init->GetAttributeStr("SyncAutoStart"), "0");
  Win::PumpMessages();
  EXPECT_EQ(HostCount(WM_LIBRARY_SYNC_AUTO_CHANGED), 2);

  panel_.Transfer().OnBtnPlaylistToSyncList();
  EXPECT_EQ(HostCount(kCmdPlaylistToSyncList), 1);
}

}  // namespace
}  // namespace TYX::Library::Test
