#include "terminal_agent.h"

#include <cstdio>

namespace TYX::Host {

Win::MessageBoxAnswer TerminalAgent::ShowMessageBox(const Win::MessageBoxRequest& request) {
  messages_.push_back(request.text);
  if (!quiet_) std::fprintf(stderr, "%s%s\n", request.caption.empty() ? "" : (request.caption + ": ").c_str(), request.text.c_str());
  return Win::MessageBoxAnswer{request.DefaultButton(), request.checkBoxState};
}

std::optional<std::vector<std::string>> TerminalAgent::ChooseFiles(const Win::FileOpenRequest&) {
  if (files_.empty()) return std::nullopt;
  std::vector<std::string> f = std::move(files_.front());
  files_.pop_front();
  return f;
}

std::optional<std::string> TerminalAgent::ChooseFolder(const Win::FolderRequest&) {
  if (folders_.empty()) return std::nullopt;
  std::string f = std::move(folders_.front());
  folders_.pop_front();
  return f;
}

Win::UINT TerminalAgent::ChoosePopupMenu(const Win::PopupMenuRequest&) { return 0; }

void TerminalAgent::OnModalOpened(Win::Window& dialog) {
  if (opener_) opener_(dialog);
}

void TerminalAgent::OnModalIdle(Win::Window& dialog) {
  if (watcher_) watcher_(dialog);
}

}  // namespace TYX::Host
