#include "toolkit/combo_box.h"

namespace TYX::Controls {

using namespace Win;

TYX_ComboBox::TYX_ComboBox() {
  OnMessage(CB_ADDSTRING, [this](WPARAM, LPARAM l) -> LRESULT {
    return l ? AddString(reinterpret_cast<const char*>(l)) : CB_ERR;
  });
  OnMessage(CB_DELETESTRING, [this](WPARAM w, LPARAM) -> LRESULT { return DeleteString(static_cast<int>(w)); });
  OnMessage(CB_GETCOUNT, [this](WPARAM, LPARAM) -> LRESULT { return GetCount(); });
  OnMessage(CB_GETCURSEL, [this](WPARAM, LPARAM) -> LRESULT { return cur_; });
  OnMessage(CB_SETCURSEL, [this](WPARAM w, LPARAM) -> LRESULT {
    return SetCurSel(static_cast<int>(static_cast<LPARAM>(w)));
  });
  OnMessage(CB_RESETCONTENT, [this](WPARAM, LPARAM) -> LRESULT {
    ResetContent();
    return 0;
  });
}

bool TYX_ComboBox::CreateCombo(HWND parent, const Rect& rect, UINT id, DWORD style) {
  return Create(parent, rect, style, id);
}

int TYX_ComboBox::AddString(const std::string& text) {
  items_.push_back(Item{text, 0});
  Invalidate();
  return static_cast<int>(items_.size()) - 1;
}

int TYX_ComboBox::InsertString(int index, const std::string& text) {
  if (index == -1) return AddString(text);
  if (index < 0 || index > GetCount()) return CB_ERR;
  items_.insert(items_.begin() + index, Item{text, 0});
  if (cur_ >= index) ++cur_;
  Invalidate();
  return index;
}

int TYX_ComboBox::DeleteString(int index) {
  if (index < 0 || index >= GetCount()) return CB_ERR;
  items_.erase(items_.begin() + index);
  if (cur_ == index)
    cur_ = -1;
  else if (cur_ > index)
    --cur_;
  Invalidate();
  return GetCount();
}

void TYX_ComboBox::ResetContent() {
  items_.clear();
  cur_ = -1;
  Invalidate();
}

std::string TYX_ComboBox::GetLBText(int index) const {
  if (index < 0 || index >= GetCount()) return {};
  return items_[static_cast<size_t>(index)].text;
}

int TYX_ComboBox::FindStringExact(const std::string& text) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].text == text) return static_cast<int>(i);
  return CB_ERR;
}

bool TYX_ComboBox::SetItemData(int index, std::uintptr_t data) {
  if (index < 0 || index >= GetCount()) return false;
  items_[static_cast<size_t>(index)].data = data;
  return true;
}

std::uintptr_t TYX_ComboBox::GetItemData(int index) const {
  if (index < 0 || index >= GetCount()) return 0;
  return items_[static_cast<size_t>(index)].data;
}

int TYX_ComboBox::SetCurSel(int index) {
  const int wanted = (index >= 0 && index < GetCount()) ? index : -1;
  if (wanted != cur_) {
    cur_ = wanted;
    Invalidate();
  }
  return wanted == -1 ? CB_ERR : wanted;
}

bool TYX_ComboBox::SelectItem(int index) {
  if (!IsAlive() || !IsWindowVisible() || !IsWindowEnabled()) return false;
  if (index < 0 || index >= GetCount()) return false;
  if (index == cur_) return true;  // choosing the shown item changes nothing
  SetCurSel(index);
  HWND self = GetSafeHwnd();
  if (HWND parent = GetParent())
    TYX::Win::SendMessage(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), CBN_SELCHANGE), reinterpret_cast<LPARAM>(self));
  return true;
}

bool TYX_ComboBox::SelectItemByText(const std::string& text) {
  const int index = FindStringExact(text);
  return index != CB_ERR && SelectItem(index);
}

void TYX_ComboBox::PaintContent(DisplayList& dc) {
  const Rect rc = GetClientRect();
  dc.FillRect(rc, IsWindowEnabled() ? 0xFFFFFF : 0xF0F0F0);
  Rect text = rc;
  text.left += 3;
  text.right -= 16;
  if (cur_ >= 0) dc.Text(text, items_[static_cast<size_t>(cur_)].text, DefaultFont(), 0x4C4C4C);
  // The drop-down arrow area, with its arrow, and a frame around the whole box.
  dc.FillRect(Rect{rc.right - 16, rc.top, rc.right, rc.bottom}, 0xECE1E6);
  const int cx = rc.right - 8, cy = (rc.top + rc.bottom) / 2 - 1;
  const COLORREF arrow = IsWindowEnabled() ? 0x50313B : 0xA0A0A0;
  for (int row = 0; row < 4; ++row) dc.Line(Point{cx - 3 + row, cy + row}, Point{cx + 4 - row, cy + row}, arrow);
  const COLORREF frame = 0xC8AFB9;
  dc.Line(Point{rc.left, rc.top}, Point{rc.right - 1, rc.top}, frame);
  dc.Line(Point{rc.left, rc.bottom - 1}, Point{rc.right - 1, rc.bottom - 1}, frame);
  dc.Line(Point{rc.left, rc.top}, Point{rc.left, rc.bottom - 1}, frame);
  dc.Line(Point{rc.right - 1, rc.top}, Point{rc.right - 1, rc.bottom - 1}, frame);
  dc.Line(Point{rc.right - 16, rc.top}, Point{rc.right - 16, rc.bottom - 1}, frame);
}

}  // namespace TYX::Controls
