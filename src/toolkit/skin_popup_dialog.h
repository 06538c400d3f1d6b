#pragma once
// The skinned popup dialog: the popup frame plus the controls of its dialog template (when one is
// registered under its template ID) and the dialog's own drawing: texts, fills and images it asks
// for at fixed coordinates, drawn over the frame on every paint.
#include <memory>
#include <string>
#include <vector>

#include "platform/display_list.h"
#include "toolkit/skin_popup.h"

namespace TYX::Controls {

class TYX_Skin_PopupDialog : public TYX_Skin_Popup {
 public:
  explicit TYX_Skin_PopupDialog(UINT templateId = 0, HWND parent = nullptr);
  ~TYX_Skin_PopupDialog() override;

  // The control with that ID as the wanted class, or null.
  template <class T>
  T* GetControl(UINT id) const {
    return dynamic_cast<T*>(Win::Window::FromHandle(GetDlgItem(id)));
  }
  // Replaces the control with that ID by a new control of the caller's, created at the same place with
  // the same ID, text and style; the old one is destroyed. Returns the new control, or null when there
  // is no such control or the creation failed.
  template <class T>
  T* ReplaceControl(UINT id) {
    auto control = std::make_unique<T>();
    if (!ReplaceControlWith(id, *control)) return nullptr;
    return AdoptControl(std::move(control));
  }

  // Person entry point: clicks the skinned button with that ID; false when there is none or it refused.
  bool ClickButton(UINT id);

  // The dialog's own drawing, kept until cleared.
  void AddDrawText(const Win::Rect& box, const std::string& text, const Win::Font& font, COLORREF color);
  void AddDrawFill(const Win::Rect& box, COLORREF color);
  void AddDrawImage(UINT skinId, const Win::Rect& box);
  void ClearDrawInfo();
  const Win::DisplayList& GetDrawInfo() const { return drawInfo_; }

 protected:
  // Frame first, then the template's controls.
  BOOL OnInitDialog() override;
  void PaintContent(Win::DisplayList& dc) override;

 private:
  bool ReplaceControlWith(UINT id, Win::Window& replacement);
  void BuildTemplate();

  Win::DisplayList drawInfo_;  // owner thread, like every field below
  std::vector<std::unique_ptr<Win::Window>> templateControls_;
};

}  // namespace TYX::Controls
