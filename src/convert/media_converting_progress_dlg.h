#pragma once
// The conversion progress dialog: converts the chosen songs one by one with the shared extraction
// worker, shows per-file and overall progress and a status per song ("처리중", then "완료", "skip" or
// "변환오류"), copies each source's tags onto its new file and adds the new file to the library.
//
// The dialog owns at most one job at a time. A completion (WM_EXTRACTOR_PROGRESS 9999) is taken only
// for that job: one that comes after the dialog gave the job up is ignored, and one that comes while
// the stop question is on screen waits for the answer. Stopping deletes the half-made file of the job
// in hand; files finished before stay.
//
// Modal result: 1 when every song was handled, 2 when the person stopped the conversion.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "convert/media_converting_option_dlg.h"

namespace TYX {
class TYX_LibraryManager;
}

namespace TYX::Controls {
class TYX_ListCtrlEx;
class TYX_ProgressBar;
class TYX_StaticText;
}  // namespace TYX::Controls

namespace TYX::Convert {
class CExtractorThread;
}

namespace TYX::Dialog {

class TYX_MediaConverting_ProgressDlg : public Controls::TYX_Skin_PopupDialog {
 public:
  using FileList = TYX_MediaConverting_OptionDlg::FileList;

  // The option dialog's choices.
  struct Options {
    int outputType = TYX_MediaConverting_OptionDlg::OUTPUT_MP3;
    int bitrate = 128;  // kbps
    int channelOption = TYX_MediaConverting_OptionDlg::CHANNEL_KEEP;
    bool saveToSource = true;
    std::string userFolder;
  };

  static constexpr Win::UINT kFileListId = 1100;
  static constexpr Win::UINT kFileBarId = 1101;
  static constexpr Win::UINT kTotalBarId = 1102;
  static constexpr Win::UINT kCurrentFileId = 1103;
  static constexpr Win::UINT kFilePercentId = 1104;
  static constexpr Win::UINT kTotalPercentId = 1105;
  static constexpr Win::UINT kInfoId = 1106;
  static constexpr Win::UINT kDoneLabelId = 1107;
  static constexpr int kStatusColumn = 1;

  explicit TYX_MediaConverting_ProgressDlg(Win::HWND parent = nullptr);
  ~TYX_MediaConverting_ProgressDlg() override;

  void SetFileList(FileList list) { files_ = std::move(list); }
  void SetLibrary(TYX_LibraryManager* store) { store_ = store; }
  void SetOptions(const Options& options) { options_ = options; }

  // WM_EXTRACTOR_PROGRESS: (0, total), (1, position), (9999, result).
  Win::LRESULT OnExtractorProgress(Win::WPARAM wParam, Win::LPARAM lParam);

  // The percentages shown: the file's, and the whole run's for file `index` of `count`. A total of 0
  // shows 0 %.
  static int FilePercent(std::uint32_t position, std::uint32_t total);
  static int TotalPercent(std::uint32_t position, std::uint32_t total, int index, int count);
  // The decoder of a file type (EXTRACT_SOURCE), -1 for a type no decoder takes.
  static int SourceKindOfFileType(TYX_FILETYPE type);
  // The target channel count for a channel option and a source's channels.
  static int TargetChannels(int channelOption, int sourceChannels);
  // A file that is already what the conversion would make: in the target format, at the chosen bit
  // rate, with the target channel count.
  static bool NeedsNoConversion(const TYX_MediaConverting_OptionDlg::_Media_FileList& file, const Options& options);

  // After (or during) the run: each song's target ("" until started), its status text, the library
  // indexes of the new files, and the number of songs that ended with "skip" or an error.
  const std::vector<std::string>& Targets() const { return targets_; }
  std::string StatusOf(int row) const;
  const std::vector<std::uint32_t>& AddedIndexes() const { return added_; }
  int ProblemCount() const { return problems_; }
  bool IsConverting() const { return running_; }
  int CurrentIndex() const { return index_; }

 protected:
  Win::BOOL OnInitDialog() override;
  void OnCancel() override;
  // Whether the conversion starts as soon as the dialog is up (true here); a dialog that asks for the
  // options first starts it itself with StartConversion.
  virtual bool StartsOnOpen() const { return true; }
  // Converts the list with the current options, from the first song; once per dialog.
  void StartConversion();
  bool HasFinished() const { return finished_; }

 private:
  void StartFile(int index);
  // Posts a result to this dialog for the job in hand (a file that needs no worker).
  void PostResult(int code);
  // What a finished job means for its song; then the next song, unless `goOn` is false.
  void TakeResult(int code, bool goOn);
  void FinishRun();
  void UpdateTag(const TYX_MediaConverting_OptionDlg::_Media_FileList& file, const std::string& target);
  // Deletes what a stopped job left of its target.
  void DropHalfFile();
  void SetStatus(int row, const std::string& text);
  void SetLine(Controls::TYX_StaticText* line, const std::string& text);
  void FillBars();

  // Owner thread, like every field below.
  FileList files_;
  TYX_LibraryManager* store_ = nullptr;
  Options options_;
  int index_ = 0;
  int count_ = 0;
  bool running_ = false;
  bool finished_ = false;
  std::string target_;
  bool targetExisted_ = false;  // an empty file was there before the job
  std::uint32_t total_ = 0;
  std::uint32_t position_ = 0;
  int problems_ = 0;
  bool jobOpen_ = false;         // a result is awaited for the song in hand
  bool workerJob_ = false;       // the worker runs it (else the dialog posted the result itself)
  Win::HWND jobOwner_ = nullptr;  // the window the worker reports that job to
  bool asking_ = false;          // the stop question is on screen
  std::optional<int> deferred_;  // a result that came while the question was on screen
  std::vector<std::string> targets_;
  std::vector<std::uint32_t> added_;
  Convert::CExtractorThread* worker_ = nullptr;
  Controls::TYX_ListCtrlEx* list_ = nullptr;
  Controls::TYX_ProgressBar* fileBar_ = nullptr;
  Controls::TYX_ProgressBar* totalBar_ = nullptr;
  Controls::TYX_StaticText* currentFile_ = nullptr;
  Controls::TYX_StaticText* filePercent_ = nullptr;
  Controls::TYX_StaticText* totalPercent_ = nullptr;
  Controls::TYX_StaticText* info_ = nullptr;
  Controls::TYX_StaticText* doneLabel_ = nullptr;
};

}  // namespace TYX::Dialog
