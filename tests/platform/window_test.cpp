#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/window.h"
#include "helpers/manual_clock_guard.h"

using namespace TYX::Win;

namespace {

// Records every message it sees, in order.
class RecordingWindow : public Window {
 public:
  explicit RecordingWindow(std::string name, std::vector<std::string>* log) : name_(std::move(name)), log_(log) {}
  LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
    switch (msg) {
      case WM_CREATE: log_->push_back(name_ + ":create"); break;
      case WM_SIZE: log_->push_back(name_ + ":size " + std::to_string(LOWORD(l)) + "x" + std::to_string(HIWORD(l))); break;
      case WM_PAINT: log_->push_back(name_ + ":paint"); break;
      case WM_CLOSE: log_->push_back(name_ + ":close"); break;
      case WM_DESTROY: log_->push_back(name_ + ":destroy"); break;
      case WM_NCDESTROY: log_->push_back(name_ + ":ncdestroy"); break;
      default: break;
    }
    return Window::WindowProc(msg, w, l);
  }
  void PaintContent(DisplayList& dc) override {
    dc.FillRect(GetClientRect(), 0xFFFFFF);
    dc.Text(Rect{2, 2, 100, 20}, GetWindowText(), Font{"Dotum", 12, true}, 0x4C4C4C);
    dc.Image(20141, Rect{0, 0, 16, 16});
    dc.Line(Point{0, 0}, Point{10, 0}, 0xCECAC8);
  }

 private:
  std::string name_;
  std::vector<std::string>* log_;
};

}  // namespace

TEST(Window, LifecycleMessagesComeInTheDesktopOrder) {
  std::vector<std::string> log;
  RecordingWindow parent("p", &log), child("c", &log);
  ASSERT_TRUE(parent.Create(nullptr, Rect{0, 0, 300, 200}, WS_VISIBLE));
  ASSERT_TRUE(child.Create(parent.GetSafeHwnd(), Rect{10, 10, 110, 60}, WS_CHILD | WS_VISIBLE, 77));
  PumpMessages();
  parent.SendMessage(WM_CLOSE);
  std::vector<std::string> expected = {"p:create",  "p:size 300x200", "c:create", "c:size 100x50",
                                       "p:paint",   "c:paint",        "p:close",  "p:destroy",
                                       "c:destroy", "c:ncdestroy",    "p:ncdestroy"};
  EXPECT_EQ(log, expected);
}

TEST(Window, HandlesStopResolvingOnceDestroyed) {
  std::vector<std::string> log;
  RecordingWindow parent("p", &log), child("c", &log);
  ASSERT_TRUE(parent.Create(nullptr, Rect{0, 0, 300, 200}, WS_VISIBLE));
  ASSERT_TRUE(child.Create(parent.GetSafeHwnd(), Rect{0, 0, 10, 10}, WS_CHILD, 5));
  HWND p = parent.GetSafeHwnd(), c = child.GetSafeHwnd();
  EXPECT_TRUE(IsWindow(p));
  EXPECT_EQ(parent.GetDlgItem(5), c);
  EXPECT_EQ(GetParent(c), p);
  // A message posted before the destruction is dropped, not delivered to a dead handle.
  int userSeen = 0;
  child.OnMessage(WM_USER + 1, [&](WPARAM, LPARAM) -> LRESULT { return ++userSeen; });
  PostMessage(c, WM_USER + 1, 0, 0);
  parent.DestroyWindow();
  EXPECT_FALSE(IsWindow(p));
  EXPECT_FALSE(IsWindow(c));
  EXPECT_EQ(Window::FromHandle(c), nullptr);
  EXPECT_EQ(SendMessage(c, WM_USER + 1, 0, 0), 0);
  EXPECT_FALSE(PostMessage(c, WM_USER + 1, 0, 0));
  PumpMessages();
  EXPECT_EQ(userSeen, 0);
  // A new window never gets an old handle back.
  RecordingWindow again("a", &log);
  ASSERT_TRUE(again.Create(nullptr, Rect{0, 0, 1, 1}, 0));
  EXPECT_NE(again.GetSafeHwnd(), p);
  EXPECT_NE(again.GetSafeHwnd(), c);
}

TEST(Window, CreateFailsWhenCreateHandlerRefuses) {
  Window w;
  w.OnMessage(WM_CREATE, [](WPARAM, LPARAM) -> LRESULT { return -1; });
  EXPECT_FALSE(w.Create(nullptr, Rect{0, 0, 10, 10}, 0));
  EXPECT_FALSE(w.IsAlive());
}

TEST(Window, MessageTableRoutesCommandsNotifiesAndMessages) {
  Window w;
  ASSERT_TRUE(w.Create(nullptr, Rect{0, 0, 10, 10}, 0));
  std::vector<std::string> seen;
  w.OnCommand(1014, [&] { seen.push_back("cmd1014"); });
  w.OnCommandCode(2000, 1, [&] { seen.push_back("cmd2000/1"); });
  w.OnCommandRange(3000, 3005, [&](UINT id) { seen.push_back("range" + std::to_string(id)); });
  w.OnNotify(5339, 0x401, [&](NMHDR* h) -> LRESULT {
    seen.push_back("notify" + std::to_string(h->code));
    return 7;
  });
  w.OnMessage(0x9488, [&](WPARAM row, LPARAM col) -> LRESULT {
    seen.push_back("list " + std::to_string(row) + "," + std::to_string(col));
    return 42;
  });
  w.SendMessage(WM_COMMAND, MAKEWPARAM(1014, 0), 0);
  w.SendMessage(WM_COMMAND, MAKEWPARAM(2000, 0), 0);  // other code: not routed
  w.SendMessage(WM_COMMAND, MAKEWPARAM(2000, 1), 0);
  w.SendMessage(WM_COMMAND, MAKEWPARAM(3004, 0), 0);
  NMHDR hdr{nullptr, 5339, 0x401};
  EXPECT_EQ(w.SendMessage(WM_NOTIFY, 5339, RecordToLParam(&hdr)), 7);
  EXPECT_EQ(w.SendMessage(0x9488, 3, 2), 42);
  std::vector<std::string> expected = {"cmd1014", "cmd2000/1", "range3004", "notify1025", "list 3,2"};
  EXPECT_EQ(seen, expected);
}

TEST(Window, GeometryTextShowEnableAndFocus) {
  Window top, mid, leaf;
  ASSERT_TRUE(top.Create(nullptr, Rect{100, 50, 500, 450}, WS_VISIBLE));
  ASSERT_TRUE(mid.Create(top.GetSafeHwnd(), Rect{20, 30, 220, 230}, WS_CHILD | WS_VISIBLE, 1));
  ASSERT_TRUE(leaf.Create(mid.GetSafeHwnd(), Rect{5, 5, 25, 15}, WS_CHILD | WS_VISIBLE, 2));
  EXPECT_EQ(leaf.GetWindowRect(), (Rect{125, 85, 145, 95}));
  EXPECT_EQ(leaf.GetClientRect(), (Rect{0, 0, 20, 10}));
  Point p{1, 1};
  leaf.ClientToScreen(p);
  EXPECT_EQ(p, (Point{126, 86}));
  top.ScreenToClient(p);
  EXPECT_EQ(p, (Point{26, 36}));
  EXPECT_EQ(top.ChildWindowFromPoint(Point{26, 36}), leaf.GetSafeHwnd());
  EXPECT_EQ(top.ChildWindowFromPoint(Point{300, 300}), top.GetSafeHwnd());

  int sizes = 0;
  mid.OnMessage(WM_SIZE, [&](WPARAM, LPARAM l) -> LRESULT {
    ++sizes;
    EXPECT_EQ(LOWORD(l), 50u);
    return 0;
  });
  mid.MoveWindow(Rect{0, 0, 50, 50});
  EXPECT_EQ(sizes, 1);
  mid.MoveWindow(Rect{10, 10, 60, 60});  // moved, same size: no WM_SIZE
  EXPECT_EQ(sizes, 1);

  leaf.SetWindowText("곡명");
  EXPECT_EQ(leaf.GetWindowText(), "곡명");
  char buf[64];
  EXPECT_EQ(leaf.SendMessage(WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf)), 6);
  EXPECT_EQ(std::string(buf), "곡명");

  mid.ShowWindow(SW_HIDE);
  EXPECT_TRUE(leaf.IsVisibleFlag());
  EXPECT_FALSE(leaf.IsWindowVisible());
  mid.ShowWindow(SW_SHOW);
  EXPECT_TRUE(leaf.IsWindowVisible());

  leaf.EnableWindow(false);
  EXPECT_FALSE(IsWindowEnabled(leaf.GetSafeHwnd()));
  leaf.EnableWindow(true);
  EXPECT_TRUE(leaf.IsWindowEnabled());

  int killed = 0, got = 0;
  mid.OnMessage(WM_KILLFOCUS, [&](WPARAM, LPARAM) -> LRESULT { return ++killed; });
  leaf.OnMessage(WM_SETFOCUS, [&](WPARAM, LPARAM) -> LRESULT { return ++got; });
  mid.SetFocus();
  leaf.SetFocus();
  EXPECT_EQ(GetFocus(), leaf.GetSafeHwnd());
  EXPECT_EQ(killed, 1);
  EXPECT_EQ(got, 1);
  leaf.DestroyWindow();
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST(Window, PaintRecordsADisplayListOncePerInvalidation) {
  std::vector<std::string> log;
  RecordingWindow w("w", &log);
  ASSERT_TRUE(w.Create(nullptr, Rect{0, 0, 200, 100}, WS_VISIBLE, 0, "저장목록"));
  w.Invalidate();
  w.Invalidate();
  PumpMessages();
  EXPECT_EQ(w.PaintCount(), 1);
  const DisplayList& dl = w.GetLastPaint();
  ASSERT_EQ(dl.Items().size(), 4u);
  EXPECT_EQ(dl.Items()[0].kind, DrawItem::Kind::FillRect);
  EXPECT_EQ(dl.Items()[0].rect, (Rect{0, 0, 200, 100}));
  const DrawItem* text = dl.FindText("저장목록");
  ASSERT_NE(text, nullptr);
  EXPECT_TRUE(text->font.bold);
  EXPECT_EQ(text->color, 0x4C4C4Cu);
  EXPECT_TRUE(dl.HasImage(20141));
  EXPECT_FALSE(dl.HasImage(20142));
  EXPECT_EQ(dl.Items()[3].to, (Point{10, 0}));

  // With redraw off nothing is painted; turning it on paints once.
  w.SetRedraw(false);
  w.Invalidate();
  PumpMessages();
  EXPECT_EQ(w.PaintCount(), 1);
  w.SetRedraw(true);
  PumpMessages();
  EXPECT_EQ(w.PaintCount(), 2);
  // A hidden window is not painted until shown.
  w.ShowWindow(SW_HIDE);
  w.Invalidate();
  PumpMessages();
  EXPECT_EQ(w.PaintCount(), 2);
  w.ShowWindow(SW_SHOW);
  PumpMessages();
  EXPECT_EQ(w.PaintCount(), 3);
}

TEST(Window, DeletingTheObjectDestroysTheWindow) {
  HWND h;
  {
    Window w;
    ASSERT_TRUE(w.Create(nullptr, Rect{0, 0, 1, 1}, 0));
    h = w.GetSafeHwnd();
    EXPECT_TRUE(IsWindow(h));
  }
  EXPECT_FALSE(IsWindow(h));
}

TEST(Window, SetParentMovesAWindowBetweenParents) {
  Window a, b, child;
  ASSERT_TRUE(a.Create(nullptr, Rect{0, 0, 100, 100}, WS_VISIBLE));
  ASSERT_TRUE(b.Create(nullptr, Rect{200, 0, 300, 100}, WS_VISIBLE));
  ASSERT_TRUE(child.Create(nullptr, Rect{10, 10, 20, 20}, WS_VISIBLE, 9));
  const size_t topLevelsBefore = GetTopLevelWindows().size();
  EXPECT_NE(child.SetParent(a.GetSafeHwnd()), nullptr);
  EXPECT_EQ(GetTopLevelWindows().size(), topLevelsBefore - 1);
  EXPECT_EQ(a.GetDlgItem(9), child.GetSafeHwnd());
  EXPECT_EQ(child.SetParent(b.GetSafeHwnd()), a.GetSafeHwnd());
  EXPECT_EQ(a.GetDlgItem(9), nullptr);
  EXPECT_EQ(b.GetDlgItem(9), child.GetSafeHwnd());
  EXPECT_EQ(child.GetWindowRect(), (Rect{210, 10, 220, 20}));
  // A window cannot go under itself or its own descendant.
  EXPECT_EQ(b.SetParent(child.GetSafeHwnd()), nullptr);
  EXPECT_EQ(child.SetParent(child.GetSafeHwnd()), nullptr);
  // Destroying the new parent takes the child with it.
  b.DestroyWindow();
  EXPECT_FALSE(child.IsAlive());
}
