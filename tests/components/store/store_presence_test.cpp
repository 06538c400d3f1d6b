// Presence of song files asked for many songs at once: the sweep's answers agree with a test of each
// file, and the store keeps (and writes) only the presences that changed.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "components/store/presence_sweep.h"
#include "components/store/song_file.h"
#include "components/store/store_fixture.h"
#include "platform/messaging.h"
#include "platform/window.h"

namespace TYX::Store::Test {
namespace {

namespace fs = std::filesystem;

std::vector<bool> Sweep(const std::vector<std::string>& paths) {
  std::vector<std::string_view> views(paths.begin(), paths.end());
  return TYX_PresenceSweep::Check(views);
}

std::vector<bool> OneByOne(const std::vector<std::string>& paths) {
  std::vector<bool> answers;
  for (const std::string& p : paths) answers.push_back(TYX_SongFile::IsRegularFile(p));
  return answers;
}

TEST_F(StoreTest, SweepAnswersAsATestOfEachFileDoes) {
  const std::string album = dir_.File("music/album");
  std::vector<std::string> paths;
  for (int i = 0; i < 6; ++i) paths.push_back(dir_.Write("music/album/" + std::to_string(i) + " 노래.mp3", "x"));
  fs::remove(paths[2]);                                // gone
  fs::create_directories(album + "/folder.mp3");       // a folder with a song's name
  paths.push_back(album + "/folder.mp3");
  fs::create_symlink(paths[0], album + "/link.mp3");   // a link to a song
  paths.push_back(album + "/link.mp3");
  fs::create_symlink(album + "/nothing.mp3", album + "/dangling.mp3");
  paths.push_back(album + "/dangling.mp3");
  fs::create_directory_symlink(album + "/folder.mp3", album + "/dirlink.mp3");
  paths.push_back(album + "/dirlink.mp3");
  paths.push_back(album + "/never.mp3");               // never there
  paths.push_back(paths[1]);                           // asked twice
  paths.push_back(dir_.Write("music/single/alone.mp3", "x"));  // the only one of its folder
  paths.push_back(dir_.File("music/nofolder/x.mp3"));  // its folder is missing
  paths.push_back(album + "/");                        // no file name
  paths.push_back("relative.mp3");                     // no folder part

  const std::vector<bool> got = Sweep(paths);
  EXPECT_EQ(got, OneByOne(paths));
  // The answers themselves, in case the single test went wrong too.
  EXPECT_TRUE(got[0]);
  EXPECT_FALSE(got[2]);
  EXPECT_FALSE(got[6]);   // folder
  EXPECT_TRUE(got[7]);    // link to a song
  EXPECT_FALSE(got[8]);   // dangling link
  EXPECT_FALSE(got[9]);   // link to a folder
  EXPECT_FALSE(got[10]);
  EXPECT_TRUE(got[11]);
  EXPECT_TRUE(got[12]);
  EXPECT_FALSE(got[13]);
  EXPECT_TRUE(Sweep({}).empty());
}

TEST_F(StoreTest, SweepOfFoldersItCannotListOrThatAreLargeAsksFileByFile) {
  // A folder that may be searched but not listed: the files are still found.
  const std::string hidden = dir_.File("music/hidden");
  std::vector<std::string> paths = {dir_.Write("music/hidden/a.mp3", "x"), dir_.Write("music/hidden/b.mp3", "x"),
                                    hidden + "/c.mp3"};
  ASSERT_EQ(::chmod(hidden.c_str(), 0311), 0);
  std::vector<bool> got = Sweep(paths);
  ::chmod(hidden.c_str(), 0755);
  EXPECT_EQ(got, (std::vector<bool>{true, true, false}));

  // A folder far larger than the files asked for.
  std::vector<std::string> many;
  for (int i = 0; i < 400; ++i) many.push_back(dir_.Write("music/big/" + std::to_string(i) + ".mp3", "x"));
  paths = {many[7], many[399], dir_.File("music/big/400.mp3")};
  EXPECT_EQ(Sweep(paths), (std::vector<bool>{true, true, false}));
  // And one listed whole: every file asked for.
  many.push_back(dir_.File("music/big/gone.mp3"));
  got = Sweep(many);
  EXPECT_EQ(got, OneByOne(many));
  EXPECT_FALSE(got.back());
}

// Counts the store's "fields changed" notices.
class ChangeCounter {
 public:
  ChangeCounter() {
    window_.Create(nullptr, Win::Rect{0, 0, 10, 10}, 0);
    window_.OnMessage(WM_LIBRARY_NOTIFY_LIBRARY, [this](Win::WPARAM w, Win::LPARAM l) {
      if (w == LIBRARY_EVENT_ITEM_CHANGED) changed.push_back(static_cast<std::uint32_t>(l));
      return Win::LRESULT{0};
    });
  }
  Win::HWND Handle() const { return window_.GetSafeHwnd(); }
  std::vector<std::uint32_t> changed;

 private:
  Win::Window window_;
};

TEST_F(StoreTest, PresenceOfManySongsStoresOnlyWhatChanged) {
  std::vector<std::uint32_t> songs;
  std::vector<std::string> paths;
  {
    auto store = OpenStore();
    ASSERT_TRUE(store);
    for (const char* name : {"a/1.mp3", "a/2.mp3", "a/3.mp3", "b/1.mp3"}) {
      paths.push_back(MakeSong(name));
      songs.push_back(store->GetLibrary()->InsertItem(paths.back(), kItemKindFile));
      ASSERT_NE(songs.back(), kNoLibraryIndex);
    }
    const std::uint32_t cd = store->GetLibrary()->InsertItem("D:\\Track01.cda", kItemKindCDTrack);
    const std::uint32_t removed = store->GetLibrary()->InsertItem(MakeSong("a/removed.mp3"), kItemKindFile);
    TYX_LibraryItem* removedItem = store->GetLibraryItem(removed);
    ASSERT_EQ(store->GetLibrary()->RemoveItem(removed), 0);
    fs::remove(paths[1]);
    fs::remove(paths[3]);

    ChangeCounter counter;
    store->RegisterNotify(counter.Handle());
    std::vector<TYX_LibraryItem*> items;
    for (std::uint32_t s : songs) items.push_back(store->GetLibraryItem(s));
    items.push_back(nullptr);
    items.push_back(store->GetLibraryItem(cd));
    items.push_back(removedItem);
    store->CheckFilesExist(items);
    EXPECT_TRUE(items[0]->IsFileExist());
    EXPECT_FALSE(items[1]->IsFileExist());
    EXPECT_TRUE(items[2]->IsFileExist());
    EXPECT_FALSE(items[3]->IsFileExist());
    EXPECT_TRUE(store->GetLibraryItem(cd)->IsFileExist());
    // A removed song is not written (it is no longer in the library), as for one asked alone.
    EXPECT_EQ(removedItem->GetReference(), kNoLibraryIndex);
    ASSERT_TRUE(Win::PumpUntil([&] { return counter.changed.size() >= 2; }, 10000));
    Win::PumpMessages();
    EXPECT_EQ(counter.changed, (std::vector<std::uint32_t>{songs[1], songs[3]}));

    // Asked again with nothing changed: nothing is written.
    counter.changed.clear();
    store->CheckFilesExist(items);
    items[0]->CheckFileExist();
    Win::PumpMessages();
    EXPECT_TRUE(counter.changed.empty());

    // A file that comes back is present again.
    MakeSong("b/1.mp3");
    store->CheckFilesExist({items[3]});
    EXPECT_TRUE(items[3]->IsFileExist());
    fs::remove(paths[3]);
    store->CheckFilesExist({items[3]});
    store->UnregisterNotify(counter.Handle());
  }
  // The answers were stored.
  auto store = OpenStore();
  ASSERT_TRUE(store);
  EXPECT_TRUE(store->GetLibraryItem(songs[0])->IsFileExist());
  EXPECT_FALSE(store->GetLibraryItem(songs[1])->IsFileExist());
  EXPECT_TRUE(store->GetLibraryItem(songs[2])->IsFileExist());
  EXPECT_FALSE(store->GetLibraryItem(songs[3])->IsFileExist());
}

TEST_F(StoreTest, ReopenedSongsKeepTheirOwnTextsWhateverTheirNeighboursHold) {
  // Songs are read one after the other into one row: a long text must not leak into a short or empty
  // one of the next song.
  std::vector<std::uint32_t> songs;
  {
    auto store = OpenStore();
    ASSERT_TRUE(store);
    for (const char* name : {"long.mp3", "empty.mp3", "short.mp3"}) {
      songs.push_back(store->GetLibrary()->InsertItem(MakeSong(name), kItemKindFile));
    }
    TYX_LibraryItem* first = store->GetLibraryItem(songs[0]);
    ASSERT_TRUE(first->SetTitle(std::string(300, 'T') + " 긴 제목"));
    ASSERT_TRUE(first->SetGenre("A genre name longer than a short string"));
    ASSERT_TRUE(first->SetNumber(ItemNumber::Track, 7));
    ASSERT_TRUE(store->GetLibraryItem(songs[2])->SetTitle("s"));
  }
  auto store = OpenStore();
  ASSERT_TRUE(store);
  EXPECT_EQ(store->GetLibraryItem(songs[0])->GetTitle(), std::string(300, 'T') + " 긴 제목");
  EXPECT_EQ(store->GetLibraryItem(songs[0])->GetTrack(), 7u);
  EXPECT_EQ(store->GetLibraryItem(songs[1])->GetTitle(), "");
  EXPECT_EQ(store->GetLibraryItem(songs[1])->GetGenre(), "");
  EXPECT_EQ(store->GetLibraryItem(songs[1])->GetTrack(), 0u);
  EXPECT_EQ(store->GetLibraryItem(songs[2])->GetTitle(), "s");
  EXPECT_EQ(store->GetLibraryItem(songs[2])->GetGenre(), "");
  EXPECT_EQ(store->GetLibraryItem(songs[1])->GetPath(), dir_.File("music/empty.mp3"));
}

}  // namespace
}  // namespace TYX::Store::Test
