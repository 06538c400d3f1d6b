#include "library/library_footer.h"

namespace TYX::Library {

namespace {

constexpr Win::UINT kButtonIds[3] = {kFooterBasketBtnId, kFooterPCBtnId, kFooterDeviceBtnId};
constexpr int kButtonWidth = 70;
constexpr int kButtonGap = 4;

}  // namespace

TYX_LibraryFooter::TYX_LibraryFooter() {
  OnCommand(kFooterBasketBtnId, [this] { OnBasketBtn(); });
  OnCommand(kFooterPCBtnId, [this] { OnPCBtn(); });
  OnCommand(kFooterDeviceBtnId, [this] { OnDeviceBtn(); });
}

TYX_LibraryFooter::~TYX_LibraryFooter() { DestroyWindow(); }

Win::HRESULT TYX_LibraryFooter::CreateFooter(Win::HWND parent, const Win::Rect& rect, Win::UINT id) {
  if (parent == nullptr) return Win::E_INVALIDARG;
  if (!Create(parent, rect, Win::WS_CHILD, id)) return Win::E_FAIL;
  const int height = rect.Height();
  for (int i = 0; i < 3; ++i) {
    auto button = std::make_unique<Controls::TYX_SkinButton>();
    const int x = kButtonGap + i * (kButtonWidth + kButtonGap);
    if (!button->CreateSkinButton(GetSafeHwnd(), Win::Rect{x, 0, x + kButtonWidth, height}, kButtonIds[i], {})) {
      return Win::E_FAIL;
    }
    buttons_[static_cast<std::size_t>(i)] = std::move(button);
  }
  return Win::S_OK;
}

Controls::TYX_SkinButton* TYX_LibraryFooter::GetButton(int i) const {
  if (i < 0 || i >= 3) return nullptr;
  return buttons_[static_cast<std::size_t>(i)].get();
}

Win::HRESULT TYX_LibraryFooter::SendToParent(Win::UINT message) {
  const Win::HWND parent = GetParent();
  if (!Win::IsWindow(parent)) return Win::E_FAIL;
  Win::SendMessage(parent, message, 0, 0);
  return Win::S_OK;
}

Win::HRESULT TYX_LibraryFooter::OnBasketBtn() { return SendToParent(WM_FOOTER_BASKET); }
Win::HRESULT TYX_LibraryFooter::OnPCBtn() { return SendToParent(WM_FOOTER_PC); }
Win::HRESULT TYX_LibraryFooter::OnDeviceBtn() { return SendToParent(WM_FOOTER_DEVICE); }

void TYX_LibraryFooter::PaintContent(Win::DisplayList& dc) { dc.FillRect(GetClientRect(), kBackColor); }

}  // namespace TYX::Library
