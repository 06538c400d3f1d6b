#include "row_picker.h"

#include "library/library_panel.h"
#include "toolkit/list_types.h"
#include "toolkit/skin_button.h"
#include "toolkit/toolkit_types.h"

namespace TYX::Host {

RowPicker::Picked RowPicker::Pick(HostSession& session, const ListQuery& query) {
  Picked picked;
  Library::TYX_LibraryPanel& panel = session.Frame().Panel();
  Controls::TYX_ListCtrlEx* list = panel.GetCurrentListCtrl();
  if (list == nullptr) {
    picked.error = "the panel shows no list";
    return picked;
  }
  for (int row = 0; row < list->GetItemCount(); ++row) {
    const std::uint32_t index = panel.GetRowMediaLibIndex(row);
    TYX_LibraryItem* item = index == kNoLibraryIndex ? nullptr : session.Store().GetLibraryItem(index);
    if (item == nullptr) continue;
    const ListFields fields{item->GetSmartTitle(), item->GetText(ItemText::Artist), item->GetText(ItemText::Album),
                            item->GetText(ItemText::Genre), item->GetPath()};
    if (!query.Matches(fields)) continue;
    picked.rows.push_back(row);
    picked.paths.push_back(fields.path);
  }
  if (picked.rows.empty()) {
    picked.error = query.Empty() ? "the page has no songs" : "no song matches '" + query.Text() + "'";
    return picked;
  }
  const int column = SelectingColumn(*list);
  for (std::size_t i = 0; i < picked.rows.size(); ++i) {
    const int row = picked.rows[i];
    list->EnsureVisible(row);
    if (!list->ClickRow(row, column, i == 0 ? 0 : Controls::MK_CONTROL)) {
      picked.error = "the list refused a click on row " + std::to_string(row + 1);
      return picked;
    }
  }
  return picked;
}

int RowPicker::SelectingColumn(const Controls::TYX_ListCtrlEx& list) {
  int column = 0;
  const auto& columns = list.GetColumns();
  while (column + 1 < static_cast<int>(columns.size()) &&
         columns[static_cast<std::size_t>(column)].drawCode == Controls::kListDrawCheckBox)
    ++column;
  return column;
}

bool RowPicker::ClickButton(Win::Window& dialog, Win::UINT id) {
  auto* button = dynamic_cast<Controls::TYX_SkinButton*>(Win::Window::FromHandle(dialog.GetDlgItem(id)));
  return button != nullptr && button->Click();
}

}  // namespace TYX::Host
