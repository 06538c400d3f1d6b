#pragma once
// The panel's navigation: the power-search strip (which rows of the library and sync lists show) with
// its remembered visibility per list, and the location bar: visits recorded as history, back, forward,
// refresh and search requests, and the caption of the list shown.
#include <memory>
#include <string>

#include "library/page_id.h"
#include "library/panel_part.h"
#include "platform/window.h"

namespace TYX {
class TYX_LibraryManager;
}

namespace TYX::Location {
class TYX_LocationWnd;
}

namespace TYX::Library {

class TYX_Library_SearchWnd;

// Messages of the panel for navigation (from the host unless said otherwise). Texts travel as
// Location::TextParam and are read during the send only: these are sent, never posted.
constexpr Win::UINT WM_LOCATION_BACK = 0xB7B1;
constexpr Win::UINT WM_LOCATION_FORWARD = 0xB7B2;
constexpr Win::UINT WM_LOCATION_HOME = 0xB7B3;
constexpr Win::UINT WM_LOCATION_REFRESH = 0xB7B4;     // wParam kRefreshAllRows: redraw every row instead
constexpr Win::UINT WM_LOCATION_SEARCH = 0xB7B5;      // wParam the search kind, lParam the search text
// 0xB7B6 (Location::WM_LOCATION_NAVIGATE) from the location bar: lParam the address.
constexpr Win::UINT WM_POWERSEARCH_SHOW = 0xB7B9;     // to itself: wParam 1 shows the strip, else hides it
// 0xB7BA (WM_POWERSEARCH) from the search window: list again with the filter.
constexpr Win::UINT WM_SPEEDSEARCH_FILLDATA = 0xB7BE;  // rebuild the search window's lists
constexpr Win::WPARAM kRefreshAllRows = 47028;
// Toolbar and page commands that toggle the power-search strip.
constexpr Win::UINT kCmdPowerSearchOn = 1032;
constexpr Win::UINT kCmdPowerSearchOff = 1033;
// Search kinds with a caption.
constexpr int kSearchArtist = 1;
constexpr int kSearchTitle = 2;
constexpr int kSearchAlbum = 4;

class TYX_PanelNavigation : public TYX_PanelPart {
 public:
  explicit TYX_PanelNavigation(TYX_LibraryPanel& panel);
  ~TYX_PanelNavigation() override;

  void RegisterMessages() override;

  // ---- Search window --------------------------------------------------------------------------------
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

  // ---- Location -------------------------------------------------------------------------------------
  void SetLocationManager(Location::TYX_LocationWnd* bar) { bar_ = bar; }
  Location::TYX_LocationWnd* GetLocationManager() const { return bar_; }
  // Lists the page of the address (its first "&" field) and records the visit with the list's
  // location kind, then updates the caption. Without a location bar only the list changes. Returns 0.
  long Navigate(const std::string& address, int level);
  // Sets the bar's caption for the current list type; the address gives a search's kind and text.
  void UpdateLocationWnd(const std::string& address);
  int GetSearchKind() const { return searchKind_; }
  const std::string& GetSearchText() const { return searchText_; }

  // The search address of a kind and text, "500000&kind&text".
  static std::string SearchAddress(int kind, const std::string& text);

  // ---- Handlers -------------------------------------------------------------------------------------
  long OnLocationBack();
  long OnLocationForward();
  long OnLocationRefresh(Win::WPARAM wParam);
  long OnLocationSearch(int kind, const std::string& text);
  long OnLocationNavigate(const std::string& address);
  Win::LRESULT OnPowerSearchShow(Win::WPARAM show, Win::LPARAM update);
  long OnPowerSearch();
  long OnLibrarySpeedSearchFillData();
  void OnLibrarySpeedSearch();

 private:
  // Back and forward: list the stack's top entry, then move in the history.
  long MoveInHistory(bool back);
  void InvalidateBar();

  std::unique_ptr<TYX_Library_SearchWnd> searchWnd_;  // panel thread, like every field below
  Location::TYX_LocationWnd* bar_ = nullptr;           // owned by the host
  int searchKind_ = 0;
  std::string searchText_;
  int powerSearchToggle_ = 0;
  int powerSearchLib_ = 0;
  int powerSearchSync_ = 0;
};

}  // namespace TYX::Library
