#pragma once
// A playlist of a library store: library indexes in order, with child playlists. Stock playlists live
// as long as their manager; a user playlist lives until it is removed from its parent.
//
// Positions are 0-based. Every operation may be called from any thread; the store serialises them.
// Changes are stored at once.
#include <cstdint>
#include <string>

#include "contracts/stock_playlist.h"

namespace TYX {

class TYX_LibraryItem;

class TYX_Playlist {
 public:
  virtual ~TYX_Playlist() = default;

  // Stock id (ENUM_STOCK_PLAYLIST) of a stock playlist, 0 for a user playlist.
  virtual std::uint32_t GetStockId() const = 0;

  virtual std::uint32_t CountItem() const = 0;
  // The library index at a position, ~0 past the end.
  virtual std::uint32_t GetItem(std::uint32_t position) const = 0;
  // The library item at a position, null past the end.
  virtual TYX_LibraryItem* GetItem_LibraryItem(std::uint32_t position) const = 0;
  // Appends a song of the library and returns its position; ~0 when the index is no live song or the
  // write failed. Playlists that hold each song once (2, 6, 7, 8) return the position the song
  // already has. Playlist 5 moves a song played again to the end and keeps the last 100.
  // flags: reserved, pass 0.
  virtual std::uint32_t InsertItem(std::uint32_t libraryIndex, std::uint32_t flags) = 0;
  // Puts a file into the song table (kind as TYX_Library::InsertItem) and appends it as above.
  virtual std::uint32_t InsertItem(const std::string& path, std::uint32_t flags, std::uint32_t kind) = 0;
  // Removes the entry at a position: 0, or 0x80070057 past the end, 0x80004005 when the write
  // failed. Removing from playlist 2 removes the song from the library (and so from every playlist).
  virtual std::int32_t RemoveItem(std::uint32_t position) = 0;
  // The first position of a library index, ~0 when absent.
  virtual std::uint32_t FindItem(std::uint32_t libraryIndex) const = 0;
  // Removes every entry (from the last to the first, like RemoveItem on each).
  virtual std::int32_t ClearItem() = 0;

  virtual std::string GetTitle() const = 0;
  virtual bool SetTitle(const std::string& title) = 0;
  virtual std::uint32_t GetAttribute() const = 0;
  virtual bool SetAttribute(std::uint32_t attribute) = 0;
  virtual std::string GetUserString() const = 0;
  virtual bool SetUserString(const std::string& text) = 0;
  // Free number of the owner; for playlist 4 the play position (~0 when none).
  virtual std::uint32_t GetUserData() const = 0;
  virtual bool SetUserData(std::uint32_t data) = 0;

  // The parent playlist, null for a stock playlist.
  virtual TYX_Playlist* GetParent() const = 0;
  // True for a playlist the user made.
  virtual bool IsUserType() const = 0;
  // Child playlists, in order. The saved lists of the sidebar ("1%05d", numbered from 1) are the
  // children of playlist 2.
  virtual std::uint32_t CountPlaylist() const = 0;
  virtual TYX_Playlist* GetPlaylist(std::uint32_t i) const = 0;
  // Appends a new user playlist with that title and returns it (null when the write failed).
  virtual TYX_Playlist* AddPlaylist(const std::string& title) = 0;
  // Removes child i with its own children: 0, 0x80070057 past the end, 0x80004005 on a failed write.
  // The removed playlist object stays valid (empty) for the life of the manager.
  virtual std::int32_t RemovePlaylist(std::uint32_t i) = 0;
};

}  // namespace TYX
