#include "components/devicemgr/put_worker.h"

#include <cstdio>
#include <exception>

namespace TYX::DeviceMgr {

PutWorker::PutWorker() : thread_([this] { Run(); }) {}

PutWorker::~PutWorker() {
  {
    std::lock_guard<std::mutex> lk(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void PutWorker::Submit(Job job) {
  {
    std::lock_guard<std::mutex> lk(mutex_);
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
}

void PutWorker::Run() {
  for (;;) {
    Job job;
    {
      std::unique_lock<std::mutex> lk(mutex_);
      wake_.wait(lk, [this] { return stopping_ || !jobs_.empty(); });
      if (jobs_.empty()) return;  // stopping and nothing left
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    try {
      job();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "devicemgr: a put failed with an exception: %s\n", e.what());
    }
  }
}

}  // namespace TYX::DeviceMgr
