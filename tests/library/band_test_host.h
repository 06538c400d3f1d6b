#pragma once
// Shared by the sidebar tests: a host window that records what the sidebar reports to it, and a log
// reader. Only included by the band_*_test.cpp files.
#include <string>
#include <vector>

#include "library/band_wnd_messages.h"
#include "platform/window.h"
#include "toolkit/tree_ctrl.h"
#include "util/log.h"

namespace TYX::Test::Band {

using namespace TYX::Win;

class HostWindow : public Window {
 public:
  struct Notice {
    UINT msg;
    WPARAM w;
    LPARAM l;
  };
  struct Drop {
    UINT msg;
    std::string pageId;
    std::vector<std::string> files;
    bool listAliveDuringSend;
  };
  struct Popup {
    Point screenPoint;
    std::string pageId;
  };

  HostWindow() {
    for (UINT msg : {Library::WM_BAND_SELCHANGED, Library::WM_BAND_SELECTPAGE, Library::WM_BAND_SELECTITEM}) {
      OnMessage(msg, [this, msg](WPARAM w, LPARAM l) -> LRESULT {
        notices.push_back({msg, w, l});
        if (msg == Library::WM_BAND_SELECTPAGE && w) selectPageTexts.push_back(reinterpret_cast<const char*>(w));
        return 0;
      });
    }
    for (UINT msg : {Library::WM_BAND_DROPFILES, Library::WM_BAND_TREE_DROPFILES}) {
      OnMessage(msg, [this, msg](WPARAM w, LPARAM l) -> LRESULT {
        auto* record = RecordFromLParam<Library::_DropTarget>(l);
        Drop d{msg, record->pageId, {}, Controls::DragIsAlive(record->hDrop)};
        for (UINT i = 0; i < Controls::DragQueryFileCount(record->hDrop); ++i)
          d.files.push_back(Controls::DragQueryFile(record->hDrop, i));
        drops.push_back(d);
        dropWParams.push_back(w);
        return 0;
      });
    }
    OnMessage(Library::WM_BAND_POPUPMENU, [this](WPARAM w, LPARAM l) -> LRESULT {
      popups.push_back({*reinterpret_cast<const Point*>(w), reinterpret_cast<const char*>(l)});
      return 0;
    });
    OnMessage(11124, [this](WPARAM w, LPARAM l) -> LRESULT { return static_cast<LRESULT>(w + static_cast<WPARAM>(l) + 1000); });
  }

  std::vector<Notice> Of(UINT msg) const {
    std::vector<Notice> out;
    for (const auto& n : notices)
      if (n.msg == msg) out.push_back(n);
    return out;
  }

  std::vector<Notice> notices;
  std::vector<std::string> selectPageTexts;
  std::vector<Drop> drops;
  std::vector<WPARAM> dropWParams;
  std::vector<Popup> popups;
};

// True when a recent log entry ends with the text.
inline bool LogHas(const std::string& text) {
  for (const auto& e : TYX::TYX_Log::Instance()->RecentEntries()) {
    if (e.size() >= text.size() && e.compare(e.size() - text.size(), text.size(), text) == 0) return true;
  }
  return false;
}

}  // namespace TYX::Test::Band
