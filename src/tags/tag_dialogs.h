#pragma once
// The runs of the tag and information dialogs that the function set offers the host and the panel:
// each takes the library item of an index, shows its dialog modally and lets the item re-read its file
// afterwards. An index of ~0, an index without an item and a removed item (reference ~0) are refused
// with 0 before anything is shown.
#include <cstdint>
#include <string>
#include <vector>

#include "contracts/library_manager.h"
#include "platform/types.h"

namespace TYX::Dialog {


// The live library item of an index, or null.
TYX_LibraryItem* LiveLibraryItem(TYX_LibraryManager* manager, std::uint32_t index);

// The song information dialog; returns the item's re-read result (1 read, 0 not), 0 when refused.
Win::BOOL RunPropertyDialog(Win::HWND parent, TYX_LibraryManager* manager, std::uint32_t index);

// The tag editor of one song: 1 when the tags were changed and saved, else 0 (also for a file that
// cannot be read). After a save the item takes the picked candidate's identifier texts (when there
// are any) with the highlight, and re-reads its file.
int RunID3EditDialog(Win::HWND parent, TYX_LibraryManager* manager, std::uint32_t index);
// The batch tag editor over the songs of the indexes; 1 when OK was pressed with a field ticked.
int RunID3EditDialog2(Win::HWND parent, TYX_LibraryManager* manager, const std::vector<std::uint32_t>& indexes);

// The lyrics view of a file: 1 when shown; 0 when the file cannot be opened or has no lyrics (the
// person is told "가사가 존재하지 않습니다.").
int RunLyricDialog(Win::HWND parent, TYX_LibraryManager* manager, const std::string& path);
// The lyrics view of a library item's file; 0 when the item is refused.
int RunLyricDialog(Win::HWND parent, TYX_LibraryManager* manager, std::uint32_t index);
// The subject line of the lyrics view.
std::string LyricSubject(const std::string& path, const std::string& title, const std::string& artist);

}  // namespace TYX::Dialog
