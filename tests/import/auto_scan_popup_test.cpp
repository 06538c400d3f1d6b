// The automatic scan popup on real trees: a search folder, the drives, nothing to run, the stop
// question, and a large deep tree with a link cycle and a folder that vanishes during the walk.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "helpers/scripted_user_agent.h"
#include "import/auto_scan_option.h"
#include "import/auto_scan_popup.h"
#include "import_test_support.h"
#include "platform/os_services.h"
#include "platform/user_agent.h"
#include "util/init.h"
#include "util/skin.h"

namespace TYX::Library::Test {
namespace {

using namespace TYX::Win;
using TYX::Test::ScopedUserAgent;
using TYX::Test::ScriptedUserAgent;
using TYX::Test::SynthFormat;
using Popup = TYX_Library_AutoScanPopup;
using Outcome = TYX_Library_AddFilesImpl::Outcome;
namespace fs = std::filesystem;

class AutoScanPopupTest : public ImportTest {
 protected:
  void SetUp() override {
    ImportTest::SetUp();
    TYX_Skin::LoadDefault();
  }
  void TearDown() override {
    Os::ClearDrivesForTesting();
    TYX_Skin::LoadDefault();
  }
};

TEST_F(AutoScanPopupTest, ASearchFolderIsWalkedForTheChosenFormatsAndEveryFileKeepsItsOwnRecord) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const std::string a = Song("scan/a.mp3");
  const std::string b = Song("scan/deep/er/b.OGG", SynthFormat::OGG);
  Song("scan/c.wav", SynthFormat::WAV);
  Song("scan/.cache/d.mp3");
  Popup popup;
  popup.SetLibraryManager(store_.get());
  EXPECT_EQ(popup.SetExtFilter("*.mp3;*.ogg"), S_OK);
  EXPECT_EQ(popup.GetFormatsText(), "MP3, OGG");
  popup.SetSearchPath(Path("scan") + "/");
  EXPECT_EQ(popup.DoModal(), IDOK);
  EXPECT_FALSE(watchdog.Fired());
  std::vector<std::string> paths;
  for (const auto& i : popup.GetCollectedItems()) {
    paths.push_back(i.path);
    EXPECT_EQ(i.status, kAddStatusAdded);
    EXPECT_EQ(Library()->FindItem(i.path), i.libraryIndex);
  }
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths, (std::vector<std::string>{a, b}));
  EXPECT_EQ(LiveSongs(), 2u);
  popup.UpdateWindow();
  EXPECT_NE(popup.GetLastPaint().FindText("검색 파일 포맷 : MP3, OGG"), nullptr);
  EXPECT_NE(popup.GetLastPaint().FindText("추가한 파일수 : 2곡"), nullptr);
  EXPECT_EQ(popup.GetTitle(), "음악파일 자동추가");
}

TEST_F(AutoScanPopupTest, WithNothingToRunThePopupClosesAtOnce) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  {
    Popup popup;  // no library manager: the scan fails
    EXPECT_EQ(popup.DoModal(), IDCANCEL);
  }
  {
    Os::SetDrivesForTesting({});
    Popup popup;  // no drive: nothing to walk
    popup.SetLibraryManager(store_.get());
    popup.SetSearchPath("");
    EXPECT_EQ(popup.DoModal(), IDOK);
    EXPECT_TRUE(popup.GetCollectedItems().empty());
  }
  {
    Song("noskin/a.mp3");
    TYX_Skin::Unload();
    Popup popup;  // no skin
    popup.SetLibraryManager(store_.get());
    popup.SetSearchPath(Path("noskin"));
    EXPECT_EQ(popup.DoModal(), IDOK);
  }
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(LiveSongs(), 0u);
}

TEST_F(AutoScanPopupTest, OnlyFixedAndNetworkDrivesAreScanned) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const std::string fixed = Song("d1/a.mp3");
  const std::string remote = Song("d2/b.mp3");
  Song("d3/c.mp3");
  Os::SetDrivesForTesting({{Path("d1"), DRIVE_FIXED, "ext4"},
                           {Path("d2") + "/", DRIVE_REMOTE, "nfs"},
                           {Path("d3"), DRIVE_CDROM, "iso9660"}});
  EXPECT_EQ(Popup::DriveFolders(), (std::vector<std::string>{Path("d1"), Path("d2")}));
  Popup popup;
  popup.SetLibraryManager(store_.get());
  popup.SetExtFilter("*.mp3");
  popup.SetSearchPath("");
  EXPECT_EQ(popup.DoModal(), IDOK);
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(LiveSongs(), 2u);
  EXPECT_NE(Library()->FindItem(fixed), kNoLibraryIndex);
  EXPECT_NE(Library()->FindItem(remote), kNoLibraryIndex);
}

TEST_F(AutoScanPopupTest, AnEmptyPatternListIsReportedAndFindsNothing) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  Song("none/a.mp3");
  Popup popup;
  popup.SetLibraryManager(store_.get());
  EXPECT_EQ(popup.SetExtFilter(""), E_FAIL);
  EXPECT_EQ(popup.GetExtFilter(), "");
  popup.SetSearchPath(Path("none"));
  EXPECT_EQ(popup.DoModal(), IDOK);
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_TRUE(popup.GetCollectedItems().empty());
  EXPECT_EQ(LiveSongs(), 0u);
}

TEST_F(AutoScanPopupTest, OnlyTheExactTextTrueSwitchesAFormatOnAndEverySwitchIsWrittenBack) {
  TYX_INIT* init = TYX_INIT::Instance();
  init->SetStoreFile(Path("settings.ini"));
  for (const char* key : {"AddMP3", "AddOGG", "AddWMA", "AddASF", "AddWAV", "AddVIA"}) init->RemoveAttribute(key);
  init->RemoveAttribute(TYX_Library_AutoScanOption::kNewFormatsKey);
  init->SetAttribute("AddWMA", "TRUE");
  init->SetAttribute("AddWAV", "true");  // not the exact text
  TYX_Library_AutoScanOption option;
  option.Load();
  // Missing keys are off, except the newer formats, which are on unless switched off.
  EXPECT_FALSE(option.mp3);
  EXPECT_FALSE(option.ogg);
  EXPECT_TRUE(option.wma);
  EXPECT_FALSE(option.asf);
  EXPECT_FALSE(option.wav);
  EXPECT_FALSE(option.via);
  EXPECT_TRUE(option.newFormats);
  EXPECT_EQ(option.BuildPatternList(), "*.wma;*.flac;*.m4a;*.opus");
  ASSERT_TRUE(option.Save());
  EXPECT_EQ(init->GetAttributeStr("AddMP3"), "FALSE");
  EXPECT_EQ(init->GetAttributeStr("AddOGG"), "FALSE");
  EXPECT_EQ(init->GetAttributeStr("AddWMA"), "TRUE");
  EXPECT_EQ(init->GetAttributeStr("AddWAV"), "FALSE");
  EXPECT_EQ(init->GetAttributeStr("AddVIA"), "FALSE");
  EXPECT_EQ(init->GetAttributeStr(TYX_Library_AutoScanOption::kNewFormatsKey), "TRUE");

  // Every switch off: no pattern at all.
  init->SetAttribute("AddWMA", "FALSE");
  init->SetAttribute(TYX_Library_AutoScanOption::kNewFormatsKey, "FALSE");
  option.Load();
  EXPECT_EQ(option.BuildPatternList(), "");
  init->SetAttribute("AddMP3", "TRUE");
  init->SetAttribute("AddOGG", "TRUE");
  init->SetAttribute("AddASF", "TRUE");
  init->SetAttribute("AddVIA", "TRUE");
  option.Load();
  EXPECT_EQ(option.BuildPatternList(), "*.mp3;*.ogg;*.asf;*.via");
  EXPECT_EQ(Popup::FormatsText(option.BuildPatternList()), "MP3, OGG, ASF, VIA");
}

class ReleasingAgent : public ScriptedUserAgent {
 public:
  explicit ReleasingAgent(GatedManager& gate) : gate_(gate) {}
  MessageBoxAnswer ShowMessageBox(const MessageBoxRequest& request) override {
    gate_.Release();
    return ScriptedUserAgent::ShowMessageBox(request);
  }

 private:
  GatedManager& gate_;
};

TEST_F(AutoScanPopupTest, TheStopQuestionStopsWithCancelOrLetsTheScanFinish) {
  for (int answer : {IDOK, IDCANCEL}) {
    SCOPED_TRACE(answer);
    TYX::Test::TempDir tree;
    for (int i = 0; i < 6; ++i) tree.Write("f" + std::to_string(i) + ".mp3", SongBytes(SynthFormat::MP3));
    GatedManager gate(*store_);
    gate.WakeOnReach(GetCurrentThreadId());
    gate.HoldAt(2);
    auto agent = std::make_shared<ReleasingAgent>(gate);
    SetUserAgent(agent);
    ModalWatchdog watchdog;
    agent->ExpectMessageBox(answer, false, "음악파일 자동추가를 중단하시겠습니까?\r\n");
    bool clicked = false;
    agent->SetIdleAction([&](Window& w) {
      if (clicked || !gate.Reached().IsSet()) return;
      clicked = true;
      EXPECT_TRUE(static_cast<Popup&>(w).ClickButton(IDCANCEL));
    });
    Popup popup;
    popup.SetLibraryManager(&gate);
    popup.SetExtFilter("*.mp3");
    popup.SetSearchPath(tree.Path());
    const int result = popup.DoModal();
    SetUserAgent(nullptr);
    EXPECT_FALSE(watchdog.Fired());
    ASSERT_EQ(agent->Prompts().size(), 1u);
    EXPECT_EQ(agent->Prompts()[0].caption, "음악파일 자동 추가 중단");
    if (answer == IDOK) {
      EXPECT_EQ(result, IDCANCEL);
      EXPECT_EQ(popup.GetWorker().GetOutcome(), Outcome::Stopped);
      EXPECT_GE(popup.GetCollectedItems().size(), 2u);
      EXPECT_LT(popup.GetCollectedItems().size(), 6u);
    } else {
      EXPECT_EQ(result, IDOK);
      EXPECT_EQ(popup.GetCollectedItems().size(), 6u);
      EXPECT_EQ(gate.Inserts(), 6);
    }
    Library()->ClearItem();
  }
}

TEST_F(AutoScanPopupTest, TenThousandFilesInADeepTreeWithALinkCycleAndAVanishingFolder) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog(400000);  // ten thousand tag reads and inserts under the sanitizers
  // 20 chains of 10 nested folders, 50 songs each (hard links of three real songs): 10 000 files.
  const std::string root = Path("big");
  const std::string bases[3] = {Song("base/s.mp3"), Song("base/s.ogg", SynthFormat::OGG),
                                Song("base/s.wav", SynthFormat::WAV)};
  int made = 0;
  std::string deepest;
  for (int chain = 0; chain < 20; ++chain) {
    std::string folder = root + "/c" + std::to_string(chain);
    for (int level = 0; level < 10; ++level) {
      folder += "/l" + std::to_string(level);
      fs::create_directories(folder);
      for (int i = 0; i < 50; ++i) {
        const std::string& base = bases[made % 3];
        const std::string target = folder + "/t" + std::to_string(i) + fs::path(base).extension().string();
        ASSERT_EQ(::link(base.c_str(), target.c_str()), 0) << target;
        ++made;
      }
    }
    deepest = folder;
  }
  ASSERT_EQ(made, 10000);
  ASSERT_EQ(::symlink(root.c_str(), (deepest + "/back-to-top").c_str()), 0);
  Song("big/top.mp3");
  Song("big/vanish/lost.mp3");
  GatedManager gate(*store_);
  gate.OnInsert([&](int call) {
    if (call == 1) fs::remove_all(root + "/vanish");  // the top folder's file comes before any folder
  });
  Popup popup;
  popup.SetLibraryManager(&gate);
  popup.SetExtFilter("*.mp3;*.ogg;*.wav");
  popup.SetSearchPath(root);
  EXPECT_EQ(popup.DoModal(), IDOK);
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(popup.GetCollectedItems().size(), 10001u);
  EXPECT_EQ(LiveSongs(), 10001u);
  EXPECT_EQ(popup.GetSummary().added, 10001);
  ASSERT_EQ(popup.GetSummary().Failed(), 1);
  EXPECT_EQ(popup.GetSummary().failures[0].path, root + "/vanish");
  EXPECT_EQ(popup.GetInfo().processed, 10001);
}

}  // namespace
}  // namespace TYX::Library::Test
