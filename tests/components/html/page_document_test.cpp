#include "components/html/page_document.h"

#include <gtest/gtest.h>

namespace TYX::Html {
namespace {

std::unique_ptr<TYX_PageDocument> Parse(const std::string& html) {
  std::string error;
  auto doc = TYX_PageDocument::Parse(html, &error);
  EXPECT_TRUE(doc) << error;
  return doc;
}

TEST(PageDocument, FindsElementsByIdAndNameWithAttributesInPageOrder) {
  auto doc = Parse(R"P(<html><body>
      <a id="first" NAME="local_btn" Call="LISTEN">x</a>
      <span name="local_btn" call="send"></span>
      <div id="local_btn"></div>
      <p id="first">second with the same id</p></body></html>)P");
  const int first = doc->FindById("first");
  ASSERT_GE(first, 0);
  EXPECT_EQ(doc->GetNode(first)->tag, "a");
  // Attribute names are case-insensitive, values kept as written.
  EXPECT_EQ(doc->GetAttribute(first, "call"), "LISTEN");
  EXPECT_EQ(doc->GetAttribute(first, "CALL"), "LISTEN");
  EXPECT_EQ(doc->FindByName("local_btn").size(), 2u);
  const auto both = doc->FindByIdOrName("local_btn");
  ASSERT_EQ(both.size(), 3u);
  EXPECT_EQ(doc->GetNode(both[0])->tag, "a");
  EXPECT_EQ(doc->GetNode(both[1])->tag, "span");
  EXPECT_EQ(doc->GetNode(both[2])->tag, "div");
  EXPECT_EQ(doc->FindById("none"), -1);
  EXPECT_EQ(doc->Info(first).Attribute("name"), "local_btn");
  EXPECT_FALSE(doc->Info(first).Attribute("href").has_value());
}

TEST(PageDocument, ValuesOfFormControlsFollowTheirKind) {
  auto doc = Parse(R"P(<body>
      <input id="text" value="abc"><input id="empty"><input id="box" type="checkbox" checked>
      <textarea id="area">line one</textarea>
      <select id="sel"><option value="a">A</option><optgroup><option selected>B text</option></optgroup></select>
      <select id="plain"><option value="first">1</option><option>2</option></select>
      <div id="div" value="v"></div><div id="bare"></div></body>)P");
  EXPECT_EQ(doc->GetValue(doc->FindById("text")), "abc");
  EXPECT_EQ(doc->GetValue(doc->FindById("empty")), "");
  EXPECT_EQ(doc->GetValue(doc->FindById("box")), "on");
  EXPECT_TRUE(doc->GetChecked(doc->FindById("box")));
  EXPECT_EQ(doc->GetValue(doc->FindById("area")), "line one");
  EXPECT_EQ(doc->GetValue(doc->FindById("sel")), "B text");
  EXPECT_EQ(doc->GetValue(doc->FindById("plain")), "first");
  EXPECT_EQ(doc->GetValue(doc->FindById("div")), "v");
  EXPECT_EQ(doc->GetValue(doc->FindById("bare")), "");

  const int text = doc->FindById("text");
  ASSERT_TRUE(doc->SetValue(text, "changed"));
  EXPECT_EQ(doc->GetValue(text), "changed");
  EXPECT_EQ(doc->GetAttribute(text, "value"), "abc");  // the live value, not the attribute
  ASSERT_TRUE(doc->SetChecked(doc->FindById("box"), false));
  EXPECT_FALSE(doc->GetChecked(doc->FindById("box")));
  EXPECT_FALSE(doc->SetValue(-1, "x"));
}

TEST(PageDocument, ScriptBlocksInDocumentOrderOnlyForScriptTypes) {
  auto doc = Parse(R"P(<head><script>var a = 1;</script><script type="text/template">not code</script>
      <script src="lib.js"></script></head><body><script type="text/javascript">var b = 2;</script></body>)P");
  const auto& scripts = doc->Scripts();
  ASSERT_EQ(scripts.size(), 3u);
  EXPECT_EQ(scripts[0].source, "var a = 1;");
  EXPECT_EQ(scripts[1].externalSource, "lib.js");
  EXPECT_EQ(scripts[2].source, "var b = 2;");
}

TEST(PageDocument, BadPagesAreRefusedWithAReasonAndOddOnesParse) {
  std::string error;
  EXPECT_FALSE(TYX_PageDocument::Parse(std::string("<p>a\0b</p>", 10), &error));
  EXPECT_NE(error.find("NUL"), std::string::npos);
  error.clear();
  EXPECT_FALSE(TYX_PageDocument::Parse(std::string(TYX_PageDocument::kMaxPageBytes + 1, 'x'), &error));
  EXPECT_NE(error.find("larger"), std::string::npos);

  // Broken markup and deep nesting still give a document, without exhausting the stack.
  std::string deep;
  for (int i = 0; i < 2000; ++i) deep += "<div>";
  deep += "<b id=bottom>end";
  auto doc = Parse(deep);
  ASSERT_TRUE(doc);
  EXPECT_GE(doc->FindById("bottom"), 0);
  EXPECT_TRUE(Parse("<<<>>></p></div><td>"));
  EXPECT_TRUE(Parse(""));
}

TEST(PageDocument, TextContentJoinsDescendantText) {
  auto doc = Parse("<body><div id=d>one <b>two</b> three</div></body>");
  EXPECT_EQ(doc->TextContent(doc->FindById("d")), "one two three");
}

}  // namespace
}  // namespace TYX::Html
