#include "toolkit/contents_footer.h"

#include <cstdio>

namespace TYX::Contents {

using namespace Win;

bool TYX_ContentsFooter::CreateFooter(HWND parent, const Rect& rect, UINT id, DWORD style) {
  return Create(parent, rect, style, id);
}

void TYX_ContentsFooter::SetMusicPageInfo(int selectedCount, int rowCount, std::uint64_t selectedBytes,
                                          std::uint64_t listedBytes) {
  selectedCount_ = selectedCount;
  rowCount_ = rowCount;
  selectedBytes_ = selectedBytes;
  listedBytes_ = listedBytes;
  ++updates_;
  Invalidate();
}

void TYX_ContentsFooter::SetShowMode(int mode) {
  showMode_ = mode;
  Invalidate();
}

std::string TYX_ContentsFooter::SizeText(std::uint64_t bytes) {
  char buf[64];
  if (bytes > 1048576)
    std::snprintf(buf, sizeof buf, "%.1fMB", static_cast<double>(bytes) / 1048576.0);
  else
    std::snprintf(buf, sizeof buf, "%.1fKB", static_cast<double>(bytes) / 1024.0);
  return buf;
}

std::string TYX_ContentsFooter::InfoText() const {
  char buf[160];
  if (showMode_ == 2) {
    std::snprintf(buf, sizeof buf, "선택 %d곡 / 전체 %d곡", selectedCount_, rowCount_);
    return buf;
  }
  std::snprintf(buf, sizeof buf, "선택 %d곡 (%s) / 전체 %d곡 (%s)", selectedCount_, SizeText(selectedBytes_).c_str(),
                rowCount_, SizeText(listedBytes_).c_str());
  return buf;
}

void TYX_ContentsFooter::PaintContent(DisplayList& dc) {
  const Rect rc = GetClientRect();
  dc.FillRect(rc, 0xF5F7FB);
  dc.Text(Rect{10, rc.top, rc.right - 10, rc.bottom}, InfoText(), Controls::DefaultFont(), 0x4C4C4C);
}

}  // namespace TYX::Contents
