#pragma once
// The embedded library store: one SQLite database file per library, held in memory while open and
// written through on every change.
//
// Threads: every operation of the store, its library, playlists and items may be called from any
// thread (the add-files worker inserts while the user-interface thread reads). One lock serialises
// them; file reads for tags happen outside it. Item and playlist pointers stay valid for the life of
// the store.
//
// Change notices (posted to the registered windows, wParam the event code, lParam a library index or ~0):
//   0xAC72  1 a song entered the song table, 2 a song left it, 3 added to / 4 removed from playlist 2,
//           5 a song's fields changed, 6 playlist 2's properties changed, 7 removed songs were packed.
//   0xAC73  playlist 6: 3 added, 4 removed, 6 properties changed.
//   0xAC76  playlist 4: 3 added, 4 removed, 6 properties changed (the play position).
//   0xAC77  playlist 5: 3 added, 4 removed, 6 properties changed.
// Emptying a list, or the library, sends one notice per kind of change with lParam ~0.
//
// Failed writes: every operation stores its change before it shows it, and reports a write the file
// refused (full disk, read-only disk, I/O error) by its result, with the reason in GetLastError();
// memory then stays as the file is. A batch (BeginUpdate/EndUpdate) whose transaction is lost, at its
// commit or before, takes all its changes back: the store reads the file again into the same item and
// playlist objects (songs of the batch become dead items) and sends every kind of notice of every list
// with lParam ~0. Indexes the lost batch gave out are not given again while the store is open.
#include <memory>
#include <string>
#include <vector>

#include "contracts/library_manager.h"

namespace TYX::Store {

class TYX_StoreCore;
class TYX_StoreLibrary;

class TYX_LibraryStore final : public TYX_LibraryManager {
 public:
  struct OpenResult {
    std::unique_ptr<TYX_LibraryStore> store;  // null on failure
    std::string error;                        // why, on failure
  };

  // Opens the library file at path, creating it (and its folder) when missing. A damaged file, one
  // written by a newer version and a database of another program are refused, and left unchanged.
  // An intact library on a read-only disk or in a read-only folder opens read-only (IsReadOnly):
  // everything reads, every write fails with a text saying so. One that cannot be read there (it
  // needs an upgrade, or its last changes are still in its write-ahead log) is refused with a text
  // saying read-only.
  static OpenResult Open(const std::string& path);
  // The default library file: $XDG_DATA_HOME (else ~/.local/share)/SonvarManager/music_library.db.
  static std::string DefaultPath();

  ~TYX_LibraryStore() override;

  TYX_Library* GetLibrary() override;
  TYX_Playlist* GetStockPlaylist(ENUM_STOCK_PLAYLIST id) override;
  TYX_LibraryItem* GetLibraryItem(std::uint32_t index) override;
  std::int32_t PackLibrary() override;
  std::string ExtractFullLyrics(const std::string& path) override;
  void RegisterNotify(Win::HWND hwnd) override;
  void UnregisterNotify(Win::HWND hwnd) override;
  // Lists each folder that holds several of the files once; changed presences go in one batch.
  void CheckFilesExist(const std::vector<TYX_LibraryItem*>& items) override;

  const std::string& GetPath() const { return path_; }
  // True when the file was opened read-only.
  bool IsReadOnly() const;
  // The reason of the last failed write, empty when none failed.
  std::string GetLastError() const;

 private:
  TYX_LibraryStore(std::string path, std::unique_ptr<TYX_StoreCore> core);

  const std::string path_;
  std::unique_ptr<TYX_StoreCore> core_;
  std::unique_ptr<TYX_StoreLibrary> library_;
};

}  // namespace TYX::Store
