#pragma once
// Ids of the playlists every library store keeps for the life of its manager.
#include <cstdint>

namespace TYX {

// Library index: the number of a song in the store's song table. Indexes are stable for the life of
// the library file and never reused; kNoLibraryIndex means none.
constexpr std::uint32_t kNoLibraryIndex = 0xFFFFFFFFu;
// Position in a playlist; kNoPosition means none (the same value as kNoLibraryIndex).
constexpr std::uint32_t kNoPosition = 0xFFFFFFFFu;

enum ENUM_STOCK_PLAYLIST : std::uint32_t {
  STOCK_PLAYLIST_LIBRARY = 2,         // the whole library: each song once
  STOCK_PLAYLIST_NOWPLAYING = 4,      // now playing; its user data is the play position
  STOCK_PLAYLIST_OLDNOWPLAYING = 5,   // previously played: the last 100 songs, oldest first
  STOCK_PLAYLIST_SYNC = 6,            // songs to put on the phone: each song once
  STOCK_PLAYLIST_CDTRACK = 7,         // audio-CD tracks: each track once
  STOCK_PLAYLIST_TRANSFERRED = 8,     // transferred (downloaded) songs: each song once
};

// True for the ids above.
constexpr bool IsStockPlaylistId(std::uint32_t id) {
  return id == 2 || id == 4 || id == 5 || id == 6 || id == 7 || id == 8;
}

// The previously-played list keeps at most this many entries; the oldest go first.
constexpr std::uint32_t kOldNowPlayingLimit = 100;

// Change notices a store posts to every registered window (see TYX_LibraryManager::RegisterNotify).
// wParam is an event code (TYX_LibraryEvent), lParam the library index concerned, or kNoLibraryIndex
// when several or none are concerned.
constexpr std::uint32_t WM_LIBRARY_NOTIFY_LIBRARY = 0xAC72;       // song table and playlist 2
constexpr std::uint32_t WM_LIBRARY_NOTIFY_SYNC = 0xAC73;          // playlist 6
constexpr std::uint32_t WM_LIBRARY_NOTIFY_NOWPLAYING = 0xAC76;    // playlist 4
constexpr std::uint32_t WM_LIBRARY_NOTIFY_OLDNOWPLAYING = 0xAC77; // playlist 5

enum TYX_LibraryEvent : std::uint32_t {
  LIBRARY_EVENT_SONG_ENTERED = 1,   // 0xAC72 only: a song entered the song table
  LIBRARY_EVENT_SONG_LEFT = 2,      // 0xAC72 only: a song left the song table (its reference is ~0)
  LIBRARY_EVENT_ADDED = 3,          // an entry was added to the playlist of the message
  LIBRARY_EVENT_REMOVED = 4,        // an entry was removed from the playlist of the message
  LIBRARY_EVENT_ITEM_CHANGED = 5,   // 0xAC72 only: fields of a song changed (lParam its index)
  LIBRARY_EVENT_PROPERTY_CHANGED = 6,  // title, attribute, user text or user data of the playlist
  LIBRARY_EVENT_PACKED = 7,         // 0xAC72 only: removed songs were dropped for good
};

}  // namespace TYX
