#pragma once
// The power-search strip above the library list: which stock playlist it filters and which rows of it
// pass the filters. This first version keeps the playlist choice and lets every row through; the
// genre, artist and album drop-down lists join it later.
//
// A child window of the panel; used on the panel's window thread only.
#include <cstdint>
#include <vector>

#include "contracts/library_manager.h"
#include "contracts/stock_playlist.h"
#include "platform/window.h"

namespace TYX::Library {

// Sent to the search window to rebuild its lists (wParam 0) or to handle a list's selection change
// (wParam the list's window).
constexpr Win::UINT WM_SEARCH_COMBO_SELCHANGE = 0x9550;
// Control ID of the search window inside the panel.
constexpr Win::UINT kSearchWndId = 1000;

class TYX_Library_SearchWnd : public Win::Window {
 public:
  struct PlaylistTypeCall {
    ENUM_STOCK_PLAYLIST id;
    int changed;
  };

  TYX_Library_SearchWnd();

  // Creates the strip as a hidden child of the panel.
  bool CreateSearchWnd(Win::HWND parent, const Win::Rect& rect, Win::UINT id = kSearchWndId);

  void SetLibManager(TYX_LibraryManager* manager) { manager_ = manager; }
  TYX_LibraryManager* GetLibManager() const { return manager_; }

  // Stores the filtered playlist; a non-zero changed asks the strip to rebuild its lists.
  void SetStockPlaylistType(ENUM_STOCK_PLAYLIST id, int changed);
  ENUM_STOCK_PLAYLIST GetStockPlaylistType() const { return playlistId_; }
  // Every SetStockPlaylistType call, oldest first (kept for the panel's diagnostics and tests).
  const std::vector<PlaylistTypeCall>& PlaylistTypeCalls() const { return calls_; }
  // How many list rebuilds were asked for (0x9550 with wParam 0).
  int RebuildCount() const { return rebuilds_; }

  // 1 when the entry at the position passes every active filter, else 0. No filter is active yet, so
  // every row passes.
  int IsVisibleItem(std::uint32_t position) const;

 private:
  Win::LRESULT OnComboSelChange(Win::WPARAM wParam, Win::LPARAM lParam);

  TYX_LibraryManager* manager_ = nullptr;                // panel thread; owned by the host
  ENUM_STOCK_PLAYLIST playlistId_ = STOCK_PLAYLIST_LIBRARY;  // panel thread
  std::vector<PlaylistTypeCall> calls_;                  // panel thread
  int rebuilds_ = 0;                                     // panel thread
};

}  // namespace TYX::Library
