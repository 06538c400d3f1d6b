#include "toolkit/tree_ctrl.h"

#include <algorithm>

namespace TYX::Controls {


// ---- Tree control ---------------------------------------------------------------------------------

namespace {

constexpr COLORREF kSelectionColor = 0x6A240A;  // fill behind a selected or highlighted label
constexpr COLORREF kSelectedTextColor = 0xFFFFFF;
constexpr int kIconGap = 3;

bool IsRootHandle(HTREEITEM h) { return h == nullptr || h == TVI_ROOT; }

// Code points of a UTF-8 text: wide (non-ASCII) characters count twice.
int TextUnits(const std::string& text) {
  int units = 0;
  for (unsigned char c : text) {
    if (c < 0x80) units += 1;
    else if ((c & 0xC0) == 0xC0) units += 2;
  }
  return units;
}

}  // namespace

TYX_TreeCtrl::TYX_TreeCtrl() {
  OnMessage(Win::WM_LBUTTONDOWN, [this](WPARAM w, LPARAM l) -> LRESULT {
    OnLButtonDown(static_cast<UINT>(w), PointFromLParam(l));
    return 0;
  });
  OnMessage(Win::WM_RBUTTONDOWN, [this](WPARAM w, LPARAM l) -> LRESULT {
    OnRButtonDown(static_cast<UINT>(w), PointFromLParam(l));
    return 0;
  });
  OnMessage(Win::WM_DROPFILES, [this](WPARAM w, LPARAM) -> LRESULT {
    OnDropFiles(reinterpret_cast<HDROP>(w));
    return 0;
  });
  OnMessage(Win::WM_SIZE, [this](WPARAM, LPARAM) -> LRESULT {
    const int maxTop = std::max(0, static_cast<int>(GetVisibleItems().size()) - GetVisibleRowCount());
    topRow_ = std::clamp(topRow_, 0, maxTop);
    return 0;
  });
}

TYX_TreeCtrl::~TYX_TreeCtrl() = default;

const TYX_TreeCtrl::Node* TYX_TreeCtrl::Find(HTREEITEM item) const {
  auto it = nodes_.find(item);
  return it == nodes_.end() ? nullptr : &it->second;
}

TYX_TreeCtrl::Node* TYX_TreeCtrl::Find(HTREEITEM item) {
  auto it = nodes_.find(item);
  return it == nodes_.end() ? nullptr : &it->second;
}

std::vector<HTREEITEM>& TYX_TreeCtrl::ChildrenOf(HTREEITEM parent) {
  if (IsRootHandle(parent)) return roots_;
  return nodes_.at(parent).children;
}

const std::vector<HTREEITEM>* TYX_TreeCtrl::ChildrenOfConst(HTREEITEM parent) const {
  if (IsRootHandle(parent)) return &roots_;
  const Node* n = Find(parent);
  return n ? &n->children : nullptr;
}

HTREEITEM TYX_TreeCtrl::InsertItem(const std::string& text, int image, int selectedImage, HTREEITEM parent,
                                   HTREEITEM after) {
  if (!IsRootHandle(parent) && !Find(parent)) return nullptr;
  HTREEITEM h = reinterpret_cast<HTREEITEM>(nextId_ * 0x10);
  ++nextId_;
  Node node;
  node.parent = IsRootHandle(parent) ? nullptr : parent;
  node.text = text;
  node.image = image;
  node.selectedImage = selectedImage;
  nodes_.emplace(h, std::move(node));
  auto& siblings = ChildrenOf(parent);
  if (after == TVI_FIRST) {
    siblings.insert(siblings.begin(), h);
  } else {
    auto pos = std::find(siblings.begin(), siblings.end(), after);
    if (after == TVI_LAST || pos == siblings.end()) siblings.push_back(h);
    else siblings.insert(pos + 1, h);
  }
  Invalidate();
  return h;
}

HTREEITEM TYX_TreeCtrl::InsertItem(const std::string& text, HTREEITEM parent, HTREEITEM after) {
  return InsertItem(text, 0, 0, parent, after);
}

bool TYX_TreeCtrl::IsAncestorOf(HTREEITEM ancestor, HTREEITEM item) const {
  for (const Node* n = Find(item); n && n->parent; n = Find(n->parent)) {
    if (n->parent == ancestor) return true;
  }
  return false;
}

void TYX_TreeCtrl::EraseSubtree(HTREEITEM item) {
  Node* n = Find(item);
  if (!n) return;
  const std::vector<HTREEITEM> kids = n->children;
  for (HTREEITEM k : kids) EraseSubtree(k);
  nodes_.erase(item);
}

bool TYX_TreeCtrl::DeleteItem(HTREEITEM item) {
  if (item == TVI_ROOT) {
    DeleteAllItems();
    return true;
  }
  Node* n = Find(item);
  if (!n) return false;
  if (selected_ == item || IsAncestorOf(item, selected_)) selected_ = nullptr;
  if (dropHilite_ == item || IsAncestorOf(item, dropHilite_)) dropHilite_ = nullptr;
  auto& siblings = ChildrenOf(n->parent);
  siblings.erase(std::remove(siblings.begin(), siblings.end(), item), siblings.end());
  EraseSubtree(item);
  const int maxTop = std::max(0, static_cast<int>(GetVisibleItems().size()) - GetVisibleRowCount());
  topRow_ = std::clamp(topRow_, 0, maxTop);
  Invalidate();
  return true;
}

void TYX_TreeCtrl::DeleteAllItems() {
  nodes_.clear();
  roots_.clear();
  selected_ = nullptr;
  dropHilite_ = nullptr;
  topRow_ = 0;
  Invalidate();
}

bool TYX_TreeCtrl::IsItem(HTREEITEM item) const { return Find(item) != nullptr; }

HTREEITEM TYX_TreeCtrl::GetRootItem() const { return roots_.empty() ? nullptr : roots_.front(); }

HTREEITEM TYX_TreeCtrl::GetChildItem(HTREEITEM item) const {
  const auto* kids = ChildrenOfConst(item);
  return kids && !kids->empty() ? kids->front() : nullptr;
}

HTREEITEM TYX_TreeCtrl::GetNextSiblingItem(HTREEITEM item) const {
  const Node* n = Find(item);
  if (!n) return nullptr;
  const auto* sib = ChildrenOfConst(n->parent);
  auto pos = std::find(sib->begin(), sib->end(), item);
  return (pos == sib->end() || pos + 1 == sib->end()) ? nullptr : *(pos + 1);
}

HTREEITEM TYX_TreeCtrl::GetPrevSiblingItem(HTREEITEM item) const {
  const Node* n = Find(item);
  if (!n) return nullptr;
  const auto* sib = ChildrenOfConst(n->parent);
  auto pos = std::find(sib->begin(), sib->end(), item);
  return (pos == sib->end() || pos == sib->begin()) ? nullptr : *(pos - 1);
}

HTREEITEM TYX_TreeCtrl::GetParentItem(HTREEITEM item) const {
  const Node* n = Find(item);
  return n ? n->parent : nullptr;
}

bool TYX_TreeCtrl::ItemHasChildren(HTREEITEM item) const {
  const Node* n = Find(item);
  return n && !n->children.empty();
}

void TYX_TreeCtrl::CollectVisible(const std::vector<HTREEITEM>& level, std::vector<HTREEITEM>& out) const {
  for (HTREEITEM h : level) {
    out.push_back(h);
    const Node* n = Find(h);
    if (n && n->expanded) CollectVisible(n->children, out);
  }
}

std::vector<HTREEITEM> TYX_TreeCtrl::GetVisibleItems() const {
  std::vector<HTREEITEM> out;
  CollectVisible(roots_, out);
  return out;
}

std::string TYX_TreeCtrl::GetItemText(HTREEITEM item) const {
  const Node* n = Find(item);
  return n ? n->text : std::string();
}

bool TYX_TreeCtrl::SetItemText(HTREEITEM item, const std::string& text) {
  Node* n = Find(item);
  if (!n) return false;
  n->text = text;
  Invalidate();
  return true;
}

LPARAM TYX_TreeCtrl::GetItemData(HTREEITEM item) const {
  const Node* n = Find(item);
  return n ? n->data : 0;
}

bool TYX_TreeCtrl::SetItemData(HTREEITEM item, LPARAM data) {
  Node* n = Find(item);
  if (!n) return false;
  n->data = data;
  return true;
}

bool TYX_TreeCtrl::GetItemImage(HTREEITEM item, int& image, int& selectedImage) const {
  const Node* n = Find(item);
  if (!n) return false;
  image = n->image;
  selectedImage = n->selectedImage;
  return true;
}

bool TYX_TreeCtrl::SetItemImage(HTREEITEM item, int image, int selectedImage) {
  Node* n = Find(item);
  if (!n) return false;
  n->image = image;
  n->selectedImage = selectedImage;
  Invalidate();
  return true;
}

bool TYX_TreeCtrl::Expand(HTREEITEM item, UINT action) {
  Node* n = Find(item);
  if (!n || n->children.empty()) return false;
  bool expand = n->expanded;
  if (action == TVE_EXPAND) expand = true;
  else if (action == TVE_COLLAPSE) expand = false;
  else if (action == TVE_TOGGLE) expand = !n->expanded;
  else return false;
  if (expand == n->expanded) return true;
  n->expanded = expand;
  // A selection hidden by a collapse moves to the collapsed node, as a person would see it.
  if (!expand && IsAncestorOf(item, selected_)) SelectItem(item, true, TVC_UNKNOWN);
  const int maxTop = std::max(0, static_cast<int>(GetVisibleItems().size()) - GetVisibleRowCount());
  topRow_ = std::clamp(topRow_, 0, maxTop);
  NotifyParent(TVN_ITEMEXPANDED, nullptr, item, action);
  Invalidate();
  return true;
}

bool TYX_TreeCtrl::IsExpanded(HTREEITEM item) const {
  const Node* n = Find(item);
  return n && n->expanded;
}

bool TYX_TreeCtrl::SelectItem(HTREEITEM item, bool notify, UINT action) {
  if (item && !Find(item)) return false;
  if (item == selected_) return true;
  HTREEITEM old = selected_;
  selected_ = item;
  if (item) EnsureVisible(item);
  Invalidate();
  if (notify) NotifyParent(TVN_SELCHANGED, old, item, action);
  return true;
}

bool TYX_TreeCtrl::SelectDropTarget(HTREEITEM item) {
  if (item && !Find(item)) return false;
  if (dropHilite_ != item) {
    dropHilite_ = item;
    Invalidate();
  }
  return true;
}

void TYX_TreeCtrl::SetItemHeight(int height) {
  itemHeight_ = std::max(1, height);
  Invalidate();
}

void TYX_TreeCtrl::SetBkColor(COLORREF color) {
  bkColor_ = color;
  Invalidate();
}

void TYX_TreeCtrl::SetTextColor(COLORREF color) {
  textColor_ = color;
  Invalidate();
}

void TYX_TreeCtrl::SetFont(const Win::Font& font) {
  font_ = font;
  Invalidate();
}

void TYX_TreeCtrl::SetImageList(const std::optional<TreeImageList>& list) {
  imageList_ = list;
  Invalidate();
}

int TYX_TreeCtrl::LevelOf(HTREEITEM item) const {
  int level = 0;
  for (const Node* n = Find(item); n && n->parent; n = Find(n->parent)) ++level;
  return level;
}

bool TYX_TreeCtrl::HasButtonSlot(int level) const {
  if (!(GetStyle() & TVS_HASBUTTONS)) return false;
  return level > 0 || (GetStyle() & TVS_LINESATROOT);
}

int TYX_TreeCtrl::ContentLeft(int level) const {
  const bool rootSlot = (GetStyle() & TVS_LINESATROOT) && (GetStyle() & (TVS_HASBUTTONS | TVS_HASLINES));
  return (level + (rootSlot ? 1 : 0)) * indent_;
}

int TYX_TreeCtrl::LabelWidth(const std::string& text) const {
  // Half a font height for each narrow character, plus a margin on each side.
  return TextUnits(text) * std::max(1, font_.height / 2) + 4;
}

bool TYX_TreeCtrl::RowOf(HTREEITEM item, int* row) const {
  const auto visible = GetVisibleItems();
  auto pos = std::find(visible.begin(), visible.end(), item);
  if (pos == visible.end()) return false;
  *row = static_cast<int>(pos - visible.begin());
  return true;
}

int TYX_TreeCtrl::GetVisibleRowCount() const { return GetClientRect().Height() / itemHeight_; }

bool TYX_TreeCtrl::GetItemRect(HTREEITEM item, Rect* rect, bool textOnly) const {
  int row = 0;
  if (!rect || !RowOf(item, &row)) return false;
  const int top = (row - topRow_) * itemHeight_;
  if (!textOnly) {
    *rect = Rect{0, top, GetClientRect().Width(), top + itemHeight_};
    return true;
  }
  const Node* n = Find(item);
  const int left = ContentLeft(LevelOf(item));
  const int iconWidth = imageList_ ? imageList_->cx + kIconGap : 0;
  *rect = Rect{left, top, left + iconWidth + LabelWidth(n->text), top + itemHeight_};
  return true;
}

bool TYX_TreeCtrl::GetLabelRect(HTREEITEM item, Rect* rect) const {
  Rect r;
  if (!rect || !GetItemRect(item, &r, true)) return false;
  if (imageList_) r.left += imageList_->cx + kIconGap;
  *rect = r;
  return true;
}

bool TYX_TreeCtrl::GetButtonRect(HTREEITEM item, Rect* rect) const {
  Rect r;
  if (!rect || !GetItemRect(item, &r, true)) return false;
  const int level = LevelOf(item);
  if (!HasButtonSlot(level) || !ItemHasChildren(item)) {
    *rect = Rect{};
    return true;
  }
  *rect = Rect{r.left - indent_, r.top, r.left, r.bottom};
  return true;
}

HTREEITEM TYX_TreeCtrl::HitTest(Point p, UINT* flags) const {
  UINT f = 0;
  const Rect client = GetClientRect();
  if (p.y < 0) f |= TVHT_ABOVE;
  if (p.y >= client.bottom) f |= TVHT_BELOW;
  if (p.x < 0) f |= TVHT_TOLEFT;
  if (p.x >= client.right) f |= TVHT_TORIGHT;
  if (f) {
    if (flags) *flags = f;
    return nullptr;
  }
  const auto visible = GetVisibleItems();
  const int row = topRow_ + p.y / itemHeight_;
  if (row >= static_cast<int>(visible.size())) {
    if (flags) *flags = TVHT_NOWHERE;
    return nullptr;
  }
  HTREEITEM item = visible[static_cast<std::size_t>(row)];
  const Node* n = Find(item);
  const int level = LevelOf(item);
  const int left = ContentLeft(level);
  const int iconWidth = imageList_ ? imageList_->cx : 0;
  const int labelLeft = left + (imageList_ ? iconWidth + kIconGap : 0);
  if (p.x < left) {
    f = (HasButtonSlot(level) && !n->children.empty() && p.x >= left - indent_) ? TVHT_ONITEMBUTTON
                                                                              : TVHT_ONITEMINDENT;
  } else if (imageList_ && p.x < left + iconWidth) {
    f = TVHT_ONITEMICON;
  } else if (p.x < labelLeft) {
    f = TVHT_ONITEMICON;  // the gap between icon and label belongs to the icon
  } else if (p.x < labelLeft + LabelWidth(n->text)) {
    f = TVHT_ONITEMLABEL;
  } else {
    f = TVHT_ONITEMRIGHT;
  }
  if (flags) *flags = f;
  return item;
}

bool TYX_TreeCtrl::EnsureVisible(HTREEITEM item) {
  if (!Find(item)) return false;
  for (HTREEITEM p = GetParentItem(item); p; p = GetParentItem(p)) Find(p)->expanded = true;
  int row = 0;
  RowOf(item, &row);
  const int rows = std::max(1, GetVisibleRowCount());
  if (row < topRow_) topRow_ = row;
  else if (row >= topRow_ + rows) topRow_ = row - rows + 1;
  Invalidate();
  return true;
}

LRESULT TYX_TreeCtrl::NotifyParent(UINT code, HTREEITEM oldItem, HTREEITEM newItem, UINT action) {
  if (!GetSafeHwnd() || !GetParent()) return 0;
  NMTREEVIEW nm;
  nm.hdr.hwndFrom = GetSafeHwnd();
  nm.hdr.idFrom = GetDlgCtrlID();
  nm.hdr.code = code;
  nm.action = action;
  nm.itemOld = oldItem;
  nm.itemNew = newItem;
  return Win::SendMessage(GetParent(), Win::WM_NOTIFY, GetDlgCtrlID(), Win::RecordToLParam(&nm));
}

void TYX_TreeCtrl::OnLButtonDown(UINT, Point p) {
  UINT flags = 0;
  HTREEITEM item = HitTest(p, &flags);
  SetFocus();
  if (!item) return;
  if (flags & TVHT_ONITEMBUTTON) {
    Expand(item, TVE_TOGGLE);
    return;
  }
  if (flags & (TVHT_ONITEM | TVHT_ONITEMRIGHT)) {
    SelectItem(item, true, TVC_BYMOUSE);
    NotifyParent(NM_CLICK, nullptr, item, TVC_BYMOUSE);
  }
}

void TYX_TreeCtrl::OnRButtonDown(UINT, Point) { NotifyParent(NM_RCLICK, nullptr, nullptr, TVC_BYMOUSE); }

void TYX_TreeCtrl::OnDropFiles(HDROP drop) { DragFinish(drop); }

void TYX_TreeCtrl::PaintContent(Win::DisplayList& dc) {
  const Rect client = GetClientRect();
  dc.FillRect(client, bkColor_);
  const auto visible = GetVisibleItems();
  const bool showSelection = HasFocus() || (GetStyle() & TVS_SHOWSELALWAYS);
  const int rows = GetVisibleRowCount() + 1;
  for (int row = topRow_; row < static_cast<int>(visible.size()) && row < topRow_ + rows; ++row) {
    HTREEITEM item = visible[static_cast<std::size_t>(row)];
    const Node* n = Find(item);
    Rect label, button;
    GetLabelRect(item, &label);
    GetButtonRect(item, &button);
    if (!button.IsEmpty()) {
      // The expand box: a minus, with a vertical stroke for a collapsed node.
      const int cx = (button.left + button.right) / 2, cy = (button.top + button.bottom) / 2;
      dc.Line(Point{cx - 2, cy}, Point{cx + 3, cy}, 0x808080);
      if (!n->expanded) dc.Line(Point{cx, cy - 2}, Point{cx, cy + 3}, 0x808080);
    }
    if (imageList_) {
      const int left = label.left - imageList_->cx - kIconGap;
      const int top = label.top + (itemHeight_ - imageList_->cy) / 2;
      dc.Image(imageList_->bitmapId, Rect{left, top, left + imageList_->cx, top + imageList_->cy});
    }
    const bool highlighted = item == dropHilite_ || (item == selected_ && showSelection && !dropHilite_);
    if (highlighted) dc.FillRect(label, kSelectionColor);
    dc.Text(label, n->text, font_, highlighted ? kSelectedTextColor : textColor_);
  }
}

bool TYX_TreeCtrl::SendClick(UINT downMsg, UINT upMsg, Point p) {
  if (!GetSafeHwnd()) return false;
  HWND self = GetSafeHwnd();
  Win::SendMessage(self, downMsg, 0, PointToLParam(p));
  Win::SendMessage(self, upMsg, 0, PointToLParam(p));
  return true;
}

bool TYX_TreeCtrl::ClickNode(HTREEITEM item) {
  Rect label;
  if (!EnsureVisible(item) || !GetLabelRect(item, &label)) return false;
  return SendClick(Win::WM_LBUTTONDOWN, Win::WM_LBUTTONUP,
                   Point{(label.left + label.right) / 2, (label.top + label.bottom) / 2});
}

bool TYX_TreeCtrl::ClickNodeButton(HTREEITEM item) {
  Rect button;
  if (!EnsureVisible(item) || !GetButtonRect(item, &button) || button.IsEmpty()) return false;
  return SendClick(Win::WM_LBUTTONDOWN, Win::WM_LBUTTONUP,
                   Point{(button.left + button.right) / 2, (button.top + button.bottom) / 2});
}

bool TYX_TreeCtrl::RightClickNode(HTREEITEM item) {
  Rect label;
  if (!EnsureVisible(item) || !GetLabelRect(item, &label)) return false;
  return SendClick(Win::WM_RBUTTONDOWN, Win::WM_RBUTTONUP,
                   Point{(label.left + label.right) / 2, (label.top + label.bottom) / 2});
}

bool TYX_TreeCtrl::ClickPoint(Point p) { return SendClick(Win::WM_LBUTTONDOWN, Win::WM_LBUTTONUP, p); }

bool TYX_TreeCtrl::RightClickPoint(Point p) { return SendClick(Win::WM_RBUTTONDOWN, Win::WM_RBUTTONUP, p); }

bool TYX_TreeCtrl::DropFilesOnNode(HTREEITEM item, const std::vector<std::string>& files) {
  Rect label;
  if (!EnsureVisible(item) || !GetLabelRect(item, &label)) return false;
  return DropFilesAtPoint(Point{(label.left + label.right) / 2, (label.top + label.bottom) / 2}, files);
}

bool TYX_TreeCtrl::DropFilesAtPoint(Point p, const std::vector<std::string>& files) {
  if (!GetSafeHwnd() || !acceptFiles_) return false;
  ClientToScreen(p);
  HDROP drop = DragCreateList(files, p);
  Win::SendMessage(GetSafeHwnd(), Win::WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  return true;
}

}  // namespace TYX::Controls
