// The tag editor's window: controls, the highlight bar, pre-listening, the album image and the search.
#include <algorithm>
#include <cstdio>

#include "platform/messaging.h"
#include "tags/album_image_download.h"
#include "tags/file_id3_edit_dialog.h"
#include "toolkit/combo_box.h"
#include "toolkit/edit.h"
#include "toolkit/list_ctrl_ex.h"
#include "toolkit/message_box.h"
#include "toolkit/skin_button.h"
#include "platform/user_agent.h"
#include "util/log.h"
#include "util/log_scope.h"
#include "util/time_string.h"

namespace TYX::Dialog {

using namespace TYX::Win;

namespace {
constexpr COLORREF kLabelColor = 0x663A3A;
constexpr COLORREF kNoteColor = 0x8C7B73;
constexpr COLORREF kBarBack = 0xE6E1DE;
constexpr COLORREF kBarFill = 0x7E44A6;
constexpr int kLabelLeft = 20;
constexpr int kLeftField = 90;
constexpr int kRightLabel = 245;
constexpr int kRightField = 310;
constexpr int kRowH = 25;
constexpr int kTop = 45;
constexpr Rect kImageBox{90, 200, 190, 300};
constexpr int kTimeRow = 320;
constexpr Rect kBarBox{90, 347, 450, 355};
constexpr int kSearchRow = 395;
constexpr int kListTop = 425;

struct FieldPlace {
  int field;
  const char* label;
  Rect box;
};

// Where each field sits; the combo box of the genre is placed like an edit.
const std::vector<FieldPlace>& Places() {
  using D = TYX_Dialog_FileID3Edit;
  static const std::vector<FieldPlace> places = {
      {D::kTitle, "제목", {kLeftField, kTop, kLeftField + 360, kTop + 19}},
      {D::kArtist, "아티스트", {kLeftField, kTop + kRowH, kLeftField + 120, kTop + kRowH + 19}},
      {D::kGenre, "장르", {kRightField, kTop + kRowH, kRightField + 120, kTop + kRowH + 19}},
      {D::kComposer, "작곡가", {kLeftField, kTop + 2 * kRowH, kLeftField + 120, kTop + 2 * kRowH + 19}},
      {D::kDisc, "디스크번호", {kRightField, kTop + 2 * kRowH, kRightField + 57, kTop + 2 * kRowH + 19}},
      {D::kDiscCount, "", {kRightField + 63, kTop + 2 * kRowH, kRightField + 120, kTop + 2 * kRowH + 19}},
      {D::kAlbum, "앨범명", {kLeftField, kTop + 3 * kRowH, kLeftField + 120, kTop + 3 * kRowH + 19}},
      {D::kReleaseDate, "발매일", {kRightField, kTop + 3 * kRowH, kRightField + 120, kTop + 3 * kRowH + 19}},
      {D::kLabel, "음반사", {kLeftField, kTop + 4 * kRowH, kLeftField + 120, kTop + 4 * kRowH + 19}},
      {D::kTrack, "트랙번호", {kRightField, kTop + 4 * kRowH, kRightField + 57, kTop + 4 * kRowH + 19}},
      {D::kTrackCount, "", {kRightField + 63, kTop + 4 * kRowH, kRightField + 120, kTop + 4 * kRowH + 19}},
      {D::kComment, "주석", {kLeftField, kTop + 5 * kRowH, kLeftField + 360, kTop + 5 * kRowH + 19}},
  };
  return places;
}
}  // namespace

TYX_Dialog_FileID3Edit::TYX_Dialog_FileID3Edit(HWND parent) : TYX_Skin_PopupDialog(0, parent) {
  SetInitialRect(Rect{0, 0, kWidth, kHeight});
  SetButtonSet(kButtonSetOkCancel);
  OnCommandCode(kStartTimeId, EN_CHANGE, [this] { OnTimeChanged(); });
  OnCommandCode(kEndTimeId, EN_CHANGE, [this] { OnTimeChanged(); });
  OnCommand(kPlayId, [this] { OnPlay(); });
  OnCommand(kStopId, [this] { OnStop(); });
  OnCommand(kSearchId, [this] { OnSearch(); });
  OnCommand(kImageId, [this] { OnChooseImage(); });
  OnCommand(kImageSearchId, [this] { OnImageSearch(); });
  OnMessage(Player::kPlayerNotify, [this](WPARAM what, LPARAM) -> LRESULT {
    OnPlayerNotice(what);
    return 0;
  });
  OnMessage(kTagSearchStatus, [this](WPARAM state, LPARAM number) -> LRESULT {
    OnSearchStatus(state, number);
    return 0;
  });
  OnMessage(kAlbumImageSearchStatus, [this](WPARAM state, LPARAM number) -> LRESULT {
    OnImageSearchStatus(state, number);
    return 0;
  });
  OnMessage(Controls::WM_LISTEX_BTNCLICK, [this](WPARAM row, LPARAM) -> LRESULT {
    OnResultClick(static_cast<int>(static_cast<std::intptr_t>(row)));
    return 0;
  });
}

TYX_Dialog_FileID3Edit::~TYX_Dialog_FileID3Edit() {
  // The file was embedded at OK, if at all; the temporary copy goes either way.
  if (!downloadedImage_.empty()) std::remove(downloadedImage_.c_str());
}

const std::vector<std::string>& TYX_Dialog_FileID3Edit::GenreList() {
  static const std::vector<std::string> genres = {
      "가요", "발라드", "댄스", "랩/힙합", "R&B/Soul", "록", "일렉트로니카", "트로트", "포크", "인디",
      "OST", "Pop", "Rock", "Jazz", "Classical", "Blues", "Country", "Electronic", "Hip-Hop", "Metal",
      "New Age", "Reggae", "Soundtrack", "World", "동요", "종교음악", "기타"};
  return genres;
}

Controls::TYX_Edit* TYX_Dialog_FileID3Edit::GetFieldEdit(Field f) const {
  return f >= 0 && f < kFieldCount ? edits_[f] : nullptr;
}

BOOL TYX_Dialog_FileID3Edit::OnInitDialog() {
  TYX_LogScope scope("TYX_Dialog_FileID3Edit::OnInitDialog");
  SetTitle("곡정보(ID3 Tag) 편집");
  TYX_Skin_PopupDialog::OnInitDialog();
  player_.SetNotifyWindow(GetSafeHwnd());
  CreateControls();
  CenterWindow();
  Invalidate();
  return TRUE;
}

void TYX_Dialog_FileID3Edit::CreateControls() {
  const HWND self = GetSafeHwnd();
  const Font labelFont = Controls::DefaultFont(12, false);
  ClearDrawInfo();
  for (const FieldPlace& p : Places()) {
    const int labelLeft = p.box.left == kLeftField ? kLabelLeft : kRightLabel;
    if (*p.label) AddDrawText(Rect{labelLeft, p.box.top, p.box.left - 4, p.box.bottom}, p.label, labelFont, kLabelColor);
    const UINT id = kFirstFieldId + static_cast<UINT>(p.field);
    if (p.field == kGenre) {
      auto combo = std::make_unique<Controls::TYX_ComboBox>();
      if (combo->CreateCombo(self, p.box, id)) {
        genre_ = AdoptControl(std::move(combo));
        for (const std::string& g : GenreList()) genre_->AddString(g);
        SelectGenre(fields_[kGenre]);
      }
      continue;
    }
    auto edit = std::make_unique<Controls::TYX_Edit>();
    if (edit->CreateEdit(self, p.box, id, fields_[p.field])) edits_[p.field] = AdoptControl(std::move(edit));
  }
  AddDrawText(Rect{kLabelLeft, kImageBox.top, kImageBox.left - 4, kImageBox.top + 19}, "앨범이미지", labelFont, kLabelColor);
  auto image = std::make_unique<Controls::TYX_SkinButton>();
  if (image->CreateSkinButton(self, Rect{kImageBox.right + 10, kImageBox.bottom - 22, kImageBox.right + 83, kImageBox.bottom},
                              kImageId, "찾기"))
    imageButton_ = AdoptControl(std::move(image));
  auto imageSearch = std::make_unique<Controls::TYX_SkinButton>();
  if (imageSearch->CreateSkinButton(self, Rect{kImageBox.right + 10, kImageBox.bottom - 50, kImageBox.right + 83, kImageBox.bottom - 28},
                                    kImageSearchId, "이미지 검색"))
    imageSearchButton_ = AdoptControl(std::move(imageSearch));

  AddDrawText(Rect{kLabelLeft, kTimeRow, kLeftField - 4, kTimeRow + 19}, "하이라이트", labelFont, kLabelColor);
  initialStartText_ = Util::ToTimeStringMs(highlightStartMs_);
  initialEndText_ = Util::ToTimeStringMs(highlightEndMs_);
  auto start = std::make_unique<Controls::TYX_Edit>();
  if (start->CreateEdit(self, Rect{kLeftField, kTimeRow, kLeftField + 60, kTimeRow + 19}, kStartTimeId, initialStartText_))
    startEdit_ = AdoptControl(std::move(start));
  AddDrawText(Rect{kLeftField + 64, kTimeRow, kLeftField + 76, kTimeRow + 19}, "~", labelFont, kLabelColor);
  auto end = std::make_unique<Controls::TYX_Edit>();
  if (end->CreateEdit(self, Rect{kLeftField + 80, kTimeRow, kLeftField + 140, kTimeRow + 19}, kEndTimeId, initialEndText_))
    endEdit_ = AdoptControl(std::move(end));
  auto play = std::make_unique<Controls::TYX_SkinButton>();
  if (play->CreateSkinButton(self, Rect{kLeftField + 150, kTimeRow - 2, kLeftField + 210, kTimeRow + 20}, kPlayId, "듣기")) {
    play->EnableWindow(player_.GetState() != Player::PlayerState::Closed);
    AdoptControl(std::move(play));
  }
  auto stop = std::make_unique<Controls::TYX_SkinButton>();
  if (stop->CreateSkinButton(self, Rect{kLeftField + 216, kTimeRow - 2, kLeftField + 276, kTimeRow + 20}, kStopId, "정지")) {
    stop->EnableWindow(player_.GetState() != Player::PlayerState::Closed);
    AdoptControl(std::move(stop));
  }
  AddDrawText(Rect{kLeftField, kTimeRow + 45, kWidth - 20, kTimeRow + 62}, "하이라이트 재생시간은 최소 20초 입니다.", labelFont,
              kNoteColor);

  AddDrawText(Rect{kLabelLeft, kSearchRow, 370, kSearchRow + 19}, "현재 곡에 대한 곡정보(ID3 Tag)를 자동검색합니다.", labelFont,
              kNoteColor);
  auto search = std::make_unique<Controls::TYX_SkinButton>();
  if (search->CreateSkinButton(self, Rect{380, kSearchRow - 2, 474, kSearchRow + 20}, kSearchId, "자동검색"))
    searchButton_ = AdoptControl(std::move(search));

  auto list = std::make_unique<Controls::TYX_ListCtrlEx>();
  if (list->CreateListCtrl(self, Rect{kLabelLeft, kListTop, kWidth - 20, kListTop + kResultListHeight}, kResultListId,
                           WS_CHILD)) {
    resultList_ = AdoptControl(std::move(list));
    const std::vector<Controls::TYX_ListColumn> columns = {
        {1, 0, 130, 60, Controls::kListDrawText, "제목", {}},
        {2, 0, 100, 60, Controls::kListDrawText, "아티스트", {}},
        {3, 0, 130, 60, Controls::kListDrawText, "앨범명", {}},
        {4, 0, 90, 40, Controls::kListDrawText, "장르", {}},
    };
    resultList_->InitListExControl(columns, 20);
  }
  OnTimeChanged();
}

void TYX_Dialog_FileID3Edit::SelectGenre(const std::string& genre) {
  if (!genre_) return;
  if (genre.empty()) {
    genre_->SetCurSel(-1);
    return;
  }
  int at = genre_->FindStringExact(genre);
  // A genre of the file outside the list is offered as it is.
  if (at == Controls::CB_ERR) at = genre_->AddString(genre);
  genre_->SetCurSel(at);
}

void TYX_Dialog_FileID3Edit::ReadControls() {
  for (int f = 0; f < kFieldCount; ++f)
    if (edits_[f]) fields_[f] = edits_[f]->GetText();
  if (genre_) fields_[kGenre] = genre_->GetCurSel() >= 0 ? genre_->GetSelectedText() : std::string();
}

void TYX_Dialog_FileID3Edit::OnTimeChanged() {
  std::uint32_t start = 0, end = 0;
  if (!startEdit_ || !endEdit_ || !ParseTimeText(startEdit_->GetText(), start) || !ParseTimeText(endEdit_->GetText(), end))
    return;
  bar_ = {start * 1000u, std::max(start, end) * 1000u};
  Invalidate();
}

void TYX_Dialog_FileID3Edit::OnPlay() {
  if (player_.GetState() == Player::PlayerState::Closed) return;
  const auto [from, to] = bar_;
  // Without a section the whole song plays (an end of 0 is the end of the file).
  if (!player_.Play(from, to > from ? to : 0))
    TYX_Log::Instance()->Add("TYX_Dialog_FileID3Edit::OnPlay - %s", player_.LastError().c_str());
}

void TYX_Dialog_FileID3Edit::OnStop() { player_.Pause(); }

void TYX_Dialog_FileID3Edit::OnPlayerNotice(WPARAM what) {
  // The end of the section counts as a press of stop; the player already rests at the section's start.
  if (what == Player::kPlayerEnded) OnStop();
}

void TYX_Dialog_FileID3Edit::StopPlayer(bool close) {
  player_.Stop();
  if (close) player_.Close();
}

void TYX_Dialog_FileID3Edit::OnChooseImage() {
  FileOpenRequest request;
  request.owner = GetSafeHwnd();
  request.title = "앨범이미지";
  request.filter = "이미지 파일|*.jpg;*.jpeg;*.png;*.gif;*.bmp";
  request.multiSelect = false;
  const auto chosen = GetUserAgent()->ChooseFiles(request);
  if (!chosen || chosen->empty()) return;
  chosenImage_ = chosen->front();
  Invalidate();
}

void TYX_Dialog_FileID3Edit::OnSearch() {
  TYX_LogScope scope("TYX_Dialog_FileID3Edit::OnSearch");
  if (search_.IsRunning()) return;
  search_.Start(GetSafeHwnd(), path_, &searchNumber_);
}

void TYX_Dialog_FileID3Edit::OnSearchStatus(WPARAM state, LPARAM number) {
  if (number != searchNumber_) return;
  if (state == kTagSearchStarted) {
    EnableSearchButtons();
    return;
  }
  if (state != kTagSearchDone) return;
  if (resultList_) resultList_->DeleteAllItem();
  std::optional<TYX_TagSearchResult> result = search_.TakeResult();
  search_.Join();
  EnableSearchButtons();
  candidates_ = result ? std::move(result->candidates) : std::vector<TYX_TagCandidate>{};
  searchError_ = result ? result->error : std::string("the search gave no result");
  if (candidates_.empty()) {
    Controls::TYX_MessageBox::Show(GetSafeHwnd(), kSearchFailedText, "", MB_OK);
    return;
  }
  if (HWND main = GetMainWindow()) Win::SendMessage(main, WM_COMMAND, kSearchFoundCommand, 0);
  ShowResults();
}

void TYX_Dialog_FileID3Edit::EnableSearchButtons() {
  const bool idle = !search_.IsRunning() && !imageSearch_.IsRunning();
  if (searchButton_) searchButton_->EnableWindow(idle);
  if (imageSearchButton_) imageSearchButton_->EnableWindow(idle);
  if (imageButton_) imageButton_->EnableWindow(idle);
}

void TYX_Dialog_FileID3Edit::OnImageSearch() {
  TYX_LogScope scope("TYX_Dialog_FileID3Edit::OnImageSearch");
  if (search_.IsRunning() || imageSearch_.IsRunning()) return;
  // The album as the fields show it now, so a picked candidate's album is the one looked for.
  auto current = [this](Field f) {
    std::string v = edits_[f] ? edits_[f]->GetText() : fields_[f];
    const std::size_t a = v.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return std::string();
    return v.substr(a, v.find_last_not_of(" \t\r\n") - a + 1);
  };
  imageSearch_.Start(GetSafeHwnd(), Tags::AlbumImageSettings::FromConfiguration(), current(kTitle), current(kArtist),
                     current(kAlbum), &imageSearchNumber_);
}

void TYX_Dialog_FileID3Edit::OnImageSearchStatus(WPARAM state, LPARAM number) {
  if (number != imageSearchNumber_) return;
  if (state == 0) {
    EnableSearchButtons();
    return;
  }
  if (state != 2) return;
  std::optional<Tags::AlbumImageResult> result = imageSearch_.TakeResult();
  imageSearch_.Join();
  EnableSearchButtons();
  if (!result || result->path.empty()) {
    TYX_Log::Instance()->Add("TYX_Dialog_FileID3Edit::OnImageSearch - %s", result ? result->error.c_str() : "no result");
    Controls::TYX_MessageBox::Show(GetSafeHwnd(), kImageNotFoundText, "", MB_OK);
    return;
  }
  if (!downloadedImage_.empty()) std::remove(downloadedImage_.c_str());
  downloadedImage_ = result->path;
  chosenImage_ = result->path;
  Invalidate();
}

void TYX_Dialog_FileID3Edit::ShowResults() {
  if (!resultList_) return;
  for (std::size_t i = 0; i < candidates_.size(); ++i) {
    const TYX_TagCandidate& c = candidates_[i];
    const int row = resultList_->InsertField();
    resultList_->SetFieldKey(row, static_cast<UINT>(i));
    resultList_->SetCell(row, 0, c.title);
    resultList_->SetCell(row, 1, c.artist);
    resultList_->SetCell(row, 2, c.album);
    resultList_->SetCell(row, 3, c.genre);
  }
  resultList_->ShowWindow(SW_SHOW);
  if (!layoutEnlarged_) {
    layoutEnlarged_ = true;
    const Rect rc = GetRectInParent();
    SetWindowSize(rc.Width(), rc.Height() + kResultListHeight + 10);
  }
}

void TYX_Dialog_FileID3Edit::OnResultClick(int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= candidates_.size()) return;
  const TYX_TagCandidate& c = candidates_[static_cast<std::size_t>(row)];
  if (edits_[kTitle]) edits_[kTitle]->SetText(c.title);
  if (edits_[kArtist]) edits_[kArtist]->SetText(c.artist);
  if (edits_[kAlbum]) edits_[kAlbum]->SetText(c.album);
  SelectGenre(c.genre);
  searchTexts_ = c.ids;
  ++pickCount_;
}

void TYX_Dialog_FileID3Edit::PaintContent(DisplayList& dc) {
  TYX_Skin_PopupDialog::PaintContent(dc);
  // The image area: framed; a chosen image is named under it.
  dc.FillRect(kImageBox, kBarBack);
  if (!chosenImage_.empty())
    dc.Text(Rect{kImageBox.left, kImageBox.bottom + 2, kWidth - 20, kImageBox.bottom + 18}, chosenImage_,
            Controls::DefaultFont(11, false), kNoteColor);
  dc.FillRect(kBarBox, kBarBack);
  if (durationSec_ > 0 && bar_.second > bar_.first) {
    const double scale = static_cast<double>(kBarBox.Width()) / (durationSec_ * 1000.0);
    const int left = kBarBox.left + static_cast<int>(bar_.first * scale);
    const int right = std::min<int>(kBarBox.right, kBarBox.left + static_cast<int>(bar_.second * scale));
    dc.FillRect(Rect{left, kBarBox.top, std::max(left + 1, right), kBarBox.bottom}, kBarFill);
  }
}

}  // namespace TYX::Dialog
