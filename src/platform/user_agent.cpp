#include "platform/user_agent.h"

#include <cstdio>
#include <mutex>

namespace TYX::Win {
namespace {
std::mutex g_agentMutex;
std::shared_ptr<UserAgent> g_agent;  // guarded by g_agentMutex; null means the headless default
}  // namespace

std::vector<int> MessageBoxRequest::Buttons() const {
  switch (type & 0xF) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
  }
}

int MessageBoxRequest::DefaultButton() const {
  auto buttons = Buttons();
  size_t index = (type >> 8) & 0xF;
  if (index >= buttons.size()) index = 0;
  return buttons[index];
}

MessageBoxAnswer HeadlessUserAgent::ShowMessageBox(const MessageBoxRequest& request) {
  MessageBoxAnswer answer{request.DefaultButton(), request.checkBoxState};
  if (!quiet_)
    std::fprintf(stderr, "[user agent] message box \"%s\" (%s): default answer %d\n", request.text.c_str(),
                 request.caption.c_str(), answer.button);
  return answer;
}

std::optional<std::vector<std::string>> HeadlessUserAgent::ChooseFiles(const FileOpenRequest& request) {
  if (!quiet_) std::fprintf(stderr, "[user agent] file chooser \"%s\": cancelled\n", request.title.c_str());
  return std::nullopt;
}

std::optional<std::string> HeadlessUserAgent::ChooseFolder(const FolderRequest& request) {
  if (!quiet_) std::fprintf(stderr, "[user agent] folder chooser \"%s\": cancelled\n", request.title.c_str());
  return std::nullopt;
}

UINT HeadlessUserAgent::ChoosePopupMenu(const PopupMenuRequest& request) {
  if (!quiet_) std::fprintf(stderr, "[user agent] popup menu of %zu items: dismissed\n", request.items.size());
  return 0;
}

void SetUserAgent(std::shared_ptr<UserAgent> agent) {
  std::lock_guard<std::mutex> lk(g_agentMutex);
  g_agent = std::move(agent);
}

std::shared_ptr<UserAgent> GetUserAgent() {
  std::lock_guard<std::mutex> lk(g_agentMutex);
  if (!g_agent) g_agent = std::make_shared<HeadlessUserAgent>();
  return g_agent;
}

int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  MessageBoxRequest request;
  request.owner = owner;
  request.text = text;
  request.caption = caption;
  request.type = type;
  return GetUserAgent()->ShowMessageBox(request).button;
}

}  // namespace TYX::Win
