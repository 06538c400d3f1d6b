#pragma once
// The tag editor's album-image search: asks the music service for the album image of a title, artist
// and album (the image service of the tagging worker) on a thread of its own, and posts
// kAlbumImageSearchStatus to the notify window: state 0 when it starts, 2 when the result is ready
// (TakeResult). It never touches the song; the image is a temporary file that the caller owns. A
// message for a window that is gone is dropped.
#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/types.h"
#include "tags/album_image_download.h"

namespace TYX::Dialog {

// wParam the state (0 searching, 2 done), lParam the number of the search.
constexpr Win::UINT kAlbumImageSearchStatus = 0x10DC;

class TYX_AlbumImageSearch {
 public:
  TYX_AlbumImageSearch() = default;
  ~TYX_AlbumImageSearch();  // cuts a running download short and waits for it
  TYX_AlbumImageSearch(const TYX_AlbumImageSearch&) = delete;
  TYX_AlbumImageSearch& operator=(const TYX_AlbumImageSearch&) = delete;

  // Starts a search with the service's settings; false while one runs. Gives the search's number.
  bool Start(Win::HWND notify, const Tags::AlbumImageSettings& settings, const std::string& title,
             const std::string& artist, const std::string& album, Win::LPARAM* number = nullptr);
  bool IsRunning() const { return running_.load(); }
  // The finished search's result (once), or nothing while it runs or when there is none.
  std::optional<Tags::AlbumImageResult> TakeResult();
  void Join();

 private:
  std::thread thread_;                // started and joined by the owner's thread
  std::atomic<bool> running_{false};  // written by the search thread at its end
  std::atomic<bool> cancel_{false};   // set by the owner's thread when it goes
  std::mutex mutex_;                  // guards result_
  std::optional<Tags::AlbumImageResult> result_;
  Win::LPARAM serial_ = 0;            // owner's thread
};

}  // namespace TYX::Dialog
