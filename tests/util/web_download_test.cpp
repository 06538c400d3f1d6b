#include "util/web_download.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "helpers/local_web_server.h"

namespace TYX::Util {
namespace {

using Test::LocalWebServer;

std::string Pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + (i * 7) % 26);
  return s;
}

class WebDownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& s = web_.Server();
    s.Get("/plain", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(Pattern(50000), "application/octet-stream");
    });
    s.Get("/empty", [](const httplib::Request&, httplib::Response& res) { res.set_content("", "text/plain"); });
    s.Get("/chunked", [](const httplib::Request&, httplib::Response& res) {
      res.set_chunked_content_provider("application/octet-stream", [](std::size_t offset, httplib::DataSink& sink) {
        if (offset >= 30000) {
          sink.done();
          return true;
        }
        const std::string part = Pattern(30000).substr(offset, 3000);
        sink.write(part.data(), part.size());
        return true;
      });
    });
    s.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
      res.status = 404;
      res.set_content("not here", "text/plain");
    });
    s.Get("/moved", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/plain"); });
    s.Get("/short", [](const httplib::Request&, httplib::Response& res) {
      // Announces 20000 bytes, sends 5000 and drops the connection.
      res.set_content_provider(20000, "application/octet-stream", [](std::size_t offset, std::size_t, httplib::DataSink& sink) {
        if (offset > 0) return false;
        const std::string part = Pattern(5000);
        sink.write(part.data(), part.size());
        return true;
      });
    });
    s.Get("/endless", [](const httplib::Request&, httplib::Response& res) {
      res.set_chunked_content_provider("application/octet-stream", [](std::size_t offset, httplib::DataSink& sink) {
        if (offset > 4000000) return false;  // bounded, well past every limit the tests set
        const std::string part = Pattern(8000);
        sink.write(part.data(), part.size());
        return true;
      });
    });
    s.Get("/hang", [this](const httplib::Request&, httplib::Response& res) {
      web_.HangGate().WaitOpen();
      res.set_content("late", "text/plain");
    });
    s.Get("/echo-headers", [](const httplib::Request& req, httplib::Response& res) {
      res.set_content(req.get_header_value("X-Sonvar-Test") + "|" + req.get_header_value("Cache-Control"),
                      "text/plain");
    });
    ASSERT_TRUE(web_.Start());
  }

  LocalWebServer web_;
};

TEST_F(WebDownloadTest, ReadsAnAnnouncedLengthInChunksWithProgress) {
  std::uint64_t last = 0;
  std::int64_t total = 0;
  int calls = 0;
  WebDownloadOptions o;
  o.progress = [&](std::uint64_t received, std::int64_t announced) {
    EXPECT_GT(received, last);
    last = received;
    total = announced;
    ++calls;
    return true;
  };
  const WebDownloadResult r = WebDownload(web_.Url("/plain"), o);
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.Text(), Pattern(50000));
  EXPECT_EQ(r.httpStatus, 200);
  EXPECT_EQ(r.announcedLength, 50000);
  EXPECT_EQ(total, 50000);
  EXPECT_EQ(last, 50000u);
  EXPECT_LE(r.largestChunk, kWebChunkBytes);
  EXPECT_GE(calls, 5);  // 50 000 bytes cannot come in fewer chunks of 10 240
}

TEST_F(WebDownloadTest, ReadsUntilTheEndWithoutALengthAndFollowsRedirects) {
  const WebDownloadResult chunked = WebDownload(web_.Url("/chunked"));
  ASSERT_TRUE(chunked.ok()) << chunked.error;
  EXPECT_EQ(chunked.Text(), Pattern(30000));
  EXPECT_EQ(chunked.announcedLength, -1);

  const WebDownloadResult moved = WebDownload(web_.Url("/moved"));
  ASSERT_TRUE(moved.ok()) << moved.error;
  EXPECT_EQ(moved.body.size(), 50000u);

  const WebDownloadResult empty = WebDownload(web_.Url("/empty"));
  EXPECT_TRUE(empty.ok()) << empty.error;
  EXPECT_TRUE(empty.body.empty());
}

TEST_F(WebDownloadTest, AStatusOtherThan200FailsWithoutABody) {
  const WebDownloadResult r = WebDownload(web_.Url("/missing"));
  EXPECT_EQ(r.outcome, WebDownloadOutcome::HttpStatus);
  EXPECT_EQ(r.httpStatus, 404);
  EXPECT_TRUE(r.body.empty());
  std::vector<std::uint8_t> body{1, 2, 3};
  EXPECT_FALSE(InternetFileDown(web_.Url("/missing"), body));
  EXPECT_TRUE(body.empty());
}

TEST_F(WebDownloadTest, SizeLimitRefusesAnnouncedAndStreamedBodies) {
  WebDownloadOptions o;
  o.maxBytes = 40000;
  int calls = 0;
  o.progress = [&](std::uint64_t, std::int64_t) { return ++calls, true; };
  const WebDownloadResult announced = WebDownload(web_.Url("/plain"), o);
  EXPECT_EQ(announced.outcome, WebDownloadOutcome::TooLarge);
  EXPECT_EQ(calls, 0);  // refused before any of the body was handed on
  EXPECT_TRUE(announced.body.empty());

  const WebDownloadResult streamed = WebDownload(web_.Url("/endless"), o);
  EXPECT_EQ(streamed.outcome, WebDownloadOutcome::TooLarge);
  EXPECT_TRUE(streamed.body.empty());
}

TEST_F(WebDownloadTest, ABodyShorterThanAnnouncedFails) {
  const WebDownloadResult r = WebDownload(web_.Url("/short"));
  EXPECT_EQ(r.outcome, WebDownloadOutcome::Incomplete) << r.error;
  EXPECT_TRUE(r.body.empty());
}

TEST_F(WebDownloadTest, CancelTakesEffectWithinOneChunk) {
  std::atomic<bool> cancel{false};
  std::uint64_t atCancel = 0;
  std::uint64_t lastSeen = 0;
  WebDownloadOptions o;
  o.cancel = &cancel;
  o.progress = [&](std::uint64_t received, std::int64_t) {
    lastSeen = received;
    if (received >= 20000 && !cancel.load()) {
      atCancel = received;
      cancel = true;
    }
    return true;
  };
  const WebDownloadResult r = WebDownload(web_.Url("/endless"), o);
  EXPECT_EQ(r.outcome, WebDownloadOutcome::Cancelled);
  EXPECT_TRUE(r.body.empty());
  EXPECT_GT(atCancel, 0u);
  EXPECT_EQ(lastSeen, atCancel);  // no further chunk was handed on after the flag was set

  // A progress callback that answers false cancels too.
  WebDownloadOptions stop;
  stop.progress = [](std::uint64_t, std::int64_t) { return false; };
  EXPECT_EQ(WebDownload(web_.Url("/plain"), stop).outcome, WebDownloadOutcome::Cancelled);
}

TEST_F(WebDownloadTest, CancelFromAnotherThreadEndsAWaitForAHungServer) {
  std::atomic<bool> cancel{false};
  WebDownloadOptions o;
  o.cancel = &cancel;
  o.idleTimeoutMs = 60000;
  std::thread canceller([&] { cancel = true; });
  const WebDownloadResult r = WebDownload(web_.Url("/hang"), o);
  canceller.join();
  EXPECT_EQ(r.outcome, WebDownloadOutcome::Cancelled);
}

TEST_F(WebDownloadTest, AServerThatHangsTimesOut) {
  WebDownloadOptions o;
  o.idleTimeoutMs = 300;
  const WebDownloadResult r = WebDownload(web_.Url("/hang"), o);
  EXPECT_EQ(r.outcome, WebDownloadOutcome::TimedOut) << r.error;
  EXPECT_TRUE(r.body.empty());
}

TEST_F(WebDownloadTest, SendsExtraHeadersAndAsksNoCache) {
  WebDownloadOptions o;
  o.headers = {"X-Sonvar-Test: 42"};
  const WebDownloadResult r = WebDownload(web_.Url("/echo-headers"), o);
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.Text(), "42|no-cache");

  o.headers = {"X-Sonvar-Test: 1\r\nX-Injected: 2"};
  EXPECT_EQ(WebDownload(web_.Url("/echo-headers"), o).outcome, WebDownloadOutcome::BadAddress);
}

TEST(WebDownloadAddressTest, BadAddressesAndClosedPortsFailClearly) {
  EXPECT_EQ(WebDownload("").outcome, WebDownloadOutcome::BadAddress);
  EXPECT_EQ(WebDownload("ftp://127.0.0.1/file").outcome, WebDownloadOutcome::BadAddress);
  EXPECT_EQ(WebDownload("file:///etc/passwd").outcome, WebDownloadOutcome::BadAddress);
  int closedPort = 0;
  {
    LocalWebServer gone;
    ASSERT_TRUE(gone.Start());
    closedPort = gone.Port();
  }
  WebDownloadOptions o;
  o.connectTimeoutMs = 2000;
  const WebDownloadResult r = WebDownload("http://127.0.0.1:" + std::to_string(closedPort) + "/x", o);
  EXPECT_EQ(r.outcome, WebDownloadOutcome::Network);
  EXPECT_FALSE(r.error.empty());
}

}  // namespace
}  // namespace TYX::Util
