#include "convert/media_converting.h"

#include <algorithm>
#include <cctype>

#include "contracts/library_item.h"
#include "contracts/library_manager.h"
#include "convert/media_converting_progress_dlg.h"
#include "util/log_scope.h"

namespace TYX::Dialog {

TYX_MediaConverting_OptionDlg::FileList BuildMediaFileList(TYX_LibraryManager& store,
                                                           const std::vector<std::uint32_t>& indexes) {
  TYX_MediaConverting_OptionDlg::FileList list;
  for (std::uint32_t index : indexes) {
    TYX_LibraryItem* item = store.GetLibraryItem(index);
    if (item == nullptr || item->GetReference() == kNoLibraryIndex) continue;
    TYX_MediaConverting_OptionDlg::_Media_FileList f;
    f.text = item->GetText(ItemText::Title);
    f.path = item->GetText(ItemText::Path);
    f.fileType = Util::GetFileType(f.path);
    std::string mode = item->GetText(ItemText::ChannelMode);
    std::transform(mode.begin(), mode.end(), mode.begin(), [](unsigned char c) { return std::tolower(c); });
    f.channels = mode.find("mono") != std::string::npos ? 1 : 2;
    f.bitrate = static_cast<int>(item->GetNumber(ItemNumber::BitRate));
    f.sampleRate = static_cast<int>(item->GetNumber(ItemNumber::SampleRate));
    f.duration = static_cast<int>(item->GetNumber(ItemNumber::Duration));
    list.push_back(std::move(f));
  }
  return list;
}

TYX_MediaConvertingOutcome RunMediaConverting(Win::HWND parent, TYX_LibraryManager* store,
                                              const std::vector<std::uint32_t>& indexes, Win::WPARAM wParam,
                                              Win::LPARAM lParam) {
  TYX_LogScope scope("RunMediaConverting");
  TYX_MediaConvertingOutcome outcome;
  if (store == nullptr || indexes.empty()) return outcome;
  TYX_MediaConverting_OptionDlg options(parent);
  options.SetFileList(BuildMediaFileList(*store, indexes));
  if (lParam != 0) options.SetConvertOption(static_cast<int>(wParam), 1);
  if (options.DoModal() != Win::IDOK || options.GetFileList().empty()) return outcome;
  TYX_MediaConverting_ProgressDlg progress(parent);
  progress.SetFileList(options.GetFileList());
  progress.SetLibrary(store);
  TYX_MediaConverting_ProgressDlg::Options chosen;
  chosen.outputType = options.GetOutputType();
  chosen.bitrate = options.GetBitrate();
  chosen.channelOption = options.GetChannelOption();
  chosen.saveToSource = options.GetSaveToSource();
  chosen.userFolder = options.GetUserFolder();
  progress.SetOptions(chosen);
  outcome.converted = true;
  outcome.progressResult = progress.DoModal();
  outcome.added = progress.AddedIndexes();
  outcome.problems = progress.ProblemCount();
  outcome.transferAfter = options.GetTransferAfterConversion();
  return outcome;
}

}  // namespace TYX::Dialog
