#include "convert/extractor_slot.h"

#include <memory>
#include <mutex>

#include "convert/extractor_thread.h"

namespace TYX::Convert {

namespace {

std::mutex g_slotMutex;                     // guards g_worker (user-interface thread in practice)
std::unique_ptr<CExtractorThread> g_worker;

}  // namespace

CExtractorThread* GetExtractorThread() {
  std::lock_guard<std::mutex> lock(g_slotMutex);
  return g_worker.get();
}

CExtractorThread* AcquireExtractorThread(Win::HWND owner) {
  std::lock_guard<std::mutex> lock(g_slotMutex);
  if (!g_worker) {
    auto worker = std::make_unique<CExtractorThread>();
    if (!worker->CreateThread(true)) return nullptr;
    g_worker = std::move(worker);
  }
  g_worker->SetOwner(owner);
  return g_worker.get();
}

void EndExtractorThread() {
  std::unique_ptr<CExtractorThread> worker;
  {
    std::lock_guard<std::mutex> lock(g_slotMutex);
    worker = std::move(g_worker);
  }
  if (!worker) return;
  worker->StopJob();
  worker->ResumeThread();
  worker->PostQuit();
  worker->Join();
}

}  // namespace TYX::Convert
