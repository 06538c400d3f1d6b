#include "components/html/page_fetch.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "helpers/temp_dir.h"
#include "platform/event.h"

namespace TYX::Html {
namespace {

// A page server on 127.0.0.1 with bounded requests; stopped and joined at the end of the test. The
// socket listens from the bind on, so requests made before the accept loop runs simply wait for it.
class PageServer {
 public:
  PageServer() {
    server_.set_read_timeout(2, 0);
    server_.set_write_timeout(2, 0);
    server_.set_keep_alive_max_count(1);
    server_.Get("/page", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<html><body><p id=p>served 페이지</p></body></html>", "text/html; charset=utf-8");
    });
    server_.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
      res.status = 404;
      res.set_content("<p>not here</p>", "text/html");
    });
    server_.Get("/image", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(std::string(64, '\x89'), "image/png");
    });
    server_.Get("/big", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(std::string(64 * 1024, 'x'), "text/html");
    });
    server_.Get("/to-page", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/page"); });
    server_.Get("/to-file", [](const httplib::Request&, httplib::Response& res) {
      res.set_redirect("file:///etc/passwd");
    });
    server_.Get("/slow", [this](const httplib::Request&, httplib::Response& res) {
      entered_.Set();
      release_.Wait(10000);  // a watchdog: the test releases it long before
      res.set_content("<p>late</p>", "text/html");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  ~PageServer() {
    release_.Set();
    server_.stop();
    thread_.join();
  }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
  Win::Event& Entered() { return entered_; }
  void Release() { release_.Set(); }

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  Win::Event entered_{true, false};
  Win::Event release_{true, false};
};

FetchOptions QuickOptions() {
  FetchOptions options;
  options.connectTimeoutMs = 3000;
  options.totalTimeoutMs = 8000;
  return options;
}

TEST(PageFetchWeb, ServedPagesRedirectsAndRefusals) {
  PageServer server;
  FetchResult page = FetchPage(server.Url("/page"), QuickOptions());
  ASSERT_TRUE(page.ok) << page.error;
  EXPECT_NE(page.text.find("served 페이지"), std::string::npos);
  EXPECT_EQ(page.httpStatus, 200);

  FetchResult redirected = FetchPage(server.Url("/to-page"), QuickOptions());
  ASSERT_TRUE(redirected.ok) << redirected.error;
  EXPECT_NE(redirected.text.find("served"), std::string::npos);

  FetchResult missing = FetchPage(server.Url("/missing"), QuickOptions());
  EXPECT_FALSE(missing.ok);
  EXPECT_NE(missing.error.find("404"), std::string::npos);
  EXPECT_TRUE(missing.text.empty());

  FetchResult image = FetchPage(server.Url("/image"), QuickOptions());
  EXPECT_FALSE(image.ok);
  EXPECT_NE(image.error.find("image/png"), std::string::npos);

  FetchOptions small = QuickOptions();
  small.maxBytes = 1024;
  FetchResult big = FetchPage(server.Url("/big"), small);
  EXPECT_FALSE(big.ok);
  EXPECT_NE(big.error.find("larger"), std::string::npos);

  // A web page cannot send the view to a local file.
  FetchResult toFile = FetchPage(server.Url("/to-file"), QuickOptions());
  EXPECT_FALSE(toFile.ok);
  EXPECT_TRUE(toFile.text.empty());
}

TEST(PageFetchWeb, NothingListeningFailsWithAReason) {
  // A port that was bound and closed without listening refuses connections.
  const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  socklen_t length = sizeof addr;
  ASSERT_EQ(::getsockname(sock, reinterpret_cast<sockaddr*>(&addr), &length), 0);
  const int port = ntohs(addr.sin_port);
  ::close(sock);
  FetchResult result = FetchPage("http://127.0.0.1:" + std::to_string(port) + "/", QuickOptions());
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.error.empty());
}

TEST(PageFetchJob, RunsOnItsOwnThreadAndReportsWhenDone) {
  PageServer server;
  TYX_PageFetchJob job(server.Url("/page"), QuickOptions());
  std::mutex mutex;
  std::condition_variable cv;
  bool called = false;
  std::thread::id callbackThread;
  ASSERT_TRUE(job.Start([&] {
    std::lock_guard<std::mutex> lock(mutex);
    called = true;
    callbackThread = std::this_thread::get_id();
    cv.notify_all();
  }));
  std::unique_lock<std::mutex> lock(mutex);
  ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(10), [&] { return called; }));
  EXPECT_NE(callbackThread, std::this_thread::get_id());
  EXPECT_TRUE(job.IsDone());
  EXPECT_FALSE(job.Start(nullptr));  // a job runs once
  FetchResult result = job.TakeResult();
  EXPECT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.address, server.Url("/page"));
}

TEST(PageFetchJob, CancellingEndsAHangingTransfer) {
  PageServer server;
  auto job = std::make_unique<TYX_PageFetchJob>(server.Url("/slow"), QuickOptions());
  Win::Event done{true, false};
  ASSERT_TRUE(job->Start([&] { done.Set(); }));
  ASSERT_EQ(server.Entered().Wait(10000), Win::WAIT_OBJECT_0);
  EXPECT_FALSE(job->IsDone());
  EXPECT_FALSE(job->TakeResult().ok);  // nothing yet
  job->Cancel();
  ASSERT_EQ(done.Wait(10000), Win::WAIT_OBJECT_0);
  FetchResult result = job->TakeResult();
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, "cancelled");
  server.Release();
  job.reset();
}

TEST(PageFetchFile, LocalFilesByPathAndFileAddress) {
  ::TYX::Test::TempDir dir;
  const std::string path = dir.Write("my page.html", "<p>local</p>");
  FetchResult byPath = FetchPage(path, QuickOptions());
  ASSERT_TRUE(byPath.ok) << byPath.error;
  EXPECT_EQ(byPath.text, "<p>local</p>");
  FetchResult byAddress = FetchPage("file://" + dir.Path() + "/my%20page.html", QuickOptions());
  ASSERT_TRUE(byAddress.ok) << byAddress.error;
  EXPECT_EQ(byAddress.text, "<p>local</p>");
  EXPECT_TRUE(FetchPage("file://localhost" + path + "#top", QuickOptions()).ok);

  EXPECT_FALSE(FetchPage(dir.File("absent.html"), QuickOptions()).ok);
  EXPECT_FALSE(FetchPage(dir.Path(), QuickOptions()).ok);  // a folder
  FetchOptions small = QuickOptions();
  small.maxBytes = 11;  // one byte short of the page
  EXPECT_FALSE(FetchPage(path, small).ok);
  small.maxBytes = 12;  // exactly the page
  EXPECT_TRUE(FetchPage(path, small).ok);
  // Other machines' files, relative paths and other schemes are not opened.
  EXPECT_FALSE(FetchPage("file://server" + path, QuickOptions()).ok);
  EXPECT_FALSE(FetchPage("page.html", QuickOptions()).ok);
  const FetchResult ftp = FetchPage("ftp://127.0.0.1/x", QuickOptions());
  EXPECT_FALSE(ftp.ok);
  EXPECT_NE(ftp.error.find("not an address"), std::string::npos);
}

TEST(PageFetchFile, AddressKinds) {
  EXPECT_EQ(ClassifyAddress("HTTP://a"), AddressKind::Web);
  EXPECT_EQ(ClassifyAddress("https://a"), AddressKind::Web);
  EXPECT_EQ(ClassifyAddress("/tmp/a.html"), AddressKind::File);
  EXPECT_EQ(ClassifyAddress("file:///tmp/a.html"), AddressKind::File);
  EXPECT_EQ(ClassifyAddress("javascript:alert(1)"), AddressKind::Unsupported);
  EXPECT_EQ(FilePathOfAddress("file:///a%2Fb%zz"), "/a/b%zz");
}

}  // namespace
}  // namespace TYX::Html
