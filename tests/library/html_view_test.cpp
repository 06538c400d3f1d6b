#include "library/html_view.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "helpers/temp_dir.h"
#include "platform/messaging.h"
#include "platform/window.h"
#include "util/log.h"

namespace TYX::Library {
namespace {

constexpr Win::DWORD kWatchdogMs = 10000;

// The page every test loads: a trace of calls, a load-time function, and local buttons.
constexpr char kPage[] = R"P(<html><body>
  <input id="field" value="처음">
  <a name="local_btn" call="LISTEN">listen</a>
  <a name="local_btn" call="send">send</a>
  <a name="local_btn" call="Plus">plus</a>
  <a name="local_btn" call="del">del</a>
  <a name="local_btn" call="add">add</a>
  <a name="local_btn" call="autotrans_on">on</a>
  <a name="local_btn" call="autotrans_off">off</a>
  <a name="local_btn" call="search_on">search on</a>
  <a name="local_btn" call="search_off">search off</a>
  <a name="local_btn" call="dance">unknown</a>
  <a name="local_btn">no call</a>
  <div id="local_btn" call="send">by id</div>
  <a name="other_btn" call="send">not a local button</a>
  <script>
    var trace = [];
    function check2() { trace.push('check2'); }
    function rec(a, b) { trace.push(b === undefined ? a : a + '/' + b); return 'r:' + a; }
    function getTrace() { return trace.join(','); }
    function boom() { throw new Error('boom'); }
  </script></body></html>)P";

class HtmlViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    page_ = dir_.Write("page.html", kPage);
    panel_.OnMessage(Win::WM_COMMAND, [this](Win::WPARAM w, Win::LPARAM) {
      commands_.push_back(Win::LOWORD(w));
      if (onCommand_) onCommand_(Win::LOWORD(w));
      return Win::LRESULT{0};
    });
    ASSERT_TRUE(panel_.Create(nullptr, Win::Rect{0, 0, 800, 600}, Win::WS_POPUP | Win::WS_VISIBLE));
    ASSERT_TRUE(view_.CreateView(panel_.GetSafeHwnd(), Win::Rect{0, 0, 800, 30}));
  }

  bool WaitLoaded() {
    return Win::PumpUntil([this] { return !view_.IsLoading(); }, kWatchdogMs);
  }
  std::string Trace() {
    std::string out;
    EXPECT_EQ(view_.CallJScript("getTrace", {}, &out), Win::S_OK);
    return out;
  }

  ::TYX::Test::TempDir dir_;
  std::string page_;
  Win::Window panel_;
  TYX_HTMLView view_;
  std::vector<Win::UINT> commands_;
  std::function<void(Win::UINT)> onCommand_;
};

TEST_F(HtmlViewTest, CreatedAsAHiddenChildWithItsControlIdAndThePanelAsTarget) {
  EXPECT_EQ(view_.GetDlgCtrlID(), kHtmlViewId);
  EXPECT_EQ(view_.GetParent(), panel_.GetSafeHwnd());
  EXPECT_EQ(view_.GetMessageTarget(), panel_.GetSafeHwnd());
  EXPECT_FALSE(view_.IsVisibleFlag());
  EXPECT_EQ(view_.PageShow(Win::TRUE), Win::S_OK);
  EXPECT_TRUE(view_.IsWindowVisible());
  EXPECT_EQ(view_.PageShow(Win::FALSE), Win::S_OK);
  EXPECT_FALSE(view_.IsVisibleFlag());

  TYX_HTMLView unborn;
  EXPECT_EQ(unborn.PageNavigate(page_), Win::E_FAIL);
  EXPECT_EQ(unborn.PageShow(Win::TRUE), Win::E_FAIL);
}

TEST_F(HtmlViewTest, ALoadDoesNotBlockAndCompletesThroughTheWindowThread) {
  ASSERT_EQ(view_.PageNavigate(page_), Win::S_OK);
  // The page arrives by a posted message; nothing is complete before the thread pumps.
  EXPECT_FALSE(view_.IsDocumentComplete());
  EXPECT_TRUE(view_.IsLoading());
  ASSERT_TRUE(WaitLoaded());
  EXPECT_TRUE(view_.IsDocumentComplete());
  EXPECT_EQ(view_.GetLastLoadStatus(), Win::S_OK);
  std::string value;
  EXPECT_EQ(view_.GetValueFromElementID("field", value), Win::S_OK);
  EXPECT_EQ(value, "처음");
  EXPECT_EQ(view_.GetValueFromElementID("absent", value), Win::E_FAIL);
  EXPECT_NE(view_.GetJScriptEx(), nullptr);
}

TEST_F(HtmlViewTest, CallsMadeWhileLoadingRunAfterTheLoadTimeFunctionInOrder) {
  view_.SetLoadScriptFunction("check2");
  ASSERT_EQ(view_.PageNavigate(page_), Win::S_OK);
  std::string result = "untouched";
  EXPECT_EQ(view_.CallJScript("rec", {"first"}, &result), Win::S_OK);
  const char* second[] = {"b", "a"};
  EXPECT_EQ(view_.CallJScript("rec", 2, second), Win::S_OK);
  EXPECT_EQ(view_.PushCallJScriptQueue("rec", {"third"}), Win::S_OK);
  EXPECT_EQ(view_.PushCallJScriptQueue("", {"x"}), Win::E_INVALIDARG);
  EXPECT_EQ(view_.QueuedCallCount(), 3u);
  EXPECT_EQ(result, "untouched");  // a queued call has no result yet
  EXPECT_EQ(view_.GetJScriptEx(), nullptr);
  ASSERT_TRUE(WaitLoaded());
  EXPECT_EQ(view_.QueuedCallCount(), 0u);
  EXPECT_EQ(Trace(), "check2,first,a/b,third");

  // The load-time function runs again on each completed page; the queue is empty then.
  ASSERT_EQ(view_.Refresh(), Win::S_OK);
  ASSERT_TRUE(WaitLoaded());
  EXPECT_EQ(Trace(), "check2");
  view_.SetLoadScriptFunction("");
  ASSERT_EQ(view_.Refresh(), Win::S_OK);
  ASSERT_TRUE(WaitLoaded());
  EXPECT_EQ(Trace(), "");
}

TEST_F(HtmlViewTest, CallsOnACompletePageRunAtOnceWithTheirStatus) {
  ASSERT_EQ(view_.PageNavigate(page_), Win::S_OK);
  ASSERT_TRUE(WaitLoaded());
  std::string result;
  EXPECT_EQ(view_.CallJScript("rec", {"slot0", "slot1"}, &result), Win::S_OK);
  EXPECT_EQ(result, "r:slot1");  // slot 0 is the last parameter
  EXPECT_EQ(Trace(), "slot1/slot0");
  EXPECT_EQ(view_.CallJScript("missing", {}), TYX_HTMLView::kUnknownName);
  EXPECT_EQ(view_.CallJScript("boom", {}), TYX_HTMLView::kScriptException);
  EXPECT_EQ(view_.CallJScript("rec", -1, nullptr), Win::E_INVALIDARG);
  EXPECT_EQ(view_.QueuedCallCount(), 0u);
}

TEST_F(HtmlViewTest, LocalButtonsSendTheCommandOfTheirCallToThePanel) {
  ASSERT_EQ(view_.PageNavigate(page_), Win::S_OK);
  ASSERT_TRUE(WaitLoaded());
  const std::vector<Win::UINT> expected = {1025, 1014, 1035, 1024, 1027, 1030, 1031, 1032, 1033};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    commands_.clear();
    ASSERT_TRUE(view_.ClickElement("local_btn", i));
    ASSERT_EQ(commands_.size(), 1u) << "button " << i;
    EXPECT_EQ(commands_[0], expected[i]) << "button " << i;
  }
  // An unknown call and a button without one send nothing; an element with the id counts too; an
  // element of another name is no local button.
  commands_.clear();
  ASSERT_TRUE(view_.ClickElement("local_btn", 9));
  ASSERT_TRUE(view_.ClickElement("local_btn", 10));
  EXPECT_TRUE(commands_.empty());
  ASSERT_TRUE(view_.ClickElement("local_btn", 11));
  EXPECT_EQ(commands_, std::vector<Win::UINT>{1014});
  commands_.clear();
  ASSERT_TRUE(view_.ClickElement("other_btn"));
  EXPECT_TRUE(commands_.empty());
  EXPECT_FALSE(view_.ClickElement("local_btn", 12));
}

TEST_F(HtmlViewTest, LocalButtonClickResults) {
  EXPECT_EQ(view_.OnLocalBtnClick(nullptr), Win::E_FAIL);
  Html::ElementInfo listen;
  listen.tag = "a";
  listen.attributes = {{"name", "local_btn"}, {"call", "listen"}};
  EXPECT_EQ(view_.OnLocalBtnClick(&listen), Win::S_OK);
  EXPECT_EQ(commands_, std::vector<Win::UINT>{1025});
  Html::ElementInfo other;
  other.attributes = {{"call", "elsewhere"}};
  EXPECT_EQ(view_.OnLocalBtnClick(&other), Win::S_OK);
  // Without a panel window a known call fails.
  view_.SetMessageTarget(nullptr);
  EXPECT_EQ(view_.OnLocalBtnClick(&listen), Win::E_FAIL);
  EXPECT_EQ(commands_.size(), 1u);
}

TEST_F(HtmlViewTest, APageThatDoesNotLoadFailsAndDropsItsQueuedCalls) {
  ASSERT_EQ(view_.PageNavigate(dir_.File("absent.html")), Win::S_OK);
  EXPECT_EQ(view_.CallJScript("rec", {"x"}), Win::S_OK);
  EXPECT_EQ(view_.QueuedCallCount(), 1u);
  ASSERT_TRUE(WaitLoaded());
  EXPECT_FALSE(view_.IsDocumentComplete());
  EXPECT_EQ(view_.GetLastLoadStatus(), Win::E_FAIL);
  EXPECT_NE(view_.GetLastLoadError().find("no such file"), std::string::npos);
  EXPECT_EQ(view_.QueuedCallCount(), 0u);
  bool logged = false;
  for (const auto& line : Util::TYX_Log::Instance()->RecentEntries()) {
    logged = logged || line.find("did not load") != std::string::npos;
  }
  EXPECT_TRUE(logged);

  // A page with NUL bytes is no page either; the view stays usable for the next one.
  ASSERT_EQ(view_.PageNavigate(dir_.Write("binary.html", std::string("<p>\0</p>", 8))), Win::S_OK);
  ASSERT_TRUE(WaitLoaded());
  EXPECT_EQ(view_.GetLastLoadStatus(), Win::E_FAIL);
  ASSERT_EQ(view_.PageNavigate(page_), Win::S_OK);
  ASSERT_TRUE(WaitLoaded());
  EXPECT_TRUE(view_.IsDocumentComplete());
}

TEST_F(HtmlViewTest, HistoryStopAndANewLoadReplacingTheLast) {
  const std::string second = dir_.Write("second.html", "<script>function which() { return 'second'; }</script>");
  EXPECT_EQ(view_.GoHome(), Win::E_FAIL);
  EXPECT_EQ(view_.GoBack(), Win::E_FAIL);
  EXPECT_EQ(view_.Refresh(), Win::E_FAIL);
  view_.SetHomePage(page_);
  ASSERT_EQ(view_.GoHome(), Win::S_OK);
  // A second navigation before the first arrived: only the second page loads.
  ASSERT_EQ(view_.PageNavigate(second), Win::S_OK);
  ASSERT_TRUE(WaitLoaded());
  EXPECT_EQ(view_.GetCurrentAddress(), second);
  std::string which;
  EXPECT_EQ(view_.CallJScript("which", {}, &which), Win::S_OK);
  EXPECT_EQ(which, "second");

  ASSERT_EQ(view_.GoBack(), Win::S_OK);
  ASSERT_TRUE(WaitLoaded());
  EXPECT_EQ(view_.GetCurrentAddress(), page_);
  ASSERT_EQ(view_.GoForward(), Win::S_OK);
  ASSERT_TRUE(WaitLoaded());
  EXPECT_EQ(view_.GetCurrentAddress(), second);
  EXPECT_EQ(view_.GoForward(), Win::E_FAIL);

  // Stopping a load: the page never completes and what waited for it is dropped.
  ASSERT_EQ(view_.Refresh(), Win::S_OK);
  EXPECT_EQ(view_.CallJScript("which", {}), Win::S_OK);
  ASSERT_EQ(view_.Stop(), Win::S_OK);
  Win::PumpMessages();
  EXPECT_FALSE(view_.IsDocumentComplete());
  EXPECT_FALSE(view_.IsLoading());
  EXPECT_EQ(view_.QueuedCallCount(), 0u);
  EXPECT_EQ(view_.GetLastLoadError(), "stopped");
}

TEST_F(HtmlViewTest, APanelCommandThatLoadsAnotherPageFromAClickIsSafe) {
  const std::string second = dir_.Write("second.html", "<script>function which() { return 'second'; }</script>");
  ASSERT_EQ(view_.PageNavigate(page_), Win::S_OK);
  ASSERT_TRUE(WaitLoaded());
  onCommand_ = [&](Win::UINT) { view_.PageNavigate(second); };
  ASSERT_TRUE(view_.ClickElement("local_btn", 1));
  ASSERT_TRUE(WaitLoaded());
  std::string which;
  EXPECT_EQ(view_.CallJScript("which", {}, &which), Win::S_OK);
  EXPECT_EQ(which, "second");
}

TEST(HtmlViewLifetime, ViewsDestroyedWhileLoadingLeaveTheNextViewAlone) {
  ::TYX::Test::TempDir dir;
  const std::string page = dir.Write("p.html", "<script>function f() { return 'live'; }</script>");
  Win::Window parent;
  ASSERT_TRUE(parent.Create(nullptr, Win::Rect{0, 0, 100, 100}, Win::WS_POPUP));
  for (int i = 0; i < 5; ++i) {
    auto view = std::make_unique<TYX_HTMLView>();
    ASSERT_TRUE(view->CreateView(parent.GetSafeHwnd(), Win::Rect{0, 0, 100, 30}));
    ASSERT_EQ(view->PageNavigate(page), Win::S_OK);
    view.reset();  // its fetch thread still reports, to a handle that no longer resolves
  }
  TYX_HTMLView live;
  ASSERT_TRUE(live.CreateView(parent.GetSafeHwnd(), Win::Rect{0, 0, 100, 30}));
  ASSERT_EQ(live.PageNavigate(page), Win::S_OK);
  ASSERT_TRUE(Win::PumpUntil([&] { return !live.IsLoading(); }, kWatchdogMs));
  std::string result;
  EXPECT_EQ(live.CallJScript("f", {}, &result), Win::S_OK);
  EXPECT_EQ(result, "live");
}

}  // namespace
}  // namespace TYX::Library
