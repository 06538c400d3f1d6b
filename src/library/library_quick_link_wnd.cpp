#include "library/library_quick_link_wnd.h"

#include "contracts/device_mgr_client.h"
#include "util/log.h"

namespace TYX::Library {

namespace {

const char* const kToolTips[TYX_Library_QuickLinkWnd::kButtonCount] = {
    "카메라", "소바르 뮤직", "휴대폰 업그레이드", "전화번호부", "찾기", "문자메시지", "게임", "카메라", "소바르랜드",
};

}  // namespace

TYX_Library_QuickLinkWnd::TYX_Library_QuickLinkWnd() {
  OnCommandRange(kFirstButtonId, kFirstButtonId + kButtonCount - 1,
                 [this](Win::UINT id) { OnQuickLink(static_cast<int>(id - kFirstButtonId)); });
}

TYX_Library_QuickLinkWnd::~TYX_Library_QuickLinkWnd() { DestroyWindow(); }

bool TYX_Library_QuickLinkWnd::CreateQuickLinkWnd(Win::HWND parent, const Win::Rect& rect, Win::UINT id,
                                                  Win::DWORD style) {
  if (!Create(parent, rect, style, id)) return false;
  return InitControl();
}

Win::Rect TYX_Library_QuickLinkWnd::ButtonRect(int i) {
  if (i < 0 || i >= kButtonCount) return {};
  int x = 9;
  for (int k = 0; k <= i; ++k) x += kButtonWidths[static_cast<std::size_t>(k)];
  return Win::Rect{x, kButtonTop, x + kButtonWidths[static_cast<std::size_t>(i)], kButtonTop + kButtonHeight};
}

std::string TYX_Library_QuickLinkWnd::GetToolTip(int i) {
  if (i < 0 || i >= kButtonCount) return {};
  return kToolTips[i];
}

bool TYX_Library_QuickLinkWnd::InitControl() {
  if (!IsAlive()) return false;
  for (int i = 0; i < kButtonCount; ++i) {
    auto& slot = buttons_[static_cast<std::size_t>(i)];
    if (slot) continue;  // made by an earlier call
    auto button = std::make_unique<Controls::TYX_SkinButton>();
    if (!button->CreateSkinButton(GetSafeHwnd(), ButtonRect(i), kFirstButtonId + static_cast<Win::UINT>(i), {},
                                  kButtonStyle)) {
      return false;
    }
    const Win::UINT image = kFirstButtonImage + static_cast<Win::UINT>(i);
    button->SetBitmaps(image, image, image, image);
    slot = std::move(button);
  }
  Invalidate();
  return true;
}

bool TYX_Library_QuickLinkWnd::OnQuickLink(int i) {
  if (i < 0 || i >= kButtonCount) return false;
  if (dmExecuteQuickLink(i) == Win::FALSE) {
    Util::TYX_Log::Instance()->Add("TYX_Library_QuickLinkWnd::OnQuickLink, the phone did not open function : %d", i);
    return false;
  }
  return true;
}

Controls::TYX_SkinButton* TYX_Library_QuickLinkWnd::GetButton(int i) const {
  if (i < 0 || i >= kButtonCount) return nullptr;
  return buttons_[static_cast<std::size_t>(i)].get();
}

void TYX_Library_QuickLinkWnd::PaintContent(Win::DisplayList& dc) { dc.Image(kBackgroundImage, GetClientRect()); }

}  // namespace TYX::Library
