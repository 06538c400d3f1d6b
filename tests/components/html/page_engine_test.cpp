#include "components/html/page_engine.h"

#include <gtest/gtest.h>

#include <chrono>

#include "util/log.h"

namespace TYX::Html {
namespace {

using Code = ScriptOutcome::Code;

// Short budgets keep the run-away tests quick; the limits are what is under test.
TYX_PageScript::Limits TestLimits() {
  TYX_PageScript::Limits limits;
  limits.runTime = std::chrono::milliseconds(300);
  limits.memoryBytes = 16u * 1024u * 1024u;
  return limits;
}

class PageEngineTest : public ::testing::Test {
 protected:
  void Load(const std::string& html) { ASSERT_TRUE(engine.LoadText(html, "test://page")) << engine.LastError(); }
  TYX_PageEngine engine{TestLimits()};
};

TEST_F(PageEngineTest, LoadRunsScriptsInOrderThenTheLoadHandlersAndCompletes) {
  Load(R"P(<html><head><script>var log = ['a'];</script></head>
      <body onload="log.push('body')"><script>log.push('b'); window.onload = function () { log.push('window'); };</script>
      <script>function trace() { return log.join(','); }</script></body></html>)P");
  EXPECT_EQ(engine.GetState(), TYX_PageEngine::State::Complete);
  EXPECT_TRUE(engine.ScriptErrors().empty());
  EXPECT_EQ(engine.Invoke("trace", {}).result, "a,b,body,window");
}

TEST_F(PageEngineTest, ArgumentSlotZeroIsTheLastParameter) {
  Load("<script>function join3(a, b, c) { return a + '|' + b + '|' + c; }</script>");
  const ScriptOutcome out = engine.Invoke("join3", {"slot0", "slot1", "slot2"});
  ASSERT_TRUE(out.ok()) << out.message;
  EXPECT_EQ(out.result, "slot2|slot1|slot0");
  // Texts are passed as they are, UTF-8 included.
  EXPECT_EQ(engine.Invoke("join3", {"가", "", "x"}).result, "x||가");
}

TEST_F(PageEngineTest, ResultsAreTextsAndNothingIsEmpty) {
  Load("<script>function n() { return 42; } function u() {} function z() { return null; } function o() { return {a:1}; }</script>");
  EXPECT_EQ(engine.Invoke("n", {}).result, "42");
  EXPECT_EQ(engine.Invoke("u", {}).result, "");
  EXPECT_EQ(engine.Invoke("z", {}).result, "");
  EXPECT_EQ(engine.Invoke("o", {}).result, "[object Object]");
}

TEST_F(PageEngineTest, UnknownAndFailingFunctionsReportWithoutHarmingThePage) {
  Load("<script>var notAFunction = 3; function boom() { throw new Error('bang'); } function ok() { return 'fine'; }</script>");
  EXPECT_TRUE(engine.Script()->HasFunction("ok"));
  EXPECT_FALSE(engine.Script()->HasFunction("notAFunction"));
  EXPECT_FALSE(engine.Script()->HasFunction("missing"));
  EXPECT_EQ(engine.Invoke("missing", {}).code, Code::UnknownName);
  EXPECT_EQ(engine.Invoke("notAFunction", {}).code, Code::UnknownName);
  EXPECT_EQ(engine.Invoke("", {}).code, Code::UnknownName);
  const ScriptOutcome boom = engine.Invoke("boom", {});
  EXPECT_EQ(boom.code, Code::Exception);
  EXPECT_NE(boom.message.find("bang"), std::string::npos);
  EXPECT_NE(boom.message.find("(line 1)"), std::string::npos);
  EXPECT_EQ(engine.Invoke("ok", {}).result, "fine");
  // Only the call that threw is kept among the page's script errors; names that do not resolve are
  // the caller's answer, not an error of the page.
  ASSERT_EQ(engine.ScriptErrors().size(), 1u);
  EXPECT_NE(engine.ScriptErrors()[0].find("bang"), std::string::npos);
}

TEST_F(PageEngineTest, AScriptErrorWhileLoadingIsKeptAndTheRestOfThePageRuns) {
  Load("<script>function early() { return 'e'; } undefinedCall();</script><script>function late() { return 'l'; }</script>"
       "<script>this is not javascript</script>");
  EXPECT_TRUE(engine.IsComplete());
  ASSERT_EQ(engine.ScriptErrors().size(), 2u);
  EXPECT_NE(engine.ScriptErrors()[0].find("script 1"), std::string::npos);
  EXPECT_NE(engine.ScriptErrors()[1].find("SyntaxError"), std::string::npos);
  EXPECT_EQ(engine.Invoke("early", {}).result, "e");
  EXPECT_EQ(engine.Invoke("late", {}).result, "l");
}

TEST_F(PageEngineTest, RunAwayScriptsEndWithinTheirBudget) {
  Load("<script>var before = 1; while (true) {}</script>"
       "<script>function spin() { while (true) { try { while (true) {} } catch (e) {} } }"
       "function alive() { return 'yes'; }</script>");
  ASSERT_EQ(engine.ScriptErrors().size(), 1u);
  EXPECT_NE(engine.ScriptErrors()[0].find("timeout"), std::string::npos);
  // A loop that swallows the time-out error still ends.
  const ScriptOutcome spin = engine.Invoke("spin", {});
  EXPECT_EQ(spin.code, Code::Exception);
  // Each call has a budget of its own.
  EXPECT_EQ(engine.Invoke("alive", {}).result, "yes");
}

TEST_F(PageEngineTest, AMemoryHogEndsWithAnErrorAndThePageStaysUsable) {
  Load("<script>function hog() { var a = [], s = 'x'; for (;;) { s = s + s + a.length; a.push(s); } }"
       "function catching() { var a = []; for (;;) { try { a.push(new Array(100000)); } catch (e) {} } }"
       "function alive() { return 'yes'; }</script>");
  const ScriptOutcome hog = engine.Invoke("hog", {});
  EXPECT_EQ(hog.code, Code::Exception);
  // Catching the allocation error does not keep a script going: it gets no more memory and is stopped.
  EXPECT_EQ(engine.Invoke("catching", {}).code, Code::Exception);
  EXPECT_EQ(engine.Invoke("alive", {}).result, "yes");
}

TEST_F(PageEngineTest, ScriptsHaveNoFileNetworkOrTimerAccess) {
  Load("<script>function probe() { return [typeof require, typeof XMLHttpRequest, typeof fetch, typeof setTimeout,"
       " typeof print, typeof alert, typeof Duktape.modSearch, typeof ActiveXObject].join(','); }</script>");
  EXPECT_EQ(engine.Invoke("probe", {}).result,
            "undefined,undefined,undefined,undefined,undefined,undefined,undefined,undefined");
}

TEST_F(PageEngineTest, AThrowingGetterOfThePageIsAnErrorNotACrash) {
  Load("<script>Object.defineProperty(this, 'trap', { get: function () { throw new Error('getter'); } });"
       "Error.prototype.__defineGetter__('lineNumber', function () { throw 1; });</script>");
  const ScriptOutcome out = engine.Invoke("trap", {});
  EXPECT_EQ(out.code, Code::Exception);
  EXPECT_NE(out.message.find("getter"), std::string::npos);
}

TEST_F(PageEngineTest, ScriptsReadAndChangeTheDocument) {
  Load(R"P(<body><input id="field" value="start"><input type="checkbox" id="auto">
      <a name="local_btn" id="one" call="send">s</a><a name="local_btn" call="del">d</a>
      <script>
        function setField(v) { document.getElementById('field').value = v; }
        function report() { console.log('checked', document.getElementById('auto').checked, 2); }
        function check() { document.getElementById('auto').checked = true; return document.getElementById('auto').checked; }
        function describe() {
          var e = document.getElementById('one');
          return [e.tagName, e.getAttribute('call'), e.id, e.name, document.getElementsByName('local_btn').length,
                  document.getElementById('none'), e === document.getElementById('one'),
                  document.getElementById('field').value].join(',');
        }
      </script></body>)P");
  EXPECT_EQ(engine.ValueById("field"), "start");
  ASSERT_TRUE(engine.Invoke("setField", {"새 값"}).ok());
  EXPECT_EQ(engine.ValueById("field"), "새 값");
  EXPECT_EQ(engine.Invoke("check", {}).result, "true");
  EXPECT_TRUE(engine.Document()->GetChecked(engine.Document()->FindById("auto")));
  EXPECT_EQ(engine.Invoke("describe", {}).result, "A,send,one,local_btn,2,,true,새 값");
  EXPECT_FALSE(engine.ValueById("none").has_value());

  // console.log goes to the log.
  ASSERT_TRUE(engine.Invoke("report", {}).ok());
  bool logged = false;
  for (const auto& line : Util::TYX_Log::Instance()->RecentEntries()) {
    logged = logged || line.find("page : checked true 2") != std::string::npos;
  }
  EXPECT_TRUE(logged);
}

TEST_F(PageEngineTest, AClickRunsTheHandlerThenTellsTheListenerWithTheAttributes) {
  Load(R"P(<body><button id="b" name="local_btn" call="plus" onclick="this.setAttribute('call', 'PLUS'); clicks++;">+</button>
      <span id="relay" onclick="document.getElementById('b').click()"></span>
      <i id="loop" onclick="this.click()"></i>
      <script>var clicks = 0; function count() { return clicks; }</script></body>)P");
  std::vector<ElementInfo> heard;
  engine.SetClickListener([&](const ElementInfo& e) { heard.push_back(e); });
  const auto buttons = engine.FindElements("local_btn");
  ASSERT_EQ(buttons.size(), 1u);
  ASSERT_TRUE(engine.Click(buttons[0].node));
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].tag, "button");
  EXPECT_EQ(heard[0].Attribute("call"), "PLUS");  // the listener sees what the handler left
  EXPECT_EQ(engine.Invoke("count", {}).result, "1");

  // A script's click reaches the listener too: the relay, then the button it clicks.
  heard.clear();
  ASSERT_TRUE(engine.Click(engine.Document()->FindById("relay")));
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_EQ(heard[0].Attribute("id"), "b");
  EXPECT_EQ(heard[1].Attribute("id"), "relay");

  // A handler that clicks itself is stopped at the nesting bound.
  heard.clear();
  ASSERT_TRUE(engine.Click(engine.Document()->FindById("loop")));
  EXPECT_EQ(heard.size(), static_cast<std::size_t>(TestLimits().maxClickDepth) + 1);
  EXPECT_FALSE(engine.Click(-1));
  EXPECT_FALSE(engine.Click(100000));
}

TEST_F(PageEngineTest, AListenerThatLoadsAnotherPageMidScriptIsSafe) {
  Load(R"P(<body><a id="go" onclick="window.after = 1;">go</a>
      <span id="inner" onclick="document.getElementById('go').click(); window.stillHere = 1;"></span></body>)P");
  engine.SetClickListener([&](const ElementInfo& e) {
    if (e.Attribute("id") == "go") engine.LoadText("<script>function second() { return 'new page'; }</script>", "test://2");
  });
  EXPECT_TRUE(engine.Click(engine.Document()->FindById("inner")));
  EXPECT_EQ(engine.Address(), "test://2");
  EXPECT_EQ(engine.Invoke("second", {}).result, "new page");
}

TEST(PageEngineStates, LoadingFailingAndNoPage) {
  TYX_PageEngine engine;
  EXPECT_EQ(engine.GetState(), TYX_PageEngine::State::Empty);
  EXPECT_EQ(engine.Invoke("f", {}).code, Code::UnknownName);
  engine.BeginLoad("file:///x.html");
  EXPECT_EQ(engine.GetState(), TYX_PageEngine::State::Loading);
  EXPECT_FALSE(engine.IsComplete());
  engine.FailLoad("file:///x.html", "no such file");
  EXPECT_EQ(engine.GetState(), TYX_PageEngine::State::Failed);
  EXPECT_EQ(engine.LastError(), "no such file");
  EXPECT_FALSE(engine.ValueById("a").has_value());
  EXPECT_FALSE(engine.LoadText(std::string("a\0b", 3), "x"));
  EXPECT_EQ(engine.GetState(), TYX_PageEngine::State::Failed);
  EXPECT_NE(engine.LastError().find("NUL"), std::string::npos);
}

TEST(PageEngineStates, AScriptHeapThatCannotBeMadeFailsTheLoad) {
  TYX_PageScript::Limits tiny;
  tiny.memoryBytes = 4096;  // too little for the interpreter and the document binding
  TYX_PageEngine engine(tiny);
  EXPECT_FALSE(engine.LoadText("<script>function f() {}</script>", "test://tiny"));
  EXPECT_EQ(engine.GetState(), TYX_PageEngine::State::Failed);
  EXPECT_FALSE(engine.LastError().empty());
  EXPECT_EQ(engine.Invoke("f", {}).code, Code::UnknownName);
}

}  // namespace
}  // namespace TYX::Html
