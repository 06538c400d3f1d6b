#pragma once
// The library store as the host hands it to the system: the song table, the stock playlists, the items
// and the change notices. The host creates the implementation (for example the SQLite store of
// components/store) and keeps it alive longer than every window that uses it.
#include <cstdint>
#include <string>
#include <vector>

#include "contracts/library.h"
#include "contracts/library_item.h"
#include "contracts/playlist.h"
#include "contracts/stock_playlist.h"
#include "platform/types.h"

namespace TYX {

class TYX_LibraryManager {
 public:
  virtual ~TYX_LibraryManager() = default;

  virtual TYX_Library* GetLibrary() = 0;
  // A stock playlist (ids of ENUM_STOCK_PLAYLIST), living as long as the manager; null for other ids.
  virtual TYX_Playlist* GetStockPlaylist(ENUM_STOCK_PLAYLIST id) = 0;
  // The item of a library index: live, or removed (reference ~0) until PackLibrary; null otherwise.
  virtual TYX_LibraryItem* GetLibraryItem(std::uint32_t index) = 0;
  // Drops removed songs for good (their indexes stay unused). Cheap when nothing was removed.
  // 0, or 0x80004005 when the write failed (nothing is lost; a later call tries again).
  virtual std::int32_t PackLibrary() = 0;
  // The full lyric text of a file: its lyrics tag, else a .lrc, else a .txt file of the same name
  // beside it. Empty when there is none.
  virtual std::string ExtractFullLyrics(const std::string& path) = 0;

  // Tests whether the file of each item is on disk now and stores the answers, as each item's
  // CheckFileExist does; a store may read a folder once for all its files. Null entries are skipped.
  virtual void CheckFilesExist(const std::vector<TYX_LibraryItem*>& items) {
    for (TYX_LibraryItem* item : items)
      if (item != nullptr) item->CheckFileExist();
  }

  // Windows that receive the change notices (WM_LIBRARY_NOTIFY_*, event codes TYX_LibraryEvent).
  // Notices are posted after the change is stored, from the thread that made it. A window that is
  // gone is dropped at the next notice.
  virtual void RegisterNotify(Win::HWND hwnd) = 0;
  virtual void UnregisterNotify(Win::HWND hwnd) = 0;
};

}  // namespace TYX
