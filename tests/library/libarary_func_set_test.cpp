// The function set as the host drives it: the file and folder choosers, dropped files, the stock-playlist
// variant, the folder expansion, and the automatic scan with its settings.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "helpers/scripted_user_agent.h"
#include "helpers/small_file_system.h"
#include "import/import_test_support.h"
#include "library/band_wnd_messages.h"
#include "library/libarary_func_set.h"
#include "platform/dialog.h"
#include "platform/drop_files.h"
#include "util/init.h"
#include "util/skin.h"

namespace TYX::Library::Test {
namespace {

using namespace TYX::Win;
using TYX::Test::ScopedUserAgent;
using TYX::Test::SynthFormat;
using FuncSet = TYX_Libarary_FuncSet;
namespace fs = std::filesystem;

// Lets the held insert go as soon as the stop question is shown.
class ReleasingAgent : public TYX::Test::ScriptedUserAgent {
 public:
  explicit ReleasingAgent(GatedManager& gate) : gate_(gate) {}
  MessageBoxAnswer ShowMessageBox(const MessageBoxRequest& request) override {
    gate_.Release();
    return ScriptedUserAgent::ShowMessageBox(request);
  }

 private:
  GatedManager& gate_;
};

class FuncSetTest : public ImportTest {
 protected:
  void SetUp() override {
    ImportTest::SetUp();
    TYX_Skin::LoadDefault();
    TYX_INIT::Instance()->SetStoreFile(dir_.File("settings.ini"));
  }
  static std::vector<std::string> PathsOf(const std::vector<FuncSet::tagPathItem>& items) {
    std::vector<std::string> out;
    for (const auto& i : items) out.push_back(i.path);
    return out;
  }
  static std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
  }
  TYX_Playlist* Playlist(ENUM_STOCK_PLAYLIST id) { return store_->GetStockPlaylist(id); }
  static void Set(const std::string& key, const std::string& value) { TYX_INIT::Instance()->SetAttribute(key, value); }
  static std::string Get(const std::string& key) { return TYX_INIT::Instance()->GetAttributeStr(key); }
};

TEST_F(FuncSetTest, TheFileChooserRunAddsTheChosenFilesAndKeepsTheirResults) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const std::string a = Song("pick/a.mp3");
  const std::string b = Song("pick/b.flac.mp3");
  FuncSet funcs(store_.get());
  agent->ExpectFiles(std::vector<std::string>{a, b});
  EXPECT_EQ(funcs.ShowAddFilesDialog(nullptr, false, 42), 0u);
  ASSERT_EQ(agent->Prompts().size(), 1u);
  const std::string filter = funcs.GetFindFilter();
  EXPECT_EQ(filter, "*.mp3;*.ogg;*.wma;*.via;*.asf;*.wav;*.flac;*.m4a;*.opus");
  EXPECT_EQ(PathsOf(funcs.GetAddedItems()), (std::vector<std::string>{a, b}));
  EXPECT_EQ(funcs.GetLastSummary().added, 2);
  // A cancelled chooser, and a run into a playlist, add nothing; the chooser is still shown.
  agent->ExpectFiles(std::nullopt);
  EXPECT_EQ(funcs.ShowAddFilesDialog(nullptr, false, 42), FuncSet::kNothingAdded);
  agent->ExpectFiles(std::vector<std::string>{Song("pick/c.mp3")});
  EXPECT_EQ(funcs.ShowAddFilesDialog(nullptr, true, 42), FuncSet::kNothingAdded);
  EXPECT_EQ(agent->ModalCount(), 1);
  EXPECT_EQ(funcs.GetAddedItems().size(), 2u);
  EXPECT_EQ(LiveSongs(), 2u);
  EXPECT_FALSE(watchdog.Fired());
}

TEST_F(FuncSetTest, TheStockPlaylistVariantAppendsEvenSongsThatWereThereAlready) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const std::string a = Song("again/a.mp3");
  FuncSet funcs(store_.get());
  for (int run = 0; run < 2; ++run) {
    agent->ExpectFiles(std::vector<std::string>{a});
    EXPECT_EQ(funcs.ShowAddFilesDialog(nullptr, {STOCK_PLAYLIST_NOWPLAYING, STOCK_PLAYLIST_SYNC}), 0u);
  }
  ASSERT_EQ(funcs.GetAddedItems().size(), 2u);
  EXPECT_EQ(funcs.GetAddedItems()[0].status, kAddStatusAdded);
  EXPECT_EQ(funcs.GetAddedItems()[1].status, kAddStatusPresent);
  EXPECT_EQ(funcs.GetLastSummary().alreadyThere, 1);
  const std::uint32_t index = Library()->FindItem(a);
  EXPECT_EQ(Playlist(STOCK_PLAYLIST_NOWPLAYING)->CountItem(), 2u);
  EXPECT_EQ(Playlist(STOCK_PLAYLIST_NOWPLAYING)->GetItem(1), index);
  EXPECT_EQ(Playlist(STOCK_PLAYLIST_SYNC)->CountItem(), 1u);
  EXPECT_FALSE(watchdog.Fired());
}

// The store as the function set sees it, with a hook each time a stock list is asked for.
class HookedManager : public TYX_LibraryManager {
 public:
  explicit HookedManager(TYX_LibraryManager& store) : store_(store) {}
  std::function<void()> onStockPlaylist;
  TYX_Library* GetLibrary() override { return store_.GetLibrary(); }
  TYX_Playlist* GetStockPlaylist(ENUM_STOCK_PLAYLIST id) override {
    if (onStockPlaylist) onStockPlaylist();
    return store_.GetStockPlaylist(id);
  }
  TYX_LibraryItem* GetLibraryItem(std::uint32_t index) override { return store_.GetLibraryItem(index); }
  std::int32_t PackLibrary() override { return store_.PackLibrary(); }
  std::string ExtractFullLyrics(const std::string& path) override { return store_.ExtractFullLyrics(path); }
  void RegisterNotify(HWND hwnd) override { store_.RegisterNotify(hwnd); }
  void UnregisterNotify(HWND hwnd) override { store_.UnregisterNotify(hwnd); }

 private:
  TYX_LibraryManager& store_;
};

TEST_F(FuncSetTest, StockListAddsLostWithTheirBatchAreMadeAgainSongBySong) {
  TYX::Test::SmallFileSystem disk(4u << 20);
  if (!disk.Mounted()) GTEST_SKIP() << disk.Error();
  auto opened = Store::TYX_LibraryStore::Open(disk.File("music.db"));
  ASSERT_TRUE(opened.store) << opened.error;
  HookedManager manager(*opened.store);
  // The disk is full while the batch is written, and has room again when the adds are made once more.
  int asked = 0;
  manager.onStockPlaylist = [&] {
    if (++asked == 1) disk.FillUp();
    if (asked == 3) disk.Release();
  };
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const std::vector<std::string> songs = {Song("lost/a.mp3"), Song("lost/b.mp3"), Song("lost/c.mp3")};
  FuncSet funcs(&manager);
  agent->ExpectFiles(songs);
  EXPECT_EQ(funcs.ShowAddFilesDialog(nullptr, {STOCK_PLAYLIST_NOWPLAYING, STOCK_PLAYLIST_SYNC}), 0u);
  EXPECT_EQ(asked, 4) << "two lists, each asked for in the batch and once more";
  std::vector<std::uint32_t> indexes;
  for (const std::string& song : songs) indexes.push_back(opened.store->GetLibrary()->FindItem(song));
  for (ENUM_STOCK_PLAYLIST id : {STOCK_PLAYLIST_NOWPLAYING, STOCK_PLAYLIST_SYNC}) {
    TYX_Playlist* list = opened.store->GetStockPlaylist(id);
    ASSERT_EQ(list->CountItem(), 3u) << "list " << id;
    for (std::uint32_t i = 0; i < 3; ++i) EXPECT_EQ(list->GetItem(i), indexes[i]);
  }
  // And they are in the file.
  opened.store.reset();
  auto again = Store::TYX_LibraryStore::Open(disk.File("music.db"));
  ASSERT_TRUE(again.store) << again.error;
  EXPECT_EQ(again.store->GetStockPlaylist(STOCK_PLAYLIST_SYNC)->CountItem(), 3u);
  EXPECT_FALSE(watchdog.Fired());
}

TEST_F(FuncSetTest, TheFolderChooserAddsTheFoldersAudioFilesAndReportsWhatFailed) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const std::string a = Song("fold/a.mp3");
  const std::string b = Song("fold/b.MP3");
  const std::string d = Song("fold/sub/d.ogg", SynthFormat::OGG);
  dir_.Write("fold/c.txt", "x");
  const std::string empty = dir_.Write("fold/sub/empty.wav", "");
  ASSERT_EQ(::symlink(Path("fold").c_str(), Path("fold/sub/loop").c_str()), 0);
  FuncSet funcs(store_.get());
  agent->ExpectFolder(Path("fold"));
  EXPECT_EQ(funcs.ShowAddFolderDialog(nullptr, false, 9), 9u);
  ASSERT_EQ(agent->Prompts().size(), 1u);
  EXPECT_EQ(agent->Prompts()[0].text, "폴더를 선택하세요");
  EXPECT_EQ(Sorted(PathsOf(funcs.GetAddedItems())), Sorted({a, b, d, empty}));
  const TYX_ImportSummary& s = funcs.GetLastSummary();
  EXPECT_EQ(s.added, 3);
  ASSERT_EQ(s.Failed(), 1);
  EXPECT_EQ(s.failures[0].path, empty);
  EXPECT_EQ(s.failures[0].reason, TYX_ImportFailure::Damaged);
  // No choice, or a folder without audio, runs nothing.
  agent->ExpectFolder(std::nullopt);
  EXPECT_EQ(funcs.ShowAddFolderDialog(nullptr, false, 9), FuncSet::kNothingAdded);
  fs::create_directories(Path("silent"));
  agent->ExpectFolder(Path("silent"));
  EXPECT_EQ(funcs.ShowAddFolderDialog(nullptr, false, 9), FuncSet::kNothingAdded);
  EXPECT_EQ(agent->ModalCount(), 1);
  EXPECT_FALSE(watchdog.Fired());
}

TEST_F(FuncSetTest, DroppedFilesComeFromTheDropRecordWhichStaysItsCreators) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const std::string a = Song("drop/a.mp3");
  const std::string b = Song("drop/b.wav", SynthFormat::WAV);
  FuncSet funcs(store_.get());
  _DropTarget drop;
  drop.hDrop = DragCreateList({a, b}, Point{5, 5});
  drop.pageId = "000000";
  EXPECT_EQ(funcs.ShowAddFilesDropDialog(nullptr, drop, false, 31), 31u);
  EXPECT_TRUE(DragIsAlive(drop.hDrop));
  DragFinish(drop.hDrop);
  EXPECT_EQ(PathsOf(funcs.GetAddedItems()), (std::vector<std::string>{a, b}));
  // A first path without a file name, and an empty list, are refused without a popup.
  EXPECT_EQ(funcs.ShowAddFilesDropDialog(nullptr, {Path("drop") + "/", a}, false, 31), FuncSet::kNothingAdded);
  EXPECT_EQ(funcs.ShowAddFilesDropDialog(nullptr, std::vector<std::string>{}, false, 31), FuncSet::kNothingAdded);
  EXPECT_EQ(funcs.ShowAddFilesDrag(nullptr, {}, false, 31), FuncSet::kNothingAdded);
  EXPECT_EQ(funcs.ShowAddFilesDrag(nullptr, {a}, false, 31), 0u);
  EXPECT_EQ(agent->ModalCount(), 2);
  EXPECT_EQ(funcs.ShowAddM3uFileDialog(nullptr, TRUE, 0), FuncSet::kNothingAdded);
  EXPECT_FALSE(watchdog.Fired());
}

TEST_F(FuncSetTest, FolderExpansionFindsAudioByExtensionInAnyCaseAndOnlyRegularFiles) {
  dir_.Write("x/a.mp3", "x");
  dir_.Write("x/b.MP3", "x");
  dir_.Write("x/c.txt", "x");
  dir_.Write("x/n/d.Flac", "x");
  dir_.Write("x/n/e.m4a", "x");
  dir_.Write("x/n/f.opus", "x");
  dir_.Write("x/.h/g.ma3", "x");
  fs::create_directories(Path("x/folder.mp3"));
  ASSERT_EQ(::symlink(Path("x").c_str(), Path("x/n/cycle").c_str()), 0);
  ASSERT_EQ(::mkfifo(Path("x/pipe.ogg").c_str(), 0644), 0);
  EXPECT_EQ(Sorted(FuncSet::GetFolderFiles(Path("x"), FALSE)), Sorted({Path("x/a.mp3"), Path("x/b.MP3")}));
  std::vector<std::string> files{"kept"};
  EXPECT_EQ(FuncSet::GetFolderFiles(Path("x") + "/", files, TRUE), 7);
  EXPECT_EQ(files[0], "kept");
  EXPECT_EQ(Sorted({files.begin() + 1, files.end()}),
            Sorted({Path("x/a.mp3"), Path("x/b.MP3"), Path("x/n/d.Flac"), Path("x/n/e.m4a"), Path("x/n/f.opus"),
                    Path("x/.h/g.ma3")}));
  EXPECT_EQ(FuncSet::GetFolderFiles("", files, TRUE), 0);
}

TEST_F(FuncSetTest, TheScanReadsAndRewritesItsSwitchesAndRefusesTheDriveSearch) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const std::string a = Song("lib/a.mp3");
  Song("lib/b.ogg", SynthFormat::OGG);
  Song("lib/c.wav", SynthFormat::WAV);
  dir_.Write("lib/d.flac", "fLaC\x00\x00\x00\x22");
  FuncSet funcs(store_.get());
  Set("SearchType", "Drive");
  EXPECT_EQ(funcs.AutoScan(), E_FAIL);
  EXPECT_EQ(agent->ModalCount(), 0);
  EXPECT_EQ(Get("AddMP3"), "");  // nothing was written back

  Set("SearchType", "Folder");
  Set("SearchPath", Path("lib") + "/");
  Set("AddMP3", "TRUE");
  Set("AddOGG", "true");  // not set: the check is exact
  Set("AddWAV", "FALSE");
  EXPECT_EQ(funcs.AutoScan(), S_OK);
  EXPECT_EQ(Get("AddMP3"), "TRUE");
  EXPECT_EQ(Get("AddOGG"), "FALSE");
  EXPECT_EQ(Get("AddWMA"), "FALSE");
  EXPECT_EQ(Get("AddFLAC_M4A_OPUS"), "TRUE");  // the newer formats are on unless switched off
  EXPECT_EQ(Sorted(PathsOf(funcs.GetAddedItems())), Sorted({a, Path("lib/d.flac")}));
  EXPECT_EQ(Playlist(STOCK_PLAYLIST_LIBRARY)->CountItem(), 2u);

  // Every switch off: nothing is looked for, nothing added, and the scan still completes.
  Set("AddMP3", "FALSE");
  Set("AddFLAC_M4A_OPUS", "FALSE");
  EXPECT_EQ(funcs.AutoScan(), S_OK);
  EXPECT_EQ(funcs.GetAddedItems().size(), 2u);
  EXPECT_FALSE(watchdog.Fired());
}

TEST_F(FuncSetTest, ARescanPutsEachSongIntoTheLibraryListOnceAndHandsOnEachFilesOwnOutcome) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const std::string a = Song("re/a.mp3");
  const std::string b = Song("re/sub/b.mp3");
  Set("SearchType", "Folder");
  Set("SearchPath", Path("re"));
  Set("AddMP3", "TRUE");
  FuncSet funcs(store_.get());
  EXPECT_EQ(funcs.AutoScan(), S_OK);
  EXPECT_EQ(funcs.AutoScan(), S_OK);
  EXPECT_EQ(Playlist(STOCK_PLAYLIST_LIBRARY)->CountItem(), 2u);
  EXPECT_EQ(LiveSongs(), 2u);
  const auto& items = funcs.GetAddedItems();
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(Sorted({items[0].path, items[1].path}), Sorted({a, b}));
  for (int i = 0; i < 2; ++i) EXPECT_EQ(items[i].status, kAddStatusAdded);
  for (int i = 2; i < 4; ++i) EXPECT_EQ(items[i].status, kAddStatusPresent);
  for (const auto& i : items) EXPECT_EQ(Library()->FindItem(i.path), i.libraryIndex);
  EXPECT_EQ(funcs.GetLastSummary().alreadyThere, 2);
  EXPECT_FALSE(watchdog.Fired());
}

TEST_F(FuncSetTest, AStoppedScanStillListsTheSongsFoundButReportsFailure) {
  GatedManager gate(*store_);
  gate.WakeOnReach(GetCurrentThreadId());
  gate.HoldAt(2);
  auto agent = std::make_shared<ReleasingAgent>(gate);
  SetUserAgent(agent);
  ModalWatchdog watchdog;
  for (int i = 0; i < 5; ++i) Song("stop/s" + std::to_string(i) + ".mp3");
  Set("SearchType", "Folder");
  Set("SearchPath", Path("stop"));
  Set("AddMP3", "TRUE");
  agent->ExpectMessageBox(IDOK);
  bool clicked = false;
  agent->SetIdleAction([&](Window& w) {
    if (clicked || !gate.Reached().IsSet()) return;
    clicked = true;
    // Stop is asked while the second insert is held; it goes on once the question is shown.
    w.PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
  });
  FuncSet funcs(&gate);
  EXPECT_EQ(funcs.AutoScan(), E_FAIL);
  SetUserAgent(nullptr);
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_TRUE(funcs.GetAddedItems().empty());
  const std::uint32_t found = Playlist(STOCK_PLAYLIST_LIBRARY)->CountItem();
  EXPECT_GE(found, 1u);
  EXPECT_EQ(found, LiveSongs());
}

TEST_F(FuncSetTest, TheSongDialogsOpenForALibraryIndexAndRefuseNone) {
  ScopedUserAgent agent;
  ModalWatchdog watchdog;
  const std::string path = Song("dialogs/words.mp3");
  {
    TYX_MediaPtr media = TYX_Media::Instance(path);
    ASSERT_TRUE(media);
    media->SetTitle("Words");
    media->SetLyrics("la la la");
    ASSERT_EQ(media->Save(), 0);
  }
  const std::uint32_t index = Library()->InsertItem(path, kItemKindFile);
  FuncSet funcs(store_.get());
  // The lyrics by library index: the song's own lyrics, under its title.
  std::string title, shownText;
  agent->OnNextModal([&](Window& w) {
    title = w.GetWindowText();
    w.UpdateWindow();
    for (const std::string& t : w.GetLastPaint().Texts()) shownText += t + "|";
    static_cast<Win::Dialog&>(w).EndDialog(IDCANCEL);
  });
  EXPECT_EQ(funcs.ShowLyricDialog(nullptr, index), 1);
  EXPECT_EQ(title, "가사보기");
  EXPECT_NE(shownText.find("la la la"), std::string::npos);
  agent->OnNextModal([](Window& w) { static_cast<Win::Dialog&>(w).EndDialog(IDOK); });
  EXPECT_EQ(funcs.ShowPropertyDialog(nullptr, index), TRUE);
  agent->OnNextModal([](Window& w) { static_cast<Win::Dialog&>(w).EndDialog(IDCANCEL); });
  EXPECT_EQ(funcs.ShowID3EditDialog(nullptr, index), 0);
  EXPECT_EQ(agent->ModalCount(), 3);
  EXPECT_EQ(funcs.ShowLyricDialog(nullptr, kNoLibraryIndex), 0);
  EXPECT_EQ(funcs.ShowPropertyDialog(nullptr, kNoLibraryIndex), FALSE);
  EXPECT_EQ(funcs.ShowID3EditDialog(nullptr, kNoLibraryIndex), 0);
  EXPECT_EQ(agent->ModalCount(), 3);
  EXPECT_FALSE(watchdog.Fired());
}

}  // namespace
}  // namespace TYX::Library::Test
