// Stops an extraction from writing through a symbolic link that an earlier run left in the
// destination (an earlier extraction, an earlier batch of the same one, or the user's own)
// and that leads outside it. Both archivers write through such links when they find them
// already in place, although neither creates a way out within one run.
#pragma once

#include <filesystem>
#include <span>

#include "model/ArchiveEntry.hpp"
#include "model/ExtractOverwriteMode.hpp"

namespace kelvane {

class ExtractionLinkGuard final {
public:
    ExtractionLinkGuard() = delete;

    // Looks at every place below `destination` where a tool may write one of `targets`: the
    // raw path without its empty, "." and ".." components (what 7-Zip writes), and for a
    // path holding "..", its lexical resolution with "__Parent__" for every step above the
    // top (what the unarchiver writes). Nothing is read below a place that does not exist.
    //
    // A link that does not resolve to an existing place inside `destination`:
    // - on the way to a target (a folder the target sits in): throws processFailed naming
    //   the entry, before anything is changed;
    // - at a target's own place: removed when `mode` is overwrite, because the run replaces
    //   it anyway and the unarchiver would write into the file it points to instead; left
    //   alone for the other modes, under which neither tool writes through it.
    static void secure(const std::filesystem::path& destination,
                       std::span<const ArchiveEntry> targets, ExtractOverwriteMode mode);
};

}  // namespace kelvane
