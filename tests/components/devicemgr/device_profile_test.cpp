// The profile file of a folder device and the checks on device paths.
#include <gtest/gtest.h>

#include <filesystem>

#include "components/devicemgr/device_path.h"
#include "components/devicemgr/device_profile.h"
#include "helpers/temp_dir.h"

namespace TYX::DeviceMgr {
namespace {

TEST(DeviceProfile, WrittenProfileReadsBackEqual) {
  TYX::Test::TempDir dir;
  DeviceProfile p;
  p.model = "SCH-B5200";
  p.serial = "12-34";
  p.kind = 5;
  p.type = DEVICETYPE_RINGTONE;
  p.maxFileName = 24;
  p.maxFileName2 = 12;
  p.maxBitrate = 128;
  p.polyphony = DM_POLY_40 | DM_POLY_128;
  p.capacity = 123456789;
  p.bluetooth = true;
  p.folder = "\\MY MUSIC\\벨소리";
  p.batteryLow = true;
  p.family = "Pelago";
  p.connectCode = "0000";
  ASSERT_EQ(WriteDeviceProfile(dir.Path(), p), "");
  const ProfileResult read = ReadDeviceProfile(dir.Path());
  ASSERT_TRUE(read.ok()) << read.error;
  EXPECT_EQ(read.profile, p);
  // The write went through a temporary file that is gone afterwards.
  EXPECT_FALSE(std::filesystem::exists(dir.File(std::string(kProfileFileName) + ".new")));
}

TEST(DeviceProfile, ParsesCommentsCaseAndHexadecimal) {
  const ProfileResult r = ParseDeviceProfile(
      "# a player\r\n; another comment\r\n\r\n  model = YP-U3 \r\nKIND=7\r\ntype=2\r\nPolyphony=0x36\r\n"
      "Link=Bluetooth\r\nFolder=/Music/\r\n");
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.profile.model, "YP-U3");
  EXPECT_EQ(r.profile.kind, 7);
  EXPECT_EQ(r.profile.type, DEVICETYPE_STORAGE);
  EXPECT_EQ(r.profile.polyphony, 0x36u);
  EXPECT_TRUE(r.profile.bluetooth);
  EXPECT_EQ(r.profile.folder, "\\Music");
}

TEST(DeviceProfile, BadProfilesGiveClearErrors) {
  struct Case {
    const char* text;
    const char* expected;  // part of the error text
  };
  const Case cases[] = {
      {"Serial=1\n", "Model is missing"},
      {"Model=A\nColour=red\n", "unknown key \"Colour\""},
      {"Model=A\nKind=phone\n", "Kind"},
      {"Model=A\nType=3\n", "Type"},
      {"Model=A\nCapacity=-5\n", "Capacity"},
      {"Model=A\nPolyphony=0x1FFFFFFFF\n", "Polyphony"},
      {"Model=A\nLink=usb\n", "Link"},
      {"Model=A\nFolder=\\..\\etc\n", "Folder"},
      {"Model=A\nFolder=\\Music \\\n", "begins or ends with a space"},
      {"Model=A\nFolder=\\ Music\n", "begins or ends with a space"},
      {"Model=A\nno equals sign\n", "line 2"},
  };
  for (const auto& c : cases) {
    const ProfileResult r = ParseDeviceProfile(c.text);
    EXPECT_FALSE(r.ok()) << c.text;
    EXPECT_NE(r.error.find(c.expected), std::string::npos) << c.text << " gave: " << r.error;
  }
}

TEST(DeviceProfile, MissingProfileAndBadWritesAreErrors) {
  TYX::Test::TempDir dir;
  const ProfileResult r = ReadDeviceProfile(dir.Path());
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.error.find(kProfileFileName), std::string::npos);

  DeviceProfile p;
  p.model = "A\nKind=9";
  EXPECT_NE(WriteDeviceProfile(dir.Path(), p), "");
  p.model = "A";
  EXPECT_NE(WriteDeviceProfile(dir.File("no-such-folder"), p), "");
  EXPECT_FALSE(std::filesystem::exists(dir.File(kProfileFileName)));
}

TEST(DevicePath, SplitsFromTopOrFromTheCurrentFolder) {
  const std::vector<std::string> current{"MUSIC"};
  EXPECT_EQ(SplitDevicePath("\\A\\b.mp3", current).names, (std::vector<std::string>{"A", "b.mp3"}));
  EXPECT_EQ(SplitDevicePath("b.mp3", current).names, (std::vector<std::string>{"MUSIC", "b.mp3"}));
  EXPECT_EQ(SplitDevicePath("/A//./c/", current).names, (std::vector<std::string>{"A", "c"}));
  EXPECT_TRUE(SplitDevicePath("\\", current).names.empty());
  EXPECT_EQ(JoinDeviceFolder({}), "\\");
  EXPECT_EQ(JoinDeviceFolder({"A", "B"}), "\\A\\B");
}

TEST(DevicePath, RefusesPathsThatLeaveTheDevice) {
  for (const char* bad : {"\\..\\x", "..", "A\\..\\..\\x", "C:\\x", "a\nb"}) {
    const SplitResult r = SplitDevicePath(bad, {"MUSIC"});
    EXPECT_FALSE(r.ok()) << bad;
    EXPECT_TRUE(r.names.empty()) << bad;
  }
}

TEST(DevicePath, ReservesTheProfileAndTemporaryNames) {
  EXPECT_TRUE(IsReservedName({kProfileFileName}));
  EXPECT_TRUE(IsReservedName({"TYX_DEVICE.INI"}));
  EXPECT_FALSE(IsReservedName({"MUSIC", kProfileFileName}));
  EXPECT_TRUE(IsReservedName({"MUSIC", std::string(kPutTempPrefix) + "1-2.part"}));
  EXPECT_FALSE(IsReservedName({"MUSIC", "song.mp3"}));
}

}  // namespace
}  // namespace TYX::DeviceMgr
