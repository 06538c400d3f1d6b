#include "library/library_search_wnd.h"

namespace TYX::Library {

TYX_Library_SearchWnd::TYX_Library_SearchWnd() {
  OnMessage(WM_SEARCH_COMBO_SELCHANGE, [this](Win::WPARAM w, Win::LPARAM l) { return OnComboSelChange(w, l); });
}

bool TYX_Library_SearchWnd::CreateSearchWnd(Win::HWND parent, const Win::Rect& rect, Win::UINT id) {
  return Create(parent, rect, Win::WS_CHILD, id);
}

void TYX_Library_SearchWnd::SetStockPlaylistType(ENUM_STOCK_PLAYLIST id, int changed) {
  playlistId_ = id;
  calls_.push_back(PlaylistTypeCall{id, changed});
  if (changed != 0 && IsAlive()) SendMessage(WM_SEARCH_COMBO_SELCHANGE, 0, 0);
}

int TYX_Library_SearchWnd::IsVisibleItem(std::uint32_t position) const {
  (void)position;
  return 1;
}

Win::LRESULT TYX_Library_SearchWnd::OnComboSelChange(Win::WPARAM wParam, Win::LPARAM lParam) {
  (void)lParam;
  if (wParam == 0) ++rebuilds_;
  return 0;
}

}  // namespace TYX::Library
