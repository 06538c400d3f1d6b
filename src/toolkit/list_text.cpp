#include "toolkit/list_text.h"

#include <algorithm>

namespace TYX::Controls {

namespace {

std::string CellText(const TYX_ListCtrlEx& list, int row, int col) {
  const TYX_ListColumn& column = list.GetColumns()[static_cast<size_t>(col)];
  const ListCellKind kind = list.GetCellKind(row, col);
  if (column.drawCode == kListDrawCheckBox && kind != ListCellKind::Text)
    return list.GetCellNumber(row, col) != 0 ? "[x]" : "[ ]";
  if (column.drawCode == kListDrawIcon && kind == ListCellKind::Number) {
    const int icon = list.GetCellNumber(row, col);
    return icon > 0 ? "icon " + std::to_string(icon) : std::string();
  }
  return list.GetCellDisplayText(row, col);
}

}  // namespace

std::string RenderListAsText(const TYX_ListCtrlEx& list, int firstRow, int maxRows) {
  std::string out;
  const int columns = list.GetColumnCount();
  for (int c = 0; c < columns; ++c) {
    if (c) out += " | ";
    out += list.GetColumns()[static_cast<size_t>(c)].title;
  }
  out += '\n';
  const int count = list.GetItemCount();
  firstRow = std::max(0, firstRow);
  const int end = maxRows < 0 ? count : std::min(count, firstRow + maxRows);
  for (int row = firstRow; row < end; ++row) {
    for (int c = 0; c < columns; ++c) {
      if (c) out += " | ";
      out += CellText(list, row, c);
    }
    std::string marks;
    auto add = [&marks](const char* m) {
      if (!marks.empty()) marks += ", ";
      marks += m;
    };
    if (list.IsSelected(row)) add("selected");
    if (list.GetItemField(row) == 2) add("dimmed");
    if (row == list.GetNowPlayingRow()) add(list.GetNowPlayingMark() == 1 ? "playing" : "paused");
    if (!marks.empty()) out += "  (" + marks + ")";
    out += '\n';
  }
  return out;
}

std::string RenderVisibleListAsText(const TYX_ListCtrlEx& list) {
  return RenderListAsText(list, list.GetTopIndex(), list.GetCountPerPage());
}

}  // namespace TYX::Controls
