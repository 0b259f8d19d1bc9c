// Out of memory on demand: the test binary's nothrow operator new fails once when asked,
// so that a program's check of a failed allocation runs. Every other allocation goes on
// to the usual operator new.
#pragma once

namespace testing_support {

// The next `new (std::nothrow)` anywhere in the program returns null.
void FailNextNothrowAllocation();

}  // namespace testing_support
