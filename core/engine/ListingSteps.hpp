// The steps both listers end with: the directory index, the load time and the names
// derived from the archive's file name.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/ListingOptions.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
#include "model/ArchiveEntry.hpp"

namespace kelvane::ListingSteps {

// Builds the index and tells `options.onIndexBuilt` how long it took.
[[nodiscard]] std::shared_ptr<const ArchiveDirectoryIndex> buildIndex(
    const std::vector<ArchiveEntry>& entries, const ListingOptions& options);

// Milliseconds since `startTime`, rounded to the nearest, at least 1.
[[nodiscard]] std::int64_t loadDurationMs(std::chrono::steady_clock::time_point startTime);

// Folders of the index without the root, never below 0.
[[nodiscard]] std::int64_t folderCount(const ArchiveDirectoryIndex& index);

// The text after the last dot of the file name, upper-cased; empty without one.
[[nodiscard]] std::string upperCasedExtension(const std::filesystem::path& archive);

}  // namespace kelvane::ListingSteps
