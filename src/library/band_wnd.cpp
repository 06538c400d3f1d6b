#include "library/band_wnd.h"

#include "util/log.h"

namespace TYX::Library {

TYX_BandWnd::TYX_BandWnd() {
  // A click on a band button selects the band, and announces it even when it was selected already.
  OnCommandRange(kFirstButtonId, kLastButtonId, [this](Win::UINT id) {
    const int band = static_cast<int>(id - kFirstButtonId);
    if (Valid(band)) SetSelectBandItem(band, -1, true);
  });
  OnMessage(WM_BAND_SELECTITEM, [this](Win::WPARAM w, Win::LPARAM l) -> Win::LRESULT {
    OnSelectItem(static_cast<Win::UINT>(w), l);
    return 0;
  });
  OnMessage(WM_BAND_BUTTON_DROPFILES, [this](Win::WPARAM w, Win::LPARAM l) -> Win::LRESULT {
    OnButtonDropFiles(static_cast<Win::UINT>(w), reinterpret_cast<Controls::HDROP>(l));
    return 0;
  });
  // The tree's record goes on to the host; the tree control frees it once this send returns.
  OnMessage(WM_BAND_TREE_DROPFILES, [this](Win::WPARAM, Win::LPARAM l) -> Win::LRESULT {
    return BandDropFiles(Win::RecordFromLParam<_DropTarget>(l));
  });
  OnMessage(WM_BAND_POPUPMENU, [this](Win::WPARAM w, Win::LPARAM l) -> Win::LRESULT {
    return SendMessageToParentWindow(WM_BAND_POPUPMENU, w, l);
  });
  for (Win::UINT msg = WM_BAND_FORWARD_FIRST; msg <= WM_BAND_FORWARD_LAST; ++msg) {
    OnMessage(msg, [this, msg](Win::WPARAM w, Win::LPARAM l) -> Win::LRESULT {
      return SendMessageToParentWindow(msg, w, l);
    });
  }
}

TYX_BandWnd::~TYX_BandWnd() {
  while (!items_.empty()) RemoveItem(0);
}

// ---- Bands ----------------------------------------------------------------------------------------

int TYX_BandWnd::AddItem(Win::UINT id, std::unique_ptr<Win::Window> window, Win::UINT image, const std::string& title,
                         const std::string& pageId) {
  return InsertItem(id, std::move(window), GetCount(), image, title, pageId, "");
}

int TYX_BandWnd::AddItem(Win::UINT id, Win::UINT image, const std::string& title, const std::string& pageId,
                         const std::string& extra) {
  return InsertItem(id, nullptr, GetCount(), image, title, pageId, extra);
}

int TYX_BandWnd::InsertItem(Win::UINT id, std::unique_ptr<Win::Window> window, int index, Win::UINT image,
                            const std::string& title, const std::string& pageId, const std::string& extra) {
  TYX_Log::Instance()->Add("TYX_BandWnd::InsertItem() index : %d, items size : %d", index, GetCount());
  TYX_Log::Instance()->Add("TYX_BandWnd::InsertItem() - 1");
  if (index < 0 || index > GetCount()) index = GetCount();
  auto item = std::make_unique<TYX_BandItem>(id, title, pageId, extra);
  const Win::Rect rect{0, 0, 229, 18};
  MakeButton(id, *item->button, &rect, kLeftImage, image, kRightImage);
  item->button->SetTitle(title);
  items_.insert(items_.begin() + index, std::move(item));
  // The selected and drop bands keep pointing at the same bands.
  if (selectedBand_ >= index) ++selectedBand_;
  if (dropBand_ >= index) ++dropBand_;
  TYX_Log::Instance()->Add("TYX_BandWnd::InsertItem() - 2");
  SetItemWindow(index, std::move(window));
  UpdateScreen();
  TYX_Log::Instance()->Add("TYX_BandWnd::InsertItem() End");
  return index;
}

bool TYX_BandWnd::MakeButton(Win::UINT id, TYX_BandButton& button, const Win::Rect* rect, Win::UINT leftImage,
                             Win::UINT middleImage, Win::UINT rightImage) {
  button.SetAutoCalcRect(false);
  button.SetTrans(0xFF00FF);
  button.SetBitmap_DLL(leftImage, middleImage, rightImage, 0);
  const Win::DWORD style = Win::WS_CHILD | Win::WS_VISIBLE | TYX_BandButton::WS_TABSTOP | TYX_BandButton::BS_NOTIFY |
                           TYX_BandButton::BS_OWNERDRAW;
  if (!IsAlive()) {
    TYX_Log::Instance()->Add("TYX_BandWnd::MakeButton id : %u, the band window has no window yet", id);
    return false;
  }
  if (!button.CreateSkinButton("", style, rect ? *rect : Win::Rect{}, GetSafeHwnd(), id)) {
    TYX_Log::Instance()->Add("TYX_BandWnd::MakeButton id : %u not created", id);
    return false;
  }
  if (rect) button.MoveWindow(*rect);
  return true;
}

void TYX_BandWnd::SetItemWindow(int index, std::unique_ptr<Win::Window> window) {
  if (!Valid(index)) return;
  TYX_BandItem& item = *items_[static_cast<std::size_t>(index)];
  if (item.window != window) item.window = std::move(window);
  if (item.window && item.window->IsAlive()) {
    // The band window takes the item's window as its child, as the desktop framework's SetParent does.
    if (item.window->GetParent() != GetSafeHwnd() && !item.window->SetParent(GetSafeHwnd()))
      TYX_Log::Instance()->Add("TYX_BandWnd::SetItemWindow index : %d, window cannot be made a child of the band window",
                               index);
    item.window->SetDlgCtrlID(kWindowIdBase + static_cast<Win::UINT>(index));
  }
  UpdateScreen();
}

void TYX_BandWnd::RemoveItem(int index) {
  if (!Valid(index)) return;
  // The window goes first, then the item with its button.
  items_[static_cast<std::size_t>(index)]->window.reset();
  items_.erase(items_.begin() + index);
  if (selectedBand_ == index) {
    selectedBand_ = -1;
    selectedNode_ = -1;
  } else if (selectedBand_ > index) {
    --selectedBand_;
  }
  if (dropBand_ == index) dropBand_ = -1;
  else if (dropBand_ > index) --dropBand_;
  UpdateScreen();
}

Win::UINT TYX_BandWnd::GetItemParameter(int index) const {
  return Valid(index) ? items_[static_cast<std::size_t>(index)]->id : 0;
}

Win::Window* TYX_BandWnd::GetItemWindow(int index) const {
  return Valid(index) ? items_[static_cast<std::size_t>(index)]->window.get() : nullptr;
}

TYX_BandButton* TYX_BandWnd::GetItemButton(int index) const {
  return Valid(index) ? items_[static_cast<std::size_t>(index)]->button.get() : nullptr;
}

TYX_BandTreeWnd* TYX_BandWnd::GetBandTreeWnd(int index) const {
  return dynamic_cast<TYX_BandTreeWnd*>(GetItemWindow(index));
}

const TYX_BandItem* TYX_BandWnd::GetItem(int index) const {
  return Valid(index) ? items_[static_cast<std::size_t>(index)].get() : nullptr;
}

bool TYX_BandWnd::HasLiveWindow(int band) const {
  Win::Window* w = GetItemWindow(band);
  return w && w->IsAlive();
}

void TYX_BandWnd::SetMessage(Win::HWND wnd, Win::UINT msg) {
  TYX_Log::Instance()->Add("TYX_BandWnd::SetMessage(void)");
  notifyWnd_ = wnd;
  notifyMsg_ = msg;
}

// ---- Nodes ----------------------------------------------------------------------------------------

int TYX_BandWnd::AddBandItem(Win::UINT treeImage, int band, int unused, int image, int selectedImage,
                             const std::string& title, int data, const std::string& pageId, bool select) {
  if (!Valid(band)) return 0;
  TYX_BandItem& item = *items_[static_cast<std::size_t>(band)];
  if (!item.window) {
    auto tree = std::make_unique<TYX_BandTreeWnd>();
    if (tree->Create(GetSafeHwnd(), Win::Rect{}, Win::WS_CHILD | Win::WS_VISIBLE, static_cast<Win::UINT>(band))) {
      // Without the skin bitmap the tree still lists its nodes, without images.
      tree->Initialize(treeImage, Win::Rect{});
    } else {
      TYX_Log::Instance()->Add("TYX_BandWnd::AddBandItem band : %d, tree window not created", band);
    }
    item.window = std::move(tree);
  }
  if (auto* tree = dynamic_cast<TYX_BandTreeWnd*>(item.window.get()))
    tree->AddNode(unused, image, selectedImage, title, data, pageId, select);
  return 0;
}

int TYX_BandWnd::DeleteBandItem(int band, int data) {
  TYX_Log::Instance()->Add("TYX_BandWnd::DeleteBandItem(int iBandIndex, int iData)");
  if (auto* tree = GetBandTreeWnd(band)) tree->DeleteChildNode(data, true);
  TYX_Log::Instance()->Add("TYX_BandWnd::DeleteBandItem(int iBandIndex, int iData) End");
  return 0;
}

int TYX_BandWnd::RemoveBandItem(int band) {
  TYX_Log::Instance()->Add("TYX_BandWnd::RemoveBandItem(int iBandIndex : %d)", band);
  const int count = GetItemSize(band);
  for (int position = count - 1; position >= 0; --position)
    DeleteBandItem(band, GetBandItemDataFromIndex(band, position));
  TYX_Log::Instance()->Add("TYX_BandWnd::RemoveBandItem(int iBandIndex) End");
  return count;
}

void TYX_BandWnd::SetUsed(int band, bool used) {
  TYX_Log::Instance()->Add("TYX_BandWnd::SetUsed(int iBandIndex, bool bUsed) %d Used : %d", band, used ? 1 : 0);
  if (Valid(band)) items_[static_cast<std::size_t>(band)]->used = used;
  TYX_Log::Instance()->Add("TYX_BandWnd::SetUsed(int iBandIndex, bool bUsed) %d Used : %d End", band, used ? 1 : 0);
}

bool TYX_BandWnd::GetUsed(int band) const { return Valid(band) && items_[static_cast<std::size_t>(band)]->used; }

int TYX_BandWnd::GetItemSize(int band) const {
  const TYX_BandTreeWnd* tree = GetBandTreeWnd(band);
  return tree ? tree->GetItemSize() : 0;
}

TYX_BandWnd::HTREEITEM TYX_BandWnd::GetBandItemFromData(int band, int data) const {
  const TYX_BandTreeWnd* tree = GetBandTreeWnd(band);
  return tree ? tree->GetItemFromData(data) : nullptr;
}

int TYX_BandWnd::GetBandItemDataFromIndex(int band, int position) const {
  const TYX_BandTreeWnd* tree = GetBandTreeWnd(band);
  return tree ? tree->GetItemDataFromIndex(position) : -1;
}

std::string TYX_BandWnd::GetBandTitleFromIndex(int band, int position) const {
  const TYX_BandTreeWnd* tree = GetBandTreeWnd(band);
  return tree ? tree->GetTitleFromIndex(position) : std::string();
}

std::string TYX_BandWnd::GetBandPageIDFromIndex(int band, int position) const {
  const TYX_BandTreeWnd* tree = GetBandTreeWnd(band);
  return tree ? tree->GetPageIDFromIndex(position) : std::string();
}

// ---- Selection ------------------------------------------------------------------------------------

std::string TYX_BandWnd::GetSelectedPageID() const {
  if (!Valid(selectedBand_)) return {};
  if (selectedNode_ == -1) return items_[static_cast<std::size_t>(selectedBand_)]->pageId;
  const TYX_BandTreeWnd* tree = GetBandTreeWnd(selectedBand_);
  if (!tree) return {};
  // The selected node is known by its item data; child nodes count as well.
  HTREEITEM node = tree->GetBandTreeCtrl().GetNodeFromData(selectedNode_);
  return node ? tree->GetBandTreeCtrl().GetPageID(node) : std::string();
}

std::string TYX_BandWnd::GetSelectedPageTitle() const {
  if (!Valid(selectedBand_)) return {};
  if (selectedNode_ == -1) return items_[static_cast<std::size_t>(selectedBand_)]->title;
  const TYX_BandTreeWnd* tree = GetBandTreeWnd(selectedBand_);
  if (!tree) return {};
  HTREEITEM node = tree->GetBandTreeCtrl().GetNodeFromData(selectedNode_);
  return node ? tree->GetBandTreeCtrl().GetItemText(node) : std::string();
}

void TYX_BandWnd::SetSelectBandItem(int band, int node, bool notify) {
  if (!Valid(band)) return;
  if (node == -1) {
    SetSelectedItem(band, notify);
    UpdateScreen();
    return;
  }
  selectedBand_ = band;
  selectedNode_ = node;
  everSelected_ = true;
  for (int i = 0; i < GetCount(); ++i) {
    if (auto* tree = GetBandTreeWnd(i)) {
      // A notified selection comes back as WM_BAND_SELECTITEM and is handled as a click.
      if (i == band) tree->SetSelectItem(node, notify);
      else tree->SetSelectItem(-1, true);
    }
    items_[static_cast<std::size_t>(i)]->button->SetSelected(false);
  }
  UpdateScreen();
}

void TYX_BandWnd::SetSelectedItem(int band, bool notify) {
  const int old = selectedBand_;
  selectedBand_ = band;
  selectedNode_ = -1;
  everSelected_ = true;
  for (int i = 0; i < GetCount(); ++i) {
    TYX_BandItem& item = *items_[static_cast<std::size_t>(i)];
    if (i == band) {
      item.button->SetSelected(true);
      if (notify && GetParent())
        Win::PostMessage(GetParent(), WM_BAND_SELCHANGED, static_cast<Win::WPARAM>(band + 16), 0);
    } else {
      item.button->SetSelected(false);
    }
    if (auto* tree = GetBandTreeWnd(i)) tree->SetSelectItem(-1, true);
  }
  if (selectedBand_ != old) UpdateScreen();
}

void TYX_BandWnd::OnSelectItem(Win::UINT treeWndId, Win::LPARAM data) {
  for (int i = 0; i < GetCount(); ++i) {
    TYX_BandItem& item = *items_[static_cast<std::size_t>(i)];
    if (HasLiveWindow(i)) {
      if (item.window->GetDlgCtrlID() == treeWndId) {
        if (GetParent())
          Win::PostMessage(GetParent(), WM_BAND_SELCHANGED, static_cast<Win::WPARAM>(i + 32), data);
        selectedBand_ = i;
        selectedNode_ = static_cast<int>(data);
        everSelected_ = true;
      } else if (auto* tree = GetBandTreeWnd(i)) {
        tree->SetSelectItem(-1, true);
      }
    }
    item.button->SetSelected(false);
  }
  Invalidate();
}

// ---- Layout and painting --------------------------------------------------------------------------

void TYX_BandWnd::UpdateScreen() {
  if (!IsAlive() || !IsWindowVisible()) return;
  const Win::Rect client = GetClientRect();
  // Nothing is laid out until a band is selected; removing the selected band later leaves no band
  // selected, and the others must still close the gap.
  if (client.Width() == 0 || client.Height() == 0 || !everSelected_) return;
  const int left = client.left + 2;
  const int right = client.right;
  int y = client.top + 1;
  for (int i = 0; i < GetCount(); ++i) {
    TYX_BandItem& item = *items_[static_cast<std::size_t>(i)];
    Win::Window* window = HasLiveWindow(i) ? item.window.get() : nullptr;
    if (!item.used) {
      item.button->ShowWindow(Win::SW_HIDE);
      if (window) window->ShowWindow(Win::SW_HIDE);
      continue;
    }
    item.button->ShowWindow(Win::SW_SHOW);
    const Win::Rect buttonRect{left, y + kButtonGap, right, y + kButtonGap + kButtonHeight};
    y = buttonRect.bottom;
    if (item.button->GetRectInParent() != buttonRect) item.button->MoveWindow(buttonRect);
    if (!window) continue;
    if (item.shown) {
      const Win::Rect windowRect{left, y, right, y + GetItemSize(i) * kNodeHeight};
      y = windowRect.bottom;
      if (window->GetRectInParent() != windowRect) window->MoveWindow(windowRect);
      window->ShowWindow(Win::SW_SHOW);
      if (i == selectedBand_) window->SetFocus();
    } else {
      window->ShowWindow(Win::SW_HIDE);
    }
  }
  Invalidate();
}

void TYX_BandWnd::PaintContent(Win::DisplayList& dc) {
  const Win::Rect client = GetClientRect();
  // The white background is kept at the client size and made again only when the size changes.
  const Win::Size size{client.Width(), client.Height()};
  if (size != backgroundSize_) {
    backgroundSize_ = size;
    ++backgroundBuilds_;
  }
  dc.FillRect(client, 0xFFFFFF);
}

}  // namespace TYX::Library
