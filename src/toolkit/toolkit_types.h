#pragma once
// Shared vocabulary of the skinned controls: message numbers, button and progress-bar messages, and the
// owner-draw records the desktop framework hands to a menu's owner.
#include <cstdint>

#include "platform/display_list.h"
#include "platform/types.h"

namespace TYX::Controls {

using Win::BOOL;
using Win::COLORREF;
using Win::HWND;
using Win::LPARAM;
using Win::LRESULT;
using Win::UINT;
using Win::WPARAM;

// Button messages.
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BM_CLICK = 0x00F5;
constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;

// Progress-bar messages.
constexpr UINT PBM_SETRANGE = Win::WM_USER + 1;
constexpr UINT PBM_SETPOS = Win::WM_USER + 2;
constexpr UINT PBM_DELTAPOS = Win::WM_USER + 3;
constexpr UINT PBM_SETSTEP = Win::WM_USER + 4;
constexpr UINT PBM_STEPIT = Win::WM_USER + 5;
constexpr UINT PBM_SETRANGE32 = Win::WM_USER + 6;
constexpr UINT PBM_GETRANGE = Win::WM_USER + 7;
constexpr UINT PBM_GETPOS = Win::WM_USER + 8;

// Combo-box messages.
constexpr UINT CB_ADDSTRING = 0x0143;
constexpr UINT CB_DELETESTRING = 0x0144;
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_RESETCONTENT = 0x014B;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr int CB_ERR = -1;

// Edit messages.
constexpr UINT EM_LIMITTEXT = 0x00C5;

// Mouse-message key state (wParam of WM_LBUTTONDOWN and friends).
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;

// Mouse position packed in lParam, signed 16-bit halves.
inline Win::Point PointFromLParam(LPARAM l) {
  return Win::Point{static_cast<std::int16_t>(l & 0xFFFF), static_cast<std::int16_t>((l >> 16) & 0xFFFF)};
}
inline LPARAM PointToLParam(Win::Point p) {
  return Win::MAKELPARAM(static_cast<UINT>(p.x) & 0xFFFF, static_cast<UINT>(p.y) & 0xFFFF);
}

// Text alignment inside a control's box.
enum class Align { Left, Center, Right };

// The default type of the skinned controls.
inline Win::Font DefaultFont(int height = 12, bool bold = false) { return Win::Font{"돋움", height, bold}; }

}  // namespace TYX::Controls
