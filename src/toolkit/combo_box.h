#pragma once
// A skinned drop-down list: items with texts and item data, and a current selection (-1 for none).
// SetCurSel changes the selection quietly; a person's choice (SelectItem) sends the parent WM_COMMAND
// with CBN_SELCHANGE when the selection changed.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/window.h"
#include "toolkit/toolkit_types.h"

namespace TYX::Controls {

class TYX_ComboBox : public Win::Window {
 public:
  TYX_ComboBox();

  bool CreateCombo(HWND parent, const Win::Rect& rect, UINT id,
                   Win::DWORD style = Win::WS_CHILD | Win::WS_VISIBLE);

  // Returns the index of the new item.
  int AddString(const std::string& text);
  // Index -1 appends; an index past the end is refused with CB_ERR.
  int InsertString(int index, const std::string& text);
  // Returns the remaining count, or CB_ERR for a bad index. The selection follows its item.
  int DeleteString(int index);
  void ResetContent();
  int GetCount() const { return static_cast<int>(items_.size()); }
  // Empty text for a bad index.
  std::string GetLBText(int index) const;
  // Index of the first item whose text equals text exactly, CB_ERR when none.
  int FindStringExact(const std::string& text) const;
  bool SetItemData(int index, std::uintptr_t data);
  std::uintptr_t GetItemData(int index) const;

  // Returns the new selection, or CB_ERR (and no selection) for an index out of range.
  int SetCurSel(int index);
  int GetCurSel() const { return cur_; }
  std::string GetSelectedText() const { return GetLBText(cur_); }

  // Person entry point: choose an item from the open list. False when the control is dead, hidden or
  // disabled or the index is out of range.
  bool SelectItem(int index);
  bool SelectItemByText(const std::string& text);

 protected:
  void PaintContent(Win::DisplayList& dc) override;

 private:
  struct Item {
    std::string text;
    std::uintptr_t data = 0;
  };
  std::vector<Item> items_;  // owner thread, like every field below
  int cur_ = -1;
};

}  // namespace TYX::Controls
