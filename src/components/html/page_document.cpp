#include "components/html/page_document.h"

#include <gumbo.h>

#include <algorithm>
#include <cctype>

namespace TYX::Html {

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string TagName(const GumboElement& element) {
  if (element.tag != GUMBO_TAG_UNKNOWN) return gumbo_normalized_tagname(element.tag);
  GumboStringPiece original = element.original_tag;
  gumbo_tag_from_original_text(&original);
  return Lower(std::string(original.data ? original.data : "", original.length));
}

bool IsScriptType(const std::optional<std::string>& type) {
  if (!type || type->empty()) return true;
  const std::string t = Lower(*type);
  return t == "text/javascript" || t == "application/javascript" || t == "text/ecmascript" ||
         t == "application/ecmascript" || t == "javascript";
}

// Frees the parser's output however the conversion ends.
struct OutputGuard {
  GumboOutput* output;
  ~OutputGuard() {
    if (output != nullptr) gumbo_destroy_output(&kGumboDefaultOptions, output);
  }
};

}  // namespace

std::optional<std::string> ElementInfo::Attribute(const std::string& name) const {
  const std::string wanted = Lower(name);
  for (const auto& [key, value] : attributes) {
    if (key == wanted) return value;
  }
  return std::nullopt;
}

std::unique_ptr<TYX_PageDocument> TYX_PageDocument::Parse(const std::string& html, std::string* error) {
  auto fail = [error](const std::string& why) {
    if (error != nullptr) *error = why;
    return std::unique_ptr<TYX_PageDocument>();
  };
  if (html.size() > kMaxPageBytes) return fail("the page is larger than " + std::to_string(kMaxPageBytes) + " bytes");
  if (html.find('\0') != std::string::npos) return fail("the page holds NUL bytes; it is not a text page");

  OutputGuard guard{gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size())};
  if (guard.output == nullptr || guard.output->root == nullptr) return fail("the HTML parser gave no document");

  std::unique_ptr<TYX_PageDocument> doc(new TYX_PageDocument());
  // Walks the parser's tree without recursion, so deep nesting cannot exhaust the stack.
  struct Pending {
    const GumboNode* node;
    int parent;
  };
  std::vector<Pending> stack{{guard.output->root, -1}};
  while (!stack.empty()) {
    const Pending item = stack.back();
    stack.pop_back();
    const GumboNode* g = item.node;
    if (doc->nodes_.size() >= kMaxNodes) return fail("the page has more than " + std::to_string(kMaxNodes) + " nodes");
    Node node;
    node.parent = item.parent;
    const GumboVector* kids = nullptr;
    switch (g->type) {
      case GUMBO_NODE_ELEMENT:
      case GUMBO_NODE_TEMPLATE: {
        const GumboElement& e = g->v.element;
        node.tag = TagName(e);
        for (unsigned i = 0; i < e.attributes.length; ++i) {
          const auto* a = static_cast<const GumboAttribute*>(e.attributes.data[i]);
          node.attributes.emplace_back(Lower(a->name ? a->name : ""), a->value ? a->value : "");
        }
        kids = &e.children;
        break;
      }
      case GUMBO_NODE_TEXT:
      case GUMBO_NODE_CDATA:
      case GUMBO_NODE_WHITESPACE:
        node.isText = true;
        node.text = g->v.text.text ? g->v.text.text : "";
        break;
      default:
        continue;  // comments and the document node itself are not kept
    }
    const int index = static_cast<int>(doc->nodes_.size());
    doc->nodes_.push_back(std::move(node));
    if (item.parent >= 0) doc->nodes_[item.parent].children.push_back(index);
    if (kids != nullptr) {
      // Pushed in reverse so that children are numbered in document order.
      for (unsigned i = kids->length; i > 0; --i) {
        stack.push_back({static_cast<const GumboNode*>(kids->data[i - 1]), index});
      }
    }
  }
  // The document node is skipped above, so the root element's children lost nothing; script blocks
  // are gathered in document order, which node numbering follows.
  for (int i = 0; i < static_cast<int>(doc->nodes_.size()); ++i) {
    const Node& n = doc->nodes_[i];
    if (n.isText || n.tag != "script") continue;
    if (!IsScriptType(doc->GetAttribute(i, "type"))) continue;
    Script script;
    script.node = i;
    script.externalSource = doc->GetAttribute(i, "src").value_or("");
    for (int child : n.children) {
      if (doc->nodes_[child].isText) script.source += doc->nodes_[child].text;
    }
    doc->scripts_.push_back(std::move(script));
  }
  return doc;
}

bool TYX_PageDocument::IsElement(int node) const {
  return node >= 0 && node < static_cast<int>(nodes_.size()) && !nodes_[node].isText;
}

const TYX_PageDocument::Node* TYX_PageDocument::GetNode(int node) const {
  if (node < 0 || node >= static_cast<int>(nodes_.size())) return nullptr;
  return &nodes_[node];
}

int TYX_PageDocument::FindById(const std::string& id) const {
  for (int i = 0; i < static_cast<int>(nodes_.size()); ++i) {
    if (!nodes_[i].isText && GetAttribute(i, "id") == id) return i;
  }
  return -1;
}

std::vector<int> TYX_PageDocument::FindByName(const std::string& name) const {
  std::vector<int> out;
  for (int i = 0; i < static_cast<int>(nodes_.size()); ++i) {
    if (!nodes_[i].isText && GetAttribute(i, "name") == name) out.push_back(i);
  }
  return out;
}

std::vector<int> TYX_PageDocument::FindByIdOrName(const std::string& text) const {
  std::vector<int> out;
  for (int i = 0; i < static_cast<int>(nodes_.size()); ++i) {
    if (nodes_[i].isText) continue;
    if (GetAttribute(i, "id") == text || GetAttribute(i, "name") == text) out.push_back(i);
  }
  return out;
}

int TYX_PageDocument::Body() const {
  for (int i = 0; i < static_cast<int>(nodes_.size()); ++i) {
    if (!nodes_[i].isText && nodes_[i].tag == "body") return i;
  }
  return -1;
}

std::optional<std::string> TYX_PageDocument::GetAttribute(int node, const std::string& name) const {
  if (!IsElement(node)) return std::nullopt;
  const std::string wanted = Lower(name);
  for (const auto& [key, value] : nodes_[node].attributes) {
    if (key == wanted) return value;
  }
  return std::nullopt;
}

bool TYX_PageDocument::SetAttribute(int node, const std::string& name, const std::string& value) {
  if (!IsElement(node) || name.empty()) return false;
  const std::string key = Lower(name);
  for (auto& attribute : nodes_[node].attributes) {
    if (attribute.first == key) {
      attribute.second = value;
      return true;
    }
  }
  nodes_[node].attributes.emplace_back(key, value);
  return true;
}

ElementInfo TYX_PageDocument::Info(int node) const {
  ElementInfo info;
  if (!IsElement(node)) return info;
  info.node = node;
  info.tag = nodes_[node].tag;
  info.attributes = nodes_[node].attributes;
  return info;
}

std::string TYX_PageDocument::GetValue(int node) const {
  if (!IsElement(node)) return {};
  const Node& n = nodes_[node];
  if (n.liveValue) return *n.liveValue;
  if (n.tag == "input") {
    if (auto v = GetAttribute(node, "value")) return *v;
    const std::string type = Lower(GetAttribute(node, "type").value_or(""));
    return type == "checkbox" || type == "radio" ? "on" : "";
  }
  if (n.tag == "textarea") return TextContent(node);
  if (n.tag == "option") {
    if (auto v = GetAttribute(node, "value")) return *v;
    return TextContent(node);
  }
  if (n.tag == "select") {
    int first = -1;
    int selected = -1;
    std::vector<int> pending(n.children.rbegin(), n.children.rend());
    while (!pending.empty() && selected < 0) {
      const int c = pending.back();
      pending.pop_back();
      if (!IsElement(c)) continue;
      if (nodes_[c].tag == "option") {
        if (first < 0) first = c;
        if (GetAttribute(c, "selected")) selected = c;
      } else {
        pending.insert(pending.end(), nodes_[c].children.rbegin(), nodes_[c].children.rend());
      }
    }
    const int chosen = selected >= 0 ? selected : first;
    return chosen >= 0 ? GetValue(chosen) : std::string();
  }
  return GetAttribute(node, "value").value_or("");
}

bool TYX_PageDocument::SetValue(int node, const std::string& value) {
  if (!IsElement(node)) return false;
  nodes_[node].liveValue = value;
  return true;
}

bool TYX_PageDocument::GetChecked(int node) const {
  if (!IsElement(node)) return false;
  if (nodes_[node].liveChecked) return *nodes_[node].liveChecked;
  return GetAttribute(node, "checked").has_value();
}

bool TYX_PageDocument::SetChecked(int node, bool checked) {
  if (!IsElement(node)) return false;
  nodes_[node].liveChecked = checked;
  return true;
}

std::string TYX_PageDocument::TextContent(int node) const {
  const Node* n = GetNode(node);
  if (n == nullptr) return {};
  if (n->isText) return n->text;
  std::string out;
  std::vector<int> pending(n->children.rbegin(), n->children.rend());
  while (!pending.empty()) {
    const int c = pending.back();
    pending.pop_back();
    if (nodes_[c].isText) {
      out += nodes_[c].text;
    } else {
      pending.insert(pending.end(), nodes_[c].children.rbegin(), nodes_[c].children.rend());
    }
  }
  return out;
}

}  // namespace TYX::Html
