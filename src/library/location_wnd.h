#pragma once
// The location bar: shows where the user is as a caption of segments ("보관함 > 음악") and keeps the
// back and forward history of visited page addresses. The host creates it and hands it to the panel;
// a click on a segment asks the parent to navigate to that segment's address.
//
// An address is a page ID, optionally followed by "&"-separated fields; a kind is the non-zero
// location kind of the list it shows.
//
// Threads: a window of the host's user-interface thread; every member belongs to that thread.
#include <string>
#include <vector>

#include "platform/window.h"

namespace TYX::Location {

// Sent to the parent when a segment was clicked: wParam the segment's caption, lParam its address,
// both as TextParam (valid only while the send lasts).
constexpr Win::UINT WM_LOCATION_NAVIGATE = 0xB7B6;
constexpr Win::UINT kLocationBackgroundImage = 20114;

// Texts travel in messages as NUL-terminated UTF-8 pointers, valid only during a send (never post them).
inline Win::LPARAM TextParam(const std::string& text) { return reinterpret_cast<Win::LPARAM>(text.c_str()); }
inline std::string ParamText(Win::LPARAM param) {
  return param != 0 ? std::string(reinterpret_cast<const char*>(param)) : std::string();
}

// Splits a text at every occurrence of the delimiter; an empty text is one empty field.
std::vector<std::string> SplitFields(const std::string& text, char delimiter);

class TYX_LocationWnd : public Win::Window {
 public:
  struct tagLocation {
    std::string address;
    int kind = 0;
    bool operator==(const tagLocation&) const = default;
  };

  TYX_LocationWnd();

  bool CreateLocationWnd(Win::HWND parent, const Win::Rect& rect, Win::UINT id);

  // ---- History ------------------------------------------------------------------------------------
  // Records a visit: an empty address or kind 0 is refused with 0x80070057 and nothing changes.
  // Otherwise the forward stack is emptied and the current entry (when there is one) goes on the back
  // stack unless its address is already the back stack's top; the visit becomes current.
  long AddLocation(const std::string& address, int kind);
  bool HasCurrent() const { return !current_.address.empty(); }
  const tagLocation& GetCurrent() const { return current_; }
  // The entry a back (forward) move would make current; nullptr when the stack is empty.
  const tagLocation* PeekBack() const { return back_.empty() ? nullptr : &back_.back(); }
  const tagLocation* PeekForward() const { return forward_.empty() ? nullptr : &forward_.back(); }
  // Moves one step: the current entry (when there is one) goes on the other stack, the stack's top
  // becomes current. False when the stack is empty.
  bool MoveBack();
  bool MoveForward();
  // The stacks, bottom first.
  const std::vector<tagLocation>& GetBackStack() const { return back_; }
  const std::vector<tagLocation>& GetForwardStack() const { return forward_; }

  // ---- Caption ------------------------------------------------------------------------------------
  // Splits the caption and the address text at ">" into segments (spaces around each trimmed); the
  // addresses are padded with empty texts to the caption's count. Invalidates the bar.
  void SetLocationText(const std::string& caption, const std::string& address);
  // The segments joined with " > ", as shown.
  std::string GetLocationText() const;
  const std::vector<std::string>& GetSegments() const { return captions_; }
  const std::vector<std::string>& GetSegmentAddresses() const { return addresses_; }
  // The segment's rectangle in client coordinates (empty for a bad index) and the segment under a point
  // (-1 for none).
  Win::Rect GetSegmentRect(int segment) const;
  int SegmentFromPoint(Win::Point point) const;
  // The highlighted segment (under the mouse), -1 for none.
  int GetHotSegment() const { return hot_; }

  static Win::Font NormalFont() { return Win::Font{"돋움", 11, false}; }
  static Win::Font HotFont() { return Win::Font{"돋움", 11, true}; }

 protected:
  void PaintContent(Win::DisplayList& dc) override;

 private:
  void OnMouseMove(Win::Point point);
  void OnLButtonDown(Win::Point point);
  void OnLButtonUp(Win::Point point);
  void SetHot(int segment);
  static int TextWidth(const std::string& text);

  tagLocation current_;
  std::vector<tagLocation> back_;
  std::vector<tagLocation> forward_;
  std::vector<std::string> captions_;
  std::vector<std::string> addresses_;
  int hot_ = -1;
  int pressed_ = -1;  // the segment the left button went down on
};

}  // namespace TYX::Location
