#pragma once
// The sidebar's message numbers and the drop record that travels with a drop notification.
#include <string>

#include "platform/types.h"
#include "toolkit/tree_ctrl.h"

namespace TYX::Library {

// tree control -> tree window (wParam 0), tree window -> band window (wParam its control ID); posted.
// lParam: the node's item data.
constexpr Win::UINT WM_BAND_SELECTITEM = 0x8AC5;
// band window -> parent, posted. wParam: band + 16 for a band, band + 32 for a node; lParam: 0 for a
// band, the node's item data for a node.
constexpr Win::UINT WM_BAND_SELCHANGED = 0x8AC6;
// band button -> band window, posted. wParam: the button's control ID; lParam: the HDROP.
constexpr Win::UINT WM_BAND_BUTTON_DROPFILES = 0x8AC7;
// tree control -> tree window -> band window, sent. wParam 0; lParam: _DropTarget*.
constexpr Win::UINT WM_BAND_TREE_DROPFILES = 0x8AC8;
// tree control -> tree window -> band window -> parent, sent. wParam: const Win::Point* (screen point);
// lParam: const char* page ID of the clicked node. Both live until the send returns.
constexpr Win::UINT WM_BAND_POPUPMENU = 0x88DA;
// tree control -> its parent, posted. wParam: const char* page ID that stays valid for the process.
constexpr Win::UINT WM_BAND_SELECTPAGE = 0x88D0;
// band window -> parent, sent. wParam 0; lParam: _DropTarget*.
constexpr Win::UINT WM_BAND_DROPFILES = 0x94C8;
// Messages the band window passes to its parent unchanged, by a send.
constexpr Win::UINT WM_BAND_FORWARD_FIRST = 11124;
constexpr Win::UINT WM_BAND_FORWARD_LAST = 11127;

// The drop record: the dropped-file list and the target page ID. Its creator allocates it and frees it
// (and releases the list) once the synchronous notification has returned; receivers only read it.
struct _DropTarget {
  Controls::HDROP hDrop = nullptr;
  std::string pageId;
};

}  // namespace TYX::Library
