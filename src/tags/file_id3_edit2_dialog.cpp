#include "tags/file_id3_edit2_dialog.h"

#include <cerrno>
#include <cstdlib>

#include "contracts/media.h"
#include "platform/user_agent.h"
#include "tags/tag_dialogs.h"
#include "toolkit/check_box.h"
#include "toolkit/edit.h"
#include "toolkit/list_ctrl_ex.h"
#include "toolkit/message_box.h"
#include "toolkit/skin_button.h"
#include "toolkit/static_text.h"
#include "util/file_name.h"
#include "util/log.h"
#include "util/log_scope.h"
#include "util/url_escape.h"

namespace TYX::Dialog {

using namespace TYX::Win;

namespace {
constexpr int kListTop = 45;
constexpr int kListHeight = 170;
constexpr int kCountTop = kListTop + kListHeight + 8;
constexpr int kFieldsTop = kCountTop + 30;
constexpr int kRowH = 27;

const char* const kLabels[] = {"제목", "아티스트", "장르", "작곡가", "디스크번호", "앨범명",
                               "발매일", "음반사", "트랙번호", "주석", "앨범이미지"};

std::string Trim(const std::string& text) {
  const char* blanks = " \t\r\n";
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::uint32_t NumberOf(const std::string& text) {
  errno = 0;
  const long long n = std::strtoll(text.c_str(), nullptr, 10);
  if (errno != 0 || n <= 0) return 0;
  return n > 0xFFFFFFFFll ? 0xFFFFFFFFu : static_cast<std::uint32_t>(n);
}

std::string NumberText(std::uint64_t n) { return n == 0 ? std::string() : std::to_string(n); }

bool IsNumberField(int f) {
  return f == TYX_Dialog_FileID3Edit2::kDisc || f == TYX_Dialog_FileID3Edit2::kTrack;
}

// A song's own value of a field, from its library item.
std::string ItemValue(const TYX_LibraryItem& item, int f) {
  using D = TYX_Dialog_FileID3Edit2;
  switch (f) {
    case D::kTitle: return item.GetTitle();
    case D::kArtist: return item.GetArtist();
    case D::kGenre: return item.GetGenre();
    case D::kComposer: return item.GetComposer();
    case D::kDisc: return NumberText(item.GetDisc());
    case D::kAlbum: return item.GetAlbum();
    case D::kReleaseDate: return item.GetYear();
    case D::kLabel: return item.GetLabel();
    case D::kTrack: return NumberText(item.GetTrack());
    case D::kComment: return item.GetComment();
    default: return {};
  }
}
}  // namespace

TYX_Dialog_FileID3Edit2::TYX_Dialog_FileID3Edit2(HWND parent) : TYX_Skin_PopupDialog(0, parent) {
  SetInitialRect(Rect{0, 0, kWidth, kHeight});
  SetButtonSet(kButtonSetOkCancel);
  OnCommandRange(kFirstCheckId, kFirstCheckId + kFieldCount - 1, [this](UINT id) { OnCheckBoxClicked(id); });
  OnCommand(kImageChooseId, [this] { OnChooseImage(); });
}

TYX_Dialog_FileID3Edit2::~TYX_Dialog_FileID3Edit2() = default;

bool TYX_Dialog_FileID3Edit2::IsTagCapable(const std::string& path) {
  const std::string ext = Util::ToLowerAscii(Util::GetFileExt(Util::GetFileName(path)));
  return ext == "mp3" || ext == "wma" || ext == "ogg";
}

void TYX_Dialog_FileID3Edit2::SetLibrary(TYX_LibraryManager* manager, const std::vector<std::uint32_t>& indexes) {
  manager_ = manager;
  rows_.clear();
  for (std::uint32_t index : indexes) {
    TYX_LibraryItem* item = LiveLibraryItem(manager, index);
    if (item == nullptr) continue;
    Row row;
    row.index = index;
    row.path = item->GetPath();
    const std::string ext = Util::GetFileExt(row.path);
    row.name = Util::GetFileTitle(row.path) + (ext.empty() ? std::string() : "." + ext);
    row.editable = IsTagCapable(row.path);
    row.status = row.editable ? kEditable : kNotEditable;
    rows_.push_back(std::move(row));
  }
  SetFieldValue();
}

int TYX_Dialog_FileID3Edit2::EditableCount() const {
  int n = 0;
  for (const Row& r : rows_) n += r.editable ? 1 : 0;
  return n;
}

std::string TYX_Dialog_FileID3Edit2::CountLine() const {
  return "Tag 편집이 가능한 파일 수 : " + std::to_string(EditableCount()) + " 개";
}

void TYX_Dialog_FileID3Edit2::SetFieldValue() {
  fields_ = Fields{};
  if (rows_.empty() || manager_ == nullptr) return;
  TYX_LibraryItem* first = manager_->GetLibraryItem(rows_.front().index);
  if (first == nullptr) return;
  for (int f = 0; f < kFieldCount; ++f) fields_[f] = ItemValue(*first, f);
  for (const Row& row : rows_) {
    if (!row.editable) continue;
    TYX_LibraryItem* item = manager_->GetLibraryItem(row.index);
    if (item == nullptr) continue;
    for (int f = 0; f < kFieldCount; ++f)
      if (!fields_[f].empty() && fields_[f] != ItemValue(*item, f)) fields_[f].clear();
  }
  ValidateData();
}

void TYX_Dialog_FileID3Edit2::ValidateData() {
  for (int f = 0; f < kFieldCount; ++f) {
    fields_[f] = Trim(fields_[f]);
    if (IsNumberField(f)) fields_[f] = NumberText(NumberOf(fields_[f]));
  }
}

std::string TYX_Dialog_FileID3Edit2::OnGetQueryString() const {
  return "qa=" + Util::UrlEscape(fields_[kTitle]) + "&qb=" + Util::UrlEscape(fields_[kArtist]) +
         "&qc=" + Util::UrlEscape(fields_[kAlbum]);
}

BOOL TYX_Dialog_FileID3Edit2::OnInitDialog() {
  TYX_LogScope scope("TYX_Dialog_FileID3Edit2::OnInitDialog");
  SetTitle("곡정보(ID3 Tag) 일괄 편집");
  TYX_Skin_PopupDialog::OnInitDialog();
  const HWND self = GetSafeHwnd();
  auto list = std::make_unique<Controls::TYX_ListCtrlEx>();
  if (list->CreateListCtrl(self, Rect{20, kListTop, kWidth - 20, kListTop + kListHeight}, kSongListId)) {
    songList_ = AdoptControl(std::move(list));
    songList_->InitListExControl(
        std::vector<Controls::TYX_ListColumn>{{1, 0, 340, 100, Controls::kListDrawText, "파일명", {}},
                                              {2, 1, 110, 60, Controls::kListDrawText, "상태", {}}},
        20);
  }
  auto count = std::make_unique<Controls::TYX_StaticText>();
  if (count->CreateStatic(self, Rect{20, kCountTop, kWidth - 20, kCountTop + 18}, 0, "Tag 편집이 가능한 파일 수 : 0개"))
    countLine_ = AdoptControl(std::move(count));
  for (int f = 0; f < kFieldCount; ++f) {
    const int y = kFieldsTop + f * kRowH;
    auto box = std::make_unique<Controls::TYX_CheckBox>();
    if (box->CreateCheckBox(self, Rect{20, y, 120, y + 19}, kFirstCheckId + static_cast<UINT>(f), kLabels[f])) {
      box->SetCheck(ticked_[f]);
      checks_[f] = AdoptControl(std::move(box));
    }
    auto edit = std::make_unique<Controls::TYX_Edit>();
    const int right = f == kAlbumImage ? kWidth - 110 : kWidth - 20;
    if (edit->CreateEdit(self, Rect{130, y, right, y + 19}, kFirstFieldId + static_cast<UINT>(f), fields_[f])) {
      edit->EnableWindow(ticked_[f]);
      if (f == kAlbumImage) edit->SetReadOnly(true);
      edits_[f] = AdoptControl(std::move(edit));
    }
  }
  auto choose = std::make_unique<Controls::TYX_SkinButton>();
  const int imageY = kFieldsTop + kAlbumImage * kRowH;
  if (choose->CreateSkinButton(self, Rect{kWidth - 100, imageY - 2, kWidth - 20, imageY + 20}, kImageChooseId, "찾기")) {
    choose->EnableWindow(ticked_[kAlbumImage]);
    AdoptControl(std::move(choose));
  }
  ShowRows();
  CenterWindow();
  Invalidate();
  return TRUE;
}

void TYX_Dialog_FileID3Edit2::ShowRows() {
  if (countLine_) countLine_->SetText(CountLine());
  if (!songList_) return;
  songList_->DeleteAllItem();
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const int row = songList_->InsertField();
    songList_->SetFieldKey(row, rows_[i].index);
    songList_->SetCell(row, 0, rows_[i].name);
    songList_->SetCell(row, 1, rows_[i].status);
  }
}

void TYX_Dialog_FileID3Edit2::OnCheckBoxClicked(UINT id) {
  if (id < kFirstCheckId || id >= kFirstCheckId + kFieldCount) return;
  const int f = static_cast<int>(id - kFirstCheckId);
  ticked_[f] = checks_[f] ? checks_[f]->GetCheck() : !ticked_[f];
  if (edits_[f]) edits_[f]->EnableWindow(ticked_[f]);
  if (f == kAlbumImage) {
    if (Window* choose = Window::FromHandle(GetDlgItem(kImageChooseId))) choose->EnableWindow(ticked_[f]);
  }
}

void TYX_Dialog_FileID3Edit2::OnChooseImage() {
  FileOpenRequest request;
  request.owner = GetSafeHwnd();
  request.title = "앨범이미지";
  request.filter = "이미지 파일|*.jpg;*.jpeg;*.png;*.gif;*.bmp";
  request.multiSelect = false;
  const auto chosen = GetUserAgent()->ChooseFiles(request);
  if (!chosen || chosen->empty()) return;
  fields_[kAlbumImage] = chosen->front();
  if (edits_[kAlbumImage]) edits_[kAlbumImage]->SetText(chosen->front());
}

void TYX_Dialog_FileID3Edit2::ReadControls() {
  for (int f = 0; f < kFieldCount; ++f)
    if (edits_[f]) fields_[f] = edits_[f]->GetText();
}

int TYX_Dialog_FileID3Edit2::UpdateFile() {
  TYX_LogScope scope("TYX_Dialog_FileID3Edit2::UpdateFile");
  int written = 0;
  for (Row& row : rows_) {
    // A song whose format carries no tags is listed as such and never touched.
    if (!row.editable) continue;
    std::string error;
    TYX_MediaPtr media = TYX_Media::Instance(row.path, kMediaOpenRead, &error);
    bool ok = media && media->IsValid();
    if (ok) {
      for (int f = 0; f < kFieldCount && ok; ++f) {
        if (!ticked_[f]) continue;
        const std::string& v = fields_[f];
        switch (f) {
          case kTitle: media->SetTitle(v); break;
          case kArtist: media->SetArtist(v); break;
          case kGenre: media->SetGenre(v); break;
          case kComposer: media->SetComposer(v); break;
          case kDisc: media->SetDiscNumber(NumberOf(v)); break;
          case kAlbum: media->SetAlbum(v); break;
          case kReleaseDate: media->SetReleaseDate(v); break;
          case kLabel: media->SetLabel(v); break;
          case kTrack: media->SetTrack(NumberOf(v)); break;
          case kComment: media->SetComment(v); break;
          case kAlbumImage:
            ok = media->SetAlbumImagePath(v);
            if (!ok) error = "not an image: " + v;
            break;
          default: break;
        }
      }
      if (ok && media->Save() != 0) {
        ok = false;
        error = media->GetLastError();
      }
    }
    if (!ok) TYX_Log::Instance()->Add("TYX_Dialog_FileID3Edit2::UpdateFile : %s : %s", row.path.c_str(), error.c_str());
    row.status = ok ? kChanged : kFailed;
    if (ok) ++written;
    if (manager_ != nullptr) {
      if (TYX_LibraryItem* item = LiveLibraryItem(manager_, row.index)) item->Update();
    }
  }
  ShowRows();
  return written;
}

std::string TYX_Dialog_FileID3Edit2::FailureText() const {
  std::string names;
  std::size_t failed = 0;
  for (const Row& row : rows_) {
    if (row.status != kFailed) continue;
    if (++failed <= kFailedNamesShown) names += "\r\n" + row.name;
  }
  if (failed == 0) return {};
  if (failed > kFailedNamesShown) names += "\r\n외 " + std::to_string(failed - kFailedNamesShown) + "개";
  return kSaveFailedText + names;
}

void TYX_Dialog_FileID3Edit2::OnOK() {
  TYX_LogScope scope("TYX_Dialog_FileID3Edit2::OnOK");
  ReadControls();
  ValidateData();
  bool any = false;
  for (bool t : ticked_) any = any || t;
  if (!any) {
    EndDialog(IDCANCEL);
    return;
  }
  const int written = UpdateFile();
  // A song that kept its old tags is named, so a partial write is never taken for a whole one.
  const std::string failures = FailureText();
  if (!failures.empty()) Controls::TYX_MessageBox::Show(GetSafeHwnd(), failures, "", MB_OK);
  EndDialog(written > 0 ? IDOK : IDCANCEL);
}

}  // namespace TYX::Dialog
