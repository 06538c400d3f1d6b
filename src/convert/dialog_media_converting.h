#pragma once
// The single-window media conversion dialog, exported for the host: the songs with their statuses, the
// per-song and overall progress, and below them the choices (format "MP3" or "VIA", bit rate, and the
// save location) in one window. The conversion button starts it; from then on it runs as the progress
// dialog does (same statuses, new names, tags and library entries, self-closing end, stop question).
//
// The choices are those of the option dialog and share its settings under the music settings root +
// "\\MediaConverting": "Format" and "Bitrate" written when the conversion starts, "SavePath" when a
// folder is chosen. The channel count follows the VIA rule of the option dialog (below 45 kbps mono,
// above 224 kbps stereo, else the song's own); MP3 keeps the song's own.
#include "convert/media_converting_progress_dlg.h"

namespace TYX::Controls {
class TYX_ComboBox;
class TYX_Edit;
class TYX_RadioButton;
class TYX_SkinButton;
}  // namespace TYX::Controls

namespace TYX::Dialog {

class TYX_Dialog_MediaConverting : public TYX_MediaConverting_ProgressDlg {
 public:
  static constexpr Win::UINT kFormatComboId = 1120;
  static constexpr Win::UINT kBitrateComboId = 1121;
  static constexpr Win::UINT kSourceFolderRadioId = 100;
  static constexpr Win::UINT kUserFolderRadioId = 101;
  static constexpr Win::UINT kPathEditId = 1122;
  static constexpr Win::UINT kChangeButtonId = 1123;
  static constexpr int kWidth = 400;
  static constexpr int kHeight = 520;

  explicit TYX_Dialog_MediaConverting(Win::HWND parent = nullptr);
  ~TYX_Dialog_MediaConverting() override;

  // The channel option the VIA rule gives for a format and bit rate.
  static int ChannelOptionFor(int outputType, int kbps);

  Controls::TYX_ComboBox* FormatCombo() const { return format_; }
  Controls::TYX_ComboBox* BitrateCombo() const { return bitrates_; }
  Controls::TYX_RadioButton* UserFolderRadio() const { return userRadio_; }
  Controls::TYX_Edit* PathEdit() const { return path_; }

 protected:
  Win::BOOL OnInitDialog() override;
  // The conversion button: reads and stores the choices and starts.
  void OnOK() override;
  bool StartsOnOpen() const override { return false; }
  void PaintContent(Win::DisplayList& dc) override;

 private:
  void OnRadio(bool userFolder);
  void OnChangeFolder();
  void EnableChoices(bool enable);

  // Owner thread, like every field below.
  Controls::TYX_ComboBox* format_ = nullptr;
  Controls::TYX_ComboBox* bitrates_ = nullptr;
  Controls::TYX_RadioButton* sourceRadio_ = nullptr;
  Controls::TYX_RadioButton* userRadio_ = nullptr;
  Controls::TYX_Edit* path_ = nullptr;
  Controls::TYX_SkinButton* change_ = nullptr;
};

}  // namespace TYX::Dialog
