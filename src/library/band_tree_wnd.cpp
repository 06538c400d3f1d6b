#include "library/band_tree_wnd.h"

#include <algorithm>
#include <cstdio>

#include "util/log.h"

namespace TYX::Library {

TYX_BandTreeWnd::TYX_BandTreeWnd() {
  OnMessage(Win::WM_SIZE, [this](Win::WPARAM, Win::LPARAM l) -> Win::LRESULT {
    const int cx = static_cast<int>(Win::LOWORD(static_cast<std::uintptr_t>(l)));
    const int cy = static_cast<int>(Win::HIWORD(static_cast<std::uintptr_t>(l)));
    if (cx != 0 && cy != 0 && tree_.IsAlive()) tree_.MoveWindow(Win::Rect{0, 0, cx, cy});
    return 0;
  });
  // A node click goes on to the band window with this window's control ID in place of 0. The clicked
  // node is the one the end of a drag brings back.
  OnMessage(WM_BAND_SELECTITEM, [this](Win::WPARAM, Win::LPARAM l) -> Win::LRESULT {
    selectedData_ = static_cast<int>(l);
    if (GetParent()) Win::PostMessage(GetParent(), WM_BAND_SELECTITEM, GetDlgCtrlID(), l);
    return 0;
  });
  OnMessage(WM_BAND_POPUPMENU, [this](Win::WPARAM w, Win::LPARAM l) -> Win::LRESULT {
    return SendMessageToParentWindow(WM_BAND_POPUPMENU, w, l);
  });
  OnMessage(WM_BAND_TREE_DROPFILES, [this](Win::WPARAM w, Win::LPARAM l) -> Win::LRESULT {
    return SendMessageToParentWindow(WM_BAND_TREE_DROPFILES, w, l);
  });
  // The page announcement stops here; the band window learns of selections through WM_BAND_SELECTITEM.
  OnMessage(WM_BAND_SELECTPAGE, [](Win::WPARAM, Win::LPARAM) -> Win::LRESULT { return 0; });
}

TYX_BandTreeWnd::~TYX_BandTreeWnd() = default;

Win::HRESULT TYX_BandTreeWnd::CreateTree(const Win::Rect& rect) {
  if (!GetSafeHwnd()) return Win::E_FAIL;
  if (!tree_.IsAlive() &&
      !tree_.Create(GetSafeHwnd(), rect,
                    Win::WS_CHILD | Controls::TVS_LINESATROOT | Controls::TVS_HASBUTTONS, kTreeCtrlId))
    return Win::E_FAIL;
  char name[32];
  std::snprintf(name, sizeof(name), "BandTreeCtrl_%u", GetDlgCtrlID());
  SetWindowText(name);
  tree_.SetWindowText(name);
  font_ = Win::Font{"돋움", 12, false};
  tree_.SetFont(font_);
  return Win::S_OK;
}

Win::HRESULT TYX_BandTreeWnd::Initialize(const TYX_BandTreeCtrl::tagLibraryTreeMenu* menu, int count,
                                         Win::UINT bitmapId, const Win::Rect& rect) {
  nodeCount_ = count;
  Win::HRESULT hr = CreateTree(rect);
  if (hr != Win::S_OK) return hr;
  hr = tree_.InitTreeCtrl(menu, count, bitmapId);
  if (hr != Win::S_OK) TYX_Log::Instance()->Add("TYX_BandTreeWnd::Initialize InitTreeCtrl : 0x%x", static_cast<unsigned>(hr));
  tree_.ShowWindow(Win::SW_SHOW);
  return hr;
}

Win::HRESULT TYX_BandTreeWnd::Initialize(Win::UINT bitmapId, const Win::Rect& rect) {
  Win::HRESULT hr = CreateTree(rect);
  if (hr != Win::S_OK) return hr;
  hr = tree_.InitTreeCtrl(bitmapId);
  if (hr != Win::S_OK) TYX_Log::Instance()->Add("TYX_BandTreeWnd::Initialize InitTreeCtrl : 0x%x", static_cast<unsigned>(hr));
  tree_.ShowWindow(Win::SW_SHOW);
  return hr;
}

TYX_BandTreeWnd::HTREEITEM TYX_BandTreeWnd::AddNode(int unused, int image, int selectedImage,
                                                    const std::string& caption, int data, const std::string& pageId,
                                                    bool select) {
  ++nodeCount_;
  return tree_.AddNode(unused, image, selectedImage, caption, data, pageId, select);
}

TYX_BandTreeWnd::HTREEITEM TYX_BandTreeWnd::AddChildNode(HTREEITEM parent, int image, int selectedImage,
                                                         const std::string& caption, int data,
                                                         const std::string& pageId, bool select) {
  ++nodeCount_;
  return tree_.AddChildNode(parent, image, selectedImage, caption, data, pageId, select);
}

Win::HRESULT TYX_BandTreeWnd::DeleteChildNode(int data, bool deleteSelf) {
  // The count goes down by the nodes really removed (children included), never below 0: a delete that
  // finds no node leaves the layout height as it is.
  const int before = static_cast<int>(tree_.GetCount());
  tree_.DeleteSubItemByData(data, deleteSelf);
  const int removed = before - static_cast<int>(tree_.GetCount());
  nodeCount_ = std::max(0, nodeCount_ - removed);
  return Win::S_OK;
}

std::string TYX_BandTreeWnd::GetTitleFromIndex(int position) const {
  if (position < 0 || position >= tree_.GetItemCount(Controls::TVI_ROOT)) return {};
  HTREEITEM node = tree_.GetItemFromData(tree_.GetItemDataFromIndex(position));
  return node ? tree_.GetItemText(node) : std::string();
}

std::string TYX_BandTreeWnd::GetPageIDFromIndex(int position) const {
  if (position < 0 || position >= tree_.GetItemCount(Controls::TVI_ROOT)) return {};
  HTREEITEM node = tree_.GetItemFromData(tree_.GetItemDataFromIndex(position));
  return node ? tree_.GetPageID(node) : std::string();
}

void TYX_BandTreeWnd::SetSelectItem(int data, bool notify) {
  tree_.SetSelectItem(data, notify);
  selectedData_ = data;
}

void TYX_BandTreeWnd::SetDropSelected(bool selected) {
  dropSelected_ = selected;
  if (!dropMode_) {
    // The drag is over: the selection made before it comes back, quietly.
    tree_.SetSelectItem(selectedData_, false);
  } else if (!selected) {
    tree_.SetSelectItem(-1, false);
  }
}

}  // namespace TYX::Library
