#pragma once
// The records of an add-files run: one input path with its outcome, the running totals, the add types,
// and the notice a progress message carries.
#include <cstdint>
#include <string>

#include "contracts/stock_playlist.h"

namespace TYX::Library {

// What a run adds and where. A value is a folder-list value unless it is 0, 1, 2, 5, 6 or 7; it adds to
// a playlist when it is below 0 or above 4.
enum TYX_Library_AddType : int {
  ADDTYPE_FILES = 0,           // files chosen or dropped, into the library
  ADDTYPE_FILES_1 = 1,
  ADDTYPE_FOLDER = 2,          // every audio file of a chosen folder, into the library
  ADDTYPE_FOLDERS_3 = 3,
  ADDTYPE_SCAN = 4,            // folders walked on the worker (the automatic scan)
  ADDTYPE_FILES_PLAYLIST = 5,
  ADDTYPE_FILES_6 = 6,
  ADDTYPE_FOLDER_PLAYLIST = 7,
  ADDTYPE_FOLDERS_8 = 8,
};

constexpr bool IsFolderListType(int type) {
  return !(type == 0 || type == 1 || type == 2 || type == 5 || type == 6 || type == 7);
}
constexpr bool IsPlaylistType(int type) { return type < 0 || type > 4; }

// Outcome codes of a path.
constexpr int kAddStatusAdded = 0;    // added, or still pending
constexpr int kAddStatusMissing = 1;  // the file is not there
constexpr int kAddStatusPresent = 2;  // it was in the library already
constexpr int kAddStatusRefused = 4;  // refused: by the store, or not a readable audio file

struct TYX_AddFilesPathItem {
  std::string path;
  int status = kAddStatusAdded;
  std::uint32_t libraryIndex = kNoLibraryIndex;
};

struct TYX_AddFilesInfo {
  std::string path;  // the path now being processed
  int status = 0;    // outcome of the last file
  int processed = 0;
  int total = 0;
  int added = 0;
  int failed = 0;  // missing, refused, unreadable and already-present alike
};

// The copies a progress message carries. Which parts are meaningful depends on the message.
struct TYX_AddFilesNotice {
  TYX_AddFilesPathItem item;
  TYX_AddFilesInfo info;
};

}  // namespace TYX::Library
