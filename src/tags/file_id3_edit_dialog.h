#pragma once
// The tag editor of one song ("곡정보(ID3 Tag) 편집"): every tag field, the highlight section with
// pre-listening, the album image, and a search of the identification component for the song's data.
//
// The field texts are kept twice: as read from the file (after normalising) and as edited. OK writes
// only the fields that differ from what was read, so a field the person did not touch keeps its stored
// form. The searches (the song's data, and its album image from the music service) only look up;
// nothing reaches the file before OK. A failed save is shown and the dialog stays open with the edits.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "components/player/pre_listen_player.h"
#include "tags/album_image_search.h"
#include "tags/tag_candidate_search.h"
#include "toolkit/skin_popup_dialog.h"

namespace TYX::Controls {
class TYX_ComboBox;
class TYX_Edit;
class TYX_ListCtrlEx;
class TYX_SkinButton;
}  // namespace TYX::Controls

namespace TYX::Dialog {

class TYX_Dialog_FileID3Edit : public Controls::TYX_Skin_PopupDialog {
 public:
  // The editable fields, in the order of the labels.
  enum Field {
    kTitle,
    kArtist,
    kGenre,
    kComposer,
    kDisc,
    kDiscCount,
    kAlbum,
    kReleaseDate,
    kLabel,
    kTrack,
    kTrackCount,
    kComment,
    kFieldCount
  };
  using Fields = std::array<std::string, kFieldCount>;

  static constexpr int kWidth = 494;
  static constexpr int kHeight = 627;
  static constexpr int kResultListHeight = 130;
  static constexpr Win::UINT kFirstFieldId = 20100;  // field f has the ID kFirstFieldId + f
  static constexpr Win::UINT kStartTimeId = 20120;
  static constexpr Win::UINT kEndTimeId = 20121;
  static constexpr Win::UINT kPlayId = 20122;
  static constexpr Win::UINT kStopId = 20123;
  static constexpr Win::UINT kSearchId = 20124;
  static constexpr Win::UINT kImageId = 20125;
  static constexpr Win::UINT kResultListId = 20126;
  static constexpr Win::UINT kImageSearchId = 20127;
  static constexpr Win::UINT kSearchFoundCommand = 44231;
  static constexpr std::uint32_t kMinHighlightSeconds = 20;
  static constexpr const char* kHighlightErrorText = "하이라이트 구간을 잘못입력하셨습니다.";
  static constexpr const char* kSearchFailedText = "곡정보 검색에 실패하였습니다.";
  static constexpr const char* kSaveFailedText = "곡정보를 저장하지 못했습니다.";
  static constexpr const char* kImageNotFoundText = "앨범 이미지를 찾지 못했습니다.";

  explicit TYX_Dialog_FileID3Edit(Win::HWND parent = nullptr);
  ~TYX_Dialog_FileID3Edit() override;

  // Reads the file: false when it is missing, a folder, not a regular file, or cannot be opened as media.
  bool SetFile(const std::string& path);
  // Writes the fields that changed since they were read, and the highlight when it changed; returns the
  // media object's save result (0 also when nothing needed writing), 0x80004005 when the file cannot be
  // opened. After a successful save the written values count as read.
  std::int32_t UpdateFile();
  // Trims every text; the disc and track numbers become their decimal value ("0" and non-numbers empty);
  // a highlight whose end is not after its start becomes none.
  void ValidateData();

  // A "mm:ss", "h:mm:ss" or plain seconds text (a fraction rounds) as whole seconds; false for others.
  static bool ParseTimeText(const std::string& text, std::uint32_t& seconds);

  const std::string& GetPath() const { return path_; }
  const Fields& GetFields() const { return fields_; }
  const Fields& GetReadFields() const { return readFields_; }
  void SetField(Field f, const std::string& value) { fields_[f] = value; }
  std::uint32_t GetHighlightStart() const { return highlightStartMs_; }
  std::uint32_t GetHighlightEnd() const { return highlightEndMs_; }
  std::uint32_t GetHighlightLength() const { return highlightEndMs_ - highlightStartMs_; }
  void SetHighlight(std::uint32_t startMs, std::uint32_t endMs);
  std::uint32_t GetDuration() const { return durationSec_; }
  bool CannotWriteTags() const { return cannotWrite_; }
  const std::string& GetQueryString() const { return query_; }
  // The identifier texts of the picked candidate, for the library item.
  const std::array<std::string, 5>& GetSearchTexts() const { return searchTexts_; }
  bool HasSearchTexts() const;
  // Picks made in the search-result view; any pick counts as a change.
  int GetPickCount() const { return pickCount_; }
  const std::vector<TYX_TagCandidate>& GetCandidates() const { return candidates_; }
  // Why the last search found no candidate, as the component said it (empty when it found some).
  const std::string& GetSearchError() const { return searchError_; }
  // The image file chosen, or found by the album-image search, for the album image (embedded at OK);
  // empty when there is none.
  const std::string& GetChosenImage() const { return chosenImage_; }
  // The highlight bar as drawn: start and end in milliseconds, the end raised to the start.
  std::pair<std::uint32_t, std::uint32_t> GetHighlightBar() const { return bar_; }

  Player::TYX_PreListenPlayer& GetPlayer() { return player_; }
  TYX_TagCandidateSearch& GetSearch() { return search_; }
  TYX_AlbumImageSearch& GetImageSearch() { return imageSearch_; }
  Controls::TYX_Edit* GetFieldEdit(Field f) const;
  Controls::TYX_ComboBox* GetGenreCombo() const { return genre_; }
  Controls::TYX_Edit* GetStartTimeEdit() const { return startEdit_; }
  Controls::TYX_Edit* GetEndTimeEdit() const { return endEdit_; }
  Controls::TYX_ListCtrlEx* GetResultList() const { return resultList_; }
  // The genres the combo box offers.
  static const std::vector<std::string>& GenreList();

 protected:
  Win::BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  void PaintContent(Win::DisplayList& dc) override;

 private:
  void CreateControls();
  void ReadControls();
  void OnTimeChanged();
  void OnPlay();
  void OnStop();
  void OnPlayerNotice(Win::WPARAM what);
  void OnSearch();
  void OnChooseImage();
  void OnSearchStatus(Win::WPARAM state, Win::LPARAM number);
  void OnImageSearch();
  void OnImageSearchStatus(Win::WPARAM state, Win::LPARAM number);
  // The search buttons and the image chooser wait while either search runs.
  void EnableSearchButtons();
  void OnResultClick(int row);
  void ShowResults();
  void StopPlayer(bool close);
  void SelectGenre(const std::string& genre);
  bool Changed() const;

  std::string path_;  // window thread, like every field below
  Fields fields_;
  Fields readFields_;
  std::string extraText_;
  std::string readExtraText_;
  std::uint32_t highlightStartMs_ = 0;
  std::uint32_t highlightEndMs_ = 0;
  std::uint32_t readHighlightStartMs_ = 0;
  std::uint32_t readHighlightEndMs_ = 0;
  std::uint32_t durationSec_ = 0;
  int tagKind_ = 0;
  bool cannotWrite_ = true;
  std::string query_;
  std::array<std::string, 5> searchTexts_;
  int pickCount_ = 0;
  std::vector<TYX_TagCandidate> candidates_;  // the dialog's own copy of the last search's candidates
  std::string searchError_;
  Win::LPARAM searchNumber_ = 0;
  std::string chosenImage_;
  std::string downloadedImage_;  // the temporary file of the last album image found; removed at the end
  Win::LPARAM imageSearchNumber_ = 0;
  std::pair<std::uint32_t, std::uint32_t> bar_{0, 0};
  std::string initialStartText_;  // the time edits' texts when the dialog opened
  std::string initialEndText_;

  Player::TYX_PreListenPlayer player_;
  TYX_TagCandidateSearch search_;
  TYX_AlbumImageSearch imageSearch_;
  std::array<Controls::TYX_Edit*, kFieldCount> edits_{};
  Controls::TYX_ComboBox* genre_ = nullptr;
  Controls::TYX_Edit* startEdit_ = nullptr;
  Controls::TYX_Edit* endEdit_ = nullptr;
  Controls::TYX_SkinButton* searchButton_ = nullptr;
  Controls::TYX_SkinButton* imageButton_ = nullptr;
  Controls::TYX_SkinButton* imageSearchButton_ = nullptr;
  Controls::TYX_ListCtrlEx* resultList_ = nullptr;
  bool layoutEnlarged_ = false;
};

}  // namespace TYX::Dialog
