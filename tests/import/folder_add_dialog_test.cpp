// The folder-name dialog: names a file system cannot hold are refused in place; the rest are taken.
#include "helpers/scripted_user_agent.h"
#include "import/folder_add_dialog.h"
#include "import_test_support.h"
#include "toolkit/edit.h"

namespace TYX::Dialog {
namespace {

using namespace TYX::Win;
using TYX::Test::ScopedUserAgent;
using Dlg = TYX_Dialog_FolderAdd;

TEST(FolderAddDialogTest, RefusedNamesKeepTheDialogOpenUntilAUsableNameIsTyped) {
  ScopedUserAgent agent;
  Library::Test::ModalWatchdog watchdog;
  const std::vector<std::string> refused = {"a/b", "a\\b", "c:d", "x*", "why?", "q\"", "<", ">", "p|q", "", "   ", ".", ".."};
  for (std::size_t i = 0; i < refused.size(); ++i) agent->ExpectMessageBox(IDOK);
  Dlg dlg;
  dlg.SetFolderName("old");
  std::size_t next = 0;
  std::string initialText;
  agent->OnNextModal([&](Window& w) { initialText = static_cast<Dlg&>(w).GetEdit()->GetText(); });
  agent->SetIdleAction([&](Window& w) {
    auto& d = static_cast<Dlg&>(w);
    if (next > refused.size()) return;
    const std::string name = next < refused.size() ? refused[next] : "my.songs";
    ++next;
    d.GetEdit()->TypeText(name);
    EXPECT_TRUE(d.ClickButton(IDOK));
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(initialText, "old");
  EXPECT_EQ(dlg.GetFolderName(), "my.songs");
  ASSERT_EQ(agent->Prompts().size(), refused.size());
  EXPECT_EQ(agent->Prompts()[0].text, "파일 이름에 다음 문자를 사용할 수 없습니다.\r\n\\ / : * ? \" < > |");
  EXPECT_EQ(agent->Prompts()[0].caption, "");
  EXPECT_EQ(agent->Prompts().back().text, "사용할 수 없는 폴더 이름입니다.");
}

TEST(FolderAddDialogTest, CancelLeavesTheNameAndTheModeNamesTheTitle) {
  ScopedUserAgent agent;
  Library::Test::ModalWatchdog watchdog;
  Dlg dlg;
  dlg.SetDlgMode(Dlg::DLGMODE_RENAME);
  dlg.SetFolderName("keep");
  agent->OnNextModal([&](Window& w) {
    auto& d = static_cast<Dlg&>(w);
    d.GetEdit()->TypeText("changed");
    EXPECT_TRUE(d.ClickButton(IDCANCEL));
  });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(dlg.GetFolderName(), "keep");
  EXPECT_EQ(dlg.GetTitle(), "폴더명 변경");
  Dlg add;
  agent->OnNextModal([](Window& w) { static_cast<Dlg&>(w).EndDialog(IDCANCEL); });
  add.DoModal();
  EXPECT_EQ(add.GetTitle(), "폴더 추가");
  EXPECT_FALSE(watchdog.Fired());
}

}  // namespace
}  // namespace TYX::Dialog
