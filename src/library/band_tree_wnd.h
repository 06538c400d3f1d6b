#pragma once
// The window a sidebar band hosts below its button: it fills itself with one band tree control and
// relays the control's selection, context-menu and drop notifications to the band window.
#include <string>

#include "library/band_tree_ctrl.h"
#include "platform/window.h"

namespace TYX::Library {

class TYX_BandTreeWnd : public Win::Window {
 public:
  using HTREEITEM = Controls::HTREEITEM;

  // The tree control's own control ID inside the window.
  static constexpr Win::UINT kTreeCtrlId = 1;

  TYX_BandTreeWnd();
  ~TYX_BandTreeWnd() override;

  // Creates the tree at rect, names both windows "BandTreeCtrl_<control ID>", sets the caption font and
  // initialises the tree; the result of the tree's initialisation (E_FAIL without the skin bitmap).
  Win::HRESULT Initialize(const TYX_BandTreeCtrl::tagLibraryTreeMenu* menu, int count, Win::UINT bitmapId,
                          const Win::Rect& rect);
  Win::HRESULT Initialize(Win::UINT bitmapId, const Win::Rect& rect);

  HTREEITEM AddNode(int unused, int image, int selectedImage, const std::string& caption, int data,
                    const std::string& pageId, bool select);
  HTREEITEM AddChildNode(HTREEITEM parent, int image, int selectedImage, const std::string& caption, int data,
                         const std::string& pageId, bool select);
  // Deletes the node holding data (and its children) and counts them off; 0.
  Win::HRESULT DeleteChildNode(int data, bool deleteSelf);

  int GetItemSize() const { return nodeCount_; }
  TYX_BandTreeCtrl& GetBandTreeCtrl() { return tree_; }
  const TYX_BandTreeCtrl& GetBandTreeCtrl() const { return tree_; }

  HTREEITEM GetItemFromData(int data) const { return tree_.GetItemFromData(data); }
  int GetItemDataFromIndex(int position) const { return tree_.GetItemDataFromIndex(position); }
  std::string GetTitleFromIndex(int position) const;
  std::string GetPageIDFromIndex(int position) const;

  void SetSelectItem(int data, bool notify);
  int GetSelectedData() const { return selectedData_; }

  void SetDropMode(bool on) { dropMode_ = on; }
  bool GetDropMode() const { return dropMode_; }
  void SetDropSelected(bool selected);
  bool GetDropSelected() const { return dropSelected_; }

  const Win::Font& GetCaptionFont() const { return font_; }

 private:
  Win::HRESULT CreateTree(const Win::Rect& rect);

  // All members: owner thread of the window.
  int nodeCount_ = 0;  // nodes added through the window, less those deleted; never below 0
  TYX_BandTreeCtrl tree_;
  Win::Font font_;
  int selectedData_ = -1;
  bool dropSelected_ = false;
  bool dropMode_ = false;
};

}  // namespace TYX::Library
