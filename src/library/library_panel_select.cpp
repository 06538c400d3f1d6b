// Selection helpers: library indexes behind rows, size totals, media objects of rows, scrolling.
#include "library/library_panel.h"

namespace TYX::Library {

std::uint32_t TYX_LibraryPanel::GetRowMediaLibIndex(int row, std::uint32_t unused) const {
  (void)unused;
  ListCtrl* list = GetCurrentListCtrl();
  if (list == nullptr || manager_ == nullptr || row < 0 || row >= list->GetItemCount()) return kNoLibraryIndex;
  const std::uint32_t key = list->GetFieldKey(row);
  if (key == kNoPosition) return kNoLibraryIndex;
  // CD rows are keyed by their position in the CD-track playlist, so they are looked up there.
  const std::uint32_t id = ListType(listType_).keyPlaylist;
  TYX_Playlist* playlist = id != 0 ? manager_->GetStockPlaylist(static_cast<ENUM_STOCK_PLAYLIST>(id)) : GetCurrentPlaylist();
  return playlist != nullptr ? playlist->GetItem(key) : kNoLibraryIndex;
}

long TYX_LibraryPanel::GetSelectedMediaLibIndex(std::vector<std::uint32_t>& out, std::uint64_t* total, int all) const {
  out.clear();
  const std::uint32_t id = ListType(listType_).keyPlaylist;
  if (id == 0 || manager_ == nullptr) return Win::E_FAIL;
  TYX_Playlist* playlist = manager_->GetStockPlaylist(static_cast<ENUM_STOCK_PLAYLIST>(id));
  ListCtrl* list = GetCurrentListCtrl();
  if (playlist == nullptr || list == nullptr) return Win::E_FAIL;
  std::vector<Win::UINT> keys;
  list->GetSelectedFieldKeys(keys, all != 0 ? Win::TRUE : Win::FALSE);
  out.reserve(keys.size());
  for (std::uint32_t key : keys) {
    const std::uint32_t index = playlist->GetItem(key);
    if (index == kNoLibraryIndex) continue;  // the entry left the playlist since the fill
    out.push_back(index);
    if (total != nullptr) {
      if (TYX_LibraryItem* item = manager_->GetLibraryItem(index)) *total += item->GetFileSize();
    }
  }
  return Win::S_OK;
}

long TYX_LibraryPanel::GetAllMedia(std::vector<std::uint32_t>& out, std::uint64_t* total) const {
  out.clear();
  if (total != nullptr) *total = 0;
  // The CD list counts as well: its tracks count 44 bytes each in the size total.
  if (!ListType(listType_).songRows) return Win::E_FAIL;
  ListCtrl* list = GetCurrentListCtrl();
  if (list == nullptr || manager_ == nullptr) return Win::E_FAIL;
  const int count = list->GetItemCount();
  out.reserve(static_cast<std::size_t>(count));
  for (int row = 0; row < count; ++row) {
    const std::uint32_t index = GetRowMediaLibIndex(row);
    if (index == kNoLibraryIndex) continue;
    out.push_back(index);
    if (total != nullptr) {
      if (TYX_LibraryItem* item = manager_->GetLibraryItem(index)) *total += item->GetFileSize();
    }
  }
  return Win::S_OK;
}

long TYX_LibraryPanel::GetAllMedia(std::list<TYX_MediaPtr>& media, TYX_MediaPtr& current) {
  media.clear();
  current.reset();
  const std::uint32_t first = SetNowPlayList(false, true);
  media = NPL_GetMedia();
  if (first != kNoPosition) current = NPL_GetMedia(first);
  return first != kNoPosition ? Win::S_OK : Win::E_FAIL;
}

long TYX_LibraryPanel::GetSelectedMedia(std::list<TYX_MediaPtr>& media, TYX_MediaPtr& current, int add, bool unused) {
  (void)unused;
  media.clear();
  current.reset();
  const std::uint32_t first = add == 1 ? SetNowPlayList(false, false) : kNoPosition;
  media = NPL_GetMedia();
  if (first != kNoPosition) current = NPL_GetMedia(first);
  return Win::S_OK;
}

void TYX_LibraryPanel::SetSelectAllMedia(bool select) {
  ListCtrl* list = GetCurrentListCtrl();
  if (list == nullptr) return;
  list->SetSelectedItem(-1, select ? Win::TRUE : Win::FALSE);
}

int TYX_LibraryPanel::GetSelectedMediaCount() const {
  ListCtrl* list = GetCurrentListCtrl();
  return list != nullptr ? list->GetSelectedCount() : 0;
}

bool TYX_LibraryPanel::IsAllDimmedSelectedItems() const {
  ListCtrl* list = GetCurrentListCtrl();
  if (list == nullptr) return true;
  std::vector<int> rows;
  list->GetSelectedRows(rows, 0);
  for (int row : rows) {
    if (list->GetItemField(row) != kRowStatusMissing) return false;
  }
  return true;
}

std::uint32_t TYX_LibraryPanel::GetLibraryIndexFromMedia(TYX_Media* media) const {
  if (manager_ == nullptr || media == nullptr || manager_->GetLibrary() == nullptr) return kNoLibraryIndex;
  return manager_->GetLibrary()->InsertItem(media);
}

std::vector<std::uint32_t> TYX_LibraryPanel::GetLibraryIndexFromMedia(const std::list<TYX_MediaPtr>& media) const {
  std::vector<std::uint32_t> indexes;
  indexes.reserve(media.size());
  for (const TYX_MediaPtr& m : media) indexes.push_back(GetLibraryIndexFromMedia(m.get()));
  return indexes;
}

void TYX_LibraryPanel::EnsureVisible(int row) {
  ListCtrl* list = GetCurrentListCtrl();
  if (list == nullptr) return;
  const int n = list->GetItemCount();
  if (n <= 0 || row < 0) return;
  const int p = list->GetCountPerPage();
  // Showing the row a page further down first leaves the row at the top; the second call covers a
  // list that was scrolled past the row.
  const long long wanted = static_cast<long long>(row) + p - 1;  // row may be as large as INT_MAX
  const int last = wanted < n ? static_cast<int>(wanted) : n - 1;
  list->EnsureVisible(last, Win::FALSE);
  list->EnsureVisible(row < n ? row : n - 1, Win::FALSE);
}

int TYX_LibraryPanel::ElementInArray(const std::string& list, const std::string& delimiter, const std::string& element) {
  if (list.empty()) return 0;
  if (delimiter.empty()) return list == element ? 1 : 0;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = list.find(delimiter, start);
    const std::string piece = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (piece == element) return 1;
    if (end == std::string::npos) return 0;
    start = end + delimiter.size();
  }
}

}  // namespace TYX::Library
