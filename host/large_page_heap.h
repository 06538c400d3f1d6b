#pragma once
// The program's heap on transparent huge pages, where the system offers them on request.
#include <cstddef>

namespace TYX::Host {

// Reserves `bytes` at the top of the main heap and asks the kernel to back that span with huge pages.
// Loading a large library touches a hundred megabytes in small allocations; on 4 KiB pages that is tens
// of thousands of page faults and as many TLB misses. Untouched pages cost nothing. Call once, first
// thing in main, before any thread starts. Returns the bytes advised (0 when the system refused).
std::size_t UseLargePageHeap(std::size_t bytes);

}  // namespace TYX::Host
