// Web items: fetched to a local copy before they go to the phone, named after it, and refused clearly
// when the fetch fails.
#include <algorithm>
#include <filesystem>

#include "device/device_fixture.h"
#include "device/device_texts.h"
#include "device/web_item.h"
#include "helpers/local_web_server.h"
#include "util/file_system.h"

namespace TYX::Test {
namespace {

namespace fs = std::filesystem;
using Device::TYX_DeviceTransControl;

TEST(WebItemPath, OnlyHttpAddressesWithNameAndSizeAreWebItems) {
  std::int64_t size = -1;
  const std::string local = Device::GetWebDownloadPath("HTTPS://x.test/get?id=1&name= Song.mp3 &size=12345", &size);
  EXPECT_EQ(fs::path(local).filename().string(), "Song.mp3");
  EXPECT_EQ(fs::path(local).parent_path().filename().string(), Device::kWebItemFolder);
  EXPECT_TRUE(fs::is_directory(fs::path(local).parent_path()));
  EXPECT_EQ(size, 12345);
  EXPECT_EQ(Device::GetWebDownloadPath("http://x.test/get?id=1&name=Song.mp3", &size), "");
  EXPECT_EQ(size, 0);
  EXPECT_EQ(Device::GetWebDownloadPath("ftp://x.test/a?&name=a.mp3&size=1"), "");
  EXPECT_EQ(Device::GetWebDownloadPath("/music/a&name=a.mp3&size=1"), "");
  // A name that would leave the copies' folder is no web item.
  EXPECT_EQ(Device::GetWebDownloadPath("http://x.test/?&name=../evil.mp3&size=1"), "");
  EXPECT_EQ(Device::GetWebDownloadPath("http://x.test/?&name=..&size=1"), "");
}

class WebItemJob : public TransferTest {
 protected:
  void SetUp() override {
    TransferTest::SetUp();
    song_ = ReadFileBytes(Song("served.mp3"));
    server_.Server().Get("/song", [this](const httplib::Request&, httplib::Response& res) {
      ++requests_;
      res.set_content(song_, "audio/mpeg");
    });
    server_.Server().Get("/gone", [](const httplib::Request&, httplib::Response& res) { res.status = 404; });
    ASSERT_TRUE(server_.Start());
  }
  void TearDown() override {
    for (const auto& name : {"webtest-a.mp3", "webtest-b.mp3"}) {
      std::error_code ec;
      fs::remove(Util::GetTempFolder() + "/" + Device::kWebItemFolder + "/" + name, ec);
    }
    TransferTest::TearDown();
  }
  std::string song_;
  std::atomic<int> requests_{0};
  LocalWebServer server_;
};

TEST_F(WebItemJob, AWebItemIsFetchedAndSentUnderItsName) {
  const unsigned phone = Plug("phone", PhoneProfile());
  const std::string item = server_.Url("/song?id=7&name=webtest-a.mp3&size=" + std::to_string(song_.size()));
  const std::string local = Device::GetWebDownloadPath(item);
  WriteAt(local, "stale copy");
  ASSERT_TRUE(Run(phone, {item}));
  EXPECT_EQ(controller_->GetRecord(item).state, TYX_DeviceTransControl::ess_complete)
      << controller_->GetRecord(item).message;
  EXPECT_EQ(ReadFileBytes(PhoneFile("phone", "webtest-a.mp3")), song_);
  EXPECT_EQ(ReadFileBytes(local), song_) << "fetched afresh, and kept";
  EXPECT_EQ(requests_.load(), 1);
  EXPECT_EQ(observer_.results, std::vector<int>{0});
  const auto has = [&](const std::string& text) {
    return std::find(observer_.texts.begin(), observer_.texts.end(), text) != observer_.texts.end();
  };
  EXPECT_TRUE(has("webtest-a.mp3 : 다운로드를 시작합니다."));
  EXPECT_TRUE(has("다운로드가 완료되었습니다."));
  EXPECT_TRUE(has("webtest-a.mp3 : 전송이 완료되었습니다."));
}

TEST_F(WebItemJob, AFailedFetchFailsTheFileAndLeavesNoCopy) {
  const unsigned phone = Plug("phone", PhoneProfile());
  const std::string item = server_.Url("/gone?name=x&name=webtest-b.mp3&size=1000");
  ASSERT_TRUE(Run(phone, {item}));
  EXPECT_EQ(controller_->GetRecord(item).state, TYX_DeviceTransControl::ess_failed);
  EXPECT_EQ(controller_->GetRecord(item).message, Device::Texts::kDownloadFailed);
  EXPECT_EQ(parent_.Outcomes(item), (std::vector<int>{-1, -2}));
  EXPECT_FALSE(fs::exists(Device::GetWebDownloadPath(item)));
  EXPECT_FALSE(fs::exists(PhoneFile("phone", "webtest-b.mp3")));
  EXPECT_EQ(observer_.results, std::vector<int>{-2});
}

}  // namespace
}  // namespace TYX::Test
