#pragma once
// A web server on 127.0.0.1 for tests that need one (cpp-httplib; the test program links it). It
// listens on a free port on its own thread from construction to destruction. Handlers that must hang
// wait on Gate(), which the destructor opens before stopping, so a hung request never outlives the test.
#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace TYX::Test {

class LocalWebServer {
 public:
  // A gate that hanging handlers wait at; bounded so that no request waits forever.
  class Gate {
   public:
    void WaitOpen(std::chrono::milliseconds limit = std::chrono::seconds(20)) {
      std::unique_lock<std::mutex> lock(mutex_);
      cv_.wait_for(lock, limit, [&] { return open_; });
    }
    void Open() {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
      }
      cv_.notify_all();
    }

   private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool open_ = false;
  };

  LocalWebServer() {
    // Requests to this server never go through a proxy of the environment.
    setenv("no_proxy", "127.0.0.1,localhost", 1);
    setenv("NO_PROXY", "127.0.0.1,localhost", 1);
    server_.set_read_timeout(5, 0);
    server_.set_write_timeout(5, 0);
  }
  ~LocalWebServer() { Stop(); }
  LocalWebServer(const LocalWebServer&) = delete;
  LocalWebServer& operator=(const LocalWebServer&) = delete;

  httplib::Server& Server() { return server_; }
  Gate& HangGate() { return gate_; }

  // Binds and starts listening; register the handlers first. False when no port could be bound.
  bool Start() {
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) return false;
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // Stop before the loop runs would be lost; wait (bounded) until the server is listening.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!server_.is_running() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return server_.is_running();
  }
  void Stop() {
    gate_.Open();
    if (thread_.joinable()) {
      server_.stop();
      thread_.join();
    }
  }
  int Port() const { return port_; }
  std::string HostPort() const { return "127.0.0.1:" + std::to_string(port_); }
  std::string Url(const std::string& path) const { return "http://" + HostPort() + path; }

 private:
  httplib::Server server_;
  Gate gate_;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace TYX::Test
