#pragma once
// The skinned list control. Rows (fields) carry a key, one cell per column, a status (0 no mark,
// 1 file present, 2 file missing, drawn dimmed) and a selected flag; one row at a time may carry the
// now-playing mark. Cells hold a text or a 32-bit number.
//
// Storage is compact so that hundreds of thousands of rows are cheap: one flat vector of small cells,
// numbers inline, texts in one shared text store (no allocation per cell), and a key-to-row index built
// only when keys stop ascending with the rows. Painting records only the rows in view.
//
// A person's actions (the entry points under "Person") change the state as a click or key would and
// send the parent the list messages of list_types.h. Everything runs on the window's thread.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/window.h"
#include "toolkit/list_types.h"

namespace TYX::Controls {

class TYX_ListCtrlEx : public Win::Window {
 public:
  static constexpr int kDefaultRowHeight = 28;
  static constexpr int kDefaultHeaderHeight = 22;
  static constexpr int kColorCount = 8;
  // Colour slots of SetListColor, in order.
  enum ColorSlot {
    kColorBack = 0,
    kColorBackAlt = 1,
    kColorSelBack = 2,
    kColorText = 3,
    kColorHeaderText = 4,
    kColorSelText = 5,
    kColorPlayingText = 6,
    kColorDimText = 7
  };

  struct HitInfo {
    enum class Part { Nowhere, Header, Cell, CheckBox, Image };
    Part part = Part::Nowhere;
    int row = -1;
    int col = -1;
  };

  TYX_ListCtrlEx();
  ~TYX_ListCtrlEx() override;

  bool CreateListCtrl(HWND parent, const Win::Rect& rect, UINT id, Win::DWORD style = Win::WS_CHILD | Win::WS_VISIBLE);

  // Set-up. Columns may be set again; cells of columns that remain are kept. A count below 1, a null
  // array or a row height below 1 is refused (false).
  bool InitListExControl(const TYX_ListColumn* columns, int count, int rowHeight);
  bool InitListExControl(const std::vector<TYX_ListColumn>& columns, int rowHeight);
  int GetColumnCount() const { return static_cast<int>(columns_.size()); }
  const std::vector<TYX_ListColumn>& GetColumns() const { return columns_; }
  // The kind of a column (its first leading number), -1 for a bad column.
  int GetColTypeFromColIndex(int col) const;
  int GetRowHeight() const { return rowHeight_; }
  // Header images (background, left, right, divider, ...) and height; a height below 0 is refused.
  bool SetHeaderInfoEx(const std::vector<UINT>& images, int height);
  const std::vector<UINT>& GetHeaderImages() const { return headerImages_; }
  int GetHeaderHeight() const { return headerHeight_; }
  void SetListColor(COLORREF back, COLORREF backAlt, COLORREF selBack, COLORREF text, COLORREF headerText,
                    COLORREF selText, COLORREF playingText, COLORREF dimText);
  COLORREF GetListColor(int slot) const;

  // Rows. InsertField(-1, 0, 0) appends; returns the new row or -1 for a bad position.
  int InsertField(int row = -1, int reserved1 = 0, int reserved2 = 0);
  bool DeleteField(int row);
  bool DeleteAllItem();
  int GetItemCount() const { return static_cast<int>(rows_.size()); }
  // Reserves room for a number of rows ahead of a large fill.
  void ReserveRows(int count);
  // Bytes held by the shared text store, unused parts included.
  std::size_t GetTextStoreSize() const { return arena_.size(); }

  bool SetFieldKey(int row, UINT key, int reserved = 0);
  UINT GetFieldKey(int row) const;  // kListNoKey for a bad row
  // The first row with that key, -1 when none.
  int FindRowFromFieldKey(UINT key) const;

  // Cells. A bad row or column, or a flag word above 0xFFFF, is refused (false) and changes nothing.
  bool SetCell(int row, int col, const std::string& text, UINT flags = 0, int reserved = 0);
  bool SetCell(int row, int col, const char* text, UINT flags = 0, int reserved = 0);
  bool SetCell(int row, int col, const int* number, UINT flags = 0, int reserved = 0);
  bool SetCell(int row, int col, const UINT* number, UINT flags = 0, int reserved = 0);
  ListCellKind GetCellKind(int row, int col) const;
  std::string GetCellText(int row, int col) const;  // empty unless a text cell
  // The number of a number cell, or the fallback.
  int GetCellNumber(int row, int col, int fallback = 0) const;
  UINT GetCellFlags(int row, int col) const;
  // A cell as a person reads it: the text, or the number in decimal; empty cells are "".
  std::string GetCellDisplayText(int row, int col) const;

  // Status 0, 1 or 2; anything else is refused.
  bool SetFieldStatus(int row, int status);
  int GetItemField(int row) const;  // the status, -1 for a bad row
  // Mark 1 playing, 2 paused, 0 clears the mark (whatever the row). Only one row carries a mark.
  bool SetFieldNowPlaying(int row, int mark);
  int GetNowPlayingRow() const { return nowPlayingRow_; }
  int GetNowPlayingMark() const { return nowPlayingMark_; }
  // The check state of a row (the number in the first check-box column); false without one.
  bool GetCheck(int row) const;
  bool SetCheck(int row, bool checked);
  int GetCheckColumn() const;

  // Selection. Row -1 selects or deselects every row.
  bool SetSelectedItem(int row, BOOL select);
  bool IsSelected(int row) const;
  int GetSelectedCount() const { return selectedCount_; }
  // Keys of the selected rows (every row when all is non-zero), in row order; returns the count.
  int GetSelectedFieldKeys(std::vector<UINT>& out, BOOL all) const;
  int GetSelectedRows(std::vector<int>& out, int reserved = 0) const;
  int GetFocusRow() const { return focusRow_; }

  // View.
  int GetTopIndex() const { return topIndex_; }
  bool SetTopIndex(int row);
  int GetCountPerPage() const;
  // Scrolls the least needed for the row to be in view.
  bool EnsureVisible(int row, BOOL partialOk = Win::FALSE);
  HitInfo HitTest(Win::Point clientPoint) const;
  // The left and right edge of a column in client coordinates.
  Win::Rect GetColumnRect(int col) const;

  // Person. Each returns false when the list is dead, hidden or disabled or the target does not exist.
  // modifiers: MK_CONTROL toggles a row, MK_SHIFT extends from the anchor.
  bool ClickRow(int row, int col, WPARAM modifiers = 0);
  bool DoubleClickRow(int row, int col);
  bool ClickCheckBox(int row);
  bool ClickImage(int row, int col);
  bool ClickColumnHeader(int col);
  bool PressDelete();
  bool PressKey(UINT virtualKey, WPARAM modifiers = 0);
  bool RightClick(int row, int col);
  // Drags the selected rows out; result receives the parent's answer. False with nothing selected.
  bool DragFilesOut(LRESULT* result = nullptr);
  // Files dropped from outside onto a row (-1: below the rows). False for an empty file list.
  bool DropFiles(const std::vector<std::string>& files, int targetRow, LRESULT* result = nullptr);
  // The selected rows dropped on the tree or the device. False with nothing selected.
  bool DropOnTree(HWND tree, std::uintptr_t targetData, LRESULT* result = nullptr);
  bool DropOnDevice(HWND device, std::uintptr_t targetData, LRESULT* result = nullptr);
  // The window the selected rows are dropped on by DropOnTarget (the host's drop window); null for none.
  void SetDropTargetWnd(HWND target) { dropTarget_ = target; }
  HWND GetDropTargetWnd() const { return dropTarget_; }
  // The selected rows dropped on the drop-target window, as DropOnTree does. False without a target
  // or a selection.
  bool DropOnTarget(std::uintptr_t targetData, LRESULT* result = nullptr);

 protected:
  void PaintContent(Win::DisplayList& dc) override;

 private:
  struct Row {
    UINT key = kListNoKey;
    std::uint8_t status = 0;
    bool selected = false;
  };
  // 12 bytes: a number inline, or a text as offset and length in the text store.
  struct Cell {
    std::uint32_t value = 0;
    std::uint32_t length = 0;
    std::uint16_t flags = 0;
    ListCellKind kind = ListCellKind::Empty;
  };

  bool ValidRow(int row) const { return row >= 0 && row < GetItemCount(); }
  bool ValidCell(int row, int col) const { return ValidRow(row) && col >= 0 && col < GetColumnCount(); }
  Cell& CellAt(int row, int col) { return cells_[static_cast<size_t>(row) * columns_.size() + static_cast<size_t>(col)]; }
  const Cell& CellAt(int row, int col) const {
    return cells_[static_cast<size_t>(row) * columns_.size() + static_cast<size_t>(col)];
  }
  std::string_view TextOf(const Cell& c) const { return std::string_view(arena_).substr(c.value, c.length); }
  // Whether a row may carry the key with the keys still ascending.
  bool KeyFitsAt(int row, UINT key) const;
  bool StoreText(Cell& cell, std::string_view text);
  void ReleaseText(Cell& cell);
  void CompactTextStore();
  bool SetNumberCell(int row, int col, std::int64_t number, UINT flags);
  void Select(int row, bool on);
  void ClearSelection();
  void SelectRange(int from, int to);
  int ClampTop(int top) const;
  void NotifyVisibleRows();
  bool PersonMayAct() const;
  // Sends a list message to the parent; false when the list died while the parent handled it.
  bool Notify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr);
  bool DropSelection(UINT msg, HWND target, std::uintptr_t targetData, LRESULT* result);
  void SelectByClick(int row, WPARAM modifiers);

  // Everything below belongs to the window's thread.
  std::vector<TYX_ListColumn> columns_;
  HWND dropTarget_ = nullptr;
  int rowHeight_ = kDefaultRowHeight;
  std::vector<UINT> headerImages_;
  int headerHeight_ = kDefaultHeaderHeight;
  COLORREF colors_[kColorCount] = {0xFFFFFF, 0xFBF7F5, 0xA6447E, 0x4C4C4C, 0x4C4C4C, 0xFFFFFF, 0xBF5759, 0xCECAC8};

  std::vector<Row> rows_;
  std::vector<Cell> cells_;  // row-major, columns_.size() per row
  std::string arena_;        // the text store
  std::size_t garbage_ = 0;  // bytes of the text store no cell refers to any more

  // Key lookup. While the keys ascend with the rows (the usual fill: keys are playlist positions), a
  // binary search over the rows needs no index at all; otherwise a sorted (key, row) index is built on
  // the first lookup after a change.
  mutable bool keysAscending_ = true;
  mutable std::vector<std::pair<UINT, int>> keyIndex_;
  mutable bool keyIndexValid_ = false;

  int selectedCount_ = 0;
  int focusRow_ = -1;
  int anchorRow_ = -1;
  int nowPlayingRow_ = -1;
  int nowPlayingMark_ = 0;
  int topIndex_ = 0;
};

}  // namespace TYX::Controls
