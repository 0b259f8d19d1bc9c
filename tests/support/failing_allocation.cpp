#include "failing_allocation.h"

#include <atomic>
#include <new>

namespace {

std::atomic<bool> gFailNext{false};

}  // namespace

namespace testing_support {

void FailNextNothrowAllocation() {
  gFailNext = true;
}

}  // namespace testing_support

// The replaceable nothrow forms; linked into a test binary whenever a test calls
// FailNextNothrowAllocation. The usual operator new does the work, so that what it hands
// out is freed by the usual operator delete (the sanitizers see matching pairs).
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (gFailNext.exchange(false)) return nullptr;
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}

void operator delete(void* p, const std::nothrow_t&) noexcept {
  ::operator delete(p);
}
