#pragma once
// The panel's navigation: the power-search strip (which rows of the library and sync lists show) with
// its remembered visibility per list, and the location bar's history requests.
#include <memory>

#include "library/page_id.h"
#include "library/panel_part.h"
#include "platform/window.h"

namespace TYX {
class TYX_LibraryManager;
}

namespace TYX::Library {

class TYX_Library_SearchWnd;

// To the panel itself: wParam 1 shows the search strip, anything else hides it.
constexpr Win::UINT WM_POWERSEARCH_SHOW = 0xB7B9;

class TYX_PanelNavigation : public TYX_PanelPart {
 public:
  explicit TYX_PanelNavigation(TYX_LibraryPanel& panel);
  ~TYX_PanelNavigation() override;

  void RegisterMessages() override;

  // Creates the search window as a hidden child of the panel. False on failure.
  bool CreateSearchWnd(const Win::Rect& rect);
  TYX_Library_SearchWnd* GetSearchWnd() const { return searchWnd_.get(); }
  void SetLibraryManager(TYX_LibraryManager* manager);

  // The power-search visibility of the library list (type 1) and the sync list (type 9); every other
  // type reads the library flag and sets nothing.
  int GetPowerSearchFlag(LibraryType type) const;
  void SetPowerSearchFlag(LibraryType type, int flag);
  // The flag the strip follows while the type is shown (0 for types without a strip).
  int PowerSearchFlagShown(LibraryType type) const;

  Win::LRESULT OnPowerSearchShow(Win::WPARAM show, Win::LPARAM update);

 private:
  std::unique_ptr<TYX_Library_SearchWnd> searchWnd_;  // panel thread, like every field below
  int powerSearchLib_ = 0;
  int powerSearchSync_ = 0;
};

}  // namespace TYX::Library
