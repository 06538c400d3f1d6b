#pragma once
// The toolkit's tree control as an observable model: nodes with a caption, images and item data, one
// selected node, one drop-highlighted node, expand state, a row layout with a fixed node height, hit
// testing with the desktop hit flags, and painting into a display list.
//
// Mouse messages go through protected virtual handlers so that a derived control can take over a
// click; the person entry points (ClickNode, RightClickNode, DropFilesOnNode) send the same messages a
// real click or drop would, so derived handlers see them exactly as they would see a person.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/drop_files.h"
#include "platform/window.h"
#include "toolkit/toolkit_types.h"

namespace TYX::Controls {

using Win::Point;
using Win::Rect;

// Dropped-file lists are the framework's (platform/drop_files.h); the toolkit names them too.
using Win::HDROP;
using Win::DragCreateList;
using Win::DragQueryFileCount;
using Win::DragQueryFile;
using Win::DragQueryPoint;
using Win::DragFinish;
using Win::DragIsAlive;
using Win::DragLiveCount;

// ---- Tree control ---------------------------------------------------------------------------------

struct HTREEITEM__;
using HTREEITEM = HTREEITEM__*;

// Insertion places and the root, as the desktop tree numbers them.
inline const HTREEITEM TVI_ROOT = reinterpret_cast<HTREEITEM>(static_cast<std::intptr_t>(-0x10000));
inline const HTREEITEM TVI_FIRST = reinterpret_cast<HTREEITEM>(static_cast<std::intptr_t>(-0x0FFFF));
inline const HTREEITEM TVI_LAST = reinterpret_cast<HTREEITEM>(static_cast<std::intptr_t>(-0x0FFFE));

// Styles.
constexpr Win::DWORD TVS_HASBUTTONS = 0x0001;
constexpr Win::DWORD TVS_HASLINES = 0x0002;
constexpr Win::DWORD TVS_LINESATROOT = 0x0004;
constexpr Win::DWORD TVS_SHOWSELALWAYS = 0x0020;

// Hit-test flags.
constexpr UINT TVHT_NOWHERE = 0x0001;
constexpr UINT TVHT_ONITEMICON = 0x0002;
constexpr UINT TVHT_ONITEMLABEL = 0x0004;
constexpr UINT TVHT_ONITEMINDENT = 0x0008;
constexpr UINT TVHT_ONITEMBUTTON = 0x0010;
constexpr UINT TVHT_ONITEMRIGHT = 0x0020;
constexpr UINT TVHT_ONITEMSTATEICON = 0x0040;
constexpr UINT TVHT_ONITEM = TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON;
constexpr UINT TVHT_ABOVE = 0x0100;
constexpr UINT TVHT_BELOW = 0x0200;
constexpr UINT TVHT_TORIGHT = 0x0400;
constexpr UINT TVHT_TOLEFT = 0x0800;

// Expand actions.
constexpr UINT TVE_COLLAPSE = 0x0001;
constexpr UINT TVE_EXPAND = 0x0002;
constexpr UINT TVE_TOGGLE = 0x0003;

// How a selection came about.
constexpr UINT TVC_UNKNOWN = 0x0000;
constexpr UINT TVC_BYMOUSE = 0x0001;

// Notifications to the parent (WM_NOTIFY), as the desktop tree numbers them.
constexpr UINT NM_CLICK = static_cast<UINT>(-2);
constexpr UINT NM_RCLICK = static_cast<UINT>(-5);
constexpr UINT TVN_SELCHANGED = static_cast<UINT>(-402);
constexpr UINT TVN_ITEMEXPANDED = static_cast<UINT>(-406);

struct NMTREEVIEW {
  Win::NMHDR hdr;
  UINT action = 0;
  HTREEITEM itemOld = nullptr;
  HTREEITEM itemNew = nullptr;
  Point ptDrag;
};

// The images of a tree: a strip of cx-wide images in one skin bitmap, with a transparent mask colour.
struct TreeImageList {
  UINT bitmapId = 0;
  int cx = 16;
  int cy = 16;
  COLORREF maskColor = 0xFF00FF;
  int growBy = 1;
};

class TYX_TreeCtrl : public Win::Window {
 public:
  TYX_TreeCtrl();
  ~TYX_TreeCtrl() override;

  // Nodes. Insertion under TVI_ROOT or a node, after TVI_FIRST, TVI_LAST or a sibling. Returns null for
  // an unknown parent.
  HTREEITEM InsertItem(const std::string& text, int image, int selectedImage, HTREEITEM parent = TVI_ROOT,
                       HTREEITEM after = TVI_LAST);
  HTREEITEM InsertItem(const std::string& text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
  // Deletes the node with all its descendants; a deleted selected or highlighted node clears that state.
  bool DeleteItem(HTREEITEM item);
  void DeleteAllItems();
  bool IsItem(HTREEITEM item) const;

  // Navigation. TVI_ROOT or null as parent means the top level.
  HTREEITEM GetRootItem() const;
  HTREEITEM GetChildItem(HTREEITEM item) const;
  HTREEITEM GetNextSiblingItem(HTREEITEM item) const;
  HTREEITEM GetPrevSiblingItem(HTREEITEM item) const;
  HTREEITEM GetParentItem(HTREEITEM item) const;
  bool ItemHasChildren(HTREEITEM item) const;
  UINT GetCount() const { return static_cast<UINT>(nodes_.size()); }
  // The visible nodes in display order (every ancestor expanded).
  std::vector<HTREEITEM> GetVisibleItems() const;

  // Node contents.
  std::string GetItemText(HTREEITEM item) const;
  bool SetItemText(HTREEITEM item, const std::string& text);
  LPARAM GetItemData(HTREEITEM item) const;
  bool SetItemData(HTREEITEM item, LPARAM data);
  bool GetItemImage(HTREEITEM item, int& image, int& selectedImage) const;
  bool SetItemImage(HTREEITEM item, int image, int selectedImage);

  // Expand state.
  bool Expand(HTREEITEM item, UINT action);
  bool IsExpanded(HTREEITEM item) const;

  // Selection. With notify, the parent gets TVN_SELCHANGED (sent) when the selection changes.
  bool SelectItem(HTREEITEM item, bool notify = true, UINT action = TVC_UNKNOWN);
  HTREEITEM GetSelectedItem() const { return selected_; }

  // Drop highlight: at most one node; null removes it.
  bool SelectDropTarget(HTREEITEM item);
  HTREEITEM GetDropHilightItem() const { return dropHilite_; }

  // Layout and look.
  void SetItemHeight(int height);
  int GetItemHeight() const { return itemHeight_; }
  void SetIndent(int indent) { indent_ = indent; }
  int GetIndent() const { return indent_; }
  void SetBkColor(COLORREF color);
  COLORREF GetBkColor() const { return bkColor_; }
  void SetTextColor(COLORREF color);
  COLORREF GetTextColor() const { return textColor_; }
  void SetFont(const Win::Font& font);
  const Win::Font& GetFont() const { return font_; }
  void SetImageList(const std::optional<TreeImageList>& list);
  const std::optional<TreeImageList>& GetImageList() const { return imageList_; }
  void DragAcceptFiles(bool accept) { acceptFiles_ = accept; }
  bool AcceptsFiles() const { return acceptFiles_; }

  // The node's row (whole row, or icon and label only), in client coordinates; false when the node is
  // not visible (a collapsed ancestor).
  bool GetItemRect(HTREEITEM item, Rect* rect, bool textOnly) const;
  // The label box of a node, and the box of its expand button (empty when it has none).
  bool GetLabelRect(HTREEITEM item, Rect* rect) const;
  bool GetButtonRect(HTREEITEM item, Rect* rect) const;
  // The node under a client point with the hit flags, or null.
  HTREEITEM HitTest(Point clientPoint, UINT* flags = nullptr) const;
  // Scrolls so that the node is visible, expanding its ancestors.
  bool EnsureVisible(HTREEITEM item);
  int GetFirstVisibleRow() const { return topRow_; }
  int GetVisibleRowCount() const;

  // What a person does: the messages a real click or drop would cause. Each returns false when the
  // node cannot be reached (unknown node or no window).
  bool ClickNode(HTREEITEM item);
  bool ClickNodeButton(HTREEITEM item);
  bool RightClickNode(HTREEITEM item);
  bool ClickPoint(Point clientPoint);
  bool RightClickPoint(Point clientPoint);
  // Drops the files on the node's label (or a client point); false when the control does not accept
  // dropped files. The control releases the list.
  bool DropFilesOnNode(HTREEITEM item, const std::vector<std::string>& files);
  bool DropFilesAtPoint(Point clientPoint, const std::vector<std::string>& files);

 protected:
  // Default handling of the mouse and of dropped files; derived controls override and may call these.
  virtual void OnLButtonDown(UINT keyFlags, Point clientPoint);
  virtual void OnRButtonDown(UINT keyFlags, Point clientPoint);
  // The default releases the list.
  virtual void OnDropFiles(HDROP drop);
  void PaintContent(Win::DisplayList& dc) override;
  // Sends a notification record to the parent; returns its result, 0 without a parent.
  LRESULT NotifyParent(UINT code, HTREEITEM oldItem, HTREEITEM newItem, UINT action);

 private:
  struct Node {
    HTREEITEM parent = nullptr;  // null for a top-level node
    std::vector<HTREEITEM> children;
    std::string text;
    int image = 0;
    int selectedImage = 0;
    LPARAM data = 0;
    bool expanded = false;
  };
  const Node* Find(HTREEITEM item) const;
  Node* Find(HTREEITEM item);
  std::vector<HTREEITEM>& ChildrenOf(HTREEITEM parent);
  const std::vector<HTREEITEM>* ChildrenOfConst(HTREEITEM parent) const;
  void CollectVisible(const std::vector<HTREEITEM>& level, std::vector<HTREEITEM>& out) const;
  int LevelOf(HTREEITEM item) const;
  bool HasButtonSlot(int level) const;
  int ContentLeft(int level) const;
  int LabelWidth(const std::string& text) const;
  bool IsAncestorOf(HTREEITEM ancestor, HTREEITEM item) const;
  void EraseSubtree(HTREEITEM item);
  bool RowOf(HTREEITEM item, int* row) const;
  bool SendClick(UINT downMsg, UINT upMsg, Point clientPoint);

  // All members: owner thread of the window.
  std::unordered_map<HTREEITEM, Node> nodes_;
  std::vector<HTREEITEM> roots_;
  std::uintptr_t nextId_ = 1;
  HTREEITEM selected_ = nullptr;
  HTREEITEM dropHilite_ = nullptr;
  int itemHeight_ = 16;
  int indent_ = 19;
  int topRow_ = 0;
  COLORREF bkColor_ = 0xFFFFFF;
  COLORREF textColor_ = 0x000000;
  Win::Font font_;
  std::optional<TreeImageList> imageList_;
  bool acceptFiles_ = false;
};

}  // namespace TYX::Controls
