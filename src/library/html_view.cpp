#include "library/html_view.h"

#include <strings.h>

#include "platform/messaging.h"
#include "util/log.h"

namespace TYX::Library {

namespace {

constexpr char kLocalButton[] = "local_btn";

void Log(const char* text) { Util::TYX_Log::Instance()->Add("%s", text); }

}  // namespace

const std::vector<TYX_HTMLView::LocalCall>& TYX_HTMLView::LocalCalls() {
  static const std::vector<LocalCall> kCalls = {
      {"listen", 1025},       {"send", 1014},          {"plus", 1035},
      {"del", 1024},          {"add", 1027},           {"autotrans_on", 1030},
      {"autotrans_off", 1031}, {"search_on", 1032},     {"search_off", 1033},
  };
  return kCalls;
}

TYX_HTMLView::TYX_HTMLView() {
  OnMessage(WM_HTMLVIEW_PAGE_FETCHED, [this](Win::WPARAM w, Win::LPARAM) {
    OnPageFetched(static_cast<std::uint64_t>(w));
    return Win::LRESULT{0};
  });
  engine_.SetClickListener([this](const Html::ElementInfo& element) {
    if (element.Attribute("name") == kLocalButton || element.Attribute("id") == kLocalButton) {
      OnLocalBtnClick(&element);
    }
  });
}

TYX_HTMLView::~TYX_HTMLView() {
  // A fetch still running is told to stop; its report to this handle is dropped once the window is gone.
  DestroyWindow();
}

bool TYX_HTMLView::CreateView(Win::HWND parent, const Win::Rect& rect, Win::UINT id, Win::DWORD style) {
  if (!Create(parent, rect, style | Win::WS_CHILD, id)) return false;
  target_ = parent;
  return true;
}

Win::HRESULT TYX_HTMLView::StartLoad(const std::string& address) {
  if (!IsAlive()) return Win::E_FAIL;
  if (job_) job_->Cancel();
  {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    engine_.BeginLoad(address);
  }
  const std::uint64_t number = ++loadNumber_;
  job_ = std::make_unique<Html::TYX_PageFetchJob>(address, Html::FetchOptions{});
  const Win::HWND self = GetSafeHwnd();
  if (!job_->Start([self, number] {
        Win::PostMessage(self, WM_HTMLVIEW_PAGE_FETCHED, static_cast<Win::WPARAM>(number), 0);
      })) {
    // No thread: the failure is reported the same way, through the queue.
    Win::PostMessage(self, WM_HTMLVIEW_PAGE_FETCHED, static_cast<Win::WPARAM>(number), 0);
  }
  return Win::S_OK;
}

void TYX_HTMLView::OnPageFetched(std::uint64_t loadNumber) {
  // A report of a load that was stopped or replaced is stale.
  if (loadNumber != loadNumber_ || !job_ || !job_->IsDone()) return;
  Html::FetchResult fetched = job_->TakeResult();
  job_.reset();
  bool loaded = false;
  {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    if (fetched.ok) {
      loaded = engine_.LoadText(fetched.text, fetched.address);
    } else {
      engine_.FailLoad(fetched.address, fetched.error);
    }
    // A page script may have started another load meanwhile; that load reports for itself.
    if (loadNumber != loadNumber_) return;
  }
  if (!loaded) {
    lastLoadStatus_ = Win::E_FAIL;
    Util::TYX_Log::Instance()->Add("TYX_HTMLView::OnPageFetched, the page '%s' did not load : %s",
                                   fetched.address.c_str(), engine_.LastError().c_str());
    DropQueue("the page did not load");
    return;
  }
  lastLoadStatus_ = Win::S_OK;
  OnDocumentComplete();
}

void TYX_HTMLView::DropQueue(const char* why) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  if (queue_.empty()) return;
  Util::TYX_Log::Instance()->Add("TYX_HTMLView : %zu queued script calls dropped, %s", queue_.size(), why);
  queue_.clear();
}

void TYX_HTMLView::OnDocumentComplete() {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  Log("TYX_HTMLView::OnDocumentComplete");
  const std::uint64_t number = loadNumber_;
  if (!loadFunction_.empty()) CallNow(loadFunction_, {}, nullptr);
  // Each queued call is taken off before it runs. A call that starts another load leaves the rest
  // queued for that page.
  while (!queue_.empty() && number == loadNumber_ && engine_.IsComplete()) {
    QueuedCall call = std::move(queue_.front());
    queue_.pop_front();
    CallNow(call.function, call.args, nullptr);
  }
}

Win::HRESULT TYX_HTMLView::PageNavigate(const std::string& address) {
  if (!IsAlive()) return Win::E_FAIL;
  // A new page drops the pages ahead of the current one.
  if (historyPos_ + 1 < static_cast<int>(history_.size())) history_.resize(static_cast<std::size_t>(historyPos_ + 1));
  history_.push_back(address);
  historyPos_ = static_cast<int>(history_.size()) - 1;
  return StartLoad(address);
}

Win::HRESULT TYX_HTMLView::GoHome() {
  if (home_.empty()) return Win::E_FAIL;
  return PageNavigate(home_);
}

Win::HRESULT TYX_HTMLView::GoBack() {
  if (!IsAlive() || historyPos_ <= 0) return Win::E_FAIL;
  --historyPos_;
  return StartLoad(history_[static_cast<std::size_t>(historyPos_)]);
}

Win::HRESULT TYX_HTMLView::GoForward() {
  if (!IsAlive() || historyPos_ + 1 >= static_cast<int>(history_.size())) return Win::E_FAIL;
  ++historyPos_;
  return StartLoad(history_[static_cast<std::size_t>(historyPos_)]);
}

Win::HRESULT TYX_HTMLView::Refresh() {
  if (!IsAlive() || historyPos_ < 0) return Win::E_FAIL;
  return StartLoad(history_[static_cast<std::size_t>(historyPos_)]);
}

Win::HRESULT TYX_HTMLView::Stop() {
  if (!IsAlive()) return Win::E_FAIL;
  if (!job_) return Win::S_OK;
  job_->Cancel();
  job_.reset();
  ++loadNumber_;  // the stopped load's report is stale
  {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    engine_.FailLoad(engine_.Address(), "stopped");
  }
  lastLoadStatus_ = Win::E_FAIL;
  DropQueue("the load was stopped");
  return Win::S_OK;
}

Win::HRESULT TYX_HTMLView::PageShow(Win::BOOL show) {
  if (!IsAlive()) return Win::E_FAIL;
  ShowWindow(show ? Win::SW_SHOW : Win::SW_HIDE);
  return Win::S_OK;
}

Win::HRESULT TYX_HTMLView::CallJScript(const std::string& function, const std::vector<std::string>& args,
                                       std::string* result) {
  Log("TYX_HTMLView::CallJScript - 1");
  return CallCore(function, args, result);
}

Win::HRESULT TYX_HTMLView::CallJScript(const std::string& function, int count, const char* const* args,
                                       std::string* result) {
  Log("TYX_HTMLView::CallJScript - 2");
  if (count < 0 || (count > 0 && args == nullptr)) return Win::E_INVALIDARG;
  std::vector<std::string> list;
  list.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) list.emplace_back(args[i] != nullptr ? args[i] : "");
  return CallCore(function, list, result);
}

Win::HRESULT TYX_HTMLView::CallCore(const std::string& function, const std::vector<std::string>& args,
                                    std::string* result) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  if (!engine_.IsComplete()) return PushCallJScriptQueue(function, args);
  return CallNow(function, args, result);
}

Win::HRESULT TYX_HTMLView::CallNow(const std::string& function, const std::vector<std::string>& args,
                                   std::string* result) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  const Html::ScriptOutcome outcome = engine_.Invoke(function, args);
  switch (outcome.code) {
    case Html::ScriptOutcome::Code::Ok:
      if (result != nullptr) *result = outcome.result;
      return Win::S_OK;
    case Html::ScriptOutcome::Code::UnknownName:
      return kUnknownName;
    case Html::ScriptOutcome::Code::Exception:
      break;
  }
  return kScriptException;
}

Win::HRESULT TYX_HTMLView::PushCallJScriptQueue(const std::string& function, const std::vector<std::string>& args) {
  if (function.empty()) return Win::E_INVALIDARG;
  std::lock_guard<std::recursive_mutex> lock(lock_);
  queue_.push_back(QueuedCall{function, args});
  return Win::S_OK;
}

std::size_t TYX_HTMLView::QueuedCallCount() const {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  return queue_.size();
}

Html::TYX_PageScript* TYX_HTMLView::GetJScriptEx() {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  return engine_.IsComplete() ? engine_.Script() : nullptr;
}

Win::HRESULT TYX_HTMLView::GetValueFromElementID(const std::string& id, std::string& text) const {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  const auto value = engine_.ValueById(id);
  if (!value) return Win::E_FAIL;
  text = *value;
  return Win::S_OK;
}

Win::HRESULT TYX_HTMLView::OnLocalBtnClick(const Html::ElementInfo* element) {
  Log("TYX_HTMLView::OnLocalBtnClick");
  if (element == nullptr) return Win::E_FAIL;
  const auto call = element->Attribute("call");
  if (!call) return Win::S_OK;  // nothing to do for a button without a call
  for (const LocalCall& entry : LocalCalls()) {
    if (::strcasecmp(call->c_str(), entry.call) != 0) continue;
    if (!Win::IsWindow(target_)) return Win::E_FAIL;
    return static_cast<Win::HRESULT>(
        Win::SendMessage(target_, Win::WM_COMMAND, Win::MAKEWPARAM(entry.command, 0), 0));
  }
  return Win::S_OK;
}

bool TYX_HTMLView::ClickElement(const std::string& idOrName, std::size_t nth) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  const std::vector<Html::ElementInfo> found = engine_.FindElements(idOrName);
  if (nth >= found.size()) return false;
  return engine_.Click(found[nth].node);
}

}  // namespace TYX::Library
