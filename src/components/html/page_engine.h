#pragma once
// The page engine behind the panel's HTML view: one page at a time, parsed into a document and run
// by its scripts. A load goes Loading -> Complete (the page parsed and its scripts ran) or Failed.
// Script errors while loading are logged and kept; as in a browser they do not stop the page, and the
// functions defined before the error stay callable.
//
// The engine does no waiting: fetching is the caller's (TYX_PageFetchJob), which hands the text to
// LoadText on the engine's thread.
//
// Threads: one thread, the one that owns the view.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "components/html/page_document.h"
#include "components/html/page_script.h"

namespace TYX::Html {

class TYX_PageEngine {
 public:
  enum class State { Empty, Loading, Complete, Failed };
  // Told about every click on an element, after the element's own onclick handler ran.
  using ClickListener = std::function<void(const ElementInfo& element)>;

  TYX_PageEngine();
  explicit TYX_PageEngine(const TYX_PageScript::Limits& limits);
  ~TYX_PageEngine();
  TYX_PageEngine(const TYX_PageEngine&) = delete;
  TYX_PageEngine& operator=(const TYX_PageEngine&) = delete;

  // Drops the current page and waits for the text of the next.
  void BeginLoad(const std::string& address);
  // Parses the page, runs its script blocks in order, then the body's onload and window.onload. True
  // and Complete, or false and Failed with the reason in LastError().
  bool LoadText(const std::string& html, const std::string& address);
  // The page could not be fetched.
  void FailLoad(const std::string& address, const std::string& why);

  State GetState() const { return state_; }
  bool IsComplete() const { return state_ == State::Complete; }
  const std::string& Address() const { return address_; }
  const std::string& LastError() const { return lastError_; }
  // Script errors of the current page, in the order they happened.
  const std::vector<std::string>& ScriptErrors() const { return scriptErrors_; }

  // Calls a global function of the page (slot 0 is the last parameter). UnknownName when no page is
  // complete.
  ScriptOutcome Invoke(const std::string& function, const std::vector<std::string>& slots);
  // The value of the element with that id; none without a complete page or such an element.
  std::optional<std::string> ValueById(const std::string& id) const;
  // The elements whose id or name is the text, in page order.
  std::vector<ElementInfo> FindElements(const std::string& idOrName) const;
  // A click on an element: its onclick handler, then the listener. False when there is no complete
  // page or no such element.
  bool Click(int node);
  void SetClickListener(ClickListener listener) { clickListener_ = std::move(listener); }

  TYX_PageDocument* Document() { return document_.get(); }
  TYX_PageScript* Script() { return script_.get(); }

 private:
  // Drops the page. While a script of it runs (a click listener loads another page), the old heap and
  // document are kept until the outermost entry returns.
  void Reset();
  void NoteScriptError(const std::string& where, const ScriptOutcome& outcome);

  TYX_PageScript::Limits limits_;
  State state_ = State::Empty;
  std::string address_;
  std::string lastError_;
  std::vector<std::string> scriptErrors_;
  // The script refers to the document, so it is declared after it and goes first.
  std::unique_ptr<TYX_PageDocument> document_;
  std::unique_ptr<TYX_PageScript> script_;
  ClickListener clickListener_;
  int depth_ = 0;                  // entries into the page's scripts now running
  std::uint64_t generation_ = 0;   // counts pages; a running entry notices a newer one
  std::vector<std::unique_ptr<TYX_PageScript>> retiredScripts_;
  std::vector<std::unique_ptr<TYX_PageDocument>> retiredDocuments_;
  friend class EngineEntry;
};

}  // namespace TYX::Html
