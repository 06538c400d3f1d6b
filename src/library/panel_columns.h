#pragma once
// Column positions of the panel's list controls, shared by the column definitions
// (library_panel_lists.cpp) and the row fills (library_panel_fill.cpp and the sync list's fill).
#include "toolkit/list_types.h"

namespace TYX::Library {

// Library, transferred songs and the CD list.
namespace LibraryColumn {
enum : int { kCheck = 0, kOrder, kTitle, kArtist, kAlbum, kTime, kType, kCount };
}

// Now playing and previously played.
namespace NowPlayingColumn {
enum : int { kOrder = 0, kTitle, kArtist, kAlbum, kTime, kLyric, kType, kCount };
}

// Ring-tones.
namespace MelodyColumn {
enum : int { kCheck = 0, kOrder, kTitle, kPolyphony, kType, kSize, kCount };
}

// The sync list.
namespace SyncColumn {
enum : int { kCheck = 0, kOrder, kTitle, kProgress, kArtist, kAlbum, kSize, kType, kCount };
}

// The draw code of the sync list's transfer-state column: a picture chosen by the cell's flag word.
constexpr int kListDrawTransferState = 13;

}  // namespace TYX::Library
