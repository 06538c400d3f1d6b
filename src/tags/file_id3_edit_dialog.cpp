// The tag editor's data: reading the file, normalising, the OK rules and writing the changed fields.
#include "tags/file_id3_edit_dialog.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "contracts/media.h"
#include "toolkit/edit.h"
#include "toolkit/message_box.h"
#include "util/log.h"
#include "util/log_scope.h"
#include "util/url_escape.h"

namespace TYX::Dialog {

using namespace TYX::Win;

namespace {

std::string Trim(const std::string& text) {
  const char* blanks = " \t\r\n";
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  const std::size_t last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

// The decimal value of a number field as stored (0 for empty or non-numeric, like atoi).
std::uint32_t NumberOf(const std::string& text) {
  errno = 0;
  const long long n = std::strtoll(text.c_str(), nullptr, 10);
  if (errno != 0 || n <= 0) return 0;
  return n > 0xFFFFFFFFll ? 0xFFFFFFFFu : static_cast<std::uint32_t>(n);
}

// A number field's text: its decimal value, empty for 0.
std::string NumberText(std::uint32_t n) { return n == 0 ? std::string() : std::to_string(n); }

bool IsNumberField(int f) {
  using D = TYX_Dialog_FileID3Edit;
  return f == D::kDisc || f == D::kDiscCount || f == D::kTrack || f == D::kTrackCount;
}

MediaNumber NumberFieldOf(int f) {
  using D = TYX_Dialog_FileID3Edit;
  switch (f) {
    case D::kDisc: return MediaNumber::Disc;
    case D::kDiscCount: return MediaNumber::DiscCount;
    case D::kTrack: return MediaNumber::Track;
    default: return MediaNumber::TrackCount;
  }
}

MediaText TextFieldOf(int f) {
  using D = TYX_Dialog_FileID3Edit;
  switch (f) {
    case D::kTitle: return MediaText::Title;
    case D::kArtist: return MediaText::Artist;
    case D::kGenre: return MediaText::Genre;
    case D::kComposer: return MediaText::Composer;
    case D::kAlbum: return MediaText::Album;
    case D::kReleaseDate: return MediaText::Year;
    case D::kLabel: return MediaText::Label;
    default: return MediaText::Comment;
  }
}

}  // namespace

bool TYX_Dialog_FileID3Edit::ParseTimeText(const std::string& raw, std::uint32_t& seconds) {
  const std::string text = Trim(raw);
  if (text.empty()) return false;
  double total = 0;
  std::size_t start = 0;
  int parts = 0;
  while (true) {
    const std::size_t colon = text.find(':', start);
    const std::string part = text.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (part.empty() || part.find_first_not_of("0123456789.") != std::string::npos) return false;
    const bool last = colon == std::string::npos;
    // Only the seconds part may carry a fraction.
    if (!last && part.find('.') != std::string::npos) return false;
    char* end = nullptr;
    const double v = std::strtod(part.c_str(), &end);
    if (end == part.c_str() || *end != '\0') return false;
    if (++parts > 3) return false;
    if (parts > 1 && v >= 60) return false;
    total = total * 60 + v;
    if (last) break;
    start = colon + 1;
  }
  const double rounded = std::round(total);
  if (rounded > 4000000.0) return false;
  seconds = static_cast<std::uint32_t>(rounded);
  return true;
}

void TYX_Dialog_FileID3Edit::SetHighlight(std::uint32_t startMs, std::uint32_t endMs) {
  highlightStartMs_ = startMs;
  highlightEndMs_ = endMs;
}

bool TYX_Dialog_FileID3Edit::SetFile(const std::string& path) {
  TYX_LogScope scope("TYX_Dialog_FileID3Edit::SetFile");
  std::error_code ec;
  const std::string full = std::filesystem::absolute(path, ec).lexically_normal().string();
  if (path.empty() || ec) return false;
  struct stat st {};
  // Folders, devices, pipes and the like are no song files.
  if (::stat(full.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  cannotWrite_ = true;
  if (::access(full.c_str(), W_OK) == 0) cannotWrite_ = false;
  std::string error;
  TYX_MediaPtr media = TYX_Media::Instance(full, kMediaOpenRead, &error);
  if (!media || !media->IsValid()) {
    TYX_Log::Instance()->Add("TYX_Dialog_FileID3Edit::SetFile : %s : %s", full.c_str(), error.c_str());
    return false;
  }
  if (!media->CanWriteTags()) cannotWrite_ = true;
  path_ = full;
  for (int f = 0; f < kFieldCount; ++f) {
    fields_[f] = IsNumberField(f) ? std::to_string(media->GetNumber(NumberFieldOf(f))) : media->GetText(TextFieldOf(f));
  }
  extraText_ = media->GetExtraText();
  tagKind_ = media->GetTagKind();
  durationSec_ = media->GetDuration();
  highlightStartMs_ = media->GetHighlightStart();
  const std::uint64_t end = static_cast<std::uint64_t>(highlightStartMs_) + media->GetHighlightLength();
  highlightEndMs_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(end, 0xFFFFFFFFu));
  // A section past the song's end is no section of this song.
  if (end > media->GetDurationMs()) highlightStartMs_ = highlightEndMs_ = 0;

  if (!player_.Open(full))
    TYX_Log::Instance()->Add("TYX_Dialog_FileID3Edit::SetFile - no pre-listening : %s", player_.LastError().c_str());

  query_ = "qa=" + Util::UrlEscape(fields_[kTitle]) + "&qb=" + Util::UrlEscape(fields_[kArtist]) +
           "&qc=" + Util::UrlEscape(fields_[kAlbum]);
  ValidateData();
  readFields_ = fields_;
  readExtraText_ = extraText_;
  readHighlightStartMs_ = highlightStartMs_;
  readHighlightEndMs_ = highlightEndMs_;
  bar_ = {highlightStartMs_, std::max(highlightStartMs_, highlightEndMs_)};
  return true;
}

void TYX_Dialog_FileID3Edit::ValidateData() {
  for (int f = 0; f < kFieldCount; ++f) {
    fields_[f] = Trim(fields_[f]);
    if (IsNumberField(f)) fields_[f] = NumberText(NumberOf(fields_[f]));
  }
  extraText_ = Trim(extraText_);
  if (highlightEndMs_ <= highlightStartMs_) highlightStartMs_ = highlightEndMs_ = 0;
}

bool TYX_Dialog_FileID3Edit::HasSearchTexts() const {
  for (const std::string& s : searchTexts_)
    if (!s.empty()) return true;
  return false;
}

bool TYX_Dialog_FileID3Edit::Changed() const {
  return fields_ != readFields_ || extraText_ != readExtraText_ || highlightStartMs_ != readHighlightStartMs_ ||
         highlightEndMs_ != readHighlightEndMs_ || pickCount_ != 0 || !chosenImage_.empty();
}

std::int32_t TYX_Dialog_FileID3Edit::UpdateFile() {
  TYX_LogScope scope("TYX_Dialog_FileID3Edit::UpdateFile");
  std::string error;
  TYX_MediaPtr media = TYX_Media::Instance(path_, kMediaOpenRead, &error);
  if (!media || !media->IsValid()) {
    TYX_Log::Instance()->Add("TYX_Dialog_FileID3Edit::UpdateFile : %s : %s", path_.c_str(), error.c_str());
    return static_cast<std::int32_t>(E_FAIL);
  }
  bool any = false;
  // The order of the writes: title, album, artist, label, comment, disc, composer, genre, date.
  static constexpr Field kOrder[] = {kTitle,    kAlbum,      kArtist, kLabel,     kComment, kDisc,
                                     kDiscCount, kComposer, kGenre, kReleaseDate, kTrack,  kTrackCount};
  for (Field f : kOrder) {
    if (fields_[f] == readFields_[f]) continue;
    any = true;
    if (IsNumberField(f))
      media->SetNumber(NumberFieldOf(f), NumberOf(fields_[f]));
    else
      media->SetText(TextFieldOf(f), fields_[f]);
  }
  if (highlightStartMs_ != readHighlightStartMs_ || highlightEndMs_ != readHighlightEndMs_) {
    any = true;
    media->SetHighlight(highlightStartMs_, highlightEndMs_ - highlightStartMs_);
  }
  if (tagKind_ == kMediaTagExtended && extraText_ != readExtraText_) {
    any = true;
    media->SetExtraText(extraText_);
  }
  if (!chosenImage_.empty()) {
    if (!media->SetAlbumImagePath(chosenImage_)) {
      TYX_Log::Instance()->Add("TYX_Dialog_FileID3Edit::UpdateFile - not an image : %s", chosenImage_.c_str());
      return static_cast<std::int32_t>(E_FAIL);
    }
    any = true;
  }
  if (!any) return 0;
  const std::int32_t result = media->Save();
  if (result != 0) {
    TYX_Log::Instance()->Add("TYX_Dialog_FileID3Edit::UpdateFile : %s : %s", path_.c_str(), media->GetLastError().c_str());
    return result;
  }
  readFields_ = fields_;
  readExtraText_ = extraText_;
  readHighlightStartMs_ = highlightStartMs_;
  readHighlightEndMs_ = highlightEndMs_;
  chosenImage_.clear();
  return 0;
}

void TYX_Dialog_FileID3Edit::OnOK() {
  TYX_LogScope scope("TYX_Dialog_FileID3Edit::OnOK");
  ReadControls();
  // Untouched time edits keep the section exactly as read (the edits show whole seconds only).
  const bool timesTouched = (startEdit_ && startEdit_->GetText() != initialStartText_) ||
                            (endEdit_ && endEdit_->GetText() != initialEndText_);
  if (timesTouched) {
    std::uint32_t start = 0, end = 0;
    const bool parsed = ParseTimeText(startEdit_ ? startEdit_->GetText() : "0", start) &&
                        ParseTimeText(endEdit_ ? endEdit_->GetText() : "0", end);
    if (!parsed || start > durationSec_ || end > durationSec_ || end < start) {
      Controls::TYX_MessageBox::Show(GetSafeHwnd(), kHighlightErrorText, "", MB_OK);
      return;
    }
    // A section that is set lasts at least the minimum, but never past the song's end. 0 to 0 is none.
    const bool set = !(start == 0 && end == 0);
    if (set && end - start < kMinHighlightSeconds) end = std::min(start + kMinHighlightSeconds, durationSec_);
    highlightStartMs_ = start * 1000u;
    highlightEndMs_ = end * 1000u;
  }
  ValidateData();
  if (!Changed()) {
    StopPlayer(true);
    EndDialog(IDCANCEL);
    return;
  }
  StopPlayer(false);
  const std::int32_t saved = UpdateFile();
  if (saved != 0) {
    Controls::TYX_MessageBox::Show(GetSafeHwnd(), std::string(kSaveFailedText) + (cannotWrite_ ? "\r\n파일에 쓸 수 없습니다." : ""),
                                   "", MB_OK);
    return;
  }
  StopPlayer(true);
  EndDialog(IDOK);
}

void TYX_Dialog_FileID3Edit::OnCancel() {
  StopPlayer(true);
  EndDialog(IDCANCEL);
}

}  // namespace TYX::Dialog
