#include "toolkit/menu_xp.h"

#include <cctype>
#include <mutex>
#include <set>

namespace TYX::Controls {

using namespace Win;

namespace {
std::mutex g_lookMutex;
std::set<HWND> g_lookOwners;  // guarded by g_lookMutex

const TYX_Menu::Item* ItemOf(std::uintptr_t data) { return reinterpret_cast<const TYX_Menu::Item*>(data); }

// The mnemonic character of a text, 0 when none.
char Mnemonic(const std::string& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 1])));
  }
  return 0;
}
}  // namespace

void TYX_MenuXP::SetXPLookNFeel(HWND owner, bool on) {
  std::lock_guard<std::mutex> lk(g_lookMutex);
  if (on)
    g_lookOwners.insert(owner);
  else
    g_lookOwners.erase(owner);
}

bool TYX_MenuXP::GetXPLookNFeel(HWND owner) {
  std::lock_guard<std::mutex> lk(g_lookMutex);
  return g_lookOwners.count(owner) != 0;
}

bool TYX_MenuXP::OnInitMenuPopup(HWND owner, TYX_Menu* menu) {
  if (!menu || !GetXPLookNFeel(owner)) return false;
  for (int i = 0; i < menu->GetMenuItemCount(); ++i) {
    // Only the owner-drawn bit changes; the other states stay as the menu's builder set them.
    menu->ModifyItemFlags(static_cast<UINT>(i), MF_BYPOSITION, 0, MF_OWNERDRAW);
  }
  return true;
}

std::string TYX_MenuXP::DisplayText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += text[i];
  }
  return out;
}

int TYX_MenuXP::TextWidth(const std::string& text) {
  int width = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if ((c & 0xC0) == 0x80) continue;  // continuation byte
    width += c < 0x80 ? 7 : 12;        // Latin and Hangul advance of the 12-pixel menu font
  }
  return width;
}

bool TYX_MenuXP::OnMeasureItem(MEASUREITEMSTRUCT* mis) {
  if (!mis || mis->CtlType != ODT_MENU || mis->itemData == 0) return false;
  const TYX_Menu::Item* item = ItemOf(mis->itemData);
  if (item->IsSeparator()) {
    mis->itemHeight = kSeparatorHeight;
    mis->itemWidth = kGutterWidth;
    return true;
  }
  mis->itemHeight = kItemHeight;
  mis->itemWidth = static_cast<UINT>(kGutterWidth + 8 + TextWidth(DisplayText(item->text)) + 20);
  return true;
}

bool TYX_MenuXP::OnDrawItem(DRAWITEMSTRUCT* dis) {
  if (!dis || dis->CtlType != ODT_MENU || dis->itemData == 0 || !dis->dc) return false;
  const TYX_Menu::Item* item = ItemOf(dis->itemData);
  DisplayList& dc = *dis->dc;
  const Rect rc = dis->rcItem;
  dc.FillRect(Rect{rc.left, rc.top, rc.left + kGutterWidth, rc.bottom}, kGutterColor);
  dc.FillRect(Rect{rc.left + kGutterWidth, rc.top, rc.right, rc.bottom},
              (dis->itemState & ODS_SELECTED) ? 0xF5E1D3 : 0xFFFFFF);
  if (item->IsSeparator()) {
    const int y = rc.top + rc.Height() / 2;
    dc.Line(Point{rc.left + kGutterWidth + 4, y}, Point{rc.right - 4, y}, kSeparatorColor);
    return true;
  }
  if (dis->itemState & ODS_CHECKED) dc.Image(kCheckImage, Rect{rc.left + 4, rc.top + 3, rc.left + 20, rc.top + 19});
  const bool grayed = (dis->itemState & ODS_GRAYED) != 0;
  dc.Text(Rect{rc.left + kGutterWidth + 8, rc.top, rc.right - 4, rc.bottom}, DisplayText(item->text), DefaultFont(),
          grayed ? kGrayedColor : kTextColor);
  return true;
}

LRESULT TYX_MenuXP::OnMenuChar(UINT ch, UINT flags, TYX_Menu* menu) {
  (void)flags;
  if (!menu || ch == 0 || ch > 0x7F) return 0;
  const char wanted = static_cast<char>(std::tolower(static_cast<int>(ch)));
  int first = -1;
  int matches = 0;
  const auto& items = menu->Items();
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].IsSeparator() || items[i].IsGrayed()) continue;
    if (Mnemonic(items[i].text) != wanted) continue;
    if (first < 0) first = static_cast<int>(i);
    ++matches;
  }
  if (matches == 0) return MAKELPARAM(0, MNC_IGNORE);
  return MAKELPARAM(static_cast<UINT>(first), matches == 1 ? MNC_EXECUTE : MNC_SELECT);
}

}  // namespace TYX::Controls
