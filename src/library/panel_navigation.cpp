// The power-search strip's visibility and the search window's place in the panel.
#include "library/panel_navigation.h"

#include "library/library_panel.h"
#include "library/library_search_wnd.h"
#include "library/panel_layout.h"

namespace TYX::Library {

TYX_PanelNavigation::TYX_PanelNavigation(TYX_LibraryPanel& panel)
    : TYX_PanelPart(panel), searchWnd_(std::make_unique<TYX_Library_SearchWnd>()) {}

TYX_PanelNavigation::~TYX_PanelNavigation() = default;

void TYX_PanelNavigation::RegisterMessages() {
  Panel().OnMessage(WM_POWERSEARCH_SHOW, [this](Win::WPARAM w, Win::LPARAM l) { return OnPowerSearchShow(w, l); });
}

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
  Panel().Layout().ShowSearchStrip(show == 1);
  return 0;
}

}  // namespace TYX::Library
