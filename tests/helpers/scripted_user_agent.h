#pragma once
// A user agent for tests: answers prompts in the order the test queued them, records every prompt,
// and fails the test on a prompt it did not expect. Modal dialogs can be driven from OnModalOpened and
// OnModalIdle callbacks, where the test clicks controls by sending their messages.
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/user_agent.h"
#include "platform/window.h"

namespace TYX::Test {

struct Prompt {
  enum class Kind { MessageBox, Files, Folder, Menu } kind;
  std::string text;     // message box text, chooser title, or the menu's item texts joined by '|'
  std::string caption;  // message box caption
  Win::UINT type = 0;   // message box type flags
  std::string checkBoxText;
  std::vector<Win::MenuItem> menuItems;
};

class ScriptedUserAgent : public Win::UserAgent {
 public:
  // Queue answers, in the order the prompts will come.
  void ExpectMessageBox(int button, bool checked = false, std::string textContains = {});
  void ExpectFiles(std::optional<std::vector<std::string>> files);
  void ExpectFolder(std::optional<std::string> folder);
  void ExpectMenu(Win::UINT command);
  // Called once for each modal dialog that opens, in order; the callback may click, type or end it.
  void OnNextModal(std::function<void(Win::Window&)> action);
  // Called whenever a modal loop goes idle and no OnNextModal action is pending for it.
  void SetIdleAction(std::function<void(Win::Window&)> action) { idle_ = std::move(action); }

  const std::vector<Prompt>& Prompts() const { return prompts_; }
  bool AllAnswersUsed() const { return answers_.empty() && modalActions_.empty(); }
  int ModalCount() const { return modalCount_; }

  Win::MessageBoxAnswer ShowMessageBox(const Win::MessageBoxRequest& request) override;
  std::optional<std::vector<std::string>> ChooseFiles(const Win::FileOpenRequest& request) override;
  std::optional<std::string> ChooseFolder(const Win::FolderRequest& request) override;
  Win::UINT ChoosePopupMenu(const Win::PopupMenuRequest& request) override;
  void OnModalOpened(Win::Window& dialog) override;
  void OnModalIdle(Win::Window& dialog) override;

 private:
  struct Answer {
    Prompt::Kind kind = Prompt::Kind::MessageBox;
    int button = 0;
    bool checked = false;
    std::string textContains;
    std::optional<std::vector<std::string>> files;
    std::optional<std::string> folder;
    Win::UINT command = 0;
  };
  std::optional<Answer> Take(Prompt::Kind kind, const std::string& what);

  std::deque<Answer> answers_;
  std::deque<std::function<void(Win::Window&)>> modalActions_;
  std::function<void(Win::Window&)> idle_;
  std::vector<Prompt> prompts_;
  int modalCount_ = 0;
};

// Installs a scripted agent for the lifetime of the guard and restores the default afterwards.
class ScopedUserAgent {
 public:
  ScopedUserAgent();
  ~ScopedUserAgent();
  ScriptedUserAgent& operator*() { return *agent_; }
  ScriptedUserAgent* operator->() { return agent_.get(); }
  std::shared_ptr<ScriptedUserAgent> Get() { return agent_; }

 private:
  std::shared_ptr<ScriptedUserAgent> agent_;
};

}  // namespace TYX::Test
