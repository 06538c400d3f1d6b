#pragma once
// A read-only text popup: a title, a subject line over a framed text area, and the text itself,
// broken at its line ends and scrolled by whole lines (the up and down keys, or ScrollLines). The
// lyrics view shows a song's lyrics in it.
#include <string>
#include <vector>

#include "toolkit/skin_popup_dialog.h"

namespace TYX::Dialog {

class TYX_Dialog_RichText : public Controls::TYX_Skin_PopupDialog {
 public:
  explicit TYX_Dialog_RichText(Win::HWND parent = nullptr);
  ~TYX_Dialog_RichText() override;

  void SetSubject(const std::string& subject);
  const std::string& GetSubject() const { return subject_; }
  // "\r\n", "\n" and "\r" all end a line.
  void SetContent(const std::string& content);
  const std::string& GetContent() const { return content_; }
  const std::vector<std::string>& GetLines() const { return lines_; }

  // The number of whole lines the text area shows at the current size.
  int VisibleLineCount() const;
  int GetFirstVisibleLine() const { return firstLine_; }
  // Person entry point: scrolls by n lines (negative: up), kept within the text. Returns the new first line.
  int ScrollLines(int n);

  Win::BOOL PreTranslateMessage(Win::MSG* msg) override;

 protected:
  Win::BOOL OnInitDialog() override;
  void PaintContent(Win::DisplayList& dc) override;

 private:
  Win::Rect TextArea() const;

  std::string subject_;  // window thread, like every field below
  std::string content_;
  std::vector<std::string> lines_;
  int firstLine_ = 0;
};

}  // namespace TYX::Dialog
