#pragma once
// The save-list option dialog: which songs a generated list is to hold, by artist, album, genre and
// release year, combined with AND or OR. Four check lists hold the distinct values of the whole
// library (stock playlist 2); the values of the previous choice come ticked; OK gives the ticked
// values back as four texts, each value followed by "|". Building the list is the caller's work.
//
// A year is offered when the item's year text starts with four digits forming a year before next
// year; it is listed as those digits followed by "년", and chosen as the digits alone.
//
// Threads: the window thread of its parent.
#include <string>
#include <vector>

#include "toolkit/skin_popup_dialog.h"

namespace TYX {
class TYX_LibraryManager;
}

namespace TYX::Controls {
class TYX_ListCtrlEx;
class TYX_RadioButton;
}  // namespace TYX::Controls

namespace TYX::Dialog {

class TYX_MakeSaveListOptionDlg : public Controls::TYX_Skin_PopupDialog {
 public:
  enum SearchOption { SEARCH_AND = 0, SEARCH_OR = 1 };
  enum ChoiceList { LIST_ARTIST = 0, LIST_ALBUM, LIST_GENRE, LIST_YEAR, LIST_COUNT };

  static constexpr Win::UINT kArtistListId = 2007;
  static constexpr Win::UINT kAlbumListId = 2008;
  static constexpr Win::UINT kGenreListId = 2009;
  static constexpr Win::UINT kYearListId = 2010;
  static constexpr Win::UINT kAndRadioId = 2011;
  static constexpr Win::UINT kOrRadioId = 2012;

  explicit TYX_MakeSaveListOptionDlg(Win::HWND parent = nullptr);
  ~TYX_MakeSaveListOptionDlg() override;

  void SetLibraryManager(TYX_LibraryManager* manager) { manager_ = manager; }
  void SetOption(const std::string& option, const std::string& limit);
  const std::string& GetOptionText() const { return option_; }
  // The line that shows the limit, "목록 생성 제한 : <limit>".
  std::string GetLimitLine() const;

  // The choice, read and written by the caller around the dialog.
  int searchOption = SEARCH_AND;
  std::string artists;
  std::string albums;
  std::string genres;
  std::string years;

  // Control 2011 selects AND, 2012 OR.
  void OnSearchOptionClicked(Win::UINT id);
  void UpdateRadioButton(int option);
  // -1 for an empty list text; otherwise 1 when one of its "|"-separated pieces equals the value, else 0.
  static int ElementInArray(const std::string& list, const std::string& value);
  // Whether a year text is offered, and its entry ("1999년").
  static bool YearEntry(const std::string& yearText, int yearLimit, std::string& entry);
  // The first year not offered: the current year (local calendar) plus one.
  static int YearLimit();

  // The check list of a choice (null before the window exists).
  Controls::TYX_ListCtrlEx* GetChoiceList(ChoiceList which) const { return lists_[which]; }
  Controls::TYX_RadioButton* GetRadio(int option) const { return option == SEARCH_OR ? orRadio_ : andRadio_; }

  void OnBnClickedOK();
  void OnBnClickedCancel();

 protected:
  Win::BOOL OnInitDialog() override;
  void OnOK() override { OnBnClickedOK(); }
  void OnCancel() override { OnBnClickedCancel(); }
  void PaintContent(Win::DisplayList& dc) override;

 private:
  bool CreateChoiceList(ChoiceList which, const Win::Rect& rect);
  void FillLists();
  std::string* ChoiceOf(ChoiceList which);

  TYX_LibraryManager* manager_ = nullptr;  // owned by the caller; window thread, like every field below
  std::string option_;
  std::string limit_;
  Controls::TYX_ListCtrlEx* lists_[LIST_COUNT] = {};
  Controls::TYX_RadioButton* andRadio_ = nullptr;
  Controls::TYX_RadioButton* orRadio_ = nullptr;
};

}  // namespace TYX::Dialog
