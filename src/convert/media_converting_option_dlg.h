#pragma once
// The conversion option dialog: the selected songs, the output format (MP3 or VIA), bit rate and
// channels, and where the new files go (beside their sources or in a folder of the person's choice).
// On OK it removes the songs that need no conversion (after one confirmation) and those it cannot
// convert (after one notice); with nothing left it says so and ends with Cancel.
//
// Settings under the music settings root + "\\MediaConverting": "Format" and "Bitrate" (list indexes,
// written on OK) and "SavePath" (the user folder with a trailing separator, written when chosen).
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/skin_popup_dialog.h"
#include "util/file_type.h"

namespace TYX::Controls {
class TYX_CheckBox;
class TYX_ComboBox;
class TYX_Edit;
class TYX_ListCtrlEx;
class TYX_RadioButton;
}  // namespace TYX::Controls

namespace TYX::Dialog {

class TYX_MediaConverting_OptionDlg : public Controls::TYX_Skin_PopupDialog {
 public:
  // One selected song, as the panel fills it from the library item.
  struct _Media_FileList {
    std::string text;                       // a text of the item, carried along
    std::string path;                       // the file
    TYX_FILETYPE fileType = FileType::Unknown;
    int channels = 2;                       // 1 when the item's channel text says "mono"
    int bitrate = 0;                        // bit/s, as the library item keeps it
    int sampleRate = 0;                     // Hz
    int duration = 0;                       // whole seconds
  };
  using FileList = std::vector<_Media_FileList>;

  // The entries of the format list.
  enum OutputTypes { OUTPUT_MP3 = 0, OUTPUT_VIA = 1, OUTPUT_COUNT = 2 };
  struct OutputTypeInfo {
    const char* text;
    const char* extension;
    int workerFormat;          // EXTRACT_FORMAT of the worker
    TYX_FILETYPE fileType;     // the file type of a file already in this format
  };
  static const OutputTypeInfo& OutputType(int index);

  // Channel list: 0 "Mono", 1 "변환없음" (keep the source's), 2 "Stereo".
  enum ChannelOption { CHANNEL_MONO = 0, CHANNEL_KEEP = 1, CHANNEL_STEREO = 2 };

  static constexpr Win::UINT kFileListId = 1000;
  static constexpr Win::UINT kFormatComboId = 1001;
  static constexpr Win::UINT kBitrateComboId = 1002;
  static constexpr Win::UINT kChannelComboId = 1003;
  static constexpr Win::UINT kSourceFolderRadioId = 100;
  static constexpr Win::UINT kUserFolderRadioId = 101;
  static constexpr Win::UINT kPathEditId = 1004;
  static constexpr Win::UINT kChangeButtonId = 1005;
  // "변환 후 휴대폰으로 전송": the panel sends the new songs to the phone once they are made.
  static constexpr Win::UINT kTransferCheckId = 1006;
  static constexpr int kDefaultBitrateIndex = 7;  // "128 kbps"

  // The registry key of the settings.
  static std::string SettingsKey();
  // "32 kbps" ... "320 kbps" (no 96 kbps entry).
  static const std::vector<std::string>& BitrateTexts();
  // The number at the start of an entry's text; 0 when there is none.
  static int BitrateOfText(const std::string& text);
  // The folder the folder chooser starts in: documents + "/Sonvar PC Manager/뮤직".
  static std::string DefaultChooserFolder();
  // A chosen folder as stored: with one trailing separator and no doubled separators.
  static std::string NormalizeChosenFolder(const std::string& folder);

  explicit TYX_MediaConverting_OptionDlg(Win::HWND parent = nullptr);
  ~TYX_MediaConverting_OptionDlg() override;

  void SetFileList(FileList list) { files_ = std::move(list); }
  const FileList& GetFileList() const { return files_; }
  // An output type other than 4 becomes the format list's default when no "Format" is stored.
  void SetConvertOption(int outputType, int value);

  // The choices after OK.
  int GetOutputType() const { return outputType_; }
  int GetBitrate() const { return bitrate_; }  // kbps
  int GetChannelOption() const { return channelOption_; }
  bool GetSaveToSource() const { return saveToSource_; }
  const std::string& GetUserFolder() const { return userFolder_; }
  bool GetTransferAfterConversion() const { return transferAfter_; }

 protected:
  Win::BOOL OnInitDialog() override;
  void OnOK() override;
  void PaintContent(Win::DisplayList& dc) override;

 private:
  void FillFileList();
  // The VIA rule: below 45 kbps only mono, above 224 kbps only stereo. `fromFormat` sets the channel
  // list from the bit rate outright (45 to 224: "변환없음").
  void ApplyViaChannelRule(bool fromFormat);
  void OnRadio(bool userFolder);
  void OnChangeFolder();
  int SelectedBitrate() const;
  // Removes the files that need no conversion and those that cannot be converted; false when the
  // person declined and the dialog stays.
  bool FilterFiles();

  // Owner thread, like every field below.
  FileList files_;
  int defaultFormat_ = OUTPUT_MP3;
  int outputType_ = OUTPUT_MP3;
  int bitrate_ = 128;
  int channelOption_ = CHANNEL_KEEP;
  bool saveToSource_ = true;
  std::string userFolder_;
  bool transferAfter_ = false;
  Controls::TYX_ListCtrlEx* list_ = nullptr;
  Controls::TYX_ComboBox* format_ = nullptr;
  Controls::TYX_ComboBox* bitrates_ = nullptr;
  Controls::TYX_ComboBox* channels_ = nullptr;
  Controls::TYX_RadioButton* sourceRadio_ = nullptr;
  Controls::TYX_RadioButton* userRadio_ = nullptr;
  Controls::TYX_Edit* path_ = nullptr;
  Controls::TYX_CheckBox* transfer_ = nullptr;
};

}  // namespace TYX::Dialog
