// The add-files worker on real files and a real store: outcomes per file, both modes, the folder walk's
// hazards, failures inside the run, suspend, resume and stop.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "import/add_files_impl.h"
#include "import/add_files_messages.h"
#include "import_test_support.h"

namespace TYX::Library::Test {
namespace {

using namespace TYX::Win;
using TYX::Test::SynthFormat;
using Impl = TYX_Library_AddFilesImpl;
using Outcome = Impl::Outcome;
namespace fs = std::filesystem;

class AddFilesImplTest : public ImportTest {
 protected:
  std::vector<std::string> Paths(const std::vector<Impl::tagPathItem>& items) {
    std::vector<std::string> out;
    for (const auto& i : items) out.push_back(i.path);
    return out;
  }
  TYX_ImportFailure ReasonOf(const Impl& worker, const std::string& path) {
    for (const auto& f : worker.Summary().failures)
      if (f.path == path) return f.reason;
    return TYX_ImportFailure::None;
  }
};

TEST_F(AddFilesImplTest, EachFileOfAListGetsItsOwnOutcomeAndOnlyRegularAudioFilesReachTheLibrary) {
  const std::string a = Song("in/a.mp3");
  const std::string b = Song("in/b.ogg", SynthFormat::OGG);
  const std::string c = Song("in/c.WAV", SynthFormat::WAV);
  const std::string missing = Path("in/missing.mp3");
  const std::string empty = dir_.Write("in/empty.mp3", "");
  const std::string garbage = dir_.Write("in/garbage.ogg", "this is no ogg stream at all");
  const std::string text = dir_.Write("in/notes.txt", "hello");
  const std::string folder = Path("in/folder.mp3");
  fs::create_directories(folder);
  dir_.Write("in/folder.mp3/inner.txt", "x");

  Impl worker;
  worker.SetLibraryManager(store_.get());
  ASSERT_EQ(worker.SetFromFileList({a, b, c, missing, empty, garbage, text, folder, a}, ADDTYPE_FILES, 77), S_OK);
  EXPECT_EQ(worker.GetTarget(), 77u);
  ASSERT_EQ(worker.Run(nullptr), Outcome::Completed);

  const auto& r = worker.Results();
  ASSERT_EQ(r.size(), 9u);
  EXPECT_EQ(r[0].status, kAddStatusAdded);
  EXPECT_EQ(r[1].status, kAddStatusAdded);
  EXPECT_EQ(r[2].status, kAddStatusAdded);
  EXPECT_EQ(r[3].status, kAddStatusMissing);
  for (int i = 4; i < 8; ++i) {
    EXPECT_EQ(r[i].status, kAddStatusRefused) << r[i].path;
    EXPECT_EQ(r[i].libraryIndex, kNoLibraryIndex) << r[i].path;
  }
  // The same file again is found, not added twice.
  EXPECT_EQ(r[8].status, kAddStatusPresent);
  EXPECT_EQ(r[8].libraryIndex, r[0].libraryIndex);
  EXPECT_EQ(LiveSongs(), 3u);
  EXPECT_EQ(Library()->FindItem(folder), kNoLibraryIndex);

  const Impl::tagAddItemsInfo& info = worker.Info();
  EXPECT_EQ(info.processed, 9);
  EXPECT_EQ(info.total, 9);
  EXPECT_EQ(info.added, 3);
  EXPECT_EQ(info.failed, 6);  // missing, four refused and the one already there

  const TYX_ImportSummary& s = worker.Summary();
  EXPECT_EQ(s.added, 3);
  EXPECT_EQ(s.alreadyThere, 1);
  EXPECT_EQ(s.Failed(), 5);
  EXPECT_EQ(ReasonOf(worker, missing), TYX_ImportFailure::Missing);
  EXPECT_EQ(ReasonOf(worker, empty), TYX_ImportFailure::Damaged);
  EXPECT_EQ(ReasonOf(worker, garbage), TYX_ImportFailure::Damaged);
  EXPECT_EQ(ReasonOf(worker, text), TYX_ImportFailure::NotAudio);
  EXPECT_EQ(ReasonOf(worker, folder), TYX_ImportFailure::NotAudio);
  EXPECT_EQ(s.Text(), "added 3, already there 1, failed 5");
}

TEST_F(AddFilesImplTest, APlaylistTypeInsertsNothingAndCountsNothingForGoodFiles) {
  const std::string a = Song("p/a.mp3");
  Impl worker;
  worker.SetLibraryManager(store_.get());
  ASSERT_EQ(worker.SetFromFileList({a, Path("p/gone.mp3")}, ADDTYPE_FILES_PLAYLIST, 1), S_OK);
  ASSERT_EQ(worker.Run(nullptr), Outcome::Completed);
  EXPECT_EQ(worker.Results()[0].status, kAddStatusAdded);
  EXPECT_EQ(worker.Results()[0].libraryIndex, kNoLibraryIndex);
  EXPECT_EQ(worker.Results()[1].status, kAddStatusMissing);
  EXPECT_EQ(worker.Info().added, 0);
  EXPECT_EQ(LiveSongs(), 0u);
}

TEST_F(AddFilesImplTest, AnEmptyListOrNoManagerIsRefusedAndNoRunStarts) {
  Window window;  // a window for Start; it never gets a message here
  ASSERT_TRUE(window.Create(nullptr, Rect{0, 0, 10, 10}, WS_POPUP));
  Impl worker;
  EXPECT_EQ(worker.SetFromFileList({Path("x.mp3")}, ADDTYPE_FILES, 0), E_FAIL);  // no manager
  worker.SetLibraryManager(store_.get());
  EXPECT_EQ(worker.SetFromFileList({}, ADDTYPE_FILES, 0), E_INVALIDARG);
  EXPECT_EQ(worker.SetFromFolderList({}, ADDTYPE_SCAN, 0, true, "*.mp3"), E_INVALIDARG);
  // Nothing was prepared, so there is nothing to start, and no thread exists to suspend.
  EXPECT_EQ(worker.Start(window.GetSafeHwnd()), E_FAIL);
  EXPECT_EQ(worker.GetOutcome(), Outcome::NotRun);
  EXPECT_EQ(worker.Suspend(), E_FAIL);
  EXPECT_EQ(worker.Resume(), E_FAIL);
  EXPECT_EQ(worker.Run(nullptr), Outcome::Failed);
  EXPECT_EQ(LiveSongs(), 0u);
  // A prepared list without a window does not start either.
  ASSERT_EQ(worker.SetFromFileList({Song("x.mp3")}, ADDTYPE_FILES, 0), S_OK);
  EXPECT_EQ(worker.Start(nullptr), E_FAIL);
}

TEST_F(AddFilesImplTest, TheFolderWalkAddsMatchingRegularFilesAndSurvivesLinksFifosAndHiddenFolders) {
  const std::string root = Path("tree");
  const std::string a = Song("tree/a.MP3");
  const std::string b = Song("tree/sub/b.ogg", SynthFormat::OGG);
  Song("tree/.hidden/c.mp3");
  Song("tree/sub/w.wav", SynthFormat::WAV);  // not in the filter
  const std::string d = Song("tree/album.mp3/d.mp3");  // a folder with an audio name is walked, not added
  dir_.Write("tree/notes.txt", "x");
  ASSERT_EQ(::symlink(root.c_str(), (root + "/sub/loop").c_str()), 0);
  ASSERT_EQ(::symlink((root + "/nowhere.mp3").c_str(), (root + "/dangling.mp3").c_str()), 0);
  ASSERT_EQ(::mkfifo((root + "/pipe.mp3").c_str(), 0644), 0);

  Impl worker;
  worker.SetLibraryManager(store_.get());
  ASSERT_EQ(worker.SetFromFolderList({root + "/"}, ADDTYPE_SCAN, kNoLibraryIndex, true, "*.mp3;*.ogg"), S_OK);
  ASSERT_EQ(worker.Run(nullptr), Outcome::Completed);

  std::vector<std::string> added;
  for (const auto& r : worker.Results())
    if (r.status == kAddStatusAdded) added.push_back(r.path);
  std::sort(added.begin(), added.end());
  EXPECT_EQ(added, (std::vector<std::string>{a, d, b}));
  EXPECT_EQ(LiveSongs(), 3u);
  EXPECT_EQ(Library()->FindItem(root + "/album.mp3"), kNoLibraryIndex);
  EXPECT_EQ(ReasonOf(worker, root + "/dangling.mp3"), TYX_ImportFailure::Unreadable);
  EXPECT_EQ(ReasonOf(worker, root + "/pipe.mp3"), TYX_ImportFailure::NotAudio);
  // Files found count as processed, and the total grows with them.
  EXPECT_EQ(worker.Info().processed, 5);
  EXPECT_EQ(worker.Info().total, 5);
}

TEST_F(AddFilesImplTest, AFolderThatCannotBeReadIsSkippedCountedAndTheWalkGoesOn) {
  const std::string root = Path("music");
  Song("music/one.mp3");
  Song("music/two.mp3");
  Song("music/three.mp3");
  Song("music/gone/four.mp3");
  Song("music/later/five.mp3");
  GatedManager gate(*store_);
  // The first insert removes a folder the walk has listed but not entered yet (files come first).
  gate.OnInsert([&](int call) {
    if (call == 1) fs::remove_all(root + "/gone");
  });
  Impl worker;
  worker.SetLibraryManager(&gate);
  RecordingWindow window(worker);
  ASSERT_EQ(worker.SetFromFolderList({root}, ADDTYPE_SCAN, kNoLibraryIndex, true, "*.mp3"), S_OK);
  ASSERT_EQ(worker.Run(window.GetSafeHwnd()), Outcome::Completed);
  PumpMessages();
  EXPECT_EQ(LiveSongs(), 4u);
  EXPECT_EQ(worker.Summary().added, 4);
  ASSERT_EQ(worker.Summary().Failed(), 1);
  EXPECT_EQ(worker.Summary().failures[0].path, root + "/gone");
  EXPECT_EQ(worker.Summary().failures[0].reason, TYX_ImportFailure::Unreadable);
  EXPECT_EQ(worker.Info().failed, 1);
  EXPECT_TRUE(window.Has(WM_ADDFOLDERS_COMPLETE));
}

TEST_F(AddFilesImplTest, SongsOfAGroupTheStoreLostAreInsertedAgain) {
  std::vector<std::string> files;
  for (int i = 0; i < 4; ++i) files.push_back(Song("lost/s" + std::to_string(i) + ".mp3"));
  GatedManager gate(*store_);
  gate.LoseNextGroup();
  Impl worker;
  worker.SetLibraryManager(&gate);
  ASSERT_EQ(worker.SetFromFileList(files, ADDTYPE_FILES, 0), S_OK);
  ASSERT_EQ(worker.Run(nullptr), Outcome::Completed);
  EXPECT_EQ(gate.LostGroups(), 1);
  EXPECT_EQ(LiveSongs(), 4u);
  ASSERT_EQ(worker.Results().size(), 4u);
  for (const auto& r : worker.Results()) {
    EXPECT_EQ(r.status, kAddStatusAdded);
    EXPECT_EQ(Library()->FindItem(r.path), r.libraryIndex) << r.path;
  }
  EXPECT_EQ(worker.Summary().added, 4);
}

TEST_F(AddFilesImplTest, PostedMessagesCarryCopiesThatTheWorkerDoesNotRewrite) {
  for (int i = 0; i < 6; ++i) Song("copies/s" + std::to_string(i) + ".mp3");
  Impl worker;
  worker.SetLibraryManager(store_.get());
  RecordingWindow window(worker);
  ASSERT_EQ(worker.SetFromFolderList({Path("copies")}, ADDTYPE_SCAN, kNoLibraryIndex, true, "*.mp3"), S_OK);
  ASSERT_EQ(worker.Run(window.GetSafeHwnd()), Outcome::Completed);
  // The posted reports are read only now, after the worker has moved on to the end.
  PumpMessages();
  std::vector<std::string> reported;
  int n = 0;
  for (const auto& r : window.records) {
    if (r.msg != WM_ADDFOLDERS_READDATA) continue;
    ASSERT_TRUE(r.notice.has_value());
    reported.push_back(r.notice->item.path);
    EXPECT_EQ(r.notice->info.processed, ++n);
    EXPECT_EQ(r.notice->info.path, r.notice->item.path);
  }
  std::vector<std::string> results;
  for (const auto& r : worker.Results()) results.push_back(r.path);
  EXPECT_EQ(reported, results);
  EXPECT_EQ(worker.Outbox().Size(), 0u);  // every copy was taken
}

TEST_F(AddFilesImplTest, CopiesNobodyTakesAreBounded) {
  for (int i = 0; i < 700; ++i) dir_.Write("many/f" + std::to_string(i) + ".mp3", "x");
  Impl worker;
  worker.SetLibraryManager(store_.get());
  RecordingWindow window(worker);
  // A playlist type walks and reports without inserting.
  ASSERT_EQ(worker.SetFromFolderList({Path("many")}, ADDTYPE_FOLDERS_8, 0, true, "*.mp3"), S_OK);
  ASSERT_EQ(worker.Run(window.GetSafeHwnd()), Outcome::Completed);
  EXPECT_EQ(worker.Results().size(), 700u);
  EXPECT_LE(worker.Outbox().Size(), TYX_Library_AddFilesOutbox::kMaxKept);
  EXPECT_GT(worker.Outbox().Size(), 0u);
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {}  // dropped unread: the outbox frees them
}

TEST_F(AddFilesImplTest, AThrowInsideTheRunEndsItWithAnErrorMessage) {
  const std::string a = Song("t/a.mp3");
  const std::string b = Song("t/b.mp3");
  GatedManager gate(*store_);
  gate.ThrowAt(2);
  Impl worker;
  worker.SetLibraryManager(&gate);
  RecordingWindow window(worker);
  ASSERT_EQ(worker.SetFromFileList({a, b, a}, ADDTYPE_FILES, 0), S_OK);
  ASSERT_EQ(worker.Start(window.GetSafeHwnd()), S_OK);
  ASSERT_TRUE(PumpUntil([&] { return window.Has(WM_ADDFILES_ERROR); }, kWatchdogMs));
  ASSERT_TRUE(worker.WaitForEnd(kWatchdogMs));
  EXPECT_EQ(worker.GetOutcome(), Outcome::Failed);
  EXPECT_NE(worker.GetError().find("store exploded"), std::string::npos);
  EXPECT_FALSE(window.Has(WM_ADDFILES_COMPLETE));
  ASSERT_EQ(worker.Results().size(), 1u);  // the file before the failure
  EXPECT_EQ(worker.Results()[0].path, a);
}

TEST_F(AddFilesImplTest, AResumeWhileRunningDoesNotLetTheNextSuspendPass) {
  const std::vector<std::string> files = {Song("r/a.mp3"), Song("r/b.mp3"), Song("r/c.mp3")};
  GatedManager gate(*store_);
  gate.HoldAt(1);
  Impl worker;
  worker.SetLibraryManager(&gate);
  RecordingWindow window(worker);
  ASSERT_EQ(worker.SetFromFileList(files, ADDTYPE_FILES, 0), S_OK);
  ASSERT_EQ(worker.Start(window.GetSafeHwnd()), S_OK);
  ASSERT_TRUE(PumpUntil([&] { return gate.Reached().IsSet(); }, kWatchdogMs));
  EXPECT_EQ(worker.Resume(), S_OK);  // nothing is paused: this must leave nothing behind
  EXPECT_EQ(worker.Suspend(), S_OK);
  EXPECT_TRUE(worker.IsSuspended());
  gate.Reached().Reset();
  gate.HoldAt(2);
  gate.Release();
  ASSERT_TRUE(PumpUntil([&] { return window.Count(WM_ADDFILES_ONEITEM_END) == 1; }, kWatchdogMs));
  // Paused after the first file: the second insert does not come while the window keeps answering.
  EXPECT_FALSE(PumpUntil([&] { return gate.Reached().IsSet(); }, 300));
  EXPECT_EQ(gate.Inserts(), 1);
  EXPECT_EQ(worker.Resume(), S_OK);
  ASSERT_TRUE(PumpUntil([&] { return window.Has(WM_ADDFILES_COMPLETE); }, kWatchdogMs));
  ASSERT_TRUE(worker.WaitForEnd(kWatchdogMs));
  EXPECT_EQ(worker.GetOutcome(), Outcome::Completed);
  EXPECT_EQ(gate.Inserts(), 3);
  EXPECT_EQ(worker.Summary().added, 3);
}

TEST_F(AddFilesImplTest, StopReleasesASuspendedWorkerAndReportsTheStop) {
  const std::vector<std::string> files = {Song("s/a.mp3"), Song("s/b.mp3"), Song("s/c.mp3")};
  GatedManager gate(*store_);
  gate.HoldAt(1);
  Impl worker;
  worker.SetLibraryManager(&gate);
  RecordingWindow window(worker);
  ASSERT_EQ(worker.SetFromFileList(files, ADDTYPE_FILES, 0), S_OK);
  ASSERT_EQ(worker.Start(window.GetSafeHwnd()), S_OK);
  ASSERT_TRUE(PumpUntil([&] { return gate.Reached().IsSet(); }, kWatchdogMs));
  ASSERT_EQ(worker.Suspend(), S_OK);
  gate.Release();
  ASSERT_TRUE(PumpUntil([&] { return window.Count(WM_ADDFILES_ONEITEM_END) == 1; }, kWatchdogMs));
  worker.Stop();  // must come back although the worker waits for a resume
  EXPECT_EQ(worker.GetOutcome(), Outcome::Stopped);
  ASSERT_EQ(worker.Results().size(), 1u);
  EXPECT_EQ(LiveSongs(), 1u);
  ASSERT_TRUE(PumpUntil([&] { return window.Has(WM_ADDFILES_STOP); }, kWatchdogMs));
  EXPECT_FALSE(window.Has(WM_ADDFILES_COMPLETE));
}

}  // namespace
}  // namespace TYX::Library::Test
