#include "components/html/page_engine.h"

#include "util/log.h"

namespace TYX::Html {

// Counts an entry into the page's scripts; the outermost one frees what a nested load retired.
class EngineEntry {
 public:
  explicit EngineEntry(TYX_PageEngine& engine) : engine_(engine) { ++engine_.depth_; }
  ~EngineEntry() {
    if (--engine_.depth_ == 0) {
      engine_.retiredScripts_.clear();
      engine_.retiredDocuments_.clear();
    }
  }
  EngineEntry(const EngineEntry&) = delete;
  EngineEntry& operator=(const EngineEntry&) = delete;

 private:
  TYX_PageEngine& engine_;
};

TYX_PageEngine::TYX_PageEngine() : TYX_PageEngine(TYX_PageScript::Limits{}) {}

TYX_PageEngine::TYX_PageEngine(const TYX_PageScript::Limits& limits) : limits_(limits) {}

TYX_PageEngine::~TYX_PageEngine() { Reset(); }

void TYX_PageEngine::Reset() {
  ++generation_;
  if (depth_ > 0) {
    if (script_) retiredScripts_.push_back(std::move(script_));
    if (document_) retiredDocuments_.push_back(std::move(document_));
  }
  script_.reset();
  document_.reset();
  scriptErrors_.clear();
  lastError_.clear();
}

void TYX_PageEngine::BeginLoad(const std::string& address) {
  Reset();
  address_ = address;
  state_ = State::Loading;
}

void TYX_PageEngine::FailLoad(const std::string& address, const std::string& why) {
  Reset();
  address_ = address;
  lastError_ = why;
  state_ = State::Failed;
  Util::TYX_Log::Instance()->Add("TYX_PageEngine : the page '%s' failed to load : %s", address.c_str(), why.c_str());
}

void TYX_PageEngine::NoteScriptError(const std::string& where, const ScriptOutcome& outcome) {
  const std::string line = where + ": " + outcome.message;
  scriptErrors_.push_back(line);
  Util::TYX_Log::Instance()->Add("TYX_PageEngine : script error in '%s' : %s", address_.c_str(), line.c_str());
}

bool TYX_PageEngine::LoadText(const std::string& html, const std::string& address) {
  EngineEntry entry(*this);
  Reset();
  const std::uint64_t generation = generation_;
  address_ = address;
  std::string error;
  document_ = TYX_PageDocument::Parse(html, &error);
  if (!document_) {
    FailLoad(address, error);
    return false;
  }
  script_ = TYX_PageScript::Create(document_.get(), limits_, &error);
  if (!script_) {
    FailLoad(address, error);
    return false;
  }
  script_->SetClickSink([this](int node) { Click(node); });
  // Loading runs the page's own code; the page counts as complete only after it.
  state_ = State::Loading;
  int index = 0;
  const std::vector<TYX_PageDocument::Script> blocks = document_->Scripts();
  for (const auto& block : blocks) {
    ++index;
    const std::string name = "script " + std::to_string(index);
    if (!block.externalSource.empty()) {
      // Scripts get no file or network access, and neither does the page on their behalf.
      Util::TYX_Log::Instance()->Add("TYX_PageEngine : the script '%s' of '%s' is not loaded",
                                     block.externalSource.c_str(), address.c_str());
      continue;
    }
    const ScriptOutcome outcome = script_->Run(block.source, name);
    if (generation != generation_) return false;  // the page's script loaded another page
    if (!outcome.ok()) NoteScriptError(name, outcome);
  }
  if (const int body = document_->Body(); body >= 0) {
    const ScriptOutcome outcome = script_->RunHandler(body, "onload");
    if (generation != generation_) return false;
    if (!outcome.ok()) NoteScriptError("body onload", outcome);
  }
  const ScriptOutcome onload = script_->CallWindowHandler("onload");
  if (generation != generation_) return false;
  if (!onload.ok()) NoteScriptError("window.onload", onload);
  state_ = State::Complete;
  return true;
}

ScriptOutcome TYX_PageEngine::Invoke(const std::string& function, const std::vector<std::string>& slots) {
  if (state_ != State::Complete || !script_) {
    ScriptOutcome out;
    out.code = ScriptOutcome::Code::UnknownName;
    out.message = "no page is loaded";
    return out;
  }
  EngineEntry entry(*this);
  const std::uint64_t generation = generation_;
  ScriptOutcome out = script_->Invoke(function, slots);
  if (generation != generation_) return out;
  if (out.code == ScriptOutcome::Code::Exception) NoteScriptError(function, out);
  return out;
}

std::optional<std::string> TYX_PageEngine::ValueById(const std::string& id) const {
  if (state_ != State::Complete || !document_) return std::nullopt;
  const int node = document_->FindById(id);
  if (node < 0) return std::nullopt;
  return document_->GetValue(node);
}

std::vector<ElementInfo> TYX_PageEngine::FindElements(const std::string& idOrName) const {
  std::vector<ElementInfo> out;
  if (!document_) return out;
  for (int node : document_->FindByIdOrName(idOrName)) out.push_back(document_->Info(node));
  return out;
}

bool TYX_PageEngine::Click(int node) {
  if (state_ != State::Complete && state_ != State::Loading) return false;
  if (!document_ || !script_ || !document_->IsElement(node)) return false;
  EngineEntry entry(*this);
  const std::uint64_t generation = generation_;
  const ScriptOutcome outcome = script_->RunHandler(node, "onclick");
  if (generation != generation_) return true;  // the handler loaded another page
  if (!outcome.ok()) NoteScriptError("onclick", outcome);
  // The handler may have changed the element; the listener sees it as it is now. A listener may
  // load another page, which ends this document: nothing of it is touched afterwards.
  const ElementInfo info = document_->Info(node);
  if (clickListener_) {
    ClickListener listener = clickListener_;
    listener(info);
  }
  return true;
}

}  // namespace TYX::Html
