#include "large_page_heap.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace TYX::Host {

std::size_t UseLargePageHeap(std::size_t bytes) {
  constexpr std::uintptr_t kHuge = 2u << 20;
  // Setting the pad switches off malloc's own moving threshold for mapping large blocks apart, so the
  // threshold is set to that moving threshold's ceiling; then every growth of the heap takes `bytes`
  // more than it needs, and a trim keeps that much.
  if (mallopt(M_MMAP_THRESHOLD, 32 << 20) != 1 || mallopt(M_TOP_PAD, static_cast<int>(bytes)) != 1) return 0;
  // One allocation larger than any free space the start-up left forces that growth now, so the span
  // exists when it is advised below; freeing it leaves the span at the top of the heap.
  void* grow = std::malloc(std::size_t{1} << 20);
  if (grow == nullptr) return 0;
  const auto from = reinterpret_cast<std::uintptr_t>(grow);
  std::free(grow);
  const auto to = reinterpret_cast<std::uintptr_t>(sbrk(0));
  const std::uintptr_t start = (from + kHuge - 1) & ~(kHuge - 1);
  const std::uintptr_t end = to & ~(kHuge - 1);
  if (end <= start) return 0;
  if (madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE) != 0) return 0;
  return end - start;
}

}  // namespace TYX::Host
