#pragma once
// A window of the headless framework: a handle in the process-wide table, a parent and children, a
// control ID, a style, a rectangle, a text, visible and enabled flags and a message table. Nothing is
// drawn on a screen; a paint records a display list that anyone can read.
//
// A window belongs to the thread that created it; its handlers run there. The C++ object and the
// window are separate: destroying the window leaves the object, and deleting the object destroys the
// window if it still lives.
#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/display_list.h"
#include "platform/messaging.h"
#include "platform/types.h"

namespace TYX::Win {

constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

class Window {
 public:
  using Handler = std::function<LRESULT(WPARAM, LPARAM)>;
  using CommandHandler = std::function<void()>;
  using NotifyHandler = std::function<LRESULT(NMHDR*)>;

  Window();
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Creates the window on the calling thread: WM_CREATE (a result of -1 fails the creation), then
  // WM_SIZE and WM_MOVE; a visible window is then due a paint. Rect is in the parent's client
  // coordinates (screen coordinates for a top-level window).
  bool Create(HWND parent, const Rect& rect, DWORD style, UINT id = 0, const std::string& text = {});
  // WM_DESTROY to the window, then to its children; WM_NCDESTROY children first. Afterwards the handle
  // no longer resolves, its timers are gone and messages queued for it are dropped.
  bool DestroyWindow();

  HWND GetSafeHwnd() const { return hwnd_; }
  bool IsAlive() const { return hwnd_ != nullptr; }
  // The window object behind a handle, or null once the window is gone. Use it on the owner thread.
  static Window* FromHandle(HWND hwnd);

  // Tree.
  HWND GetParent() const { return parent_; }
  // Moves the window under another parent of the same thread (null makes it top-level); its rectangle
  // stays in the new parent's client coordinates. Returns the old parent, or null on failure.
  HWND SetParent(HWND newParent);
  const std::vector<HWND>& GetChildren() const { return children_; }
  HWND GetDlgItem(UINT id) const;  // first descendant with that control ID
  UINT GetDlgCtrlID() const { return id_; }
  void SetDlgCtrlID(UINT id) { id_ = id; }
  HWND GetTopLevelParent() const;

  // Style.
  DWORD GetStyle() const { return style_; }
  void ModifyStyle(DWORD remove, DWORD add) { style_ = (style_ & ~remove) | add; }

  // Geometry. The window rectangle in parent client coordinates, in screen coordinates, the client
  // rectangle (origin 0,0), and conversions.
  Rect GetRectInParent() const { return rect_; }
  Rect GetWindowRect() const;
  Rect GetClientRect() const;
  void ClientToScreen(Point& p) const;
  void ScreenToClient(Point& p) const;
  void ClientToScreen(Rect& r) const;
  void ScreenToClient(Rect& r) const;
  // Sends WM_MOVE and WM_SIZE when they change; repaints when asked.
  void MoveWindow(const Rect& rectInParent, bool repaint = true);
  // The deepest visible child under a point of this window's client area, or this window.
  HWND ChildWindowFromPoint(Point clientPoint) const;

  // Text.
  void SetWindowText(const std::string& text);
  std::string GetWindowText() const { return text_; }

  // Show, enable, focus.
  void ShowWindow(int cmd);
  bool IsVisibleFlag() const { return (style_ & WS_VISIBLE) != 0; }
  bool IsWindowVisible() const;  // this window and every ancestor visible
  void EnableWindow(bool enable);
  bool IsWindowEnabled() const { return (style_ & WS_DISABLED) == 0; }
  HWND SetFocus();
  bool HasFocus() const;

  // Painting.
  void Invalidate();
  void UpdateWindow();  // paints now when a paint is due
  bool IsPaintPending() const { return paintPending_; }
  const DisplayList& GetLastPaint() const { return lastPaint_; }
  int PaintCount() const { return paintCount_; }
  void SetRedraw(bool on);
  bool IsRedrawOn() const { return redraw_; }

  // Messages to this window.
  LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  LRESULT SendMessageToParentWindow(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs);
  BOOL KillTimer(UINT_PTR id);

  // Message table. A later entry for the same key replaces an earlier one.
  void OnMessage(UINT msg, Handler handler);
  void OnCommand(UINT id, CommandHandler handler);                // any notification code
  void OnCommandCode(UINT id, UINT code, CommandHandler handler);  // one notification code
  void OnCommandRange(UINT first, UINT last, std::function<void(UINT id)> handler);
  void OnNotify(UINT idFrom, UINT code, NotifyHandler handler);

  // Routes through the message table, else the default handling.
  virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // Called by modal loops for messages bound for this window or a descendant, before dispatch.
  virtual BOOL PreTranslateMessage(MSG* msg);
  // The framework's default handling of a message (WM_CLOSE destroys, WM_PAINT records, ...).
  virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

 protected:
  // Controls record what they show here; called by the default WM_PAINT handling.
  virtual void PaintContent(DisplayList& dc) { (void)dc; }
  // Last call on the object for a window, after WM_NCDESTROY.
  virtual void PostNcDestroy() {}

 private:
  friend struct WindowAccess;
  bool DispatchFromTable(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void DestroyTree();

  HWND hwnd_ = nullptr;       // owner thread
  HWND parent_ = nullptr;     // owner thread
  std::vector<HWND> children_;
  UINT id_ = 0;
  DWORD style_ = 0;
  Rect rect_;
  std::string text_;
  bool paintPending_ = false;
  bool redraw_ = true;
  bool destroying_ = false;
  int paintCount_ = 0;
  DisplayList lastPaint_;

  std::unordered_map<UINT, Handler> messageTable_;
  std::map<std::pair<UINT, UINT>, CommandHandler> commandCodeTable_;
  std::unordered_map<UINT, CommandHandler> commandTable_;
  std::vector<std::pair<std::pair<UINT, UINT>, std::function<void(UINT)>>> commandRanges_;
  std::map<std::pair<UINT, UINT>, NotifyHandler> notifyTable_;
};

// Free functions over handles; all are safe with a dead handle.
BOOL IsWindow(HWND hwnd);
HWND GetParent(HWND hwnd);
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindowVisible(HWND hwnd);
BOOL IsWindowEnabled(HWND hwnd);
BOOL EnableWindow(HWND hwnd, BOOL enable);
HWND GetFocus();
// The thread that owns a window, 0 for a dead handle.
DWORD GetWindowThreadId(HWND hwnd);
// The top-level windows of the process, oldest first (used to find a host's main window).
std::vector<HWND> GetTopLevelWindows();
// The application's main window, used by code that sends commands to it; null when none is set.
void SetMainWindow(HWND hwnd);
HWND GetMainWindow();

}  // namespace TYX::Win
