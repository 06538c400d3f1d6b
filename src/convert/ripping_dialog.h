#pragma once
// The CD ripping dialog. The panel hands it the tracks to rip (SetFileList) and the library store
// (SetLibrary) and shows it modally (400 x 430). The user types artist and album, picks the format,
// the bit rate (or for Ogg Vorbis a variable-bit-rate quality) and the save folder; OK rips the tracks
// one after the other with the shared extraction worker into save folder/artist/album/, tags each new
// file with its title, the artist and the album, and adds it to the library. Options live in the
// registry under the music settings root + "\\Ripping".
//
// Every ripped track is then read once more and its CRC32 and AccurateRip v1/v2 checksums taken; they
// are compared with the latest earlier rip of the same disc (a history kept per disc), and a rip log
// ("rip.log") and a cue sheet ("rip.cue") are written beside the tracks. Tracks that differ from an
// earlier rip are named to the user when the rip ends.
//
// Everything here runs on the user-interface thread; the worker and the checksum reader report by
// posted messages (the worker's total is sent).
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "convert/rip_log.h"
#include "convert/ripping_verifier.h"
#include "toolkit/skin_popup_dialog.h"

namespace TYX {
class TYX_LibraryManager;
}
namespace TYX::Controls {
class TYX_Edit;
class TYX_ComboBox;
class TYX_CheckBox;
class TYX_ListCtrlEx;
class TYX_ProgressBar;
class TYX_StaticText;
class TYX_SkinButton;
}  // namespace TYX::Controls

namespace TYX::Dialog {

class TYX_Dialog_Ripping : public Controls::TYX_Skin_PopupDialog {
 public:
  // One track to rip, built by the panel.
  struct TYX_Rip_Info {
    std::int32_t drive = 0;   // CD drive index
    std::int32_t track = 0;   // zero-based track
    std::int32_t length = 0;  // whole seconds (track bytes / 176400; 0 below 10 bytes)
  };

  // Format list; the index is also the worker's format code.
  enum Format { FORMAT_MP3 = 0, FORMAT_OGG = 1, FORMAT_WMA = 2, FORMAT_WAV = 3, FORMAT_VIA = 4 };

  static constexpr int kWidth = 400;
  static constexpr int kHeight = 430;
  static constexpr Win::UINT kTitleIcon = 20253;
  // Controls.
  static constexpr Win::UINT kArtistEditId = 1101;
  static constexpr Win::UINT kAlbumEditId = 1102;
  static constexpr Win::UINT kFormatComboId = 1103;
  static constexpr Win::UINT kBitrateComboId = 1104;
  static constexpr Win::UINT kVbrCheckId = 1105;
  static constexpr Win::UINT kQualityComboId = 1106;
  static constexpr Win::UINT kPathEditId = 1107;
  static constexpr Win::UINT kPathButtonId = 1108;
  static constexpr Win::UINT kTrackListId = 1109;
  static constexpr Win::UINT kTrackBarId = 1110;
  static constexpr Win::UINT kTotalBarId = 1111;
  static constexpr Win::UINT kStatusTextId = 1112;
  static constexpr Win::UINT kInfoTextId = 1113;
  static constexpr Win::UINT kCurrentFileTextId = 1114;
  static constexpr Win::UINT kTrackPercentId = 1115;
  static constexpr Win::UINT kTotalPercentId = 1116;

  // Registry section and defaults.
  static std::string SettingsKey();
  static constexpr int kDefaultFormat = FORMAT_OGG;
  static constexpr int kDefaultBitrate = 5;
  static constexpr int kDefaultQuality = 4;
  // The first use's save folder: the music folder + "/SonvarMusic/".
  static std::string DefaultSavePath();

  // The lists of the dialog.
  static const std::vector<std::string>& FormatNames();
  static const char* Extension(int format);
  // The bit-rate entries of a format (empty for WAV and unknown formats) and the one preselected (-1).
  static const std::vector<std::string>& BitrateEntries(int format);
  static int DefaultBitrateIndex(int format);
  // The number at the start of an entry ("128kbps" -> 128); 0 without one.
  static int BitrateOfEntry(const std::string& entry);

  explicit TYX_Dialog_Ripping(Win::HWND parent = nullptr);
  ~TYX_Dialog_Ripping() override;

  void SetFileList(const std::vector<TYX_Rip_Info>& tracks) { tracks_ = tracks; }
  void SetLibrary(TYX_LibraryManager* manager) { manager_ = manager; }
  // Where the per-disc checksum history lives (default TYX_RipLogStore::DefaultFolder()).
  void SetRipHistoryFolder(const std::string& folder) { historyFolder_ = folder; }

  // Handlers, as the controls and the worker reach them.
  void OnCBSelChange(Win::UINT control, int index);
  void OnVBRCheckClick();
  void OnPathChange();
  void OnBnClickedOk();
  void OnCancel() override;
  void OnOK() override { OnBnClickedOk(); }
  Win::LRESULT OnExtractorProgress(Win::WPARAM wParam, Win::LPARAM lParam);

  // State for the person at the screen and for the panel.
  bool IsRipping() const { return ripping_; }
  int ProblemCount() const { return problems_; }
  const std::string& CurrentTarget() const { return target_; }
  const std::string& TargetFolder() const { return targetFolder_; }
  std::string SavePath() const;
  // The log of the last rip (also written beside the tracks), and the files it was written to.
  const Convert::TYX_RipLog& RipLog() const { return log_; }
  const std::string& RipLogPath() const { return logPath_; }
  const std::string& CueSheetPath() const { return cuePath_; }

  Controls::TYX_Edit* ArtistEdit() const { return artist_; }
  Controls::TYX_Edit* AlbumEdit() const { return album_; }
  Controls::TYX_ComboBox* FormatCombo() const { return format_; }
  Controls::TYX_ComboBox* BitrateCombo() const { return bitrate_; }
  Controls::TYX_CheckBox* VbrCheck() const { return vbr_; }
  Controls::TYX_ComboBox* QualityCombo() const { return quality_; }
  Controls::TYX_Edit* PathEdit() const { return path_; }
  Controls::TYX_SkinButton* PathButton() const { return pathButton_; }
  Controls::TYX_ListCtrlEx* TrackList() const { return list_; }
  Controls::TYX_ProgressBar* TrackBar() const { return trackBar_; }
  Controls::TYX_ProgressBar* TotalBar() const { return totalBar_; }
  std::string StatusLine() const;
  std::string InfoLine() const;
  std::string CurrentFileLine() const;
  std::string TrackPercentLine() const;
  std::string TotalPercentLine() const;

 protected:
  Win::BOOL OnInitDialog() override;
  void PaintContent(Win::DisplayList& dc) override;

 private:
  enum class Phase { Idle, Encoding, Verifying };

  // False when a control could not be made (the dialog then ends at once).
  bool CreateControls();
  void LoadSettings();
  void SaveSettings();
  void EnableOptions(bool enable);
  void SetRowStatus(int row, const std::string& status);
  void SetLine(Controls::TYX_StaticText* line, const std::string& text);
  // Folders, log and history of a new rip; false (with the message shown) when the folders fail.
  bool PrepareRip();
  void StartTrack(int index);
  void TrackEnded(int result);
  void NextTrack();
  void Finish();
  void UpdateTag();
  Win::LRESULT OnVerified(Win::WPARAM track, Win::LPARAM serial);
  // Writes the rip log and the cue sheet beside the tracks.
  void WriteRipFiles();
  void ShowOverall(std::int64_t position);
  std::string FormatText() const;

  // Every field: user-interface thread.
  std::vector<TYX_Rip_Info> tracks_;
  TYX_LibraryManager* manager_ = nullptr;
  std::string historyFolder_;
  int index_ = 0;
  int count_ = 0;
  std::string target_;
  std::string targetFolder_;
  std::int64_t total_ = 0;
  std::int64_t position_ = 0;
  int problems_ = 0;
  bool ripping_ = false;
  bool finished_ = false;  // a rip has run to its end
  Phase phase_ = Phase::Idle;
  Win::LPARAM serial_ = 0;  // numbers the checksum reads, so a stale report is known
  std::vector<std::int64_t> discLengths_;
  Convert::TYX_RipLog log_;
  std::map<int, Convert::TYX_RipLogStore::Entry> earlier_;
  std::string logPath_;
  std::string cuePath_;
  Convert::TYX_RippingVerifier verifier_;

  Controls::TYX_Edit* artist_ = nullptr;
  Controls::TYX_Edit* album_ = nullptr;
  Controls::TYX_ComboBox* format_ = nullptr;
  Controls::TYX_ComboBox* bitrate_ = nullptr;
  Controls::TYX_CheckBox* vbr_ = nullptr;
  Controls::TYX_ComboBox* quality_ = nullptr;
  Controls::TYX_Edit* path_ = nullptr;
  Controls::TYX_SkinButton* pathButton_ = nullptr;
  Controls::TYX_ListCtrlEx* list_ = nullptr;
  Controls::TYX_ProgressBar* trackBar_ = nullptr;
  Controls::TYX_ProgressBar* totalBar_ = nullptr;
  Controls::TYX_StaticText* status_ = nullptr;
  Controls::TYX_StaticText* info_ = nullptr;
  Controls::TYX_StaticText* currentFile_ = nullptr;
  Controls::TYX_StaticText* trackPercent_ = nullptr;
  Controls::TYX_StaticText* totalPercent_ = nullptr;
};

}  // namespace TYX::Dialog
