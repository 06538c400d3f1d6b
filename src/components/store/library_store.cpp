#include "components/store/library_store.h"

#include <cstdlib>

#include "components/store/presence_sweep.h"
#include "components/store/song_file.h"
#include "components/store/store_core.h"
#include "components/store/store_item.h"
#include "components/store/store_library.h"
#include "components/store/store_playlist.h"

namespace TYX::Store {

TYX_LibraryStore::OpenResult TYX_LibraryStore::Open(const std::string& path) {
  OpenResult result;
  std::unique_ptr<TYX_StoreDatabase> db = TYX_StoreDatabase::Open(path, result.error);
  if (!db) return result;
  // Everything is read before the first write (the upgrade, the switch to write-ahead logging, stock
  // playlists a file lacks), so a file that fails to load is left as it was. A new file has nothing to
  // read before its tables are made.
  std::string error;
  const bool empty = db->FileVersion() == 0;
  TYX_StoreDatabase* raw = db.get();
  auto core = std::make_unique<TYX_StoreCore>(std::move(db));
  bool ok = empty ? raw->Prepare(error) && core->Load(error) : core->Load(error) && raw->Prepare(error);
  if (!ok || !core->StoreNewStock(error)) {
    result.error = "cannot open the library " + path + ": " + error;
    return result;
  }
  result.store.reset(new TYX_LibraryStore(path, std::move(core)));
  return result;
}

std::string TYX_LibraryStore::DefaultPath() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  std::string base;
  if (xdg != nullptr && *xdg == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home != nullptr ? home : ".") + "/.local/share";
  }
  return base + "/SonvarManager/music_library.db";
}

TYX_LibraryStore::TYX_LibraryStore(std::string path, std::unique_ptr<TYX_StoreCore> core)
    : path_(std::move(path)), core_(std::move(core)), library_(std::make_unique<TYX_StoreLibrary>(*core_)) {}

TYX_LibraryStore::~TYX_LibraryStore() = default;

TYX_Library* TYX_LibraryStore::GetLibrary() { return library_.get(); }

TYX_Playlist* TYX_LibraryStore::GetStockPlaylist(ENUM_STOCK_PLAYLIST id) {
  std::lock_guard<std::mutex> lock(core_->mu);
  return core_->StockLocked(id);
}

TYX_LibraryItem* TYX_LibraryStore::GetLibraryItem(std::uint32_t index) {
  std::lock_guard<std::mutex> lock(core_->mu);
  return core_->ItemLocked(index);
}

std::int32_t TYX_LibraryStore::PackLibrary() {
  NoticeList notices;
  std::int32_t hr;
  {
    std::lock_guard<std::mutex> lock(core_->mu);
    hr = core_->PackLocked(notices);
  }
  core_->Post(notices);
  return hr;
}

std::string TYX_LibraryStore::ExtractFullLyrics(const std::string& path) { return TYX_SongFile::FullLyrics(path); }

void TYX_LibraryStore::RegisterNotify(Win::HWND hwnd) { core_->Register(hwnd); }
void TYX_LibraryStore::UnregisterNotify(Win::HWND hwnd) { core_->Unregister(hwnd); }

void TYX_LibraryStore::CheckFilesExist(const std::vector<TYX_LibraryItem*>& items) {
  std::vector<TYX_StoreItem*> mine;
  std::vector<std::string_view> paths;
  mine.reserve(items.size());
  paths.reserve(items.size());
  for (TYX_LibraryItem* item : items) {
    if (item == nullptr) continue;
    auto* own = dynamic_cast<TYX_StoreItem*>(item);
    if (own == nullptr || !own->BelongsTo(*core_)) {
      item->CheckFileExist();
      continue;
    }
    if (own->Kind() == kItemKindCDTrack) continue;  // a CD track is there while its disc is
    mine.push_back(own);
    paths.push_back(own->PathRef());  // never changes while the store is open
  }
  // The disk is asked without the lock, as CheckFileExist does.
  const std::vector<bool> present = TYX_PresenceSweep::Check(paths);
  std::vector<std::size_t> changed;
  {
    std::lock_guard<std::mutex> lock(core_->mu);
    for (std::size_t i = 0; i < mine.size(); ++i) {
      if (mine[i]->StateLocked() != TYX_StoreItem::State::Live || mine[i]->FileExistsLocked() != present[i])
        changed.push_back(i);
    }
  }
  if (changed.empty()) return;
  // Many changes (a moved music folder) are one transaction rather than one each.
  const bool batch = changed.size() > 1;
  if (batch) core_->BeginUpdate();
  for (std::size_t i : changed) mine[i]->SetFileExist(present[i]);
  if (batch) core_->EndUpdate();
}

std::string TYX_LibraryStore::GetLastError() const { return core_->LastError(); }

bool TYX_LibraryStore::IsReadOnly() const { return core_->ReadOnly(); }

}  // namespace TYX::Store
