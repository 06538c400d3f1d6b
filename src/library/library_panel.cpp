// The panel window, its collaborators and parts, Refresh and which list is shown.
#include "library/library_panel.h"

#include <cstdlib>

#include "convert/extractor_slot.h"
#include "library/library_search_wnd.h"
#include "platform/os_services.h"
#include "util/melody.h"
#include "util/log.h"
#include "util/skin.h"

namespace TYX::Library {

namespace {

constexpr char kNowPlayingStateFile[] = "sonvarmusic.imx";

std::string NowPlayingStatePath() {
  std::string folder = Win::Os::GetModuleFolder();
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder + kNowPlayingStateFile;
}

}  // namespace

TYX_LibraryPanel::TYX_LibraryPanel()
    : listType_(kLibrary),
      prevListType_(kLibrary),
      commands_(std::make_unique<TYX_PanelCommands>(*this)),
      navigation_(std::make_unique<TYX_PanelNavigation>(*this)),
      layout_(std::make_unique<TYX_PanelLayout>(*this)),
      transfer_(std::make_unique<TYX_PanelTransfer>(*this)) {
  layout_->RegisterMessages();
  commands_->RegisterMessages();
  navigation_->RegisterMessages();
  transfer_->RegisterMessages();
}

TYX_LibraryPanel::~TYX_LibraryPanel() {
  // The window goes first, while the parts and the child objects still live.
  DestroyWindow();
  // The conversion and ripping dialogs share one worker for the process; it ends with the panel, while
  // the message queues it posts to still exist.
  Convert::EndExtractorThread();
}

bool TYX_LibraryPanel::CreatePanel(Win::HWND parent, const Win::Rect& rect, Win::UINT id) {
  return Create(parent, rect, Win::WS_CHILD | Win::WS_VISIBLE, id);
}

void TYX_LibraryPanel::SetLibraryManager(TYX_LibraryManager* manager) {
  manager_ = manager;
  navigation_->SetLibraryManager(manager);
}

void TYX_LibraryPanel::SetDropTargetWnd(Win::HWND hwnd) {
  dropTargetWnd_ = hwnd;
  if (lists_[LIST_LIBRARY]) lists_[LIST_LIBRARY]->SetDropTargetWnd(hwnd);
}

long TYX_LibraryPanel::Reload() {
  const Util::TYX_Skin* skin = Util::TYX_Skin::Instance();
  if (skin == nullptr) return Win::E_FAIL;
  // The lists draw skin images by number, so a redraw picks up the new skin.
  for (auto& list : lists_) {
    if (list) list->Invalidate();
  }
  skinColor_ = skin->GetColor(kSkinColorList, skinColor_);
  Invalidate();
  return Win::S_OK;
}

void TYX_LibraryPanel::LoadNowPlayingState() {
  nowPlaying_ = std::make_unique<TYX_NowPlayingList>();
  std::string error;
  if (!nowPlaying_->Load(NowPlayingStatePath(), &error))
    Util::TYX_Log::Instance()->Add("TYX_LibraryPanel::LoadNowPlayingState : %s", error.c_str());
}

void TYX_LibraryPanel::SaveNowPlayingState() {
  std::string error;
  if (nowPlaying_ && !nowPlaying_->Save(NowPlayingStatePath(), &error))
    Util::TYX_Log::Instance()->Add("TYX_LibraryPanel::SaveNowPlayingState : %s", error.c_str());
}


TYX_LibraryPanel::ListCtrl* TYX_LibraryPanel::GetCurrentListCtrl() const {
  if (!IsAlive()) return nullptr;
  return lists_[ListType(listType_).list].get();
}

TYX_Playlist* TYX_LibraryPanel::GetCurrentPlaylist() const {
  if (manager_ == nullptr) return nullptr;
  return manager_->GetStockPlaylist(ListType(listType_).playlist);
}

long TYX_LibraryPanel::Refresh(const std::string& pageId, RefreshLevel level, int show) {
  Util::TYX_Log::Instance()->Add("TYX::Library::TYX_LibraryPanel::Refresh before");
  TYX_Library_SearchWnd* search = GetSearchWnd();
  if (manager_ == nullptr || GetCurrentListCtrl() == nullptr || search == nullptr || !search->IsAlive()) {
    return Win::E_FAIL;
  }

  const std::string id = pageId.substr(0, 6);
  const LibraryType type = GetLibraryType(id);
  const bool changed = type != listType_;
  ++refreshGeneration_;
  prevListType_ = listType_;
  listType_ = type;

  ClearListCtrl();
  Util::TYX_Log::Instance()->Add("TYX::Library::TYX_LibraryPanel::Refresh bRefresh : %d", show);
  if (show != 0) RefreshShowListCtrl();

  const ListTypeInfo& info = ListType(type);
  switch (info.fill) {
    case ListFill::Filtered:
      FillFromPlaylist(info, changed, level);
      break;
    case ListFill::All:
      FillFromPlaylist(info, changed, level);
      // Puts the playing mark back from the stored play state.
      SetNowPlayingMedia(nullptr, kNoPosition);
      break;
    case ListFill::CdDrive: {
      // "3" followed by the 1-based drive number in five digits.
      const std::string digits = id.size() > 1 ? id.substr(1) : std::string();
      char* end = nullptr;
      const long number = std::strtol(digits.c_str(), &end, 10);
      const bool numeric = !digits.empty() && end != nullptr && *end == '\0';
      AddListItemCD(numeric ? static_cast<int>(number) - 1 : -1);
      break;
    }
    case ListFill::Nothing:
      // Saved lists, search results, the host's page and unknown pages list nothing.
      totalFileSize_ = 0;
      return Win::S_OK;
  }

  std::vector<std::uint32_t> indexes;
  totalFileSize_ = 0;
  GetAllMedia(indexes, &totalFileSize_);
  layout_->ButtonShow();
  return Win::S_OK;
}

long TYX_LibraryPanel::AddRowOfList(PanelList list, std::uint32_t position, RefreshLevel level) {
  switch (list) {
    case LIST_LIBRARY: return AddListItemLIB(position, level);
    case LIST_NOWPLAYING: return AddListItemNP(position);
    case LIST_OLDNOWPLAYING: return AddListItemOldNP(position);
    case LIST_MYMELODY: return AddListItemMyMelody(position, level);
    case LIST_SYNC: return AddListItemSync(position);
    case LIST_WEBDOWNLOAD: return AddListItemWebDownload(position, level);
    case LIST_CD:  // filled by drive, not by position
    case LIST_COUNT: break;
  }
  return Win::E_INVALIDARG;
}

void TYX_LibraryPanel::FillFromPlaylist(const ListTypeInfo& info, bool typeChanged, RefreshLevel level) {
  const auto id = static_cast<ENUM_STOCK_PLAYLIST>(info.keyPlaylist);
  TYX_Playlist* playlist = manager_->GetStockPlaylist(id);
  if (playlist == nullptr) return;
  const bool filtered = info.fill == ListFill::Filtered;
  TYX_Library_SearchWnd* search = GetSearchWnd();
  if (filtered) search->SetStockPlaylistType(id, typeChanged ? 1 : 0);
  const std::uint32_t count = playlist->CountItem();
  // The positions the search strip shows, decided once for the presence test and the rows.
  std::vector<std::uint32_t> positions;
  positions.reserve(count);
  for (std::uint32_t pos = 0; pos < count; ++pos) {
    if (filtered && search->IsVisibleItem(pos) == 0) continue;
    positions.push_back(pos);
  }
  if (level == REFRESH_LEVEL_CHECKEXIST && TestsFilesOfRows(info.list)) {
    // The files of the rows are tested in one sweep (a folder is read once for all its songs) rather
    // than one look-up per row; the rows then read the stored answers.
    CheckFilesOfRows(info.list, playlist, positions);
    level = REFRESH_LEVEL_NONE;
  }
  ListCtrl* list = GetCurrentListCtrl();
  if (list != nullptr) {
    list->SetRedraw(false);
    list->ReserveRows(static_cast<int>(positions.size()));
  }
  for (std::uint32_t pos : positions) AddRowOfList(info.list, pos, level);
  if (list != nullptr) list->SetRedraw(true);
}

bool TYX_LibraryPanel::TestsFilesOfRows(PanelList list) {
  return list == LIST_LIBRARY || list == LIST_WEBDOWNLOAD || list == LIST_MYMELODY;
}

void TYX_LibraryPanel::CheckFilesOfRows(PanelList list, TYX_Playlist* playlist,
                                        const std::vector<std::uint32_t>& positions) {
  // Exactly the items the row fills would test: ring-tones in their own list only, live songs only.
  const bool melodies = list == LIST_MYMELODY;
  std::vector<TYX_LibraryItem*> items;
  items.reserve(positions.size());
  for (std::uint32_t pos : positions) {
    TYX_LibraryItem* item = playlist->GetItem_LibraryItem(pos);
    if (item == nullptr || Util::IsMelody(item->GetPath()) != melodies) continue;
    if (item->GetReference() == kNoLibraryIndex) continue;
    items.push_back(item);
  }
  manager_->CheckFilesExist(items);
}

void TYX_LibraryPanel::RefreshShowListCtrl() {
  layout_->UpdateRect();
  layout_->ShowSyncCheck(false);
  const ListTypeInfo& info = ListType(listType_);
  for (int i = 0; i < LIST_COUNT; ++i) {
    if (lists_[i] && lists_[i]->IsAlive()) lists_[i]->ShowWindow(i == info.list ? Win::SW_SHOW : Win::SW_HIDE);
  }

  SendMessage(WM_POWERSEARCH_SHOW, static_cast<Win::WPARAM>(navigation_->PowerSearchFlagShown(listType_)), 0);
  layout_->ApplyToolbar(info.toolbar);
  if (info.showsSyncCheck) layout_->ShowSyncCheck(true);
  const bool sendBar = info.barSilentAfter == kNone || prevListType_ != info.barSilentAfter;
  if (sendBar) SendMessageToParentWindow(WM_LIBRARY_SHOW_BAR, 0, info.barParam);

  layout_->MoveCurrentList();
  Invalidate();
}

}  // namespace TYX::Library
