// The location bar: history of visits, caption segments, highlight and clicks.
#include "library/location_wnd.h"

namespace TYX::Location {

namespace {

constexpr int kLeftMargin = 10;
constexpr int kSeparatorWidth = 16;  // " > " between two segments
constexpr char kSeparator[] = ">";
constexpr Win::COLORREF kTextColor = 0x4C4C4C;
constexpr Win::COLORREF kHotColor = 0xA6447E;

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

// Client coordinates packed in a mouse message's lParam (signed 16-bit each).
Win::Point PointOf(Win::LPARAM lParam) {
  const auto value = static_cast<std::uintptr_t>(lParam);
  return Win::Point{static_cast<std::int16_t>(Win::LOWORD(value)), static_cast<std::int16_t>(Win::HIWORD(value))};
}

}  // namespace

std::vector<std::string> SplitFields(const std::string& text, char delimiter) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(delimiter, start);
    if (end == std::string::npos) {
      fields.push_back(text.substr(start));
      return fields;
    }
    fields.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

TYX_LocationWnd::TYX_LocationWnd() {
  OnMessage(Win::WM_MOUSEMOVE, [this](Win::WPARAM, Win::LPARAM l) {
    OnMouseMove(PointOf(l));
    return Win::LRESULT{0};
  });
  OnMessage(Win::WM_LBUTTONDOWN, [this](Win::WPARAM, Win::LPARAM l) {
    OnLButtonDown(PointOf(l));
    return Win::LRESULT{0};
  });
  OnMessage(Win::WM_LBUTTONUP, [this](Win::WPARAM, Win::LPARAM l) {
    OnLButtonUp(PointOf(l));
    return Win::LRESULT{0};
  });
}

bool TYX_LocationWnd::CreateLocationWnd(Win::HWND parent, const Win::Rect& rect, Win::UINT id) {
  return Create(parent, rect, Win::WS_CHILD | Win::WS_VISIBLE, id);
}

long TYX_LocationWnd::AddLocation(const std::string& address, int kind) {
  if (address.empty() || kind == 0) return Win::E_INVALIDARG;
  if (HasCurrent()) {
    forward_.clear();
    if (back_.empty() || back_.back().address != current_.address) back_.push_back(current_);
  }
  current_ = tagLocation{address, kind};
  return Win::S_OK;
}

bool TYX_LocationWnd::MoveBack() {
  if (back_.empty()) return false;
  if (HasCurrent()) forward_.push_back(current_);
  current_ = back_.back();
  back_.pop_back();
  return true;
}

bool TYX_LocationWnd::MoveForward() {
  if (forward_.empty()) return false;
  if (HasCurrent()) back_.push_back(current_);
  current_ = forward_.back();
  forward_.pop_back();
  return true;
}

void TYX_LocationWnd::SetLocationText(const std::string& caption, const std::string& address) {
  captions_.clear();
  addresses_.clear();
  if (!caption.empty()) {
    for (const std::string& piece : SplitFields(caption, '>')) captions_.push_back(Trim(piece));
  }
  if (!address.empty()) {
    for (const std::string& piece : SplitFields(address, '>')) addresses_.push_back(Trim(piece));
  }
  if (addresses_.size() < captions_.size()) addresses_.resize(captions_.size());
  hot_ = -1;
  pressed_ = -1;
  if (IsAlive()) Invalidate();
}

std::string TYX_LocationWnd::GetLocationText() const {
  std::string text;
  for (std::size_t i = 0; i < captions_.size(); ++i) {
    if (i > 0) text += " > ";
    text += captions_[i];
  }
  return text;
}

int TYX_LocationWnd::TextWidth(const std::string& text) {
  int width = 0;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c & 0xC0) == 0x80) continue;  // continuation byte
    width += c < 0x80 ? 6 : 11;        // Latin and Hangul advance of the 11-pixel font
  }
  return width;
}

Win::Rect TYX_LocationWnd::GetSegmentRect(int segment) const {
  if (segment < 0 || segment >= static_cast<int>(captions_.size())) return {};
  const Win::Rect client = GetClientRect();
  int x = kLeftMargin;
  for (int i = 0; i < segment; ++i) x += TextWidth(captions_[static_cast<std::size_t>(i)]) + kSeparatorWidth;
  return Win::Rect{x, client.top, x + TextWidth(captions_[static_cast<std::size_t>(segment)]), client.bottom};
}

int TYX_LocationWnd::SegmentFromPoint(Win::Point point) const {
  for (int i = 0; i < static_cast<int>(captions_.size()); ++i) {
    const Win::Rect r = GetSegmentRect(i);
    if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom) return i;
  }
  return -1;
}

void TYX_LocationWnd::SetHot(int segment) {
  if (segment == hot_) return;
  hot_ = segment;
  Invalidate();
}

void TYX_LocationWnd::OnMouseMove(Win::Point point) { SetHot(SegmentFromPoint(point)); }

void TYX_LocationWnd::OnLButtonDown(Win::Point point) {
  pressed_ = SegmentFromPoint(point);
  SetHot(pressed_);
}

void TYX_LocationWnd::OnLButtonUp(Win::Point point) {
  const int segment = SegmentFromPoint(point);
  const int pressed = pressed_;
  pressed_ = -1;
  if (segment < 0 || segment != pressed) return;
  // Copies: the parent's navigation sets a new caption while the send lasts.
  const std::string caption = captions_[static_cast<std::size_t>(segment)];
  const std::string address = addresses_[static_cast<std::size_t>(segment)];
  SendMessageToParentWindow(WM_LOCATION_NAVIGATE, static_cast<Win::WPARAM>(TextParam(caption)), TextParam(address));
}

void TYX_LocationWnd::PaintContent(Win::DisplayList& dc) {
  const Win::Rect client = GetClientRect();
  dc.Image(kLocationBackgroundImage, client);
  for (int i = 0; i < static_cast<int>(captions_.size()); ++i) {
    const Win::Rect r = GetSegmentRect(i);
    if (i > 0) {
      const Win::Rect sep{r.left - kSeparatorWidth, client.top, r.left, client.bottom};
      dc.Text(sep, kSeparator, NormalFont(), kTextColor);
    }
    const bool hot = i == hot_;
    dc.Text(r, captions_[static_cast<std::size_t>(i)], hot ? HotFont() : NormalFont(), hot ? kHotColor : kTextColor);
  }
}

}  // namespace TYX::Location
