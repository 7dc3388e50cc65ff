#include "platform/LargeBlockRelease.hpp"

// Any C library header defines __GLIBC__ where the library is glibc.
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace kelvane::LargeBlockRelease {

bool returnLargeBlocksToSystem() {
#if defined(__GLIBC__)
    // Setting the threshold also fixes it: the library no longer moves it up on its own.
    constexpr int kOwnPagesFrom = 1 << 20;
    return mallopt(M_MMAP_THRESHOLD, kOwnPagesFrom) == 1;
#else
    return false;
#endif
}

}  // namespace kelvane::LargeBlockRelease
