#include "toolkit/skin_popup.h"

namespace TYX::Controls {

using namespace Win;

TYX_Skin_Popup::TYX_Skin_Popup(UINT templateId, HWND parent) : Dialog(templateId, parent) {
  OnCommand(kCloseBoxId, [this] { OnCancel(); });
}

LRESULT TYX_Skin_Popup::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = Dialog::WindowProc(msg, wParam, lParam);
  // The frame follows every size change, whatever handler a derived dialog has for WM_SIZE.
  if (msg == WM_SIZE && IsAlive()) LayoutFrame();
  return result;
}

TYX_Skin_Popup::~TYX_Skin_Popup() = default;

void TYX_Skin_Popup::SetTitle(const std::string& title) {
  title_ = title;
  SetWindowText(title);
}

void TYX_Skin_Popup::SetTitleIcon(UINT skinId) {
  titleIcon_ = skinId;
  Invalidate();
}

std::vector<TYX_PopupButtonInfo> TYX_Skin_Popup::ButtonsOfSet(UINT setId, bool* known) {
  if (known) *known = true;
  switch (setId) {
    case kButtonSetNone: return {};
    case kButtonSetClose: return {{IDCANCEL, "닫기"}};
    case kButtonSetCancel: return {{IDCANCEL, "취소"}};
    case kButtonSetOk: return {{IDOK, "확인"}};
    case kButtonSetOkCancel: return {{IDOK, "확인"}, {IDCANCEL, "취소"}};
    case kButtonSetNextCancel: return {{IDOK, "다음"}, {IDCANCEL, "취소"}};
    case kButtonSetConfirm: return {{IDOK, "확인"}};
    case kButtonSetYesNo: return {{IDOK, "예"}, {IDCANCEL, "아니오"}};
    default:
      if (known) *known = false;
      return {};
  }
}

bool TYX_Skin_Popup::SetButtonSet(UINT setId) {
  bool known = false;
  auto buttons = ButtonsOfSet(setId, &known);
  if (!known) return false;
  SetButtonSet(setId, std::move(buttons));
  return true;
}

void TYX_Skin_Popup::SetButtonSet(UINT setId, std::vector<TYX_PopupButtonInfo> buttons) {
  buttonSet_ = setId;
  buttonInfos_ = std::move(buttons);
  if (IsAlive()) {
    BuildButtons();
    Invalidate();
  }
}

void TYX_Skin_Popup::SetButtonsCentered(bool centered) {
  centered_ = centered;
  if (IsAlive()) LayoutFrame();
}

TYX_SkinButton* TYX_Skin_Popup::GetFrameButton(UINT id) const {
  for (auto& b : frameButtons_)
    if (b->IsAlive() && b->GetDlgCtrlID() == id) return b.get();
  return nullptr;
}

std::vector<TYX_SkinButton*> TYX_Skin_Popup::GetFrameButtons() const {
  std::vector<TYX_SkinButton*> out;
  for (auto& b : frameButtons_)
    if (b->IsAlive()) out.push_back(b.get());
  return out;
}

Window* TYX_Skin_Popup::GetAuxWindow() const {
  return closeBox_ && closeBox_->IsAlive() ? closeBox_.get() : nullptr;
}

void TYX_Skin_Popup::SetWindowSize(int cx, int cy) {
  if (!IsAlive()) {
    Rect rc = GetInitialRect();
    rc.right = rc.left + cx;
    rc.bottom = rc.top + cy;
    SetInitialRect(rc);
    return;
  }
  Rect rc = GetRectInParent();
  rc.right = rc.left + cx;
  rc.bottom = rc.top + cy;
  MoveWindow(rc);
}

void TYX_Skin_Popup::CenterWindow() {
  Rect area{0, 0, kScreenWidth, kScreenHeight};
  if (Window* owner = Window::FromHandle(GetOwnerWindow())) area = owner->GetWindowRect();
  const Rect cur = IsAlive() ? GetRectInParent() : GetInitialRect();
  const int left = area.left + (area.Width() - cur.Width()) / 2;
  const int top = area.top + (area.Height() - cur.Height()) / 2;
  const Rect rc{left, top, left + cur.Width(), top + cur.Height()};
  if (IsAlive())
    MoveWindow(rc);
  else
    SetInitialRect(rc);
}

BOOL TYX_Skin_Popup::OnInitDialog() {
  if (!title_.empty()) SetWindowText(title_);
  closeBox_.reset();
  if (hasCloseBox_) {
    closeBox_ = std::make_unique<TYX_SkinButton>();
    closeBox_->CreateSkinButton(GetSafeHwnd(), Rect{}, kCloseBoxId, {});
    closeBox_->SetBitmaps(kCloseBoxImage, kCloseBoxImage, kCloseBoxImage, kCloseBoxImage);
  }
  BuildButtons();
  return TRUE;
}

void TYX_Skin_Popup::BuildButtons() {
  frameButtons_.clear();  // destroys the windows of an earlier set
  for (auto& info : buttonInfos_) {
    auto b = std::make_unique<TYX_SkinButton>();
    b->CreateSkinButton(GetSafeHwnd(), Rect{}, info.id, info.caption);
    b->SetBitmaps(buttonSet_, buttonSet_, buttonSet_, buttonSet_);
    frameButtons_.push_back(std::move(b));
  }
  LayoutFrame();
}

void TYX_Skin_Popup::LayoutFrame() {
  if (!IsAlive()) return;
  const Rect client = GetClientRect();
  if (closeBox_ && closeBox_->IsAlive())
    closeBox_->MoveWindow(Rect{client.right - 26, 7, client.right - 10, 23});
  const int n = static_cast<int>(frameButtons_.size());
  if (n == 0) return;
  const int total = n * kButtonWidth + (n - 1) * kButtonGap;
  int x = centered_ ? (client.Width() - total) / 2 : client.right - 15 - total;
  const int y = client.bottom - kButtonBottomMargin - kButtonHeight;
  for (auto& b : frameButtons_) {
    b->MoveWindow(Rect{x, y, x + kButtonWidth, y + kButtonHeight});
    x += kButtonWidth + kButtonGap;
  }
}

BOOL TYX_Skin_Popup::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) {
    // Return means OK only where the person could press an OK button.
    HWND ok = GetDlgItem(IDOK);
    if (!ok || !TYX::Win::IsWindowVisible(ok) || !TYX::Win::IsWindowEnabled(ok)) return TRUE;
  }
  return Dialog::PreTranslateMessage(msg);
}

void TYX_Skin_Popup::PaintContent(DisplayList& dc) {
  const Rect client = GetClientRect();
  dc.FillRect(client, 0xFFFFFF);
  const Rect titleBar{0, 0, client.right, kTitleHeight};
  dc.Image(kTitleBarImage, titleBar);
  int textLeft = 12;
  if (titleIcon_) {
    dc.Image(titleIcon_, Rect{10, 7, 26, 23});
    textLeft = 32;
  }
  const std::string title = GetWindowText();
  if (!title.empty()) dc.Text(Rect{textLeft, 0, client.right - 32, kTitleHeight}, title, DefaultFont(12, true), 0xFFFFFF);
  // A one-pixel border around the whole popup.
  const COLORREF border = 0x8C7B73;
  dc.Line(Point{0, 0}, Point{client.right - 1, 0}, border);
  dc.Line(Point{0, client.bottom - 1}, Point{client.right - 1, client.bottom - 1}, border);
  dc.Line(Point{0, 0}, Point{0, client.bottom - 1}, border);
  dc.Line(Point{client.right - 1, 0}, Point{client.right - 1, client.bottom - 1}, border);
}

}  // namespace TYX::Controls
