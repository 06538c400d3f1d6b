// The band window's drag-and-drop targeting and dropped files.
#include "library/band_wnd.h"
#include "util/log.h"

namespace TYX::Library {

std::string TYX_BandWnd::HitTestAndSelectDropTarget(bool dropMode, Win::Point screenPoint) {
  dropMode_ = dropMode;
  if (!dropMode) {
    SetDropSelected(-1, true);
    return {};
  }
  int hitBand = -1;
  bool onButton = false;
  std::string target;
  for (int i = 0; i < GetCount() && hitBand < 0; ++i) {
    const TYX_BandItem& item = *items_[static_cast<std::size_t>(i)];
    // Hidden bands (not used) cannot be hit.
    if (item.button->IsAlive() && item.button->IsVisibleFlag() && item.button->GetWindowRect().Contains(screenPoint)) {
      hitBand = i;
      onButton = true;
      target = item.pageId;
    } else if (HasLiveWindow(i) && item.window->IsVisibleFlag() &&
               item.window->GetWindowRect().Contains(screenPoint)) {
      hitBand = i;
    }
  }
  if (hitBand < 0) {
    SetDropSelected(-1, true);
    return {};
  }
  if (!onButton) {
    if (auto* tree = GetBandTreeWnd(hitBand)) {
      TYX_BandTreeCtrl& ctrl = tree->GetBandTreeCtrl();
      Win::Point p = screenPoint;
      ctrl.ScreenToClient(p);
      if (HTREEITEM node = ctrl.HitTest(p, nullptr)) {
        ctrl.SelectDropTarget(node);
        target = ctrl.GetPageID(node);
      }
    }
  }
  SetDropSelected(hitBand, onButton);
  UpdateScreen();
  return target;
}

void TYX_BandWnd::SetDropSelected(int band, bool onButton) {
  dropBand_ = band;
  for (int i = 0; i < GetCount(); ++i) {
    TYX_BandItem& item = *items_[static_cast<std::size_t>(i)];
    item.button->SetDropMode(dropMode_);
    item.button->SetDropSelected(dropMode_ && onButton && i == band);
    if (auto* tree = GetBandTreeWnd(i)) {
      tree->SetDropMode(dropMode_);
      const bool selected = dropMode_ && !onButton && i == band;
      tree->SetDropSelected(selected);
      if (!selected) tree->GetBandTreeCtrl().SelectDropTarget(nullptr);
    }
  }
}

bool TYX_BandWnd::GetPageIDFromPoint(Win::Point screenPoint, std::string& pageId, int& band) const {
  for (int i = 0; i < GetCount(); ++i) {
    const TYX_BandItem& item = *items_[static_cast<std::size_t>(i)];
    if (item.button->IsAlive() && item.button->IsVisibleFlag() && item.button->GetWindowRect().Contains(screenPoint)) {
      band = i;
      pageId.clear();
      return true;
    }
    if (!HasLiveWindow(i) || !item.window->IsVisibleFlag() || !item.window->GetWindowRect().Contains(screenPoint))
      continue;
    if (const TYX_BandTreeWnd* tree = GetBandTreeWnd(i)) {
      const TYX_BandTreeCtrl& ctrl = tree->GetBandTreeCtrl();
      Win::Point p = screenPoint;
      ctrl.ScreenToClient(p);
      if (HTREEITEM node = ctrl.HitTest(p, nullptr)) {
        pageId = ctrl.GetPageID(node);
        band = -1;
        return true;
      }
    }
    // A point in a window but on no node goes on to the next band.
  }
  return false;
}

Win::LRESULT TYX_BandWnd::BandDropFiles(_DropTarget* target) {
  return SendMessageToParentWindow(WM_BAND_DROPFILES, 0, Win::RecordToLParam(target));
}

void TYX_BandWnd::OnButtonDropFiles(Win::UINT buttonId, Controls::HDROP drop) {
  const int band = static_cast<int>(buttonId) - static_cast<int>(kFirstButtonId);
  if (Valid(band)) {
    auto record = std::make_unique<_DropTarget>();
    record->hDrop = drop;
    record->pageId = items_[static_cast<std::size_t>(band)]->pageId;
    BandDropFiles(record.get());
  } else {
    TYX_Log::Instance()->Add("TYX_BandWnd::OnButtonDropFiles id : %u has no band", buttonId);
  }
  // The record is freed and the list released once the host's handling has returned.
  Controls::DragFinish(drop);
}

}  // namespace TYX::Library
