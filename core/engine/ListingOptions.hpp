// How a listing finds its tools and what it reports besides the listing itself. The
// defaults are what the program uses; tests and the command-line companion change them.
#pragma once

#include <chrono>
#include <functional>

#include "process/BinaryLocator.hpp"

namespace kelvane {

struct ListingOptions {
    // Where the archivers are looked for.
    BinaryLocator::SearchFolders searchFolders = BinaryLocator::SearchFolders::standard();
    // Told how long building the directory index took, once per successful listing.
    std::function<void(std::chrono::steady_clock::duration)> onIndexBuilt;
};

}  // namespace kelvane
