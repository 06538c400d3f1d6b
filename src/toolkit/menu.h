#pragma once
// A popup menu built in code: items with a command, a text, greyed and checked states, separators and
// submenus. TrackPopupMenu shows it through the user agent: the owner first gets WM_INITMENUPOPUP and,
// when it has the owner-drawn look (TYX_MenuXP), WM_MEASUREITEM and WM_DRAWITEM for every item, as the
// desktop would send them; then the person chooses. A greyed item cannot be chosen.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/display_list.h"
#include "platform/user_agent.h"
#include "toolkit/toolkit_types.h"

namespace TYX::Controls {

// AppendMenu and EnableMenuItem flags.
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_OWNERDRAW = 0x0100;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT kMenuItemNotFound = 0xFFFFFFFFu;

// TrackPopupMenu flags.
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;
constexpr UINT TPM_NONOTIFY = 0x0080;
constexpr UINT TPM_RETURNCMD = 0x0100;

class TYX_Menu {
 public:
  struct Item {
    UINT id = 0;  // 0 for a separator
    std::string text;
    UINT flags = 0;  // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_SEPARATOR, MF_POPUP, MF_OWNERDRAW
    std::vector<Item> subItems;
    bool IsSeparator() const { return (flags & MF_SEPARATOR) != 0; }
    bool IsGrayed() const { return (flags & (MF_GRAYED | MF_DISABLED)) != 0; }
  };

  bool CreatePopupMenu();
  bool DestroyMenu();
  bool IsCreated() const { return created_; }

  // Refused (false) on a menu that was not created.
  bool AppendMenu(UINT flags, UINT id = 0, const std::string& text = {});
  bool AppendSubMenu(const std::string& text, const TYX_Menu& sub, UINT flags = 0);
  // Returns the previous MF_GRAYED/MF_DISABLED bits, or kMenuItemNotFound.
  UINT EnableMenuItem(UINT idOrPos, UINT flags);
  // Returns the previous MF_CHECKED bit, or kMenuItemNotFound.
  UINT CheckMenuItem(UINT idOrPos, UINT flags);
  UINT GetMenuState(UINT idOrPos, UINT flags) const;
  // Changes state bits of one item (MF_BYPOSITION in byFlags to address it by position).
  bool ModifyItemFlags(UINT idOrPos, UINT byFlags, UINT remove, UINT add);
  int GetMenuItemCount() const { return static_cast<int>(items_.size()); }
  // Command of the item at a position; 0 for a separator, kMenuItemNotFound past the end or for a submenu.
  UINT GetMenuItemID(int pos) const;
  std::string GetMenuString(UINT idOrPos, UINT flags) const;
  const std::vector<Item>& Items() const { return items_; }

  // Shows the menu at a screen point for the owner. With TPM_RETURNCMD it returns the chosen command
  // (0 when dismissed); otherwise the command is posted to the owner as WM_COMMAND and the result is
  // non-zero when an item was chosen. A dead owner or an uncreated menu gives 0 and shows nothing.
  UINT TrackPopupMenu(UINT flags, int x, int y, HWND owner);
  // What the owner drew for the items during the last TrackPopupMenu (empty without the owner-drawn look).
  const Win::DisplayList& GetLastDrawing() const { return lastDrawing_; }

  // The items as the user agent sees them.
  static std::vector<Win::MenuItem> ToAgentItems(const std::vector<Item>& items);

 private:
  Item* Find(UINT idOrPos, UINT flags);
  const Item* Find(UINT idOrPos, UINT flags) const;
  static const Item* FindCommand(const std::vector<Item>& items, UINT id);
  void OwnerDraw(HWND owner);

  bool created_ = false;  // owner thread, like every field below
  std::vector<Item> items_;
  Win::DisplayList lastDrawing_;
};

}  // namespace TYX::Controls
