// The counting allocator behind failing_allocator.h. It takes its memory from the C library's
// malloc, so AddressSanitizer still sees every block and its release.
#include "tests/support/failing_allocator.h"

#include "platform/sim/sim_platform.h"

#include <cstdlib>
#include <new>

extern "C" void* __real_malloc(size_t size);

namespace {

bool g_counting = false;
size_t g_count = 0;
size_t g_failAt = 0;

// Counts one allocation of the program; true when it is the one to fail.
bool FailsThisTime() {
  if (!g_counting || SimIsRecording()) return false;
  return ++g_count == g_failAt;
}

// Every size gets a block of its own, 0 included.
void* Block(size_t size) { return __real_malloc(size == 0 ? 1 : size); }

}  // namespace

void StartAllocationCount(size_t failAt) {
  g_count = 0;
  g_failAt = failAt;
  g_counting = true;
}

size_t StopAllocationCount() {
  g_counting = false;
  return g_count;
}

extern "C" void* __wrap_malloc(size_t size) {
  if (FailsThisTime()) return nullptr;
  return __real_malloc(size);
}

void* operator new(size_t size) {
  void* block = FailsThisTime() ? nullptr : Block(size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void* operator new[](size_t size) { return operator new(size); }

void* operator new(size_t size, const std::nothrow_t&) noexcept {
  return FailsThisTime() ? nullptr : Block(size);
}

void* operator new[](size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }
void operator delete[](void* block, size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
