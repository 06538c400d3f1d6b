// The list control's view (scrolling, hit testing) and what a person does to it.
#include <algorithm>

#include "toolkit/list_ctrl_ex.h"

namespace TYX::Controls {

using namespace Win;

namespace {
constexpr WPARAM kNoRow = static_cast<WPARAM>(-1);
WPARAM RowParam(int row) { return row < 0 ? kNoRow : static_cast<WPARAM>(row); }
LPARAM ColParam(int col) { return col < 0 ? -1 : static_cast<LPARAM>(col); }
}  // namespace

TYX_ListCtrlEx::TYX_ListCtrlEx() {
  OnMessage(WM_LBUTTONDOWN, [this](WPARAM w, LPARAM l) -> LRESULT {
    const HitInfo hit = HitTest(PointFromLParam(l));
    switch (hit.part) {
      case HitInfo::Part::Header: ClickColumnHeader(hit.col); break;
      case HitInfo::Part::CheckBox: ClickCheckBox(hit.row); break;
      case HitInfo::Part::Image: ClickImage(hit.row, hit.col); break;
      default: ClickRow(hit.row, hit.col, w); break;
    }
    return 0;
  });
  OnMessage(WM_LBUTTONDBLCLK, [this](WPARAM, LPARAM l) -> LRESULT {
    // The first click of the pair already came as WM_LBUTTONDOWN.
    const HitInfo hit = HitTest(PointFromLParam(l));
    if ((hit.part == HitInfo::Part::Cell || hit.part == HitInfo::Part::Image) && PersonMayAct())
      Notify(WM_LISTEX_BTNDBLCLK, RowParam(hit.row), ColParam(hit.col));
    return 0;
  });
  OnMessage(WM_RBUTTONUP, [this](WPARAM, LPARAM l) -> LRESULT {
    const HitInfo hit = HitTest(PointFromLParam(l));
    if (hit.part != HitInfo::Part::Header) RightClick(hit.row, hit.col);
    return 0;
  });
  OnMessage(WM_KEYDOWN, [this](WPARAM w, LPARAM) -> LRESULT {
    PressKey(static_cast<UINT>(w));
    return 0;
  });
  OnMessage(WM_SIZE, [this](WPARAM, LPARAM) -> LRESULT {
    topIndex_ = ClampTop(topIndex_);
    return 0;
  });
}

// ---- View ----

int TYX_ListCtrlEx::GetCountPerPage() const {
  const int body = GetClientRect().Height() - headerHeight_;
  return std::max(1, body / std::max(1, rowHeight_));
}

int TYX_ListCtrlEx::ClampTop(int top) const {
  const int maxTop = std::max(0, GetItemCount() - GetCountPerPage());
  return std::clamp(top, 0, maxTop);
}

void TYX_ListCtrlEx::NotifyVisibleRows() {
  const int last = std::min(GetItemCount(), topIndex_ + GetCountPerPage()) - 1;
  Notify(WM_LISTEX_REDRAWVISIBLE, RowParam(topIndex_), static_cast<LPARAM>(last));
}

bool TYX_ListCtrlEx::SetTopIndex(int row) {
  if (!ValidRow(row)) return false;
  const int top = ClampTop(row);
  if (top != topIndex_) {
    topIndex_ = top;
    Invalidate();
    NotifyVisibleRows();
  }
  return true;
}

bool TYX_ListCtrlEx::EnsureVisible(int row, BOOL partialOk) {
  (void)partialOk;  // rows are whole in this list: a row is either in view or not
  if (!ValidRow(row)) return false;
  const int perPage = GetCountPerPage();
  int top = topIndex_;
  if (row < top)
    top = row;
  else if (row >= top + perPage)
    top = row - perPage + 1;
  top = ClampTop(top);
  if (top != topIndex_) {
    topIndex_ = top;
    Invalidate();
    NotifyVisibleRows();
  }
  return true;
}

Rect TYX_ListCtrlEx::GetColumnRect(int col) const {
  int x = 0;
  for (int c = 0; c < GetColumnCount(); ++c) {
    const int w = columns_[static_cast<size_t>(c)].width;
    if (c == col) return Rect{x, 0, x + w, GetClientRect().bottom};
    x += w;
  }
  return Rect{};
}

TYX_ListCtrlEx::HitInfo TYX_ListCtrlEx::HitTest(Point p) const {
  HitInfo hit;
  const Rect client = GetClientRect();
  if (!client.Contains(p)) return hit;
  int x = 0;
  for (int c = 0; c < GetColumnCount(); ++c) {
    const int w = columns_[static_cast<size_t>(c)].width;
    if (p.x >= x && p.x < x + w) {
      hit.col = c;
      break;
    }
    x += w;
  }
  if (p.y < headerHeight_) {
    hit.part = hit.col >= 0 ? HitInfo::Part::Header : HitInfo::Part::Nowhere;
    return hit;
  }
  const int row = topIndex_ + (p.y - headerHeight_) / std::max(1, rowHeight_);
  if (!ValidRow(row) || hit.col < 0) {
    hit.row = ValidRow(row) ? row : -1;
    hit.part = HitInfo::Part::Nowhere;
    return hit;
  }
  hit.row = row;
  const TYX_ListColumn& column = columns_[static_cast<size_t>(hit.col)];
  if (column.drawCode == kListDrawCheckBox)
    hit.part = HitInfo::Part::CheckBox;
  else if (column.drawCode == kListDrawIcon && GetCellNumber(row, hit.col) > 0)
    hit.part = HitInfo::Part::Image;
  else
    hit.part = HitInfo::Part::Cell;
  return hit;
}

// ---- Person ----

bool TYX_ListCtrlEx::PersonMayAct() const { return IsAlive() && IsWindowVisible() && IsWindowEnabled(); }

bool TYX_ListCtrlEx::Notify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  HWND self = GetSafeHwnd();
  HWND parent = GetParent();
  LRESULT r = 0;
  if (parent) r = TYX::Win::SendMessage(parent, msg, wParam, lParam);
  if (result) *result = r;
  return IsWindow(self) != FALSE;
}

void TYX_ListCtrlEx::SelectByClick(int row, WPARAM modifiers) {
  const bool ctrl = (modifiers & MK_CONTROL) != 0;
  const bool shift = (modifiers & MK_SHIFT) != 0;
  if (shift && ValidRow(anchorRow_)) {
    if (!ctrl) ClearSelection();
    SelectRange(anchorRow_, row);
  } else if (ctrl) {
    Select(row, !rows_[static_cast<size_t>(row)].selected);
    anchorRow_ = row;
  } else {
    ClearSelection();
    Select(row, true);
    anchorRow_ = row;
  }
  focusRow_ = row;
  Invalidate();
}

bool TYX_ListCtrlEx::ClickRow(int row, int col, WPARAM modifiers) {
  if (!PersonMayAct()) return false;
  if (col >= GetColumnCount()) return false;
  if (ValidRow(row) && col >= 0 && columns_[static_cast<size_t>(col)].drawCode == kListDrawCheckBox)
    return ClickCheckBox(row);
  if (ValidRow(row)) {
    SelectByClick(row, modifiers);
  } else {
    // A click below the rows clears the selection, as on the desktop, unless Ctrl is held.
    row = -1;
    if (!(modifiers & MK_CONTROL) && selectedCount_ > 0) {
      ClearSelection();
      Invalidate();
    }
  }
  if (!Notify(WM_LISTEX_BTNCLICK, RowParam(row), ColParam(col))) return true;
  if (!Notify(WM_LISTEX_ROWCLICK, RowParam(row), ColParam(col))) return true;
  if (ValidRow(row) && col >= 0 && columns_[static_cast<size_t>(col)].drawCode == kListDrawIcon &&
      GetCellNumber(row, col) > 0)
    Notify(WM_LISTEX_IMGCLICK, RowParam(row), ColParam(col));
  return true;
}

bool TYX_ListCtrlEx::DoubleClickRow(int row, int col) {
  if (!PersonMayAct() || !ValidRow(row) || col >= GetColumnCount()) return false;
  if (col >= 0 && columns_[static_cast<size_t>(col)].drawCode == kListDrawCheckBox) {
    // Two clicks on a check box flip it twice.
    ClickCheckBox(row);
    return ClickCheckBox(row);
  }
  HWND self = GetSafeHwnd();
  ClickRow(row, col);
  if (!IsWindow(self)) return true;
  Notify(WM_LISTEX_BTNDBLCLK, RowParam(row), ColParam(col));
  return true;
}

bool TYX_ListCtrlEx::ClickCheckBox(int row) {
  const int col = GetCheckColumn();
  if (!PersonMayAct() || col < 0 || !ValidRow(row)) return false;
  SetCheck(row, !GetCheck(row));
  Notify(WM_LISTEX_CHKBOXCLICK, RowParam(row), ColParam(col));
  return true;
}

bool TYX_ListCtrlEx::ClickImage(int row, int col) {
  if (!ValidCell(row, col) || columns_[static_cast<size_t>(col)].drawCode != kListDrawIcon ||
      GetCellNumber(row, col) <= 0)
    return false;
  return ClickRow(row, col);
}

bool TYX_ListCtrlEx::ClickColumnHeader(int col) {
  if (!PersonMayAct() || col < 0 || col >= GetColumnCount()) return false;
  Notify(WM_LISTEX_COLCLICK, kNoRow, ColParam(col));
  return true;
}

bool TYX_ListCtrlEx::PressDelete() {
  if (!PersonMayAct()) return false;
  Notify(WM_LISTEX_ITEMDEL, RowParam(focusRow_), static_cast<LPARAM>(selectedCount_));
  return true;
}

bool TYX_ListCtrlEx::PressKey(UINT key, WPARAM modifiers) {
  if (!PersonMayAct()) return false;
  if (key == VK_DELETE) return PressDelete();
  if (key != VK_UP && key != VK_DOWN) return false;
  if (GetItemCount() == 0) return false;
  int row = focusRow_ < 0 ? 0 : focusRow_ + (key == VK_DOWN ? 1 : -1);
  row = std::clamp(row, 0, GetItemCount() - 1);
  SelectByClick(row, modifiers & MK_SHIFT);
  EnsureVisible(row);
  Notify(WM_LISTEX_ROWCLICK, RowParam(row), -1);
  return true;
}

bool TYX_ListCtrlEx::RightClick(int row, int col) {
  if (!PersonMayAct() || col >= GetColumnCount()) return false;
  if (ValidRow(row)) {
    // A right click on a row outside the selection selects that row alone.
    if (!IsSelected(row)) SelectByClick(row, 0);
    focusRow_ = row;
  } else {
    row = -1;
    if (selectedCount_ > 0) {
      ClearSelection();
      Invalidate();
    }
  }
  Notify(WM_LISTEX_TRACKPOPUP, RowParam(row), ColParam(col));
  return true;
}

bool TYX_ListCtrlEx::DragFilesOut(LRESULT* result) {
  if (!PersonMayAct() || selectedCount_ == 0) return false;
  TYX_ListDragInfo info;
  info.list = GetSafeHwnd();
  GetSelectedRows(info.rows);
  for (int r : info.rows) info.keys.push_back(GetFieldKey(r));
  Notify(WM_LISTEX_FILEDRAG, info.rows.size(), RecordToLParam(&info), result);
  return true;
}

bool TYX_ListCtrlEx::DropFiles(const std::vector<std::string>& files, int targetRow, LRESULT* result) {
  if (!PersonMayAct() || files.empty()) return false;
  TYX_ListDropInfo info;
  info.list = GetSafeHwnd();
  info.files = files;
  info.targetRow = ValidRow(targetRow) ? targetRow : -1;
  Notify(WM_LISTEX_DROPLIST, info.files.size(), RecordToLParam(&info), result);
  return true;
}

bool TYX_ListCtrlEx::DropSelection(UINT msg, HWND target, std::uintptr_t targetData, LRESULT* result) {
  if (!PersonMayAct() || selectedCount_ == 0) return false;
  TYX_ListDropInfo info;
  info.list = GetSafeHwnd();
  GetSelectedRows(info.rows);
  for (int r : info.rows) info.keys.push_back(GetFieldKey(r));
  info.target = target;
  info.targetData = targetData;
  Notify(msg, info.rows.size(), RecordToLParam(&info), result);
  return true;
}

bool TYX_ListCtrlEx::DropOnTree(HWND tree, std::uintptr_t targetData, LRESULT* result) {
  return DropSelection(WM_LISTEX_DROPTREE, tree, targetData, result);
}

bool TYX_ListCtrlEx::DropOnDevice(HWND device, std::uintptr_t targetData, LRESULT* result) {
  return DropSelection(WM_LISTEX_DROPDEVICE, device, targetData, result);
}

bool TYX_ListCtrlEx::DropOnTarget(std::uintptr_t targetData, LRESULT* result) {
  if (dropTarget_ == nullptr) return false;
  return DropSelection(WM_LISTEX_DROPTREE, dropTarget_, targetData, result);
}

}  // namespace TYX::Controls
