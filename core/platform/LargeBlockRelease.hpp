// Makes freed large blocks go back to the system at once. A search or a sort of a million
// entries builds lists of several megabytes on worker threads; by default the C library
// raises its threshold for mapping blocks of their own after the first such list is freed,
// so later lists land in the threads' heaps and stay resident there long after they are
// gone (about a hundred megabytes after a few searches of a million-entry archive).
#pragma once

namespace kelvane::LargeBlockRelease {

// Blocks of a megabyte and more get pages of their own, returned when freed. Call it first
// thing in main, before any thread starts. Returns false where the C library has no such
// setting.
bool returnLargeBlocksToSystem();

}  // namespace kelvane::LargeBlockRelease
