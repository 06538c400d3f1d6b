#pragma once
// The person at the screen. Every place where the desktop framework would wait for a person goes
// through the installed user agent: message boxes, file and folder choosers, popup menus, and modal
// dialogs that wait for clicks. Tests install a scripted agent; the default agent takes the default
// answer and logs what it was shown.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace TYX::Win {

class Window;

// Message box button sets and flags (low bits as the desktop framework numbers them).
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_ABORTRETRYIGNORE = 0x2;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_RETRYCANCEL = 0x5;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_DEFBUTTON1 = 0x000;
constexpr UINT MB_DEFBUTTON2 = 0x100;
constexpr UINT MB_DEFBUTTON3 = 0x200;

struct MessageBoxRequest {
  HWND owner = nullptr;
  std::string text;
  std::string caption;
  UINT type = MB_OK;           // button set, icon and default button flags
  std::string checkBoxText;    // empty: no check box
  bool checkBoxState = false;  // initial state of the check box
  // The buttons offered, in order, as result codes (IDOK, IDYES, ...).
  std::vector<int> Buttons() const;
  // The result of the default button.
  int DefaultButton() const;
};

struct MessageBoxAnswer {
  int button = IDOK;
  bool checked = false;  // state of the check box when there is one
};

struct FileOpenRequest {
  HWND owner = nullptr;
  std::string title;
  std::string filter;  // "Audio|*.mp3;*.ogg|All|*.*"
  std::string initialFolder;
  bool multiSelect = true;
};

struct FolderRequest {
  HWND owner = nullptr;
  std::string title;
  std::string initialFolder;
};

struct MenuItem {
  UINT command = 0;  // 0 for a separator
  std::string text;
  bool grayed = false;
  bool checked = false;
  std::vector<MenuItem> subItems;
};

struct PopupMenuRequest {
  HWND owner = nullptr;
  Point screenPoint;
  std::vector<MenuItem> items;
};

class UserAgent {
 public:
  virtual ~UserAgent() = default;
  virtual MessageBoxAnswer ShowMessageBox(const MessageBoxRequest& request) = 0;
  // The chosen files (absolute paths), or nothing when the person cancelled.
  virtual std::optional<std::vector<std::string>> ChooseFiles(const FileOpenRequest& request) = 0;
  virtual std::optional<std::string> ChooseFolder(const FolderRequest& request) = 0;
  // The chosen command, 0 when the menu was dismissed. Greyed items cannot be chosen.
  virtual UINT ChoosePopupMenu(const PopupMenuRequest& request) = 0;
  // A modal dialog has been initialised and its loop is about to run.
  virtual void OnModalOpened(Window& dialog) { (void)dialog; }
  // A modal loop has nothing left to handle for now.
  virtual void OnModalIdle(Window& dialog) { (void)dialog; }
};

// Takes the default answer of every prompt and logs it to standard error.
class HeadlessUserAgent : public UserAgent {
 public:
  MessageBoxAnswer ShowMessageBox(const MessageBoxRequest& request) override;
  std::optional<std::vector<std::string>> ChooseFiles(const FileOpenRequest& request) override;
  std::optional<std::string> ChooseFolder(const FolderRequest& request) override;
  UINT ChoosePopupMenu(const PopupMenuRequest& request) override;
  void SetQuiet(bool quiet) { quiet_ = quiet; }

 private:
  bool quiet_ = false;
};

// Installs the agent for the process; null restores the default headless agent.
void SetUserAgent(std::shared_ptr<UserAgent> agent);
std::shared_ptr<UserAgent> GetUserAgent();

// The framework's message box call: goes through the agent.
int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);

}  // namespace TYX::Win
