#pragma once
// The person at the terminal, as the system's user agent: the file and folder choosers take the
// paths given on the command line, message boxes are printed on stderr and take their default answer,
// and while a modal dialog runs, a watcher may read it (to print a progress line).
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/user_agent.h"

namespace TYX::Host {

class TerminalAgent : public Win::UserAgent {
 public:
  using Watcher = std::function<void(Win::Window& dialog)>;

  explicit TerminalAgent(bool quiet) : quiet_(quiet) {}

  // The next file chooser picks these files; the next folder chooser this folder.
  void QueueFiles(std::vector<std::string> files) { files_.push_back(std::move(files)); }
  void QueueFolder(std::string folder) { folders_.push_back(std::move(folder)); }
  void SetWatcher(Watcher watcher) { watcher_ = std::move(watcher); }
  // Acts on each modal dialog as it opens (a command fills a dialog the way the person would).
  void SetOpener(Watcher opener) { opener_ = std::move(opener); }
  // Message boxes shown so far (their texts), oldest first.
  const std::vector<std::string>& Messages() const { return messages_; }

  Win::MessageBoxAnswer ShowMessageBox(const Win::MessageBoxRequest& request) override;
  std::optional<std::vector<std::string>> ChooseFiles(const Win::FileOpenRequest& request) override;
  std::optional<std::string> ChooseFolder(const Win::FolderRequest& request) override;
  Win::UINT ChoosePopupMenu(const Win::PopupMenuRequest& request) override;
  void OnModalOpened(Win::Window& dialog) override;
  void OnModalIdle(Win::Window& dialog) override;

 private:
  bool quiet_;
  std::deque<std::vector<std::string>> files_;
  std::deque<std::string> folders_;
  std::vector<std::string> messages_;
  Watcher watcher_;
  Watcher opener_;
};

}  // namespace TYX::Host
