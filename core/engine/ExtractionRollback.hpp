// What an extraction created, so a failed run can take it back. Before the run it notes the
// items already present where the tool may write (the destination's own items, and
// everything below those that share a name with the top of an entry's path); after a
// failure it removes only items that were not there before, never following links.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <unordered_set>

#include "model/ArchiveEntry.hpp"

namespace kelvane {

class ExtractionRollback final {
public:
    ExtractionRollback(std::filesystem::path destination, std::span<const ArchiveEntry> targets);

    // A run that failed on a password or was cancelled wrote nothing worth keeping: every
    // item it created goes.
    void removeCreated() const noexcept;

    // A run that failed on damage keeps the complete files it wrote and removes the ones
    // whose size differs from their entry's (cut short or left empty). Returns how many
    // created files were kept.
    std::int64_t removeIncomplete() const noexcept;

private:
    template <class Decide>
    void walkCreated(Decide&& decide) const noexcept;

    std::filesystem::path destination_;
    std::span<const ArchiveEntry> targets_;
    std::unordered_set<std::string> topNames_;
    // Relative paths of the items present before the run.
    std::unordered_set<std::string> before_;
};

}  // namespace kelvane
