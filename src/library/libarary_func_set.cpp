#include "library/libarary_func_set.h"

#include <cstdio>
#include <set>

#include "import/add_files_popup.h"
#include "import/audio_formats.h"
#include "import/auto_scan_option.h"
#include "import/auto_scan_popup.h"
#include "import/folder_walker.h"
#include "library/band_wnd_messages.h"
#include "platform/drop_files.h"
#include "platform/user_agent.h"
#include "tags/tag_dialogs.h"
#include "util/init.h"
#include "util/log.h"
#include "util/log_scope.h"

namespace TYX::Library {

using namespace TYX::Win;

TYX_Libarary_FuncSet::TYX_Libarary_FuncSet(TYX_LibraryManager* manager)
    : libraryManager_(manager), findFilter_(DefaultFindFilter()) {}

TYX_Libarary_FuncSet::~TYX_Libarary_FuncSet() = default;

std::optional<std::vector<std::string>> TYX_Libarary_FuncSet::ChooseFiles(HWND parent) const {
  FileOpenRequest request;
  request.owner = parent;
  request.filter = "Audio Files (" + findFilter_ + ")|" + findFilter_ + "||";
  request.multiSelect = true;
  auto chosen = GetUserAgent()->ChooseFiles(request);
  if (!chosen || chosen->empty()) return std::nullopt;
  return chosen;
}

bool TYX_Libarary_FuncSet::RunList(HWND parent, const std::vector<std::string>& paths, int type,
                                   std::uint32_t target, bool toPlaylist, std::vector<tagPathItem>* collected) {
  TYX_LogScope scope("TYX_Libarary_FuncSet::RunList");
  lastSummary_ = walkFailures_;
  walkFailures_ = {};
  if (toPlaylist) return false;  // adding into playlists goes through the stock-playlist variant
  TYX_Library_AddFilesPopup popup(parent);
  popup.SetWindowSize(400, 260);
  const HRESULT hr = popup.SetFromFileList(libraryManager_, paths, type, target);
  if (hr != S_OK) {
    TYX_Log::Instance()->Add("TYX_Libarary_FuncSet::RunList refused : 0x%08X (%zu paths)", static_cast<unsigned>(hr),
                             paths.size());
    return false;
  }
  const int result = popup.DoModal();
  lastSummary_.Merge(popup.GetSummary());
  if (result != IDOK) return false;
  const std::vector<tagPathItem>& items = popup.GetCollectedItems();
  addedItems_.insert(addedItems_.end(), items.begin(), items.end());
  if (collected != nullptr) *collected = items;
  return true;
}

std::uint32_t TYX_Libarary_FuncSet::ShowAddFilesDialog(HWND parent, bool toPlaylist, std::uint32_t target) {
  auto files = ChooseFiles(parent);
  if (!files) return kNothingAdded;
  return RunList(parent, *files, ADDTYPE_FILES, target, toPlaylist, nullptr) ? 0 : kNothingAdded;
}

std::uint32_t TYX_Libarary_FuncSet::ShowAddFilesDialog(HWND parent, const std::vector<ENUM_STOCK_PLAYLIST>& playlists) {
  auto files = ChooseFiles(parent);
  if (!files) return kNothingAdded;
  std::vector<tagPathItem> items;
  if (!RunList(parent, *files, ADDTYPE_FILES, kNoLibraryIndex, false, &items)) return kNothingAdded;
  AddToStockPlaylists(items, playlists);
  return 0;
}

void TYX_Libarary_FuncSet::AddToStockPlaylists(const std::vector<tagPathItem>& items,
                                               const std::vector<ENUM_STOCK_PLAYLIST>& playlists) {
  TYX_Library* library = libraryManager_->GetLibrary();
  if (library == nullptr) return;
  auto addAll = [&](bool retry) {
    for (ENUM_STOCK_PLAYLIST id : playlists) {
      TYX_Playlist* list = libraryManager_->GetStockPlaylist(id);
      if (list == nullptr) continue;
      for (const tagPathItem& item : items) {
        if (item.libraryIndex == kNoLibraryIndex) continue;
        // After a lost batch, a song some other change put in meanwhile is not put in twice.
        if (retry && list->FindItem(item.libraryIndex) != kNoPosition) continue;
        if (list->InsertItem(item.libraryIndex, 0) == kNoPosition)
          TYX_Log::Instance()->Add("TYX_Libarary_FuncSet::AddToStockPlaylists - song %u not put in list %d",
                                   item.libraryIndex, static_cast<int>(id));
      }
    }
  };
  // One transaction for the whole run: a commit per song costs more than reading the song's tags.
  library->BeginUpdate();
  addAll(false);
  if (library->EndUpdate()) return;
  TYX_Log::Instance()->Add("TYX_Libarary_FuncSet::AddToStockPlaylists - the batch was lost; adding song by song");
  addAll(true);
}

std::uint32_t TYX_Libarary_FuncSet::ShowAddFolderDialog(HWND parent, bool toPlaylist, std::uint32_t target) {
  FolderRequest request;
  request.owner = parent;
  request.title = "폴더를 선택하세요";
  auto folder = GetUserAgent()->ChooseFolder(request);
  if (!folder || folder->empty()) return kNothingAdded;
  std::vector<std::string> paths;
  TYX_ImportSummary failures;
  GetFolderFiles(*folder, paths, TRUE, &failures);
  walkFailures_ = failures;
  if (paths.empty()) {
    lastSummary_ = walkFailures_;
    walkFailures_ = {};
    return kNothingAdded;  // nothing to run: an empty list starts no run
  }
  return RunList(parent, paths, ADDTYPE_FOLDER, target, toPlaylist, nullptr) ? target : kNothingAdded;
}

std::uint32_t TYX_Libarary_FuncSet::ShowAddFilesDrag(HWND parent, const std::vector<std::string>& files,
                                                     bool toPlaylist, std::uint32_t target) {
  return RunList(parent, files, ADDTYPE_FILES, target, toPlaylist, nullptr) ? 0 : kNothingAdded;
}

std::uint32_t TYX_Libarary_FuncSet::ShowAddFilesDropDialog(HWND parent, const std::vector<std::string>& files,
                                                           bool toPlaylist, std::uint32_t target) {
  if (files.empty() || FileNamePart(files.front()).empty()) return kNothingAdded;
  return RunList(parent, files, ADDTYPE_FILES, target, toPlaylist, nullptr) ? target : kNothingAdded;
}

std::uint32_t TYX_Libarary_FuncSet::ShowAddFilesDropDialog(HWND parent, const _DropTarget& drop, bool toPlaylist,
                                                           std::uint32_t target) {
  std::vector<std::string> files;
  const UINT count = DragQueryFileCount(drop.hDrop);
  for (UINT i = 0; i < count; ++i) files.push_back(DragQueryFile(drop.hDrop, i));
  return ShowAddFilesDropDialog(parent, files, toPlaylist, target);
}

int TYX_Libarary_FuncSet::GetFolderFiles(const std::string& folder, std::vector<std::string>& files, BOOL recursive,
                                         TYX_ImportSummary* failures) {
  if (folder.empty()) return 0;
  TYX_FolderWalker walker(recursive != FALSE, /*skipHidden=*/false);
  TYX_FolderWalker::Callbacks cb;
  cb.onFile = [&](const std::string& path, TYX_FolderWalker::EntryKind kind) {
    if (kind == TYX_FolderWalker::EntryKind::Regular && IsAudioFileName(path)) files.push_back(path);
    return TYX_FolderWalker::Visit::Continue;
  };
  cb.onFailure = [&](const std::string& path, const std::string& why) {
    TYX_Log::Instance()->Add("TYX_Libarary_FuncSet::GetFolderFiles skipped : %s (%s)", path.c_str(), why.c_str());
    if (failures != nullptr) failures->AddFailure(path, TYX_ImportFailure::Unreadable);
    return TYX_FolderWalker::Visit::Continue;
  };
  walker.Walk(folder, cb);
  return static_cast<int>(files.size());
}

std::vector<std::string> TYX_Libarary_FuncSet::GetFolderFiles(const std::string& folder, BOOL recursive) {
  std::vector<std::string> files;
  GetFolderFiles(folder, files, recursive);
  return files;
}

HRESULT TYX_Libarary_FuncSet::AutoScan() {
  TYX_LogScope scope("TYX_Libarary_FuncSet::AutoScan");
  TYX_Library_AutoScanOption option;
  option.Load();
  TYX_INIT* init = TYX_INIT::Instance();
  if (init->GetAttributeStr("SearchType") == "Drive") return E_FAIL;
  std::string path = init->GetAttributeStr("SearchPath");
  if (path == "전체검색") path.clear();

  TYX_Library_AutoScanPopup popup(nullptr);
  popup.SetLibraryManager(libraryManager_);
  if (popup.SetExtFilter(option.BuildPatternList()) != S_OK)
    TYX_Log::Instance()->Add("TYX_Libarary_FuncSet::AutoScan - no format is switched on");
  if (!option.Save()) TYX_Log::Instance()->Add("TYX_Libarary_FuncSet::AutoScan - the switches were not stored");
  popup.SetSearchPath(path);
  popup.SetWindowSize(434, 340);
  const int result = popup.DoModal();
  lastSummary_ = popup.GetSummary();

  // Whatever the result, the songs found go into the whole-library list, each once.
  const std::vector<tagPathItem>& items = popup.GetCollectedItems();
  if (libraryManager_ != nullptr) {
    if (TYX_Playlist* library = libraryManager_->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY)) {
      std::set<std::uint32_t> seen;
      for (const tagPathItem& item : items) {
        if (item.libraryIndex == kNoLibraryIndex || !seen.insert(item.libraryIndex).second) continue;
        if (library->FindItem(item.libraryIndex) != kNoPosition) continue;
        library->InsertItem(item.libraryIndex, 0);
      }
    }
  }
  if (result != IDOK) return E_FAIL;
  addedItems_.insert(addedItems_.end(), items.begin(), items.end());
  return S_OK;
}

BOOL TYX_Libarary_FuncSet::ShowPropertyDialog(HWND parent, std::uint32_t index) {
  return Dialog::RunPropertyDialog(parent, libraryManager_, index);
}

int TYX_Libarary_FuncSet::ShowLyricDialog(HWND parent, const std::string& path) {
  return Dialog::RunLyricDialog(parent, libraryManager_, path);
}

int TYX_Libarary_FuncSet::ShowLyricDialog(HWND parent, std::uint32_t index) {
  return Dialog::RunLyricDialog(parent, libraryManager_, index);
}

int TYX_Libarary_FuncSet::ShowID3EditDialog(HWND parent, std::uint32_t index) {
  return Dialog::RunID3EditDialog(parent, libraryManager_, index);
}

int TYX_Libarary_FuncSet::ShowID3EditDialog2(HWND parent, const std::vector<std::uint32_t>& indexes) {
  return Dialog::RunID3EditDialog2(parent, libraryManager_, indexes);
}

}  // namespace TYX::Library
