// The folder device client's device operations through the dm* functions: plugging devices in and
// out, their information, listings, deletion, space and the small phone functions.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "contracts/model_infos.h"
#include "devicemgr_fixture.h"

namespace TYX::Test {
namespace {

namespace fs = std::filesystem;
using DeviceMgr::DeviceProfile;

TEST(DeviceMgrContract, WithoutAClientThereIsNoDevice) {
  auto previous = InstallDeviceMgrClient(nullptr);
  EXPECT_EQ(dmGetCurrentDevice(0), DM_NO_DEVICE);
  stDeviceInfo info;
  EXPECT_FALSE(dmGetDeviceInfo(1, info, 1));
  int count = 5;
  std::vector<DeviceInfo> devices(2);
  EXPECT_FALSE(dmEnumDevice(count, devices, 0));
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(devices.empty());
  EXPECT_EQ(dmPutFile(1, "/etc/hostname", "\\a", nullptr, 0), 0);
  EXPECT_EQ(TYX_ModelInfos::HasPelagoModels("PELAGO-1"), 0);
  EXPECT_EQ(dmGetErrorString(dm_tc_no_space), dmDefaultErrorString(dm_tc_no_space));
  InstallDeviceMgrClient(previous);
}

TEST(DeviceMgrContract, ErrorTextsAreDistinctAndNameUnknownCodes) {
  std::set<std::string> texts;
  for (int code : {0, 30001, 30002, 30003, 30004, 30005, 30006, 30007, 40008, 40040, 40041, 40052}) {
    const std::string t = dmDefaultErrorString(code);
    EXPECT_FALSE(t.empty()) << code;
    texts.insert(t);
  }
  EXPECT_EQ(texts.size(), 12u);
  EXPECT_EQ(dmDefaultErrorString(dm_tc_cancelled), "사용자에 의해 취소되었습니다.");
  EXPECT_NE(dmDefaultErrorString(12345).find("12345"), std::string::npos);
}

TEST(DeviceMgrContract, StatusRecordsAreRecognisedBySignature) {
  stBTStatusParam p;
  p.nCode = DM_BT_SENDING;
  p.strText = "/music/a.mp3";
  EXPECT_TRUE(dmBluetoothIsStatusParam(&p));
  EXPECT_NE(dmGetBTStatusDescription(&p).find("/music/a.mp3"), std::string::npos);
  EXPECT_FALSE(dmBluetoothIsStatusParam(nullptr));
  p.dwSignature = 0;
  EXPECT_FALSE(dmBluetoothIsStatusParam(&p));
  EXPECT_EQ(dmGetBTStatusDescription(&p), "");
}

TEST(FileInfoList, FindIgnoresCaseAndClearEmpties) {
  FileInfo list;
  list.Add({"Song.MP3", 10, 0});
  list.Add({"Folder", 0, DM_FILE_ATTRIBUTE_DIRECTORY});
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Find("song.mp3"), 0);
  EXPECT_EQ(list.Find("FOLDER"), 1);
  EXPECT_TRUE(list[1].IsFolder());
  EXPECT_EQ(list.Find("song.mp"), -1);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

using DeviceClient = DeviceTest;

TEST_F(DeviceClient, ConnectFailsClearlyWithoutAProfile) {
  fs::create_directories(Root("bare"));
  auto r = client_->Connect(Root("bare"));
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.id, DM_NO_DEVICE);
  EXPECT_NE(r.error.find(DeviceMgr::kProfileFileName), std::string::npos);
  EXPECT_FALSE(client_->Connect(Root("missing")).ok());
  EXPECT_EQ(dmGetCurrentDevice(0), DM_NO_DEVICE);
}

TEST_F(DeviceClient, DevicesComeAndGoAndAreFoundByKind) {
  const unsigned phone = Plug("phone", PhoneProfile());
  DeviceProfile player;
  player.model = "YP-U3";
  player.kind = 7;
  player.type = DEVICETYPE_STORAGE;
  const unsigned storage = Plug("player", player);
  ASSERT_NE(phone, DM_NO_DEVICE);
  ASSERT_NE(storage, phone);
  // Plugging the same root again gives the same device.
  EXPECT_EQ(client_->Connect(Root("phone")).id, phone);

  EXPECT_EQ(dmGetCurrentDevice(1), phone);
  EXPECT_EQ(dmGetCurrentDevice(2), storage);
  EXPECT_EQ(dmGetCurrentDevice(0), storage);  // the latest one
  EXPECT_EQ(dmGetCurrentDevice(3), DM_NO_DEVICE);  // no such kind
  EXPECT_EQ(dmGetDeviceName(phone), "SPH-M4650");
  EXPECT_EQ(dmGetDeviceSerial(phone), "SN-0001");
  EXPECT_EQ(dmGetDeviceType(phone), DEVICETYPE_MUSIC);
  EXPECT_EQ(dmGetDeviceType(storage), DEVICETYPE_STORAGE);

  int count = 0;
  std::vector<DeviceInfo> devices;
  ASSERT_TRUE(dmEnumDevice(count, devices, 0));
  ASSERT_EQ(count, 2);
  EXPECT_EQ(devices[0].nDeviceId, phone);
  EXPECT_EQ(devices[0].nDeviceKind, 2);
  EXPECT_EQ(devices[1].strModelName, "YP-U3");
  ASSERT_TRUE(dmEnumDevice(count, devices, 7));
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(devices.empty());
  ASSERT_TRUE(dmEnumDevice(count, devices, 2));
  ASSERT_EQ(count, 1);
  EXPECT_EQ(dmConnectDevice(devices[0].strPort, "any"), storage);

  ASSERT_TRUE(client_->Disconnect(storage));
  EXPECT_FALSE(client_->Disconnect(storage));
  EXPECT_EQ(dmGetCurrentDevice(2), DM_NO_DEVICE);
  EXPECT_EQ(dmGetCurrentDevice(0), phone);
  EXPECT_EQ(dmGetDeviceName(storage), "");
  EXPECT_EQ(dmGetDeviceType(storage), DEVICETYPE_NONE);
  ASSERT_TRUE(dmEnumDevice(count, devices, 0));
  EXPECT_EQ(count, 1);
}

TEST_F(DeviceClient, DeviceInfoCarriesTheModelRecord) {
  const unsigned id = Plug("phone", PhoneProfile());
  stDeviceInfo info;
  ASSERT_TRUE(dmGetDeviceInfo(id, info, 1));
  EXPECT_EQ(info.nDeviceKind, 2);
  EXPECT_EQ(info.eDeviceType, DEVICETYPE_MUSIC);
  EXPECT_EQ(info.bBluetooth, 0);
  ASSERT_NE(info.pModelInfo, nullptr);
  const stModelInfo* model = info.pModelInfo;
  EXPECT_EQ(model->strModelName, "SPH-M4650");
  EXPECT_EQ(model->nMaxFileName, 36);
  EXPECT_EQ(model->nMaxFileName2, 20);
  EXPECT_EQ(model->nMaxBitrate, 192);
  EXPECT_EQ(model->dwPolyphony, DM_POLY_16 | DM_POLY_64);

  // The phone switches to ring-tone mode: a fresh read sees it, and it reports kind 4.
  DeviceProfile ring = PhoneProfile();
  ring.type = DEVICETYPE_RINGTONE;
  ring.maxBitrate = 128;
  ASSERT_EQ(DeviceMgr::WriteDeviceProfile(Root("phone"), ring), "");
  ASSERT_TRUE(dmGetDeviceInfo(id, info, 1));
  EXPECT_EQ(info.nDeviceKind, DM_KIND_RINGTONE);
  EXPECT_EQ(dmGetDeviceType(id), DEVICETYPE_RINGTONE);
  EXPECT_EQ(info.pModelInfo->nMaxBitrate, 128);
  EXPECT_EQ(dmGetCurrentDevice(1), id);  // still a phone
  // The earlier record stays valid and unchanged, even after the device is gone.
  client_->Disconnect(id);
  EXPECT_EQ(model->nMaxBitrate, 192);
  EXPECT_FALSE(dmGetDeviceInfo(id, info, 0));
}

TEST_F(DeviceClient, FreshInfoFailsWhenTheRootOrProfileIsGone) {
  const unsigned id = Plug("phone", PhoneProfile());
  stDeviceInfo info;
  fs::remove(fs::path(Root("phone")) / DeviceMgr::kProfileFileName);
  EXPECT_FALSE(dmGetDeviceInfo(id, info, 1));
  EXPECT_TRUE(dmGetDeviceInfo(id, info, 0));  // what was read before
  fs::remove_all(Root("phone"));
  EXPECT_FALSE(dmGetDeviceInfo(id, info, 1));
  FileInfo list;
  EXPECT_FALSE(dmGetFileList(id, list, 0));
}

TEST_F(DeviceClient, ConnectCodeMustMatchWhenTheProfileHasOne) {
  DeviceProfile p = PhoneProfile();
  p.connectCode = "4321";
  const unsigned id = Plug("phone", p);
  EXPECT_EQ(dmConnectDevice(Root("phone"), "4321"), id);
  EXPECT_EQ(dmConnectDevice(Root("phone"), "1111"), DM_NO_DEVICE);
  EXPECT_EQ(dmConnectDevice(Root("elsewhere"), "4321"), DM_NO_DEVICE);
}

TEST_F(DeviceClient, FileListShowsTheCurrentFolderOnly) {
  const unsigned id = Plug("phone", PhoneProfile());
  temp_.Write("phone/MUSIC/b.mp3", std::string(1500, 'b'));
  temp_.Write("phone/MUSIC/A.mp3", std::string(700, 'a'));
  temp_.Write("phone/MUSIC/sub/inner.mp3", "x");
  temp_.Write(std::string("phone/MUSIC/") + DeviceMgr::kPutTempPrefix + "1-1.part", "partial");
  temp_.Write("phone/top.mp3", "top");

  EXPECT_EQ(dmGetCurrentDirectory(id), "\\MUSIC");
  FileInfo list;
  ASSERT_TRUE(dmGetFileList(id, list, 0));
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list[0].strName, "A.mp3");
  EXPECT_EQ(list[0].nSize, 700u);
  EXPECT_EQ(list[1].strName, "b.mp3");
  EXPECT_EQ(list[1].nSize, 1500u);
  EXPECT_EQ(list[2].strName, "sub");
  EXPECT_TRUE(list[2].IsFolder());
  EXPECT_EQ(list.Find("B.MP3"), 1);

  ASSERT_TRUE(dmGetFileList(id, list, 1));
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Find("sub"), -1);
}

TEST_F(DeviceClient, TopFolderListingHidesTheProfile) {
  DeviceProfile p = PhoneProfile();
  p.folder = "\\";
  const unsigned id = Plug("phone", p);
  temp_.Write("phone/song.mp3", "s");
  // A name as long as the profile's but not the same is an ordinary file of the device.
  const std::string lookalike = "tyx_device.inx";
  ASSERT_EQ(lookalike.size(), std::string(DeviceMgr::kProfileFileName).size());
  temp_.Write("phone/" + lookalike, "ordinary");
  FileInfo list;
  ASSERT_TRUE(dmGetFileList(id, list, 0));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[0].strName, "song.mp3");
  EXPECT_EQ(list[1].strName, lookalike);
  EXPECT_EQ(dmDeleteFile(id, "\\" + lookalike), 1);
  EXPECT_FALSE(fs::exists(Root("phone") + "/" + lookalike));
  // The profile itself is still hidden and kept, whatever the case of its name.
  EXPECT_EQ(dmDeleteFile(id, "\\TYX_DEVICE.INI"), 0);
  EXPECT_TRUE(fs::exists(fs::path(Root("phone")) / DeviceMgr::kProfileFileName));
}

TEST_F(DeviceClient, MissingCurrentFolderListsEmpty) {
  const unsigned id = Plug("phone", PhoneProfile());
  FileInfo list;
  list.Add({"stale", 1, 0});
  ASSERT_TRUE(dmGetFileList(id, list, 0));
  EXPECT_EQ(list.Count(), 0);
  EXPECT_FALSE(dmGetFileList(id + 100, list, 0));
}

TEST_F(DeviceClient, DeleteRemovesFilesOnlyInsideTheDevice) {
  const unsigned id = Plug("phone", PhoneProfile());
  const std::string song = temp_.Write("phone/MUSIC/song.mp3", "song");
  temp_.Write("phone/MUSIC/keep/inner.mp3", "inner");
  const std::string outside = temp_.Write("outside.mp3", "precious");

  EXPECT_EQ(dmDeleteFile(id, "\\MUSIC\\song.mp3"), 1);
  EXPECT_FALSE(fs::exists(song));
  EXPECT_EQ(dmDeleteFile(id, "\\MUSIC\\song.mp3"), 0);          // already gone
  EXPECT_EQ(dmDeleteFile(id, "\\MUSIC\\keep"), 0);              // a folder
  EXPECT_EQ(dmDeleteFile(id, "\\MUSIC\\..\\..\\outside.mp3"), 0);  // outside the device
  EXPECT_EQ(dmDeleteFile(id, std::string("\\") + DeviceMgr::kProfileFileName), 0);
  EXPECT_EQ(dmDeleteFile(id + 100, "\\MUSIC\\keep\\inner.mp3"), 0);
  EXPECT_TRUE(fs::exists(outside));
  EXPECT_TRUE(fs::exists(fs::path(Root("phone")) / DeviceMgr::kProfileFileName));
  EXPECT_TRUE(fs::exists(Root("phone") + "/MUSIC/keep/inner.mp3"));
}

TEST_F(DeviceClient, DeleteFilesReportsWhetherAllWent) {
  const unsigned id = Plug("phone", PhoneProfile());
  temp_.Write("phone/MUSIC/a.mp3", "a");
  temp_.Write("phone/MUSIC/b.mp3", "b");
  temp_.Write("phone/MUSIC/c.mp3", "c");
  EXPECT_EQ(dmDeleteFiles(id, "\\MUSIC", {"a.mp3", "b.mp3"}), 1);
  EXPECT_EQ(dmDeleteFiles(id, "\\MUSIC\\", {"c.mp3", "missing.mp3", "..\\x"}), 0);
  FileInfo list;
  ASSERT_TRUE(dmGetFileList(id, list, 0));
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(DeviceClient, FreeSpaceIsCapacityLessUsed) {
  DeviceProfile p = PhoneProfile();
  p.capacity = 1 << 20;
  const unsigned id = Plug("phone", p);
  temp_.Write("phone/MUSIC/a.mp3", std::string(300000, 'a'));
  temp_.Write("phone/other/b.bin", std::string(4000, 'b'));
  const std::uint64_t profileSize = fs::file_size(fs::path(Root("phone")) / DeviceMgr::kProfileFileName);
  const std::uint64_t used = 300000 + 4000 + profileSize;
  EXPECT_EQ(dmGetDeviceTotalSpace(id), 1u << 20);
  EXPECT_EQ(dmGetDeviceFreeSpace(id, 0), (1u << 20) - used);
  EXPECT_EQ(dmGetDeviceFreeSpace(id, 1), 0u);  // there is no second memory
  // More content than the capacity leaves nothing free.
  temp_.Write("phone/big.bin", std::string(1 << 20, 'c'));
  EXPECT_EQ(dmGetDeviceFreeSpace(id, 0), 0u);
}

TEST_F(DeviceClient, FreeSpaceNeverExceedsTheDisk) {
  DeviceProfile p = PhoneProfile();
  p.capacity = std::uint64_t{1} << 62;  // far more than any disk
  const unsigned huge = Plug("huge", p);
  p.capacity = 0;  // as much as the disk
  const unsigned plain = Plug("plain", p);
  constexpr std::uint64_t kSlack = 256ull << 20;  // other processes write to the same disk meanwhile
  const std::uint64_t before = fs::space(Root("huge")).available;
  const std::uint64_t freeHuge = dmGetDeviceFreeSpace(huge, 0);
  const std::uint64_t freePlain = dmGetDeviceFreeSpace(plain, 0);
  const std::uint64_t after = fs::space(Root("huge")).available;
  const std::uint64_t high = std::max(before, after) + kSlack;
  const std::uint64_t low = std::min(before, after) > kSlack ? std::min(before, after) - kSlack : 0;
  EXPECT_LE(freeHuge, high);
  EXPECT_GE(freeHuge, low);
  EXPECT_LE(freePlain, high);
  EXPECT_GE(freePlain, low);
  // Without a capacity the total is what is used plus what is free.
  const std::uint64_t total = dmGetDeviceTotalSpace(plain);
  EXPECT_GE(total, low);
  EXPECT_LE(total, high + (1 << 20));
}

TEST_F(DeviceClient, PutModeAnswersThePreviousMode) {
  EXPECT_EQ(dmPutFileMode(1), 0);
  EXPECT_EQ(dmPutFileMode(0), 1);
  EXPECT_EQ(dmPutFileMode(0), 0);
}

TEST_F(DeviceClient, QuickLinksAreRecordedForAPhone) {
  EXPECT_FALSE(dmExecuteQuickLink(0));  // no phone yet
  const unsigned id = Plug("phone", PhoneProfile());
  EXPECT_TRUE(dmExecuteQuickLink(0));
  EXPECT_TRUE(dmExecuteQuickLink(8));
  EXPECT_FALSE(dmExecuteQuickLink(9));
  EXPECT_FALSE(dmExecuteQuickLink(-1));
  const auto links = client_->QuickLinks();
  ASSERT_EQ(links.size(), 2u);
  EXPECT_EQ(links[0], std::make_pair(id, 0));
  EXPECT_EQ(links[1], std::make_pair(id, 8));
}

TEST_F(DeviceClient, PelagoFamilyByPrefixOrProfile) {
  EXPECT_NE(TYX_ModelInfos::HasPelagoModels("pelago-S1"), 0);
  EXPECT_NE(TYX_ModelInfos::HasPelagoModels("PELAGO-A2"), 0) << "any case";
  EXPECT_EQ(TYX_ModelInfos::HasPelagoModels("PELAG"), 0) << "shorter than the prefix";
  EXPECT_EQ(TYX_ModelInfos::HasPelagoModels("SPH-M4650"), 0);
  EXPECT_EQ(TYX_ModelInfos::HasPelagoModels(""), 0);
  DeviceProfile p = PhoneProfile();
  p.model = "IM-U100";
  p.family = "Pelago";
  Plug("phone", p);
  EXPECT_NE(TYX_ModelInfos::HasPelagoModels("IM-U100"), 0);
  EXPECT_EQ(TYX_ModelInfos::HasPelagoModels("IM-U200"), 0);
}

TEST_F(DeviceClient, BluetoothLinkStateAndWaits) {
  const unsigned cable = Plug("cable", PhoneProfile());
  DeviceProfile p = PhoneProfile();
  p.bluetooth = true;
  const unsigned bt = Plug("bt", p);
  EXPECT_FALSE(dmIsBluetoothConnected(cable));
  EXPECT_TRUE(dmIsBluetoothConnected(bt));
  EXPECT_EQ(dmBluetoothCheckSuspendStatus(bt, nullptr), 0);
  EXPECT_EQ(dmBluetoothWaitTime(bt, 100, 10), 1);
  EXPECT_EQ(dmBluetoothWaitTime(cable, 100, 10), 0);
  ASSERT_TRUE(client_->SetBluetoothSuspended(bt, true));
  EXPECT_NE(dmBluetoothCheckSuspendStatus(bt, nullptr), 0);
  EXPECT_EQ(dmBluetoothWaitTime(bt, 1, 1), 0);  // still suspended when the wait ends
  client_->SetBluetoothSuspended(bt, false);
  EXPECT_TRUE(dmBluetoothUpdatePCFileList(bt));
  EXPECT_FALSE(dmBluetoothUpdatePCFileList(cable));
  EXPECT_EQ(client_->PCFileListUpdates(bt), 1);
}

}  // namespace
}  // namespace TYX::Test
