// The power-search strip's visibility and filter refills, and the location history requests.
#include "library/panel_navigation.h"

#include <charconv>

#include "library/library_panel.h"
#include "library/library_search_wnd.h"
#include "library/location_wnd.h"
#include "library/panel_layout.h"
#include "toolkit/splitter_control.h"
#include "util/log.h"

namespace TYX::Library {

namespace {

// An address split at its first two "&": page ID, then the search kind, then the search text, which
// keeps any further "&" (an artist such as "Simon & Garfunkel").
std::vector<std::string> AddressFields(const std::string& address) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (fields.size() < 2) {
    const std::size_t end = address.find('&', start);
    if (end == std::string::npos) break;
    fields.push_back(address.substr(start, end - start));
    start = end + 1;
  }
  fields.push_back(address.substr(start));
  return fields;
}

// A field read as a decimal number; false when it is not one.
bool ParseDecimal(const std::string& field, int& value) {
  const char* first = field.data();
  const char* last = first + field.size();
  const auto [end, error] = std::from_chars(first, last, value);
  return error == std::errc() && end == last && first != last;
}

const char* SearchCaptionPrefix(int kind) {
  switch (kind) {
    case kSearchArtist: return "아티스트검색: ";
    case kSearchTitle: return "곡검색: ";
    case kSearchAlbum: return "앨범검색: ";
    default: return nullptr;
  }
}

}  // namespace

TYX_PanelNavigation::TYX_PanelNavigation(TYX_LibraryPanel& panel)
    : TYX_PanelPart(panel), searchWnd_(std::make_unique<TYX_Library_SearchWnd>()) {}

TYX_PanelNavigation::~TYX_PanelNavigation() = default;

void TYX_PanelNavigation::RegisterMessages() {
  TYX_LibraryPanel& panel = Panel();
  panel.OnMessage(WM_LOCATION_BACK, [this](Win::WPARAM, Win::LPARAM) { return Win::LRESULT{OnLocationBack()}; });
  panel.OnMessage(WM_LOCATION_FORWARD, [this](Win::WPARAM, Win::LPARAM) { return Win::LRESULT{OnLocationForward()}; });
  panel.OnMessage(WM_LOCATION_HOME, [](Win::WPARAM, Win::LPARAM) { return Win::LRESULT{0}; });
  panel.OnMessage(WM_LOCATION_REFRESH, [this](Win::WPARAM w, Win::LPARAM) { return Win::LRESULT{OnLocationRefresh(w)}; });
  panel.OnMessage(WM_LOCATION_SEARCH, [this](Win::WPARAM w, Win::LPARAM l) {
    return Win::LRESULT{OnLocationSearch(static_cast<int>(w), Location::ParamText(l))};
  });
  panel.OnMessage(Location::WM_LOCATION_NAVIGATE, [this](Win::WPARAM, Win::LPARAM l) {
    return Win::LRESULT{OnLocationNavigate(Location::ParamText(l))};
  });
  panel.OnMessage(WM_POWERSEARCH_SHOW, [this](Win::WPARAM w, Win::LPARAM l) { return OnPowerSearchShow(w, l); });
  panel.OnMessage(WM_POWERSEARCH, [this](Win::WPARAM, Win::LPARAM) { return Win::LRESULT{OnPowerSearch()}; });
  panel.OnMessage(WM_SPEEDSEARCH_FILLDATA, [this](Win::WPARAM, Win::LPARAM) {
    return Win::LRESULT{OnLibrarySpeedSearchFillData()};
  });
  panel.OnCommand(kCmdPowerSearchOn, [this] { OnLibrarySpeedSearch(); });
  panel.OnCommand(kCmdPowerSearchOff, [this] { OnLibrarySpeedSearch(); });
}

// ---- Search window ----------------------------------------------------------------------------------

bool TYX_PanelNavigation::CreateSearchWnd(const Win::Rect& rect) {
  if (!searchWnd_->CreateSearchWnd(Panel().GetSafeHwnd(), rect)) return false;
  searchWnd_->SetLibManager(Panel().GetLibraryManager());
  return true;
}

void TYX_PanelNavigation::SetLibraryManager(TYX_LibraryManager* manager) { searchWnd_->SetLibManager(manager); }

int TYX_PanelNavigation::GetPowerSearchFlag(LibraryType type) const {
  return type == kSyncList ? powerSearchSync_ : powerSearchLib_;
}

void TYX_PanelNavigation::SetPowerSearchFlag(LibraryType type, int flag) {
  if (type == kSyncList) {
    powerSearchSync_ = flag;
  } else if (type == kLibrary) {
    powerSearchLib_ = flag;
  }
}

int TYX_PanelNavigation::PowerSearchFlagShown(LibraryType type) const {
  switch (ListType(type).powerSearch) {
    case PowerSearchFlag::Library: return powerSearchLib_;
    case PowerSearchFlag::Sync: return powerSearchSync_;
    case PowerSearchFlag::Hidden: break;
  }
  return 0;
}

Win::LRESULT TYX_PanelNavigation::OnPowerSearchShow(Win::WPARAM show, Win::LPARAM update) {
  (void)update;  // the strip is always laid out again
  TYX_PanelLayout& layout = Panel().Layout();
  layout.ShowSearchStrip(show == 1);
  // The splitter under the strip comes and goes with it, at the rectangle the new layout gives it.
  Controls::TYX_SplitterControl* splitter = layout.GetSplitter();
  if (splitter != nullptr && splitter->IsAlive()) {
    splitter->ShowWindow(show == 1 ? Win::SW_SHOW : Win::SW_HIDE);
    splitter->MoveWindow(layout.GetSplitterRect(), false);
    splitter->Invalidate();
  }
  return 0;
}

long TYX_PanelNavigation::OnPowerSearch() {
  const bool sync = Panel().GetCurrentListType() == kSyncList;
  Panel().Refresh(sync ? kPageSyncList : kPageLibrary, TYX_LibraryPanel::REFRESH_LEVEL_NONE, 1);
  return 0;
}

long TYX_PanelNavigation::OnLibrarySpeedSearchFillData() {
  if (searchWnd_->IsAlive()) searchWnd_->SendMessage(WM_SEARCH_COMBO_SELCHANGE, 0, 0);
  return 0;
}

void TYX_PanelNavigation::OnLibrarySpeedSearch() {
  powerSearchToggle_ = powerSearchToggle_ != 0 ? 0 : 1;
  const LibraryType type = Panel().GetCurrentListType();
  if (type != kLibrary && type != kSyncList) return;
  SetPowerSearchFlag(type, powerSearchToggle_);
  Panel().SendMessage(WM_POWERSEARCH_SHOW, static_cast<Win::WPARAM>(GetPowerSearchFlag(type)), 0);
}

// ---- Location ---------------------------------------------------------------------------------------

std::string TYX_PanelNavigation::SearchAddress(int kind, const std::string& text) {
  return std::string(kPageSearch) + "&" + std::to_string(kind) + "&" + text;
}

void TYX_PanelNavigation::InvalidateBar() {
  if (bar_ != nullptr && bar_->IsAlive()) bar_->Invalidate();
}

long TYX_PanelNavigation::Navigate(const std::string& address, int level) {
  const std::string pageId = AddressFields(address).front();
  const long status = Panel().Refresh(pageId, static_cast<TYX_LibraryPanel::RefreshLevel>(level), 1);
  // A panel that could not list the page (no store or window) shows the old list still: nothing is
  // recorded for a page that is not shown.
  if (status != Win::S_OK) return status;
  if (bar_ != nullptr) {
    bar_->AddLocation(address, ListType(Panel().GetCurrentListType()).locationKind);
    UpdateLocationWnd(address);
  }
  InvalidateBar();
  return Win::S_OK;
}

void TYX_PanelNavigation::UpdateLocationWnd(const std::string& address) {
  const LibraryType type = Panel().GetCurrentListType();
  const ListTypeInfo& info = ListType(type);
  std::string caption = info.caption != nullptr ? info.caption : "";
  if (type == kSearchResult) {
    // The search kind is the second field; an address without one leaves the bar as it is.
    const std::vector<std::string> fields = AddressFields(address);
    int kind = 0;
    if (fields.size() < 2 || !ParseDecimal(fields[1], kind)) return;
    const char* prefix = SearchCaptionPrefix(kind);
    if (prefix == nullptr) return;
    const std::string& text = fields.size() > 2 ? fields[2] : searchText_;
    caption += " > " + std::string(prefix) + text;
  } else if (info.captionPart != nullptr) {
    caption += " > " + std::string(info.captionPart);
  }
  if (bar_ == nullptr) return;
  bar_->SetLocationText(caption, std::string());
  InvalidateBar();
}

long TYX_PanelNavigation::MoveInHistory(bool back) {
  if (bar_ == nullptr) return Win::E_FAIL;
  const Location::TYX_LocationWnd::tagLocation* top = back ? bar_->PeekBack() : bar_->PeekForward();
  if (top == nullptr) return Win::E_FAIL;
  const std::string address = top->address;  // the refresh may change the bar
  const std::vector<std::string> fields = AddressFields(address);
  if (fields.size() == 3) {
    int kind = 0;
    searchKind_ = ParseDecimal(fields[1], kind) ? kind : 0;
    searchText_ = fields[2];
  }
  Panel().Refresh(address, TYX_LibraryPanel::REFRESH_LEVEL_CHECKEXIST, 1);
  UpdateLocationWnd(address);
  if (back) {
    bar_->MoveBack();
  } else {
    bar_->MoveForward();
  }
  return Win::S_OK;
}

long TYX_PanelNavigation::OnLocationBack() { return MoveInHistory(true); }

long TYX_PanelNavigation::OnLocationForward() { return MoveInHistory(false); }

long TYX_PanelNavigation::OnLocationRefresh(Win::WPARAM wParam) {
  if (wParam == kRefreshAllRows) return Panel().RefreshAllMedia();
  if (bar_ == nullptr) return Win::E_FAIL;
  // Nothing visited yet: there is no page to list again.
  if (!bar_->HasCurrent()) return Win::E_FAIL;
  const std::string address = bar_->GetCurrent().address;
  return Navigate(address, TYX_LibraryPanel::REFRESH_LEVEL_CHECKEXIST);
}

long TYX_PanelNavigation::OnLocationSearch(int kind, const std::string& text) {
  Util::TYX_Log::Instance()->Add("TYX_LibraryPanel::OnLocationSearch kind : %d", kind);
  searchKind_ = kind;
  searchText_ = text;
  return Navigate(SearchAddress(kind, text), TYX_LibraryPanel::REFRESH_LEVEL_NONE);
}

long TYX_PanelNavigation::OnLocationNavigate(const std::string& address) {
  // A segment without an address names no page.
  if (address.empty()) return Win::E_INVALIDARG;
  return Navigate(address, TYX_LibraryPanel::REFRESH_LEVEL_CHECKEXIST);
}

}  // namespace TYX::Library
