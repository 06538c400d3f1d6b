#include "helpers/scripted_user_agent.h"

#include <gtest/gtest.h>

namespace TYX::Test {

namespace {
const char* KindName(Prompt::Kind k) {
  switch (k) {
    case Prompt::Kind::MessageBox: return "message box";
    case Prompt::Kind::Files: return "file chooser";
    case Prompt::Kind::Folder: return "folder chooser";
    case Prompt::Kind::Menu: return "popup menu";
  }
  return "?";
}
}  // namespace

void ScriptedUserAgent::ExpectMessageBox(int button, bool checked, std::string textContains) {
  Answer a;
  a.kind = Prompt::Kind::MessageBox;
  a.button = button;
  a.checked = checked;
  a.textContains = std::move(textContains);
  answers_.push_back(std::move(a));
}

void ScriptedUserAgent::ExpectFiles(std::optional<std::vector<std::string>> files) {
  Answer a;
  a.kind = Prompt::Kind::Files;
  a.files = std::move(files);
  answers_.push_back(std::move(a));
}

void ScriptedUserAgent::ExpectFolder(std::optional<std::string> folder) {
  Answer a;
  a.kind = Prompt::Kind::Folder;
  a.folder = std::move(folder);
  answers_.push_back(std::move(a));
}

void ScriptedUserAgent::ExpectMenu(Win::UINT command) {
  Answer a;
  a.kind = Prompt::Kind::Menu;
  a.command = command;
  answers_.push_back(std::move(a));
}

void ScriptedUserAgent::OnNextModal(std::function<void(Win::Window&)> action) {
  modalActions_.push_back(std::move(action));
}

std::optional<ScriptedUserAgent::Answer> ScriptedUserAgent::Take(Prompt::Kind kind, const std::string& what) {
  if (answers_.empty() || answers_.front().kind != kind) {
    ADD_FAILURE() << "unexpected " << KindName(kind) << ": \"" << what << "\""
                  << (answers_.empty() ? " (no answer queued)" : " (another prompt was expected)");
    return std::nullopt;
  }
  Answer a = std::move(answers_.front());
  answers_.pop_front();
  return a;
}

Win::MessageBoxAnswer ScriptedUserAgent::ShowMessageBox(const Win::MessageBoxRequest& request) {
  prompts_.push_back(Prompt{Prompt::Kind::MessageBox, request.text, request.caption, request.type,
                            request.checkBoxText, {}});
  auto a = Take(Prompt::Kind::MessageBox, request.text);
  if (!a) return Win::MessageBoxAnswer{request.DefaultButton(), request.checkBoxState};
  if (!a->textContains.empty()) {
    EXPECT_NE(request.text.find(a->textContains), std::string::npos)
        << "message box text \"" << request.text << "\" lacks \"" << a->textContains << "\"";
  }
  return Win::MessageBoxAnswer{a->button, a->checked};
}

std::optional<std::vector<std::string>> ScriptedUserAgent::ChooseFiles(const Win::FileOpenRequest& request) {
  prompts_.push_back(Prompt{Prompt::Kind::Files, request.title, {}, 0, {}, {}});
  auto a = Take(Prompt::Kind::Files, request.title);
  return a ? a->files : std::nullopt;
}

std::optional<std::string> ScriptedUserAgent::ChooseFolder(const Win::FolderRequest& request) {
  prompts_.push_back(Prompt{Prompt::Kind::Folder, request.title, {}, 0, {}, {}});
  auto a = Take(Prompt::Kind::Folder, request.title);
  return a ? a->folder : std::nullopt;
}

Win::UINT ScriptedUserAgent::ChoosePopupMenu(const Win::PopupMenuRequest& request) {
  std::string joined;
  for (auto& item : request.items) {
    if (!joined.empty()) joined += "|";
    joined += item.text;
  }
  prompts_.push_back(Prompt{Prompt::Kind::Menu, joined, {}, 0, {}, request.items});
  auto a = Take(Prompt::Kind::Menu, joined);
  if (!a) return 0;
  if (a->command != 0) {
    bool offered = false;
    for (auto& item : request.items)
      if (item.command == a->command) {
        offered = true;
        EXPECT_FALSE(item.grayed) << "menu item " << a->command << " is greyed and cannot be chosen";
        if (item.grayed) return 0;
      }
    EXPECT_TRUE(offered) << "menu has no item " << a->command << " (items: " << joined << ")";
  }
  return a->command;
}

void ScriptedUserAgent::OnModalOpened(Win::Window& dialog) {
  ++modalCount_;
  if (modalActions_.empty()) return;
  auto action = std::move(modalActions_.front());
  modalActions_.pop_front();
  action(dialog);
}

void ScriptedUserAgent::OnModalIdle(Win::Window& dialog) {
  if (idle_) {
    auto action = idle_;  // the action may replace itself
    action(dialog);
  }
}

ScopedUserAgent::ScopedUserAgent() : agent_(std::make_shared<ScriptedUserAgent>()) { Win::SetUserAgent(agent_); }
ScopedUserAgent::~ScopedUserAgent() { Win::SetUserAgent(nullptr); }

}  // namespace TYX::Test
