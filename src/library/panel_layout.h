#pragma once
// The panel's assembly and layout: what the panel creates when its window is created and in which
// order (each step logged), how its area divides between the top band (with the HTML view), the
// search strip, the splitter and the list area, the four fonts, the toolbar buttons, the sync-area
// hint and check box, painting, and what ends with Final.
#include <array>
#include <cstdint>
#include <memory>

#include "library/panel_part.h"
#include "platform/display_list.h"
#include "platform/window.h"

namespace TYX::Controls {
class TYX_CheckBox;
class TYX_SplitterControl;
class TYX_StaticText;
}  // namespace TYX::Controls

namespace TYX::Library {

class TYX_HTMLView;

constexpr int kToolbarButtonCount = 7;
constexpr Win::UINT kSyncAutoCheckId = 43456;
constexpr Win::UINT kSplitterId = 5339;
constexpr Win::UINT kSyncHintId = 43457;
// To the main window once the panel is complete.
constexpr Win::UINT WM_LIBRARY_PANEL_CREATED = 0x8A68;

class TYX_PanelLayout : public TYX_PanelPart {
 public:
  // The four fonts: 12 bold, 12, 11 and 14, all of the face "돋움".
  enum FontIndex : int { FONT_12_BOLD = 0, FONT_12, FONT_11, FONT_14, FONT_COUNT };
  static constexpr Win::UINT kSyncBackgroundImage = 20520;
  static constexpr Win::COLORREF kBackColor = 0xFFFFFF;
  static constexpr Win::COLORREF kToolbarLineColor = 0xD5D5D5;
  static constexpr char kSyncHintText[] =
      "보관함 또는 내 PC의 음악파일을 \"내 기기에 담을 곡 목록\"에 추가할 수 있습니다.";
  static constexpr char kSyncCheckText[] = "기기 연결과 동시에 아래 곡 목록을 자동 전송";
  static constexpr char kLoadFunctionSync[] = "check2";

  explicit TYX_PanelLayout(TYX_LibraryPanel& panel);
  ~TYX_PanelLayout() override;

  void RegisterMessages() override;

  // Lays the panel out: top band, search strip, splitter and list area.
  void UpdateRect();
  // Places the toolbar for the current type, sets the HTML view's load-time function for the sync
  // list and asks for the footer counts.
  void ButtonShow();
  // Enables and shows the toolbar buttons whose bits are set, disables and hides the others.
  void ApplyToolbar(std::uint8_t buttons);
  // Shows or hides the sync area: its hint text and check box.
  void ShowSyncCheck(bool show);
  // Shows or hides the search strip and moves it and the current list to their rectangles.
  void ShowSearchStrip(bool show);
  bool IsSearchStripShown() const { return searchShown_; }
  // Moves the current list control to the list area.
  void MoveCurrentList();
  // Saves the now-playing state and ends it, then the HTML view and the seven list controls.
  void Final();
  // True from the end of creation until Final.
  bool IsStarted() const { return started_; }
  // The panel's painting: a white client area, the sync area's background while the sync list is
  // current, and a line across the panel above the toolbar.
  void Paint(Win::DisplayList& dc) const;

  Win::Rect GetListAreaRect() const { return rectList_; }
  Win::Rect GetTopBandRect() const { return rectTop_; }
  Win::Rect GetSearchRect() const { return rectSearch_; }
  Win::Rect GetSplitterRect() const { return rectSplitter_; }
  // The toolbar buttons' y: 24 above the list area, 45 while the search strip shows.
  int GetToolbarTop() const;
  Win::Window* GetToolbarButton(int i) const;
  Win::Window* GetSyncAutoCheck() const;
  Controls::TYX_CheckBox* GetSyncCheckBox() const { return syncCheck_.get(); }
  Controls::TYX_StaticText* GetSyncHint() const { return syncHint_.get(); }
  Controls::TYX_SplitterControl* GetSplitter() const { return splitter_.get(); }
  TYX_HTMLView* GetHtmlView() const { return htmlView_.get(); }
  const Win::Font& GetFont(FontIndex i) const { return fonts_[i]; }
  int GetClientWidth() const { return clientWidth_; }
  int GetClientHeight() const { return clientHeight_; }

 private:
  // Window creation in its fixed order; -1 fails the creation.
  Win::LRESULT OnCreate();
  void OnDestroy();
  void OnSize(int width, int height);
  void InitFont();
  bool InitSplitterBar();
  // Creates the HTML view in the top band.
  bool ButtonInit();
  bool CreateToolbar();
  bool CreateSyncArea();
  // The splitter moved by delta: the search strip grows, every list shrinks at its top.
  void OnSplitterMoved(int delta);

  // Everything below: panel thread.
  std::array<Win::Font, FONT_COUNT> fonts_;
  std::unique_ptr<Controls::TYX_SplitterControl> splitter_;
  std::unique_ptr<TYX_HTMLView> htmlView_;
  std::array<std::unique_ptr<Win::Window>, kToolbarButtonCount> buttons_;
  std::unique_ptr<Controls::TYX_StaticText> syncHint_;
  std::unique_ptr<Controls::TYX_CheckBox> syncCheck_;
  Win::UINT backgroundImage_ = 0;  // the sync area's background once loaded
  int clientWidth_ = 0;
  int clientHeight_ = 0;
  bool searchShown_ = false;
  bool started_ = false;  // panel thread
  Win::Rect rectTop_, rectSearch_, rectSplitter_, rectList_;
};

}  // namespace TYX::Library
