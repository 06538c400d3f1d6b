#pragma once
// Picks songs on the shown page the way a person does: a click on the first matching row, a
// Ctrl-click on each further one. Commands that act on "the selected songs" (convert, tag) use it.
#include <cstdint>
#include <string>
#include <vector>

#include "host_session.h"
#include "list_query.h"
#include "toolkit/list_ctrl_ex.h"

namespace TYX::Host {

class RowPicker {
 public:
  struct Picked {
    std::vector<int> rows;            // list rows, ascending
    std::vector<std::string> paths;   // the songs' files, in the same order
    std::string error;                // empty on success
  };
  // Selects every row of the panel's current list whose song matches the query (all rows for an
  // empty query). Picks nothing and says why when no row matches.
  static Picked Pick(HostSession& session, const ListQuery& query);
  // The first column whose click selects the row (not a check box).
  static int SelectingColumn(const Controls::TYX_ListCtrlEx& list);
  // A click on a dialog's button, as the person's mouse gives it. False when there is no such button.
  static bool ClickButton(Win::Window& dialog, Win::UINT id);
};

}  // namespace TYX::Host
