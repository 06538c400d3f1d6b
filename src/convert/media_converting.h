#pragma once
// The conversion of selected songs as the library panel asks for it (its 0x948E handler): the option
// dialog, then the progress dialog over the shared extraction worker.
//
// The panel calls RunMediaConverting with its parent window, the store, the library indexes of the
// selected rows, and the message's wParam and lParam (a non-zero lParam presets the option dialog's
// format with wParam). Afterwards it refreshes its list when a library page is shown; the new songs'
// library indexes are in the outcome, and when the person asked for it there (transferAfter) the panel
// sends those songs to the phone. Must be called on the user-interface thread; it returns once both
// dialogs have closed.
#include <cstdint>
#include <vector>

#include "convert/media_converting_option_dlg.h"
#include "platform/types.h"

namespace TYX {
class TYX_LibraryManager;
}

namespace TYX::Dialog {

struct TYX_MediaConvertingOutcome {
  bool converted = false;              // the progress dialog ran
  int progressResult = 0;              // its modal result: 1 all songs handled, 2 stopped
  std::vector<std::uint32_t> added;    // library indexes of the new songs, in order
  int problems = 0;                    // songs that ended with "skip" or an error
  bool transferAfter = false;          // the option dialog's "변환 후 휴대폰으로 전송" was ticked
};

// One record per library index that names a live song: its title, path, file type, channels (1 when
// the channel text, lower-cased, contains "mono"), bit rate, sample rate and duration.
TYX_MediaConverting_OptionDlg::FileList BuildMediaFileList(TYX_LibraryManager& store,
                                                           const std::vector<std::uint32_t>& indexes);

// Nothing happens without a store or without songs.
TYX_MediaConvertingOutcome RunMediaConverting(Win::HWND parent, TYX_LibraryManager* store,
                                              const std::vector<std::uint32_t>& indexes, Win::WPARAM wParam,
                                              Win::LPARAM lParam);

}  // namespace TYX::Dialog
