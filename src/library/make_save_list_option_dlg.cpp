#include "library/make_save_list_option_dlg.h"

#include <cctype>
#include <chrono>
#include <ctime>
#include <set>

#include "contracts/library_manager.h"
#include "toolkit/list_ctrl_ex.h"
#include "toolkit/list_types.h"
#include "toolkit/radio_button.h"
#include "util/log.h"

namespace TYX::Dialog {

using namespace TYX::Win;

namespace {

constexpr int kWidth = 520;
constexpr int kHeight = 470;
constexpr int kListWidth = 225;
constexpr int kListHeight = 150;
constexpr int kListRowHeight = 20;
constexpr COLORREF kLabelColor = 0x663A3A;
constexpr char kYearSuffix[] = "년";
constexpr std::size_t kYearDigits = 4;

struct ListPlace {
  const char* title;
  UINT id;
  Rect rect;
};
constexpr ListPlace kLists[TYX_MakeSaveListOptionDlg::LIST_COUNT] = {
    {"아티스트", TYX_MakeSaveListOptionDlg::kArtistListId, Rect{25, 110, 25 + kListWidth, 110 + kListHeight}},
    {"앨범", TYX_MakeSaveListOptionDlg::kAlbumListId, Rect{270, 110, 270 + kListWidth, 110 + kListHeight}},
    {"장르", TYX_MakeSaveListOptionDlg::kGenreListId, Rect{25, 280, 25 + kListWidth, 280 + kListHeight}},
    {"발매년도", TYX_MakeSaveListOptionDlg::kYearListId, Rect{270, 280, 270 + kListWidth, 280 + kListHeight}},
};

std::vector<std::string> SplitChoice(const std::string& list) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t end = list.find('|', start);
    if (end == std::string::npos) {
      pieces.push_back(list.substr(start));
      break;
    }
    pieces.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

}  // namespace

TYX_MakeSaveListOptionDlg::TYX_MakeSaveListOptionDlg(HWND parent) : TYX_Skin_PopupDialog(0, parent) {
  SetWindowSize(kWidth, kHeight);
  SetButtonSet(kButtonSetOkCancel);
}

TYX_MakeSaveListOptionDlg::~TYX_MakeSaveListOptionDlg() = default;

void TYX_MakeSaveListOptionDlg::SetOption(const std::string& option, const std::string& limit) {
  option_ = option;
  limit_ = limit;
}

std::string TYX_MakeSaveListOptionDlg::GetLimitLine() const { return "목록 생성 제한 : " + limit_; }

int TYX_MakeSaveListOptionDlg::ElementInArray(const std::string& list, const std::string& value) {
  if (list.empty()) return -1;
  for (const std::string& piece : SplitChoice(list)) {
    if (piece == value) return 1;
  }
  return 0;
}

int TYX_MakeSaveListOptionDlg::YearLimit() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  localtime_r(&now, &local);
  return local.tm_year + 1900 + 1;
}

bool TYX_MakeSaveListOptionDlg::YearEntry(const std::string& yearText, int yearLimit, std::string& entry) {
  if (yearText.size() < kYearDigits) return false;
  int year = 0;
  for (std::size_t i = 0; i < kYearDigits; ++i) {
    const unsigned char c = static_cast<unsigned char>(yearText[i]);
    // A text that does not start with a year ("Unknown") offers none.
    if (!std::isdigit(c)) return false;
    year = year * 10 + (c - '0');
  }
  if (year >= yearLimit) return false;
  entry = yearText.substr(0, kYearDigits) + kYearSuffix;
  return true;
}

void TYX_MakeSaveListOptionDlg::OnSearchOptionClicked(UINT id) {
  if (id == kAndRadioId) UpdateRadioButton(SEARCH_AND);
  if (id == kOrRadioId) UpdateRadioButton(SEARCH_OR);
}

void TYX_MakeSaveListOptionDlg::UpdateRadioButton(int option) {
  searchOption = option == SEARCH_OR ? SEARCH_OR : SEARCH_AND;
  if (andRadio_ != nullptr) andRadio_->SetCheck(searchOption == SEARCH_AND);
  if (orRadio_ != nullptr) orRadio_->SetCheck(searchOption == SEARCH_OR);
}

std::string* TYX_MakeSaveListOptionDlg::ChoiceOf(ChoiceList which) {
  switch (which) {
    case LIST_ARTIST: return &artists;
    case LIST_ALBUM: return &albums;
    case LIST_GENRE: return &genres;
    case LIST_YEAR: return &years;
    case LIST_COUNT: break;
  }
  return nullptr;
}

bool TYX_MakeSaveListOptionDlg::CreateChoiceList(ChoiceList which, const Rect& rect) {
  auto list = std::make_unique<Controls::TYX_ListCtrlEx>();
  if (!list->CreateListCtrl(GetSafeHwnd(), rect, kLists[which].id)) return false;
  std::vector<Controls::TYX_ListColumn> columns(2);
  columns[0] = Controls::TYX_ListColumn{1, 1, 30, 30, Controls::kListDrawCheckBox, "", {{20140, 2}}};
  columns[1] = Controls::TYX_ListColumn{5, 0, rect.Width() - 30, 26, Controls::kListDrawText, kLists[which].title, {}};
  if (!list->InitListExControl(columns, kListRowHeight)) return false;
  lists_[which] = AdoptControl(std::move(list));
  return true;
}

BOOL TYX_MakeSaveListOptionDlg::OnInitDialog() {
  SetTitle("저장목록 만들기");
  SetButtonSet(kButtonSetOkCancel);
  TYX_Skin_PopupDialog::OnInitDialog();
  CenterWindow();

  auto andRadio = std::make_unique<Controls::TYX_RadioButton>();
  auto orRadio = std::make_unique<Controls::TYX_RadioButton>();
  if (andRadio->CreateRadio(GetSafeHwnd(), Rect{25, 66, 145, 82}, kAndRadioId, "AND 검색", 1)) {
    andRadio_ = AdoptControl(std::move(andRadio));
  }
  if (orRadio->CreateRadio(GetSafeHwnd(), Rect{150, 66, 270, 82}, kOrRadioId, "OR 검색", 1)) {
    orRadio_ = AdoptControl(std::move(orRadio));
  }
  OnCommand(kAndRadioId, [this] { OnSearchOptionClicked(kAndRadioId); });
  OnCommand(kOrRadioId, [this] { OnSearchOptionClicked(kOrRadioId); });
  // A tick lives in its list until OK reads it; nothing else follows a tick.
  OnMessage(Controls::WM_LISTEX_CHKBOXCLICK, [](WPARAM, LPARAM) { return LRESULT{0}; });

  UpdateRadioButton(searchOption);
  for (int i = 0; i < LIST_COUNT; ++i) {
    if (!CreateChoiceList(static_cast<ChoiceList>(i), kLists[i].rect)) {
      Util::TYX_Log::Instance()->Add("TYX_MakeSaveListOptionDlg::OnInitDialog list : %d not created", i);
    }
  }
  FillLists();
  return TRUE;
}

void TYX_MakeSaveListOptionDlg::FillLists() {
  std::set<std::string> values[LIST_COUNT];
  TYX_Playlist* library = manager_ != nullptr ? manager_->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY) : nullptr;
  if (library != nullptr) {
    const int yearLimit = YearLimit();
    const std::uint32_t count = library->CountItem();
    for (std::uint32_t pos = 0; pos < count; ++pos) {
      const TYX_LibraryItem* item = library->GetItem_LibraryItem(pos);
      if (item == nullptr) continue;
      // A song without a value offers no empty entry to tick.
      for (auto [which, text] : {std::pair{LIST_ARTIST, item->GetArtist()}, std::pair{LIST_ALBUM, item->GetAlbum()},
                                 std::pair{LIST_GENRE, item->GetGenre()}}) {
        if (!text.empty()) values[which].insert(std::move(text));
      }
      std::string year;
      if (YearEntry(item->GetYear(), yearLimit, year)) values[LIST_YEAR].insert(std::move(year));
    }
  }
  for (int i = 0; i < LIST_COUNT; ++i) {
    Controls::TYX_ListCtrlEx* list = lists_[i];
    if (list == nullptr) continue;
    const std::string& choice = *ChoiceOf(static_cast<ChoiceList>(i));
    list->SetRedraw(false);
    list->ReserveRows(static_cast<int>(values[i].size()));
    for (const std::string& value : values[i]) {
      const int row = list->InsertField(-1, 0, 0);
      if (row < 0) break;
      const int unchecked = 0;
      list->SetCell(row, 0, &unchecked, 0, 0);
      list->SetCell(row, 1, value, 0, 0);
      // A year is chosen by its digits, so the entry is matched by them.
      const std::string key = i == LIST_YEAR ? value.substr(0, kYearDigits) : value;
      if (ElementInArray(choice, key) == 1) list->SetCheck(row, true);
    }
    list->SetRedraw(true);
  }
}

void TYX_MakeSaveListOptionDlg::OnBnClickedOK() {
  for (int i = 0; i < LIST_COUNT; ++i) {
    std::string& choice = *ChoiceOf(static_cast<ChoiceList>(i));
    choice.clear();
    Controls::TYX_ListCtrlEx* list = lists_[i];
    if (list == nullptr) continue;
    const int rows = list->GetItemCount();
    for (int row = 0; row < rows; ++row) {
      if (!list->GetCheck(row)) continue;
      const std::string text = list->GetCellText(row, 1);
      choice += (i == LIST_YEAR ? text.substr(0, kYearDigits) : text) + "|";
    }
  }
  EndDialog(IDOK);
}

void TYX_MakeSaveListOptionDlg::OnBnClickedCancel() { EndDialog(IDCANCEL); }

void TYX_MakeSaveListOptionDlg::PaintContent(DisplayList& dc) {
  TYX_Skin_PopupDialog::PaintContent(dc);
  const Font font = Controls::DefaultFont(12, true);
  dc.Text(Rect{25, 44, 300, 60}, "검색방법 선택", font, kLabelColor);
  for (const ListPlace& place : kLists) {
    dc.Text(Rect{place.rect.left, place.rect.top - 18, place.rect.right, place.rect.top - 2}, place.title, font,
            kLabelColor);
  }
  dc.Text(Rect{25, 440, 400, 456}, GetLimitLine(), Controls::DefaultFont(12, false), kLabelColor);
}

}  // namespace TYX::Dialog
