#pragma once
// The footer of the host's contents area: a line about the listed songs (selected count, listed count,
// their sizes) and a show mode chosen by the panel. It only keeps and draws that state.
#include <cstdint>
#include <string>

#include "platform/window.h"
#include "toolkit/toolkit_types.h"

namespace TYX::Contents {

class TYX_ContentsFooter : public Win::Window {
 public:
  bool CreateFooter(Win::HWND parent, const Win::Rect& rect, Win::UINT id,
                    Win::DWORD style = Win::WS_CHILD | Win::WS_VISIBLE);

  void SetMusicPageInfo(int selectedCount, int rowCount, std::uint64_t selectedBytes, std::uint64_t listedBytes);
  int GetSelectedCount() const { return selectedCount_; }
  int GetRowCount() const { return rowCount_; }
  std::uint64_t GetSelectedBytes() const { return selectedBytes_; }
  std::uint64_t GetListedBytes() const { return listedBytes_; }
  int GetPageInfoUpdates() const { return updates_; }

  void SetShowMode(int mode);
  int GetShowMode() const { return showMode_; }

  // The information line as drawn, e.g. "선택 2곡 (7.5MB) / 전체 10곡 (40.0MB)"; show mode 2 (the
  // play lists) leaves the sizes out.
  std::string InfoText() const;
  // Bytes as "%.1fMB" above 1048576 bytes, else "%.1fKB".
  static std::string SizeText(std::uint64_t bytes);

 protected:
  void PaintContent(Win::DisplayList& dc) override;

 private:
  int selectedCount_ = 0;  // owner thread, like every field below
  int rowCount_ = 0;
  std::uint64_t selectedBytes_ = 0;
  std::uint64_t listedBytes_ = 0;
  int showMode_ = 0;
  int updates_ = 0;
};

}  // namespace TYX::Contents
