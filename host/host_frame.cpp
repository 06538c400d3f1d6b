#include "host_frame.h"

#include "library/band_wnd_messages.h"

namespace TYX::Host {

namespace {
constexpr Win::UINT kBandId = 3000;
constexpr Win::UINT kPanelId = 3001;
constexpr Win::UINT kFirstBandButtonId = 256;
constexpr int kBandWidth = 240;
}  // namespace

HostFrame::HostFrame(TYX_LibraryManager* store)
    : store_(store), band_(std::make_unique<Library::TYX_BandWnd>()), panel_(std::make_unique<Library::TYX_LibraryPanel>()) {
  OnMessage(Library::WM_BAND_SELCHANGED, [this](Win::WPARAM, Win::LPARAM) -> Win::LRESULT {
    OnBandSelChanged();
    return 0;
  });
}

HostFrame::~HostFrame() {
  // The panel and the sidebar end before the frame's own window.
  panel_.reset();
  band_.reset();
  DestroyWindow();
}

bool HostFrame::CreateFrame(const std::vector<BandLayout>& bands) {
  if (!Create(nullptr, Win::Rect{0, 0, 1280, 860}, Win::WS_VISIBLE, 0, "Sonvar Manager")) return false;
  Win::SetMainWindow(GetSafeHwnd());
  const Win::Rect client = GetClientRect();
  if (!band_->Create(GetSafeHwnd(), Win::Rect{0, 0, kBandWidth, client.bottom}, Win::WS_CHILD | Win::WS_VISIBLE, kBandId))
    return false;
  Win::UINT buttonId = kFirstBandButtonId;
  int bandIndex = 0;
  for (const BandLayout& band : bands) {
    band_->AddItem(buttonId++, 20105, band.title, band.pageId, "");
    int data = 0;
    for (const auto& [title, pageId] : band.nodes)
      band_->AddBandItem(band.treeImage, bandIndex, 0, 0, 1, title, data++, pageId, false);
    ++bandIndex;
  }
  // The first band starts selected, without a report: the sidebar is laid out (trees get their
  // place) and no page is filled before the person picks one.
  if (!bands.empty()) band_->SetSelectBandItem(0, -1, false);
  band_->UpdateScreen();
  panel_->SetLibraryManager(store_);
  panel_->SetLibraryTreeCtrl(band_.get());
  panel_->SetMainWnd(GetSafeHwnd());
  if (!panel_->CreatePanel(GetSafeHwnd(), Win::Rect{kBandWidth, 0, client.right, client.bottom}, kPanelId)) return false;
  return true;
}

void HostFrame::OnBandSelChanged() {
  const std::string page = band_->GetSelectedPageID();
  selections_.push_back(page);
  panel_->Refresh(page, Library::TYX_LibraryPanel::REFRESH_LEVEL_CHECKEXIST, 1);
}

}  // namespace TYX::Host
