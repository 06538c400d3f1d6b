#pragma once
// The script side of one page: a Duktape heap holding the page's global object, with the document
// bound as `document` (getElementById, getElementsByName, body; elements with getAttribute,
// setAttribute, value, checked, id, name, tagName, textContent and click) and `console.log` going to
// the log. Scripts get nothing else: no files, no network, no timers. Every entry from outside (a
// script block, a function call, an event handler) has a run-time budget and the heap a memory limit;
// a script that exceeds either ends with an error while the page stays usable.
//
// Threads: one thread, the one that loads the page; the heap is not shared.
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace TYX::Html {

class TYX_PageDocument;

struct ScriptOutcome {
  enum class Code {
    Ok,
    UnknownName,  // no function of that name on the page
    Exception,    // the script threw, ran out of time or memory, or could not be compiled
  };
  Code code = Code::Ok;
  std::string message;  // what went wrong, for the log
  std::string result;   // the function's result as text; empty for undefined and null

  bool ok() const { return code == Code::Ok; }
};

class TYX_PageScript {
 public:
  struct Limits {
    std::chrono::milliseconds runTime{2000};  // per entry from outside, nested calls included
    std::size_t memoryBytes = 64u * 1024u * 1024u;
    int maxClickDepth = 8;  // element.click() from a click handler, and so on
  };
  // Called when a script clicks an element (element.click()); the engine runs its handlers.
  using ClickSink = std::function<void(int node)>;
  // Called for console.log.
  using LogSink = std::function<void(const std::string& text)>;

  // Null with a reason when no heap can be made. The document must outlive the script.
  static std::unique_ptr<TYX_PageScript> Create(TYX_PageDocument* document, const Limits& limits, std::string* error);
  ~TYX_PageScript();
  TYX_PageScript(const TYX_PageScript&) = delete;
  TYX_PageScript& operator=(const TYX_PageScript&) = delete;

  void SetClickSink(ClickSink sink) { clickSink_ = std::move(sink); }
  void SetLogSink(LogSink sink) { logSink_ = std::move(sink); }

  // Compiles and runs a script block in the global scope.
  ScriptOutcome Run(const std::string& source, const std::string& name);
  // Calls a global function the way the desktop's script dispatch does: slot 0 of the arguments is
  // the function's last parameter, slot n-1 its first.
  ScriptOutcome Invoke(const std::string& function, const std::vector<std::string>& slots);
  // Runs an element's inline handler (the text of an attribute such as onclick) with `this` bound to
  // the element. An element without the attribute is Ok.
  ScriptOutcome RunHandler(int node, const std::string& attribute);
  // Calls window[property] when it is a function (window.onload); Ok when it is not set.
  ScriptOutcome CallWindowHandler(const std::string& property);
  bool HasFunction(const std::string& function);

  // Internal to the native bindings.
  TYX_PageDocument* Document() const { return document_; }
  void ScriptClicked(int node);
  void ScriptLogged(const std::string& text);

 private:
  struct Heap;
  TYX_PageScript(TYX_PageDocument* document, const Limits& limits);

  TYX_PageDocument* document_;
  Limits limits_;
  std::unique_ptr<Heap> heap_;
  ClickSink clickSink_;
  LogSink logSink_;
  int clickDepth_ = 0;
};

}  // namespace TYX::Html
