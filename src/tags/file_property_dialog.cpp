#include "tags/file_property_dialog.h"

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "contracts/media.h"
#include "util/file_name.h"
#include "util/log_scope.h"
#include "util/time_string.h"

namespace TYX::Dialog {

using namespace TYX::Win;

namespace {
constexpr COLORREF kLabelColor = 0x663A3A;
constexpr COLORREF kValueColor = 0x4C4C4C;
constexpr COLORREF kImageFrameColor = 0xD6CFCB;
constexpr int kLeft = 20;
constexpr int kTop = 45;
constexpr int kRowHeight = 22;
constexpr int kValueLeft = 110;
// The image area lies right of the first rows.
constexpr Rect kImageBox{264, 45, 364, 145};

// An absolute, normalised path; empty when the text cannot name a file.
std::string ResolvePath(const std::string& path) {
  if (path.empty()) return {};
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(path, ec);
  if (ec) return {};
  return full.lexically_normal().string();
}
}  // namespace

TYX_Dialog_FileProperty::TYX_Dialog_FileProperty(HWND parent) : TYX_Skin_PopupDialog(0, parent) {
  SetWindowSize(kWidth, kHeightWithoutImage);
  SetButtonSet(kButtonSetOk);
}

TYX_Dialog_FileProperty::~TYX_Dialog_FileProperty() = default;

std::string TYX_Dialog_FileProperty::SizeText(std::uint64_t bytes) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%" PRIu64 ".%" PRIu64 " MB", bytes / 1000000u, (bytes / 100000u) % 10u);
  return buf;
}

std::string TYX_Dialog_FileProperty::BitRateText(std::uint32_t bitsPerSecond) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%u Kbps", static_cast<unsigned>(bitsPerSecond / 1000u));
  return buf;
}

std::string TYX_Dialog_FileProperty::SampleRateText(std::uint32_t hertz) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f Khz", static_cast<double>(hertz) / 1000.0);
  return buf;
}

std::string TYX_Dialog_FileProperty::HighlightText(std::uint32_t startMs, std::uint32_t lengthMs) {
  const std::int64_t start = startMs / 1000;
  const std::int64_t length = lengthMs / 1000;
  if (length == 0) return "미적용 (00:00~00:00)";
  return "적용 (" + Util::ToTimeString(start) + "~" + Util::ToTimeString(start + length) + ")";
}

bool TYX_Dialog_FileProperty::SetFile(const std::string& path) {
  TYX_LogScope scope("TYX_Dialog_FileProperty::SetFile");
  texts_ = Texts{};
  path_.clear();
  const std::string full = ResolvePath(path);
  if (full.empty()) return false;
  TYX_MediaPtr media = TYX_Media::Instance(full, kMediaOpenRead);
  if (!media || !media->IsValid()) return false;
  path_ = full;
  texts_.fileName = Util::GetFileName(full);
  texts_.title = media->GetTitle();
  texts_.album = media->GetAlbum();
  texts_.format = media->GetFormatText();
  texts_.size = SizeText(media->GetFileSize());
  texts_.bitRate = BitRateText(media->GetBitRate());
  texts_.sampleRate = SampleRateText(media->GetSampleRate());
  texts_.channels = media->GetChannelText();
  texts_.highlight = HighlightText(media->GetHighlightStart(), media->GetHighlightLength());
  texts_.location = full;
  return true;
}

int TYX_Dialog_FileProperty::IsAlbumImage(const std::string& path) {
  const std::string full = ResolvePath(path);
  if (full.empty()) return 0;
  TYX_MediaPtr media = TYX_Media::Instance(full, kMediaOpenRead);
  if (!media || !media->IsValid()) return 0;
  return media->GetAlbumImageData().empty() ? 0 : 1;
}

std::vector<std::pair<std::string, std::string>> TYX_Dialog_FileProperty::GetLines() const {
  return {
      {"파일명 : ", texts_.fileName},      {"제목 : ", texts_.title},
      {"앨범명 : ", texts_.album},         {"파일 포맷 : ", texts_.format},
      {"파일 크기 : ", texts_.size},       {"Bit Rate : ", texts_.bitRate},
      {"Sample Rate : ", texts_.sampleRate}, {"채널 : ", texts_.channels},
      {"하이라이트 : ", texts_.highlight}, {"파일 위치 : ", texts_.location},
  };
}

void TYX_Dialog_FileProperty::LoadAlbumImage() {
  imageData_.clear();
  imageType_.clear();
  if (path_.empty()) return;
  TYX_MediaPtr media = TYX_Media::Instance(path_, kMediaOpenRead);
  if (!media || !media->IsValid()) return;
  imageData_ = media->GetAlbumImageData(&imageType_);
  if (imageData_.empty()) imageType_.clear();
}

BOOL TYX_Dialog_FileProperty::OnInitDialog() {
  SetTitle("곡 정보");
  SetButtonSet(kButtonSetOk);
  TYX_Skin_PopupDialog::OnInitDialog();
  LoadAlbumImage();
  CenterWindow();
  Invalidate();
  return TRUE;
}

void TYX_Dialog_FileProperty::PaintContent(DisplayList& dc) {
  TYX_Skin_PopupDialog::PaintContent(dc);
  const Font font = Controls::DefaultFont(12, false);
  const int right = GetClientRect().right - 20;
  int y = kTop;
  const auto lines = GetLines();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    // The first three rows leave the right side to the image area.
    const int valueRight = i < 3 ? kImageBox.left - 8 : right;
    dc.Text(Rect{kLeft, y, kValueLeft, y + kRowHeight}, lines[i].first, font, kLabelColor);
    dc.Text(Rect{kValueLeft, y, valueRight, y + kRowHeight}, lines[i].second, font, kValueColor);
    y += kRowHeight;
    if (i == 2) {
      // Below the album: the image area, or the line that says there is none.
      if (imageData_.empty()) {
        dc.Text(Rect{kLeft, y, right, y + kRowHeight}, kNoImageLine, font, kValueColor);
        y += kRowHeight;
      }
      y = std::max(y, static_cast<int>(kImageBox.bottom) + 8);
    }
  }
  if (!imageData_.empty()) dc.FillRect(kImageBox, kImageFrameColor);
}

}  // namespace TYX::Dialog
