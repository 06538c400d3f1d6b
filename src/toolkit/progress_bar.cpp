#include "toolkit/progress_bar.h"

#include <algorithm>

namespace TYX::Controls {

using namespace Win;

TYX_ProgressBar::TYX_ProgressBar() {
  OnMessage(PBM_SETRANGE, [this](WPARAM, LPARAM l) -> LRESULT {
    const int oldLo = lower_, oldHi = upper_;
    SetRange32(static_cast<int>(LOWORD(static_cast<std::uintptr_t>(l))),
               static_cast<int>(HIWORD(static_cast<std::uintptr_t>(l))));
    return MAKELPARAM(static_cast<UINT>(oldLo), static_cast<UINT>(oldHi));
  });
  OnMessage(PBM_SETRANGE32, [this](WPARAM w, LPARAM l) -> LRESULT {
    const int oldLo = lower_, oldHi = upper_;
    SetRange32(static_cast<int>(w), static_cast<int>(l));
    return MAKELPARAM(static_cast<UINT>(oldLo), static_cast<UINT>(oldHi));
  });
  OnMessage(PBM_SETPOS, [this](WPARAM w, LPARAM) -> LRESULT { return SetPos(static_cast<int>(w)); });
  OnMessage(PBM_DELTAPOS, [this](WPARAM w, LPARAM) -> LRESULT { return OffsetPos(static_cast<int>(w)); });
  OnMessage(PBM_SETSTEP, [this](WPARAM w, LPARAM) -> LRESULT { return SetStep(static_cast<int>(w)); });
  OnMessage(PBM_STEPIT, [this](WPARAM, LPARAM) -> LRESULT { return StepIt(); });
  // wParam TRUE asks for the lower bound, FALSE for the upper; lParam may point to two ints.
  OnMessage(PBM_GETRANGE, [this](WPARAM w, LPARAM l) -> LRESULT {
    if (l) {
      int* out = reinterpret_cast<int*>(l);
      out[0] = lower_;
      out[1] = upper_;
    }
    return w ? lower_ : upper_;
  });
  OnMessage(PBM_GETPOS, [this](WPARAM, LPARAM) -> LRESULT { return pos_; });
}

bool TYX_ProgressBar::CreateProgress(HWND parent, const Rect& rect, UINT id, DWORD style) {
  return Create(parent, rect, style, id);
}

bool TYX_ProgressBar::SetRange32(int lower, int upper) {
  if (upper <= lower) return false;
  if (lower == lower_ && upper == upper_) return true;
  lower_ = lower;
  upper_ = upper;
  pos_ = std::clamp(pos_, lower_, upper_);
  Invalidate();
  return true;
}

int TYX_ProgressBar::SetPos(int pos) {
  const int old = pos_;
  pos_ = std::clamp(pos, lower_, upper_);
  if (pos_ != old) Invalidate();
  return old;
}

int TYX_ProgressBar::OffsetPos(int delta) {
  const long long target = static_cast<long long>(pos_) + delta;
  return SetPos(static_cast<int>(std::clamp<long long>(target, lower_, upper_)));
}

int TYX_ProgressBar::SetStep(int step) {
  const int old = step_;
  step_ = step;
  return old;
}

int TYX_ProgressBar::StepIt() {
  const int old = pos_;
  long long next = static_cast<long long>(pos_) + step_;
  if (next > upper_) next = lower_ + (next - upper_) % (static_cast<long long>(upper_) - lower_);
  if (next < lower_) next = lower_;
  SetPos(static_cast<int>(next));
  return old;
}

double TYX_ProgressBar::Fraction() const {
  return static_cast<double>(pos_ - lower_) / static_cast<double>(upper_ - lower_);
}

void TYX_ProgressBar::SetImages(UINT track, UINT bar) {
  trackImage_ = track;
  barImage_ = bar;
  Invalidate();
}

void TYX_ProgressBar::SetColors(COLORREF track, COLORREF bar) {
  trackColor_ = track;
  barColor_ = bar;
  Invalidate();
}

void TYX_ProgressBar::PaintContent(DisplayList& dc) {
  const Rect rc = GetClientRect();
  if (trackImage_)
    dc.Image(trackImage_, rc);
  else
    dc.FillRect(rc, trackColor_);
  Rect filled = rc;
  filled.right = rc.left + static_cast<int>(rc.Width() * Fraction());
  if (filled.IsEmpty()) return;
  if (barImage_)
    dc.Image(barImage_, filled);
  else
    dc.FillRect(filled, barColor_);
}

}  // namespace TYX::Controls
