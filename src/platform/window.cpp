#include "platform/window.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <shared_mutex>

#include "platform/thread_queue.h"

namespace TYX::Win {
namespace {

struct Entry {
  Window* window = nullptr;
  DWORD thread = 0;
  bool topLevel = false;
  std::uint64_t order = 0;
};

std::shared_mutex g_tableMutex;
std::unordered_map<std::uintptr_t, Entry> g_table;  // guarded by g_tableMutex
std::atomic<std::uintptr_t> g_nextHandle{0x10000};
std::atomic<std::uint64_t> g_order{0};
std::atomic<HWND> g_mainWindow{nullptr};

std::uintptr_t Key(HWND h) { return reinterpret_cast<std::uintptr_t>(h); }

HWND Register(Window* w, bool topLevel) {
  HWND h = reinterpret_cast<HWND>(g_nextHandle.fetch_add(0x10));
  std::unique_lock<std::shared_mutex> lk(g_tableMutex);
  g_table[Key(h)] = Entry{w, GetCurrentThreadId(), topLevel, g_order.fetch_add(1)};
  return h;
}

void Unregister(HWND h) {
  std::unique_lock<std::shared_mutex> lk(g_tableMutex);
  g_table.erase(Key(h));
}

}  // namespace

namespace Internal {
Window* ResolveWindow(HWND hwnd) {
  if (!hwnd) return nullptr;
  std::shared_lock<std::shared_mutex> lk(g_tableMutex);
  auto it = g_table.find(Key(hwnd));
  return it == g_table.end() ? nullptr : it->second.window;
}

DWORD WindowThread(HWND hwnd) {
  if (!hwnd) return 0;
  std::shared_lock<std::shared_mutex> lk(g_tableMutex);
  auto it = g_table.find(Key(hwnd));
  return it == g_table.end() ? 0 : it->second.thread;
}
}  // namespace Internal

Window::Window() = default;

Window::~Window() {
  if (hwnd_) {
    // The derived parts are gone: only the default handling may run from here on.
    messageTable_.clear();
    commandTable_.clear();
    commandCodeTable_.clear();
    commandRanges_.clear();
    notifyTable_.clear();
    DestroyWindow();
  }
}

Window* Window::FromHandle(HWND hwnd) { return Internal::ResolveWindow(hwnd); }

bool Window::Create(HWND parent, const Rect& rect, DWORD style, UINT id, const std::string& text) {
  if (hwnd_) return false;
  Window* p = nullptr;
  if (parent) {
    p = FromHandle(parent);
    if (!p || Internal::WindowThread(parent) != GetCurrentThreadId()) return false;
  }
  parent_ = parent;
  style_ = style;
  rect_ = rect;
  id_ = id;
  text_ = text;
  hwnd_ = Register(this, parent == nullptr);
  if (p) p->children_.push_back(hwnd_);
  if (WindowProc(WM_CREATE, 0, 0) == -1) {
    DestroyWindow();
    return false;
  }
  if (!hwnd_) return false;
  WindowProc(WM_SIZE, SIZE_RESTORED, MAKELPARAM(static_cast<UINT>(rect.Width()), static_cast<UINT>(rect.Height())));
  if (!hwnd_) return false;
  WindowProc(WM_MOVE, 0, MAKELPARAM(static_cast<UINT>(rect.left), static_cast<UINT>(rect.top)));
  if (!hwnd_) return false;
  Invalidate();
  return true;
}

void Window::DestroyTree() {
  HWND self = hwnd_;
  destroying_ = true;
  auto q = Internal::CurrentQueue();
  if (q->focus == self) q->focus = nullptr;
  WindowProc(WM_DESTROY, 0, 0);
  std::vector<HWND> kids = children_;
  for (HWND k : kids) {
    Window* c = FromHandle(k);
    if (c && c->hwnd_ && !c->destroying_) c->DestroyTree();
  }
  WindowProc(WM_NCDESTROY, 0, 0);
  const DWORD thread = Internal::WindowThread(self);
  Unregister(self);
  Internal::ForgetWindow(self, thread);
  if (Window* p = FromHandle(parent_)) {
    auto& sib = p->children_;
    sib.erase(std::remove(sib.begin(), sib.end(), self), sib.end());
  }
  if (g_mainWindow.load() == self) g_mainWindow = nullptr;
  hwnd_ = nullptr;
  parent_ = nullptr;
  children_.clear();
  paintPending_ = false;
  destroying_ = false;
  PostNcDestroy();
}

bool Window::DestroyWindow() {
  if (!hwnd_ || destroying_) return false;
  DestroyTree();
  return true;
}

HWND Window::SetParent(HWND newParent) {
  if (!hwnd_ || newParent == hwnd_) return nullptr;
  Window* np = nullptr;
  if (newParent) {
    np = FromHandle(newParent);
    if (!np || Internal::WindowThread(newParent) != GetCurrentThreadId()) return nullptr;
    // A window cannot become a child of its own descendant.
    for (const Window* a = np; a; a = FromHandle(a->parent_))
      if (a == this) return nullptr;
  }
  const HWND old = parent_;
  if (Window* op = FromHandle(old)) {
    auto& sib = op->children_;
    sib.erase(std::remove(sib.begin(), sib.end(), hwnd_), sib.end());
    op->Invalidate();
  }
  parent_ = newParent;
  if (np) np->children_.push_back(hwnd_);
  {
    std::unique_lock<std::shared_mutex> lk(g_tableMutex);
    auto it = g_table.find(Key(hwnd_));
    if (it != g_table.end()) it->second.topLevel = newParent == nullptr;
  }
  Invalidate();
  // The old parent may have been none: report the window itself then, so success is never null.
  return old ? old : hwnd_;
}

HWND Window::GetDlgItem(UINT id) const {
  for (HWND k : children_) {
    Window* c = FromHandle(k);
    if (!c) continue;
    if (c->id_ == id) return k;
  }
  for (HWND k : children_) {
    Window* c = FromHandle(k);
    if (!c) continue;
    if (HWND found = c->GetDlgItem(id)) return found;
  }
  return nullptr;
}

HWND Window::GetTopLevelParent() const {
  const Window* w = this;
  while (w->parent_) {
    Window* p = FromHandle(w->parent_);
    if (!p) break;
    w = p;
  }
  return w->hwnd_;
}

Rect Window::GetWindowRect() const {
  Rect r = rect_;
  if (Window* p = FromHandle(parent_)) {
    Rect pr = p->GetWindowRect();
    r.Offset(pr.left, pr.top);
  }
  return r;
}

Rect Window::GetClientRect() const { return Rect{0, 0, rect_.Width(), rect_.Height()}; }

void Window::ClientToScreen(Point& p) const {
  Rect r = GetWindowRect();
  p.x += r.left;
  p.y += r.top;
}

void Window::ScreenToClient(Point& p) const {
  Rect r = GetWindowRect();
  p.x -= r.left;
  p.y -= r.top;
}

void Window::ClientToScreen(Rect& rc) const {
  Rect r = GetWindowRect();
  rc.Offset(r.left, r.top);
}

void Window::ScreenToClient(Rect& rc) const {
  Rect r = GetWindowRect();
  rc.Offset(-r.left, -r.top);
}

void Window::MoveWindow(const Rect& rectInParent, bool repaint) {
  const Rect old = rect_;
  rect_ = rectInParent;
  if (!hwnd_) return;
  if (old.left != rect_.left || old.top != rect_.top)
    WindowProc(WM_MOVE, 0, MAKELPARAM(static_cast<UINT>(rect_.left), static_cast<UINT>(rect_.top)));
  if (hwnd_ && (old.Width() != rect_.Width() || old.Height() != rect_.Height()))
    WindowProc(WM_SIZE, SIZE_RESTORED,
               MAKELPARAM(static_cast<UINT>(rect_.Width()), static_cast<UINT>(rect_.Height())));
  if (hwnd_ && repaint) Invalidate();
}

HWND Window::ChildWindowFromPoint(Point clientPoint) const {
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
    Window* c = FromHandle(*it);
    if (!c || !c->IsVisibleFlag()) continue;
    if (c->rect_.Contains(clientPoint)) {
      Point inner{clientPoint.x - c->rect_.left, clientPoint.y - c->rect_.top};
      return c->ChildWindowFromPoint(inner);
    }
  }
  return hwnd_;
}

void Window::SetWindowText(const std::string& text) {
  if (!hwnd_) {
    text_ = text;
    return;
  }
  WindowProc(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Window::ShowWindow(int cmd) {
  const bool show = cmd != SW_HIDE;
  if (show == IsVisibleFlag()) return;
  ModifyStyle(WS_VISIBLE, show ? WS_VISIBLE : 0);
  if (!hwnd_) return;
  WindowProc(WM_SHOWWINDOW, show ? 1 : 0, 0);
  if (!show) {
    auto q = Internal::CurrentQueue();
    if (q->focus == hwnd_) q->focus = nullptr;
  }
  if (show) {
    paintPending_ = false;
    Invalidate();
  }
  if (Window* p = FromHandle(parent_)) p->Invalidate();
}

bool Window::IsWindowVisible() const {
  if (!hwnd_ || !IsVisibleFlag()) return false;
  Window* p = FromHandle(parent_);
  return p ? p->IsWindowVisible() : true;
}

void Window::EnableWindow(bool enable) {
  if (enable == IsWindowEnabled()) return;
  ModifyStyle(WS_DISABLED, enable ? 0 : WS_DISABLED);
  if (!hwnd_) return;
  WindowProc(WM_ENABLE, enable ? 1 : 0, 0);
  Invalidate();
}

HWND Window::SetFocus() {
  if (!hwnd_) return nullptr;
  auto q = Internal::CurrentQueue();
  HWND old = q->focus;
  if (old == hwnd_) return old;
  q->focus = hwnd_;
  if (old) TYX::Win::SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd_), 0);
  WindowProc(WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

bool Window::HasFocus() const { return hwnd_ && Internal::CurrentQueue()->focus == hwnd_; }

void Window::Invalidate() {
  if (!hwnd_ || paintPending_) return;
  paintPending_ = true;
  if (IsWindowVisible() && redraw_) Internal::RequestPaint(hwnd_);
}

void Window::UpdateWindow() {
  if (!hwnd_ || !paintPending_) return;
  Internal::CancelPaint(hwnd_);
  WindowProc(WM_PAINT, 0, 0);
}

void Window::SetRedraw(bool on) {
  if (!hwnd_) {
    redraw_ = on;
    return;
  }
  WindowProc(WM_SETREDRAW, on ? 1 : 0, 0);
}

LRESULT Window::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  return TYX::Win::SendMessage(hwnd_, msg, wParam, lParam);
}

BOOL Window::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!hwnd_) return FALSE;
  return TYX::Win::PostMessage(hwnd_, msg, wParam, lParam);
}

LRESULT Window::SendMessageToParentWindow(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!parent_) return 0;
  return TYX::Win::SendMessage(parent_, msg, wParam, lParam);
}

UINT_PTR Window::SetTimer(UINT_PTR id, UINT elapseMs) { return hwnd_ ? TYX::Win::SetTimer(hwnd_, id, elapseMs) : 0; }
BOOL Window::KillTimer(UINT_PTR id) { return hwnd_ ? TYX::Win::KillTimer(hwnd_, id) : FALSE; }

void Window::OnMessage(UINT msg, Handler handler) { messageTable_[msg] = std::move(handler); }
void Window::OnCommand(UINT id, CommandHandler handler) { commandTable_[id] = std::move(handler); }
void Window::OnCommandCode(UINT id, UINT code, CommandHandler handler) {
  commandCodeTable_[{id, code}] = std::move(handler);
}
void Window::OnCommandRange(UINT first, UINT last, std::function<void(UINT)> handler) {
  commandRanges_.push_back({{first, last}, std::move(handler)});
}
void Window::OnNotify(UINT idFrom, UINT code, NotifyHandler handler) {
  notifyTable_[{idFrom, code}] = std::move(handler);
}

bool Window::DispatchFromTable(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_COMMAND) {
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (auto it = commandCodeTable_.find({id, code}); it != commandCodeTable_.end()) {
      auto h = it->second;  // the handler may change the table
      h();
      result = 0;
      return true;
    }
    if (auto it = commandTable_.find(id); it != commandTable_.end()) {
      auto h = it->second;
      h();
      result = 0;
      return true;
    }
    for (auto& [range, h] : commandRanges_) {
      if (id >= range.first && id <= range.second) {
        auto copy = h;
        copy(id);
        result = 0;
        return true;
      }
    }
  } else if (msg == WM_NOTIFY && lParam) {
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (auto it = notifyTable_.find({hdr->idFrom, hdr->code}); it != notifyTable_.end()) {
      auto h = it->second;
      result = h(hdr);
      return true;
    }
  }
  if (auto it = messageTable_.find(msg); it != messageTable_.end()) {
    auto h = it->second;
    result = h(wParam, lParam);
    return true;
  }
  return false;
}

LRESULT Window::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (DispatchFromTable(msg, wParam, lParam, result)) return result;
  return DefWindowProc(msg, wParam, lParam);
}

BOOL Window::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT Window::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CLOSE:
      DestroyWindow();
      return 0;
    case WM_PAINT: {
      paintPending_ = false;
      if (!redraw_) return 0;
      DisplayList dl;
      PaintContent(dl);
      lastPaint_ = std::move(dl);
      ++paintCount_;
      return 0;
    }
    case WM_SETTEXT:
      text_ = lParam ? reinterpret_cast<const char*>(lParam) : "";
      Invalidate();
      return TRUE;
    case WM_GETTEXT: {
      if (!lParam || wParam == 0) return 0;
      const size_t n = std::min<size_t>(text_.size(), wParam - 1);
      std::memcpy(reinterpret_cast<char*>(lParam), text_.data(), n);
      reinterpret_cast<char*>(lParam)[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_SETREDRAW:
      redraw_ = wParam != 0;
      if (redraw_) {
        paintPending_ = false;
        Invalidate();
      }
      return 0;
    case WM_CONTEXTMENU:
      // A child passes an unhandled context menu request up to its parent.
      if (parent_) return TYX::Win::SendMessage(parent_, msg, wParam, lParam);
      return 0;
    default:
      return 0;
  }
}

BOOL IsWindow(HWND hwnd) { return Internal::ResolveWindow(hwnd) ? TRUE : FALSE; }

HWND GetParent(HWND hwnd) {
  Window* w = Internal::ResolveWindow(hwnd);
  return w ? w->GetParent() : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
  Window* w = Internal::ResolveWindow(hwnd);
  return w && w->DestroyWindow() ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd) {
  Window* w = Internal::ResolveWindow(hwnd);
  return w && w->IsWindowVisible() ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd) {
  Window* w = Internal::ResolveWindow(hwnd);
  return w && w->IsWindowEnabled() ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  Window* w = Internal::ResolveWindow(hwnd);
  if (!w) return FALSE;
  const bool wasDisabled = !w->IsWindowEnabled();
  w->EnableWindow(enable != FALSE);
  return wasDisabled ? TRUE : FALSE;
}

HWND GetFocus() { return Internal::CurrentQueue()->focus; }

DWORD GetWindowThreadId(HWND hwnd) { return Internal::WindowThread(hwnd); }

std::vector<HWND> GetTopLevelWindows() {
  std::vector<std::pair<std::uint64_t, HWND>> found;
  {
    std::shared_lock<std::shared_mutex> lk(g_tableMutex);
    for (auto& [key, e] : g_table)
      if (e.topLevel) found.push_back({e.order, reinterpret_cast<HWND>(key)});
  }
  std::sort(found.begin(), found.end());
  std::vector<HWND> out;
  for (auto& f : found) out.push_back(f.second);
  return out;
}

void SetMainWindow(HWND hwnd) { g_mainWindow = hwnd; }
HWND GetMainWindow() { return g_mainWindow.load(); }

}  // namespace TYX::Win
