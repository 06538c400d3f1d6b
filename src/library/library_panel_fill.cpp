// Row fills of every list type, the CD fill with its wait for the drive, and partial updates.
#include <cstdio>

#include "components/audio/cd_drive.h"
#include "library/library_panel.h"
#include "library/panel_columns.h"
#include "platform/clock.h"
#include "platform/messaging.h"
#include "util/cd_track_name.h"
#include "util/file_system.h"
#include "util/melody.h"
#include "util/time_string.h"

namespace TYX::Library {

namespace {

constexpr Win::UINT kTitleCellFlags = Controls::kListCellShowsMark;
constexpr std::uint64_t kMegaByte = 1048576;
// The real-time bound of the CD wait, in case the process clock does not move (a manual clock).
constexpr Win::DWORD kCdWaitWatchdogMs = 10000;

void SetNumber(Controls::TYX_ListCtrlEx* list, int row, int col, std::uint32_t number, Win::UINT flags = 0) {
  const Win::UINT value = number;
  list->SetCell(row, col, &value, flags, 0);
}

void SetText(Controls::TYX_ListCtrlEx* list, int row, int col, const std::string& text, Win::UINT flags = 0) {
  list->SetCell(row, col, text, flags, 0);
}

// The transfer report code (state - 3) as a 16-bit flag word; "never transferred" is code -3.
Win::UINT TransferCodeFlags(std::uint32_t state) {
  const auto code = static_cast<std::int16_t>(static_cast<std::int32_t>(state) - 3);
  return static_cast<std::uint16_t>(code);
}

// The type GetFileType gives a path (0 for a file that is not there), taking presence from what the item
// last tested rather than asking the disk for every row; levels 1 and 2 test the disk again first.
TYX_FILETYPE FileTypeOfItem(const TYX_LibraryItem* item, const std::string& path) {
  return item->IsFileExist() ? Util::GetFileTypeByName(path) : FileType::Unknown;
}

std::string Format(const char* format, double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, value);
  return buf;
}

}  // namespace

void TYX_LibraryPanel::ApplyLevel(TYX_LibraryItem* item, RefreshLevel level) {
  if (level == REFRESH_LEVEL_CHECKEXIST) {
    item->CheckFileExist();
  } else if (level == REFRESH_LEVEL_UPDATE) {
    item->Update();
  }
}

void TYX_LibraryPanel::WriteLibraryRow(ListCtrl* list, int row, TYX_LibraryItem* item, const std::string& path) {
  namespace C = LibraryColumn;
  SetNumber(list, row, C::kCheck, 0);
  SetNumber(list, row, C::kOrder, static_cast<std::uint32_t>(row));
  SetText(list, row, C::kTitle, item->GetSmartTitle(), kTitleCellFlags);
  SetText(list, row, C::kArtist, item->GetArtist());
  SetText(list, row, C::kAlbum, item->GetAlbum());
  SetText(list, row, C::kTime, Util::ToTimeString(item->GetDuration()));
  SetNumber(list, row, C::kType, static_cast<std::uint32_t>(GetMediaType(FileTypeOfItem(item, path))));
  list->SetFieldStatus(row, item->IsFileExist() ? kRowStatusPresent : kRowStatusMissing);
}

long TYX_LibraryPanel::AddLibraryRow(ListCtrl* list, TYX_Playlist* playlist, std::uint32_t position, RefreshLevel level) {
  if (list == nullptr || playlist == nullptr) return Win::E_FAIL;
  if (position == kNoPosition || position >= playlist->CountItem()) return Win::E_INVALIDARG;
  TYX_LibraryItem* item = playlist->GetItem_LibraryItem(position);
  if (item == nullptr) return Win::E_INVALIDARG;
  // Ring-tones have their own list.
  const std::string path = item->GetPath();
  if (Util::IsMelody(path)) return Win::S_OK;
  if (item->GetReference() == kNoLibraryIndex) return Win::E_INVALIDARG;
  ApplyLevel(item, level);
  const int row = list->InsertField(-1, 0, 0);
  list->SetFieldKey(row, position, 0);
  WriteLibraryRow(list, row, item, path);
  manager_->PackLibrary();
  return Win::S_OK;
}

long TYX_LibraryPanel::AddListItemLIB(std::uint32_t position, RefreshLevel level) {
  if (manager_ == nullptr) return Win::E_FAIL;
  return AddLibraryRow(lists_[LIST_LIBRARY].get(), manager_->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY), position, level);
}

long TYX_LibraryPanel::AddListItemWebDownload(std::uint32_t position, RefreshLevel level) {
  if (manager_ == nullptr) return Win::E_FAIL;
  return AddLibraryRow(lists_[LIST_WEBDOWNLOAD].get(), manager_->GetStockPlaylist(STOCK_PLAYLIST_TRANSFERRED),
                       position, level);
}

long TYX_LibraryPanel::AddNowPlayingRow(ListCtrl* list, TYX_Playlist* playlist, std::uint32_t position, bool oldList) {
  if (list == nullptr || playlist == nullptr) return Win::E_FAIL;
  if (position == kNoPosition || position >= playlist->CountItem()) return oldList ? Win::E_FAIL : Win::E_INVALIDARG;
  TYX_LibraryItem* item = playlist->GetItem_LibraryItem(position);
  if (item == nullptr) return oldList ? Win::E_FAIL : Win::E_INVALIDARG;
  const std::string path = item->GetPath();
  // The now-playing list is as large as the library can be; the previously-played one asks the disk.
  const TYX_FILETYPE fileType = oldList ? Util::GetFileType(path) : FileTypeOfItem(item, path);
  // The previously-played list leaves out files that are gone or of no known type.
  if (oldList && fileType == FileType::Unknown) return Win::S_OK;

  const int row = list->InsertField(-1, 0, 0);
  list->SetFieldKey(row, position, 0);
  namespace C = NowPlayingColumn;
  SetNumber(list, row, C::kOrder, static_cast<std::uint32_t>(row));
  SetText(list, row, C::kTitle, item->GetSmartTitle(), kTitleCellFlags);
  SetText(list, row, C::kArtist, item->GetArtist());
  SetText(list, row, C::kAlbum, item->GetAlbum());
  SetText(list, row, C::kTime, Util::ToTimeString(item->GetDuration()));
  SetNumber(list, row, C::kLyric, static_cast<std::uint32_t>(GetLyricIconIndex(item->GetLyricFlags())));
  SetNumber(list, row, C::kType, static_cast<std::uint32_t>(GetMediaType(fileType)));
  int status = kRowStatusNone;
  if (item->GetSourceCode() != kSourceCodeStore) {
    const bool present = oldList ? Util::FileExists(path) : item->IsFileExist();
    status = present ? kRowStatusPresent : kRowStatusMissing;
  }
  list->SetFieldStatus(row, status);
  return Win::S_OK;
}

long TYX_LibraryPanel::AddListItemNP(std::uint32_t position) {
  if (manager_ == nullptr) return Win::E_FAIL;
  return AddNowPlayingRow(lists_[LIST_NOWPLAYING].get(), manager_->GetStockPlaylist(STOCK_PLAYLIST_NOWPLAYING),
                          position, false);
}

long TYX_LibraryPanel::AddListItemOldNP(std::uint32_t position) {
  if (manager_ == nullptr) return Win::E_FAIL;
  return AddNowPlayingRow(lists_[LIST_OLDNOWPLAYING].get(),
                          manager_->GetStockPlaylist(STOCK_PLAYLIST_OLDNOWPLAYING), position, true);
}

long TYX_LibraryPanel::AddListItemMyMelody(std::uint32_t position, RefreshLevel level) {
  ListCtrl* list = lists_[LIST_MYMELODY].get();
  TYX_Playlist* playlist = manager_ != nullptr ? manager_->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY) : nullptr;
  if (list == nullptr || playlist == nullptr) return Win::E_FAIL;
  if (position == kNoPosition || position >= playlist->CountItem()) return Win::E_INVALIDARG;
  TYX_LibraryItem* item = playlist->GetItem_LibraryItem(position);
  if (item == nullptr) return Win::E_INVALIDARG;
  const std::string path = item->GetPath();
  if (!Util::IsMelody(path)) return Win::S_OK;
  if (item->GetReference() == kNoLibraryIndex) return Win::E_INVALIDARG;
  ApplyLevel(item, level);

  const int row = list->InsertField(-1, 0, 0);
  list->SetFieldKey(row, position, 0);
  namespace C = MelodyColumn;
  SetNumber(list, row, C::kCheck, 0);
  SetNumber(list, row, C::kOrder, static_cast<std::uint32_t>(row));
  SetText(list, row, C::kTitle, item->GetSmartTitle(), kTitleCellFlags);
  SetText(list, row, C::kPolyphony, std::to_string(Util::GetPolyCount(path)));
  SetNumber(list, row, C::kType, static_cast<std::uint32_t>(GetMediaType(Util::GetFileType(path))));
  const std::uint64_t size = item->GetFileSize();
  const std::string sizeText = size > kMegaByte ? Format("%.1fMB", static_cast<double>(size) / 1048576.0)
                                                : Format("%.1fKB", static_cast<double>(size) / 1024.0);
  SetText(list, row, C::kSize, sizeText);
  list->SetFieldStatus(row, item->IsFileExist() ? kRowStatusPresent : kRowStatusMissing);
  return Win::S_OK;
}

long TYX_LibraryPanel::AddListItemSync(std::uint32_t position) {
  ListCtrl* list = lists_[LIST_SYNC].get();
  TYX_Playlist* playlist = manager_ != nullptr ? manager_->GetStockPlaylist(STOCK_PLAYLIST_SYNC) : nullptr;
  if (list == nullptr || playlist == nullptr) return Win::E_FAIL;
  if (position >= playlist->CountItem()) return Win::E_FAIL;
  TYX_LibraryItem* item = playlist->GetItem_LibraryItem(position);
  if (item == nullptr) return Win::E_FAIL;
  const std::string path = item->GetPath();
  const TYX_FILETYPE fileType = Util::GetFileType(path);
  // Content bound to one phone is never put on another.
  if (fileType == FileType::DCF) return Win::E_FAIL;

  const int row = list->InsertField(-1, 0, 0);
  list->SetFieldKey(row, position, 0);
  namespace C = SyncColumn;
  SetNumber(list, row, C::kCheck, 0);
  SetNumber(list, row, C::kOrder, static_cast<std::uint32_t>(row));
  SetText(list, row, C::kTitle, item->GetSmartTitle(), kTitleCellFlags);
  // The list draws the transfer-state picture from the flag word (report code = state - 3).
  SetText(list, row, C::kProgress, std::string(), TransferCodeFlags(item->GetTransferState()));
  SetText(list, row, C::kArtist, item->GetArtist());
  SetText(list, row, C::kAlbum, item->GetAlbum());
  SetText(list, row, C::kSize, Format("%.1f MB", static_cast<double>(item->GetFileSize()) / 1048576.0));
  SetNumber(list, row, C::kType, static_cast<std::uint32_t>(GetMediaType(fileType)));
  list->SetFieldStatus(row, Util::FileExists(path) ? kRowStatusPresent : kRowStatusMissing);
  return Win::S_OK;
}

bool TYX_LibraryPanel::WaitForCdTracks(int drive, int& tracks) {
  std::shared_ptr<Audio::TYX_AudioCD> cd = Audio::AudioCD();
  if (!cd) {
    tracks = -1;
    return true;
  }
  tracks = cd->TrackCount(drive);
  if (tracks > 0) return true;
  const std::uint32_t start = Win::GetTickCount();
  const std::uint64_t generation = refreshGeneration_;
  bool abandoned = false;
  bool finished = false;
  // A drive that is spinning up answers with an error for a while. The panel's messages are handled
  // meanwhile; a change of list (or another Refresh) abandons this fill.
  auto changed = [&] { return listType_ != kAudioCd || refreshGeneration_ != generation; };
  auto step = [&]() -> bool {
    if (cd->LastError() == 0) return finished = true;
    if (changed()) return abandoned = true;
    Win::PumpMessages();
    if (changed()) return abandoned = true;
    tracks = cd->TrackCount(drive);
    if (tracks > 0 || Win::GetTickCount() - start > kCdWaitMs) finished = true;
    return finished;
  };
  // The real-time bound only matters when the process clock stands still (a manual clock).
  if (!Win::PumpUntil(step, kCdWaitWatchdogMs)) tracks = -1;
  return !abandoned;
}

long TYX_LibraryPanel::AddListItemCD(int drive) {
  auto ready = [this] {
    return lists_[LIST_CD] != nullptr && manager_ != nullptr &&
           manager_->GetStockPlaylist(STOCK_PLAYLIST_CDTRACK) != nullptr && manager_->GetLibrary() != nullptr;
  };
  if (!ready()) return Win::E_FAIL;
  // The group node of the CD band names no drive.
  if (drive < 0) return Win::E_INVALIDARG;
  int tracks = 0;
  if (!WaitForCdTracks(drive, tracks)) return Win::E_FAIL;
  // The wait handled the panel's messages: the host may have taken the store away or given another.
  if (!ready()) return Win::E_FAIL;
  ListCtrl* list = lists_[LIST_CD].get();
  TYX_Playlist* playlist = manager_->GetStockPlaylist(STOCK_PLAYLIST_CDTRACK);
  std::shared_ptr<Audio::TYX_AudioCD> cd = Audio::AudioCD();
  if (!cd) return Win::E_FAIL;

  const int icon = GetMediaType(Util::GetFileType("c:\\aaa.cda"));
  for (int track = 0; track < tracks; ++track) {
    const std::int64_t length = cd->TrackLength(drive, track);
    if (length < 10) break;
    const int seconds = static_cast<int>(length / Audio::kCdBytesPerSecond);
    char timeText[32];
    std::snprintf(timeText, sizeof timeText, "%d:%02d", seconds / 60, seconds % 60);
    char title[32];
    std::snprintf(title, sizeof title, "Track%02d.cda", track + 1);
    const std::string path = Util::MakeCDATrackName(drive, track);
    if (path.empty()) return Win::E_FAIL;  // a drive without a letter has no track names

    const std::uint32_t index = manager_->GetLibrary()->InsertItem(path, kItemKindCDTrack);
    if (index == kNoLibraryIndex) return Win::E_FAIL;
    const std::uint32_t position = playlist->InsertItem(index, 0);
    if (position == kNoPosition) return Win::E_FAIL;
    if (TYX_LibraryItem* item = manager_->GetLibraryItem(index)) {
      TYX_LibraryItemData data = item->GetData();
      data.Number(ItemNumber::FileSize) = kCdTrackFileSize;
      data.Number(ItemNumber::BitRate) = 1411200;
      data.Number(ItemNumber::SampleRate) = 44100;
      data.Number(ItemNumber::Duration) = static_cast<std::uint64_t>(seconds);
      item->SetData(data);
    }

    const int row = list->InsertField(-1, 0, 0);
    list->SetFieldKey(row, position, 0);
    // The artist and album cells stay empty.
    namespace C = LibraryColumn;
    SetNumber(list, row, C::kCheck, 0);
    SetNumber(list, row, C::kOrder, static_cast<std::uint32_t>(track + 1));
    SetText(list, row, C::kTitle, title);
    SetText(list, row, C::kTime, timeText);
    SetNumber(list, row, C::kType, static_cast<std::uint32_t>(icon));
  }
  return Win::S_OK;
}

long TYX_LibraryPanel::UpdateListItem(int row, RefreshLevel level) {
  ListCtrl* list = lists_[LIST_LIBRARY].get();
  if (manager_ == nullptr || list == nullptr || GetCurrentListCtrl() != list) return Win::E_FAIL;
  if (row < 0 || row >= list->GetItemCount()) return Win::E_INVALIDARG;
  const std::uint32_t index = GetRowMediaLibIndex(row);
  TYX_LibraryItem* item = index != kNoLibraryIndex ? manager_->GetLibraryItem(index) : nullptr;
  if (item == nullptr) return Win::E_INVALIDARG;
  ApplyLevel(item, level);
  WriteLibraryRow(list, row, item, item->GetPath());
  manager_->PackLibrary();
  return Win::S_OK;
}

long TYX_LibraryPanel::UpdateListItem(const std::string& path, std::uint32_t unused) {
  (void)unused;
  TYX_Playlist* playlist = manager_ != nullptr ? manager_->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY) : nullptr;
  if (playlist == nullptr) return Win::S_OK;
  const std::uint32_t count = playlist->CountItem();
  for (std::uint32_t pos = 0; pos < count; ++pos) {
    TYX_LibraryItem* item = playlist->GetItem_LibraryItem(pos);
    if (item == nullptr || item->GetPath() != path) continue;
    item->Update();
    ListCtrl* list = GetCurrentListCtrl();
    if (list != nullptr) {
      const int row = list->FindRowFromFieldKey(pos);
      if (row >= 0) UpdateListItem(row, REFRESH_LEVEL_NONE);
    }
    break;
  }
  return Win::S_OK;
}

long TYX_LibraryPanel::RefreshSelectedMedia() {
  ListCtrl* list = GetCurrentListCtrl();
  if (list == nullptr || list != lists_[LIST_LIBRARY].get()) return Win::E_FAIL;
  std::vector<int> rows;
  list->GetSelectedRows(rows, 0);
  for (int row : rows) UpdateListItem(row, REFRESH_LEVEL_UPDATE);
  return Win::S_OK;
}

long TYX_LibraryPanel::RefreshAllMedia() {
  if (!ListType(listType_).rowsUpdatable) return Win::S_OK;
  ListCtrl* list = GetCurrentListCtrl();
  if (list == nullptr) return Win::S_OK;
  const int count = list->GetItemCount();
  for (int row = 0; row < count; ++row) UpdateListItem(row, REFRESH_LEVEL_NONE);
  return Win::S_OK;
}

}  // namespace TYX::Library
