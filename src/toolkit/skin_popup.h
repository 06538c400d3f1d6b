#pragma once
// The skinned popup frame over the framework's modal dialog: a title bar with a title icon and the
// title, a close box in the title bar (the popup's auxiliary window, which a derived dialog may hide),
// and a set of skinned buttons along the bottom edge. Everything sits at fixed coordinates computed
// from the window size.
//
// Frame buttons carry IDOK or IDCANCEL, so a click reaches OnOK or OnCancel; the close box and Escape
// reach OnCancel. Return reaches OnOK only when the popup shows an enabled OK button.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/dialog.h"
#include "toolkit/skin_button.h"
#include "toolkit/toolkit_types.h"

namespace TYX::Controls {

struct TYX_PopupButtonInfo {
  UINT id = 0;
  std::string caption;
};

class TYX_Skin_Popup : public Win::Dialog {
 public:
  // Button sets. 0 none; 1 a single close button; 2 a single cancel button; the skin button sets 8007 to
  // 8011 as the system's dialogs name them.
  static constexpr UINT kButtonSetNone = 0;
  static constexpr UINT kButtonSetClose = 1;
  static constexpr UINT kButtonSetCancel = 2;
  static constexpr UINT kButtonSetOk = 8007;
  static constexpr UINT kButtonSetOkCancel = 8008;
  static constexpr UINT kButtonSetNextCancel = 8009;
  static constexpr UINT kButtonSetConfirm = 8010;
  static constexpr UINT kButtonSetYesNo = 8011;

  static constexpr int kTitleHeight = 30;
  static constexpr int kButtonWidth = 73;
  static constexpr int kButtonHeight = 22;
  static constexpr int kButtonGap = 6;
  static constexpr int kButtonBottomMargin = 15;
  static constexpr UINT kCloseBoxId = 0xE100;
  static constexpr UINT kTitleBarImage = 20250;
  static constexpr UINT kCloseBoxImage = 20251;
  // The desktop used for centring a popup that has no owner.
  static constexpr int kScreenWidth = 1280;
  static constexpr int kScreenHeight = 1024;

  explicit TYX_Skin_Popup(UINT templateId = 0, HWND parent = nullptr);
  ~TYX_Skin_Popup() override;

  void SetTitle(const std::string& title);
  const std::string& GetTitle() const { return title_; }
  void SetTitleIcon(UINT skinId);
  UINT GetTitleIcon() const { return titleIcon_; }

  // Chooses a known button set; an unknown set ID is refused (false) and changes nothing. Takes effect
  // at once when the window exists, else when it is initialised.
  bool SetButtonSet(UINT setId);
  // A button set of one's own, in order from left to right.
  void SetButtonSet(UINT setId, std::vector<TYX_PopupButtonInfo> buttons);
  UINT GetButtonSet() const { return buttonSet_; }
  const std::vector<TYX_PopupButtonInfo>& GetButtonInfos() const { return buttonInfos_; }
  // The buttons of a known set, empty for an unknown one.
  static std::vector<TYX_PopupButtonInfo> ButtonsOfSet(UINT setId, bool* known = nullptr);
  void SetButtonsCentered(bool centered);
  TYX_SkinButton* GetFrameButton(UINT id) const;
  std::vector<TYX_SkinButton*> GetFrameButtons() const;

  // Whether the frame gets a close box; decide before the window is created.
  void SetHasCloseBox(bool has) { hasCloseBox_ = has; }
  // The auxiliary window of the frame (the close box), or null when there is none.
  Win::Window* GetAuxWindow() const;

  // Size of the window, before or after creation; the frame is laid out again.
  void SetWindowSize(int cx, int cy);
  // Centres over the owner's window, or over the desktop without an owner.
  void CenterWindow();

  // Controls whose lifetime the popup keeps until it is deleted.
  template <class T>
  T* AdoptControl(std::unique_ptr<T> control) {
    T* raw = control.get();
    owned_.push_back(std::move(control));
    return raw;
  }
  template <class T, class... Args>
  T* MakeControl(Args&&... args) {
    return AdoptControl(std::make_unique<T>(std::forward<Args>(args)...));
  }

  BOOL PreTranslateMessage(Win::MSG* msg) override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  // Builds the frame: close box and button set. Derived dialogs call it first.
  BOOL OnInitDialog() override;
  void PaintContent(Win::DisplayList& dc) override;
  // Places the close box and the buttons for the current size.
  void LayoutFrame();

 private:
  void BuildButtons();

  std::string title_;  // owner thread, like every field below
  UINT titleIcon_ = 0;
  UINT buttonSet_ = kButtonSetNone;
  std::vector<TYX_PopupButtonInfo> buttonInfos_;
  bool centered_ = true;
  bool hasCloseBox_ = true;
  std::unique_ptr<TYX_SkinButton> closeBox_;
  std::vector<std::unique_ptr<TYX_SkinButton>> frameButtons_;
  std::vector<std::unique_ptr<Win::Window>> owned_;
};

}  // namespace TYX::Controls
