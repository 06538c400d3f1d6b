#pragma once
// The panel's embedded page view: a child window (control ID 6001) showing one page of the page engine,
// with a script bridge. Pages load without blocking the window thread: the text is fetched on a thread
// of its own and posted back, then parsed and run here. Script calls made while a page loads are queued
// and run, in order, after the page's load-time function once it completes. A click on an element whose
// name or id is "local_btn" becomes a command to the message target (the panel) by the element's "call"
// attribute.
//
// Threads: everything runs on the window thread of the view; only the fetch runs elsewhere and reports
// by a posted message naming the view's handle.
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "components/html/page_engine.h"
#include "components/html/page_fetch.h"
#include "platform/window.h"

namespace TYX::Library {

constexpr Win::UINT kHtmlViewId = 6001;
// Posted by the fetch thread to the view: wParam the load number the text belongs to.
constexpr Win::UINT WM_HTMLVIEW_PAGE_FETCHED = Win::WM_APP + 0x1771;

class TYX_HTMLView : public Win::Window {
 public:
  // The desktop script dispatch's codes for a name it cannot resolve and a script that failed.
  static constexpr Win::HRESULT kUnknownName = static_cast<Win::HRESULT>(0x80020006u);
  static constexpr Win::HRESULT kScriptException = static_cast<Win::HRESULT>(0x80020009u);
  // The "call" texts of local buttons and the commands they send.
  struct LocalCall {
    const char* call;
    Win::UINT command;
  };
  static const std::vector<LocalCall>& LocalCalls();

  TYX_HTMLView();
  ~TYX_HTMLView() override;

  // Creates the view as a child of the parent, which becomes its message target. Hidden unless the
  // style says visible.
  bool CreateView(Win::HWND parent, const Win::Rect& rect, Win::UINT id = kHtmlViewId, Win::DWORD style = Win::WS_CHILD);
  void SetMessageTarget(Win::HWND target) { target_ = target; }
  Win::HWND GetMessageTarget() const { return target_; }

  // Navigation. Each returns 0 once a load has started, 0x80004005 without a window or without
  // somewhere to go (no home page, nothing back or forward, no current page).
  void SetHomePage(const std::string& address) { home_ = address; }
  Win::HRESULT GoHome();
  Win::HRESULT GoBack();
  Win::HRESULT GoForward();
  Win::HRESULT Refresh();
  // Ends a load in progress; the page then counts as failed and its queued calls are dropped.
  Win::HRESULT Stop();
  Win::HRESULT PageNavigate(const std::string& address);
  Win::HRESULT PageRefresh() { return Refresh(); }
  Win::HRESULT PageShow(Win::BOOL show);
  Win::BOOL IsDocumentComplete() const { return engine_.IsComplete() ? Win::TRUE : Win::FALSE; }
  bool IsLoading() const { return engine_.GetState() == Html::TYX_PageEngine::State::Loading; }

  // Calls a function of the page with text arguments: argument i goes into slot i (slot 0 is the
  // function's last parameter). Queued while the page loads (0, or 0x80070057 for an empty name);
  // otherwise 0 with the result, kUnknownName or kScriptException.
  Win::HRESULT CallJScript(const std::string& function, const std::vector<std::string>& args,
                           std::string* result = nullptr);
  Win::HRESULT CallJScript(const std::string& function, int count, const char* const* args,
                           std::string* result = nullptr);
  // Remembers a call for when the page completes. 0x80070057 for an empty function name.
  Win::HRESULT PushCallJScriptQueue(const std::string& function, const std::vector<std::string>& args);
  std::size_t QueuedCallCount() const;
  // The page's script object, or null while no page is complete.
  Html::TYX_PageScript* GetJScriptEx();
  // The value of the element with that id; 0x80004005 without a complete page or such an element.
  Win::HRESULT GetValueFromElementID(const std::string& id, std::string& text) const;

  // The function called with no arguments each time a page completes; empty for none.
  void SetLoadScriptFunction(const std::string& name) { loadFunction_ = name; }
  const std::string& GetLoadScriptFunction() const { return loadFunction_; }

  // A click on a local button: the command of its "call" attribute, sent to the message target.
  Win::HRESULT OnLocalBtnClick(const Html::ElementInfo* element);
  // A person clicking the nth element whose id or name is the text. False when there is none.
  bool ClickElement(const std::string& idOrName, std::size_t nth = 0);

  // How the last load ended: 0, or 0x80004005 with the reason.
  Win::HRESULT GetLastLoadStatus() const { return lastLoadStatus_; }
  const std::string& GetLastLoadError() const { return engine_.LastError(); }
  const std::string& GetCurrentAddress() const { return engine_.Address(); }
  const Html::TYX_PageEngine& Engine() const { return engine_; }

 protected:
  // The page has loaded and its scripts ran: the load-time function, then the queued calls.
  virtual void OnDocumentComplete();

 private:
  struct QueuedCall {
    std::string function;
    std::vector<std::string> args;
  };
  Win::HRESULT StartLoad(const std::string& address);
  void OnPageFetched(std::uint64_t loadNumber);
  void DropQueue(const char* why);
  Win::HRESULT CallNow(const std::string& function, const std::vector<std::string>& args, std::string* result);
  Win::HRESULT CallCore(const std::string& function, const std::vector<std::string>& args, std::string* result);

  // Guards the script queue and the script calls; recursive because a call may click a local button
  // whose command comes back with another call.
  mutable std::recursive_mutex lock_;
  std::deque<QueuedCall> queue_;
  // Everything below: the view's window thread.
  Html::TYX_PageEngine engine_;
  std::unique_ptr<Html::TYX_PageFetchJob> job_;
  std::uint64_t loadNumber_ = 0;
  Win::HWND target_ = nullptr;
  std::string home_;
  std::string loadFunction_;
  std::vector<std::string> history_;
  int historyPos_ = -1;
  Win::HRESULT lastLoadStatus_ = Win::S_OK;
};

}  // namespace TYX::Library
