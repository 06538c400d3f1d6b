#pragma once
// Vocabulary of the skinned list control: the messages it sends its parent, its column records and the
// records of drags and drops.
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/toolkit_types.h"

namespace TYX::Controls {

// Messages to the parent. Unless said otherwise wParam is the row (-1 for none, as a WPARAM) and lParam
// the column (-1 for none). All are sent, so records passed by address live until the send returns.
constexpr UINT WM_LISTEX_BTNCLICK = 0x9488;      // left button click on a row or on the empty area
constexpr UINT WM_LISTEX_BTNDBLCLK = 0x9489;     // left button double click on a row
constexpr UINT WM_LISTEX_CHKBOXCLICK = 0x948A;   // check box of a row clicked (its state already flipped)
constexpr UINT WM_LISTEX_IMGCLICK = 0x948B;      // image of a cell clicked
constexpr UINT WM_LISTEX_ROWCLICK = 0x948C;      // the selection was set by a click or a key
constexpr UINT WM_LISTEX_COLCLICK = 0x948D;      // header clicked: wParam -1, lParam the column
constexpr UINT WM_LISTEX_ITEMDEL = 0x949C;       // Delete key: wParam the focus row, lParam the selected count
constexpr UINT WM_LISTEX_TRACKPOPUP = 0x94A6;    // context menu requested on a row or the empty area
constexpr UINT WM_LISTEX_REDRAWVISIBLE = 0x94B0; // the visible rows changed: wParam first, lParam last
constexpr UINT WM_LISTEX_FILEDRAG = 0x94B1;      // rows dragged out: wParam count, lParam TYX_ListDragInfo*
constexpr UINT WM_LISTEX_DROPLIST = 0x94C4;      // files dropped on the list: wParam count, lParam TYX_ListDropInfo*
constexpr UINT WM_LISTEX_DROPTREE = 0x94C5;      // rows dropped on the tree: wParam count, lParam TYX_ListDropInfo*
constexpr UINT WM_LISTEX_DROPDEVICE = 0x94C6;    // rows dropped on the device: wParam count, lParam TYX_ListDropInfo*

constexpr UINT kListNoKey = 0xFFFFFFFFu;

// Draw codes of a column: how its cells are drawn.
constexpr int kListDrawPlain = 0;
constexpr int kListDrawText = 1;
constexpr int kListDrawCheckBox = 8;   // number cell: 0 unchecked, 1 checked; image 0 is the box
constexpr int kListDrawTitle = 14;     // text with the now-playing mark: images 1 and 2 are marks 1 and 2
constexpr int kListDrawIcon = 15;      // number cell: icon index n shows image n-1, 0 shows nothing
constexpr int kListDrawNumber = 16;    // number cell drawn as a decimal over image 0

// Flag word of a cell: the cell carries the row's now-playing mark.
constexpr UINT kListCellShowsMark = 0x2;

struct TYX_ListColumnImage {
  UINT skinId = 0;
  int kind = 0;
};

// One column: kind (its type, see GetColTypeFromColIndex), flag (1 centred, 0 left-aligned), width,
// second width (the narrowest the column may be made), draw code, header title and images.
struct TYX_ListColumn {
  int kind = 0;
  int flag = 0;
  int width = 0;
  int secondWidth = 0;
  int drawCode = kListDrawText;
  std::string title;
  std::vector<TYX_ListColumnImage> images;
};

// Rows dragged out of the list.
struct TYX_ListDragInfo {
  HWND list = nullptr;
  std::vector<int> rows;   // in row order
  std::vector<UINT> keys;  // the keys of those rows
};

// A drop: files from outside onto the list (files, targetRow), or the list's selected rows onto the tree
// or the device (rows, keys, target, targetData).
struct TYX_ListDropInfo {
  HWND list = nullptr;
  std::vector<std::string> files;
  std::vector<int> rows;
  std::vector<UINT> keys;
  int targetRow = -1;
  HWND target = nullptr;
  std::uintptr_t targetData = 0;
};

enum class ListCellKind : std::uint8_t { Empty = 0, Text = 1, Number = 2 };

}  // namespace TYX::Controls
