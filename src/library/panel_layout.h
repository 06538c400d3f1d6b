#pragma once
// The panel's assembly and layout: what the panel creates when its window is created and in which
// order, how its area divides between the top band, the search strip, the splitter and the list area,
// the toolbar buttons, the sync-area check box, and what is saved when the window ends.
#include <array>
#include <cstdint>
#include <memory>

#include "library/panel_part.h"
#include "platform/window.h"

namespace TYX::Library {

constexpr int kToolbarButtonCount = 7;
constexpr Win::UINT kSyncAutoCheckId = 43456;
// To the main window once the panel is complete.
constexpr Win::UINT WM_LIBRARY_PANEL_CREATED = 0x8A68;

class TYX_PanelLayout : public TYX_PanelPart {
 public:
  using TYX_PanelPart::TYX_PanelPart;
  ~TYX_PanelLayout() override;

  void RegisterMessages() override;

  // Lays the panel out: top band, search strip, splitter and list area.
  void UpdateRect();
  // Places the toolbar for the current type and asks for the footer counts.
  void ButtonShow();
  // Enables and shows the toolbar buttons whose bits are set, disables and hides the others.
  void ApplyToolbar(std::uint8_t buttons);
  void ShowSyncCheck(bool show);
  // Shows or hides the search strip and moves it and the current list to their rectangles.
  void ShowSearchStrip(bool show);
  bool IsSearchStripShown() const { return searchShown_; }
  // Moves the current list control to the list area.
  void MoveCurrentList();

  Win::Rect GetListAreaRect() const { return rectList_; }
  Win::Rect GetTopBandRect() const { return rectTop_; }
  Win::Rect GetSearchRect() const { return rectSearch_; }
  Win::Window* GetToolbarButton(int i) const;
  Win::Window* GetSyncAutoCheck() const { return syncCheck_.get(); }

 private:
  // Window creation in its fixed order; -1 fails the creation.
  Win::LRESULT OnCreate();
  void OnDestroy();
  void OnSize();

  // Everything below: panel thread.
  std::array<std::unique_ptr<Win::Window>, kToolbarButtonCount> buttons_;
  std::unique_ptr<Win::Window> syncCheck_;
  bool searchShown_ = false;
  Win::Rect rectTop_, rectSearch_, rectSplitter_, rectList_;
};

}  // namespace TYX::Library
