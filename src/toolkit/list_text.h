#pragma once
// A list control as text: one line of column titles, then one line per row with its cells separated by
// " | ". Check boxes read "[x]" or "[ ]", icons "icon N" (nothing for 0), numbers in decimal. Marks of a
// row follow its cells in brackets: "selected", "dimmed" (status 2), "playing" or "paused". Hosts and
// tests use it to state what a screen shows.
#include <string>

#include "toolkit/list_ctrl_ex.h"

namespace TYX::Controls {

// Rows from firstRow, at most maxRows of them (-1: all).
std::string RenderListAsText(const TYX_ListCtrlEx& list, int firstRow = 0, int maxRows = -1);
// The rows in view only.
std::string RenderVisibleListAsText(const TYX_ListCtrlEx& list);

}  // namespace TYX::Controls
