#pragma once
// The category sidebar: a vertical stack of bands, each a header button with an optional hosted window
// (a band tree) below it. The band window tracks the selected band and node, reports selection
// changes, context-menu requests and dropped files to its parent (the host's window), highlights drop
// targets during a drag, and maps a page ID to its category (GetLibraryType).
//
// Bands are addressed by position; the button of the band at position n has the command ID 256 + n.
// Nodes are addressed by their item data: SetSelectBandItem, the node-click handling and
// GetSelectedPageID all take the selected node as the item data of a node of the band's tree.
#include <memory>
#include <string>
#include <vector>

#include "library/band_button.h"
#include "library/band_item.h"
#include "library/band_tree_wnd.h"
#include "library/band_wnd_messages.h"
#include "library/page_id.h"
#include "platform/window.h"

namespace TYX::Library {

class TYX_BandWnd : public Win::Window {
 public:
  using TYX_BandItem = Library::TYX_BandItem;
  using _DropTarget = Library::_DropTarget;
  using HTREEITEM = Controls::HTREEITEM;

  // The category of a page ID (library/page_id.h).
  using LibraryType = ::TYX::Library::LibraryType;
  using enum ::TYX::Library::LibraryType;

  static constexpr Win::UINT kFirstButtonId = 256;
  static constexpr Win::UINT kLastButtonId = 356;
  static constexpr Win::UINT kWindowIdBase = 512;
  static constexpr Win::UINT kLeftImage = 20103;
  static constexpr Win::UINT kRightImage = 20104;
  static constexpr int kButtonGap = 7;
  static constexpr int kButtonHeight = 18;
  static constexpr int kNodeHeight = 18;

  TYX_BandWnd();
  // Removes every band with its button and window.
  ~TYX_BandWnd() override;

  // Bands. The band window takes ownership of a hosted window passed in.
  int AddItem(Win::UINT id, std::unique_ptr<Win::Window> window, Win::UINT image, const std::string& title,
              const std::string& pageId);
  int AddItem(Win::UINT id, Win::UINT image, const std::string& title, const std::string& pageId,
              const std::string& extra);
  // Returns the index the band took (an index past the end appends).
  int InsertItem(Win::UINT id, std::unique_ptr<Win::Window> window, int index, Win::UINT image,
                 const std::string& title, const std::string& pageId, const std::string& extra);
  bool MakeButton(Win::UINT id, TYX_BandButton& button, const Win::Rect* rect, Win::UINT leftImage,
                  Win::UINT middleImage, Win::UINT rightImage);
  // Stores the band's window (destroying a different one it had). A live window gets the control ID
  // index + 512; it must be a child of the band window, since the framework cannot reparent.
  void SetItemWindow(int index, std::unique_ptr<Win::Window> window);
  void RemoveItem(int index);
  int GetCount() const { return static_cast<int>(items_.size()); }
  Win::UINT GetItemParameter(int index) const;
  Win::Window* GetItemWindow(int index) const;
  TYX_BandButton* GetItemButton(int index) const;
  // The band's window as a band tree, or null.
  TYX_BandTreeWnd* GetBandTreeWnd(int index) const;
  const TYX_BandItem* GetItem(int index) const;

  // Recorded for the host; the band window sends nothing through them.
  void SetMessage(Win::HWND wnd, Win::UINT msg);
  Win::HWND GetNotifyWnd() const { return notifyWnd_; }
  Win::UINT GetNotifyMsg() const { return notifyMsg_; }

  // Nodes. AddBandItem makes the band's tree window on the first node; 0.
  int AddBandItem(Win::UINT treeImage, int band, int unused, int image, int selectedImage, const std::string& title,
                  int data, const std::string& pageId, bool select);
  int DeleteBandItem(int band, int data);
  // Deletes every node of the band; returns how many the band had.
  int RemoveBandItem(int band);
  // Takes effect at the next layout.
  void SetUsed(int band, bool used);
  bool GetUsed(int band) const;
  int GetItemSize(int band) const;
  HTREEITEM GetBandItemFromData(int band, int data) const;
  int GetBandItemDataFromIndex(int band, int position) const;
  std::string GetBandTitleFromIndex(int band, int position) const;
  std::string GetBandPageIDFromIndex(int band, int position) const;

  // Selection.
  std::string GetSelectedPageID() const;
  std::string GetSelectedPageTitle() const;
  int GetSelectedBandIndex() const { return selectedBand_; }
  int GetSelectedBandItemIndex() const { return selectedNode_; }
  // node -1 selects the band itself; otherwise the node whose item data is `node`.
  void SetSelectBandItem(int band, int node, bool notify);

  // Drag and drop.
  std::string HitTestAndSelectDropTarget(bool dropMode, Win::Point screenPoint);
  void SetDropSelected(int band, bool onButton);
  bool GetPageIDFromPoint(Win::Point screenPoint, std::string& pageId, int& band) const;
  Win::LRESULT BandDropFiles(_DropTarget* target);
  int GetDropBand() const { return dropBand_; }
  bool GetDropMode() const { return dropMode_; }

  static LibraryType GetLibraryType(const std::string& pageId) { return ::TYX::Library::GetLibraryType(pageId); }

  void UpdateScreen();
  // Times the background was made again (it is kept at the client size).
  int BackgroundBuilds() const { return backgroundBuilds_; }

 protected:
  void SetSelectedItem(int band, bool notify);
  void OnSelectItem(Win::UINT treeWndId, Win::LPARAM data);
  void OnButtonDropFiles(Win::UINT buttonId, Controls::HDROP drop);
  void PaintContent(Win::DisplayList& dc) override;

 private:
  bool Valid(int band) const { return band >= 0 && band < GetCount(); }
  bool HasLiveWindow(int band) const;

  // All members: the UI thread that owns the window.
  std::vector<std::unique_ptr<TYX_BandItem>> items_;
  Win::HWND notifyWnd_ = nullptr;
  Win::UINT notifyMsg_ = 0;
  int selectedBand_ = -1;
  int selectedNode_ = -1;
  bool everSelected_ = false;  // a band has been selected once: from then on every change is laid out
  int dropBand_ = -1;
  bool dropMode_ = false;
  Win::Size backgroundSize_;
  int backgroundBuilds_ = 0;
};

}  // namespace TYX::Library
