// The album-image adjustment: a song whose album image is larger than 90 pixels a side gets a copy
// with the image resized; anything else gets no copy, and the song is never changed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#include <stb/stb_image.h>

#include "components/media/taglib_media_factory.h"
#include "contracts/media.h"
#include "device/device_phone_file_util.h"
#include "device/phone_file_util.h"
#include "helpers/media_fixtures.h"
#include "helpers/temp_dir.h"
#include "helpers/temp_folder_override.h"

namespace TYX::Test {
namespace {

namespace fs = std::filesystem;
using Device::TYX_DevicePhoneFileUtil;
using Device::TYX_PhoneFileUtil;

class AlbumImgAdjustTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Media::InstallTagLibMediaFactory();
    tmpOverride_ = std::make_unique<TempFolderOverride>(dir_.File("tmp"));
    tmp_ = tmpOverride_->Path();
  }
  void TearDown() override { tmpOverride_.reset(); }

  // A song with an album image of the given size (none for 0).
  std::string Song(const std::string& name, int side, int height = -1, SynthFormat format = SynthFormat::MP3) {
    const std::string path = dir_.File(name);
    SynthOptions o;
    o.seconds = 1.0;
    EXPECT_EQ(SynthesizeAudio(path, format, o), "");
    if (side > 0) {
      TYX_MediaPtr m = TYX_Media::Instance(path);
      EXPECT_TRUE(m);
      EXPECT_TRUE(m->SetAlbumImageData(MakeImage("png", side, height < 0 ? side : height)));
      EXPECT_EQ(m->Save(), 0) << m->GetLastError();
    }
    return path;
  }
  int LeftInTemp() const {
    int n = 0;
    for (auto it = fs::directory_iterator(tmp_); it != fs::directory_iterator(); ++it) ++n;
    return n;
  }
  // The size of the album image of a file; {0, 0} when it has none that decodes.
  static std::pair<int, int> ImageSize(const std::string& path) {
    TYX_MediaPtr m = TYX_Media::Instance(path);
    if (!m) return {0, 0};
    const auto bytes = m->GetAlbumImageData();
    int w = 0, h = 0, n = 0;
    if (bytes.empty() || stbi_info_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &n) == 0) {
      return {0, 0};
    }
    return {w, h};
  }

  TempDir dir_;
  std::string tmp_;
  std::unique_ptr<TempFolderOverride> tmpOverride_;
};

TEST_F(AlbumImgAdjustTest, ALargeImageGivesAResizedCopyAndLeavesTheSong) {
  const std::string song = Song("big.mp3", 300);
  const std::string before = ReadFileBytes(song);
  const std::string copy = TYX_PhoneFileUtil::AlbumImgAdjust(song, 120, 100);
  ASSERT_FALSE(copy.empty());
  EXPECT_EQ(fs::path(copy).extension(), ".mp3");
  EXPECT_EQ(fs::path(copy).parent_path(), fs::path(tmp_));
  EXPECT_EQ(ImageSize(copy), (std::pair<int, int>{120, 100}));
  TYX_MediaPtr m = TYX_Media::Instance(copy);
  ASSERT_TRUE(m);
  EXPECT_GT(m->GetDurationMs(), 500u);
  EXPECT_EQ(ReadFileBytes(song), before);
  EXPECT_EQ(ImageSize(song), (std::pair<int, int>{300, 300}));
  fs::remove(copy);

  // The device helper gives the same copy.
  const std::string again = TYX_DevicePhoneFileUtil::AlbumImgAdjust(song, 64, 64);
  ASSERT_FALSE(again.empty());
  EXPECT_EQ(ImageSize(again), (std::pair<int, int>{64, 64}));
  fs::remove(again);
  EXPECT_EQ(LeftInTemp(), 0);
}

TEST_F(AlbumImgAdjustTest, OneSidePast90IsEnough) {
  const std::string wide = Song("wide.mp3", 300, 40);
  const std::string copy = TYX_PhoneFileUtil::AlbumImgAdjust(wide, 90, 90);
  ASSERT_FALSE(copy.empty());
  EXPECT_EQ(ImageSize(copy), (std::pair<int, int>{90, 90}));
  fs::remove(copy);
  const std::string tall = Song("tall.mp3", 10, 91);
  const std::string copy2 = TYX_PhoneFileUtil::AlbumImgAdjust(tall, 90, 90);
  EXPECT_FALSE(copy2.empty());
  fs::remove(copy2);
}

TEST_F(AlbumImgAdjustTest, SmallOrMissingImagesAndBadInputGiveNoCopy) {
  const std::string small = Song("small.mp3", 90);
  const std::string none = Song("none.mp3", 0);
  const std::string big = Song("big.mp3", 300);
  EXPECT_EQ(TYX_PhoneFileUtil::AlbumImgAdjust(small, 120, 120), "");
  EXPECT_EQ(TYX_DevicePhoneFileUtil::AlbumImgAdjust(small, 120, 120), "");
  EXPECT_EQ(TYX_PhoneFileUtil::AlbumImgAdjust(none, 120, 120), "");
  EXPECT_EQ(TYX_PhoneFileUtil::AlbumImgAdjust(dir_.File("missing.mp3"), 120, 120), "");
  for (auto [w, h] : {std::pair{0, 100}, std::pair{100, -1}, std::pair{9000, 10}}) {
    EXPECT_EQ(TYX_PhoneFileUtil::AlbumImgAdjust(big, w, h), "") << w << "x" << h;
  }
  EXPECT_EQ(LeftInTemp(), 0);
}

TEST_F(AlbumImgAdjustTest, ACopyThatCannotBeMadeIsRemoved) {
  // The copy is named ".mp3"; an Ogg song's bytes under that name cannot be read, so nothing stays.
  const std::string ogg = Song("song.ogg", 300, -1, SynthFormat::OGG);
  const std::string before = ReadFileBytes(ogg);
  EXPECT_EQ(TYX_PhoneFileUtil::AlbumImgAdjust(ogg, 100, 100), "");
  EXPECT_EQ(LeftInTemp(), 0);
  EXPECT_EQ(ReadFileBytes(ogg), before);
}

}  // namespace
}  // namespace TYX::Test
