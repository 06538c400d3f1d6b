#pragma once
// A skinned progress bar: a range and a position inside it, drawn as a track image with a bar image
// clipped to the filled part. Answers the PBM_ messages as well as the calls below.
#include "platform/window.h"
#include "toolkit/toolkit_types.h"

namespace TYX::Controls {

class TYX_ProgressBar : public Win::Window {
 public:
  TYX_ProgressBar();

  bool CreateProgress(HWND parent, const Win::Rect& rect, UINT id,
                      Win::DWORD style = Win::WS_CHILD | Win::WS_VISIBLE);

  // An empty or inverted range is refused (false) and leaves the bar unchanged. The position is
  // clamped into the new range.
  bool SetRange32(int lower, int upper);
  void GetRange(int& lower, int& upper) const {
    lower = lower_;
    upper = upper_;
  }
  int GetLower() const { return lower_; }
  int GetUpper() const { return upper_; }
  // Clamps into the range; returns the previous position.
  int SetPos(int pos);
  int GetPos() const { return pos_; }
  int OffsetPos(int delta);
  int SetStep(int step);
  // Advances by the step; past the upper bound it starts over from the lower bound plus the overshoot.
  // Returns the previous position.
  int StepIt();
  // Filled fraction 0..1.
  double Fraction() const;

  void SetImages(UINT track, UINT bar);
  void SetColors(COLORREF track, COLORREF bar);

 protected:
  void PaintContent(Win::DisplayList& dc) override;

 private:
  int lower_ = 0;  // owner thread, like every field below
  int upper_ = 100;
  int pos_ = 0;
  int step_ = 10;
  UINT trackImage_ = 0;
  UINT barImage_ = 0;
  COLORREF trackColor_ = 0xE6E6E6;
  COLORREF barColor_ = 0xA6447E;
};

}  // namespace TYX::Controls
