#pragma once
// Phone file helpers of the transfer: the album-image adjustment that gives a phone a copy of a song
// whose album image is no larger than the phone shows.
#include <string>

namespace TYX::Device {

class TYX_PhoneFileUtil {
 public:
  // Images of at most this many pixels a side go to the phone as they are.
  static constexpr int kKeepSide = 90;
  // Sides past this are refused (as target sizes, and as images to decode).
  static constexpr int kMaxSide = 8192;

  // When the song's album image is wider or taller than 90 pixels: a copy of the song (a new ".mp3"
  // file in the temporary folder, which the caller deletes) whose album image is the image resized to
  // width x height (a JPEG). Empty when the song cannot be read, has no album image or an image that
  // cannot be decoded, the image is 90 x 90 or smaller (no copy is made), the size is not from 1 to
  // 8192, or the copy cannot be made; a failed copy is removed. The song itself is never changed.
  static std::string AlbumImgAdjust(const std::string& path, int width, int height);
};

}  // namespace TYX::Device
