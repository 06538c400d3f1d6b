// What the panel does to songs on their way to the phone: the tagging pass before the transfer (one
// song at a time through the tagging worker, with a stand-in identification component that answers
// from a script), and the lyric copy a phone that shows lyrics gets, by the transfer dialog and by the
// store download.
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>

#include "components/devicemgr/device_profile.h"
#include "components/devicemgr/folder_device_client.h"
#include "components/lyrics/kcp_writer.h"
#include "components/media/taglib_media_factory.h"
#include "contracts/music_identifier.h"
#include "device/dialog_error_report.h"
#include "library/device_trans_dlg.h"
#include "library/library_panel_fixture.h"
#include "library/panel_commands.h"
#include "library/panel_transfer.h"
#include "helpers/media_fixtures.h"
#include "helpers/scripted_user_agent.h"
#include "helpers/temp_folder_override.h"
#include "platform/messaging.h"
#include "tags/tagging_thread.h"
#include "util/init.h"

namespace TYX::Library::Test {
namespace {

namespace fs = std::filesystem;
using LP = TYX_LibraryPanel;
constexpr auto kWatchdog = std::chrono::seconds(60);

// The identification component's stand-in: one scripted candidate for every file it is asked about,
// and a record of the files asked about.
struct IdentifyScript {
  bool found = true;
  std::set<std::string> asked;
};

class ScriptedIdentifier final : public TYX_MusicIdentifier {
 public:
  explicit ScriptedIdentifier(IdentifyScript& s) : s_(s) {}
  std::int32_t Initialize() override { return kIdentifyOk; }
  std::int32_t IdentifyFile(const std::string& path) override {
    s_.asked.insert(path);
    return kIdentifyOk;
  }
  std::int32_t GetStatus() const override { return s_.found ? kIdentifyStatusFound : kIdentifyStatusNoMatch; }
  std::string GetStatusText() const override { return {}; }
  std::int32_t GetCandidateCount() const override { return s_.found ? 1 : 0; }
  std::string GetArtist(std::int32_t) const override { return "찾은 가수"; }
  std::string GetTitle(std::int32_t) const override { return "찾은 노래"; }
  std::string GetAlbum(std::int32_t) const override { return "찾은 앨범"; }
  std::string GetGenre(std::int32_t) const override { return "Ballad"; }
  std::int32_t GetScore(std::int32_t) const override { return 95; }
  std::string GetId(std::int32_t, CandidateId which) const override {
    switch (which) {
      case CandidateId::Song: return "12345";
      case CandidateId::Web: return "777";
      case CandidateId::Album: return "66";
      case CandidateId::Artist: return "55";
      case CandidateId::Track: return "4";
    }
    return {};
  }
  std::int32_t Remember(const std::string&) override { return kIdentifyOk; }

 private:
  IdentifyScript& s_;
};

class TransferTaggingTest : public PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    oldSettings_ = TYX_INIT::Instance()->GetStoreFile();
    TYX_INIT::Instance()->SetStoreFile(dir_.File("settings.ini"));
    TYX_INIT::Instance()->SetAttribute("AUTOTAGGING-TRANS", "TRUE");
    Media::InstallTagLibMediaFactory();
    agent_ = std::make_shared<TYX::Test::ScriptedUserAgent>();
    Win::SetUserAgent(agent_);
    host_.OnMessage(WM_LIBRARY_ASK_AUTO_TRANSFER, [](Win::WPARAM, Win::LPARAM) { return Win::LRESULT{0}; });
    oldFactory_ = TYX_MusicIdentifier::SetFactory([this](std::string&) -> std::unique_ptr<TYX_MusicIdentifier> {
      return std::make_unique<ScriptedIdentifier>(script_);
    });
    oldRegistrar_ = TYX_MusicIdentifier::SetRegistrar([] { return false; });
    TYX_MusicIdentifier::SetIndexFile(dir_.File("fingerprints.db"));
    // Lyric copies are made under the temporary folder: one of this test's own, so it can be checked.
    tmpOverride_ = std::make_unique<TYX::Test::TempFolderOverride>(dir_.File("tmp"));
    tmp_ = tmpOverride_->Path();
  }
  void TearDown() override {
    InstallDeviceMgrClient(nullptr);
    Win::PumpMessages();
    Win::SetUserAgent(nullptr);
    TYX_MusicIdentifier::SetFactory(oldFactory_);
    TYX_MusicIdentifier::SetRegistrar(oldRegistrar_);
    TYX_MusicIdentifier::SetIndexFile({});
    tmpOverride_.reset();
  }
  ~TransferTaggingTest() override { TYX_INIT::Instance()->SetStoreFile(oldSettings_); }

  std::string PlugPhone(bool lyrics, std::uint64_t capacity = 0, const std::string& name = "phone") {
    if (!client_) client_ = std::make_shared<DeviceMgr::TYX_FolderDeviceClient>();
    DeviceMgr::DeviceProfile profile;
    profile.model = "SPH-M4650";
    profile.serial = "SN-7";
    profile.kind = 2;
    profile.type = DEVICETYPE_MUSIC;
    profile.maxBitrate = 320;
    profile.folder = "\\MUSIC";
    profile.lyrics = lyrics;
    profile.capacity = capacity;
    const std::string root = dir_.File(name);
    fs::create_directories(root + "/MUSIC");
    EXPECT_EQ(DeviceMgr::WriteDeviceProfile(root, profile), "");
    auto result = client_->Connect(root);
    EXPECT_TRUE(result.ok()) << result.error;
    InstallDeviceMgrClient(client_);
    return root + "/MUSIC";
  }
  std::uint32_t AddMp3(const std::string& name) { return AddRealMp3(name); }
  // Sends the whole library through the transfer dialog and answers the report.
  void SendAll() {
    ASSERT_EQ(panel_.Refresh("000000"), 0);
    Win::PumpMessages();
    for (int row = 0; row < Rows(List(LP::LIST_LIBRARY)); ++row) Select(List(LP::LIST_LIBRARY), row);
    bool reported = false;
    agent_->OnNextModal([this](Win::Window& w) {
      auto* dlg = dynamic_cast<TYX_DeviceTransDlg*>(&w);
      ASSERT_NE(dlg, nullptr) << "the transfer dialog opens first";
      const auto start = std::chrono::steady_clock::now();
      agent_->SetIdleAction([this, dlg, start](Win::Window&) {
        if (std::chrono::steady_clock::now() - start > kWatchdog && !timedOut_) {
          timedOut_ = true;
          dlg->SendMessage(Win::WM_COMMAND, TYX_DeviceTransDlg::kCmdClose, 0);
        }
      });
    });
    agent_->OnNextModal([&reported, this](Win::Window& w) {
      auto* report = dynamic_cast<Dialog::TYX_Dialog_Error_Report*>(&w);
      ASSERT_NE(report, nullptr) << "the report follows the transfer";
      reported = true;
      failed_ = report->GetFailedCount();
      report->EndDialog(1);
    });
    panel_.SendMessage(Win::WM_COMMAND, kCmdTransferDevice, 0);
    EXPECT_FALSE(timedOut_);
    EXPECT_TRUE(reported);
  }
  int LeftInTemp() const {
    int n = 0;
    for (auto it = fs::directory_iterator(tmp_); it != fs::directory_iterator(); ++it) ++n;
    return n;
  }

  std::string oldSettings_;
  std::shared_ptr<TYX::Test::ScriptedUserAgent> agent_;
  std::shared_ptr<DeviceMgr::TYX_FolderDeviceClient> client_;
  IdentifyScript script_;
  TYX_MusicIdentifier::Factory oldFactory_;
  TYX_MusicIdentifier::Registrar oldRegistrar_;
  std::string tmp_;
  std::unique_ptr<TYX::Test::TempFolderOverride> tmpOverride_;
  bool timedOut_ = false;
  int failed_ = -1;
};

TEST_F(TransferTaggingTest, AnUntaggedSongIsTaggedBeforeItIsSent) {
  const std::string folder = PlugPhone(false);
  const std::uint32_t index = AddMp3("untagged.mp3");
  SendAll();
  EXPECT_EQ(failed_, 0);
  // The phone got the tagged file.
  TYX_MediaPtr onPhone = TYX_Media::Instance(folder + "/untagged.mp3");
  ASSERT_TRUE(onPhone);
  EXPECT_EQ(onPhone->GetTitle(), "찾은 노래");
  EXPECT_EQ(onPhone->GetArtist(), "찾은 가수");
  EXPECT_EQ(onPhone->GetAlbum(), "찾은 앨범");
  // The library item took what was found, the identification texts included.
  TYX_LibraryItem* item = Item(index);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->GetTitle(), "찾은 노래");
  EXPECT_EQ(item->GetExtraText(), "Ballad");
  EXPECT_EQ(item->GetIdText(0), "MI0000012345");
  EXPECT_EQ(item->GetIdText(1), "WM0000000777");
  EXPECT_EQ(item->GetIdText(4), "MI00004");
  EXPECT_EQ(item->GetFileSize(), fs::file_size(SongPath("untagged.mp3")));
  EXPECT_TRUE(agent_->AllAnswersUsed());
}

TEST_F(TransferTaggingTest, OnlySongsThatMayBeTaggedAndWereNeverIdentifiedAreAsked) {
  const std::uint32_t fresh = AddMp3("fresh.mp3");
  const std::uint32_t known = AddMp3("known.mp3");
  ASSERT_TRUE(Item(known)->SetIdText(0, "MI0000000001"));
  const std::uint32_t extra = AddMp3("extra.mp3");
  ASSERT_TRUE(Item(extra)->SetExtraText("Rock"));
  // An M4A song (type 10) is never tagged.
  const std::string m4a = SongPath("song.m4a");
  ASSERT_EQ(TYX::Test::SynthesizeAudio(m4a, TYX::Test::SynthFormat::M4A), "");
  const std::uint32_t aac = store_->GetLibrary()->InsertItem(m4a, kItemKindFile);

  auto rows = panel_.Transfer().BuildTransferRows({fresh, known, extra, aac}, 1);
  EXPECT_EQ(rows.size(), 4u);
  EXPECT_EQ(script_.asked, (std::set<std::string>{SongPath("fresh.mp3")}));
  EXPECT_EQ(rows[0].title, "찾은 노래") << "the row shows what was found";

  // Without the switch nothing is asked.
  script_.asked.clear();
  const std::uint32_t other = AddMp3("other.mp3");
  panel_.Transfer().BuildTransferRows({other}, 0);
  EXPECT_TRUE(script_.asked.empty());
  EXPECT_TRUE(TYX_PanelTransfer::IsNeverTagged(10));
  EXPECT_TRUE(TYX_PanelTransfer::IsNeverTagged(14));
  EXPECT_TRUE(TYX_PanelTransfer::IsNeverTagged(24));
  EXPECT_TRUE(TYX_PanelTransfer::IsNeverTagged(26));
  EXPECT_FALSE(TYX_PanelTransfer::IsNeverTagged(1));
  EXPECT_FALSE(TYX_PanelTransfer::IsNeverTagged(9));
  EXPECT_FALSE(TYX_PanelTransfer::IsNeverTagged(27));
}

TEST_F(TransferTaggingTest, ASongNotFoundKeepsItsTagsAndTheItemItsTexts) {
  script_.found = false;
  const std::uint32_t index = AddMp3("unknown.mp3");
  ASSERT_TRUE(Item(index)->SetTitle("제목"));
  const std::string before = TYX::Test::ReadFileBytes(SongPath("unknown.mp3"));
  auto rows = panel_.Transfer().BuildTransferRows({index}, 1);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(script_.asked.size(), 1u);
  EXPECT_EQ(Item(index)->GetTitle(), "제목");
  EXPECT_EQ(Item(index)->GetIdText(0), "");
  EXPECT_EQ(TYX::Test::ReadFileBytes(SongPath("unknown.mp3")), before);
}

TEST_F(TransferTaggingTest, AComponentThatCannotBeMadeIsToldOnceAndTheSongsStillGo) {
  TYX_MusicIdentifier::SetFactory([](std::string& error) -> std::unique_ptr<TYX_MusicIdentifier> {
    error = "not installed";
    return nullptr;
  });
  const std::uint32_t a = AddMp3("a.mp3");
  const std::uint32_t b = AddMp3("b.mp3");
  agent_->ExpectMessageBox(Win::IDOK, false, Tags::kTaggingComponentFailText);
  auto rows = panel_.Transfer().BuildTransferRows({a, b}, 1);
  EXPECT_EQ(rows.size(), 2u);
  EXPECT_EQ(agent_->Prompts().size(), 1u) << "one notice for the whole transfer";
  EXPECT_TRUE(agent_->AllAnswersUsed());
}

TEST_F(TransferTaggingTest, ALyricPhoneGetsTheLyricsOfTheSongsSent) {
  TYX_INIT::Instance()->SetAttribute("AUTOTAGGING-TRANS", "FALSE");
  TYX_INIT::Instance()->SetAttribute("AUTOTAGGING_TRANS_CONFIRMMSGOFF", "TRUE");
  const std::string folder = PlugPhone(true);
  AddMp3("sing.mp3");
  dir_.Write("music/sing.lrc", "[00:00.40]노래해\n");
  AddMp3("quiet.mp3");
  SendAll();
  EXPECT_EQ(failed_, 0);
  std::vector<Lyrics::LyricLine> lines;
  ASSERT_TRUE(Lyrics::TYX_KcpWriter::ReadLines(folder + "/sing.mp3", lines).ok());
  EXPECT_EQ(lines, (std::vector<Lyrics::LyricLine>{{400, "노래해"}}));
  EXPECT_EQ(TYX::Test::ReadFileBytes(folder + "/quiet.mp3"), TYX::Test::ReadFileBytes(SongPath("quiet.mp3")));
  EXPECT_TRUE(script_.asked.empty()) << "tagging was off";
  EXPECT_EQ(LeftInTemp(), 0);
}

// The store download page: a window that records the put's notices.
class PageWindow {
 public:
  PageWindow() {
    window_.OnMessage(WM_STORE_TRANSFER_NOTICE, [this](Win::WPARAM w, Win::LPARAM l) {
      statuses.push_back(static_cast<int>(w));
      if (static_cast<int>(w) == dm_ts_end) ends.push_back(static_cast<int>(l));
      return Win::LRESULT{0};
    });
    window_.OnMessage(WM_STORE_TRANSFER_REFUSED, [this](Win::WPARAM w, Win::LPARAM) {
      refusals.push_back(static_cast<int>(w));
      return Win::LRESULT{0};
    });
    EXPECT_TRUE(window_.Create(nullptr, Win::Rect{0, 0, 10, 10}, 0));
  }
  Win::HWND Hwnd() const { return window_.GetSafeHwnd(); }
  std::vector<int> statuses, ends, refusals;

 private:
  Win::Window window_;
};

TEST_F(TransferTaggingTest, AStoreDownloadGoesWithItsLyricsAndLeavesNoCopy) {
  const std::string folder = PlugPhone(true);
  AddMp3("store.mp3");
  dir_.Write("music/store.lrc", "[00:00.10]가사\n");
  PageWindow page;
  ASSERT_EQ(panel_.Transfer().FileTransferToDeviceMS(SongPath("store.mp3"), page.Hwnd()), 0);
  ASSERT_TRUE(Win::PumpUntil([&] { return !page.ends.empty(); }, 60000));
  // The page hears the put as it happened, start first and end last.
  EXPECT_EQ(page.ends, std::vector<int>{dm_tc_success});
  ASSERT_FALSE(page.statuses.empty());
  EXPECT_EQ(page.statuses.front(), dm_ts_start);
  EXPECT_EQ(page.statuses.back(), dm_ts_end);
  EXPECT_TRUE(page.refusals.empty());
  std::vector<Lyrics::LyricLine> lines;
  ASSERT_TRUE(Lyrics::TYX_KcpWriter::ReadLines(folder + "/store.mp3", lines).ok());
  EXPECT_EQ(lines, (std::vector<Lyrics::LyricLine>{{100, "가사"}}));
  ASSERT_TRUE(Win::PumpUntil([&] { return LeftInTemp() == 0; }, 60000)) << "the copy is removed after the put";

  // A store download refused after its copy was made (no room on the phone) leaves no copy either.
  client_->Disconnect(dmGetCurrentDevice(1));
  PlugPhone(true, 1000, "small");
  PageWindow refused;
  EXPECT_EQ(panel_.Transfer().FileTransferToDeviceMS(SongPath("store.mp3"), refused.Hwnd()),
            static_cast<long>(Win::E_FAIL));
  Win::PumpMessages();
  EXPECT_EQ(refused.refusals, std::vector<int>{0});
  EXPECT_EQ(LeftInTemp(), 0);
}

TEST_F(TransferTaggingTest, ALyricCopyIsRemovedEvenWhenThePageWentAway) {
  const std::string folder = PlugPhone(true);
  AddMp3("gone.mp3");
  dir_.Write("music/gone.lrc", "[00:00.10]x\n");
  {
    PageWindow page;
    ASSERT_EQ(panel_.Transfer().FileTransferToDeviceMS(SongPath("gone.mp3"), page.Hwnd()), 0);
  }  // the page closes before the put has ended
  ASSERT_TRUE(Win::PumpUntil([&] { return LeftInTemp() == 0; }, 60000));
  std::vector<Lyrics::LyricLine> lines;
  EXPECT_TRUE(Lyrics::TYX_KcpWriter::ReadLines(folder + "/gone.mp3", lines).ok());
}

}  // namespace
}  // namespace TYX::Library::Test
