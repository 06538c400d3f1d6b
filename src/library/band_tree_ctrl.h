#pragma once
// The skinned tree of a sidebar band. Each node carries an image, a caption, an item data value and a
// page ID. The control keeps two lookups (node -> page ID, item data -> node), selects a node by page ID
// or by item data, turns a right click into a context-menu request and a file drop into a drop record
// for its parent.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "library/band_wnd_messages.h"
#include "toolkit/tree_ctrl.h"

namespace TYX::Library {

class TYX_BandTreeCtrl : public Controls::TYX_TreeCtrl {
 public:
  using HTREEITEM = Controls::HTREEITEM;
  using HRESULT = Win::HRESULT;

  // One entry of an initial node table.
  struct tagLibraryTreeMenu {
    int parentIndex = 0;  // into a table of ten parent handles; entry 0 is the root
    std::string caption;
    int image = 0;
    int selectedImage = 0;
    std::string pageId;
    Win::DWORD reserved = 0;  // not read by initialisation
  };

  TYX_BandTreeCtrl();
  ~TYX_BandTreeCtrl() override;

  // 0, or E_FAIL when the skin is missing or has no such bitmap (then nothing is set up).
  HRESULT InitTreeCtrl(const tagLibraryTreeMenu* menu, int count, Win::UINT bitmapId);
  HRESULT InitTreeCtrl(Win::UINT bitmapId);
  // Reloads the skin images of the control.
  virtual HRESULT Reload();

  // The first argument of AddNode is not read.
  HTREEITEM AddNode(int unused, int image, int selectedImage, const std::string& caption, int data,
                    const std::string& pageId, bool select);
  HTREEITEM AddChildNode(HTREEITEM parent, int image, int selectedImage, const std::string& caption, int data,
                         const std::string& pageId, bool select);
  // Deletes the node's children (with theirs) and, when deleteSelf, the node; both lookups forget every
  // deleted node. 0, or E_FAIL for no node.
  HRESULT DeleteSubItem(HTREEITEM node, bool deleteSelf);
  HRESULT DeleteSubItemByData(int data, bool deleteSelf);

  // Selects the node with that page ID (no case) without notification, then posts WM_BAND_SELECTPAGE
  // when notify is set. E_INVALIDARG for an empty page ID, E_FAIL for the group nodes "100000" and
  // "300000" (selected but not announced); 0 otherwise, also when no node has the page ID.
  HRESULT SelectPage(const std::string& pageId, bool notify);
  // The saved list at a 0-based position: E_INVALIDARG for -1, E_FAIL when its address is not six
  // characters long; posts WM_BAND_SELECTPAGE when a parent exists.
  HRESULT SelectPage(int index);

  // "1%05d" with index + 1 (computed without overflow); empty for -1 only.
  static std::string GetAddress(int index);
  std::string GetAddress(HTREEITEM node) const;
  std::string GetPageID(HTREEITEM node) const;
  std::string GetSelectedPageID() const;

  // Direct children of parent; with no parent, every node of the tree.
  int GetItemCount(HTREEITEM parent) const;

  // -1 clears the selection without notification; otherwise selects the node that holds the data
  // (clearing the selection when none does).
  void SetSelectItem(int data, bool notify);
  // Selects the node; with notify, posts WM_BAND_SELECTITEM (0, the node's item data) to the parent.
  void SetSelectItemNode(HTREEITEM node, bool notify);

  // The first top-level node with that item data, or null.
  HTREEITEM GetItemFromData(int data) const;
  // The node of any level that the item data lookup holds for data, or null.
  HTREEITEM GetNodeFromData(int data) const;
  // The item data of the top-level node at a position, or -1 when there is none.
  int GetItemDataFromIndex(int position) const;

  Win::LRESULT SendMessageToParent(Win::UINT msg, Win::WPARAM wParam, Win::LPARAM lParam);
  Win::LRESULT PostMessageToParent(Win::UINT msg, Win::WPARAM wParam, Win::LPARAM lParam);

  // Observers.
  Win::UINT GetNodeBitmap() const { return nodeBitmap_; }
  const std::vector<Win::UINT>& GetScrollBarImages() const { return scrollBarImages_; }
  std::size_t PageIdCount() const { return pageIds_.size(); }
  std::size_t DataLookupCount() const { return nodesByData_.size(); }
  // The page ID last copied into each of the two static buffers (by page ID, by index).
  static std::string LastSelectPageBuffer();
  static std::string LastSelectIndexBuffer();

 protected:
  HRESULT LoadImages(Win::UINT bitmapId);
  HTREEITEM FindTreeItemFromPageID(const std::string& pageId) const;
  void OnLButtonDown(Win::UINT keyFlags, Win::Point clientPoint) override;
  void OnRButtonDown(Win::UINT keyFlags, Win::Point clientPoint) override;
  void OnDropFiles(Controls::HDROP drop) override;

 private:
  void Forget(HTREEITEM node, int data);
  void SendPopupMenu(Win::Point clientPoint, const std::string& pageId);

  // All members: owner thread of the window.
  Win::UINT nodeBitmap_ = 0;
  std::optional<Controls::TreeImageList> imageList_;
  std::map<HTREEITEM, std::string> pageIds_;  // ordered by handle, that is by insertion
  std::map<int, HTREEITEM> nodesByData_;
  std::vector<Win::UINT> scrollBarImages_;
};

}  // namespace TYX::Library
