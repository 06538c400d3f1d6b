#include "library/band_tree_ctrl.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <strings.h>

#include "util/log.h"
#include "util/skin.h"

namespace TYX::Library {

using Controls::HTREEITEM;
using Controls::TVI_LAST;
using Controls::TVI_ROOT;
using Win::E_FAIL;
using Win::E_INVALIDARG;
using Win::S_OK;

namespace {

// The two static buffers of the last page IDs announced (cut to fit, terminator included). UI thread.
char g_selectPageBuffer[20] = {};
char g_selectIndexBuffer[20] = {};

// A posted WM_BAND_SELECTPAGE points to its page ID's entry here. Entries never change or go away, so
// every message keeps its own text however many selections follow before it is handled; the set only
// grows by page IDs not seen before. UI thread.
const char* InternPageId(const std::string& pageId) {
  static std::set<std::string> pageIds;
  return pageIds.insert(pageId).first->c_str();
}

void CopyToBuffer(char (&buffer)[20], const std::string& text) {
  const std::size_t n = std::min(text.size(), sizeof(buffer) - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

bool EqualsNoCase(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

constexpr Win::UINT kScrollBarFirstImage = 20115;
constexpr Win::UINT kScrollBarLastImage = 20123;
constexpr int kNodeHeight = 18;
constexpr Win::COLORREF kBackground = 0xFFFFFF;
constexpr Win::COLORREF kCaptionColor = 0x994534;

}  // namespace

TYX_BandTreeCtrl::TYX_BandTreeCtrl() = default;
TYX_BandTreeCtrl::~TYX_BandTreeCtrl() = default;

Win::HRESULT TYX_BandTreeCtrl::LoadImages(Win::UINT bitmapId) {
  TYX_Skin* skin = TYX_Skin::Instance();
  if (!skin) {
    TYX_Log::Instance()->Add("TYX_BandTreeCtrl::LoadImages no skin loader");
    return E_FAIL;
  }
  if (!skin->HasImage(bitmapId)) {
    TYX_Log::Instance()->Add("TYX_BandTreeCtrl::LoadImages bitmap : %u not found", bitmapId);
    return E_FAIL;
  }
  nodeBitmap_ = bitmapId;
  // The skinned scroll bars.
  scrollBarImages_.clear();
  for (Win::UINT id = kScrollBarFirstImage; id <= kScrollBarLastImage; ++id) scrollBarImages_.push_back(id);
  return S_OK;
}

Win::HRESULT TYX_BandTreeCtrl::Reload() { return nodeBitmap_ ? LoadImages(nodeBitmap_) : E_FAIL; }

Win::HRESULT TYX_BandTreeCtrl::InitTreeCtrl(Win::UINT bitmapId) { return InitTreeCtrl(nullptr, 0, bitmapId); }

Win::HRESULT TYX_BandTreeCtrl::InitTreeCtrl(const tagLibraryTreeMenu* menu, int count, Win::UINT bitmapId) {
  const HRESULT hr = LoadImages(bitmapId);
  if (hr != S_OK) return hr;
  // 16 x 16 images cut from the bitmap, magenta transparent.
  imageList_ = Controls::TreeImageList{bitmapId, 16, 16, 0xFF00FF, 1};
  SetImageList(imageList_);
  if (menu) {
    // Only the root entry of the parent table is filled, so every entry becomes a top-level node.
    HTREEITEM parents[10] = {TVI_ROOT, nullptr, nullptr, nullptr, nullptr,
                             nullptr,  nullptr, nullptr, nullptr, nullptr};
    for (int i = 0; i < count; ++i) {
      const tagLibraryTreeMenu& entry = menu[i];
      HTREEITEM parent = TVI_ROOT;
      if (entry.parentIndex >= 0 && entry.parentIndex < 10 && parents[entry.parentIndex])
        parent = parents[entry.parentIndex];
      HTREEITEM node = InsertItem(entry.caption, entry.image, entry.selectedImage, parent, TVI_LAST);
      if (!node) continue;
      SetItemData(node, i);
      pageIds_[node] = entry.pageId;
      nodesByData_[i] = node;
    }
  }
  ModifyStyle(0, Controls::TVS_SHOWSELALWAYS);
  SetItemHeight(kNodeHeight);
  SetBkColor(kBackground);
  SetTextColor(kCaptionColor);
  DragAcceptFiles(true);
  return S_OK;
}

HTREEITEM TYX_BandTreeCtrl::AddNode(int, int image, int selectedImage, const std::string& caption, int data,
                                    const std::string& pageId, bool select) {
  return AddChildNode(TVI_ROOT, image, selectedImage, caption, data, pageId, select);
}

HTREEITEM TYX_BandTreeCtrl::AddChildNode(HTREEITEM parent, int image, int selectedImage, const std::string& caption,
                                         int data, const std::string& pageId, bool select) {
  HTREEITEM node = InsertItem(caption, image, selectedImage, parent, TVI_LAST);
  if (!node) return nullptr;
  SetItemData(node, data);
  if (select) SelectItem(node, false);
  pageIds_[node] = pageId;
  nodesByData_[data] = node;
  return node;
}

void TYX_BandTreeCtrl::Forget(HTREEITEM node, int data) {
  pageIds_.erase(node);
  // Only the entry that still points at this node goes; another node may hold the same data now.
  if (auto it = nodesByData_.find(data); it != nodesByData_.end() && it->second == node) nodesByData_.erase(it);
}

Win::HRESULT TYX_BandTreeCtrl::DeleteSubItem(HTREEITEM node, bool deleteSelf) {
  if (!node || !IsItem(node)) return E_FAIL;
  HTREEITEM child = GetChildItem(node);
  while (child) {
    HTREEITEM next = GetNextSiblingItem(child);
    if (ItemHasChildren(child)) DeleteSubItem(child, false);
    const int data = static_cast<int>(GetItemData(child));
    DeleteItem(child);
    Forget(child, data);
    child = next;
  }
  if (deleteSelf) {
    const int data = static_cast<int>(GetItemData(node));
    DeleteItem(node);
    Forget(node, data);
  }
  return S_OK;
}

Win::HRESULT TYX_BandTreeCtrl::DeleteSubItemByData(int data, bool deleteSelf) {
  return DeleteSubItem(GetItemFromData(data), deleteSelf);
}

HTREEITEM TYX_BandTreeCtrl::FindTreeItemFromPageID(const std::string& pageId) const {
  for (const auto& [node, id] : pageIds_) {
    if (strcasecmp(id.c_str(), pageId.c_str()) == 0) return node;
  }
  return nullptr;
}

Win::HRESULT TYX_BandTreeCtrl::SelectPage(const std::string& pageId, bool notify) {
  if (pageId.empty()) return E_INVALIDARG;
  CopyToBuffer(g_selectPageBuffer, pageId);
  HTREEITEM node = FindTreeItemFromPageID(pageId);
  if (!node) return S_OK;
  if (GetSelectedItem() != node) SelectItem(node, false);
  // The group nodes of the saved lists and the CDs are selected but not announced.
  if (pageId == "100000" || pageId == "300000") return E_FAIL;
  if (notify && GetParent())
    PostMessageToParent(WM_BAND_SELECTPAGE, reinterpret_cast<Win::WPARAM>(InternPageId(pageId)), 0);
  return S_OK;
}

Win::HRESULT TYX_BandTreeCtrl::SelectPage(int index) {
  if (index == -1) return E_INVALIDARG;
  const std::string address = GetAddress(index);
  CopyToBuffer(g_selectIndexBuffer, address);
  if (address.size() != 6) return E_FAIL;
  HTREEITEM node = FindTreeItemFromPageID(address);
  if (!node) return S_OK;
  if (GetSelectedItem() != node) SelectItem(node, false);
  if (GetParent()) PostMessageToParent(WM_BAND_SELECTPAGE, reinterpret_cast<Win::WPARAM>(InternPageId(address)), 0);
  return S_OK;
}

std::string TYX_BandTreeCtrl::GetAddress(int index) {
  if (index == -1) return {};
  // index + 1 in 64 bits: INT_MAX has an address too (eleven characters, so no page ID).
  char text[24];
  std::snprintf(text, sizeof(text), "1%05lld", static_cast<long long>(index) + 1);
  return text;
}

std::string TYX_BandTreeCtrl::GetAddress(HTREEITEM node) const {
  if (!node) return {};
  return GetPageID(node);
}

std::string TYX_BandTreeCtrl::GetPageID(HTREEITEM node) const {
  auto it = pageIds_.find(node);
  return it == pageIds_.end() ? std::string() : it->second;
}

std::string TYX_BandTreeCtrl::GetSelectedPageID() const { return GetPageID(GetSelectedItem()); }

int TYX_BandTreeCtrl::GetItemCount(HTREEITEM parent) const {
  if (!parent) return static_cast<int>(GetCount());
  int n = 0;
  for (HTREEITEM c = GetChildItem(parent); c; c = GetNextSiblingItem(c)) ++n;
  return n;
}

void TYX_BandTreeCtrl::SetSelectItem(int data, bool notify) {
  if (data == -1) {
    SelectItem(nullptr, false);
    return;
  }
  auto it = nodesByData_.find(data);
  SetSelectItemNode(it == nodesByData_.end() ? nullptr : it->second, notify);
}

void TYX_BandTreeCtrl::SetSelectItemNode(HTREEITEM node, bool notify) {
  SelectItem(node, false);
  if (notify && node) PostMessageToParent(WM_BAND_SELECTITEM, 0, GetItemData(node));
}

HTREEITEM TYX_BandTreeCtrl::GetItemFromData(int data) const {
  for (HTREEITEM n = GetRootItem(); n; n = GetNextSiblingItem(n)) {
    if (static_cast<int>(GetItemData(n)) == data) return n;
  }
  return nullptr;
}

HTREEITEM TYX_BandTreeCtrl::GetNodeFromData(int data) const {
  auto it = nodesByData_.find(data);
  return it != nodesByData_.end() && IsItem(it->second) ? it->second : nullptr;
}

int TYX_BandTreeCtrl::GetItemDataFromIndex(int position) const {
  if (position < 0) return -1;
  HTREEITEM n = GetRootItem();
  for (int i = 0; i < position && n; ++i) n = GetNextSiblingItem(n);
  return n ? static_cast<int>(GetItemData(n)) : -1;
}

Win::LRESULT TYX_BandTreeCtrl::SendMessageToParent(Win::UINT msg, Win::WPARAM wParam, Win::LPARAM lParam) {
  if (!GetSafeHwnd() || !GetParent()) return E_FAIL;
  return Win::SendMessage(GetParent(), msg, wParam, lParam);
}

Win::LRESULT TYX_BandTreeCtrl::PostMessageToParent(Win::UINT msg, Win::WPARAM wParam, Win::LPARAM lParam) {
  if (!GetSafeHwnd() || !GetParent()) return E_FAIL;
  return Win::PostMessage(GetParent(), msg, wParam, lParam);
}

std::string TYX_BandTreeCtrl::LastSelectPageBuffer() { return g_selectPageBuffer; }
std::string TYX_BandTreeCtrl::LastSelectIndexBuffer() { return g_selectIndexBuffer; }

void TYX_BandTreeCtrl::OnLButtonDown(Win::UINT keyFlags, Win::Point p) {
  if (HTREEITEM node = HitTest(p, nullptr)) PostMessageToParent(WM_BAND_SELECTITEM, 0, GetItemData(node));
  TYX_TreeCtrl::OnLButtonDown(keyFlags, p);
}

void TYX_BandTreeCtrl::SendPopupMenu(Win::Point p, const std::string& pageId) {
  Win::Point screen = p;
  ClientToScreen(screen);
  SendMessageToParent(WM_BAND_POPUPMENU, reinterpret_cast<Win::WPARAM>(&screen),
                      reinterpret_cast<Win::LPARAM>(pageId.c_str()));
}

void TYX_BandTreeCtrl::OnRButtonDown(Win::UINT, Win::Point p) {
  Win::UINT flags = 0;
  HTREEITEM node = HitTest(p, &flags);
  const std::string pageId = GetPageID(node);
  // The host's special page asks for its menu at once, without a selection.
  if (GetParent() && node && EqualsNoCase(pageId, "A00")) {
    SendPopupMenu(p, pageId);
    return;
  }
  if (node && !(flags & Controls::TVHT_ONITEMBUTTON)) SelectPage(pageId, true);
  SetFocus();
  if (node && (flags & Controls::TVHT_ONITEM) && GetParent()) SendPopupMenu(p, pageId);
}

void TYX_BandTreeCtrl::OnDropFiles(Controls::HDROP drop) {
  Win::Point p;
  if (!Controls::DragQueryPoint(drop, GetSafeHwnd(), &p)) {
    // Outside the client area: the list is released without a notification.
    Controls::DragFinish(drop);
    return;
  }
  auto record = std::make_unique<_DropTarget>();
  record->hDrop = drop;
  record->pageId = GetPageID(HitTest(p, nullptr));
  SendMessageToParent(WM_BAND_TREE_DROPFILES, 0, Win::RecordToLParam(record.get()));
  // The record and the list end once the send has returned.
  record.reset();
  Controls::DragFinish(drop);
  TYX_TreeCtrl::OnDropFiles(drop);
}

}  // namespace TYX::Library
