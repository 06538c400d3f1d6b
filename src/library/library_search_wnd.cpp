// The power-search strip: its three lists, their rebuilds and the row filter.
#include "library/library_search_wnd.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <unordered_set>

#include "contracts/library_item.h"
#include "contracts/playlist.h"
#include "toolkit/combo_box.h"

namespace TYX::Library {

namespace {

constexpr Win::UINT kListIds[TYX_Library_SearchWnd::SEARCH_LIST_COUNT] = {
    TYX_Library_SearchWnd::kGenreListId, TYX_Library_SearchWnd::kArtistListId, TYX_Library_SearchWnd::kAlbumListId};
// Entry 0 before the first rebuild, and after it (with the number of distinct texts).
constexpr const char* kInitialAll[TYX_Library_SearchWnd::SEARCH_LIST_COUNT] = {"장르 전체", "아티스트 전체", "앨범 전체"};
constexpr const char* kAllFormat[TYX_Library_SearchWnd::SEARCH_LIST_COUNT] = {
    "장르 전체보기 (%d)", "아티스트 전체보기 (%d)", "앨범 전체보기 (%d)"};
constexpr Win::DWORD kListStyle = Win::WS_CHILD | Win::WS_VISIBLE | 3;
// Notification codes of a list's selection change.
constexpr Win::UINT kSelChangeCodes[] = {0, 1};

std::string FieldOf(const TYX_LibraryItem& item, TYX_Library_SearchWnd::SearchList which) {
  switch (which) {
    case TYX_Library_SearchWnd::LIST_GENRE: return item.GetGenre();
    case TYX_Library_SearchWnd::LIST_ARTIST: return item.GetArtist();
    default: return item.GetAlbum();
  }
}

}  // namespace

TYX_Library_SearchWnd::TYX_Library_SearchWnd() {
  OnMessage(Win::WM_CREATE, [this](Win::WPARAM, Win::LPARAM) { return OnCreate(); });
  OnMessage(Win::WM_SIZE, [this](Win::WPARAM, Win::LPARAM) {
    LayoutLists();
    return Win::LRESULT{0};
  });
  OnMessage(WM_SEARCH_COMBO_SELCHANGE, [this](Win::WPARAM w, Win::LPARAM l) { return OnComboSelChange(w, l); });
  for (Win::UINT code : kSelChangeCodes) {
    OnCommandCode(kGenreListId, code, [this] { OnGenreSelChange(); });
    OnCommandCode(kArtistListId, code, [this] { OnArtistSelChange(); });
    OnCommandCode(kAlbumListId, code, [this] { OnAlbumSelChange(); });
  }
}

TYX_Library_SearchWnd::~TYX_Library_SearchWnd() {
  // The window goes first, while the lists still live.
  DestroyWindow();
}

bool TYX_Library_SearchWnd::CreateSearchWnd(Win::HWND parent, const Win::Rect& rect, Win::UINT id) {
  return Create(parent, rect, Win::WS_CHILD, id);
}

Win::LRESULT TYX_Library_SearchWnd::OnCreate() {
  for (int i = 0; i < SEARCH_LIST_COUNT; ++i) {
    if (lists_[i]) continue;
    auto list = std::make_unique<Controls::TYX_ComboBox>();
    if (!list->CreateCombo(GetSafeHwnd(), Win::Rect{0, 0, 0, kListHeight}, kListIds[i], kListStyle)) return -1;
    list->AddString(kInitialAll[i]);
    list->SetCurSel(0);
    lists_[i] = std::move(list);
  }
  LayoutLists();
  return 0;
}

void TYX_Library_SearchWnd::LayoutLists() {
  const int w = GetClientRect().Width();
  const int width = w / 3 - 2;
  int x = 2;
  for (auto& list : lists_) {
    if (!list || !list->IsAlive()) continue;
    list->MoveWindow(Win::Rect{x, 0, x + width, kListHeight}, false);
    x += width + 2;
  }
}

void TYX_Library_SearchWnd::SetStockPlaylistType(ENUM_STOCK_PLAYLIST id, int changed) {
  playlistId_ = id;
  calls_.push_back(PlaylistTypeCall{id, changed});
  if (changed != 0 && IsAlive()) SendMessage(WM_SEARCH_COMBO_SELCHANGE, 0, 0);
}

TYX_Library_SearchWnd::Filter TYX_Library_SearchWnd::ReadFilter(SearchList which) const {
  Filter filter;
  const Controls::TYX_ComboBox* list = lists_[which].get();
  if (list == nullptr || !list->IsAlive() || list->GetCurSel() <= 0) return filter;
  filter.active = true;
  filter.text = list->GetLBText(list->GetCurSel());
  return filter;
}

void TYX_Library_SearchWnd::GetFilter(SearchList which, std::string& text, bool& active) const {
  const Controls::TYX_ComboBox* list = lists_[which].get();
  text = list != nullptr ? list->GetSelectedText() : std::string();
  active = ReadFilter(which).active;
}

int TYX_Library_SearchWnd::IsVisibleItem(std::uint32_t position) const {
  if (!IsAlive()) return 1;
  const Filter genre = ReadFilter(LIST_GENRE);
  const Filter artist = ReadFilter(LIST_ARTIST);
  const Filter album = ReadFilter(LIST_ALBUM);
  if (!genre.active && !artist.active && !album.active) return 1;
  TYX_Playlist* playlist = manager_ != nullptr ? manager_->GetStockPlaylist(playlistId_) : nullptr;
  const TYX_LibraryItem* item = playlist != nullptr ? playlist->GetItem_LibraryItem(position) : nullptr;
  // An entry that cannot be read matches no chosen text.
  if (item == nullptr) return 0;
  if (genre.active && item->GetGenre() != genre.text) return 0;
  if (artist.active && item->GetArtist() != artist.text) return 0;
  if (album.active && item->GetAlbum() != album.text) return 0;
  return 1;
}

namespace {

// Distinct non-empty texts, gathered as they come. Songs of an album or an artist usually follow each
// other, so a text equal to the one before is passed over without a look-up.
class DistinctTexts {
 public:
  void Add(std::string&& text) {
    if (text.empty() || (!seen_.empty() && text == last_)) return;
    last_ = text;
    seen_.insert(std::move(text));
  }
  std::vector<std::string> Sorted() const {
    std::vector<std::string> texts(seen_.begin(), seen_.end());
    std::sort(texts.begin(), texts.end());
    return texts;
  }

 private:
  std::unordered_set<std::string> seen_;
  std::string last_;
};

// Empties a list and fills it with the "all" entry and the sorted texts, the "all" entry chosen.
void FillList(Controls::TYX_ComboBox* list, TYX_Library_SearchWnd::SearchList which,
              const std::vector<std::string>& texts) {
  list->ResetContent();
  char all[96];
  std::snprintf(all, sizeof all, kAllFormat[which], static_cast<int>(texts.size()));
  list->AddString(all);
  for (const std::string& text : texts) list->AddString(text);
  list->SetCurSel(0);
}

}  // namespace

void TYX_Library_SearchWnd::RebuildList(SearchList which, const Filter& genre, const Filter& artist) {
  Controls::TYX_ComboBox* list = lists_[which].get();
  if (manager_ == nullptr || list == nullptr) return;
  std::vector<std::string> texts;
  if (TYX_Playlist* playlist = manager_->GetStockPlaylist(playlistId_)) {
    DistinctTexts distinct;
    const std::uint32_t count = playlist->CountItem();
    for (std::uint32_t pos = 0; pos < count; ++pos) {
      const TYX_LibraryItem* item = playlist->GetItem_LibraryItem(pos);
      if (item == nullptr) continue;
      if (genre.active && item->GetGenre() != genre.text) continue;
      if (artist.active && item->GetArtist() != artist.text) continue;
      distinct.Add(FieldOf(*item, which));
    }
    texts = distinct.Sorted();
  }
  FillList(list, which, texts);
}

void TYX_Library_SearchWnd::RebuildAllLists() {
  // Each list is emptied to its "all" entry before the next is built, so none filters another: the
  // three are gathered in one pass over the playlist.
  std::array<std::vector<std::string>, SEARCH_LIST_COUNT> texts;
  if (manager_ == nullptr) return;
  if (TYX_Playlist* playlist = manager_->GetStockPlaylist(playlistId_)) {
    std::array<DistinctTexts, SEARCH_LIST_COUNT> distinct;
    const std::uint32_t count = playlist->CountItem();
    for (std::uint32_t pos = 0; pos < count; ++pos) {
      const TYX_LibraryItem* item = playlist->GetItem_LibraryItem(pos);
      if (item == nullptr) continue;
      for (int i = 0; i < SEARCH_LIST_COUNT; ++i) distinct[i].Add(FieldOf(*item, static_cast<SearchList>(i)));
    }
    for (int i = 0; i < SEARCH_LIST_COUNT; ++i) texts[i] = distinct[i].Sorted();
  }
  for (int i = 0; i < SEARCH_LIST_COUNT; ++i) {
    if (lists_[i]) FillList(lists_[i].get(), static_cast<SearchList>(i), texts[i]);
  }
  if (lists_[LIST_GENRE] && lists_[LIST_GENRE]->IsAlive()) lists_[LIST_GENRE]->ShowWindow(Win::SW_SHOW);
}

void TYX_Library_SearchWnd::RefreshList1() {
  if (manager_ == nullptr) return;
  RebuildList(LIST_GENRE, Filter{}, Filter{});
  if (lists_[LIST_GENRE] && lists_[LIST_GENRE]->IsAlive()) lists_[LIST_GENRE]->ShowWindow(Win::SW_SHOW);
}

void TYX_Library_SearchWnd::RefreshList2() { RebuildList(LIST_ARTIST, ReadFilter(LIST_GENRE), Filter{}); }

void TYX_Library_SearchWnd::RefreshList3() {
  RebuildList(LIST_ALBUM, ReadFilter(LIST_GENRE), ReadFilter(LIST_ARTIST));
}

void TYX_Library_SearchWnd::OnGenreSelChange() {
  RefreshList2();
  RefreshList3();
}

void TYX_Library_SearchWnd::OnArtistSelChange() { RefreshList3(); }

void TYX_Library_SearchWnd::OnAlbumSelChange() {
  if (GetParent() != nullptr) Win::PostMessage(GetParent(), WM_POWERSEARCH, 0, 0);
}

Win::LRESULT TYX_Library_SearchWnd::OnComboSelChange(Win::WPARAM wParam, Win::LPARAM lParam) {
  (void)lParam;
  if (wParam == 0) {
    ++rebuilds_;
    LayoutLists();
    RebuildAllLists();
    return 0;
  }
  const auto hwnd = reinterpret_cast<Win::HWND>(wParam);
  if (lists_[LIST_GENRE] && hwnd == lists_[LIST_GENRE]->GetSafeHwnd()) OnGenreSelChange();
  else if (lists_[LIST_ARTIST] && hwnd == lists_[LIST_ARTIST]->GetSafeHwnd()) OnArtistSelChange();
  else if (lists_[LIST_ALBUM] && hwnd == lists_[LIST_ALBUM]->GetSafeHwnd()) OnAlbumSelChange();
  return 0;
}

}  // namespace TYX::Library
