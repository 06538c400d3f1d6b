#include "device/device_phone_file_util.h"

#include "device/phone_file_util.h"

namespace TYX::Device {

std::string TYX_DevicePhoneFileUtil::AlbumImgAdjust(const std::string& path, int width, int height) {
  return TYX_PhoneFileUtil::AlbumImgAdjust(path, width, height);
}

}  // namespace TYX::Device
