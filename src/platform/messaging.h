#pragma once
// Per-thread message queues: posting, sending, retrieving and dispatching, timers and pumping.
//
// Every thread that owns windows or runs a loop has a queue, made on first use. Posting appends to the
// queue of the window's thread and never blocks. Sending on the window's own thread calls the handler
// directly; from another thread it blocks until the owner has handled it, and while it waits the blocked
// thread still handles messages sent to it, so two threads sending to each other do not deadlock.
// The queue locks only to take a message out; dispatch runs with no lock held.
#include <cstdint>
#include <functional>

#include "platform/types.h"

namespace TYX::Win {

constexpr UINT PM_NOREMOVE = 0;
constexpr UINT PM_REMOVE = 1;
constexpr UINT SMTO_NORMAL = 0x0;
constexpr UINT SMTO_BLOCK = 0x1;
constexpr UINT SMTO_ABORTIFHUNG = 0x2;
// A thread that has not looked at its queue for this long (real milliseconds) while not waiting in it
// counts as hung for SMTO_ABORTIFHUNG.
constexpr DWORD kHungThresholdMs = 5000;

using UINT_PTR = std::uintptr_t;

// Our own thread ids, small and never reused.
DWORD GetCurrentThreadId();

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessage(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Returns FALSE when the time-out passed, the target thread is hung (with SMTO_ABORTIFHUNG), the
// window is gone, or its thread ended before answering.
BOOL SendMessageTimeout(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeoutMs,
                        LRESULT* result);
// True while the current thread is handling a message sent from another thread.
BOOL InSendMessage();
// Changes the hung threshold (tests shorten it); returns the previous one.
DWORD SetHungThresholdMs(DWORD ms);

// Blocks until a message is there; returns FALSE for WM_QUIT (whose wParam is the exit code).
// Order of retrieval: sent messages are handled inside, then posted messages, the quit request,
// pending paints, then due timers.
BOOL GetMessage(MSG* msg, HWND filter = nullptr, UINT minMsg = 0, UINT maxMsg = 0);
BOOL PeekMessage(MSG* msg, HWND filter, UINT minMsg, UINT maxMsg, UINT removeFlag);
LRESULT DispatchMessage(const MSG* msg);
inline BOOL TranslateMessage(const MSG*) { return FALSE; }
// Waits until the queue has something to retrieve, or the time-out (real milliseconds) passes.
BOOL WaitMessage(DWORD timeoutMs = INFINITE);

// Handles everything that is pending now (sent, posted, paints, due timers) and returns how many
// messages were dispatched. A WM_QUIT found here is left in the queue.
int PumpMessages();
// Pumps and waits until done() is true; gives up after timeoutMs real milliseconds (a watchdog for
// tests and hosts) and returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// Timers deliver WM_TIMER (wParam the id) through the owner thread's loop, on the process clock.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

}  // namespace TYX::Win
