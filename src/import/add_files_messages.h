#pragma once
// Progress messages of the add-files worker to its notify window. "Sent" ones (once per run or per
// folder) are delivered synchronously with a time-out; the per-file ones are posted, so the worker never
// waits for the window between files. A message that carries records has wParam (item)
// and/or lParam (info) set to a notice number; the receiver takes the copies from the worker with
// TYX_Library_AddFilesImpl::TakeNotice. Notices are copies, so the worker may go on at once.
#include "platform/types.h"

namespace TYX::Library {

// File-list mode.
constexpr Win::UINT WM_ADDFILES_START = 0x89FC;           // sent
constexpr Win::UINT WM_ADDFILES_COMPLETE = 0x89FD;        // posted
constexpr Win::UINT WM_ADDFILES_STOP = 0x89FE;            // posted
constexpr Win::UINT WM_ADDFILES_ERROR = 0x89FF;           // posted when the run failed
constexpr Win::UINT WM_ADDFILES_READDATA = 0x8A00;        // posted, item
constexpr Win::UINT WM_ADDFILES_ONEITEM_START = 0x8A01;   // posted
constexpr Win::UINT WM_ADDFILES_ONEITEM_END = 0x8A02;     // posted, item and info
// Folder-list mode.
constexpr Win::UINT WM_ADDFOLDERS_START = 0x8A06;         // sent
constexpr Win::UINT WM_ADDFOLDERS_COMPLETE = 0x8A07;      // posted
constexpr Win::UINT WM_ADDFOLDERS_STOP = 0x8A08;          // posted
constexpr Win::UINT WM_ADDFOLDERS_ERROR = 0x8A09;         // posted when the run failed
constexpr Win::UINT WM_ADDFOLDERS_READDATA = 0x8A0A;      // posted, item and info
constexpr Win::UINT WM_ADD_ONEITEM_START = 0x8A0B;        // posted, item
constexpr Win::UINT WM_ADD_ONEITEM_END = 0x8A0C;          // posted, item
constexpr Win::UINT WM_ADD_ONEFOLDER_START = 0x8A0D;      // sent, item and info
constexpr Win::UINT WM_ADD_ONEFOLDER_END = 0x8A0E;        // posted, item
constexpr Win::UINT WM_ADD_ONEFILE_START = 0x8A0F;        // posted, item and info
constexpr Win::UINT WM_ADD_ONEFILE_END = 0x8A10;          // posted, item and info

constexpr Win::UINT WM_ADDFILES_FIRST = WM_ADDFILES_START;
constexpr Win::UINT WM_ADDFILES_LAST = WM_ADD_ONEFILE_END;

// Sent messages give up after this long, or at once when the receiver is hung.
constexpr Win::UINT kAddFilesSendTimeoutMs = 1000;

}  // namespace TYX::Library
