// Seeds for the device profile reader: written profiles and a few hand-made ones.
#include <fstream>
#include <string>
#include <vector>

#include "components/devicemgr/device_profile.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  using TYX::DeviceMgr::DeviceProfile;
  DeviceProfile phone;
  phone.model = "SPH-M4650";
  phone.serial = "0123456789";
  phone.kind = 2;
  phone.type = TYX::DEVICETYPE_MUSIC;
  phone.maxFileName = 36;
  phone.maxBitrate = 192;
  phone.polyphony = 0x76;
  phone.folder = "\\MUSIC\\폴더";
  phone.bluetooth = true;
  phone.connectCode = "1234";
  DeviceProfile player;
  player.model = "Pelago P1";
  player.capacity = 104857600;
  player.family = "Pelago";
  player.batteryLow = true;
  const std::vector<std::string> files = {
      TYX::DeviceMgr::FormatDeviceProfile(phone),
      TYX::DeviceMgr::FormatDeviceProfile(player),
      "; comment\r\nmodel = X \r\n\r\nKIND=0x7\r\nFolder=/a/./b/\r\n",
      "Model=X\nPolyphony=0xFFFFFFFF\nCapacity=18446744073709551615\n",
      "Model=X\nFolder=\\a\\..\\b\n",
      "Model=X\nType=3\n",
  };
  int n = 0;
  for (const auto& f : files) {
    std::ofstream out(std::string(argv[1]) + "/seed" + std::to_string(n++), std::ios::binary);
    out << f;
  }
  return 0;
}
