// What the list control draws: the header and the rows in view, nothing else.
#include <algorithm>

#include "toolkit/list_ctrl_ex.h"

namespace TYX::Controls {

using namespace Win;

void TYX_ListCtrlEx::PaintContent(DisplayList& dc) {
  const Rect client = GetClientRect();
  dc.FillRect(client, colors_[kColorBack]);

  // Header: background image, then each title with a divider image after it.
  if (headerHeight_ > 0) {
    const Rect header{0, 0, client.right, headerHeight_};
    if (!headerImages_.empty()) dc.Image(headerImages_[0], header);
    const UINT divider = headerImages_.size() > 3 ? headerImages_[3] : 0;
    int x = 0;
    for (const auto& col : columns_) {
      const Rect box{x, 0, x + col.width, headerHeight_};
      if (!col.title.empty()) dc.Text(box, col.title, DefaultFont(12, true), colors_[kColorHeaderText]);
      if (divider) dc.Image(divider, Rect{box.right - 1, 0, box.right + 1, headerHeight_});
      x += col.width;
    }
  }

  const int first = topIndex_;
  // Whole rows in view, and the partly visible one below them when there is room for a part.
  const int body = std::max(0, client.Height() - headerHeight_);
  const int inView = std::max(1, (body + rowHeight_ - 1) / rowHeight_);
  const int last = std::min(GetItemCount(), topIndex_ + inView);
  for (int row = first; row < last; ++row) {
    const Row& r = rows_[static_cast<size_t>(row)];
    const int top = headerHeight_ + (row - topIndex_) * rowHeight_;
    const Rect line{0, top, client.right, top + rowHeight_};
    COLORREF back = (row % 2) ? colors_[kColorBackAlt] : colors_[kColorBack];
    COLORREF text = colors_[kColorText];
    if (row == nowPlayingRow_) text = colors_[kColorPlayingText];
    if (r.status == 2) text = colors_[kColorDimText];
    if (r.selected) {
      back = colors_[kColorSelBack];
      text = colors_[kColorSelText];
    }
    dc.FillRect(line, back);
    int x = 0;
    for (int c = 0; c < GetColumnCount(); ++c) {
      const TYX_ListColumn& col = columns_[static_cast<size_t>(c)];
      Rect box{x, top, x + col.width, top + rowHeight_};
      x += col.width;
      const Cell& cell = CellAt(row, c);
      const auto image = [&col](size_t i) -> UINT { return i < col.images.size() ? col.images[i].skinId : 0; };
      switch (col.drawCode) {
        case kListDrawCheckBox: {
          const int cx = box.left + (box.Width() - 13) / 2;
          const int cy = box.top + (box.Height() - 13) / 2;
          const Rect mark{cx, cy, cx + 13, cy + 13};
          if (UINT id = image(0)) dc.Image(id, mark);
          if (cell.kind == ListCellKind::Number && cell.value != 0)
            dc.FillRect(Rect{mark.left + 3, mark.top + 3, mark.right - 3, mark.bottom - 3}, text);
          break;
        }
        case kListDrawIcon: {
          if (cell.kind == ListCellKind::Number && cell.value > 0) {
            if (UINT id = image(cell.value - 1)) dc.Image(id, box);
          }
          break;
        }
        case kListDrawNumber: {
          if (UINT id = image(0)) dc.Image(id, box);
          if (cell.kind != ListCellKind::Empty) dc.Text(box, GetCellDisplayText(row, c), DefaultFont(11), text);
          break;
        }
        case kListDrawTitle: {
          if (row == nowPlayingRow_ && (cell.flags & kListCellShowsMark)) {
            if (UINT id = image(static_cast<size_t>(nowPlayingMark_))) {
              dc.Image(id, Rect{box.left, box.top, box.left + 16, box.bottom});
              box.left += 18;
            }
          }
          if (cell.kind != ListCellKind::Empty) dc.Text(box, GetCellDisplayText(row, c), DefaultFont(), text);
          break;
        }
        default:
          if (cell.kind != ListCellKind::Empty) dc.Text(box, GetCellDisplayText(row, c), DefaultFont(), text);
          break;
      }
    }
  }
}

}  // namespace TYX::Controls
