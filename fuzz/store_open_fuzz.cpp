// Library files: any bytes as a library file either open, with every song and playlist readable and
// the store still working and the file reopening after its changes, or are refused with a reason and
// left as they were.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "components/store/library_store.h"

namespace {

using TYX::Store::TYX_LibraryStore;

// A folder of this process for the library file, on a memory file system when there is one.
const std::string& Folder() {
  static const std::string folder = [] {
    std::string base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path().string();
    std::string templ = base + "/store_open_fuzz.XXXXXX";
    if (::mkdtemp(templ.data()) == nullptr) abort();
    return templ;
  }();
  return folder;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "store_open_fuzz: %s: %s\n", what, detail.c_str());
  abort();
}

// Reads a playlist and its children; every entry names a live song whose fields read.
void ReadList(TYX::TYX_Playlist* list, int depth) {
  if (list == nullptr) Fail("a stock playlist is missing", "");
  list->GetTitle();
  list->GetUserString();
  list->GetUserData();
  list->GetAttribute();
  for (std::uint32_t i = 0; i < list->CountItem(); ++i) {
    std::uint32_t song = list->GetItem(i);
    TYX::TYX_LibraryItem* item = list->GetItem_LibraryItem(i);
    if (item == nullptr || item->GetReference() != song) Fail("a playlist entry names no live song", list->GetTitle());
    item->GetData();
    item->GetSmartTitle(TYX::kSmartTitleWithArtist | TYX::kSmartTitleTrim);
    if (list->FindItem(song) > i) Fail("FindItem misses an entry", list->GetTitle());
  }
  if (depth > 64) return;  // parents come before children in the file, so trees are finite
  for (std::uint32_t i = 0; i < list->CountPlaylist(); ++i) {
    TYX::TYX_Playlist* child = list->GetPlaylist(i);
    if (child == nullptr || child->GetParent() != list) Fail("a child playlist does not know its parent", "");
    ReadList(child, depth + 1);
  }
}

void ReadEverything(TYX_LibraryStore& store) {
  TYX::TYX_Library* lib = store.GetLibrary();
  // Indexes may be sparse up to four billion: the first ones, and those the playlists name.
  std::uint32_t live = 0;
  const std::uint32_t count = lib->CountItem();
  for (std::uint32_t i = 0; i < count && i < 4096; ++i) {
    TYX::TYX_LibraryItem* item = store.GetLibraryItem(i);
    if (item == nullptr) continue;
    if (item->GetLibraryIndex() != i) Fail("an item has another index", std::to_string(i));
    TYX::TYX_LibraryItemData data = item->GetData();
    item->GetSmartTitle();
    item->GetSmartSongID();
    item->IsFileExist();
    // A path another version stored may normalise to another key: looked up, not checked.
    lib->FindItem(data.Text(TYX::ItemText::Path));
    if (item->GetReference() == i) ++live;
  }
  if (count <= 4096 && live != lib->CountLiveItem()) Fail("the live count is wrong", std::to_string(live));
  for (auto id : {TYX::STOCK_PLAYLIST_LIBRARY, TYX::STOCK_PLAYLIST_NOWPLAYING, TYX::STOCK_PLAYLIST_OLDNOWPLAYING,
                  TYX::STOCK_PLAYLIST_SYNC, TYX::STOCK_PLAYLIST_CDTRACK, TYX::STOCK_PLAYLIST_TRANSFERRED}) {
    ReadList(store.GetStockPlaylist(id), 0);
  }
}

// A few changes of every kind; each may fail (a full index range), none may crash.
void Change(TYX_LibraryStore& store) {
  TYX::TYX_Library* lib = store.GetLibrary();
  TYX::TYX_Playlist* all = store.GetStockPlaylist(TYX::STOCK_PLAYLIST_LIBRARY);
  TYX::TYX_Playlist* now = store.GetStockPlaylist(TYX::STOCK_PLAYLIST_NOWPLAYING);
  lib->BeginUpdate();
  std::uint32_t track = lib->InsertItem("z:\\Track07.cda", TYX::kItemKindCDTrack);
  all->InsertItem(track, 0);
  now->InsertItem(track, 0);
  store.GetStockPlaylist(TYX::STOCK_PLAYLIST_OLDNOWPLAYING)->InsertItem(track, 0);
  lib->EndUpdate();
  if (all->CountItem() > 1) {
    if (TYX::TYX_LibraryItem* first = all->GetItem_LibraryItem(0)) first->SetTitle("fuzzed");
    now->SetUserData(now->CountItem() - 1);
    all->RemoveItem(0);
  }
  if (all->CountPlaylist() > 0) all->GetPlaylist(0)->InsertItem(track, 0);
  if (TYX::TYX_Playlist* saved = all->AddPlaylist("saved")) saved->InsertItem(track, 0);
  store.PackLibrary();
  store.GetStockPlaylist(TYX::STOCK_PLAYLIST_SYNC)->ClearItem();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = Folder() + "/music.db";
  for (const char* tail : {"", "-wal", "-shm", "-journal"}) std::filesystem::remove(path + tail);
  const std::string input(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream out(path, std::ios::binary);
    out << input;
  }
  auto opened = TYX_LibraryStore::Open(path);
  if (!opened.store) {
    if (opened.error.empty()) Fail("refused without a reason", "");
    if (ReadAll(path) != input) Fail("a refused file was changed", opened.error);
    return 0;
  }
  ReadEverything(*opened.store);
  Change(*opened.store);
  ReadEverything(*opened.store);
  opened.store.reset();
  // What the store accepted and wrote, it opens again.
  auto again = TYX_LibraryStore::Open(path);
  if (!again.store) Fail("a library the store changed does not reopen", again.error);
  ReadEverything(*again.store);
  return 0;
}
