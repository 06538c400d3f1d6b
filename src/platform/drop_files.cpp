#include "platform/drop_files.h"

#include <mutex>
#include <unordered_map>

#include "platform/window.h"

namespace TYX::Win {

namespace {

struct DropList {
  std::vector<std::string> files;
  Point screenPoint;
};

std::mutex g_dropMutex;
std::unordered_map<std::uintptr_t, DropList> g_dropLists;  // guarded by g_dropMutex
std::uintptr_t g_nextDrop = 0x100;                         // guarded by g_dropMutex

std::uintptr_t DropKey(HDROP h) { return reinterpret_cast<std::uintptr_t>(h); }

}  // namespace

HDROP DragCreateList(const std::vector<std::string>& files, Point screenPoint) {
  std::lock_guard<std::mutex> lk(g_dropMutex);
  const std::uintptr_t key = g_nextDrop;
  g_nextDrop += 0x10;
  g_dropLists[key] = DropList{files, screenPoint};
  return reinterpret_cast<HDROP>(key);
}

UINT DragQueryFileCount(HDROP drop) {
  std::lock_guard<std::mutex> lk(g_dropMutex);
  auto it = g_dropLists.find(DropKey(drop));
  return it == g_dropLists.end() ? 0 : static_cast<UINT>(it->second.files.size());
}

std::string DragQueryFile(HDROP drop, UINT index) {
  std::lock_guard<std::mutex> lk(g_dropMutex);
  auto it = g_dropLists.find(DropKey(drop));
  if (it == g_dropLists.end() || index >= it->second.files.size()) return {};
  return it->second.files[index];
}

bool DragQueryPoint(HDROP drop, HWND target, Point* clientPoint) {
  Point p;
  {
    std::lock_guard<std::mutex> lk(g_dropMutex);
    auto it = g_dropLists.find(DropKey(drop));
    if (it == g_dropLists.end()) return false;
    p = it->second.screenPoint;
  }
  Window* w = Window::FromHandle(target);
  if (!w) return false;
  w->ScreenToClient(p);
  if (clientPoint) *clientPoint = p;
  return w->GetClientRect().Contains(p);
}

void DragFinish(HDROP drop) {
  std::lock_guard<std::mutex> lk(g_dropMutex);
  g_dropLists.erase(DropKey(drop));
}

bool DragIsAlive(HDROP drop) {
  std::lock_guard<std::mutex> lk(g_dropMutex);
  return g_dropLists.count(DropKey(drop)) != 0;
}

std::size_t DragLiveCount() {
  std::lock_guard<std::mutex> lk(g_dropMutex);
  return g_dropLists.size();
}

}  // namespace TYX::Win
