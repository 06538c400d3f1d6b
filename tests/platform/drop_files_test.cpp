#include <gtest/gtest.h>

#include "platform/drop_files.h"
#include "platform/window.h"

using namespace TYX::Win;

TEST(DropFiles, AListLivesUntilItsReceiverReleasesIt) {
  const std::size_t before = DragLiveCount();
  HDROP drop = DragCreateList({"/music/a.mp3", "/music/나비.ogg"}, Point{150, 60});
  EXPECT_TRUE(DragIsAlive(drop));
  EXPECT_EQ(DragLiveCount(), before + 1);
  EXPECT_EQ(DragQueryFileCount(drop), 2u);
  EXPECT_EQ(DragQueryFile(drop, 1), "/music/나비.ogg");
  EXPECT_EQ(DragQueryFile(drop, 2), "");

  Window target;
  ASSERT_TRUE(target.Create(nullptr, Rect{100, 50, 200, 150}, WS_VISIBLE));
  Point p;
  EXPECT_TRUE(DragQueryPoint(drop, target.GetSafeHwnd(), &p));
  EXPECT_EQ(p, (Point{50, 10}));
  Window elsewhere;
  ASSERT_TRUE(elsewhere.Create(nullptr, Rect{400, 400, 410, 410}, WS_VISIBLE));
  EXPECT_FALSE(DragQueryPoint(drop, elsewhere.GetSafeHwnd(), &p));

  DragFinish(drop);
  EXPECT_FALSE(DragIsAlive(drop));
  EXPECT_EQ(DragLiveCount(), before);
  EXPECT_EQ(DragQueryFileCount(drop), 0u);
  DragFinish(drop);  // a second release is ignored
  EXPECT_EQ(DragLiveCount(), before);
}
