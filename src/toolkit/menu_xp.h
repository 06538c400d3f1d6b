#pragma once
// The owner-drawn look of popup menus. An owner window that asked for the look gets its menus' items
// turned owner-drawn when they open (OnInitMenuPopup), and hands WM_MEASUREITEM, WM_DRAWITEM and
// WM_MENUCHAR to the functions below; they answer for menu items only and report false (or 0) for
// anything else, which then goes to the default handling.
#include "toolkit/menu.h"
#include "toolkit/owner_draw.h"
#include "toolkit/toolkit_types.h"

namespace TYX::Controls {

class TYX_MenuXP {
 public:
  static constexpr int kItemHeight = 22;
  static constexpr int kSeparatorHeight = 5;
  static constexpr int kGutterWidth = 24;
  static constexpr UINT kCheckImage = 20530;
  static constexpr COLORREF kTextColor = 0x4C4C4C;
  static constexpr COLORREF kGrayedColor = 0xADADAD;
  static constexpr COLORREF kGutterColor = 0xF0E8E4;
  static constexpr COLORREF kSeparatorColor = 0xCECAC8;

  // Safe from any thread; the look is kept per owner window.
  static void SetXPLookNFeel(HWND owner, bool on = true);
  static bool GetXPLookNFeel(HWND owner);

  // Makes every item of the menu owner-drawn when the owner has the look; returns whether it did.
  static bool OnInitMenuPopup(HWND owner, TYX_Menu* menu);
  static bool OnMeasureItem(MEASUREITEMSTRUCT* mis);
  static bool OnDrawItem(DRAWITEMSTRUCT* dis);
  // A typed character against the menu's mnemonics ("&x"): one match executes it, several select the
  // first, none is ignored. The result packs the item position and the MNC_ answer.
  static LRESULT OnMenuChar(UINT ch, UINT flags, TYX_Menu* menu);

  // The text as drawn: mnemonic markers removed ("&&" stays one '&').
  static std::string DisplayText(const std::string& text);
  // Width in pixels of a text in the menu font.
  static int TextWidth(const std::string& text);
};

}  // namespace TYX::Controls
