#include "toolkit/menu.h"

#include <algorithm>
#include <cstdio>

#include "platform/messaging.h"
#include "platform/window.h"
#include "toolkit/owner_draw.h"

namespace TYX::Controls {

using namespace Win;

bool TYX_Menu::CreatePopupMenu() {
  if (created_) return false;
  created_ = true;
  items_.clear();
  return true;
}

bool TYX_Menu::DestroyMenu() {
  if (!created_) return false;
  created_ = false;
  items_.clear();
  lastDrawing_.Clear();
  return true;
}

bool TYX_Menu::AppendMenu(UINT flags, UINT id, const std::string& text) {
  if (!created_) return false;
  Item item;
  item.flags = flags & ~MF_POPUP;
  if (flags & MF_SEPARATOR) {
    item.id = 0;
  } else {
    item.id = id;
    item.text = text;
  }
  items_.push_back(std::move(item));
  return true;
}

bool TYX_Menu::AppendSubMenu(const std::string& text, const TYX_Menu& sub, UINT flags) {
  if (!created_ || !sub.created_) return false;
  Item item;
  item.flags = (flags | MF_POPUP) & ~MF_SEPARATOR;
  item.text = text;
  item.subItems = sub.items_;
  items_.push_back(std::move(item));
  return true;
}

TYX_Menu::Item* TYX_Menu::Find(UINT idOrPos, UINT flags) {
  return const_cast<Item*>(static_cast<const TYX_Menu*>(this)->Find(idOrPos, flags));
}

const TYX_Menu::Item* TYX_Menu::Find(UINT idOrPos, UINT flags) const {
  if (flags & MF_BYPOSITION) return idOrPos < items_.size() ? &items_[idOrPos] : nullptr;
  return FindCommand(items_, idOrPos);
}

const TYX_Menu::Item* TYX_Menu::FindCommand(const std::vector<Item>& items, UINT id) {
  for (const auto& item : items) {
    if (!item.IsSeparator() && !(item.flags & MF_POPUP) && item.id == id) return &item;
    if (const Item* inner = FindCommand(item.subItems, id)) return inner;
  }
  return nullptr;
}

UINT TYX_Menu::EnableMenuItem(UINT idOrPos, UINT flags) {
  Item* item = Find(idOrPos, flags);
  if (!item) return kMenuItemNotFound;
  const UINT previous = item->flags & (MF_GRAYED | MF_DISABLED);
  item->flags = (item->flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
  return previous;
}

UINT TYX_Menu::CheckMenuItem(UINT idOrPos, UINT flags) {
  Item* item = Find(idOrPos, flags);
  if (!item) return kMenuItemNotFound;
  const UINT previous = item->flags & MF_CHECKED;
  item->flags = (item->flags & ~MF_CHECKED) | (flags & MF_CHECKED);
  return previous;
}

UINT TYX_Menu::GetMenuState(UINT idOrPos, UINT flags) const {
  const Item* item = Find(idOrPos, flags);
  return item ? item->flags : kMenuItemNotFound;
}

bool TYX_Menu::ModifyItemFlags(UINT idOrPos, UINT byFlags, UINT remove, UINT add) {
  Item* item = Find(idOrPos, byFlags);
  if (!item) return false;
  item->flags = (item->flags & ~remove) | add;
  return true;
}

UINT TYX_Menu::GetMenuItemID(int pos) const {
  if (pos < 0 || pos >= GetMenuItemCount()) return kMenuItemNotFound;
  const Item& item = items_[static_cast<size_t>(pos)];
  if (item.flags & MF_POPUP) return kMenuItemNotFound;
  return item.id;
}

std::string TYX_Menu::GetMenuString(UINT idOrPos, UINT flags) const {
  const Item* item = Find(idOrPos, flags);
  return item ? item->text : std::string();
}

std::vector<MenuItem> TYX_Menu::ToAgentItems(const std::vector<Item>& items) {
  std::vector<MenuItem> out;
  out.reserve(items.size());
  for (const auto& item : items) {
    MenuItem m;
    m.command = item.IsSeparator() || (item.flags & MF_POPUP) ? 0 : item.id;
    m.text = item.text;
    m.grayed = item.IsGrayed();
    m.checked = (item.flags & MF_CHECKED) != 0;
    m.subItems = ToAgentItems(item.subItems);
    out.push_back(std::move(m));
  }
  return out;
}

void TYX_Menu::OwnerDraw(HWND owner) {
  lastDrawing_.Clear();
  struct Measured {
    Item* item;
    UINT width;
    UINT height;
  };
  std::vector<Measured> measured;
  for (auto& item : items_) {
    if (!(item.flags & MF_OWNERDRAW)) continue;
    MEASUREITEMSTRUCT mis;
    mis.CtlType = ODT_MENU;
    mis.itemID = item.id;
    mis.itemData = reinterpret_cast<std::uintptr_t>(&item);
    if (!IsWindow(owner)) return;
    TYX::Win::SendMessage(owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
    measured.push_back({&item, mis.itemWidth, mis.itemHeight});
  }
  UINT width = 0;
  for (auto& m : measured) width = std::max(width, m.width);
  int y = 0;
  for (auto& m : measured) {
    DRAWITEMSTRUCT dis;
    dis.CtlType = ODT_MENU;
    dis.itemID = m.item->id;
    dis.itemState = (m.item->IsGrayed() ? ODS_GRAYED : 0) | ((m.item->flags & MF_CHECKED) ? ODS_CHECKED : 0);
    dis.menu = this;
    dis.dc = &lastDrawing_;
    dis.rcItem = Rect{0, y, static_cast<int>(width), y + static_cast<int>(m.height)};
    dis.itemData = reinterpret_cast<std::uintptr_t>(m.item);
    if (!IsWindow(owner)) return;
    TYX::Win::SendMessage(owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
    y += static_cast<int>(m.height);
  }
}

UINT TYX_Menu::TrackPopupMenu(UINT flags, int x, int y, HWND owner) {
  if (!created_ || !IsWindow(owner)) return 0;
  TYX::Win::SendMessage(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(this), 0);
  OwnerDraw(owner);
  PopupMenuRequest request;
  request.owner = owner;
  request.screenPoint = Point{x, y};
  request.items = ToAgentItems(items_);
  UINT command = GetUserAgent()->ChoosePopupMenu(request);
  if (command != 0) {
    const Item* item = FindCommand(items_, command);
    if (!item || item->IsGrayed()) {
      std::fprintf(stderr, "TYX_Menu: command %u is not a choosable item of the menu; taken as dismissed\n", command);
      command = 0;
    }
  }
  if (flags & TPM_RETURNCMD) return command;
  if (command != 0 && IsWindow(owner)) TYX::Win::PostMessage(owner, WM_COMMAND, MAKEWPARAM(command, 0), 0);
  return command != 0 ? 1 : 0;
}

}  // namespace TYX::Controls
