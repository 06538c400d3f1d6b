// The location bar on its own: the history rules, the caption's segments and a person's clicks on them.
#include <gtest/gtest.h>

#include "library/location_wnd.h"
#include "platform/window.h"

namespace TYX::Location::Test {
namespace {

using Loc = TYX_LocationWnd::tagLocation;

std::vector<std::string> Addresses(const std::vector<Loc>& stack) {
  std::vector<std::string> out;
  for (const Loc& l : stack) out.push_back(l.address);
  return out;
}

TEST(LocationHistory, RecordingPushesTheCurrentEntryAndEmptiesForward) {
  TYX_LocationWnd bar;
  EXPECT_FALSE(bar.HasCurrent());
  EXPECT_EQ(bar.AddLocation("000000", 1), 0);
  EXPECT_TRUE(bar.GetBackStack().empty());  // nothing was current before
  EXPECT_EQ(bar.GetCurrent(), (Loc{"000000", 1}));
  EXPECT_EQ(bar.AddLocation("200000", 2), 0);
  EXPECT_EQ(bar.AddLocation("800000", 2), 0);
  EXPECT_EQ(Addresses(bar.GetBackStack()), (std::vector<std::string>{"000000", "200000"}));
  ASSERT_TRUE(bar.MoveBack());
  EXPECT_EQ(bar.GetCurrent().address, "200000");
  EXPECT_EQ(Addresses(bar.GetForwardStack()), (std::vector<std::string>{"800000"}));
  // A new visit drops what lay ahead.
  EXPECT_EQ(bar.AddLocation("300001", 5), 0);
  EXPECT_TRUE(bar.GetForwardStack().empty());
  EXPECT_EQ(Addresses(bar.GetBackStack()), (std::vector<std::string>{"000000", "200000"}));
}

TEST(LocationHistory, EmptyAddressOrKindZeroIsRefusedAndChangesNothing) {
  TYX_LocationWnd bar;
  ASSERT_EQ(bar.AddLocation("000000", 1), 0);
  ASSERT_EQ(bar.AddLocation("200000", 2), 0);
  ASSERT_TRUE(bar.MoveBack());
  EXPECT_EQ(bar.AddLocation("", 1), static_cast<long>(Win::E_INVALIDARG));
  EXPECT_EQ(bar.AddLocation("900000", 0), static_cast<long>(Win::E_INVALIDARG));
  EXPECT_EQ(bar.GetCurrent().address, "000000");
  EXPECT_EQ(Addresses(bar.GetForwardStack()), (std::vector<std::string>{"200000"}));
  EXPECT_TRUE(bar.GetBackStack().empty());
}

TEST(LocationHistory, TheSameAddressTwiceLeavesOneBackEntry) {
  TYX_LocationWnd bar;
  bar.AddLocation("000000", 1);
  bar.AddLocation("200000", 2);
  bar.AddLocation("200000", 2);
  bar.AddLocation("200000", 2);
  EXPECT_EQ(Addresses(bar.GetBackStack()), (std::vector<std::string>{"000000", "200000"}));
  EXPECT_EQ(bar.GetCurrent().address, "200000");
}

TEST(LocationHistory, MovesOnEmptyStacksFailAndMovesRoundTrip) {
  TYX_LocationWnd bar;
  EXPECT_FALSE(bar.MoveBack());
  EXPECT_FALSE(bar.MoveForward());
  bar.AddLocation("000000", 1);
  bar.AddLocation("200000", 2);
  ASSERT_NE(bar.PeekBack(), nullptr);
  EXPECT_EQ(bar.PeekBack()->address, "000000");
  EXPECT_EQ(bar.PeekForward(), nullptr);
  ASSERT_TRUE(bar.MoveBack());
  EXPECT_FALSE(bar.MoveBack());
  ASSERT_TRUE(bar.MoveForward());
  EXPECT_EQ(bar.GetCurrent(), (Loc{"200000", 2}));
  EXPECT_EQ(Addresses(bar.GetBackStack()), (std::vector<std::string>{"000000"}));
  EXPECT_TRUE(bar.GetForwardStack().empty());
}

TEST(LocationSplit, FieldsKeepEmptyPieces) {
  EXPECT_EQ(SplitFields("", '&'), (std::vector<std::string>{""}));
  EXPECT_EQ(SplitFields("a&&b&", '&'), (std::vector<std::string>{"a", "", "b", ""}));
}

class LocationBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_.OnMessage(WM_LOCATION_NAVIGATE, [this](Win::WPARAM w, Win::LPARAM l) {
      clicks_.push_back({ParamText(static_cast<Win::LPARAM>(w)), ParamText(l)});
      // The parent sets a new caption while the click is being reported.
      bar_.SetLocationText("다른 > 곳", "");
      return Win::LRESULT{0};
    });
    ASSERT_TRUE(parent_.Create(nullptr, Win::Rect{0, 0, 600, 100}, Win::WS_POPUP | Win::WS_VISIBLE));
    ASSERT_TRUE(bar_.CreateLocationWnd(parent_.GetSafeHwnd(), Win::Rect{0, 0, 600, 24}, 77));
  }
  static Win::LPARAM At(Win::Point p) { return Win::MAKELPARAM(static_cast<Win::UINT>(p.x), static_cast<Win::UINT>(p.y)); }
  static Win::Point Middle(const Win::Rect& r) { return Win::Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
  void Click(Win::Point down, Win::Point up) {
    bar_.SendMessage(Win::WM_MOUSEMOVE, 0, At(down));
    bar_.SendMessage(Win::WM_LBUTTONDOWN, 1, At(down));
    bar_.SendMessage(Win::WM_LBUTTONUP, 0, At(up));
  }

  Win::Window parent_;
  TYX_LocationWnd bar_;
  std::vector<std::pair<std::string, std::string>> clicks_;
};

TEST_F(LocationBarTest, CaptionSplitsIntoSegmentsWithPaddedAddresses) {
  bar_.SetLocationText("보관함 > 아티스트검색: 가수", "500000");
  EXPECT_EQ(bar_.GetSegments(), (std::vector<std::string>{"보관함", "아티스트검색: 가수"}));
  EXPECT_EQ(bar_.GetSegmentAddresses(), (std::vector<std::string>{"500000", ""}));
  EXPECT_EQ(bar_.GetLocationText(), "보관함 > 아티스트검색: 가수");
  bar_.SetLocationText("", "");
  EXPECT_TRUE(bar_.GetSegments().empty());
  EXPECT_EQ(bar_.GetLocationText(), "");
}

TEST_F(LocationBarTest, SegmentsAreDrawnSideBySideAndTheOneUnderTheMouseIsHighlighted) {
  bar_.SetLocationText("보관함 > 음악", "000000 > 000000");
  const Win::Rect first = bar_.GetSegmentRect(0);
  const Win::Rect second = bar_.GetSegmentRect(1);
  EXPECT_GT(first.Width(), 0);
  EXPECT_GT(second.left, first.right);
  EXPECT_EQ(bar_.GetSegmentRect(2), Win::Rect{});
  EXPECT_EQ(bar_.SegmentFromPoint(Middle(second)), 1);
  EXPECT_EQ(bar_.SegmentFromPoint(Win::Point{first.right + 1, 5}), -1);  // on the separator

  bar_.SendMessage(Win::WM_MOUSEMOVE, 0, At(Middle(second)));
  EXPECT_EQ(bar_.GetHotSegment(), 1);
  bar_.UpdateWindow();
  const Win::DrawItem* hot = bar_.GetLastPaint().FindText("음악");
  ASSERT_NE(hot, nullptr);
  EXPECT_TRUE(hot->font.bold);
  EXPECT_EQ(hot->font.face, "돋움");
  EXPECT_EQ(hot->font.height, 11);
  const Win::DrawItem* plain = bar_.GetLastPaint().FindText("보관함");
  ASSERT_NE(plain, nullptr);
  EXPECT_FALSE(plain->font.bold);
  bar_.SendMessage(Win::WM_MOUSEMOVE, 0, At(Win::Point{590, 5}));
  EXPECT_EQ(bar_.GetHotSegment(), -1);
}

TEST_F(LocationBarTest, PressAndReleaseOnOneSegmentAsksTheParentToNavigate) {
  bar_.SetLocationText("보관함 > 음악", "000000 > 100001");
  const Win::Point first = Middle(bar_.GetSegmentRect(0));
  const Win::Point second = Middle(bar_.GetSegmentRect(1));
  // Pressed on one segment and released on the other: no request.
  Click(first, second);
  EXPECT_TRUE(clicks_.empty());
  Click(second, second);
  ASSERT_EQ(clicks_.size(), 1u);
  EXPECT_EQ(clicks_[0], (std::pair<std::string, std::string>{"음악", "100001"}));
  // The parent's new caption replaced the segments during the report.
  EXPECT_EQ(bar_.GetLocationText(), "다른 > 곳");
  // Released off every segment: no request.
  Click(Middle(bar_.GetSegmentRect(0)), Win::Point{590, 5});
  EXPECT_EQ(clicks_.size(), 1u);
}

}  // namespace
}  // namespace TYX::Location::Test
