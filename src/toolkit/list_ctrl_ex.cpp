#include "toolkit/list_ctrl_ex.h"

#include <algorithm>
#include <limits>

namespace TYX::Controls {

using namespace Win;

namespace {
// The text store is compacted when at least this much of it, and at least half, is unused.
constexpr std::size_t kCompactThreshold = 1u << 20;
}  // namespace

TYX_ListCtrlEx::~TYX_ListCtrlEx() = default;

bool TYX_ListCtrlEx::CreateListCtrl(HWND parent, const Rect& rect, UINT id, DWORD style) {
  return Create(parent, rect, style, id);
}

bool TYX_ListCtrlEx::InitListExControl(const TYX_ListColumn* columns, int count, int rowHeight) {
  if (!columns || count < 1 || rowHeight < 1) return false;
  return InitListExControl(std::vector<TYX_ListColumn>(columns, columns + count), rowHeight);
}

bool TYX_ListCtrlEx::InitListExControl(const std::vector<TYX_ListColumn>& columns, int rowHeight) {
  if (columns.empty() || rowHeight < 1) return false;
  const size_t oldCount = columns_.size();
  const size_t newCount = columns.size();
  if (oldCount != newCount && !rows_.empty()) {
    // Keep the cells of the columns that remain; drop the texts of the others.
    std::vector<Cell> reshaped(rows_.size() * newCount);
    for (size_t r = 0; r < rows_.size(); ++r) {
      for (size_t c = 0; c < oldCount; ++c) {
        Cell& cell = cells_[r * oldCount + c];
        if (c < newCount)
          reshaped[r * newCount + c] = cell;
        else
          ReleaseText(cell);
      }
    }
    cells_ = std::move(reshaped);
  } else if (rows_.empty()) {
    cells_.clear();
  }
  columns_ = columns;
  rowHeight_ = rowHeight;
  topIndex_ = ClampTop(topIndex_);
  Invalidate();
  return true;
}

int TYX_ListCtrlEx::GetColTypeFromColIndex(int col) const {
  if (col < 0 || col >= GetColumnCount()) return -1;
  return columns_[static_cast<size_t>(col)].kind;
}

bool TYX_ListCtrlEx::SetHeaderInfoEx(const std::vector<UINT>& images, int height) {
  if (height < 0) return false;
  headerImages_ = images;
  headerHeight_ = height;
  topIndex_ = ClampTop(topIndex_);
  Invalidate();
  return true;
}

void TYX_ListCtrlEx::SetListColor(COLORREF back, COLORREF backAlt, COLORREF selBack, COLORREF text,
                                  COLORREF headerText, COLORREF selText, COLORREF playingText, COLORREF dimText) {
  const COLORREF all[kColorCount] = {back, backAlt, selBack, text, headerText, selText, playingText, dimText};
  std::copy(all, all + kColorCount, colors_);
  Invalidate();
}

COLORREF TYX_ListCtrlEx::GetListColor(int slot) const {
  return slot >= 0 && slot < kColorCount ? colors_[slot] : 0;
}

// ---- Rows ----

void TYX_ListCtrlEx::ReserveRows(int count) {
  if (count <= 0) return;
  rows_.reserve(static_cast<size_t>(count));
  cells_.reserve(static_cast<size_t>(count) * columns_.size());
}

int TYX_ListCtrlEx::InsertField(int row, int, int) {
  const int count = GetItemCount();
  if (row == -1) row = count;
  if (row < 0 || row > count) return -1;
  const size_t width = columns_.size();
  if (row == count) {
    rows_.emplace_back();
    cells_.resize(cells_.size() + width);
    // A new last row has no key, so the key index stays right.
  } else {
    rows_.insert(rows_.begin() + row, Row{});
    cells_.insert(cells_.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(row) * width), width, Cell{});
    keysAscending_ = keysAscending_ && KeyFitsAt(row, kListNoKey);
    keyIndexValid_ = false;
    if (focusRow_ >= row) ++focusRow_;
    if (anchorRow_ >= row) ++anchorRow_;
    if (nowPlayingRow_ >= row) ++nowPlayingRow_;
  }
  // Only rows in view (or just below it) change what is drawn.
  if (row <= topIndex_ + GetCountPerPage()) Invalidate();
  return row;
}

bool TYX_ListCtrlEx::DeleteField(int row) {
  if (!ValidRow(row)) return false;
  const size_t width = columns_.size();
  for (size_t c = 0; c < width; ++c) ReleaseText(CellAt(row, static_cast<int>(c)));
  if (rows_[static_cast<size_t>(row)].selected) --selectedCount_;
  rows_.erase(rows_.begin() + row);
  const auto first = cells_.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(row) * width);
  cells_.erase(first, first + static_cast<std::ptrdiff_t>(width));
  keyIndexValid_ = false;
  auto shift = [row](int& r) {
    if (r == row)
      r = -1;
    else if (r > row)
      --r;
  };
  shift(focusRow_);
  shift(anchorRow_);
  shift(nowPlayingRow_);
  if (nowPlayingRow_ < 0) nowPlayingMark_ = 0;
  topIndex_ = ClampTop(topIndex_);
  if (garbage_ >= kCompactThreshold && garbage_ * 2 >= arena_.size()) CompactTextStore();
  Invalidate();
  return true;
}

bool TYX_ListCtrlEx::DeleteAllItem() {
  rows_.clear();
  cells_.clear();
  arena_.clear();
  garbage_ = 0;
  keyIndex_.clear();
  keyIndexValid_ = false;
  keysAscending_ = true;
  selectedCount_ = 0;
  focusRow_ = anchorRow_ = nowPlayingRow_ = -1;
  nowPlayingMark_ = 0;
  topIndex_ = 0;
  Invalidate();
  return true;
}

bool TYX_ListCtrlEx::KeyFitsAt(int row, UINT key) const {
  if (row > 0 && rows_[static_cast<size_t>(row) - 1].key > key) return false;
  if (row + 1 < GetItemCount() && rows_[static_cast<size_t>(row) + 1].key < key) return false;
  return true;
}

bool TYX_ListCtrlEx::SetFieldKey(int row, UINT key, int) {
  if (!ValidRow(row)) return false;
  Row& r = rows_[static_cast<size_t>(row)];
  if (r.key == key) return true;
  keysAscending_ = keysAscending_ && KeyFitsAt(row, key);
  keyIndexValid_ = false;
  r.key = key;
  return true;
}

UINT TYX_ListCtrlEx::GetFieldKey(int row) const {
  return ValidRow(row) ? rows_[static_cast<size_t>(row)].key : kListNoKey;
}

int TYX_ListCtrlEx::FindRowFromFieldKey(UINT key) const {
  if (key == kListNoKey) return -1;
  const auto byKey = [](const Row& r, UINT k) { return r.key < k; };
  if (!keysAscending_ && !keyIndexValid_) {
    // The keys may have come back into order (rows deleted, keys rewritten): then no index is needed.
    keysAscending_ = std::is_sorted(rows_.begin(), rows_.end(), [](const Row& a, const Row& b) { return a.key < b.key; });
    if (!keysAscending_) {
      keyIndex_.clear();
      keyIndex_.reserve(rows_.size());
      for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].key != kListNoKey) keyIndex_.emplace_back(rows_[i].key, static_cast<int>(i));
      std::sort(keyIndex_.begin(), keyIndex_.end());
      keyIndexValid_ = true;
    }
  }
  if (keysAscending_) {
    // The first row with the key: lower_bound finds the first of equal keys.
    auto it = std::lower_bound(rows_.begin(), rows_.end(), key, byKey);
    return it != rows_.end() && it->key == key ? static_cast<int>(it - rows_.begin()) : -1;
  }
  auto it = std::lower_bound(keyIndex_.begin(), keyIndex_.end(), std::make_pair(key, -1));
  return it != keyIndex_.end() && it->first == key ? it->second : -1;
}

// ---- Cells ----

void TYX_ListCtrlEx::ReleaseText(Cell& cell) {
  if (cell.kind == ListCellKind::Text) garbage_ += cell.length;
  cell.kind = ListCellKind::Empty;
  cell.value = 0;
  cell.length = 0;
}

void TYX_ListCtrlEx::CompactTextStore() {
  std::string fresh;
  fresh.reserve(arena_.size() - std::min(garbage_, arena_.size()));
  for (Cell& c : cells_) {
    if (c.kind != ListCellKind::Text) continue;
    const std::uint32_t offset = static_cast<std::uint32_t>(fresh.size());
    fresh.append(arena_, c.value, c.length);
    c.value = offset;
  }
  arena_ = std::move(fresh);
  garbage_ = 0;
}

bool TYX_ListCtrlEx::StoreText(Cell& cell, std::string_view text) {
  constexpr std::size_t kMax = std::numeric_limits<std::uint32_t>::max();
  if (cell.kind == ListCellKind::Text && text.size() <= cell.length) {
    // Rewrite in place: the unused tail becomes garbage.
    std::copy(text.begin(), text.end(), arena_.begin() + cell.value);
    garbage_ += cell.length - text.size();
    cell.length = static_cast<std::uint32_t>(text.size());
    return true;
  }
  if (text.size() > kMax) return false;
  if (arena_.size() + text.size() > kMax) {
    ReleaseText(cell);
    CompactTextStore();
    if (arena_.size() + text.size() > kMax) return false;
  } else {
    ReleaseText(cell);
  }
  cell.value = static_cast<std::uint32_t>(arena_.size());
  cell.length = static_cast<std::uint32_t>(text.size());
  cell.kind = ListCellKind::Text;
  arena_.append(text);
  if (garbage_ >= kCompactThreshold && garbage_ * 2 >= arena_.size()) CompactTextStore();
  return true;
}

bool TYX_ListCtrlEx::SetCell(int row, int col, const std::string& text, UINT flags, int) {
  if (!ValidCell(row, col) || flags > 0xFFFF) return false;
  Cell& cell = CellAt(row, col);
  if (!StoreText(cell, text)) return false;
  cell.flags = static_cast<std::uint16_t>(flags);
  if (row >= topIndex_ && row <= topIndex_ + GetCountPerPage()) Invalidate();
  return true;
}

bool TYX_ListCtrlEx::SetCell(int row, int col, const char* text, UINT flags, int reserved) {
  if (!text) return false;
  return SetCell(row, col, std::string(text), flags, reserved);
}

bool TYX_ListCtrlEx::SetNumberCell(int row, int col, std::int64_t number, UINT flags) {
  if (!ValidCell(row, col) || flags > 0xFFFF) return false;
  Cell& cell = CellAt(row, col);
  ReleaseText(cell);
  cell.kind = ListCellKind::Number;
  cell.value = static_cast<std::uint32_t>(number);
  cell.flags = static_cast<std::uint16_t>(flags);
  if (row >= topIndex_ && row <= topIndex_ + GetCountPerPage()) Invalidate();
  return true;
}

bool TYX_ListCtrlEx::SetCell(int row, int col, const int* number, UINT flags, int) {
  if (!number) return false;
  return SetNumberCell(row, col, *number, flags);
}

bool TYX_ListCtrlEx::SetCell(int row, int col, const UINT* number, UINT flags, int) {
  if (!number) return false;
  return SetNumberCell(row, col, *number, flags);
}

ListCellKind TYX_ListCtrlEx::GetCellKind(int row, int col) const {
  return ValidCell(row, col) ? CellAt(row, col).kind : ListCellKind::Empty;
}

std::string TYX_ListCtrlEx::GetCellText(int row, int col) const {
  if (!ValidCell(row, col)) return {};
  const Cell& c = CellAt(row, col);
  return c.kind == ListCellKind::Text ? std::string(TextOf(c)) : std::string();
}

int TYX_ListCtrlEx::GetCellNumber(int row, int col, int fallback) const {
  if (!ValidCell(row, col)) return fallback;
  const Cell& c = CellAt(row, col);
  return c.kind == ListCellKind::Number ? static_cast<int>(c.value) : fallback;
}

UINT TYX_ListCtrlEx::GetCellFlags(int row, int col) const {
  return ValidCell(row, col) ? CellAt(row, col).flags : 0;
}

std::string TYX_ListCtrlEx::GetCellDisplayText(int row, int col) const {
  if (!ValidCell(row, col)) return {};
  const Cell& c = CellAt(row, col);
  switch (c.kind) {
    case ListCellKind::Text: return std::string(TextOf(c));
    case ListCellKind::Number: return std::to_string(static_cast<int>(c.value));
    default: return {};
  }
}

// ---- Status, marks, check boxes ----

bool TYX_ListCtrlEx::SetFieldStatus(int row, int status) {
  if (!ValidRow(row) || status < 0 || status > 2) return false;
  rows_[static_cast<size_t>(row)].status = static_cast<std::uint8_t>(status);
  Invalidate();
  return true;
}

int TYX_ListCtrlEx::GetItemField(int row) const {
  return ValidRow(row) ? rows_[static_cast<size_t>(row)].status : -1;
}

bool TYX_ListCtrlEx::SetFieldNowPlaying(int row, int mark) {
  if (mark == 0) {
    nowPlayingRow_ = -1;
    nowPlayingMark_ = 0;
    Invalidate();
    return true;
  }
  if (!ValidRow(row) || mark < 0 || mark > 2) return false;
  nowPlayingRow_ = row;
  nowPlayingMark_ = mark;
  Invalidate();
  return true;
}

int TYX_ListCtrlEx::GetCheckColumn() const {
  for (size_t c = 0; c < columns_.size(); ++c)
    if (columns_[c].drawCode == kListDrawCheckBox) return static_cast<int>(c);
  return -1;
}

bool TYX_ListCtrlEx::GetCheck(int row) const {
  const int col = GetCheckColumn();
  return col >= 0 && GetCellNumber(row, col) != 0;
}

bool TYX_ListCtrlEx::SetCheck(int row, bool checked) {
  const int col = GetCheckColumn();
  if (col < 0) return false;
  const int value = checked ? 1 : 0;
  return SetCell(row, col, &value, GetCellFlags(row, col));
}

// ---- Selection ----

void TYX_ListCtrlEx::Select(int row, bool on) {
  Row& r = rows_[static_cast<size_t>(row)];
  if (r.selected == on) return;
  r.selected = on;
  selectedCount_ += on ? 1 : -1;
}

void TYX_ListCtrlEx::ClearSelection() {
  if (selectedCount_ == 0) return;
  for (auto& r : rows_) r.selected = false;
  selectedCount_ = 0;
}

void TYX_ListCtrlEx::SelectRange(int from, int to) {
  if (from > to) std::swap(from, to);
  for (int r = std::max(0, from); r <= to && r < GetItemCount(); ++r) Select(r, true);
}

bool TYX_ListCtrlEx::SetSelectedItem(int row, BOOL select) {
  if (row == -1) {
    if (select) {
      for (auto& r : rows_) r.selected = true;
      selectedCount_ = GetItemCount();
    } else {
      ClearSelection();
    }
    Invalidate();
    return true;
  }
  if (!ValidRow(row)) return false;
  Select(row, select != FALSE);
  if (select) focusRow_ = anchorRow_ = row;
  Invalidate();
  return true;
}

bool TYX_ListCtrlEx::IsSelected(int row) const { return ValidRow(row) && rows_[static_cast<size_t>(row)].selected; }

int TYX_ListCtrlEx::GetSelectedFieldKeys(std::vector<UINT>& out, BOOL all) const {
  out.clear();
  if (!all && selectedCount_ == 0) return 0;
  out.reserve(all ? rows_.size() : static_cast<size_t>(selectedCount_));
  for (const auto& r : rows_)
    if (all || r.selected) out.push_back(r.key);
  return static_cast<int>(out.size());
}

int TYX_ListCtrlEx::GetSelectedRows(std::vector<int>& out, int) const {
  out.clear();
  if (selectedCount_ == 0) return 0;
  out.reserve(static_cast<size_t>(selectedCount_));
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].selected) out.push_back(static_cast<int>(i));
  return static_cast<int>(out.size());
}

}  // namespace TYX::Controls
