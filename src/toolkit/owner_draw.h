#pragma once
// The records of owner-drawn items, as the desktop framework hands them to the owner window with
// WM_MEASUREITEM (lParam: MEASUREITEMSTRUCT*) and WM_DRAWITEM (lParam: DRAWITEMSTRUCT*). Both records
// belong to the sender and live until the send returns. The "device context" is a display list.
#include <cstdint>

#include "platform/display_list.h"
#include "toolkit/toolkit_types.h"

namespace TYX::Controls {

class TYX_Menu;

constexpr UINT ODT_MENU = 1;
constexpr UINT ODT_LISTBOX = 2;
constexpr UINT ODT_COMBOBOX = 3;
constexpr UINT ODT_BUTTON = 4;

constexpr UINT ODA_DRAWENTIRE = 0x0001;
constexpr UINT ODS_SELECTED = 0x0001;
constexpr UINT ODS_GRAYED = 0x0002;
constexpr UINT ODS_CHECKED = 0x0008;

struct MEASUREITEMSTRUCT {
  UINT CtlType = 0;
  UINT CtlID = 0;
  UINT itemID = 0;
  UINT itemWidth = 0;
  UINT itemHeight = 0;
  std::uintptr_t itemData = 0;  // for menus: the TYX_Menu::Item being measured
};

struct DRAWITEMSTRUCT {
  UINT CtlType = 0;
  UINT CtlID = 0;
  UINT itemID = 0;
  UINT itemAction = ODA_DRAWENTIRE;
  UINT itemState = 0;
  TYX_Menu* menu = nullptr;         // the menu of a menu item
  Win::DisplayList* dc = nullptr;   // where to draw
  Win::Rect rcItem;
  std::uintptr_t itemData = 0;      // for menus: the TYX_Menu::Item being drawn
};

// MENUCHAR answers: the high word of the result.
constexpr UINT MNC_IGNORE = 0;
constexpr UINT MNC_CLOSE = 1;
constexpr UINT MNC_EXECUTE = 2;
constexpr UINT MNC_SELECT = 3;

}  // namespace TYX::Controls
