// The save-list option dialog over a real store: the distinct values of the library in four check
// lists, the year rule (years before next year, shown with "년"), the previous choice ticked again,
// and the ticked values given back on OK.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <functional>

#include "components/store/library_store.h"
#include "library/make_save_list_option_dlg.h"
#include "helpers/scripted_user_agent.h"
#include "helpers/temp_dir.h"
#include "toolkit/list_ctrl_ex.h"
#include "toolkit/radio_button.h"

namespace TYX::Library::Test {
namespace {

using Dlg = Dialog::TYX_MakeSaveListOptionDlg;

int ThisYear() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  localtime_r(&now, &local);
  return local.tm_year + 1900;
}

class SaveListDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto result = Store::TYX_LibraryStore::Open(dir_.File("lib/music.db"));
    ASSERT_TRUE(result.store) << result.error;
    store_ = std::move(result.store);
  }

  void AddSong(const std::string& name, const std::string& artist, const std::string& album,
               const std::string& genre, const std::string& year) {
    const std::string path = dir_.Write("music/" + name, "not audio");
    const std::uint32_t index = store_->GetLibrary()->InsertItem(path, kItemKindFile);
    ASSERT_NE(index, kNoLibraryIndex);
    ASSERT_NE(store_->GetStockPlaylist(STOCK_PLAYLIST_LIBRARY)->InsertItem(index, 0), kNoPosition);
    TYX_LibraryItem* item = store_->GetLibraryItem(index);
    ASSERT_TRUE(item != nullptr);
    ASSERT_TRUE(item->SetArtist(artist));
    ASSERT_TRUE(item->SetAlbum(album));
    ASSERT_TRUE(item->SetGenre(genre));
    ASSERT_TRUE(item->SetYear(year));
  }

  static std::vector<std::string> Entries(Controls::TYX_ListCtrlEx* list) {
    std::vector<std::string> out;
    for (int row = 0; row < list->GetItemCount(); ++row) out.push_back(list->GetCellText(row, 1));
    return out;
  }
  static std::vector<std::string> Ticked(Controls::TYX_ListCtrlEx* list) {
    std::vector<std::string> out;
    for (int row = 0; row < list->GetItemCount(); ++row) {
      if (list->GetCheck(row)) out.push_back(list->GetCellText(row, 1));
    }
    return out;
  }

  // Runs the dialog; `act` looks at it and clicks as the person would, then OK (or cancel) is pressed.
  int Run(Dlg& dialog, const std::function<void(Dlg&)>& act, bool ok = true) {
    dialog.SetLibraryManager(store_.get());
    agent_->OnNextModal([&](Win::Window& window) {
      auto& d = dynamic_cast<Dlg&>(window);
      act(d);
      EXPECT_TRUE(d.ClickButton(ok ? Win::IDOK : Win::IDCANCEL));
    });
    return dialog.DoModal();
  }

  TYX::Test::TempDir dir_;
  std::unique_ptr<Store::TYX_LibraryStore> store_;
  TYX::Test::ScopedUserAgent agent_;
};

TEST(SaveListYearRule, YearsUpToThisYearAreOfferedWithTheSuffix) {
  const int limit = Dlg::YearLimit();
  EXPECT_EQ(limit, ThisYear() + 1);
  std::string entry;
  EXPECT_TRUE(Dlg::YearEntry("1999", limit, entry));
  EXPECT_EQ(entry, "1999년");
  EXPECT_TRUE(Dlg::YearEntry("2006", limit, entry)) << "a song from 2006 on can be chosen";
  EXPECT_EQ(entry, "2006년");
  EXPECT_TRUE(Dlg::YearEntry(std::to_string(limit - 1), limit, entry));
  EXPECT_FALSE(Dlg::YearEntry(std::to_string(limit), limit, entry));
  EXPECT_TRUE(Dlg::YearEntry("2004-05-01", limit, entry));
  EXPECT_EQ(entry, "2004년");
  EXPECT_FALSE(Dlg::YearEntry("999", limit, entry));
  EXPECT_FALSE(Dlg::YearEntry("", limit, entry));
  EXPECT_FALSE(Dlg::YearEntry("Unknown", limit, entry)) << "no number, no year";
  EXPECT_FALSE(Dlg::YearEntry("19a9", limit, entry));
}

TEST(SaveListElementInArray, SplitsTheChoiceAtBars) {
  EXPECT_EQ(Dlg::ElementInArray("", "a"), -1);
  EXPECT_EQ(Dlg::ElementInArray("a|b|", "b"), 1);
  EXPECT_EQ(Dlg::ElementInArray("a|b|", "a"), 1);
  EXPECT_EQ(Dlg::ElementInArray("ab|", "a"), 0);
  EXPECT_EQ(Dlg::ElementInArray("Simon & Garfunkel|", "Simon & Garfunkel"), 1);
}

TEST_F(SaveListDialogTest, ListsHoldTheLibrarysDistinctValuesSorted) {
  const std::string thisYear = std::to_string(ThisYear());
  AddSong("1.mp3", "Zed", "Blue", "Rock", "1999");
  AddSong("2.mp3", "Abba", "Arrival", "Pop", "2005");
  AddSong("3.mp3", "Zed", "Red", "Rock", "2006");
  AddSong("4.mp3", "하늘빛", "사계절", "발라드", thisYear);
  AddSong("5.mp3", "", "", "", std::to_string(ThisYear() + 1));
  AddSong("6.mp3", "Abba", "Arrival", "Pop", "Unknown");
  Dlg dialog;
  dialog.SetOption("artist", "100곡");
  int rows = 0;
  ASSERT_EQ(Run(dialog, [&](Dlg& d) {
              EXPECT_EQ(Entries(d.GetChoiceList(Dlg::LIST_ARTIST)), (std::vector<std::string>{"Abba", "Zed", "하늘빛"}));
              EXPECT_EQ(Entries(d.GetChoiceList(Dlg::LIST_ALBUM)),
                        (std::vector<std::string>{"Arrival", "Blue", "Red", "사계절"}));
              EXPECT_EQ(Entries(d.GetChoiceList(Dlg::LIST_GENRE)), (std::vector<std::string>{"Pop", "Rock", "발라드"}));
              EXPECT_EQ(Entries(d.GetChoiceList(Dlg::LIST_YEAR)),
                        (std::vector<std::string>{"1999년", "2005년", "2006년", thisYear + "년"}));
              EXPECT_EQ(d.GetChoiceList(Dlg::LIST_YEAR)->GetColumns()[1].title, "발매년도");
              EXPECT_EQ(d.GetLimitLine(), "목록 생성 제한 : 100곡");
              rows = d.GetChoiceList(Dlg::LIST_ARTIST)->GetItemCount();
            }),
            Win::IDOK);
  EXPECT_EQ(rows, 3);
  EXPECT_EQ(dialog.artists, "");
  EXPECT_EQ(dialog.years, "") << "nothing ticked gives an empty choice";
}

TEST_F(SaveListDialogTest, PreviousChoiceIsTickedAndOkGivesTheTickedValues) {
  AddSong("1.mp3", "Zed", "Blue", "Rock", "1999");
  AddSong("2.mp3", "Abba", "Arrival", "Pop", "2005");
  AddSong("3.mp3", "Cat", "Red", "Jazz", "2008");
  Dlg dialog;
  dialog.artists = "Zed|Abba|Gone|";
  dialog.years = "1999|";
  dialog.genres = "";
  ASSERT_EQ(Run(dialog, [](Dlg& d) {
              EXPECT_EQ(Ticked(d.GetChoiceList(Dlg::LIST_ARTIST)), (std::vector<std::string>{"Abba", "Zed"}));
              EXPECT_EQ(Ticked(d.GetChoiceList(Dlg::LIST_YEAR)), (std::vector<std::string>{"1999년"}));
              EXPECT_TRUE(Ticked(d.GetChoiceList(Dlg::LIST_GENRE)).empty());
              // The person unticks Zed, ticks Cat, the 2008 year and the Jazz genre.
              EXPECT_TRUE(d.GetChoiceList(Dlg::LIST_ARTIST)->ClickCheckBox(2));
              EXPECT_TRUE(d.GetChoiceList(Dlg::LIST_ARTIST)->ClickCheckBox(1));
              EXPECT_TRUE(d.GetChoiceList(Dlg::LIST_YEAR)->ClickCheckBox(2));
              EXPECT_TRUE(d.GetChoiceList(Dlg::LIST_GENRE)->ClickCheckBox(0));
            }),
            Win::IDOK);
  EXPECT_EQ(dialog.artists, "Abba|Cat|") << "in list order; a value no longer in the library is dropped";
  EXPECT_EQ(dialog.years, "1999|2008|") << "years as digits, without the suffix";
  EXPECT_EQ(dialog.genres, "Jazz|");
  EXPECT_EQ(dialog.albums, "");
}

TEST_F(SaveListDialogTest, SearchMethodRadiosAndCancelKeepsTheChoice) {
  AddSong("1.mp3", "Zed", "Blue", "Rock", "1999");
  Dlg dialog;
  dialog.searchOption = Dlg::SEARCH_OR;
  dialog.artists = "Zed|";
  ASSERT_EQ(Run(
                dialog,
                [](Dlg& d) {
                  EXPECT_TRUE(d.GetRadio(Dlg::SEARCH_OR)->GetCheck());
                  EXPECT_FALSE(d.GetRadio(Dlg::SEARCH_AND)->GetCheck());
                  EXPECT_TRUE(d.GetChoiceList(Dlg::LIST_ARTIST)->ClickCheckBox(0));
                },
                false),
            Win::IDCANCEL);
  EXPECT_EQ(dialog.artists, "Zed|");
  EXPECT_EQ(dialog.searchOption, Dlg::SEARCH_OR);

  ASSERT_EQ(Run(dialog, [](Dlg& d) {
              EXPECT_TRUE(d.GetRadio(Dlg::SEARCH_AND)->Click());
              EXPECT_TRUE(d.GetRadio(Dlg::SEARCH_AND)->GetCheck());
              EXPECT_FALSE(d.GetRadio(Dlg::SEARCH_OR)->GetCheck());
            }),
            Win::IDOK);
  EXPECT_EQ(dialog.searchOption, Dlg::SEARCH_AND);
  EXPECT_EQ(dialog.artists, "Zed|");
}

}  // namespace
}  // namespace TYX::Library::Test
