#pragma once
// A skinned single-line edit field. Every change of its text, whether typed by the person or set by
// code, sends the parent WM_COMMAND with EN_CHANGE, as the desktop edit control does. A text longer
// than the limit is cut at the last whole UTF-8 character that fits.
#include <cstddef>
#include <string>

#include "platform/window.h"
#include "toolkit/toolkit_types.h"

namespace TYX::Controls {

class TYX_Edit : public Win::Window {
 public:
  TYX_Edit();

  bool CreateEdit(HWND parent, const Win::Rect& rect, UINT id, const std::string& text = {},
                  Win::DWORD style = Win::WS_CHILD | Win::WS_VISIBLE);

  void SetText(const std::string& text) { SetWindowText(text); }
  std::string GetText() const { return GetWindowText(); }
  // Limit in bytes; 0 means no limit.
  void SetLimitText(std::size_t maxBytes) { limit_ = maxBytes; }
  std::size_t GetLimitText() const { return limit_; }
  void SetReadOnly(bool readOnly);
  bool IsReadOnly() const { return readOnly_; }
  void SetTextColor(COLORREF color);

  // Person entry points; refused (false) on a dead, hidden, disabled or read-only field.
  bool TypeText(const std::string& text);  // replaces the whole text
  bool AppendText(const std::string& text);
  int ChangeCount() const { return changes_; }

 protected:
  void PaintContent(Win::DisplayList& dc) override;

 private:
  std::string Limited(const std::string& text) const;
  bool PersonMayType() const;

  std::size_t limit_ = 0;  // owner thread, like every field below
  bool readOnly_ = false;
  COLORREF color_ = 0x4C4C4C;
  int changes_ = 0;
};

}  // namespace TYX::Controls
