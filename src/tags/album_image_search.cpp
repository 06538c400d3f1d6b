#include "tags/album_image_search.h"

#include <cstdio>
#include <exception>
#include <utility>

#include "platform/messaging.h"
#include "util/log.h"

namespace TYX::Dialog {

TYX_AlbumImageSearch::~TYX_AlbumImageSearch() {
  cancel_.store(true);
  Join();
  // A result nobody took leaves no file behind.
  if (result_ && !result_->path.empty()) std::remove(result_->path.c_str());
}

bool TYX_AlbumImageSearch::Start(Win::HWND notify, const Tags::AlbumImageSettings& settings, const std::string& title,
                                 const std::string& artist, const std::string& album, Win::LPARAM* number) {
  if (running_.load()) return false;
  Join();
  {
    std::lock_guard lock(mutex_);
    if (result_ && !result_->path.empty()) std::remove(result_->path.c_str());
    result_.reset();
  }
  const Win::LPARAM serial = ++serial_;
  if (number != nullptr) *number = serial;
  Tags::AlbumImageSettings own = settings;
  own.cancel = &cancel_;
  running_ = true;
  Win::PostMessage(notify, kAlbumImageSearchStatus, 0, serial);
  thread_ = std::thread([this, notify, own, title, artist, album, serial] {
    Tags::AlbumImageResult result;
    try {
      result = Tags::DownloadAlbumImage(own, title, artist, album);
    } catch (const std::exception& e) {
      TYX_Log::Instance()->Add("TYX_AlbumImageSearch : the download failed : %s", e.what());
      result.error = e.what();
    }
    {
      std::lock_guard lock(mutex_);
      result_ = std::move(result);
    }
    running_ = false;
    Win::PostMessage(notify, kAlbumImageSearchStatus, 2, serial);
  });
  return true;
}

std::optional<Tags::AlbumImageResult> TYX_AlbumImageSearch::TakeResult() {
  if (running_.load()) return std::nullopt;
  std::lock_guard lock(mutex_);
  return std::exchange(result_, std::nullopt);
}

void TYX_AlbumImageSearch::Join() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace TYX::Dialog
