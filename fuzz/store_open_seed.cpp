// Seeds for the library-file target: real small library files made by the store (new, with songs and
// playlists, with removed songs and nested saved lists, and one of the older schema).
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "components/store/library_store.h"

namespace {

using TYX::Store::TYX_LibraryStore;

bool Make(const std::string& path, int kind) {
  std::filesystem::remove(path);
  auto opened = TYX_LibraryStore::Open(path);
  if (!opened.store) {
    std::fprintf(stderr, "%s\n", opened.error.c_str());
    return false;
  }
  TYX_LibraryStore& store = *opened.store;
  TYX::TYX_Library* lib = store.GetLibrary();
  TYX::TYX_Playlist* all = store.GetStockPlaylist(TYX::STOCK_PLAYLIST_LIBRARY);
  if (kind == 0) return true;  // a new, empty library
  // CD-track songs: the store takes them without reading a file.
  for (int t = 1; t <= 4; ++t) {
    char name[32];
    std::snprintf(name, sizeof name, "e:\\Track%02d.cda", t);
    std::uint32_t song = lib->InsertItem(name, TYX::kItemKindCDTrack);
    all->InsertItem(song, 0);
    store.GetStockPlaylist(TYX::STOCK_PLAYLIST_NOWPLAYING)->InsertItem(song, 0);
    store.GetStockPlaylist(TYX::STOCK_PLAYLIST_CDTRACK)->InsertItem(song, 0);
    TYX::TYX_LibraryItem* item = store.GetLibraryItem(song);
    item->SetTitle("노래 " + std::to_string(t));
    item->SetArtist("가수");
    item->SetIdText(1, "WM00000" + std::to_string(t));
    item->SetDuration(200 + t);
  }
  store.GetStockPlaylist(TYX::STOCK_PLAYLIST_NOWPLAYING)->SetUserData(2);
  store.GetStockPlaylist(TYX::STOCK_PLAYLIST_SYNC)->InsertItem(1, 0);
  store.GetStockPlaylist(TYX::STOCK_PLAYLIST_OLDNOWPLAYING)->InsertItem(3, 0);
  TYX::TYX_Playlist* saved = all->AddPlaylist("드라이브");
  saved->InsertItem(0, 0);
  saved->InsertItem(0, 0);
  saved->SetUserString("memo");
  if (kind >= 2) {
    saved->AddPlaylist("inner")->InsertItem(2, 0);
    all->AddPlaylist("second")->SetAttribute(0x10);
    lib->RemoveItem(1);  // removed, not packed
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string folder = argv[1];
  for (int kind = 0; kind < 3; ++kind) {
    if (!Make(folder + "/library" + std::to_string(kind), kind)) return 1;
  }
  // The older schema: the same library without the index of entries by song.
  const std::string older = folder + "/library3";
  if (!Make(older, 2)) return 1;
  sqlite3* db = nullptr;
  if (sqlite3_open(older.c_str(), &db) != SQLITE_OK ||
      sqlite3_exec(db, "DROP INDEX entries_by_song; PRAGMA user_version = 1; PRAGMA journal_mode = DELETE;", nullptr,
                   nullptr, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "cannot make the older library: %s\n", sqlite3_errmsg(db));
    sqlite3_close(db);
    return 1;
  }
  sqlite3_close(db);
  return 0;
}
