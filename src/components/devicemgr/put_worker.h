#pragma once
// The client's own thread: runs the puts one after another, in the order they were asked for.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace TYX::DeviceMgr {

class PutWorker {
 public:
  using Job = std::function<void()>;

  PutWorker();
  // Runs every job still waiting, then ends the thread. Cancel the jobs first to make this quick.
  ~PutWorker();
  PutWorker(const PutWorker&) = delete;
  PutWorker& operator=(const PutWorker&) = delete;

  void Submit(Job job);

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;  // guarded by mutex_
  bool stopping_ = false;  // guarded by mutex_
  std::thread thread_;     // started last, after the members it uses
};

}  // namespace TYX::DeviceMgr
