#pragma once
// The device side's name for the album-image adjustment (phone_file_util.h): both helper classes offer
// it, and both give the same copy.
#include <string>

namespace TYX::Device {

class TYX_DevicePhoneFileUtil {
 public:
  // See TYX_PhoneFileUtil::AlbumImgAdjust.
  static std::string AlbumImgAdjust(const std::string& path, int width, int height);
};

}  // namespace TYX::Device
