#pragma once
// Dropped-file lists (HDROP): a process-wide table of file lists. Whoever makes a list hands it on with
// WM_DROPFILES; the receiver reads it and releases it with DragFinish. Safe from any thread.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/types.h"

namespace TYX::Win {

struct HDROP__;
using HDROP = HDROP__*;

// Makes a list of dropped files at a screen point. The receiver of WM_DROPFILES owns it and releases it
// with DragFinish.
HDROP DragCreateList(const std::vector<std::string>& files, Point screenPoint);
// The number of files (index 0xFFFFFFFF), else the file at the index or an empty text.
UINT DragQueryFileCount(HDROP drop);
std::string DragQueryFile(HDROP drop, UINT index);
// The drop point in the client coordinates of `target`; true when it lies in its client area.
bool DragQueryPoint(HDROP drop, HWND target, Point* clientPoint);
// Releases the list; a released or unknown handle is ignored.
void DragFinish(HDROP drop);
// True while the list has not been released (tests use it to check that every list is released).
bool DragIsAlive(HDROP drop);
// The number of lists not released yet.
std::size_t DragLiveCount();

}  // namespace TYX::Win
