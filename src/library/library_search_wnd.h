#pragma once
// The power-search strip above the library list: three drop-down lists (genre, artist, album) built
// from the songs of the filtered stock playlist. While an entry other than the first ("all") is chosen
// in a list, only the songs with exactly that text (letter case counts) pass IsVisibleItem. Choosing a
// genre narrows the artist and album lists, choosing an artist narrows the album list, and choosing an
// album asks the panel to list the songs again (WM_POWERSEARCH to the parent).
//
// A child window of the panel; used on the panel's window thread only.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "contracts/library_manager.h"
#include "contracts/stock_playlist.h"
#include "platform/window.h"

namespace TYX::Controls {
class TYX_ComboBox;
}

namespace TYX::Library {

// Sent to the search window to rebuild its lists (wParam 0) or to handle a list's selection change
// (wParam the list's window).
constexpr Win::UINT WM_SEARCH_COMBO_SELCHANGE = 0x9550;
// Posted to the parent when an album was chosen: list the songs again with the filter.
constexpr Win::UINT WM_POWERSEARCH = 0xB7BA;
// Control ID of the search window inside the panel.
constexpr Win::UINT kSearchWndId = 1000;

class TYX_Library_SearchWnd : public Win::Window {
 public:
  enum SearchList : int { LIST_GENRE = 0, LIST_ARTIST, LIST_ALBUM, SEARCH_LIST_COUNT };
  static constexpr Win::UINT kGenreListId = 10001;
  static constexpr Win::UINT kArtistListId = 10002;
  static constexpr Win::UINT kAlbumListId = 10003;
  static constexpr int kListHeight = 20;

  struct PlaylistTypeCall {
    ENUM_STOCK_PLAYLIST id;
    int changed;
  };

  TYX_Library_SearchWnd();
  ~TYX_Library_SearchWnd() override;

  // Creates the strip as a hidden child of the panel, with its three lists each showing "all".
  bool CreateSearchWnd(Win::HWND parent, const Win::Rect& rect, Win::UINT id = kSearchWndId);

  void SetLibManager(TYX_LibraryManager* manager) { manager_ = manager; }
  TYX_LibraryManager* GetLibManager() const { return manager_; }

  // Stores the filtered playlist; a non-zero changed rebuilds the three lists.
  void SetStockPlaylistType(ENUM_STOCK_PLAYLIST id, int changed);
  ENUM_STOCK_PLAYLIST GetStockPlaylistType() const { return playlistId_; }
  // Every SetStockPlaylistType call, oldest first (kept for the panel's diagnostics and tests).
  const std::vector<PlaylistTypeCall>& PlaylistTypeCalls() const { return calls_; }
  // How many full rebuilds of the three lists were made (0x9550 with wParam 0).
  int RebuildCount() const { return rebuilds_; }

  // 1 when the entry at the position of the filtered playlist passes every active filter, else 0;
  // 1 when the strip has no window or no filter is active.
  int IsVisibleItem(std::uint32_t position) const;

  // The chosen entry's text and whether the list filters (an entry past "all" is chosen).
  void GetGenre(std::string& text, bool& active) const { GetFilter(LIST_GENRE, text, active); }
  void GetArtist(std::string& text, bool& active) const { GetFilter(LIST_ARTIST, text, active); }
  void GetAlbum(std::string& text, bool& active) const { GetFilter(LIST_ALBUM, text, active); }

  // Rebuilds of the genre, artist and album lists from the filtered playlist.
  void RefreshList1();
  void RefreshList2();
  void RefreshList3();

  Controls::TYX_ComboBox* GetList(SearchList which) const { return lists_[which].get(); }

 private:
  struct Filter {
    bool active = false;
    std::string text;
  };

  Win::LRESULT OnCreate();
  Win::LRESULT OnComboSelChange(Win::WPARAM wParam, Win::LPARAM lParam);
  void OnGenreSelChange();
  void OnArtistSelChange();
  void OnAlbumSelChange();
  void LayoutLists();
  Filter ReadFilter(SearchList which) const;
  void GetFilter(SearchList which, std::string& text, bool& active) const;
  // Collects the distinct texts of one field over the songs passing the filters, and refills the list.
  void RebuildList(SearchList which, const Filter& genre, const Filter& artist);
  // The full rebuild: the three lists from every song, in one pass over the playlist.
  void RebuildAllLists();

  TYX_LibraryManager* manager_ = nullptr;                    // panel thread; owned by the host
  ENUM_STOCK_PLAYLIST playlistId_ = STOCK_PLAYLIST_LIBRARY;  // panel thread, like every field below
  std::array<std::unique_ptr<Controls::TYX_ComboBox>, SEARCH_LIST_COUNT> lists_;
  std::vector<PlaylistTypeCall> calls_;
  int rebuilds_ = 0;
};

}  // namespace TYX::Library
