#pragma once
// The batch tag editor ("곡정보(ID3 Tag) 일괄 편집"): the selected songs with whether their format can
// carry tags (".mp3", ".wma", ".ogg", any case), and one field per tag, each behind a check box. OK
// writes the ticked fields to every editable song; songs marked "편집불가" are left untouched, and each
// written row then reads "변경완료" or "변경실패". Songs that could not be written are named in a message
// before the dialog closes; it closes with 1 only when at least one song was written.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "contracts/library_manager.h"
#include "toolkit/skin_popup_dialog.h"

namespace TYX::Controls {
class TYX_CheckBox;
class TYX_Edit;
class TYX_ListCtrlEx;
class TYX_StaticText;
}  // namespace TYX::Controls

namespace TYX::Dialog {

class TYX_Dialog_FileID3Edit2 : public Controls::TYX_Skin_PopupDialog {
 public:
  enum Field {
    kTitle,
    kArtist,
    kGenre,
    kComposer,
    kDisc,
    kAlbum,
    kReleaseDate,
    kLabel,
    kTrack,
    kComment,
    kAlbumImage,  // the value is the path of an image file; empty with the box ticked removes the image
    kFieldCount
  };
  using Fields = std::array<std::string, kFieldCount>;

  static constexpr int kWidth = 494;
  static constexpr int kHeight = 708;
  static constexpr Win::UINT kFirstCheckId = 20140;  // field f: check box kFirstCheckId + f
  static constexpr Win::UINT kFirstFieldId = 20160;  // field f: control kFirstFieldId + f
  static constexpr Win::UINT kImageChooseId = 20171;
  static constexpr Win::UINT kSongListId = 20172;
  static constexpr const char* kEditable = "편집가능";
  static constexpr const char* kNotEditable = "편집불가";
  static constexpr const char* kChanged = "변경완료";
  static constexpr const char* kFailed = "변경실패";
  static constexpr const char* kSaveFailedText = "곡정보를 저장하지 못했습니다.";
  // Names listed in the failure message; the rest are counted.
  static constexpr std::size_t kFailedNamesShown = 10;

  struct Row {
    std::uint32_t index = 0;
    std::string path;
    std::string name;  // file name and extension
    bool editable = false;
    std::string status;
  };

  explicit TYX_Dialog_FileID3Edit2(Win::HWND parent = nullptr);
  ~TYX_Dialog_FileID3Edit2() override;

  // The songs to edit; indexes without a live song are left out.
  void SetLibrary(TYX_LibraryManager* manager, const std::vector<std::uint32_t>& indexes);
  // The initial values: a field keeps the first song's value only when every editable song shares it.
  void SetFieldValue();
  // Writes the ticked fields to each editable song; returns the number of songs written.
  int UpdateFile();
  // Trims every text; the disc and track numbers become their decimal value (0 and non-numbers empty).
  void ValidateData();
  // Ticking a box enables its field's control; clearing it disables the control.
  void OnCheckBoxClicked(Win::UINT id);
  // "qa=%s&qb=%s&qc=%s" with the title, artist and album values, URL-escaped.
  std::string OnGetQueryString() const;

  static bool IsTagCapable(const std::string& path);
  // The message naming the songs whose rows read "변경실패"; empty when there are none.
  std::string FailureText() const;
  int EditableCount() const;
  std::string CountLine() const;

  const std::vector<Row>& GetRows() const { return rows_; }
  const Fields& GetFields() const { return fields_; }
  void SetField(Field f, const std::string& value) { fields_[f] = value; }
  bool IsTicked(Field f) const { return ticked_[f]; }
  void SetTicked(Field f, bool ticked) { ticked_[f] = ticked; }
  Controls::TYX_CheckBox* GetCheckBox(Field f) const { return checks_[f]; }
  Controls::TYX_Edit* GetFieldEdit(Field f) const { return edits_[f]; }
  Controls::TYX_ListCtrlEx* GetSongList() const { return songList_; }

 protected:
  Win::BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  void ReadControls();
  void ShowRows();
  void OnChooseImage();

  TYX_LibraryManager* manager_ = nullptr;  // not owned; window thread, like every field below
  std::vector<Row> rows_;
  Fields fields_;
  std::array<bool, kFieldCount> ticked_{};
  std::array<Controls::TYX_CheckBox*, kFieldCount> checks_{};
  std::array<Controls::TYX_Edit*, kFieldCount> edits_{};
  Controls::TYX_ListCtrlEx* songList_ = nullptr;
  Controls::TYX_StaticText* countLine_ = nullptr;
};

}  // namespace TYX::Dialog
