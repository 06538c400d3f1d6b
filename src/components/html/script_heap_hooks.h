#pragma once
// Internal to the page engine: the hooks that the script heap is built with. The Duktape build
// (script_heap_build.cpp) calls ExecTimeoutCheck from its interrupt check; page_script.cpp owns the
// state behind the opaque pointer.
#include <chrono>
#include <cstddef>

namespace TYX::Html::Detail {

// The heap's user data: the run-time budget of the current script entry and the memory in use.
// Threads: the thread that runs the page's scripts.
struct ScriptHeapState {
  std::chrono::steady_clock::time_point deadline{};
  int depth = 0;               // nested entries; the outermost one sets the deadline
  bool expired = false;        // the budget of the current outermost entry ran out
  bool exhausted = false;      // the current entry hit the memory limit; it gets no more
  std::size_t used = 0;        // bytes handed out to the heap
  std::size_t limit = 0;       // bytes the heap may hold at once
};

// Non-zero once the current entry's budget has run out or it hit the memory limit; the interpreter
// then throws a RangeError.
int ExecTimeoutCheck(void* udata);

}  // namespace TYX::Html::Detail
