#include "tags/rich_text_dialog.h"

#include <algorithm>

namespace TYX::Dialog {

using namespace TYX::Win;

namespace {
constexpr int kLineHeight = 18;
constexpr int kSubjectTop = 40;
constexpr COLORREF kSubjectColor = 0x663A3A;
constexpr COLORREF kTextColor = 0x4C4C4C;
constexpr COLORREF kFrameColor = 0xD6CFCB;
}  // namespace

TYX_Dialog_RichText::TYX_Dialog_RichText(HWND parent) : TYX_Skin_PopupDialog(0, parent) {
  SetButtonSet(kButtonSetClose);
}

TYX_Dialog_RichText::~TYX_Dialog_RichText() = default;

void TYX_Dialog_RichText::SetSubject(const std::string& subject) {
  subject_ = subject;
  if (IsAlive()) Invalidate();
}

void TYX_Dialog_RichText::SetContent(const std::string& content) {
  content_ = content;
  lines_.clear();
  std::string line;
  for (std::size_t i = 0; i < content.size(); ++i) {
    const char c = content[i];
    if (c == '\r' || c == '\n') {
      lines_.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines_.push_back(line);
  firstLine_ = 0;
  if (IsAlive()) Invalidate();
}

Rect TYX_Dialog_RichText::TextArea() const {
  const Rect client = IsAlive() ? GetClientRect() : Rect{0, 0, GetInitialRect().Width(), GetInitialRect().Height()};
  return Rect{15, kSubjectTop + 26, client.right - 15, client.bottom - kButtonBottomMargin - kButtonHeight - 10};
}

int TYX_Dialog_RichText::VisibleLineCount() const {
  const Rect area = TextArea();
  return std::max(1, (area.Height() - 8) / kLineHeight);
}

int TYX_Dialog_RichText::ScrollLines(int n) {
  const int last = std::max(0, static_cast<int>(lines_.size()) - VisibleLineCount());
  firstLine_ = std::clamp(firstLine_ + n, 0, last);
  if (IsAlive()) Invalidate();
  return firstLine_;
}

BOOL TYX_Dialog_RichText::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && (msg->wParam == VK_UP || msg->wParam == VK_DOWN)) {
    ScrollLines(msg->wParam == VK_UP ? -1 : 1);
    return TRUE;
  }
  return TYX_Skin_PopupDialog::PreTranslateMessage(msg);
}

BOOL TYX_Dialog_RichText::OnInitDialog() {
  TYX_Skin_PopupDialog::OnInitDialog();
  CenterWindow();
  Invalidate();
  return TRUE;
}

void TYX_Dialog_RichText::PaintContent(DisplayList& dc) {
  TYX_Skin_PopupDialog::PaintContent(dc);
  const Rect client = GetClientRect();
  dc.Text(Rect{15, kSubjectTop, client.right - 15, kSubjectTop + 20}, subject_, Controls::DefaultFont(12, true),
          kSubjectColor);
  const Rect area = TextArea();
  dc.Line(Point{area.left, area.top}, Point{area.right, area.top}, kFrameColor);
  dc.Line(Point{area.left, area.bottom}, Point{area.right, area.bottom}, kFrameColor);
  dc.Line(Point{area.left, area.top}, Point{area.left, area.bottom}, kFrameColor);
  dc.Line(Point{area.right, area.top}, Point{area.right, area.bottom}, kFrameColor);
  const int shown = VisibleLineCount();
  int y = area.top + 4;
  for (int i = firstLine_; i < static_cast<int>(lines_.size()) && i < firstLine_ + shown; ++i) {
    dc.Text(Rect{area.left + 6, y, area.right - 6, y + kLineHeight}, lines_[static_cast<std::size_t>(i)],
            Controls::DefaultFont(12, false), kTextColor);
    y += kLineHeight;
  }
}

}  // namespace TYX::Dialog
