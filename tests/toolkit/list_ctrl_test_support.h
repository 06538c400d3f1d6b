#pragma once
// Helpers of the list control tests: the library list's columns and a parent that records list messages.
#include <functional>
#include <string>
#include <vector>

#include "platform/window.h"
#include "toolkit/list_ctrl_ex.h"

namespace TYX::Test {

// The seven columns of the library list, as the panel sets them up.
inline std::vector<Controls::TYX_ListColumn> LibraryColumns() {
  using Controls::TYX_ListColumn;
  std::vector<Controls::TYX_ListColumnImage> typeIcons;
  for (Win::UINT id : {20141u, 20152u, 20154u, 20155u, 20156u, 20157u, 20158u, 20159u, 20160u, 20142u, 20143u, 20144u,
                       20145u, 20146u, 20147u, 20148u, 20149u, 20150u, 20151u, 20153u})
    typeIcons.push_back({id, 5});
  return {
      TYX_ListColumn{1, 1, 49, 49, 8, "", {{20140, 2}}},
      TYX_ListColumn{38, 1, 28, 26, 16, "정렬", {{20180, 20}}},
      TYX_ListColumn{5, 0, 280, 26, 14, "곡명", {{20168, 3}, {20176, 5}, {20177, 5}}},
      TYX_ListColumn{7, 0, 112, 52, 1, "아티스트", {}},
      TYX_ListColumn{14, 0, 95, 26, 1, "앨범", {}},
      TYX_ListColumn{14, 1, 55, 26, 1, "시간", {}},
      TYX_ListColumn{3, 1, 62, 26, 15, "종류", typeIcons},
  };
}

struct ListMessage {
  Win::UINT msg;
  int wParam;  // the row as the list sends it (-1 for none)
  int lParam;
  bool operator==(const ListMessage&) const = default;
};

// A parent window that records every list message; handlers may be added for a message.
class ListParent : public Win::Window {
 public:
  ListParent() {
    for (Win::UINT m = 0x9488; m <= 0x94C6; ++m) {
      OnMessage(m, [this, m](Win::WPARAM w, Win::LPARAM l) -> Win::LRESULT {
        messages.push_back({m, static_cast<int>(static_cast<Win::LPARAM>(w)), static_cast<int>(l)});
        if (onMessage) return onMessage(m, w, l);
        return 0;
      });
    }
    Create(nullptr, Win::Rect{0, 0, 800, 600}, Win::WS_POPUP | Win::WS_VISIBLE);
  }
  std::vector<ListMessage> Take() {
    auto out = std::move(messages);
    messages.clear();
    return out;
  }
  std::vector<ListMessage> messages;
  std::function<Win::LRESULT(Win::UINT, Win::WPARAM, Win::LPARAM)> onMessage;
};

}  // namespace TYX::Test
