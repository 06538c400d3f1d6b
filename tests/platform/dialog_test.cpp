#include <gtest/gtest.h>

#include "platform/dialog.h"
#include "platform/os_services.h"
#include "platform/user_agent.h"
#include "helpers/scripted_user_agent.h"

using namespace TYX::Win;
using TYX::Test::ScopedUserAgent;

namespace {
constexpr UINT kOpenInner = 3001;

class OuterDialog : public Dialog {
 public:
  OuterDialog() : Dialog(100) {
    OnCommand(kOpenInner, [this] {
      Dialog inner(101, GetSafeHwnd());
      innerResult = inner.DoModal();
      // The owner is disabled while its modal child runs and enabled again afterwards.
      ownerEnabledAfter = IsWindowEnabled();
    });
  }
  BOOL OnInitDialog() override {
    inited = true;
    return TRUE;
  }
  int innerResult = 0;
  bool inited = false;
  bool ownerEnabledAfter = false;
};
}  // namespace

TEST(DialogTest, NestedModalLoopsDrivenByTheScriptedAgent) {
  ScopedUserAgent agent;
  bool ownerDisabledDuringInner = false;
  HWND outerHwnd = nullptr;
  agent->OnNextModal([&](Window& outer) {
    outerHwnd = outer.GetSafeHwnd();
    // A person clicks the button that opens the inner dialog.
    outer.PostMessage(WM_COMMAND, MAKEWPARAM(kOpenInner, BN_CLICKED), 0);
  });
  agent->OnNextModal([&](Window& inner) {
    ownerDisabledDuringInner = !IsWindowEnabled(outerHwnd);
    // Escape on the inner dialog cancels it.
    inner.PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
  });
  int idleCalls = 0;
  agent->SetIdleAction([&](Window& dlg) {
    ++idleCalls;
    // Once the inner dialog is gone, the person presses OK on the outer one.
    if (dlg.GetSafeHwnd() == outerHwnd && agent->AllAnswersUsed())
      dlg.PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
  OuterDialog outer;
  EXPECT_EQ(outer.DoModal(), IDOK);
  EXPECT_TRUE(outer.inited);
  EXPECT_EQ(outer.innerResult, IDCANCEL);
  EXPECT_TRUE(ownerDisabledDuringInner);
  EXPECT_TRUE(outer.ownerEnabledAfter);
  EXPECT_EQ(agent->ModalCount(), 2);
  EXPECT_GT(idleCalls, 0);
  EXPECT_FALSE(outer.IsAlive());
}

TEST(DialogTest, EndDialogDuringInitAndCloseMeansCancel) {
  ScopedUserAgent agent;
  Dialog early;
  early.OnMessage(WM_INITDIALOG, [&](WPARAM, LPARAM) -> LRESULT {
    early.EndDialog(7);
    return TRUE;
  });
  EXPECT_EQ(early.DoModal(), 7);

  agent->OnNextModal([](Window& d) { d.PostMessage(WM_CLOSE); });
  Dialog closed;
  EXPECT_EQ(closed.DoModal(), IDCANCEL);
}

TEST(DialogTest, QuitInsideAModalLoopEndsItAndReachesTheOuterLoop) {
  ScopedUserAgent agent;
  agent->OnNextModal([](Window&) { PostQuitMessage(5); });
  Dialog d;
  d.DoModal();
  EXPECT_FALSE(d.IsAlive());
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 5u);
}

TEST(UserAgentTest, ScriptedAnswersAndTheHeadlessDefaults) {
  {
    ScopedUserAgent agent;
    agent->ExpectMessageBox(IDNO, false, "삭제");
    EXPECT_EQ(MessageBox(nullptr, "삭제하시겠습니까?", "Sonvar", MB_YESNO), IDNO);
    agent->ExpectMenu(1025);
    PopupMenuRequest menu;
    menu.items = {{1025, "듣기"}, {1024, "삭제", true}};
    EXPECT_EQ(GetUserAgent()->ChoosePopupMenu(menu), 1025u);
    agent->ExpectFiles(std::vector<std::string>{"/a.mp3", "/b.ogg"});
    auto files = GetUserAgent()->ChooseFiles(FileOpenRequest{});
    ASSERT_TRUE(files);
    EXPECT_EQ(files->size(), 2u);
    ASSERT_EQ(agent->Prompts().size(), 3u);
    EXPECT_EQ(agent->Prompts()[1].text, "듣기|삭제");
    EXPECT_TRUE(agent->AllAnswersUsed());
  }
  HeadlessUserAgent headless;
  headless.SetQuiet(true);
  MessageBoxRequest req;
  req.type = MB_YESNOCANCEL | MB_DEFBUTTON2;
  req.checkBoxText = "다시 묻지 않기";
  req.checkBoxState = true;
  auto answer = headless.ShowMessageBox(req);
  EXPECT_EQ(answer.button, IDNO);
  EXPECT_TRUE(answer.checked);
  EXPECT_FALSE(headless.ChooseFolder(FolderRequest{}).has_value());
  EXPECT_EQ(headless.ChoosePopupMenu(PopupMenuRequest{}), 0u);
}

TEST(OsTest, MountTableGivesFixedRemoteAndOpticalDrives) {
  const std::string table =
      "proc /proc proc rw 0 0\n"
      "/dev/sda1 / ext4 rw 0 0\n"
      "/dev/sdb1 /media/my\\040music vfat rw 0 0\n"
      "server:/export /mnt/nas nfs4 rw 0 0\n"
      "/dev/sr0 /media/cdrom iso9660 ro 0 0\n"
      "tmpfs /run tmpfs rw 0 0\n";
  auto drives = Os::ParseMountTable(table);
  ASSERT_EQ(drives.size(), 4u);
  EXPECT_EQ(drives[0].root, "/");
  EXPECT_EQ(drives[0].kind, DRIVE_FIXED);
  EXPECT_EQ(drives[1].root, "/media/my music");
  EXPECT_EQ(drives[2].kind, DRIVE_REMOTE);
  EXPECT_EQ(drives[3].kind, DRIVE_CDROM);
  Os::ClearOpenRequests();
  Os::OpenHelpFile("/opt/sonvar/syncguide.chm", "index");
  Os::OpenUrl("http://example.invalid/?q=1");
  auto opened = Os::GetOpenRequests();
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0].kind, OpenRequest::Kind::HelpFile);
  EXPECT_EQ(opened[1].target, "http://example.invalid/?q=1");
  EXPECT_FALSE(Os::GetModuleFolder().empty());
}
