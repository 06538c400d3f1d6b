#pragma once
// The element tree of one page, built by the HTML parser and changed by the page's scripts: tags,
// attributes, text, and the live value and check state of form controls.
//
// Threads: a document belongs to the thread that loads its page (the view's window thread).
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace TYX::Html {

using Attributes = std::vector<std::pair<std::string, std::string>>;

// What a listener learns about an element: its place in the tree, its tag and its attributes as they
// were when the event happened.
struct ElementInfo {
  int node = -1;
  std::string tag;
  Attributes attributes;
  // The attribute's value; the name is compared without regard to letter case.
  std::optional<std::string> Attribute(const std::string& name) const;
};

class TYX_PageDocument {
 public:
  struct Node {
    bool isText = false;
    std::string tag;        // lower case; empty for text
    Attributes attributes;  // names in lower case, in page order
    std::string text;       // text nodes only
    int parent = -1;
    std::vector<int> children;
    std::optional<std::string> liveValue;  // a value a script or the user set on a form control
    std::optional<bool> liveChecked;
  };

  // One script block of the page, in document order.
  struct Script {
    int node = -1;
    std::string source;
    std::string externalSource;  // the src attribute; such scripts are not fetched
  };

  // Limits that keep a hostile page from eating the process.
  static constexpr std::size_t kMaxPageBytes = 8u * 1024u * 1024u;
  static constexpr std::size_t kMaxNodes = 500000;

  // Parses a page. Null with a reason in error when the page is too large or cannot be parsed.
  static std::unique_ptr<TYX_PageDocument> Parse(const std::string& html, std::string* error);

  std::size_t NodeCount() const { return nodes_.size(); }
  bool IsElement(int node) const;
  const Node* GetNode(int node) const;

  // The first element whose id is exactly the text, or -1.
  int FindById(const std::string& id) const;
  // Every element whose name attribute is exactly the text, in document order.
  std::vector<int> FindByName(const std::string& name) const;
  // Every element whose id or name is exactly the text, in document order.
  std::vector<int> FindByIdOrName(const std::string& text) const;
  // The body element, or -1.
  int Body() const;

  std::optional<std::string> GetAttribute(int node, const std::string& name) const;
  bool SetAttribute(int node, const std::string& name, const std::string& value);
  ElementInfo Info(int node) const;

  // The value a form would submit: the live value once set; otherwise by element: an input's value
  // attribute ("on" for an unvalued check box or radio button), a text area's text, a list box's
  // selected (else first) option, an option's value or text, any other element's value attribute.
  std::string GetValue(int node) const;
  bool SetValue(int node, const std::string& value);
  bool GetChecked(int node) const;
  bool SetChecked(int node, bool checked);
  // The text of the element and all its descendants.
  std::string TextContent(int node) const;

  const std::vector<Script>& Scripts() const { return scripts_; }

 private:
  TYX_PageDocument() = default;
  std::vector<Node> nodes_;
  std::vector<Script> scripts_;
};

}  // namespace TYX::Html
