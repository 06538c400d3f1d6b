#pragma once
// The host's entry points for adding music to the library: the file chooser, the folder chooser,
// dropped and dragged files, and the automatic scan. Each run goes through the add-files popup and its
// worker; the results of every completed run are appended to the added items, and the last run's
// summary (added, already there, failures with reasons) is kept for the host to show.
//
// Entry points return an unsigned 32-bit value; kNothingAdded (-1) means nothing was added. All of them
// run on the window thread and return when the popup has closed.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "contracts/library_manager.h"
#include "import/add_files_records.h"
#include "import/import_summary.h"
#include "platform/types.h"

namespace TYX::Library {

struct _DropTarget;

class TYX_Libarary_FuncSet {
 public:
  using tagPathItem = TYX_AddFilesPathItem;
  static constexpr std::uint32_t kNothingAdded = 0xFFFFFFFFu;
  // The chooser's name buffer, in characters.
  static constexpr std::size_t kFileNameBuffer = 104000;

  explicit TYX_Libarary_FuncSet(TYX_LibraryManager* manager);
  ~TYX_Libarary_FuncSet();

  // The file chooser, add type 0. Returns 0 after a completed run.
  std::uint32_t ShowAddFilesDialog(Win::HWND parent, bool toPlaylist, std::uint32_t target);
  // The file chooser, add type 0; after a completed run the new songs are appended to each stock
  // playlist of the set, in order. Returns 0.
  std::uint32_t ShowAddFilesDialog(Win::HWND parent, const std::vector<ENUM_STOCK_PLAYLIST>& playlists);
  // The folder chooser; the folder's audio files, add type 2. Returns target after a completed run.
  std::uint32_t ShowAddFolderDialog(Win::HWND parent, bool toPlaylist, std::uint32_t target);
  // The given paths, add type 0. Returns 0 after a completed run.
  std::uint32_t ShowAddFilesDrag(Win::HWND parent, const std::vector<std::string>& files, bool toPlaylist,
                                 std::uint32_t target);
  // The given paths, add type 0; refused when the first path has no file-name part. Returns target.
  std::uint32_t ShowAddFilesDropDialog(Win::HWND parent, const std::vector<std::string>& files, bool toPlaylist,
                                       std::uint32_t target);
  // The files of a drop record. The record and its list stay its creator's, who frees them after.
  std::uint32_t ShowAddFilesDropDialog(Win::HWND parent, const _DropTarget& drop, bool toPlaylist,
                                       std::uint32_t target);
  std::uint32_t ShowAddM3uFileDialog(Win::HWND, Win::BOOL, Win::UINT) { return kNothingAdded; }

  // Appends the audio files of a folder (only regular files; links to folders are not followed; a
  // folder that cannot be read is skipped and, when failures is given, recorded there) and returns the
  // number of entries in the list.
  static int GetFolderFiles(const std::string& folder, std::vector<std::string>& files, Win::BOOL recursive,
                            TYX_ImportSummary* failures = nullptr);
  static std::vector<std::string> GetFolderFiles(const std::string& folder, Win::BOOL recursive);

  // The automatic scan with the configured formats and search path. 0 after a completed scan, E_FAIL
  // otherwise (also when "SearchType" is "Drive").
  Win::HRESULT AutoScan();

  // The song information dialog of a library item; the item's re-read result afterwards, 0 for an
  // index without a live item.
  Win::BOOL ShowPropertyDialog(Win::HWND parent, std::uint32_t index);
  // The lyrics view of a file, or of a library item's file: 1 when shown, else 0.
  int ShowLyricDialog(Win::HWND parent, const std::string& path);
  int ShowLyricDialog(Win::HWND parent, std::uint32_t index);
  // The tag editor of one song: 1 when the tags were changed, else 0 (also for an index without a live
  // song). The batch editor over the songs of the indexes: 1 when fields were written.
  int ShowID3EditDialog(Win::HWND parent, std::uint32_t index);
  int ShowID3EditDialog2(Win::HWND parent, const std::vector<std::uint32_t>& indexes);

  void SetFindFilter(const std::string& filter) { findFilter_ = filter; }
  const std::string& GetFindFilter() const { return findFilter_; }
  const std::vector<tagPathItem>& GetAddedItems() const { return addedItems_; }
  const TYX_ImportSummary& GetLastSummary() const { return lastSummary_; }

 private:
  // Puts the run's songs at the end of each stock list, in one batch; a lost batch is done again song
  // by song.
  void AddToStockPlaylists(const std::vector<tagPathItem>& items, const std::vector<ENUM_STOCK_PLAYLIST>& playlists);
  // Runs a list through the popup; true when the run completed (modal result 1). Appends the
  // collected items to addedItems and, when asked, hands them out.
  bool RunList(Win::HWND parent, const std::vector<std::string>& paths, int type, std::uint32_t target,
               bool toPlaylist, std::vector<tagPathItem>* collected);
  std::optional<std::vector<std::string>> ChooseFiles(Win::HWND parent) const;

  TYX_LibraryManager* libraryManager_;  // not owned; window thread, like every field below
  std::string findFilter_;
  std::vector<tagPathItem> addedItems_;
  TYX_ImportSummary lastSummary_;
  TYX_ImportSummary walkFailures_;  // failures found while expanding a folder before the run
};

}  // namespace TYX::Library
