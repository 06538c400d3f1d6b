// Selection helpers of the panel: library indexes and size totals of rows, dimmed selections,
// scrolling a row to the top, and the list-text helper.
#include <climits>

#include "library/library_panel_fixture.h"

namespace TYX::Library::Test {
namespace {

using LP = TYX_LibraryPanel;

class SelectTest : public PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    for (int i = 0; i < 5; ++i) {
      const std::uint32_t index = AddSong("s" + std::to_string(i) + ".mp3", "song " + std::to_string(i));
      ASSERT_TRUE(Item(index)->SetFileSize(1000u * (i + 1)));
      indexes_.push_back(index);
    }
    ASSERT_EQ(panel_.Refresh("000000"), 0);
    list_ = List(LP::LIST_LIBRARY);
  }
  std::vector<std::uint32_t> indexes_;
  LP::ListCtrl* list_ = nullptr;
};

TEST_F(SelectTest, SelectedIndexesAndTotals) {
  EXPECT_EQ(panel_.GetTotalFileSize(), 15000u);
  std::vector<std::uint32_t> out{99};
  std::uint64_t total = 7;
  ASSERT_EQ(panel_.GetSelectedMediaLibIndex(out, &total, 0), 0);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(total, 7u);  // added to, not reset
  Select(list_, 1);
  Select(list_, 3);
  total = 0;
  ASSERT_EQ(panel_.GetSelectedMediaLibIndex(out, &total, 0), 0);
  EXPECT_EQ(out, (std::vector<std::uint32_t>{indexes_[1], indexes_[3]}));
  EXPECT_EQ(total, 6000u);
  ASSERT_EQ(panel_.GetSelectedMediaLibIndex(out, nullptr, 1), 0);
  EXPECT_EQ(out, indexes_);
  EXPECT_EQ(panel_.GetSelectedMediaCount(), 2);
  EXPECT_EQ(panel_.GetRowMediaLibIndex(4), indexes_[4]);
  EXPECT_EQ(panel_.GetRowMediaLibIndex(5), kNoLibraryIndex);

  // A row whose entry left the playlist since the fill is left out rather than passed on as ~0.
  Select(list_, 4);
  ASSERT_EQ(store_->GetLibrary()->RemoveItem(indexes_[4]), 0);
  ASSERT_EQ(panel_.GetSelectedMediaLibIndex(out, nullptr, 0), 0);
  EXPECT_EQ(out, (std::vector<std::uint32_t>{indexes_[1], indexes_[3]}));
  Select(list_, 4, false);

  panel_.SetSelectAllMedia(true);
  EXPECT_EQ(panel_.GetSelectedMediaCount(), 5);
  panel_.SetSelectAllMedia(false);
  EXPECT_EQ(panel_.GetSelectedMediaCount(), 0);

  for (const char* page : {"500000&1&x", "A48700"}) {
    panel_.Refresh(page);
    EXPECT_EQ(panel_.GetSelectedMediaLibIndex(out, nullptr, 1), Win::E_FAIL) << page;
    EXPECT_EQ(panel_.GetAllMedia(out, &total), Win::E_FAIL) << page;
    EXPECT_EQ(total, 0u);
  }
  panel_.Refresh("600000");
  EXPECT_EQ(panel_.GetAllMedia(out, &total), Win::E_FAIL);
}

TEST_F(SelectTest, DimmedSelection) {
  EXPECT_TRUE(panel_.IsAllDimmedSelectedItems());  // nothing selected
  Select(list_, 0);
  EXPECT_FALSE(panel_.IsAllDimmedSelectedItems());
  list_->SetFieldStatus(0, LP::kRowStatusMissing);
  EXPECT_TRUE(panel_.IsAllDimmedSelectedItems());
  Select(list_, 2);
  EXPECT_FALSE(panel_.IsAllDimmedSelectedItems());
}

TEST_F(SelectTest, EnsureVisibleBringsTheRowToTheTop) {
  for (int i = 5; i < 60; ++i) AddSong("t" + std::to_string(i) + ".mp3");
  ASSERT_EQ(panel_.Refresh("000000"), 0);
  const int perPage = list_->GetCountPerPage();
  ASSERT_GT(perPage, 1);
  ASSERT_GT(Rows(list_), 3 * perPage);
  panel_.EnsureVisible(10);
  EXPECT_EQ(list_->GetTopIndex(), 10);
  panel_.EnsureVisible(3);  // above the shown rows
  EXPECT_EQ(list_->GetTopIndex(), 3);
  panel_.EnsureVisible(Rows(list_) - 2);  // near the end: the last page
  EXPECT_EQ(list_->GetTopIndex(), Rows(list_) - perPage);
  // Rows far past the end, up to the largest int, show the last page as well.
  panel_.EnsureVisible(0);
  panel_.EnsureVisible(INT_MAX);
  EXPECT_EQ(list_->GetTopIndex(), Rows(list_) - perPage);
  panel_.EnsureVisible(0);
  panel_.EnsureVisible(INT_MAX - perPage + 2);
  EXPECT_EQ(list_->GetTopIndex(), Rows(list_) - perPage);
}

TEST(ElementInArrayTest, MatchesWholePiecesOnly) {
  EXPECT_EQ(LP::ElementInArray("mp3;ogg;wma", ";", "ogg"), 1);
  EXPECT_EQ(LP::ElementInArray("mp3;ogg;wma", ";", "mp3"), 1);
  EXPECT_EQ(LP::ElementInArray("mp3;ogg;wma", ";", "wma"), 1);
  EXPECT_EQ(LP::ElementInArray("mp3;ogg;wma", ";", "og"), 0);
  EXPECT_EQ(LP::ElementInArray("mp3;ogg;wma", ";", "OGG"), 0);
  EXPECT_EQ(LP::ElementInArray("", ";", ""), 0);
  EXPECT_EQ(LP::ElementInArray("a;;b", ";", ""), 1);
  EXPECT_EQ(LP::ElementInArray("a, b", ", ", "b"), 1);
  EXPECT_EQ(LP::ElementInArray("ab", "", "ab"), 1);
}

}  // namespace
}  // namespace TYX::Library::Test
