// The panel's context menus and the add menu: which items each list type offers, which are greyed,
// and where a chosen command goes.
#include <algorithm>

#include "library/library_panel.h"
#include "library/panel_commands.h"
#include "toolkit/menu.h"

namespace TYX::Library {

namespace {

constexpr char kListen[] = "듣기";
constexpr char kDelete[] = "삭제";
constexpr char kSend[] = "전송";
constexpr char kAddFiles[] = "파일추가";
constexpr char kAddFolder[] = "폴더추가";

std::vector<TYX_PanelMenuItem> AddItems() {
  return {{kCmdMenuAddFiles, kAddFiles, false}, {kCmdMenuAddFolder, kAddFolder, false}};
}

}  // namespace

std::vector<TYX_PanelMenuItem> TYX_PanelCommands::MenuItemsOf(int type) const {
  TYX_LibraryPanel& panel = Panel();
  const bool selected = panel.GetSelectedMediaCount() > 0;
  // Only asked when there is a selection: with none, IsAllDimmedSelectedItems answers true.
  const bool dimmed = selected && panel.IsAllDimmedSelectedItems();
  switch (type) {
    case kNowPlaying:
      if (!selected) return AddItems();
      return {{kCmdFileListen, kListen, dimmed}, {kCmdFileDelete, kDelete, false}};
    case kRecentlyPlayed:
      if (!selected) return {};
      return {{kCmdFileListen, kListen, dimmed}};
    case kSyncList:
    case kTransferred: {
      if (!selected) return type == kSyncList ? AddItems() : std::vector<TYX_PanelMenuItem>{};
      const bool noDevice = IsDeviceConnected() == 0;
      return {{kCmdFileListen, kListen, dimmed}, {kCmdTransferDevice, kSend, dimmed || noDevice},
              {kCmdFileDelete, kDelete, false}};
    }
    default:
      return {};
  }
}

bool TYX_PanelCommands::PopMenu() {
  switch (Panel().GetCurrentListType()) {
    case kNowPlaying: return PopMenu_NowPlaying();
    case kRecentlyPlayed: return PopMenu_OldNowPlaying();
    case kSyncList: return PopMenu_Synclist();
    case kTransferred: return PopMenu_WebDownload();
    default: return false;
  }
}

bool TYX_PanelCommands::PopMenu_NowPlaying() {
  TrackAndDispatch(MenuItemsOf(kNowPlaying), MenuPoint());
  return true;
}

bool TYX_PanelCommands::PopMenu_OldNowPlaying() {
  TrackAndDispatch(MenuItemsOf(kRecentlyPlayed), MenuPoint());
  return true;
}

bool TYX_PanelCommands::PopMenu_Synclist() {
  if (Panel().GetCurrentListType() != kSyncList) return false;
  TrackAndDispatch(MenuItemsOf(kSyncList), MenuPoint());
  return true;
}

bool TYX_PanelCommands::PopMenu_WebDownload() {
  TrackAndDispatch(MenuItemsOf(kTransferred), MenuPoint());
  return true;
}

void TYX_PanelCommands::PopMenu_Add() {
  // Under the add button that was pressed (buttons 4 and 6 both send the command).
  Win::Point point = MenuPoint();
  for (int button : {4, 6}) {
    Win::Window* w = Panel().GetToolbarButton(button);
    if (w != nullptr && w->IsAlive() && w->IsWindowVisible()) {
      const Win::Rect r = w->GetWindowRect();
      point = Win::Point{r.left, r.bottom};
      break;
    }
  }
  TrackAndDispatch(AddItems(), point);
}

Win::Point TYX_PanelCommands::MenuPoint() const {
  // There is no pointer: the menu opens over the row asked about, else at the list's top left.
  TYX_LibraryPanel::ListCtrl* list = Panel().GetCurrentListCtrl();
  if (list == nullptr || !list->IsAlive()) {
    const Win::Rect panelRect = Panel().GetWindowRect();
    return Win::Point{panelRect.left, panelRect.top};
  }
  const Win::Rect r = list->GetWindowRect();
  int y = r.top + list->GetHeaderHeight();
  if (popupRow_ >= 0) y += (popupRow_ - list->GetTopIndex()) * list->GetRowHeight() + list->GetRowHeight() / 2;
  return Win::Point{r.left + 20, std::min(std::max(y, r.top), r.bottom)};
}

void TYX_PanelCommands::TrackAndDispatch(const std::vector<TYX_PanelMenuItem>& items, Win::Point point) {
  // An empty menu shows nothing, as on the desktop.
  if (items.empty()) return;
  Controls::TYX_Menu menu;
  if (!menu.CreatePopupMenu()) return;
  for (const TYX_PanelMenuItem& item : items) {
    menu.AppendMenu(Controls::MF_STRING | (item.grayed ? Controls::MF_GRAYED : 0), item.command, item.text);
  }
  const Win::UINT command = menu.TrackPopupMenu(Controls::TPM_LEFTALIGN | Controls::TPM_RIGHTBUTTON |
                                                    Controls::TPM_RETURNCMD,
                                                point.x, point.y, Panel().GetSafeHwnd());
  menu.DestroyMenu();
  DispatchMenuCommand(command);
}

void TYX_PanelCommands::DispatchMenuCommand(Win::UINT command) {
  TYX_LibraryPanel& panel = Panel();
  switch (command) {
    case kCmdTransferDevice:
    case kCmdFileDelete:
    case kCmdFileListen:
      panel.PostMessage(Win::WM_COMMAND, Win::MAKEWPARAM(command, 0), 0);
      break;
    case kCmdMenuAddFiles:
    case kCmdMenuAddFolder: {
      const Win::HWND main = panel.GetMainWnd() != nullptr ? panel.GetMainWnd() : Win::GetMainWindow();
      if (main == nullptr) break;
      const Win::UINT target = command == kCmdMenuAddFiles ? kCmdMainAddFiles : kCmdMainAddFolder;
      Win::SendMessage(main, Win::WM_COMMAND, Win::MAKEWPARAM(target, 0), 0);
      break;
    }
    default:
      break;
  }
}

}  // namespace TYX::Library
