// The demo host. Until the panel exists it demonstrates the framework: a main window, a timer and a
// modal dialog answered by the default user agent.
#include <cstdio>

#include "platform/dialog.h"
#include "platform/messaging.h"
#include "platform/user_agent.h"
#include "platform/window.h"

using namespace TYX::Win;

int main() {
  Window main;
  int ticks = 0;
  main.OnMessage(WM_TIMER, [&](WPARAM id, LPARAM) -> LRESULT {
    std::printf("timer %lu tick %d at %u ms\n", static_cast<unsigned long>(id), ++ticks, GetTickCount());
    if (ticks == 3) {
      main.KillTimer(id);
      int answer = MessageBox(main.GetSafeHwnd(), "Demo finished?", "Sonvar", MB_YESNO | MB_DEFBUTTON1);
      std::printf("message box answered %d\n", answer);
      Dialog dlg(6003, main.GetSafeHwnd());
      dlg.OnMessage(WM_INITDIALOG, [&](WPARAM, LPARAM) -> LRESULT {
        dlg.PostMessage(WM_KEYDOWN, VK_RETURN, 0);
        return TRUE;
      });
      std::printf("modal dialog ended with %d\n", dlg.DoModal());
      main.PostMessage(WM_CLOSE);
    }
    return 0;
  });
  main.OnMessage(WM_DESTROY, [](WPARAM, LPARAM) -> LRESULT {
    PostQuitMessage(0);
    return 0;
  });
  if (!main.Create(nullptr, Rect{0, 0, 800, 600}, WS_VISIBLE, 0, "Sonvar")) return 1;
  main.SetTimer(1, 100);
  MSG msg;
  while (GetMessage(&msg)) DispatchMessage(&msg);
  std::printf("quit with %d\n", static_cast<int>(msg.wParam));
  return 0;
}
